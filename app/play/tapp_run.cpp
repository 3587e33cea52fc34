#include <cstdint>
#include <string>

#include "actors/tfigur.h"
#include "app/demos/run_watcher.h"
#include "app/play/notices.h"
#include "app/play/pad_controls.h"
#include "app/play/pause_watch.h"
#include "app/play/placement.h"
#include "app/play/play_session.h"
#include "app/play/player_keys.h"
#include "app/play/rules_frame.h"
#include "app/player/scores.h"
#include "app/player/settings_in_force.h"
#include "app/tapp.h"
#include "platform/audio/sound.h"
#include "platform/core/events.h"
#include "platform/input/input.h"
#include "platform/system/clock.h"
#include "platform/system/fatal.h"
#include "platform/system/stop_signal.h"
#include "platform/text/language.h"
#include "state/game.h"

namespace {

// The play piece loops for as long as play lasts; it comes in over two seconds.
constexpr char kPlayMusic[] = "musik.ogg";
constexpr int32_t kPlayMusicFadeInMs = 2000;

}  // namespace

int32_t Tapp::run() {
  // The pointer is play's while it runs, and the player's on the screens around it.
  HoldPointerForPlay(true);
  start();
  // A watcher (demo, report) sees the loop from outside; without one the loop runs alone.
  TRunWatcher* watcher = RunWatcher();
  bool going = watcher == nullptr || watcher->PlayStarts();
  UsePlayBindings(true);
  KeepFramesForPause(true);
  // For the scores, on the real clock, so the rules' answers stay as they are.
  TPlaySession& session = PlaySession();
  session.playSinceMs = RealNowMs();
  PlayMusic(kPlayMusic, kPlayMusicFadeInMs);
  while (going) {
    const float hp = game.player->HP;
    frame();
    if (game.player->HP < hp) RumbleForHit(static_cast<double>(hp) - game.player->HP);
    if (watcher != nullptr) going = watcher->FrameDone(false);
    if (game.gameState != TGamePhase::Running) break;
    if (going && PauseAsked()) {
      const int32_t pausedAt = RealNowMs();
      pause();
      session.pausedMs = ClockAdd(session.pausedMs, ClockDiff(RealNowMs(), pausedAt));
      // Saved to go on at the next start: the game is not over.
      if (session.saved) break;
    }
  }
  KeepFramesForPause(false);
  HoldPointerForPlay(false);
  // A stop signal or a lost display ends the game as the close button does, but nobody is
  // there to read the score.
  const bool scoreScreen = going && StopStatus() == 0 && !session.saved;
  if (!scoreScreen) StopMusic(kMusicStopMs);
  session.tally.End(game.gameState == TGamePhase::PlayerDied ? TGameEnd::Defeated : TGameEnd::ByPlayer,
                    PlayedMs() / 1000);
  if (watcher != nullptr) watcher->PlayEnds(scoreScreen);
  std::string place;
  if (scoreScreen && launch.keepScores) {
    bool kept = false;
    TScore line;
    // Another program holding the scores' lock keeps the window answering, and a close or a
    // stop signal ends the wait at once.
    const auto keepWaiting = [] {
      PumpEvents();
      return AppTerminate() == 0 && StopStatus() == 0;
    };
    place =
        KeepFinishedGame(game.player->EP, session.tally.Counts(), launch.seed.value_or(0), kept, &line, keepWaiting);
    if (kept) session.finished = line;
    if (!kept) PostNotice(Tr("Score nicht gespeichert"), TNoticeKind::Urgent);
  }
  session.place = place;
  if (scoreScreen) endscreen(place);
  return 0;
}

int32_t Tapp::start() {
  int32_t x = 0;
  int32_t y = 0;
  if (!FindLandCell(x, y)) Fatal(kNoLandMessage);
  game.player = Tfigur::neu(64 * x - 32, 64 * y - 32, 0);
  game.player->HP = 1000.0f;
  game.player->weapons.fill(-1);
  game.player->weapons[0] = 1000;
  game.player->weapon = 0;
  MovePointer(game.screenW / 2, game.screenH / 2);
  PlaySession().tally.Begin();
  return 0;
}

int32_t Tapp::frame() {
  StartControlsFrame();
  const TFiredShots fired = RunRulesFrame();
  PlaySession().tally.Frame(fired);
  RunPlayerKeys();
  if (TRunWatcher* watcher = RunWatcher()) watcher->FrameDrawn();
  present();
  return 0;
}

#include "app/loading/continue_game.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "app/play/notices.h"
#include "app/play/pause_watch.h"
#include "app/play/play_session.h"
#include "app/tapp.h"
#include "platform/audio/sound.h"
#include "platform/input/input.h"
#include "platform/input/keys.h"
#include "platform/system/clock.h"
#include "platform/system/stop_signal.h"
#include "platform/text/language.h"
#include "platform/video/draw_state_kept.h"
#include "platform/video/graphics.h"
#include "rules/answers.h"
#include "rules/rules_clock.h"

namespace {

// How often the progress bar is drawn again while the saved frames run.
constexpr int32_t kProgressEveryMs = 200;

}  // namespace

TContinuedGame::TContinuedGame(TGameSession& session, std::string file, TSavedGame save)
    : session_(session), file_(std::move(file)), save_(std::move(save)) {}

TContinuedGame::~TContinuedGame() { Unseen(false); }

void TContinuedGame::Unseen(bool on) {
  if (on == unseen_) return;
  unseen_ = on;
  SkipDrawing(on);
  SilenceSounds(on);
}

bool TContinuedGame::PlayStarts() {
  PlaySession().recorder = &session_;
  // The last saved frame is drawn, for the pause to show; those before it are not.
  Unseen(save_.frames > 1);
  shownMs_ = RealNowMs();
  if (!session_.PlayStarts()) return false;
  if (session_.CaughtUp()) Resume();
  return true;
}

// The last saved frame is about to be shown: play pauses after it, and the pause keeps it.
void TContinuedGame::FrameDrawn() {
  session_.FrameDrawn();
  if (!resumed_ && session_.Frames() + 1 == save_.frames) AskPause();
}

bool TContinuedGame::FrameDone(bool lastFrame) {
  if (!session_.FrameDone(lastFrame)) return false;
  if (resumed_) return true;
  return CatchUp();
}

// Between two saved frames: Escape, the close button and the stop signals end the program as
// they end the loading (the save stays for the next start); a pause asked for waits for the
// saved game's own.
bool TContinuedGame::CatchUp() {
  if (session_.CaughtUp()) {
    Resume();
    return true;
  }
  TakePauseInput();
  if (KeyPressedLive(KEY_ESCAPE) != 0 || AppTerminate() != 0 || StopStatus() != 0) return false;
  if (session_.Frames() + 1 == save_.frames) {
    Unseen(false);
  } else if (ClockDiff(RealNowMs(), shownMs_) >= kProgressEveryMs) {
    ShowProgress();
  }
  return true;
}

void TContinuedGame::ShowProgress() {
  shownMs_ = RealNowMs();
  const TDrawStateKept kept;
  SkipDrawing(false);
  const auto percent = static_cast<int32_t>(int64_t{100} * session_.Frames() / save_.frames);
  Tapp::ladeb(percent, TrLater("Spielstand"));
  SkipDrawing(true);
}

void TContinuedGame::Resume() {
  resumed_ = true;
  Unseen(false);
  // Keys pressed while the saved frames ran are no answer to the game going on.
  ClearKeys();
  ClearButtons();
  if (save_.frames == 0) AskPause();
  SetRulesClock(save_.clock);
  TPlaySession& play = PlaySession();
  play.playedBeforeMs = save_.playedMs;
  play.playSinceMs = RealNowMs();
  play.pausedMs = 0;
  PostNotice(TrFill("Spiel vom %s geht weiter", {save_.saved}));
  // Used up: one life, no going back to undo what follows.
  if (unlink(file_.c_str()) != 0 && errno != ENOENT) {
    std::fprintf(stderr, "Kestrova: warning: cannot remove the saved game %s: %s\n", file_.c_str(),
                 std::strerror(errno));
  }
}

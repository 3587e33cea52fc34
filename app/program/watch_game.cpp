#include "app/program/watch_game.h"

#include <cstdio>
#include <memory>

#include "app/demos/session.h"
#include "app/play/notices.h"
#include "app/play/play_session.h"
#include "app/screens/replay_viewer.h"
#include "app/tapp.h"
#include "platform/input/input.h"
#include "rules/answers.h"
#include "rules/random.h"
#include "state/game.h"

namespace {

// What the game is while `actors` are in it.
struct TGameNow {
  TActors actors;
  int32_t camX = 0;
  int32_t camY = 0;
  int32_t rng = 0;
  TGamePhase phase = TGamePhase::Running;
};

TGameNow GameNow() {
  return {{game.figureList, game.itemList, game.shotList, game.bloodList, game.player},
          game.camX,
          game.camY,
          RandomState(),
          game.gameState};
}

void PutGame(const TGameNow& now) {
  game.figureList = now.actors.figureList;
  game.itemList = now.actors.itemList;
  game.shotList = now.actors.shotList;
  game.bloodList = now.actors.bloodList;
  game.player = now.actors.player;
  game.camX = now.camX;
  game.camY = now.camY;
  game.gameState = now.phase;
  SetRandomState(now.rng);
}

}  // namespace

TGameStart KeepGameStart() {
  TFigureCopies copies;
  return {CopyActors({game.figureList, game.itemList, game.shotList, game.bloodList, game.player}, copies), game.camX,
          game.camY, RandomState()};
}

bool WatchFinishedGame(const TGameStart& start, const std::string& file) {
  TGameSession replay;
  if (!replay.Replay(file)) {
    std::fprintf(stderr, "Kestrova: %s\n", replay.Message().c_str());
    PostNotice(Tr("Das Spiel lässt sich nicht ansehen"));
    return false;
  }
  const TGameNow ended = GameNow();
  const TLaunch launch = Tapp::launch;
  // A fresh copy of the start, so the game can be watched again.
  TFigureCopies copies;
  PutGame({CopyActors(start.actors, copies), start.camX, start.camY, start.rng, TGamePhase::Running});
  Tapp::launch.playAgain = false;
  Tapp::launch.keepScores = false;
  Tapp::launch.demo = file;
  std::unique_ptr<TPlaySession> played = SwapPlaySession(std::make_unique<TPlaySession>());
  {
    TReplayViewer viewer(replay);
    SetRunWatcher(&viewer);
    Tapp::run();
    SetRunWatcher(nullptr);
    SetAnswerTap(nullptr);
  }
  SwapPlaySession(std::move(played));
  Tapp::launch = launch;
  PutGame(ended);
  // What was pressed to stop watching is no answer to the score screen.
  ClearKeys();
  ClearButtons();
  return true;
}

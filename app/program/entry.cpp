#include <cstdio>
#include <memory>
#include <string>

#include "app/demos/session.h"
#include "app/loading/loading.h"
#include "app/loading/tables.h"
#include "app/play/notices.h"
#include "app/play/play_session.h"
#include "app/player/settings_in_force.h"
#include "app/program/command_line.h"
#include "app/screens/replay_viewer.h"
#include "app/tapp.h"
#include "platform/input/input.h"
#include "platform/system/fatal.h"
#include "platform/system/stop_signal.h"
#include "platform/video/letterbox.h"
#include "platform/video/sdl_window.h"
#include "rules/answers.h"
#include "rules/rules_clock.h"
#include "state/game.h"
#include "world/tmap.h"

int RunEntry(const TCommandLine& line) {
  CreateTables();

  auto session = std::make_unique<TGameSession>();
  if (!line.replay.empty()) {
    if (!session->Replay(line.replay)) {
      ReportProblem(session->Message());
      return session->Result();
    }
    // A replay is the recorded game: its seed, its screen (in a window) and its world.
    const TDemoHeader& demo = session->Header();
    Tapp::launch.seed = demo.seed;
    Tapp::launch.screen = {demo.screen[0], demo.screen[1], 0, demo.screen[3]};
    Tapp::launch.screenSource = "the demo " + line.replay;
    Tapp::launch.demo = line.replay;
    game.mapParamsGiven = demo.map;
  } else {
    Tapp::launch.seed = line.seed;
  }
  // A demo holds one game.
  Tapp::launch.playAgain = line.replay.empty() && line.record.empty();
  Tapp::launch.keepScores = line.replay.empty();

  if (!line.record.empty() && !session->CheckRecordTarget(line.record)) {
    ReportProblem(session->Message());
    return session->Result();
  }

  const std::string settingsFile = PlayerSettingsFile();
  std::string notice;
  const TPlayerSettings settings = ReadPlayerSettings(settingsFile, true, &notice);
  if (!notice.empty()) PostNotice(notice);
  TakePlayerSettings(settingsFile, settings);
  Tapp::init();
  // Scaling and full screen need the window: the settings go in force once it is open.
  Apply(settings);
  // The viewer of a replay keeps the pointer; the game reads the recorded one.
  if (!line.replay.empty()) ReleasePointer();
  // A player's tap shorter than a frame still counts; the simulator's scripts keep their frames.
  CountQuickTaps(true);
  if (!line.record.empty()) session->Record(line.record, *Tapp::launch.seed);
  // The first thing that went wrong (a replay that went astray, a report not written) sets the
  // exit status; the player may still play on.
  TGameSession::Status status = TGameSession::kDone;
  std::string problem;
  for (int32_t games = 1;; ++games) {
    if (!line.report.empty()) session->ReportTo(line.report);
    // Watched in the window, a replay can be paused, slowed, sped up and jumped through.
    TReplayViewer viewer(*session);
    if (!line.replay.empty()) {
      SetRunWatcher(&viewer);
    } else if (!line.record.empty() || !line.report.empty()) {
      SetRunWatcher(session.get());
    }
    Tapp::laden();
    if (!LoadingStopped()) Tapp::run();
    SetRunWatcher(nullptr);
    SetAnswerTap(nullptr);
    if (status == TGameSession::kDone) {
      status = session->Result();
      problem = session->Message();
    }
    const TNextGame next = PlaySession().next;
    if (next == TNextGame::End || StopStatus() != 0) break;
    // Another game: a new world from the clock, or this one again.
    const int32_t seed = next == TNextGame::NewWorld ? NowMs() : *Tapp::launch.seed;
    std::fprintf(stderr, "Kestrova: game %d, %s, seed %d\n", games + 1,
                 next == TNextGame::NewWorld ? "a new world" : "the same world", seed);
    StartNextGame(seed);
    session = std::make_unique<TGameSession>();
  }
  KeepPlayerSettings();
  if (status != TGameSession::kDone) ReportProblem(problem);
  // Ended by a stop signal or a lost display: the status says so, once all is written.
  if (StopStatus() != 0) return StopStatus();
  return status;
}

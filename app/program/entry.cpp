#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "app/demos/session.h"
#include "app/loading/continue_game.h"
#include "app/loading/loading.h"
#include "app/loading/tables.h"
#include "app/play/notices.h"
#include "app/play/play_session.h"
#include "app/player/kept_games.h"
#include "app/player/saved_game.h"
#include "app/player/scores.h"
#include "app/player/settings_in_force.h"
#include "app/program/command_line.h"
#include "app/program/watch_game.h"
#include "app/screens/replay_viewer.h"
#include "app/tapp.h"
#include "platform/input/input.h"
#include "platform/system/fatal.h"
#include "platform/system/stop_signal.h"
#include "platform/text/language.h"
#include "platform/video/letterbox.h"
#include "platform/video/sdl_window.h"
#include "rules/answers.h"
#include "rules/rules_clock.h"
#include "state/game.h"
#include "world/tmap.h"

namespace {

// "last" and "best" name the kept games; anything else is a file.
bool FindKeptGame(std::string& replay) {
  if (replay != "last" && replay != "best") return true;
  TScoreFile read;
  std::string problem;
  if (replay == "best") ReadScores(ScoresFile(), read, problem);
  const std::string file = replay == "last" ? LastKeptGame() : BestKeptGame(read.scores);
  if (file.empty()) {
    ReportProblem(TrFill("Kein Spiel zum Ansehen aufbewahrt (%s): es wird aufbewahrt, sobald ein Spiel zu Ende ist.",
                         {KeptGamesFolder()}));
    return false;
  }
  replay = file;
  return true;
}

// A saved game that cannot be continued is named, put aside and a fresh game starts.
void PutSaveAside(const std::string& file, const std::string& why) {
  std::string problem;
  const std::string aside = SetSaveAside(file, problem);
  std::fprintf(stderr, "Kestrova: the saved game %s cannot be continued: %s; %s, and a new game starts\n", file.c_str(),
               why.c_str(),
               aside.empty() ? ("it could not be put aside: " + problem).c_str() : ("it is kept as " + aside).c_str());
  PostNotice(TrFill("%s unbrauchbar, beiseitegelegt", {file.substr(file.rfind('/') + 1)}));
}

// The saved game to go on with, if there is one that can be; read before the window opens.
std::optional<TSavedGame> FindSavedGame(const std::string& file) {
  TSavedGame save;
  std::string why;
  if (file.empty()) return std::nullopt;
  switch (ReadSavedGame(file, save, why)) {
    case TSaveFound::None:
      return std::nullopt;
    case TSaveFound::Unusable:
      PutSaveAside(file, why);
      return std::nullopt;
    case TSaveFound::Usable:
      break;
  }
  return save;
}

// Keeps the finished game's demo among the games to watch again; a failure is told, the game
// is over all the same.
void KeepFinishedDemo(const TGameSession& session) {
  const std::optional<TScore>& line = PlaySession().finished;
  if (!line) return;
  TScoreFile read;
  std::string problem;
  ReadScores(ScoresFile(), read, problem);
  problem = KeepGame(*line, session.DemoText(), PlayerSettings().gamesKept, read.scores);
  if (!problem.empty())
    std::fprintf(stderr, "Kestrova: warning: the game is not kept to watch again: %s\n", problem.c_str());
}

}  // namespace

int RunEntry(const TCommandLine& command) {
  TCommandLine line = command;
  CreateTables();

  auto session = std::make_unique<TGameSession>();
  // A saved game goes on when nothing else is asked for.
  const std::string saveFile = SavedGameFile();
  std::optional<TSavedGame> save;
  if (line.replay.empty() && !line.seed && !line.fresh) save = FindSavedGame(saveFile);
  if (save && !session->Continue(save->demo, save->frames, saveFile)) {
    PutSaveAside(saveFile, session->Message());
    save.reset();
    session = std::make_unique<TGameSession>();
  }
  if (!line.replay.empty()) {
    if (!FindKeptGame(line.replay)) return 1;
    if (!session->Replay(line.replay)) {
      ReportProblem(session->Message());
      return session->Result();
    }
  }
  if (!line.replay.empty() || save) {
    // A replay is the recorded game, a saved game goes on: its seed, its screen (in a window,
    // which the player's settings may make full screen) and its world.
    const TDemoHeader& demo = session->Header();
    Tapp::launch.seed = demo.seed;
    Tapp::launch.screen = {demo.screen[0], demo.screen[1], 0, demo.screen[3]};
    Tapp::launch.screenSource = (save ? "the saved game " : "the demo ") + (save ? saveFile : line.replay);
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

  // Keys are named in the settings as the keyboard's layout labels them, which the video's
  // start makes known; a display that cannot be reached is reported as the window opens.
  std::string noVideo;
  StartVideo(noVideo);
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
    std::optional<TContinuedGame> continued;
    if (!line.replay.empty()) {
      SetRunWatcher(&viewer);
    } else if (save) {
      continued.emplace(*session, saveFile, *save);
      SetRunWatcher(&*continued);
    } else {
      // Every game played is recorded, to be kept or saved.
      PlaySession().recorder = session.get();
      SetRunWatcher(session.get());
    }
    if (!save) session->Seed(*Tapp::launch.seed);
    Tapp::laden();
    std::optional<TGameStart> start;
    if (!LoadingStopped()) {
      if (line.replay.empty()) start = KeepGameStart();
      Tapp::run();
    }
    SetRunWatcher(nullptr);
    SetAnswerTap(nullptr);
    if (PlaySession().saved) {
      std::fprintf(stderr, "Kestrova: the game is saved in %s and goes on at the next start\n", saveFile.c_str());
    }
    const bool lostSave = continued && !continued->Resumed() && session->Result() != TGameSession::kDone;
    if (status == TGameSession::kDone && !lostSave) {
      status = session->Result();
      problem = session->Message();
    }
    KeepFinishedDemo(*session);
    while (PlaySession().next == TNextGame::Watch && StopStatus() == 0) {
      WatchFinishedGame(*start, KeptGameFile(*PlaySession().finished));
      Tapp::endscreen(PlaySession().place);
    }
    save.reset();
    TNextGame next = PlaySession().next;
    if (lostSave) {
      // The saved game went astray on its way back: it is put aside, and a new game starts.
      PutSaveAside(saveFile, session->Message());
      next = TNextGame::NewWorld;
    }
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

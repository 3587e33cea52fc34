#include "app/play/save_play.h"

#include "app/demos/session.h"
#include "app/play/play_session.h"
#include "app/player/saved_game.h"
#include "platform/system/clock.h"
#include "rules/rules_clock.h"

std::string SaveGameBeingPlayed() {
  TPlaySession& play = PlaySession();
  if (play.recorder == nullptr || play.recorder->DemoText().empty()) return "this game is not recorded";
  const std::string file = SavedGameFile();
  if (file.empty()) return "there is no data folder (neither XDG_DATA_HOME nor HOME is set)";
  TSavedGame save;
  save.saved = LocalTimeText("%Y-%m-%d %H:%M:%S");
  save.frames = play.recorder->Frames();
  save.playedMs = PlayedMs();
  save.clock = RulesClockReading();
  save.demo = play.recorder->DemoText();
  const std::string problem = WriteSavedGame(file, save);
  if (!problem.empty()) return "cannot write " + file + ": " + problem;
  play.recorder->MarkSaved();
  play.saved = true;
  return {};
}

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/menu/controls_help.h"
#include "app/player/scores.h"
#include "app/player/settings.h"
#include "app/program/command_line.h"
#include "app/tapp.h"
#include "platform/files/paths.h"
#include "platform/system/crash.h"
#include "platform/system/fatal.h"
#include "platform/system/stop_signal.h"

namespace {

// Files named on the command line are meant from where the game was started, not from the
// program's folder that it moves into.
void MakeAbsolute(std::string& path) {
  std::error_code error;
  if (!path.empty()) path = std::filesystem::absolute(path, error).string();
}

}  // namespace

int main(int argc, char** argv) {
  TCommandLine line;
  std::string error;
  const bool parsed = ParseCommandLine(argc, argv, line, error);
  // What the player reads here is in the player's language, and the help lists the keys in
  // force: the player's settings, read without writing anything.
  TPlayerSettings settings;
  if (!parsed || line.help || line.scores) settings = ReadPlayerSettings(PlayerSettingsFile(), false);
  if (!parsed) {
    // Again, for the message in the player's language.
    ParseCommandLine(argc, argv, line, error);
    std::fprintf(stderr, "Kestrova: %s\n%s", error.c_str(), Usage().c_str());
    return 2;
  }
  if (line.help) {
    std::printf("%s\n%s", Usage().c_str(), ControlsHelp(settings).c_str());
    return 0;
  }
  if (line.version) {
    std::puts("kestrova " KESTROVA_VERSION);
    return 0;
  }
  if (line.scores) return PrintScores(ScoresFile());
  MakeAbsolute(line.record);
  // "last" and "best" name kept games, not files (a file of that name is ./last).
  if (line.replay != "last" && line.replay != "best") MakeAbsolute(line.replay);
  MakeAbsolute(line.report);

  ShowBoxesWithoutWindow(true);
  InstallCrashHandler();
  InstallStopSignals();
  IgnoreBrokenPipes();
  if (!EnterGameFolder()) Fatal("cannot change to the game's folder " + GameFolder());
  const int status = RunEntry(line);
  // With its display gone, closing the window and the drawing library's own teardown at exit
  // would wait on or fault in the dead connection; all the game writes is written by now.
  if (DisplayLost()) {
    std::fflush(nullptr);
    std::_Exit(status);
  }
  CloseScreenForExit();
  return status;
}

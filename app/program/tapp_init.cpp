#include <cstdio>
#include <filesystem>

#include "app/play/notices.h"
#include "app/play/pad_controls.h"
#include "app/play/play_session.h"
#include "app/tapp.h"
#include "platform/files/paths.h"
#include "platform/files/textio.h"
#include "platform/input/input.h"
#include "platform/input/pad.h"
#include "platform/system/clock.h"
#include "platform/system/fatal.h"
#include "platform/system/timer.h"
#include "platform/text/language.h"
#include "platform/video/graphics.h"
#include "platform/video/image.h"
#include "platform/video/sdl_window.h"
#include "rules/random.h"
#include "rules/rules_clock.h"
#include "state/game.h"

void Tapp::readSettings() {
  game.screenW = TextToInt(ReadLine(game.configStream));
  game.screenH = TextToInt(ReadLine(game.configStream));
  game.screenDepth = TextToInt(ReadLine(game.configStream));
  game.screenHertz = TextToInt(ReadLine(game.configStream));
}

TLaunch Tapp::launch;

void Tapp::openScreen() {
  StartControls();
  PlaySession().WatchEvents();
  StartWithVideo(StartPads);
  if (OpenScreen(game.screenW, game.screenH, game.screenDepth, game.screenHertz, 0)) {
    if (WindowShrunkToFit()) {
      std::fprintf(stderr,
                   "Kestrova: the screen of %d x %d pixels of %s is larger than the desktop; it is shown smaller\n",
                   game.screenW, game.screenH, launch.screenSource.c_str());
      PostNotice(Tr("Bild verkleinert: das Fenster passt sonst nicht auf den Desktop"));
    }
    return;
  }
  const std::string kind = game.screenDepth == 0 ? "a window" : "a full-screen mode";
  const std::string asked = launch.screenSource + " asks for " + kind + " of " + IntToText(game.screenW) + " x " +
                            IntToText(game.screenH) + " pixels, depth " + IntToText(game.screenDepth) + ", at " +
                            IntToText(game.screenHertz) + " Hz";
  if (LastScreenError() != kDisplayModeFailure) Fatal(asked + ", which cannot be opened: " + LastScreenError());
  std::string offered;
  for (const std::string& mode : DisplayModes()) offered += (offered.empty() ? "" : "; ") + mode;
  Fatal(LastScreenError() + "\n" + asked + "; the display offers " + (offered.empty() ? "no modes" : offered) + ".");
}

int32_t Tapp::init() {
  launch.seed = launch.seed ? *launch.seed : NowMs();
  SeedRandom(*launch.seed);
  if (launch.screen) {
    const std::array<int32_t, 4>& s = *launch.screen;
    game.screenW = s[0];
    game.screenH = s[1];
    game.screenDepth = s[2];
    game.screenHertz = s[3];
  } else {
    const std::string configFile = SettingsFile("config.txt");
    launch.screenSource = configFile;
    const std::string named = configFile == "config.txt" ? "config.txt next to the program" : configFile;
    const std::string holds =
        "It holds four lines: screen width, screen height, colour depth (0 for a window) and refresh rate in hertz.";
    // A folder opens for reading but yields no lines, which would read as a screen of 0 x 0.
    std::error_code error;
    if (std::filesystem::is_directory(configFile, error)) Fatal("cannot read " + named + ": it is a folder. " + holds);
    std::string why;
    game.configStream = OpenReadStream(configFile, &why);
    if (!game.configStream) Fatal("cannot read " + named + ": " + why + ". " + holds);
    readSettings();
  }
  openScreen();
  SetBlend(3);
  SetAutoMidHandle(1);
  game.ticker = TTimer::Create(50, std::nullopt);
  HidePointer();
  return 0;
}

#include "app/globals.h"
#include "app/tapp.h"
#include "platform/clock.h"
#include "platform/fatal.h"
#include "platform/random.h"
#include "platform/textio.h"

void Tapp::readSettings() {
  screenW = TextToInt(ReadLine(configStream));
  screenH = TextToInt(ReadLine(configStream));
  screenDepth = TextToInt(ReadLine(configStream));
  screenHertz = TextToInt(ReadLine(configStream));
}

int32_t Tapp::init() {
  SeedRandom(NowMs());
  configStream = OpenReadStream("config.txt");
  if (!configStream) {
    Fatal(
        "cannot read config.txt next to the program. It holds four lines: screen width, "
        "screen height, colour depth (0 for a window) and refresh rate in hertz.");
  }
  readSettings();
  return 0;
}

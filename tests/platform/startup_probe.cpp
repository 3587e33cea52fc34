// Runs the game's start-up steps, then does what the test asks:
//   settings  - enter the program folder, run Tapp::init on a headless screen, print the values
//   cwd       - enter the program folder and print it
//   crash KIND - install the fault handler and cause the named fault
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/tapp.h"
#include "platform/system/crash.h"
#include "platform/system/startup.h"
#include "platform/video/graphics.h"
#include "platform/video/recording_driver.h"
#include "state/game.h"

namespace {

volatile int zero = 0;
volatile int* nullPointer = nullptr;

#pragma GCC diagnostic ignored "-Winfinite-recursion"
int Recurse(int depth) {
  volatile char pad[4096];
  pad[0] = static_cast<char>(depth);
  return Recurse(depth + 1) + pad[0];
}

}  // namespace

int main(int argc, char** argv) {
  InstallCrashHandler();
  const std::string what = argc > 1 ? argv[1] : "";
  if (what == "cwd" || what == "settings") {
    if (!EnterProgramFolder()) return 10;
    char buf[4096];
    if (getcwd(buf, sizeof buf) == nullptr) return 11;
    if (what == "cwd") {
      std::printf("%s\n", buf);
      return 0;
    }
    // The screen opens on the recording driver, so no display is needed.
    SetGraphicsDriver(std::make_shared<TRecordingDriver>());
    Tapp::init();
    std::printf("%d %d %d %d\n", game.screenW, game.screenH, game.screenDepth, game.screenHertz);
    return 0;
  }
  if (what == "crash" && argc > 2) {
    const std::string kind = argv[2];
    if (kind == "segv") return *nullPointer;
    if (kind == "intdiv") return 7 / zero;
    if (kind == "trap") raise(SIGTRAP);
    if (kind == "stack") return Recurse(0);
  }
  return 20;
}

// Preloaded into the real program by the end-to-end pad test (LD_PRELOAD), so that the shipped
// game holds no test code: this library stands in for SDL_PollEvent, and before each call of
// the game's event pump carries out the complete lines added since to the command file that
// KESTROVA_VIRTUAL_PAD names (tests/support/virtual_pad.h), then hands over to SDL's own.
// A line it cannot follow is reported on stderr and skipped.
#include <SDL2/SDL.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/virtual_pad.h"

namespace {

struct Feed {
  int file = -1;
  bool opened = false;
  std::string path;
  std::string text;
  int32_t line = 0;
};

Feed feed;

// Once the game has started its pads, the file is read for the lines that came since.
void FeedVirtualPad() {
  if (SDL_WasInit(SDL_INIT_GAMECONTROLLER) == 0) return;
  if (!feed.opened) {
    feed.opened = true;
    const char* path = std::getenv("KESTROVA_VIRTUAL_PAD");
    if (path == nullptr || *path == 0) return;
    feed.path = path;
    feed.file = open(path, O_RDONLY | O_CLOEXEC);
    if (feed.file < 0) std::fprintf(stderr, "KESTROVA_VIRTUAL_PAD: cannot read %s\n", path);
  }
  if (feed.file < 0) return;
  char buffer[4096];
  ssize_t n = 0;
  while ((n = read(feed.file, buffer, sizeof buffer)) > 0) feed.text.append(buffer, static_cast<size_t>(n));
  size_t end = 0;
  while ((end = feed.text.find('\n')) != std::string::npos) {
    const std::string line = feed.text.substr(0, end);
    feed.text.erase(0, end + 1);
    ++feed.line;
    std::string error;
    if (line.find_first_not_of(" \t\r") != std::string::npos && !RunVirtualPadCommand(line, error)) {
      std::fprintf(stderr, "%s:%d: %s: %s\n", feed.path.c_str(), feed.line, error.c_str(), line.c_str());
    }
  }
}

// The game pumps in a loop until the queue is empty; the file is read at the first call of each
// pump, which is the one that finds the queue of the last pump emptied.
bool queueEmptied = true;

}  // namespace

extern "C" int SDL_PollEvent(SDL_Event* event) {
  using Poll = int (*)(SDL_Event*);
  static const auto next = reinterpret_cast<Poll>(dlsym(RTLD_NEXT, "SDL_PollEvent"));
  if (queueEmptied) FeedVirtualPad();
  const int got = next(event);
  queueEmptied = got == 0;
  return got;
}

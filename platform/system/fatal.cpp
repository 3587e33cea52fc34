#include "platform/system/fatal.h"

#include <SDL2/SDL.h>
#include <pthread.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/system/stop_signal.h"

namespace {

struct FatalState {
  SDL_Window* boxWindow = nullptr;
  bool boxesWithoutWindow = false;
  void (*screenCloser)() = nullptr;
};

FatalState state;

// The process that shows a box while one is up (0 when none is): the box may run in a process
// of its own, forked from this one.
volatile sig_atomic_t boxOwner = 0;

// In a process forked while a box is up, the box's own: it ends with the game, and a stop
// signal sent to it ends it.
void InBoxProcess() {
  if (boxOwner == 0) return;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) signal(sig, SIG_DFL);
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != boxOwner) _exit(1);
}

}  // namespace

void EndIfMessageBoxUp(int sig) {
  if (boxOwner != 0) _exit(128 + sig);
}

void SetMessageBoxWindow(void* sdlWindow) { state.boxWindow = static_cast<SDL_Window*>(sdlWindow); }

void SetScreenCloser(void (*closer)()) { state.screenCloser = closer; }

void ShowBoxesWithoutWindow(bool on) { state.boxesWithoutWindow = on; }

bool HasMessageBoxWindow() { return state.boxWindow != nullptr; }

void ShowMessageBox(const char* title, const char* text) {
  static const bool watched = pthread_atfork(nullptr, nullptr, InBoxProcess) == 0;
  (void)watched;
  boxOwner = getpid();
  // A box without a window opens a connection of its own, which an X server resetting as
  // its last client left drops in its handshake: a few tries, as for the window.
  for (int attempt = 0; attempt < 4; ++attempt) {
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, text, state.boxWindow) == 0 || state.boxWindow != nullptr)
      break;
    SDL_Delay(100);
  }
  boxOwner = 0;
}

void CloseScreenForExit() {
  void (*closer)() = state.screenCloser;
  state.screenCloser = nullptr;
  if (closer != nullptr) closer();
}

std::string WrapLines(const std::string& text, size_t width) {
  std::string wrapped;
  size_t lineStart = 0;
  size_t lastSpace = std::string::npos;
  for (char c : text) {
    if (c == ' ') lastSpace = wrapped.size();
    wrapped.push_back(c);
    if (c == '\n') {
      lineStart = wrapped.size();
      lastSpace = std::string::npos;
    } else if (wrapped.size() - lineStart > width && lastSpace != std::string::npos && lastSpace > lineStart) {
      wrapped[lastSpace] = '\n';
      lineStart = lastSpace + 1;
      lastSpace = std::string::npos;
    }
  }
  return wrapped;
}

void ReportProblem(const std::string& message) {
  std::fprintf(stderr, "Kestrova: %s\n", message.c_str());
  std::fflush(stderr);
  // Message boxes do not wrap text themselves.
  // Without a display the box fails at once; stderr has the message anyway. After a stop
  // signal nobody waits for a box to be closed.
  if ((state.boxWindow != nullptr || state.boxesWithoutWindow) && StopStatus() == 0)
    ShowMessageBox("Kestrova", WrapLines(message, 72).c_str());
}

void Fatal(const std::string& message, int status) {
  ReportProblem(message);
  CloseScreenForExit();
  std::exit(StopStatus() != 0 ? StopStatus() : status);
}

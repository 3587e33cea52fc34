#include "platform/system/fatal.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>

namespace {

struct FatalState {
  SDL_Window* boxWindow = nullptr;
  bool boxesWithoutWindow = false;
  void (*screenCloser)() = nullptr;
};

FatalState state;

}  // namespace

void SetMessageBoxWindow(void* sdlWindow) { state.boxWindow = static_cast<SDL_Window*>(sdlWindow); }

void SetScreenCloser(void (*closer)()) { state.screenCloser = closer; }

void ShowBoxesWithoutWindow(bool on) { state.boxesWithoutWindow = on; }

bool HasMessageBoxWindow() { return state.boxWindow != nullptr; }

void ShowMessageBox(const char* title, const char* text) {
  // A box without a window opens a connection of its own, which a busy X server now and then
  // drops during its handshake: a few tries, as for the window.
  for (int attempt = 0; attempt < 4; ++attempt) {
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, text, state.boxWindow) == 0 || state.boxWindow != nullptr)
      return;
    SDL_Delay(100);
  }
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
  // Without a display the box fails at once; stderr has the message anyway.
  if (state.boxWindow != nullptr || state.boxesWithoutWindow)
    ShowMessageBox("Kestrova", WrapLines(message, 72).c_str());
}

void Fatal(const std::string& message, int status) {
  ReportProblem(message);
  CloseScreenForExit();
  std::exit(status);
}

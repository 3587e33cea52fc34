#include "platform/fatal.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>

namespace {
SDL_Window* boxWindow = nullptr;
void (*screenCloser)() = nullptr;
}  // namespace

void SetMessageBoxWindow(void* sdlWindow) { boxWindow = static_cast<SDL_Window*>(sdlWindow); }

void SetScreenCloser(void (*closer)()) { screenCloser = closer; }

bool HasMessageBoxWindow() { return boxWindow != nullptr; }

void ShowMessageBox(const char* title, const char* text) {
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title, text, boxWindow);
}

void CloseScreenForExit() {
  void (*closer)() = screenCloser;
  screenCloser = nullptr;
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
  if (boxWindow != nullptr) ShowMessageBox("Kestrova", WrapLines(message, 72).c_str());
}

void Fatal(const std::string& message, int status) {
  ReportProblem(message);
  CloseScreenForExit();
  std::exit(status);
}

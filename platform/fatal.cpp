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

void Fatal(const std::string& message) {
  std::fprintf(stderr, "Kestrova: %s\n", message.c_str());
  std::fflush(stderr);
  if (boxWindow != nullptr) ShowMessageBox("Kestrova", message.c_str());
  CloseScreenForExit();
  std::exit(1);
}

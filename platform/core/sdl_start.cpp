#include "platform/core/sdl_start.h"

#include <SDL2/SDL.h>

namespace {

bool started = false;

}  // namespace

bool StartEventLayer() {
  if (started) return true;
  // Ctrl+C and SIGTERM keep ending the program; SDL would turn them into close requests,
  // which the game ignores.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) return false;
  started = true;
  return true;
}

bool EventLayerStarted() { return started; }

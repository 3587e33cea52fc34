#include "platform/input/key_names.h"

#include <SDL2/SDL.h>

#include "platform/input/events.h"

int32_t KeyCodeFromName(std::string_view name) {
  // SDL calls Enter "Return"; players write either.
  const std::string text = SDL_strcasecmp(std::string(name).c_str(), "Enter") == 0 ? "Return" : std::string(name);
  SDL_Scancode scancode = SDL_GetScancodeFromName(text.c_str());
  if (scancode == SDL_SCANCODE_UNKNOWN) scancode = SDL_GetScancodeFromKey(SDL_GetKeyFromName(text.c_str()));
  if (scancode == SDL_SCANCODE_UNKNOWN) return 0;
  return VirtualKeyFromSdl(scancode, SDL_GetKeyFromScancode(scancode));
}

std::string KeyName(int32_t code) {
  if (code == 0) return {};
  // The first scancode that gives the code: the main key before its keypad twin.
  for (int sc = SDL_SCANCODE_A; sc < SDL_NUM_SCANCODES; ++sc) {
    const auto scancode = static_cast<SDL_Scancode>(sc);
    if (VirtualKeyFromSdl(scancode, SDL_GetKeyFromScancode(scancode)) != code) continue;
    const char* name = SDL_GetScancodeName(scancode);
    if (name != nullptr && *name != '\0') return name;
  }
  return {};
}

// SDL's keys as the game's key codes (platform/input/keys.h), and key names as a player writes
// them in the settings file: SDL's names of the keys ("W", "Up", "Return", "Keypad +", "F11"),
// turned into the game's key codes and back.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The key code of a key name (case does not matter); 0 when the name is no key the game knows.
int32_t KeyCodeFromName(std::string_view name);
// The name of a key code, as KeyCodeFromName reads it back; empty when it has none.
std::string KeyName(int32_t code);
// Windows virtual-key code of an SDL key (SDL_Scancode, SDL_Keycode), 0 when it has none.
int32_t VirtualKeyFromSdl(int32_t scancode, int32_t keycode);

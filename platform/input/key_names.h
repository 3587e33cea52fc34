// SDL's keys as the game's key codes (platform/input/keys.h), and key names as a player writes
// them in the settings file, turned into the game's key codes and back. A key that types a
// character is named as the keyboard's layout labels it ("Y", "Ü", "+" on a German one); the
// others by SDL's names ("Up", "Return", "Keypad +", "F11"). Until the video has started the
// layout is unknown and every key is named by its place on a US keyboard. A single character
// no key of the layout types is read by that US place too ("[" is the key right of P), so
// files written on a US layout keep their meaning everywhere.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The key code of a key name (case does not matter); 0 when the name is no key the game knows.
int32_t KeyCodeFromName(std::string_view name);
// The name of a key code, as KeyCodeFromName reads it back; empty when it has none.
std::string KeyName(int32_t code);
// The layout's character for a key (SDL_Scancode to SDL_Keycode) and the key that types a
// character, 0 for none; SDL's when null (tests give their own layouts).
using TKeyOfScancode = int32_t (*)(int32_t scancode);
using TScancodeOfKey = int32_t (*)(int32_t keycode);
void UseKeyboardLayout(TKeyOfScancode keyOf, TScancodeOfKey scancodeOf);
// Windows virtual-key code of an SDL key (SDL_Scancode, SDL_Keycode), 0 when it has none.
int32_t VirtualKeyFromSdl(int32_t scancode, int32_t keycode);

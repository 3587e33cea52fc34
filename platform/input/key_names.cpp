#include "platform/input/key_names.h"

#include <SDL2/SDL.h>

#include "platform/input/keys.h"

namespace {

int32_t SdlKeyOf(int32_t scancode) { return SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(scancode)); }
int32_t SdlScancodeOf(int32_t keycode) { return SDL_GetScancodeFromKey(keycode); }

TKeyOfScancode keyOf = SdlKeyOf;
TScancodeOfKey scancodeOf = SdlScancodeOf;

// A character the built-in font can show and the settings file can hold ('#' starts a
// comment there), as the key's label shows it: letters upper case.
bool Labels(int32_t c) { return (c > ' ' && c < 0x7F && c != '#') || (c >= 0xA1 && c <= 0xFF); }
int32_t Upper(int32_t c) {
  if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 0x20;
  return c;
}
int32_t Lower(int32_t c) {
  if (c >= 'A' && c <= 'Z') return c - 'A' + 'a';
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
  return c;
}

std::string Utf8(int32_t c) {
  if (c < 0x80) return std::string(1, static_cast<char>(c));
  return {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
}

// The one character `name` is (ASCII or Latin-1 in UTF-8), 0 when it is more or other.
int32_t OneCharacter(std::string_view name) {
  const auto b = [&](size_t i) { return static_cast<unsigned char>(name[i]); };
  if (name.size() == 1 && b(0) < 0x80) return b(0);
  if (name.size() == 2 && (b(0) == 0xC2 || b(0) == 0xC3) && (b(1) & 0xC0) == 0x80)
    return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
  return 0;
}

int32_t CodeOfScancode(SDL_Scancode scancode) { return VirtualKeyFromSdl(scancode, keyOf(scancode)); }

}  // namespace

void UseKeyboardLayout(TKeyOfScancode keys, TScancodeOfKey scancodes) {
  keyOf = keys != nullptr ? keys : SdlKeyOf;
  scancodeOf = scancodes != nullptr ? scancodes : SdlScancodeOf;
}

int32_t KeyCodeFromName(std::string_view name) {
  // The key of the layout that types the character.
  if (const int32_t c = OneCharacter(name); Labels(c)) {
    const int32_t scancode = scancodeOf(Lower(c));
    if (scancode != SDL_SCANCODE_UNKNOWN) return CodeOfScancode(static_cast<SDL_Scancode>(scancode));
    // A letter keeps its code whether or not the layout has it, as typed letters do.
    if (c >= 'A' && c <= 'Z') return c;
    if (c >= 'a' && c <= 'z') return Upper(c);
  }
  // SDL calls Enter "Return"; players write either.
  const std::string text = SDL_strcasecmp(std::string(name).c_str(), "Enter") == 0 ? "Return" : std::string(name);
  SDL_Scancode scancode = SDL_GetScancodeFromName(text.c_str());
  if (scancode == SDL_SCANCODE_UNKNOWN) scancode = SDL_GetScancodeFromKey(SDL_GetKeyFromName(text.c_str()));
  if (scancode == SDL_SCANCODE_UNKNOWN) return 0;
  return CodeOfScancode(scancode);
}

std::string KeyName(int32_t code) {
  if (code == 0) return {};
  // The first scancode that gives the code: the main key before its keypad twin.
  for (int sc = SDL_SCANCODE_A; sc < SDL_NUM_SCANCODES; ++sc) {
    const auto scancode = static_cast<SDL_Scancode>(sc);
    if (CodeOfScancode(scancode) != code) continue;
    if (const int32_t typed = keyOf(scancode); Labels(typed)) return Utf8(Upper(typed));
    const char* name = SDL_GetScancodeName(scancode);
    if (name != nullptr && *name != '\0') return name;
  }
  return {};
}

int32_t VirtualKeyFromSdl(int32_t scancode, int32_t keycode) {
  // Letters and digits follow the keyboard layout, as Windows reports them.
  if (keycode >= 'a' && keycode <= 'z') return keycode - 'a' + 'A';
  if (keycode >= '0' && keycode <= '9') return keycode;
  const auto sc = static_cast<SDL_Scancode>(scancode);
  if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) return 'A' + (sc - SDL_SCANCODE_A);
  if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_9) return '1' + (sc - SDL_SCANCODE_1);
  if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12) return KEY_F1 + (sc - SDL_SCANCODE_F1);
  if (sc >= SDL_SCANCODE_F13 && sc <= SDL_SCANCODE_F24) return KEY_F13 + (sc - SDL_SCANCODE_F13);
  if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9) return KEY_NUMPAD1 + (sc - SDL_SCANCODE_KP_1);
  switch (sc) {
    case SDL_SCANCODE_0:
      return '0';
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
    case SDL_SCANCODE_RETURN2:
      return KEY_ENTER;
    case SDL_SCANCODE_ESCAPE:
      return KEY_ESCAPE;
    case SDL_SCANCODE_BACKSPACE:
      return KEY_BACKSPACE;
    case SDL_SCANCODE_TAB:
      return KEY_TAB;
    case SDL_SCANCODE_SPACE:
      return KEY_SPACE;
    case SDL_SCANCODE_MINUS:
      return KEY_MINUS;
    case SDL_SCANCODE_EQUALS:
      return KEY_EQUALS;
    case SDL_SCANCODE_LEFTBRACKET:
      return KEY_OPENBRACKET;
    case SDL_SCANCODE_RIGHTBRACKET:
      return KEY_CLOSEBRACKET;
    case SDL_SCANCODE_BACKSLASH:
    case SDL_SCANCODE_NONUSHASH:
      return KEY_BACKSLASH;
    case SDL_SCANCODE_SEMICOLON:
      return KEY_SEMICOLON;
    case SDL_SCANCODE_APOSTROPHE:
      return KEY_QUOTES;
    case SDL_SCANCODE_GRAVE:
      return KEY_TILDE;
    case SDL_SCANCODE_COMMA:
      return KEY_COMMA;
    case SDL_SCANCODE_PERIOD:
      return KEY_PERIOD;
    case SDL_SCANCODE_SLASH:
      return KEY_SLASH;
    case SDL_SCANCODE_NONUSBACKSLASH:
      return KEY_EXTRABACKSLASH;
    case SDL_SCANCODE_CAPSLOCK:
      return KEY_CAPSLOCK;
    case SDL_SCANCODE_PRINTSCREEN:
      return KEY_PRINTSCREEN;
    case SDL_SCANCODE_SCROLLLOCK:
      return KEY_SCROLLLOCK;
    case SDL_SCANCODE_PAUSE:
      return KEY_PAUSE;
    case SDL_SCANCODE_INSERT:
      return KEY_INSERT;
    case SDL_SCANCODE_HOME:
      return KEY_HOME;
    case SDL_SCANCODE_PAGEUP:
      return KEY_PAGEUP;
    case SDL_SCANCODE_DELETE:
      return KEY_DELETE;
    case SDL_SCANCODE_END:
      return KEY_END;
    case SDL_SCANCODE_PAGEDOWN:
      return KEY_PAGEDOWN;
    case SDL_SCANCODE_RIGHT:
      return KEY_RIGHT;
    case SDL_SCANCODE_LEFT:
      return KEY_LEFT;
    case SDL_SCANCODE_DOWN:
      return KEY_DOWN;
    case SDL_SCANCODE_UP:
      return KEY_UP;
    case SDL_SCANCODE_NUMLOCKCLEAR:
      return KEY_NUMLOCK;
    case SDL_SCANCODE_KP_DIVIDE:
      return KEY_NUMPADDIVIDE;
    case SDL_SCANCODE_KP_MULTIPLY:
      return KEY_NUMPADMULTIPLY;
    case SDL_SCANCODE_KP_MINUS:
      return KEY_NUMPADMINUS;
    case SDL_SCANCODE_KP_PLUS:
      return KEY_NUMPADPLUS;
    case SDL_SCANCODE_KP_0:
      return KEY_NUMPAD0;
    case SDL_SCANCODE_KP_PERIOD:
      return KEY_NUMPADPERIOD;
    case SDL_SCANCODE_APPLICATION:
    case SDL_SCANCODE_MENU:
      return KEY_MENU;
    case SDL_SCANCODE_HELP:
      return KEY_HELP;
    case SDL_SCANCODE_SELECT:
      return KEY_SELECT;
    case SDL_SCANCODE_EXECUTE:
      return KEY_EXECUTE;
    case SDL_SCANCODE_SLEEP:
      return KEY_SLEEP;
    case SDL_SCANCODE_MUTE:
      return KEY_MUTE;
    case SDL_SCANCODE_VOLUMEDOWN:
      return KEY_VOLUMEDOWN;
    case SDL_SCANCODE_VOLUMEUP:
      return KEY_VOLUMEUP;
    case SDL_SCANCODE_AUDIONEXT:
      return KEY_MEDIANEXT;
    case SDL_SCANCODE_AUDIOPREV:
      return KEY_MEDIAPREVIOUS;
    case SDL_SCANCODE_AUDIOSTOP:
      return KEY_MEDIASTOP;
    case SDL_SCANCODE_AUDIOPLAY:
      return KEY_MEDIAPLAY;
    case SDL_SCANCODE_LCTRL:
      return KEY_LEFTCONTROL;
    case SDL_SCANCODE_RCTRL:
      return KEY_RIGHTCONTROL;
    case SDL_SCANCODE_LSHIFT:
      return KEY_LEFTSHIFT;
    case SDL_SCANCODE_RSHIFT:
      return KEY_RIGHTSHIFT;
    case SDL_SCANCODE_LALT:
      return KEY_LEFTALT;
    case SDL_SCANCODE_RALT:
      return KEY_RIGHTALT;
    case SDL_SCANCODE_LGUI:
      return KEY_LEFTSYSTEM;
    case SDL_SCANCODE_RGUI:
      return KEY_RIGHTSYSTEM;
    default:
      return 0;
  }
}

// A game controller that exists only inside this process (SDL's virtual joystick), with the
// buttons and axes of SDL's standard pad: the tests play with it instead of hardware.
//
// The real program can be driven by one too, for end-to-end tests: the library that the
// end-to-end pad test preloads into it (tests/e2e/virtual_pad_preload.cpp) follows a command
// file as it grows and carries out each complete line with RunVirtualPadCommand:
//   attach                      plug a virtual pad in (a second attach is ignored)
//   detach                      pull it out
//   axis NAME VALUE             leftx lefty rightx righty: -32768..32767;
//                               lefttrigger righttrigger: 0..32767
//   button NAME 0|1             a b x y back guide start leftstick rightstick leftshoulder
//                               rightshoulder dpup dpdown dpleft dpright
// (the names are SDL's).
#pragma once
#include <cstdint>
#include <string>

struct _SDL_Joystick;

class TVirtualPad {
 public:
  // Plugs the pad in; Attached() tells whether SDL took it.
  TVirtualPad();
  // Pulls it out.
  ~TVirtualPad();
  TVirtualPad(const TVirtualPad&) = delete;
  TVirtualPad& operator=(const TVirtualPad&) = delete;

  bool Attached() const { return joystick_ != nullptr; }
  // SDL_GameControllerAxis; the value as the game controller reads it (triggers 0..32767).
  // Takes effect at the next pump.
  void SetAxis(int32_t axis, int32_t value);
  // SDL_GameControllerButton.
  void SetButton(int32_t button, bool down);
  // The strongest low-frequency rumble asked of the pad since the last call; 0 when none.
  uint16_t TakeRumble();

 private:
  static int Rumble(void* self, uint16_t low, uint16_t high);

  _SDL_Joystick* joystick_ = nullptr;
  uint16_t rumble_ = 0;
};

// Carries out one line of the command file described above on the one scripted pad; false
// (with `error` set) when the line cannot be followed.
bool RunVirtualPadCommand(const std::string& line, std::string& error);

// Game controllers (any pad SDL's game controller database knows): the axes and buttons of the
// pad that plays, with SDL's names and ranges. What they mean in the game is decided above the
// platform (app/play/pad_controls.h).
//
// The first pad connected plays; others wait until it goes. The pad reports nothing (axes at
// rest, buttons up, no presses) while another program has the focus. Without StartPads, or
// without a pad, every answer below is that of a pad at rest.
#pragma once
#include <cstdint>

// SDL's numbers for the standard pad's axes and buttons.
enum : int32_t {
  PAD_AXIS_LEFTX = 0,
  PAD_AXIS_LEFTY = 1,
  PAD_AXIS_RIGHTX = 2,
  PAD_AXIS_RIGHTY = 3,
  PAD_AXIS_TRIGGERLEFT = 4,
  PAD_AXIS_TRIGGERRIGHT = 5,
};
enum : int32_t {
  PAD_BUTTON_A = 0,
  PAD_BUTTON_B = 1,
  PAD_BUTTON_X = 2,
  PAD_BUTTON_Y = 3,
  PAD_BUTTON_BACK = 4,
  PAD_BUTTON_GUIDE = 5,
  PAD_BUTTON_START = 6,
  PAD_BUTTON_LEFTSTICK = 7,
  PAD_BUTTON_RIGHTSTICK = 8,
  PAD_BUTTON_LEFTSHOULDER = 9,
  PAD_BUTTON_RIGHTSHOULDER = 10,
  PAD_BUTTON_DPAD_UP = 11,
  PAD_BUTTON_DPAD_DOWN = 12,
  PAD_BUTTON_DPAD_LEFT = 13,
  PAD_BUTTON_DPAD_RIGHT = 14,
};

// Starts SDL's game controller support and opens the pad already connected, if any; false when
// SDL refuses (the game then plays without pads).
bool StartPads();
// Whether a pad plays now.
bool PadConnected();

// PAD_AXIS_*: -32768..32767 for the sticks, 0..32767 for the triggers.
int32_t PadAxis(int32_t axis);
// PAD_BUTTON_*: whether it is held.
bool PadButton(int32_t button);
// Presses of the button since it was last asked for; resets the count.
int32_t PadPresses(int32_t button);
// Changes whenever presses still waiting somewhere should be dropped: the focus came or went,
// or the pad that played went. Presses counted here are dropped then as well.
uint32_t PadEpoch();

// Runs the pad's motors (0..65535 each) for `ms`, where it has motors and while it plays.
void RumblePad(uint16_t low, uint16_t high, uint32_t ms);

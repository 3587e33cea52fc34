// Game controllers (any pad SDL's game controller database knows) turned into the inputs the
// rules already read, so that play, demos and the rules' answers stay as they are:
//
//   left stick or D-pad        W / S / A / D held (up forward, down back, left and right strafe)
//   right stick, horizontally  pointer offset: degrees of turn per frame, growing with the deflection
//   right trigger              mouse button 1 held        left trigger      Enter held
//   right / left shoulder      digit of the next / previous weapon, held for one frame
//   Start                      a press of Escape and of Enter     Back   a press of Escape
//   A                          a press of Enter
//
// The first pad connected plays; others wait until it goes. A pad pulled out releases all it held.
// The pad adds nothing while another program has the focus. Without StartPads, or without a
// pad, every answer below is the keyboard's and the mouse's alone.
#pragma once
#include <cstdint>

// Raw stick and trigger values (SDL's -32768..32767 and 0..32767) beyond which the pad counts.
inline constexpr int32_t kPadWalkThreshold = 11500;
inline constexpr int32_t kPadTurnDeadZone = 8000;
inline constexpr int32_t kPadTriggerThreshold = 8192;
// Turn at full deflection, in degrees per frame; it grows with the square of the deflection
// beyond the dead zone, so aiming is fine near the centre and fast at the edge.
inline constexpr double kPadMaxTurn = 8.0;
inline constexpr uint32_t kPadRumbleMs = 150;

// Starts SDL's game controller support and opens the pad already connected, if any; false when
// SDL refuses (the game then plays without pads). Also starts the scripted pad that
// KESTROVA_VIRTUAL_PAD asks for (platform/virtual_pad.h).
bool StartPads();
// Whether a pad plays now.
bool PadConnected();

// The joined answers for the live input queries: `keyboard` (or `mouse`) is what the window's
// events say; the pad can only add to it. The digit answers 1..5 seen here tell the pad which
// weapon the rules selected, as the rules' own highest-held-digit-wins does.
int32_t PadJoinKeyIsDown(int32_t key, int32_t keyboard);
int32_t PadJoinButtonIsDown(int32_t button, int32_t mouse);
// Presses of the key the pad made since last asked; resets them.
int32_t PadKeyPressed(int32_t key);
// Whole degrees to turn right in this frame (negative: left). The rules read the pointer once a
// frame, after the digits, so this also ends the frame's hold of a shoulder button's digit.
int32_t PadFrameTurn();
// Degrees per frame for a right stick at this raw horizontal value.
double PadTurnRate(int32_t axis);

// A short rumble, stronger for more hit points lost, where the pad has motors.
void RumblePad(double hitPointsLost);

// A game controller mapped onto the keys, buttons and pointer the rules read. The rules see the pad only
// through their usual answers, so play, demos and the rules' answers stay as they are:
//
//   left stick or D-pad        W / S / A / D held (up forward, down back, left and right strafe)
//   right stick, horizontally  pointer offset: degrees of turn per frame, growing with the deflection
//   right trigger              mouse button 1 held        left trigger      Enter held
//   right / left shoulder      digit of the next / previous weapon, held for one frame
//   Start                      a press of Escape and of Enter     Back   a press of Escape
//   A                          a press of Enter
//
// A pad pulled out releases all it held; the pad adds nothing while another program has the
// focus (platform/input/pad.h).
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

// What a game keeps of the pad between the rules' questions.
struct TPadState {
  uint32_t epoch = 0;
  int32_t enterPresses = 0;
  int32_t escapePresses = 0;
  // The weapon digit the rules last selected, followed from the digit answers.
  int32_t weaponDigit = '1';
  // The digit a shoulder press holds until the rules have read the digits of one frame; 0 none.
  int32_t shoulderDigit = 0;
  bool shoulderDigitRead = false;
  // Turns of less than a degree per frame add up here until a whole degree is due.
  double turnCarry = 0.0;
  int32_t frameTurn = 0;
  bool viewerHasPad = false;
};

// Joins the pad to the input answers and makes a close request count as Escape and Enter.
void StartControls();
// A frame of play begins, before the rules read any input: the stick's turn for this frame is
// taken, and a shoulder's weapon digit that the rules read in the frame before is let go.
void StartControlsFrame();
// Degrees per frame for a right stick at this raw horizontal value.
double PadTurnRate(int32_t axis);
// A short rumble, stronger for more hit points lost, where the pad has motors.
void RumbleForHit(double hitPointsLost);
// While a replay is watched, A and the shoulders are the viewer's (app/replay_viewer.h): their
// presses are left for it, and Start and Back still stop watching.
void LeavePadToViewer(bool on);

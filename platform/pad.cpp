#include "platform/pad.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/events.h"
#include "platform/virtual_pad.h"

namespace {

enum : int32_t { kEnter = 13, kEscape = 27, kDigit1 = '1', kDigit5 = '5', kA = 'A', kD = 'D', kS = 'S', kW = 'W' };

bool started = false;
bool focused = true;
SDL_GameController* pad = nullptr;
SDL_JoystickID padId = -1;
int32_t enterPresses = 0;
int32_t escapePresses = 0;
// The weapon digit the rules last selected, followed from the digit answers.
int32_t weaponDigit = kDigit1;
// The digit a shoulder press holds until the rules have read the digits of one frame; 0 none.
int32_t shoulderDigit = 0;
bool shoulderDigitRead = false;
// Turns of less than a degree per frame add up here until a whole degree is due.
double turnCarry = 0.0;

// The window's focus as the pointer knows it (always without a window) and as the game's events
// tell it.
bool Playing() { return pad != nullptr && focused && WindowFocused(); }

int16_t Axis(SDL_GameControllerAxis axis) { return SDL_GameControllerGetAxis(pad, axis); }

bool Button(SDL_GameControllerButton button) { return SDL_GameControllerGetButton(pad, button) != 0; }

// Presses not yet asked for, a shoulder's digit and a carried part of a degree.
void DropPending() {
  enterPresses = 0;
  escapePresses = 0;
  shoulderDigit = 0;
  shoulderDigitRead = false;
  turnCarry = 0.0;
}

void OpenPad(int32_t deviceIndex) {
  if (pad != nullptr || SDL_IsGameController(deviceIndex) == SDL_FALSE) return;
  pad = SDL_GameControllerOpen(deviceIndex);
  if (pad != nullptr) padId = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
}

void ClosePad(SDL_JoystickID id) {
  if (pad == nullptr || id != padId) return;
  SDL_GameControllerClose(pad);
  pad = nullptr;
  padId = -1;
  DropPending();
  // The next pad still connected takes over.
  for (int32_t i = 0; i < SDL_NumJoysticks() && pad == nullptr; ++i) {
    if (SDL_JoystickGetDeviceInstanceID(i) != id) OpenPad(i);
  }
}

// The digit after (step 1) or before (step -1) the selected weapon's, 1..5 and round.
void ShiftWeapon(int32_t step) {
  const int32_t from = (shoulderDigit != 0 ? shoulderDigit : weaponDigit) - kDigit1;
  shoulderDigit = kDigit1 + (from + step + 5) % 5;
  shoulderDigitRead = false;
}

void PressButton(int32_t button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_A:
      ++enterPresses;
      break;
    case SDL_CONTROLLER_BUTTON_START:
      ++escapePresses;
      ++enterPresses;
      break;
    case SDL_CONTROLLER_BUTTON_BACK:
      ++escapePresses;
      break;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
      ShiftWeapon(1);
      break;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
      ShiftWeapon(-1);
      break;
    default:
      break;
  }
}

void OnEvent(const TEvent& ev) {
  switch (ev.id) {
    case EVENT_PADADDED:
      OpenPad(ev.data);
      break;
    case EVENT_PADREMOVED:
      ClosePad(ev.data);
      break;
    case EVENT_PADBUTTONDOWN:
      if (Playing() && ev.x == padId) PressButton(ev.data);
      break;
    // Like the keys, the pad's presses are dropped whenever the focus changes.
    case EVENT_APPSUSPEND:
      focused = false;
      DropPending();
      break;
    case EVENT_APPRESUME:
      focused = true;
      DropPending();
      break;
    default:
      break;
  }
}

bool PadHolds(int32_t key) {
  if (key >= kDigit1 && key <= kDigit5) {
    if (key != shoulderDigit) return false;
    shoulderDigitRead = true;
    return true;
  }
  if (!Playing()) return false;
  switch (key) {
    case kW:
      return Axis(SDL_CONTROLLER_AXIS_LEFTY) < -kPadWalkThreshold || Button(SDL_CONTROLLER_BUTTON_DPAD_UP);
    case kS:
      return Axis(SDL_CONTROLLER_AXIS_LEFTY) > kPadWalkThreshold || Button(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    case kA:
      return Axis(SDL_CONTROLLER_AXIS_LEFTX) < -kPadWalkThreshold || Button(SDL_CONTROLLER_BUTTON_DPAD_LEFT);
    case kD:
      return Axis(SDL_CONTROLLER_AXIS_LEFTX) > kPadWalkThreshold || Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
    case kEnter:
      return Axis(SDL_CONTROLLER_AXIS_TRIGGERLEFT) > kPadTriggerThreshold;
    default:
      return false;
  }
}

}  // namespace

bool StartPads() {
  if (started) return true;
  // SDL would drop pad input whenever no window of ours has the keyboard, which is also the case
  // before the window first gets the focus; the game's own focus events decide instead.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (!StartEventLayer() || SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return false;
  started = true;
  AddEventHook(OnEvent);
  // Pads already connected announce themselves at the next pump, like those plugged in later.
  StartVirtualPadFromEnvironment();
  return true;
}

bool PadConnected() {
  PumpEvents();
  return pad != nullptr;
}

int32_t PadJoinKeyIsDown(int32_t key, int32_t keyboard) {
  const int32_t held = keyboard != 0 || PadHolds(key) ? 1 : 0;
  if (held != 0 && key >= kDigit1 && key <= kDigit5) weaponDigit = key;
  return held;
}

int32_t PadJoinButtonIsDown(int32_t button, int32_t mouse) {
  if (mouse != 0) return mouse;
  return button == 1 && Playing() && Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT) > kPadTriggerThreshold ? 1 : 0;
}

int32_t PadKeyPressed(int32_t key) {
  int32_t* count = key == kEnter ? &enterPresses : key == kEscape ? &escapePresses : nullptr;
  if (count == nullptr) return 0;
  return std::exchange(*count, 0);
}

double PadTurnRate(int32_t axis) {
  const double beyond = std::abs(static_cast<double>(axis)) - kPadTurnDeadZone;
  if (beyond <= 0.0) return 0.0;
  const double t = std::min(1.0, beyond / (32767.0 - kPadTurnDeadZone));
  return std::copysign(kPadMaxTurn * t * t, static_cast<double>(axis));
}

int32_t PadFrameTurn() {
  if (shoulderDigitRead) {
    shoulderDigit = 0;
    shoulderDigitRead = false;
  }
  const double rate = Playing() ? PadTurnRate(Axis(SDL_CONTROLLER_AXIS_RIGHTX)) : 0.0;
  // Each push of the stick, and each change of direction, starts afresh.
  if (rate * turnCarry <= 0.0) turnCarry = 0.0;
  turnCarry += rate;
  const double whole = std::trunc(turnCarry);
  turnCarry -= whole;
  return static_cast<int32_t>(whole);
}

void RumblePad(double hitPointsLost) {
  if (!Playing() || !(hitPointsLost > 0.0)) return;
  // A hit takes 1 to 12 points; the strongest shots, or several hits at once, rumble fully.
  const double strength = std::min(1.0, 0.2 + 0.8 * hitPointsLost / 12.0);
  const auto low = static_cast<uint16_t>(strength * 65535.0);
  SDL_GameControllerRumble(pad, low, static_cast<uint16_t>(low / 2), kPadRumbleMs);
}

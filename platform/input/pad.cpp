#include "platform/input/pad.h"

#include <SDL2/SDL.h>

#include <array>
#include <utility>

#include "platform/core/events.h"
#include "platform/core/sdl_start.h"
#include "platform/input/window_input.h"

// The pad's numbers are SDL's.
static_assert(PAD_AXIS_TRIGGERRIGHT == int32_t{SDL_CONTROLLER_AXIS_TRIGGERRIGHT});
static_assert(PAD_BUTTON_DPAD_RIGHT == int32_t{SDL_CONTROLLER_BUTTON_DPAD_RIGHT});

namespace {

struct PadState {
  bool started = false;
  bool focused = true;
  SDL_GameController* pad = nullptr;
  SDL_JoystickID padId = -1;
  std::array<int32_t, SDL_CONTROLLER_BUTTON_MAX> presses{};
  uint32_t epoch = 0;
};

PadState state;

// The window's focus as the pointer knows it (always without a window) and as the game's events
// tell it.
bool Playing() { return state.pad != nullptr && state.focused && WindowFocused(); }

void DropPresses() {
  state.presses.fill(0);
  ++state.epoch;
}

void OpenPad(int32_t deviceIndex) {
  if (state.pad != nullptr || SDL_IsGameController(deviceIndex) == SDL_FALSE) return;
  state.pad = SDL_GameControllerOpen(deviceIndex);
  if (state.pad != nullptr) state.padId = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(state.pad));
}

void ClosePad(SDL_JoystickID id) {
  if (state.pad == nullptr || id != state.padId) return;
  SDL_GameControllerClose(state.pad);
  state.pad = nullptr;
  state.padId = -1;
  DropPresses();
  // The next pad still connected takes over.
  for (int32_t i = 0; i < SDL_NumJoysticks() && state.pad == nullptr; ++i) {
    if (SDL_JoystickGetDeviceInstanceID(i) != id) OpenPad(i);
  }
}

bool ValidButton(int32_t button) { return button >= 0 && button < SDL_CONTROLLER_BUTTON_MAX; }

// The pads' notifications as the game's events, in the pump.
void ReadPadNotification(const SDL_Event& e) {
  switch (e.type) {
    case SDL_CONTROLLERDEVICEADDED:
      InjectEvent({EVENT_PADADDED, e.cdevice.which});
      return;
    case SDL_CONTROLLERDEVICEREMOVED:
      InjectEvent({EVENT_PADREMOVED, e.cdevice.which});
      return;
    case SDL_CONTROLLERBUTTONDOWN:
      InjectEvent({EVENT_PADBUTTONDOWN, e.cbutton.button, e.cbutton.which});
      return;
    default:
      return;
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
      if (Playing() && ev.x == state.padId && ValidButton(ev.data)) ++state.presses[static_cast<size_t>(ev.data)];
      break;
    // Like the keys, the pad's presses are dropped whenever the focus changes.
    case EVENT_APPSUSPEND:
      state.focused = false;
      DropPresses();
      break;
    case EVENT_APPRESUME:
      state.focused = true;
      DropPresses();
      break;
    default:
      break;
  }
}

}  // namespace

bool StartPads() {
  if (state.started) return true;
  // SDL would drop pad input whenever no window of ours has the keyboard, which is also the case
  // before the window first gets the focus; the game's own focus events decide instead.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  if (!StartEventLayer() || SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return false;
  state.started = true;
  AddPumpPart({.read = ReadPadNotification});
  AddEventHook(OnEvent);
  // Pads already connected announce themselves at the next pump, like those plugged in later.
  return true;
}

bool PadConnected() {
  PumpEvents();
  return state.pad != nullptr;
}

int32_t PadAxis(int32_t axis) {
  if (!Playing()) return 0;
  return SDL_GameControllerGetAxis(state.pad, static_cast<SDL_GameControllerAxis>(axis));
}

bool PadButton(int32_t button) {
  return Playing() && SDL_GameControllerGetButton(state.pad, static_cast<SDL_GameControllerButton>(button)) != 0;
}

int32_t PadPresses(int32_t button) {
  return ValidButton(button) ? std::exchange(state.presses[static_cast<size_t>(button)], 0) : 0;
}

uint32_t PadEpoch() { return state.epoch; }

void RumblePad(uint16_t low, uint16_t high, uint32_t ms) {
  if (Playing()) SDL_GameControllerRumble(state.pad, low, high, ms);
}

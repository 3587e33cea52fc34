#include "platform/input/input.h"

#include <SDL2/SDL.h>

#include <array>
#include <utility>
#include <vector>

#include "platform/core/events.h"
#include "platform/input/window_input.h"

namespace {

// The player's mouse sensitivity: the pointer's offset from where the game last put it
// reaches the game scaled, the fraction carried to the frame after the game puts it back.
struct TPointerScale {
  double scale = 1.0;
  double carry = 0.0;
  double lastExact = 0.0;  // the scaled offset of the latest read since the pointer was put back
  bool read = false;
  int32_t anchorX = 0;  // where the game last put the pointer
};

// A key's quick tap, pressed since it was last asked for: new in this frame, or kept from the one
// before.
enum class TTap : uint8_t { None, New, Kept };

struct PolledState {
  std::array<int32_t, 256> keyStates{};
  std::array<int32_t, 256> keyHits{};
  std::array<TTap, 256> keyTaps{};
  bool quickTaps = false;
  std::array<int32_t, 256> charQueue{};
  uint32_t charPut = 0;
  uint32_t charGet = 0;
  std::array<int32_t, 4> buttonStates{};
  std::array<int32_t, 4> buttonHits{};
  int32_t x = 0;
  int32_t y = 0;
  int32_t wheel = 0;
  int32_t suspended = 0;
  int32_t terminate = 0;
  int32_t hookId = 0;
  bool pointerHidden = false;
  // The user's rather than the game's for good: a replay's viewer.
  bool pointerLeftToUser = false;
  TPointerScale pointerScale;
  std::vector<int32_t> closeRequestKeys;
};

PolledState state;

bool ValidKey(int32_t key) { return key >= 0 && key < 256; }
bool ValidButton(int32_t button) { return button >= 0 && button < 4; }

void ClearKeyState() {
  state.keyStates.fill(0);
  state.keyHits.fill(0);
  state.keyTaps.fill(TTap::None);
  state.charPut = state.charGet = 0;
}

void ClearButtonState() {
  state.buttonStates.fill(0);
  state.buttonHits.fill(0);
  state.wheel = 0;
}

void Press(std::array<int32_t, 256>& states, std::array<int32_t, 256>& hits, int32_t code) {
  if (states[static_cast<size_t>(code)] == 1) return;
  states[static_cast<size_t>(code)] = 1;
  ++hits[static_cast<size_t>(code)];
}

void OnEvent(const TEvent& ev) {
  switch (ev.id) {
    case EVENT_APPSUSPEND:
      ClearKeys();
      ClearButtons();
      state.suspended = 1;
      ShowOrHidePointer();
      break;
    case EVENT_APPRESUME:
      ClearKeys();
      ClearButtons();
      state.suspended = 0;
      ShowOrHidePointer();
      break;
    case EVENT_APPTERMINATE:
      state.terminate = 1;
      for (int32_t key : state.closeRequestKeys) ++state.keyHits[static_cast<size_t>(key)];
      break;
    case EVENT_KEYDOWN:
      if (!ValidKey(ev.data)) break;
      if (state.keyStates[static_cast<size_t>(ev.data)] == 0) state.keyTaps[static_cast<size_t>(ev.data)] = TTap::New;
      Press(state.keyStates, state.keyHits, ev.data);
      break;
    case EVENT_KEYUP:
      if (ValidKey(ev.data)) state.keyStates[static_cast<size_t>(ev.data)] = 0;
      break;
    case EVENT_KEYCHAR:
      if (state.charPut - state.charGet < 256) state.charQueue[state.charPut++ & 255] = ev.data;
      break;
    case EVENT_MOUSEDOWN:
      if (ValidButton(ev.data)) {
        const auto b = static_cast<size_t>(ev.data);
        if (state.buttonStates[b] != 1) {
          state.buttonStates[b] = 1;
          ++state.buttonHits[b];
        }
      }
      break;
    case EVENT_MOUSEUP:
      if (ValidButton(ev.data)) state.buttonStates[static_cast<size_t>(ev.data)] = 0;
      break;
    case EVENT_MOUSEMOVE:
      state.x = ev.x;
      state.y = ev.y;
      break;
    case EVENT_MOUSEWHEEL:
      state.wheel += ev.data;
      break;
    default:
      break;
  }
}

// The pointer as the player's sensitivity scales its offset from where the game last put it.
int32_t ScaledPointerX() {
  TPointerScale& p = state.pointerScale;
  if (p.scale == 1.0) return state.x;
  p.lastExact = static_cast<double>(state.x - p.anchorX) * p.scale + p.carry;
  p.read = true;
  return p.anchorX + static_cast<int32_t>(p.lastExact);
}

}  // namespace

int32_t TakeCurrentKeyPresses(int32_t key) {
  return ValidKey(key) ? std::exchange(state.keyHits[static_cast<size_t>(key)], 0) : 0;
}

int32_t CurrentKeyDown(int32_t key) { return ValidKey(key) ? state.keyStates[static_cast<size_t>(key)] : 0; }

int32_t TakeCurrentKeyHeld(int32_t key) {
  if (!ValidKey(key)) return 0;
  const auto k = static_cast<size_t>(key);
  const bool tapped = std::exchange(state.keyTaps[k], TTap::None) != TTap::None;
  return state.keyStates[k] != 0 || (tapped && state.quickTaps) ? 1 : 0;
}

void CountQuickTaps(bool on) { state.quickTaps = on; }

void StartInputFrame() {
  for (TTap& tap : state.keyTaps) tap = tap == TTap::New ? TTap::Kept : TTap::None;
}

int32_t CurrentButtonDown(int32_t button) {
  return ValidButton(button) ? state.buttonStates[static_cast<size_t>(button)] : 0;
}

int32_t CurrentPointerX() { return ScaledPointerX(); }

int32_t CurrentPointerY() { return state.y; }

void MovePointer(int32_t x, int32_t y) {
  PumpEvents();
  TPointerScale& p = state.pointerScale;
  if (p.read) p.carry = p.lastExact - static_cast<int32_t>(p.lastExact);
  p.read = false;
  p.anchorX = x;
  WarpPointer(x, y);
}

void SetCloseRequestKeys(const std::vector<int32_t>& keys) {
  state.closeRequestKeys.clear();
  for (int32_t k : keys) {
    if (ValidKey(k)) state.closeRequestKeys.push_back(k);
  }
}

void SetPointerSensitivity(double scale) { state.pointerScale = {scale, 0.0, 0.0, false, state.pointerScale.anchorX}; }

void HidePointer() {
  PumpEvents();
  state.pointerHidden = true;
  ShowOrHidePointer();
}

void ShowOrHidePointer() {
  // SDL hides the cursor over its own windows only, as wanted; a pointer not held (another
  // program has the focus, or play does not run) shows.
  const bool hide = state.pointerHidden && PointerHeld();
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_ShowCursor(hide ? SDL_DISABLE : SDL_ENABLE);
}

void HoldPointerForPlay(bool on) {
  PumpEvents();
  HoldPointer(on && !state.pointerLeftToUser);
  ShowOrHidePointer();
  if (on) RewarpPointer();
}

void ReleasePointer() {
  state.pointerLeftToUser = true;
  SetPointerWarping(false);
  HoldPointer(false);
  ShowOrHidePointer();
}

int32_t KeyPressesWaiting(int32_t key) {
  PumpEvents();
  return ValidKey(key) ? state.keyHits[static_cast<size_t>(key)] : 0;
}

bool PointerHidden() { return state.pointerHidden; }

int32_t GetChar() {
  PumpEvents();
  if (state.charGet == state.charPut) return 0;
  return state.charQueue[state.charGet++ & 255];
}

int32_t AppSuspended() {
  PumpEvents();
  return state.suspended;
}

int32_t AppTerminate() {
  PumpEvents();
  return state.terminate;
}

void ReleaseKey(int32_t key) {
  PumpEvents();
  if (!ValidKey(key)) return;
  state.keyStates[static_cast<size_t>(key)] = 0;
  state.keyHits[static_cast<size_t>(key)] = 0;
  state.keyTaps[static_cast<size_t>(key)] = TTap::None;
}

void CountKeyPress(int32_t key) {
  if (ValidKey(key)) ++state.keyHits[static_cast<size_t>(key)];
}

void ClearKeys() {
  PumpEvents();
  ClearKeyState();
}

void ClearButtons() {
  PumpEvents();
  ClearButtonState();
}

void EnablePolledInput() {
  if (state.hookId != 0) return;
  // No pump here: events already waiting (the full-screen pointer centring among them)
  // belong to the new screen and reach the state at the next query.
  ClearKeyState();
  ClearButtonState();
  // A close request was made to the screen before.
  state.terminate = 0;
  state.hookId = AddEventHook(OnEvent);
}

void DisablePolledInput() {
  if (state.hookId == 0) return;
  RemoveEventHook(state.hookId);
  state.hookId = 0;
}

#include "platform/input.h"

#include <SDL2/SDL.h>

#include <array>
#include <utility>
#include <vector>

#include "platform/events.h"
#include "platform/keys.h"

namespace {

// The player's mouse sensitivity: the pointer's offset from where the game last put it
// reaches the rules scaled, the fraction carried to the frame after the game puts it back.
struct TPointerScale {
  double scale = 1.0;
  double carry = 0.0;
  double lastExact = 0.0;  // the scaled offset of the latest read since the pointer was put back
  bool read = false;
  int32_t anchorX = 0;  // where the game last put the pointer
};

struct PolledState {
  std::array<int32_t, 256> keyStates{};
  std::array<int32_t, 256> keyHits{};
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
  // The user's rather than the game's: for a replay's viewer for good, or while paused.
  bool pointerLeftToUser = false;
  bool pointerFreeWhilePaused = false;
  TInputJoin* join = nullptr;
  // The player's bindings: the physical keys that answer for a key code the rules ask about.
  // A code never bound answers for itself.
  std::array<std::vector<int32_t>, 256> boundKeys;
  std::array<bool, 256> keyBound{};
  TPointerScale pointerScale;
};

PolledState state;

bool ValidKey(int32_t key) { return key >= 0 && key < 256; }
bool ValidButton(int32_t button) { return button >= 0 && button < 4; }

void ClearKeyState() {
  state.keyStates.fill(0);
  state.keyHits.fill(0);
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
      // Closing the window ends play as Escape does and leaves the score screen as Enter does.
      ++state.keyHits[KEY_ESCAPE];
      ++state.keyHits[KEY_ENTER];
      break;
    case EVENT_KEYDOWN:
      if (ValidKey(ev.data)) Press(state.keyStates, state.keyHits, ev.data);
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

int32_t Joined(TQuery query, int32_t code, int32_t live) {
  return state.join != nullptr ? state.join->Join(query, code, live) : live;
}

int32_t TakeHits(int32_t key) { return std::exchange(state.keyHits[static_cast<size_t>(key)], 0); }

// The live answers, from the window's events (through the player's bindings) joined with what
// the application adds.
int32_t LiveKeyPressed(int32_t key) {
  int32_t n = 0;
  if (ValidKey(key) && state.keyBound[static_cast<size_t>(key)]) {
    for (int32_t k : state.boundKeys[static_cast<size_t>(key)]) n += TakeHits(k);
  } else if (ValidKey(key)) {
    n = TakeHits(key);
  }
  return Joined(TQuery::KeyPressed, key, n);
}

int32_t KeyboardKeyIsDown(int32_t key) {
  if (!ValidKey(key)) return 0;
  if (!state.keyBound[static_cast<size_t>(key)]) return state.keyStates[static_cast<size_t>(key)];
  for (int32_t k : state.boundKeys[static_cast<size_t>(key)]) {
    if (state.keyStates[static_cast<size_t>(k)] != 0) return 1;
  }
  return 0;
}

int32_t LiveKeyIsDown(int32_t key) { return Joined(TQuery::KeyIsDown, key, KeyboardKeyIsDown(key)); }

int32_t LiveButtonIsDown(int32_t button) {
  return Joined(TQuery::ButtonIsDown, button,
                ValidButton(button) ? state.buttonStates[static_cast<size_t>(button)] : 0);
}

// The pointer as the player's sensitivity scales its offset from where the game last put it.
int32_t ScaledPointerX() {
  TPointerScale& p = state.pointerScale;
  if (p.scale == 1.0) return state.x;
  p.lastExact = static_cast<double>(state.x - p.anchorX) * p.scale + p.carry;
  p.read = true;
  return p.anchorX + static_cast<int32_t>(p.lastExact);
}

int32_t LivePointerX() { return Joined(TQuery::PointerX, 0, ScaledPointerX()); }

int32_t LivePointerY() { return Joined(TQuery::PointerY, 0, state.y); }

// What the rules get: the live answer, unless a tap watches or replaces it.
int32_t Tapped(TQuery query, int32_t code, int32_t live) {
  TAnswerTap* tap = AnswerTap();
  return tap != nullptr ? tap->Answer(query, code, live) : live;
}

}  // namespace

int32_t KeyPressed(int32_t key) {
  PumpEvents();
  return Tapped(TQuery::KeyPressed, key, LiveKeyPressed(key));
}

int32_t KeyPressedLive(int32_t key) {
  PumpEvents();
  return LiveKeyPressed(key);
}

int32_t KeyIsDown(int32_t key) {
  PumpEvents();
  return Tapped(TQuery::KeyIsDown, key, LiveKeyIsDown(key));
}

int32_t ButtonIsDown(int32_t button) {
  PumpEvents();
  return Tapped(TQuery::ButtonIsDown, button, LiveButtonIsDown(button));
}

int32_t PointerX() {
  PumpEvents();
  return Tapped(TQuery::PointerX, 0, LivePointerX());
}

int32_t PointerY() {
  PumpEvents();
  return Tapped(TQuery::PointerY, 0, LivePointerY());
}

void MovePointer(int32_t x, int32_t y) {
  PumpEvents();
  TPointerScale& p = state.pointerScale;
  if (p.read) p.carry = p.lastExact - static_cast<int32_t>(p.lastExact);
  p.read = false;
  p.anchorX = x;
  WarpPointer(x, y);
}

void BindKey(int32_t code, const std::vector<int32_t>& keys) {
  if (!ValidKey(code)) return;
  state.boundKeys[static_cast<size_t>(code)].clear();
  for (int32_t k : keys) {
    if (ValidKey(k)) state.boundKeys[static_cast<size_t>(code)].push_back(k);
  }
  state.keyBound[static_cast<size_t>(code)] = true;
}

void UnbindKey(int32_t code) {
  if (ValidKey(code)) state.keyBound[static_cast<size_t>(code)] = false;
}

void SetPointerSensitivity(double scale) { state.pointerScale = {scale, 0.0, 0.0, false, state.pointerScale.anchorX}; }

void HidePointer() {
  PumpEvents();
  state.pointerHidden = true;
  ShowOrHidePointer();
}

void ShowOrHidePointer() {
  // SDL hides the cursor over its own windows only, as wanted; while another program has
  // the focus it shows there too, for the user of that program.
  const bool hide = state.pointerHidden && WindowFocused() && !state.pointerLeftToUser && !state.pointerFreeWhilePaused;
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) SDL_ShowCursor(hide ? SDL_DISABLE : SDL_ENABLE);
}

void ReleasePointer() {
  state.pointerLeftToUser = true;
  SetPointerWarping(false);
  ShowOrHidePointer();
}

void FreePointerWhilePaused(bool on) {
  state.pointerFreeWhilePaused = on;
  SetPointerWarping(!on && !state.pointerLeftToUser);
  ShowOrHidePointer();
  if (!on) RewarpPointer();
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

void ClearKeys() {
  PumpEvents();
  ClearKeyState();
}

void ClearButtons() {
  PumpEvents();
  ClearButtonState();
}

void SetInputJoin(TInputJoin* join) { state.join = join; }

void ResetInput() {
  DisablePolledInput();
  TInputJoin* join = state.join;
  state = PolledState{};
  state.join = join;
  ShowOrHidePointer();
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

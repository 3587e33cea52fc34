#include "platform/input/window_input.h"

#include <SDL2/SDL.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/core/events.h"
#include "platform/input/key_names.h"
#include "platform/system/stop_signal.h"

namespace {

struct WindowState {
  SDL_Window* window = nullptr;
  bool holdAsked = false;
  // Held now: asked for and the window focused.
  bool held = false;
  // Held by the desktop's pointer lock (SDL's relative mode, on exactly while held) rather
  // than by the game's warps.
  bool heldByLock = false;
  // Until this SDL tick a pointer motion comes from the window changing (its size, full
  // screen, the hold let go) rather than from the player's hand.
  uint32_t settleUntil = 0;
  // Where the pointer is believed to be: the last position reported, or while held the last
  // warp target plus the motion since.
  int32_t pointerX = 0;
  int32_t pointerY = 0;
  // The pointer belongs to the game only while its window has the input focus; without a
  // window (tests, the simulator) it always does.
  bool focused = true;
  // The last position the game asked the pointer to be at, restored when the focus comes back.
  bool warpAsked = false;
  bool warping = true;
  int32_t warpX = 0;
  int32_t warpY = 0;
  // The window pixel of the last warp that moved the system pointer.
  int32_t warpWindowX = 0;
  int32_t warpWindowY = 0;
  bool warpedInWindow = false;
  // Whether the system pointer was put there, with nothing since that the game could not
  // follow (the focus gone, the window resized or left).
  bool pointerPlaced = false;
  // Whether the stop signal has been turned into its close request.
  bool stopSignalTaken = false;
};

WindowState state;
TPointerMap pointerMap;

void WindowPointToScreen(int32_t& x, int32_t& y) {
  if (pointerMap.toScreen != nullptr) pointerMap.toScreen(x, y);
}

void ScreenPointToWindow(int32_t& x, int32_t& y) {
  if (pointerMap.toWindow != nullptr) pointerMap.toWindow(x, y);
}

void FitPointerToWindow(int32_t windowW, int32_t windowH) {
  if (pointerMap.fitToWindow != nullptr) pointerMap.fitToWindow(windowW, windowH);
}

// How long after a change of the window or of the hold a pointer motion is still taken as the
// change's.
constexpr uint32_t kSettleMs = 250;

void Settle(uint32_t from) { state.settleUntil = from + kSettleMs; }

bool Settling(uint32_t timestamp) { return static_cast<int32_t>(state.settleUntil - timestamp) > 0; }

// Locks the pointer while play holds it and the window has the focus, lets it go otherwise.
void UpdateHold() {
  const bool hold = state.holdAsked && state.focused;
  if (hold == state.held) return;
  state.held = hold;
  if (state.window != nullptr && state.heldByLock) {
    SDL_SetRelativeMouseMode(hold ? SDL_TRUE : SDL_FALSE);
    // SDL puts the pointer back where it was when it lets go.
    Settle(SDL_GetTicks());
  }
}

int32_t ButtonCode(uint8_t sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT:
      return 1;
    case SDL_BUTTON_RIGHT:
      return 2;
    case SDL_BUTTON_MIDDLE:
      return 3;
    default:
      return 0;
  }
}

void Queue(int32_t id, int32_t data, int32_t x = 0, int32_t y = 0) { InjectEvent(TEvent{id, data, x, y}); }

void QueueCharacters(const char* utf8) {
  const auto* s = reinterpret_cast<const unsigned char*>(utf8);
  while (*s != 0) {
    int32_t code = *s;
    int extra = 0;
    if (code >= 0xF0) {
      code &= 0x07;
      extra = 3;
    } else if (code >= 0xE0) {
      code &= 0x0F;
      extra = 2;
    } else if (code >= 0xC0) {
      code &= 0x1F;
      extra = 1;
    }
    ++s;
    for (; extra > 0 && (*s & 0xC0) == 0x80; --extra, ++s) code = (code << 6) | (*s & 0x3F);
    Queue(EVENT_KEYCHAR, code);
  }
}

// The display the window is on, as the player would name it.
std::string DisplayName() {
  const char* video = SDL_GetCurrentVideoDriver();
  const bool wayland = video != nullptr && std::strcmp(video, "wayland") == 0;
  const char* name = std::getenv(wayland ? "WAYLAND_DISPLAY" : "DISPLAY");
  if (name != nullptr && *name != 0) return name;
  return wayland ? "wayland-0" : "the X display";
}

void Translate(const SDL_Event& e) {
  switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const int32_t key = VirtualKeyFromSdl(e.key.keysym.scancode, e.key.keysym.sym);
      if (key < 1 || key > 255) return;
      const int32_t id = e.type == SDL_KEYUP ? EVENT_KEYUP : e.key.repeat ? EVENT_KEYREPEAT : EVENT_KEYDOWN;
      Queue(id, key);
      return;
    }
    case SDL_TEXTINPUT:
      QueueCharacters(e.text.text);
      return;
    case SDL_MOUSEMOTION:
      // Motion made for another program is none of the game's business.
      if (!state.focused) return;
      // Held, motion counts in the window's units, not the picture's: how large the picture
      // is shown does not change how far a hand's move turns.
      if (state.held && state.heldByLock) {
        // Until the desktop has locked the pointer it reports its moves twice (as motion and
        // as relative motion) and the jump to where it is: none of that is the player's turn.
        if (Settling(e.motion.timestamp)) return;
        state.pointerX += e.motion.xrel;
        state.pointerY += e.motion.yrel;
        Queue(EVENT_MOUSEMOVE, kPointerMoved, state.pointerX, state.pointerY);
        return;
      }
      if (state.held && state.warpedInWindow) {
        state.pointerX = state.warpX + (e.motion.x - state.warpWindowX);
        state.pointerY = state.warpY + (e.motion.y - state.warpWindowY);
        Queue(EVENT_MOUSEMOVE, kPointerMoved, state.pointerX, state.pointerY);
        return;
      }
      state.pointerX = e.motion.x;
      state.pointerY = e.motion.y;
      WindowPointToScreen(state.pointerX, state.pointerY);
      Queue(EVENT_MOUSEMOVE, Settling(e.motion.timestamp) ? 0 : kPointerMoved, state.pointerX, state.pointerY);
      return;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const int32_t button = ButtonCode(e.button.button);
      if (button == 0) return;
      if (!state.held && state.focused) {
        state.pointerX = e.button.x;
        state.pointerY = e.button.y;
        WindowPointToScreen(state.pointerX, state.pointerY);
      }
      Queue(e.type == SDL_MOUSEBUTTONDOWN ? EVENT_MOUSEDOWN : EVENT_MOUSEUP, button, state.pointerX, state.pointerY);
      return;
    }
    case SDL_MOUSEWHEEL:
      Queue(EVENT_MOUSEWHEEL, e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y);
      return;
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          state.focused = true;
          UpdateHold();
          Queue(EVENT_APPRESUME, 0);
          // Back where the game last put it, so wherever it wandered turns nobody; a free
          // pointer stays where the user left it.
          if (state.held) RewarpPointer();
          return;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          state.focused = false;
          UpdateHold();
          state.pointerPlaced = false;
          Queue(EVENT_APPSUSPEND, 0);
          return;
        case SDL_WINDOWEVENT_MOVED:
          Settle(e.window.timestamp);
          return;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          state.pointerPlaced = false;
          Settle(e.window.timestamp);
          FitPointerToWindow(e.window.data1, e.window.data2);
          return;
        case SDL_WINDOWEVENT_ENTER:
          Queue(EVENT_MOUSEENTER, 0, state.pointerX, state.pointerY);
          return;
        case SDL_WINDOWEVENT_LEAVE:
          state.pointerPlaced = false;
          Queue(EVENT_MOUSELEAVE, 0, state.pointerX, state.pointerY);
          return;
        case SDL_WINDOWEVENT_CLOSE:
          Queue(EVENT_APPTERMINATE, 0);
          return;
        default:
          return;
      }
    case SDL_QUIT:
      // With no signal handlers of SDL's and no quit on closing the last window, only a
      // display connection that broke (a Wayland compositor gone) quits.
      StopForLostDisplay(DisplayName());
      return;
    default:
      return;
  }
}

// A stop signal or a lost display asks, once, what the close button asks; before the window
// exists nothing would take the request, so it waits for one.
void TakeStopSignal() {
  if (StopStatus() != 0 && !state.stopSignalTaken && state.window != nullptr) {
    state.stopSignalTaken = true;
    Queue(EVENT_APPTERMINATE, 0);
  }
}

// The stored position follows every move on its way out, injected and warped ones too; a
// pointer held by the lock counts its motion itself.
void FollowPointer(const TEvent& ev) {
  if (ev.id == EVENT_MOUSEMOVE && !(state.held && state.heldByLock)) {
    state.pointerX = ev.x;
    state.pointerY = ev.y;
  }
}

// In every pump from the program's start, before any event could need it: the pointer follows
// injected moves with or without a window.
[[maybe_unused]] const bool inEveryPump = [] {
  AddPumpPart({Translate, TakeStopSignal, FollowPointer});
  return true;
}();

}  // namespace

void SetPointerMap(const TPointerMap& map) { pointerMap = map; }

void SetEventWindow(void* sdlWindow) {
  if (state.window != nullptr && state.held) SDL_SetRelativeMouseMode(SDL_FALSE);
  state.held = false;
  state.warpedInWindow = false;
  state.window = static_cast<SDL_Window*>(sdlWindow);
  state.focused = state.window == nullptr || (SDL_GetWindowFlags(state.window) & SDL_WINDOW_INPUT_FOCUS) != 0;
  state.warpAsked = false;
  state.pointerPlaced = false;
  UpdateHold();
}

bool WindowFocused() { return state.focused; }

void* EventWindow() { return state.window; }

void SetPointerWarping(bool on) { state.warping = on; }

void RewarpPointer() {
  // Called when the pointer may have gone where the game could not follow it.
  state.pointerPlaced = false;
  if (state.warpAsked) WarpPointer(state.warpX, state.warpY);
}

void HoldPointer(bool on) {
  state.holdAsked = on;
  UpdateHold();
}

bool PointerHeld() { return state.held; }

void HoldPointerByLock(bool on) {
  if (state.held && state.window != nullptr && state.heldByLock != on)
    SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE);
  state.heldByLock = on;
}

void WarpPointer(int32_t x, int32_t y) {
  const bool resting =
      state.pointerPlaced && x == state.warpX && y == state.warpY && x == state.pointerX && y == state.pointerY;
  state.warpAsked = true;
  state.warpX = x;
  state.warpY = y;
  state.pointerPlaced = false;
  if (state.held && state.heldByLock) {
    state.pointerX = x;
    state.pointerY = y;
  } else if (state.window != nullptr && state.focused && state.warping) {
    // Another program's pointer stays where its user put it. So does a pointer resting where
    // the game put it: putting it there again would undo a move the window has made but not
    // reported yet, which the next frame is to see.
    if (!resting) {
      int32_t windowX = x;
      int32_t windowY = y;
      ScreenPointToWindow(windowX, windowY);
      SDL_WarpMouseInWindow(state.window, windowX, windowY);
      state.warpWindowX = windowX;
      state.warpWindowY = windowY;
      state.warpedInWindow = true;
    }
    state.pointerPlaced = true;
  }
  // The window may or may not report the warp (SDL drops a move to where it thinks the
  // pointer already is); this event makes the stored position follow either way.
  Queue(EVENT_MOUSEMOVE, 0, x, y);
}

#include "platform/input/events.h"

#include <SDL2/SDL.h>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "platform/input/keys.h"
#include "platform/system/stop_signal.h"
#include "platform/video/letterbox.h"

namespace {

// Ticker notifications travel through the same queue, in arrival order.
constexpr int32_t kTickerNotification = -1;

struct EventState {
  std::deque<TEvent> pending;
  std::vector<std::pair<int32_t, TEventHook>> hooks;
  int32_t nextHookId = 1;
  bool pumping = false;
  bool sdlEvents = false;
  uint32_t tickerEventType = 0;
  void (*tickerHandler)(int32_t slot, uint32_t generation) = nullptr;
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

EventState state;

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

void Queue(int32_t id, int32_t data, int32_t x = 0, int32_t y = 0) { state.pending.push_back(TEvent{id, data, x, y}); }

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
  if (e.type == state.tickerEventType && state.tickerEventType != 0) {
    Queue(kTickerNotification, e.user.code, static_cast<int32_t>(reinterpret_cast<intptr_t>(e.user.data1)));
    return;
  }
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
    case SDL_CONTROLLERDEVICEADDED:
      Queue(EVENT_PADADDED, e.cdevice.which);
      return;
    case SDL_CONTROLLERDEVICEREMOVED:
      Queue(EVENT_PADREMOVED, e.cdevice.which);
      return;
    case SDL_CONTROLLERBUTTONDOWN:
      Queue(EVENT_PADBUTTONDOWN, e.cbutton.button, e.cbutton.which);
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

}  // namespace

bool StartEventLayer() {
  if (state.sdlEvents) return true;
  // Ctrl+C and SIGTERM keep ending the program; SDL would turn them into close requests,
  // which the game ignores.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) return false;
  state.tickerEventType = SDL_RegisterEvents(1);
  if (state.tickerEventType == static_cast<uint32_t>(-1)) state.tickerEventType = 0;
  state.sdlEvents = true;
  return true;
}

uint32_t TickerEventType() { return state.tickerEventType; }

void SetTickerHandler(void (*handler)(int32_t, uint32_t)) { state.tickerHandler = handler; }

void ResetEvents() {
  if (state.window != nullptr && state.held) SDL_SetRelativeMouseMode(SDL_FALSE);
  EventState fresh;
  fresh.hooks = std::move(state.hooks);
  fresh.nextHookId = state.nextHookId;
  fresh.sdlEvents = state.sdlEvents;
  fresh.tickerEventType = state.tickerEventType;
  fresh.tickerHandler = state.tickerHandler;
  fresh.stopSignalTaken = state.stopSignalTaken;
  state = std::move(fresh);
  if (state.sdlEvents) SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

void InjectEvent(const TEvent& event) { state.pending.push_back(event); }

void PumpEvents() {
  if (state.pumping) return;
  state.pumping = true;
  if (state.sdlEvents) {
    SDL_Event e;
    while (SDL_PollEvent(&e) != 0) Translate(e);
  }
  // A stop signal or a lost display asks, once, what the close button asks; before the window
  // exists nothing would take the request, so it waits for one.
  if (StopStatus() != 0 && !state.stopSignalTaken && state.window != nullptr) {
    state.stopSignalTaken = true;
    state.pending.push_back({EVENT_APPTERMINATE});
  }
  while (!state.pending.empty()) {
    const TEvent ev = state.pending.front();
    state.pending.pop_front();
    if (ev.id == kTickerNotification) {
      if (state.tickerHandler != nullptr) state.tickerHandler(ev.data, static_cast<uint32_t>(ev.x));
    } else {
      if (ev.id == EVENT_MOUSEMOVE && !(state.held && state.heldByLock)) {
        state.pointerX = ev.x;
        state.pointerY = ev.y;
      }
      EmitEvent(ev);
    }
  }
  state.pumping = false;
}

void WaitForEvents(int32_t timeoutMs) {
  if (!state.pending.empty()) return;
  if (state.sdlEvents) {
    SDL_WaitEventTimeout(nullptr, timeoutMs);
  } else {
    SDL_Delay(static_cast<uint32_t>(timeoutMs));
  }
}

void EmitEvent(const TEvent& event) {
  // A hook may add or remove hooks; walk a copy.
  const auto snapshot = state.hooks;
  for (const auto& [id, hook] : snapshot) hook(event);
}

int32_t AddEventHook(TEventHook hook) {
  state.hooks.emplace_back(state.nextHookId, std::move(hook));
  return state.nextHookId++;
}

void RemoveEventHook(int32_t id) {
  std::erase_if(state.hooks, [id](const auto& h) { return h.first == id; });
}

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

#include "platform/events.h"

#include <SDL2/SDL.h>

#include <deque>
#include <utility>
#include <vector>

#include "platform/letterbox.h"
#include "platform/screenshot.h"
#include "platform/stop_signal.h"
#include "platform/virtual_pad.h"

namespace {

// Ticker notifications travel through the same queue, in arrival order.
constexpr int32_t kTickerNotification = -1;
// F12, which the game rules never read.
constexpr int32_t kScreenshotKey = 123;

std::deque<TEvent> pending;
std::vector<std::pair<int32_t, TEventHook>> hooks;
int32_t nextHookId = 1;
bool pumping = false;
bool sdlEvents = false;
uint32_t tickerEventType = 0;
void (*tickerHandler)(int32_t slot, uint32_t generation) = nullptr;
SDL_Window* window = nullptr;
bool relativePointer = false;
// Where the pointer is believed to be: the last position reported, or in relative mode the
// last warp target plus the motion since.
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

int32_t ButtonCode(uint8_t sdlButton) {
  switch (sdlButton) {
    case SDL_BUTTON_LEFT: return 1;
    case SDL_BUTTON_RIGHT: return 2;
    case SDL_BUTTON_MIDDLE: return 3;
    default: return 0;
  }
}

void Queue(int32_t id, int32_t data, int32_t x = 0, int32_t y = 0) { pending.push_back(TEvent{id, data, x, y}); }

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

void Translate(const SDL_Event& e) {
  if (e.type == tickerEventType && tickerEventType != 0) {
    Queue(kTickerNotification, e.user.code, static_cast<int32_t>(reinterpret_cast<intptr_t>(e.user.data1)));
    return;
  }
  switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const int32_t key = VirtualKeyFromSdl(e.key.keysym.scancode, e.key.keysym.sym);
      if (key < 1 || key > 255) return;
      const int32_t id = e.type == SDL_KEYUP ? EVENT_KEYUP : e.key.repeat ? EVENT_KEYREPEAT : EVENT_KEYDOWN;
      if (id == EVENT_KEYDOWN && key == kScreenshotKey) RequestScreenshot();
      Queue(id, key);
      return;
    }
    case SDL_TEXTINPUT:
      QueueCharacters(e.text.text);
      return;
    case SDL_MOUSEMOTION:
      // Motion made for another program is none of the game's business.
      if (!focused) return;
      if (relativePointer) {
        int32_t dx = e.motion.xrel;
        int32_t dy = e.motion.yrel;
        WindowMotionToScreen(dx, dy);
        pointerX += dx;
        pointerY += dy;
      } else {
        pointerX = e.motion.x;
        pointerY = e.motion.y;
        WindowPointToScreen(pointerX, pointerY);
      }
      Queue(EVENT_MOUSEMOVE, 0, pointerX, pointerY);
      return;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      const int32_t button = ButtonCode(e.button.button);
      if (button == 0) return;
      if (!relativePointer && focused) {
        pointerX = e.button.x;
        pointerY = e.button.y;
        WindowPointToScreen(pointerX, pointerY);
      }
      Queue(e.type == SDL_MOUSEBUTTONDOWN ? EVENT_MOUSEDOWN : EVENT_MOUSEUP, button, pointerX, pointerY);
      return;
    }
    case SDL_MOUSEWHEEL:
      Queue(EVENT_MOUSEWHEEL, e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y);
      return;
    case SDL_CONTROLLERDEVICEADDED: Queue(EVENT_PADADDED, e.cdevice.which); return;
    case SDL_CONTROLLERDEVICEREMOVED: Queue(EVENT_PADREMOVED, e.cdevice.which); return;
    case SDL_CONTROLLERBUTTONDOWN: Queue(EVENT_PADBUTTONDOWN, e.cbutton.button, e.cbutton.which); return;
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          focused = true;
          Queue(EVENT_APPRESUME, 0);
          // Back where the game last put it, so wherever it wandered turns nobody.
          RewarpPointer();
          return;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          focused = false;
          Queue(EVENT_APPSUSPEND, 0);
          return;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          // Where the game last put it, in the new letterbox.
          if (FitPointerToWindow(e.window.data1, e.window.data2)) RewarpPointer();
          return;
        case SDL_WINDOWEVENT_ENTER: Queue(EVENT_MOUSEENTER, 0, pointerX, pointerY); return;
        case SDL_WINDOWEVENT_LEAVE: Queue(EVENT_MOUSELEAVE, 0, pointerX, pointerY); return;
        case SDL_WINDOWEVENT_CLOSE: Queue(EVENT_APPTERMINATE, 0); return;
        default: return;
      }
    default:
      return;
  }
}

// Whether the stop signal has been turned into its close request.
bool stopSignalTaken = false;

}  // namespace

bool StartEventLayer() {
  if (sdlEvents) return true;
  // Ctrl+C and SIGTERM keep ending the program; SDL would turn them into close requests,
  // which the game ignores.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) return false;
  tickerEventType = SDL_RegisterEvents(1);
  if (tickerEventType == static_cast<uint32_t>(-1)) tickerEventType = 0;
  sdlEvents = true;
  return true;
}

uint32_t TickerEventType() { return tickerEventType; }

void SetTickerHandler(void (*handler)(int32_t, uint32_t)) { tickerHandler = handler; }

void InjectEvent(const TEvent& event) { pending.push_back(event); }

void PumpEvents() {
  if (pumping) return;
  pumping = true;
  if (sdlEvents) {
    FeedVirtualPad();
    SDL_Event e;
    while (SDL_PollEvent(&e) != 0) Translate(e);
  }
  // A stop signal asks, once, what the close button asks; before the window exists nothing
  // would take the request, so it waits for one.
  if (StopSignal() != 0 && !stopSignalTaken && window != nullptr) {
    stopSignalTaken = true;
    pending.push_back({EVENT_APPTERMINATE});
  }
  while (!pending.empty()) {
    const TEvent ev = pending.front();
    pending.pop_front();
    if (ev.id == kTickerNotification) {
      if (tickerHandler != nullptr) tickerHandler(ev.data, static_cast<uint32_t>(ev.x));
    } else {
      if (ev.id == EVENT_MOUSEMOVE && !relativePointer) {
        pointerX = ev.x;
        pointerY = ev.y;
      }
      EmitEvent(ev);
    }
  }
  pumping = false;
}

void WaitForEvents(int32_t timeoutMs) {
  if (!pending.empty()) return;
  if (sdlEvents) {
    SDL_WaitEventTimeout(nullptr, timeoutMs);
  } else {
    SDL_Delay(static_cast<uint32_t>(timeoutMs));
  }
}

void EmitEvent(const TEvent& event) {
  // A hook may add or remove hooks; walk a copy.
  const auto snapshot = hooks;
  for (const auto& [id, hook] : snapshot) hook(event);
}

int32_t AddEventHook(TEventHook hook) {
  hooks.emplace_back(nextHookId, std::move(hook));
  return nextHookId++;
}

void RemoveEventHook(int32_t id) {
  std::erase_if(hooks, [id](const auto& h) { return h.first == id; });
}

void SetEventWindow(void* sdlWindow) {
  window = static_cast<SDL_Window*>(sdlWindow);
  focused = window == nullptr || (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS) != 0;
  warpAsked = false;
}

bool WindowFocused() { return focused; }

void* EventWindow() { return window; }

void SetPointerWarping(bool on) { warping = on; }

void RewarpPointer() {
  if (warpAsked) WarpPointer(warpX, warpY);
}

void SetRelativePointer(bool on) {
  relativePointer = on;
  if (window != nullptr) SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE);
}

bool RelativePointer() { return relativePointer; }

void WarpPointer(int32_t x, int32_t y) {
  warpAsked = true;
  warpX = x;
  warpY = y;
  if (relativePointer) {
    pointerX = x;
    pointerY = y;
  } else if (window != nullptr && focused && warping) {
    // Another program's pointer stays where its user put it.
    int32_t windowX = x;
    int32_t windowY = y;
    ScreenPointToWindow(windowX, windowY);
    SDL_WarpMouseInWindow(window, windowX, windowY);
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
  if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F12) return 112 + (sc - SDL_SCANCODE_F1);
  if (sc >= SDL_SCANCODE_F13 && sc <= SDL_SCANCODE_F24) return 124 + (sc - SDL_SCANCODE_F13);
  if (sc >= SDL_SCANCODE_KP_1 && sc <= SDL_SCANCODE_KP_9) return 97 + (sc - SDL_SCANCODE_KP_1);
  switch (sc) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
    case SDL_SCANCODE_RETURN2: return 13;
    case SDL_SCANCODE_ESCAPE: return 27;
    case SDL_SCANCODE_BACKSPACE: return 8;
    case SDL_SCANCODE_TAB: return 9;
    case SDL_SCANCODE_SPACE: return 32;
    case SDL_SCANCODE_MINUS: return 189;
    case SDL_SCANCODE_EQUALS: return 187;
    case SDL_SCANCODE_LEFTBRACKET: return 219;
    case SDL_SCANCODE_RIGHTBRACKET: return 221;
    case SDL_SCANCODE_BACKSLASH:
    case SDL_SCANCODE_NONUSHASH: return 220;
    case SDL_SCANCODE_SEMICOLON: return 186;
    case SDL_SCANCODE_APOSTROPHE: return 222;
    case SDL_SCANCODE_GRAVE: return 192;
    case SDL_SCANCODE_COMMA: return 188;
    case SDL_SCANCODE_PERIOD: return 190;
    case SDL_SCANCODE_SLASH: return 191;
    case SDL_SCANCODE_NONUSBACKSLASH: return 226;
    case SDL_SCANCODE_CAPSLOCK: return 20;
    case SDL_SCANCODE_PRINTSCREEN: return 44;
    case SDL_SCANCODE_SCROLLLOCK: return 145;
    case SDL_SCANCODE_PAUSE: return 19;
    case SDL_SCANCODE_INSERT: return 45;
    case SDL_SCANCODE_HOME: return 36;
    case SDL_SCANCODE_PAGEUP: return 33;
    case SDL_SCANCODE_DELETE: return 46;
    case SDL_SCANCODE_END: return 35;
    case SDL_SCANCODE_PAGEDOWN: return 34;
    case SDL_SCANCODE_RIGHT: return 39;
    case SDL_SCANCODE_LEFT: return 37;
    case SDL_SCANCODE_DOWN: return 40;
    case SDL_SCANCODE_UP: return 38;
    case SDL_SCANCODE_NUMLOCKCLEAR: return 144;
    case SDL_SCANCODE_KP_DIVIDE: return 111;
    case SDL_SCANCODE_KP_MULTIPLY: return 106;
    case SDL_SCANCODE_KP_MINUS: return 109;
    case SDL_SCANCODE_KP_PLUS: return 107;
    case SDL_SCANCODE_KP_0: return 96;
    case SDL_SCANCODE_KP_PERIOD: return 110;
    case SDL_SCANCODE_APPLICATION:
    case SDL_SCANCODE_MENU: return 93;
    case SDL_SCANCODE_HELP: return 47;
    case SDL_SCANCODE_SELECT: return 41;
    case SDL_SCANCODE_EXECUTE: return 43;
    case SDL_SCANCODE_SLEEP: return 95;
    case SDL_SCANCODE_MUTE: return 173;
    case SDL_SCANCODE_VOLUMEDOWN: return 174;
    case SDL_SCANCODE_VOLUMEUP: return 175;
    case SDL_SCANCODE_AUDIONEXT: return 176;
    case SDL_SCANCODE_AUDIOPREV: return 177;
    case SDL_SCANCODE_AUDIOSTOP: return 178;
    case SDL_SCANCODE_AUDIOPLAY: return 179;
    case SDL_SCANCODE_LCTRL: return 162;
    case SDL_SCANCODE_RCTRL: return 163;
    case SDL_SCANCODE_LSHIFT: return 160;
    case SDL_SCANCODE_RSHIFT: return 161;
    case SDL_SCANCODE_LALT: return 164;
    case SDL_SCANCODE_RALT: return 165;
    case SDL_SCANCODE_LGUI: return 91;
    case SDL_SCANCODE_RGUI: return 92;
    default: return 0;
  }
}

// The event layer: window notifications become the game's input events, which the hooks
// (the polled-input state among them) receive whenever events are pumped.
//
// Tests and the simulator feed events without a window:
//   InjectEvent({EVENT_KEYDOWN, 87});   // W pressed; seen at the next pump
//   PumpEvents(); CurrentKeyDown(87);   // reads 1 once pumped
#pragma once
#include <cstdint>
#include <functional>

enum : int32_t {
  EVENT_APPSUSPEND = 257,    // another program became active
  EVENT_APPRESUME = 258,     // this program became active again
  EVENT_APPTERMINATE = 259,  // the user asked to close the window
  EVENT_KEYDOWN = 513,       // data: key code (first press)
  EVENT_KEYUP = 514,         // data: key code
  EVENT_KEYCHAR = 515,       // data: character code
  EVENT_KEYREPEAT = 516,     // data: key code
  EVENT_MOUSEDOWN = 1025,    // data: button 1 left, 2 right, 3 middle; x, y
  EVENT_MOUSEUP = 1026,      // data: button; x, y
  EVENT_MOUSEMOVE = 1027,    // data: kPointerMoved when the player moved it; x, y in pixels of the configured screen
  EVENT_MOUSEWHEEL = 1028,   // data: notches
  EVENT_MOUSEENTER = 1029,   // x, y
  EVENT_MOUSELEAVE = 1030,   // x, y
  EVENT_TIMERTICK = 2049,    // data: tick count; source: the TTimer
  // Game controllers (platform/input/pad.h); SDL's numbers for devices and buttons.
  EVENT_PADADDED = 4097,       // data: device index
  EVENT_PADREMOVED = 4098,     // data: instance id of the pad
  EVENT_PADBUTTONDOWN = 4099,  // data: SDL_GameControllerButton; x: instance id of the pad
};

// EVENT_MOUSEMOVE's data when the player moved the pointer; 0 when the game put it somewhere or
// the window changed under a resting pointer, which must not count as the player's choice.
inline constexpr int32_t kPointerMoved = 1;

struct TEvent {
  int32_t id = 0;
  int32_t data = 0;
  int32_t x = 0;
  int32_t y = 0;
  const void* source = nullptr;
};

// Drops every pending event (SDL's queue too) and forgets the window, the pointer's position,
// its warps and relative mode, as at start; the hooks stay. For tests, which share one process.
void ResetEvents();
// Queues an event as if the window had just sent it; hooks see it at the next pump.
void InjectEvent(const TEvent& event);
// Takes every pending notification (injected, window, ticker) without waiting and emits the
// events in order. A pump already running is not entered again.
void PumpEvents();
// Waits up to timeoutMs for a notification to arrive (does not take it).
void WaitForEvents(int32_t timeoutMs);
// Hands an event to every hook now.
void EmitEvent(const TEvent& event);

using TEventHook = std::function<void(const TEvent&)>;
// Returns an id for RemoveEventHook.
int32_t AddEventHook(TEventHook hook);
void RemoveEventHook(int32_t id);

// Windows virtual-key code of an SDL key (SDL_Scancode, SDL_Keycode), 0 when it has none.
int32_t VirtualKeyFromSdl(int32_t scancode, int32_t keycode);

// --- Used by the window and pointer code ---

// The window whose notifications are turned into events; null when none.
void SetEventWindow(void* sdlWindow);
void* EventWindow();
// Whether the window has the input focus (always, without a window). Only then does the game
// warp the system pointer and take its motion.
bool WindowFocused();
// Play asks to hold the pointer: while the window has the focus (and only then, since a
// desktop grants a pointer lock to the focused window alone) the system pointer is held and
// hidden, and the position is the last warp target plus the motion since, counted in the
// window's own units, so a turn is the same in a small window, a large one and full screen.
// Otherwise the pointer is free and read where it is, through the letterbox.
void HoldPointer(bool on);
// Whether the pointer is held now: asked for, and the window has the focus.
bool PointerHeld();
// How a held pointer is held: by the game warping it back every frame, where warps work (X11
// on its own), or by the desktop's pointer lock (SDL's relative mode), where they may be
// ignored (Wayland, XWayland). Warps until set.
void HoldPointerByLock(bool on);
// Moves the system pointer (when a window exists, has the focus and does not hold it) and
// queues the move event that makes the stored position follow at the next pump.
void WarpPointer(int32_t x, int32_t y);
// Off: the system pointer is never moved, only the stored position follows (a replay's
// viewer keeps the pointer).
void SetPointerWarping(bool on);
// Warps the pointer again to where the game last asked for it, if it ever did.
void RewarpPointer();
// Starts SDL's event queue and timers (no video needed); false when SDL refuses.
bool StartEventLayer();
// The SDL event type that carries ticker notifications from the timer thread, and what the
// pump calls for each one it reaches (the tickers set it when the first one starts).
uint32_t TickerEventType();
void SetTickerHandler(void (*handler)(int32_t slot, uint32_t generation));

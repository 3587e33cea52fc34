// The event layer's core: the game's events, the queue they wait in, the pump that hands them
// to the hooks (the polled-input state among them), and the hooks. The services above feed
// the pump with what they make of SDL's notifications: the input the window's
// (platform/input/window_input.h), the pads theirs, the tickers theirs (platform/system/timer.h).
//
// Tests and the simulator feed events without a window:
//   InjectEvent({EVENT_KEYDOWN, 87});   // W pressed; seen at the next pump
//   PumpEvents(); CurrentKeyDown(87);   // reads 1 once pumped (platform/input/input.h)
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

// --- Used by the services that feed the pump ---

union SDL_Event;

// A service's part in every pump; any of its steps may be null.
struct TPumpPart {
  // Each of SDL's notifications the pump takes, in order: the service queues what it makes of
  // those it knows (InjectEvent, QueueWork) and passes over the rest.
  void (*read)(const SDL_Event& e) = nullptr;
  // Once SDL's queue is empty, before the pending events go out.
  void (*taken)() = nullptr;
  // Each event on its way out, just before the hooks see it.
  void (*passing)(const TEvent& event) = nullptr;
};
// Adds a part to every pump from now on; a service adds its part once.
void AddPumpPart(const TPumpPart& part);
// Queues a service's own work (a ticker's tick) to run in its turn among the pending events:
// `work` gets `event`, the hooks do not.
void QueueWork(void (*work)(const TEvent& event), const TEvent& event);

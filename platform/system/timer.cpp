#include "platform/system/timer.h"

#include <SDL2/SDL.h>

#include <array>
#include <cstdint>

#include "platform/core/sdl_start.h"

namespace {

struct Slot {
  TTimer* timer = nullptr;
  uint32_t generation = 0;  // tells a late notification of an earlier ticker in this slot
};

std::array<Slot, kMaxTimers> slots;

// The SDL event type that carries the notifications, registered with the first ticker; 0 until
// then, and for good when SDL has none left.
uint32_t tickerEventType = 0;
bool listening = false;

// Runs on SDL's timer thread: only posts, the main thread does the rest.
Uint32 PostTick(Uint32 interval, void* param) {
  const auto packed = reinterpret_cast<uintptr_t>(param);
  SDL_Event e{};
  e.type = tickerEventType;
  e.user.code = static_cast<Sint32>(packed & 0xff);
  e.user.data1 = reinterpret_cast<void*>(static_cast<intptr_t>(packed >> 8));
  SDL_PushEvent(&e);
  return interval;
}

// Run by the event pump in the notification's turn, on the main thread: data is the slot, x
// the generation.
void HandleTickerNotification(const TEvent& notification) {
  const int32_t slot = notification.data;
  const auto generation = static_cast<uint32_t>(notification.x);
  if (slot < 0 || slot >= kMaxTimers) return;
  const Slot& s = slots[static_cast<size_t>(slot)];
  if (s.timer != nullptr && (s.generation & 0xffffff) == (generation & 0xffffff)) s.timer->Fire();
}

// Ticker notifications wait in the pump's queue with the window's events, in arrival order.
void ReadTickerNotification(const SDL_Event& e) {
  if (e.type != tickerEventType) return;
  QueueWork(HandleTickerNotification,
            TEvent{0, e.user.code, static_cast<int32_t>(reinterpret_cast<intptr_t>(e.user.data1))});
}

// Registers the notifications' event type and puts the tickers into the pump, once.
bool ListenForTicks() {
  if (!listening) {
    listening = true;
    const uint32_t type = SDL_RegisterEvents(1);
    if (type == static_cast<uint32_t>(-1)) return false;
    tickerEventType = type;
    AddPumpPart({.read = ReadTickerNotification});
  }
  return tickerEventType != 0;
}

}  // namespace

std::shared_ptr<TTimer> TTimer::Create(float hertz, std::optional<TEvent> event) {
  if (!(hertz > 0) || !StartEventLayer() || !ListenForTicks()) return nullptr;
  int32_t free = -1;
  for (int32_t i = 0; i < kMaxTimers; ++i) {
    if (slots[static_cast<size_t>(i)].timer == nullptr) {
      free = i;
      break;
    }
  }
  if (free < 0) return nullptr;
  const auto cycle = static_cast<int32_t>(1000.0 / hertz);
  if (cycle <= 0) return nullptr;
  Slot& slot = slots[static_cast<size_t>(free)];
  ++slot.generation;
  const uintptr_t packed = (static_cast<uintptr_t>(slot.generation) << 8) | static_cast<uintptr_t>(free);
  const SDL_TimerID id = SDL_AddTimer(static_cast<Uint32>(cycle), PostTick, reinterpret_cast<void*>(packed));
  if (id == 0) return nullptr;
  auto timer = std::make_shared<TTimer>();
  timer->_cycle = cycle;
  timer->_event = event;
  timer->_handle = id;
  timer->_slot = free;
  slot.timer = timer.get();
  return timer;
}

uint32_t TickerEventType() { return tickerEventType; }

TTimer::~TTimer() { Stop(); }

void TTimer::Stop() {
  if (_handle == 0) return;
  SDL_RemoveTimer(_handle);
  _handle = 0;
  slots[static_cast<size_t>(_slot)].timer = nullptr;
}

void TTimer::Fire() {
  if (_handle == 0) return;
  ++_ticks;
  if (_event) {
    EmitEvent(*_event);
  } else {
    EmitEvent(TEvent{EVENT_TIMERTICK, _ticks, 0, 0, this});
  }
}

int32_t TTimer::Wait() {
  while (_ticks == _wticks) {
    PumpEvents();
    if (_ticks != _wticks || _handle == 0) break;
    WaitForEvents(_cycle);
  }
  const int32_t n = _ticks - _wticks;
  _wticks = _ticks;
  return n;
}

// Periodic tickers. A platform timer thread posts a notification each period; the main
// thread counts it (and emits an event) when it next pumps events (platform/core/events.h),
// in its turn among the window's.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>

#include "platform/core/events.h"

class TTimer {
 public:
  ~TTimer();
  // Null when 16 tickers already run or the platform refuses a timer. Without an event each
  // tick emits EVENT_TIMERTICK with the new tick count.
  static std::shared_ptr<TTimer> Create(float hertz, std::optional<TEvent> event);

  int32_t Ticks() const { return _ticks; }
  void Stop();
  // Counts one tick and emits the event; does nothing once stopped.
  void Fire();
  // Pumps events until at least one tick has arrived since the last Wait; returns how many.
  int32_t Wait();

  int32_t _ticks = 0;
  int32_t _wticks = 0;
  int32_t _cycle = 0;  // period in milliseconds
  std::optional<TEvent> _event;
  int32_t _handle = 0;  // platform timer id, 0 once stopped

 private:
  int32_t _slot = -1;
};

// How many tickers may run at once.
constexpr int32_t kMaxTimers = 16;
// The SDL event type that carries the tickers' notifications; 0 before the first ticker.
uint32_t TickerEventType();

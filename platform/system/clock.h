// The millisecond clock; tests and the simulator replace its source with a settable one so
// that timing-dependent code runs deterministically.
#pragma once
#include <cstdint>
#include <string>

// Milliseconds since the system started, as a signed 32-bit count that wraps.
int32_t RealNowMs();
// Microseconds on the same clock, for waits finer than a millisecond.
int64_t RealNowUs();

// Sleeps on the real clock; with a fixed clock it advances the fixed time instead.
void SleepMs(int32_t ms);
// Sleeps until RealNowMs() reads `target` (a time less than 2^31 ms ahead), waking on time:
// the kernel's sleep ends just before and the last stretch is waited out precisely.
void SleepUntilMs(int32_t target);

// a - b and a + b on the wrapping 32-bit clock: right across its turn.
inline int32_t ClockDiff(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
inline int32_t ClockAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// Makes RealNowMs return `now` until changed again or UseSystemClock is called.
// The local date and time now, as strftime's `format` writes them (at most 63 bytes).
std::string LocalTimeText(const char* format);

void UseFixedClock(int32_t now);
void UseSystemClock();
bool ClockIsFixed();

// The millisecond clock. The game reads it through NowMs; tests and the simulator replace
// the source with a settable one so that timing-dependent rules run deterministically.
#pragma once
#include <cstdint>

// Milliseconds since the system started, as a signed 32-bit count that wraps: the clock the
// game rules read, which an answer tap (platform/answer_tap.h) may watch or replace.
int32_t NowMs();
// The same clock, never tapped nor paused: for pacing frames and anything else outside the
// rules.
int32_t RealNowMs();
// Microseconds on the same clock, for waits finer than a millisecond.
int64_t RealNowUs();

// While the game is paused the clock the rules read stands still; when it runs again it goes
// on from where it stood, the paused time left out.
void StopRulesClock();
void RunRulesClock();
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

// Makes NowMs return `now` until changed again or UseSystemClock is called.
void UseFixedClock(int32_t now);
void UseSystemClock();
bool ClockIsFixed();

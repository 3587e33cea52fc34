#include "platform/clock.h"

#include <ctime>

namespace {
bool fixed = false;
int32_t fixedNow = 0;
}  // namespace

int32_t NowMs() {
  if (fixed) return fixedNow;
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  const auto ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<int32_t>(static_cast<uint32_t>(ms));
}

void SleepMs(int32_t ms) {
  if (ms <= 0) return;
  if (fixed) {
    fixedNow = static_cast<int32_t>(static_cast<uint32_t>(fixedNow) + static_cast<uint32_t>(ms));
    return;
  }
  timespec ts{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {
  }
}

void UseFixedClock(int32_t now) {
  fixed = true;
  fixedNow = now;
}

void UseSystemClock() { fixed = false; }

bool ClockIsFixed() { return fixed; }

#include "platform/system/clock.h"

#include <sched.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

// A settable clock in place of the system's, for tests and the simulator.
struct TFixedClock {
  bool on = false;
  int32_t now = 0;
};
TFixedClock fixedClock;

// How long before the target the kernel's sleep should end: its wake-ups come late by tens
// to hundreds of microseconds.
constexpr int64_t kWakeMarginUs = 700;

// Only an interrupted sleep is slept again: any other failure would fail the same way for
// ever. The wait is then cut short (the last stretch of a frame is still waited out), and the
// player is told once why frames may come unevenly.
void WarnSleepRefused(int error) {
  static bool told = false;
  if (told) return;
  told = true;
  std::fprintf(stderr,
               "Kestrova: warning: the system refuses to let the game sleep (%s), so frames are not paced "
               "evenly; a sandbox or security policy that blocks nanosleep may be the cause\n",
               std::strerror(error));
}

int64_t MonotonicUs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

// The millisecond count of a microsecond time, wrapped to 32 bits as the clock reads.
int32_t WrappedMs(int64_t us) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(us / 1000))); }

}  // namespace

int32_t RealNowMs() {
  if (fixedClock.on) return fixedClock.now;
  return WrappedMs(MonotonicUs());
}

int64_t RealNowUs() { return fixedClock.on ? static_cast<int64_t>(fixedClock.now) * 1000 : MonotonicUs(); }

void SleepMs(int32_t ms) {
  if (ms <= 0) return;
  if (fixedClock.on) {
    fixedClock.now = ClockAdd(fixedClock.now, ms);
    return;
  }
  timespec ts{ms / 1000, static_cast<long>(ms % 1000) * 1000000L};
  while (nanosleep(&ts, &ts) != 0) {
    if (errno != EINTR) {
      WarnSleepRefused(errno);
      return;
    }
  }
}

void SleepUntilMs(int32_t target) {
  if (fixedClock.on) {
    SleepMs(ClockDiff(target, fixedClock.now));
    return;
  }
  const int64_t now = MonotonicUs();
  const int32_t ahead = ClockDiff(target, WrappedMs(now));
  if (ahead <= 0) return;
  // The moment the millisecond count turns to `target`.
  const int64_t due = (now / 1000 + ahead) * 1000;
  const int64_t wake = due - kWakeMarginUs;
  if (wake > now) {
    const timespec ts{static_cast<time_t>(wake / 1000000), static_cast<long>(wake % 1000000) * 1000L};
    for (int error; (error = clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr)) != 0;) {
      if (error != EINTR) {
        WarnSleepRefused(error);
        break;
      }
    }
  }
  while (MonotonicUs() < due) sched_yield();
}

void UseFixedClock(int32_t now) { fixedClock = {true, now}; }

void UseSystemClock() { fixedClock.on = false; }

bool ClockIsFixed() { return fixedClock.on; }

std::string LocalTimeText(const char* format) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[64];
  return std::string(text, std::strftime(text, sizeof text, format, &local));
}

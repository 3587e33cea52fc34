#include "platform/clock.h"

#include <ctime>

#include "platform/answer_tap.h"

namespace {
bool fixed = false;
int32_t fixedNow = 0;
TAnswerTap* answerTap = nullptr;
}  // namespace

void SetAnswerTap(TAnswerTap* tap) { answerTap = tap; }

TAnswerTap* AnswerTap() { return answerTap; }

int32_t NowMs() {
  const int32_t now = RealNowMs();
  TAnswerTap* tap = AnswerTap();
  return tap != nullptr ? tap->Answer(TQuery::Clock, 0, now) : now;
}

int32_t RealNowMs() {
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

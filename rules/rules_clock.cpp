#include "rules/rules_clock.h"

#include "platform/system/clock.h"
#include "rules/answers.h"

namespace {

struct TRulesClock {
  int32_t stoppedTotal = 0;  // the time it has stood still so far
  bool stopped = false;
  int32_t stoppedAt = 0;
};

TRulesClock rulesClock;

}  // namespace

int32_t RulesClockReading() {
  const TRulesClock& c = rulesClock;
  return ClockDiff(c.stopped ? c.stoppedAt : RealNowMs(), c.stoppedTotal);
}

int32_t NowMs() {
  const int32_t now = RulesClockReading();
  TAnswerTap* tap = AnswerTap();
  return tap != nullptr ? tap->Answer(TQuery::Clock, 0, now) : now;
}

void StopRulesClock() {
  if (rulesClock.stopped) return;
  rulesClock.stopped = true;
  rulesClock.stoppedAt = RealNowMs();
}

void RunRulesClock() {
  if (!rulesClock.stopped) return;
  rulesClock.stopped = false;
  rulesClock.stoppedTotal = ClockAdd(rulesClock.stoppedTotal, ClockDiff(RealNowMs(), rulesClock.stoppedAt));
}

void ResetRulesClock() { rulesClock = {}; }

void SetRulesClock(int32_t reading) {
  rulesClock.stoppedTotal = ClockDiff(rulesClock.stopped ? rulesClock.stoppedAt : RealNowMs(), reading);
}

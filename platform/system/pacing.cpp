#include "platform/system/pacing.h"

#include "platform/system/clock.h"

namespace {

TFramePacing pacing;

}  // namespace

const TFramePacing& FramePacing() { return pacing; }

void ResetPacing() { pacing = TFramePacing{}; }

void PaceByRetrace() {
  pacing = TFramePacing{};
  pacing.hardSync = true;
}

void PaceByTimer(int32_t hertz) {
  pacing = TFramePacing{};
  pacing.softSync = true;
  pacing.hertz = hertz;
  pacing.step = 1000 / hertz;
  pacing.remainder = 1000 - pacing.step * hertz;
  pacing.accum = 0;
  pacing.nextFrame = RealNowMs();
}

void WaitForNextFrame() {
  pacing.nextFrame = ClockAdd(pacing.nextFrame, pacing.step);
  // A negative rate's step runs backwards, so its frames are never waited for; its
  // remainder is not carried either, which at -2^31 would overflow the accumulator.
  if (pacing.hertz > 0) {
    pacing.accum += pacing.remainder;
    if (pacing.accum >= pacing.hertz) {
      pacing.accum -= pacing.hertz;
      pacing.nextFrame = ClockAdd(pacing.nextFrame, 1);
    }
  }
  const int32_t now = RealNowMs();
  const int32_t wait = ClockDiff(pacing.nextFrame, now);
  if (wait > 0) {
    SleepUntilMs(pacing.nextFrame);
  } else {
    pacing.nextFrame = now;
  }
}

// Frame pacing for Flip(-1): the display's retrace where it runs at the rate asked for, else the
// game's timer, which sleeps until each frame is due (16 and 17 ms steps for 60 Hz).
#pragma once
#include <cstdint>

// Frame pacing chosen by OpenScreen for Flip(-1).
struct TFramePacing {
  bool softSync = false;
  bool hardSync = false;
  int32_t hertz = 0;
  int32_t step = 0;       // whole milliseconds per frame
  int32_t remainder = 0;  // 1000 - step * hertz
  int32_t accum = 0;
  int32_t nextFrame = 0;  // RealNowMs() time the next frame is due
};
const TFramePacing& FramePacing();

// What a new screen paces by: nothing, the retrace, or the timer at `hertz` frames a second
// starting now.
void ResetPacing();
void PaceByRetrace();
void PaceByTimer(int32_t hertz);
// Under the timer: sleeps until the next frame is due, or starts counting afresh from now when
// it is already late.
void WaitForNextFrame();

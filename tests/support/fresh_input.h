// Input tests start from the state at start, whatever the tests before them left: no event
// waiting, no key or button held, on a headless 800 x 600 screen.
#pragma once
#include <memory>

#include "platform/core/events.h"
#include "platform/core/sdl_start.h"
#include "platform/input/input.h"
#include "platform/video/graphics.h"
#include "platform/video/recording_driver.h"
#include "rules/answers.h"

inline bool OpenFreshInputScreen() {
  if (!StartEventLayer()) return false;
  UnbindAllKeys();
  return OpenHeadlessScreen(std::make_shared<TRecordingDriver>(), 800, 600, 0, 0, 0);
}

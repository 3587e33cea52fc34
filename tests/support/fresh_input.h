// Input tests start from the state at start, whatever the tests before them left: no event
// waiting, no key or button held, on a headless 800 x 600 screen.
#pragma once
#include <memory>

#include "platform/events.h"
#include "platform/graphics.h"
#include "platform/input.h"
#include "platform/recording_driver.h"

inline bool OpenFreshInputScreen() {
  if (!StartEventLayer()) return false;
  ResetEvents();
  ResetInput();
  return OpenHeadlessScreen(std::make_shared<TRecordingDriver>(), 800, 600, 0, 0, 0);
}

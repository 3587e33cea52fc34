#include "app/pause.h"

#include <utility>

#include "platform/events.h"
#include "platform/graphics.h"
#include "platform/keys.h"

namespace {

struct PauseState {
  bool started = false;
  TPauseInput input;
  // A key or button held down counts once, however often the window repeats its press.
  bool pHeld = false;
  bool pauseHeld = false;
  bool buttonHeld = false;
  bool keepFrames = false;
  TPixmapPtr keptFrame;
};

PauseState state;

void Press(bool& held, int32_t& count) {
  if (!held) ++count;
  held = true;
}

void OnEvent(const TEvent& ev) {
  switch (ev.id) {
    case EVENT_KEYDOWN:
      if (ev.data == 'P') Press(state.pHeld, state.input.keys);
      if (ev.data == KEY_PAUSE) Press(state.pauseHeld, state.input.keys);
      break;
    case EVENT_KEYUP:
      if (ev.data == 'P') state.pHeld = false;
      if (ev.data == KEY_PAUSE) state.pauseHeld = false;
      break;
    case EVENT_MOUSEDOWN:
      if (ev.data == 1) Press(state.buttonHeld, state.input.clicks);
      break;
    case EVENT_MOUSEUP:
      if (ev.data == 1) state.buttonHeld = false;
      break;
    // The focus coming or going releases every key and button, as the polled input does.
    case EVENT_APPSUSPEND:
      state.input.focusLost = true;
      [[fallthrough]];
    case EVENT_APPRESUME:
      state.pHeld = state.pauseHeld = state.buttonHeld = false;
      break;
    default:
      break;
  }
}

}  // namespace

void StartPauseWatch() {
  if (state.started) return;
  state.started = true;
  AddEventHook(OnEvent);
}

TPauseInput TakePauseInput() {
  PumpEvents();
  return std::exchange(state.input, TPauseInput{});
}

bool PauseAsked() { return state.input.keys > 0 || state.input.focusLost; }

void KeepFramesForPause(bool on) {
  state.keepFrames = on;
  state.keptFrame = nullptr;
}

void KeepFrameIfPausing() {
  const TVex2DGraphics* g = CurrentGraphics();
  if (state.keepFrames && g != nullptr && PauseAsked()) state.keptFrame = GrabPixmap(0, 0, g->g_width, g->g_height);
}

TPixmapPtr TakeKeptFrame() { return std::move(state.keptFrame); }

void ResetPause() {
  const bool started = state.started;
  state = PauseState{};
  state.started = started;
}

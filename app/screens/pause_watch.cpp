#include "app/screens/pause_watch.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "platform/core/events.h"
#include "platform/input/keys.h"
#include "platform/video/graphics.h"

namespace {

struct PauseState {
  bool started = false;
  TPauseInput input;
  std::vector<int32_t> keys = {'P', KEY_PAUSE};  // the player's key_pause
  // A key or button held down counts once, however often the window repeats its press.
  std::array<bool, 256> keyHeld{};
  bool buttonHeld = false;
  bool keepFrames = false;
  TPixmapPtr keptFrame;
  bool menuOpen = false;
  std::vector<TEvent> menuInput;
};

PauseState state;

bool IsPauseKey(int32_t key) {
  return key >= 0 && key < 256 && std::find(state.keys.begin(), state.keys.end(), key) != state.keys.end();
}

void Press(bool& held, int32_t& count) {
  if (!held) ++count;
  held = true;
}

void OnEvent(const TEvent& ev) {
  const bool forMenu = ev.id == EVENT_KEYDOWN || ev.id == EVENT_MOUSEMOVE || ev.id == EVENT_APPTERMINATE ||
                       (ev.id == EVENT_MOUSEDOWN && ev.data == 1);
  if (state.menuOpen && forMenu) state.menuInput.push_back(ev);
  switch (ev.id) {
    case EVENT_KEYDOWN:
      if (IsPauseKey(ev.data)) Press(state.keyHeld[static_cast<size_t>(ev.data)], state.input.keys);
      break;
    case EVENT_KEYUP:
      if (IsPauseKey(ev.data)) state.keyHeld[static_cast<size_t>(ev.data)] = false;
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
      state.keyHeld.fill(false);
      state.buttonHeld = false;
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

void OpenPauseMenu(bool open) {
  state.menuOpen = open;
  state.menuInput.clear();
}

std::vector<TEvent> TakeMenuInput() {
  PumpEvents();
  return std::exchange(state.menuInput, {});
}

void KeepFramesForPause(bool on) {
  state.keepFrames = on;
  state.keptFrame = nullptr;
}

void KeepFrameIfPausing() {
  const TVex2DGraphics* g = CurrentGraphics();
  if (state.keepFrames && g != nullptr && PauseAsked()) state.keptFrame = GrabPixmap(0, 0, g->g_width, g->g_height);
}

TPixmapPtr TakeKeptFrame() { return std::move(state.keptFrame); }

void SetPauseKeys(const std::vector<int32_t>& keys) {
  state.keys = keys;
  state.keyHeld.fill(false);
}

void ResetPause() {
  const bool started = state.started;
  state = PauseState{};
  state.started = started;
}

#include "app/play/pause_watch.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "app/play/play_session.h"
#include "app/player/settings_in_force.h"
#include "platform/core/events.h"
#include "platform/input/keys.h"
#include "platform/video/graphics.h"

namespace {

bool IsPauseKey(int32_t key) {
  const std::vector<int32_t>& keys = PlayerSettings().Keys(TAction::Pause);
  return key >= 0 && key < 256 && std::find(keys.begin(), keys.end(), key) != keys.end();
}

void Press(bool& held, int32_t& count) {
  if (!held) ++count;
  held = true;
}

TPauseWatch& Watch() { return PlaySession().pause; }

}  // namespace

void TPauseWatch::OnEvent(const TEvent& ev) {
  const bool forMenu = ev.id == EVENT_KEYDOWN || ev.id == EVENT_MOUSEMOVE || ev.id == EVENT_APPTERMINATE ||
                       (ev.id == EVENT_MOUSEDOWN && ev.data == 1);
  if (menuOpen && forMenu) menuInput.push_back(ev);
  switch (ev.id) {
    case EVENT_KEYDOWN:
      if (IsPauseKey(ev.data)) Press(keyHeld[static_cast<size_t>(ev.data)], input.keys);
      break;
    case EVENT_KEYUP:
      if (IsPauseKey(ev.data)) keyHeld[static_cast<size_t>(ev.data)] = false;
      break;
    case EVENT_MOUSEDOWN:
      if (ev.data == 1) Press(buttonHeld, input.clicks);
      break;
    case EVENT_MOUSEUP:
      if (ev.data == 1) buttonHeld = false;
      break;
    // The focus coming or going releases every key and button, as the polled input does.
    case EVENT_APPSUSPEND:
      input.focusLost = true;
      [[fallthrough]];
    case EVENT_APPRESUME:
      keyHeld.fill(false);
      buttonHeld = false;
      break;
    default:
      break;
  }
}

TPauseInput TakePauseInput() {
  PumpEvents();
  return std::exchange(Watch().input, TPauseInput{});
}

bool PauseAsked() { return Watch().input.keys > 0 || Watch().input.focusLost || Watch().input.asked; }

void AskPause() { Watch().input.asked = true; }

void OpenPauseMenu(bool open) {
  Watch().menuOpen = open;
  Watch().menuInput.clear();
}

std::vector<TEvent> TakeMenuInput() {
  PumpEvents();
  return std::exchange(Watch().menuInput, {});
}

void KeepFramesForPause(bool on) {
  Watch().keepFrames = on;
  Watch().keptFrame = nullptr;
}

void KeepFrameIfPausing() {
  const TVex2DGraphics* g = CurrentGraphics();
  if (Watch().keepFrames && g != nullptr && PauseAsked()) Watch().keptFrame = GrabPixmap(0, 0, g->g_width, g->g_height);
}

TPixmapPtr TakeKeptFrame() { return std::move(Watch().keptFrame); }

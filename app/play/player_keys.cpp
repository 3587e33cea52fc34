#include "app/play/player_keys.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "app/play/notices.h"
#include "app/play/play_session.h"
#include "app/player/bindings.h"
#include "app/player/settings_in_force.h"
#include "platform/input/input.h"
#include "platform/input/keys.h"
#include "platform/input/pad.h"
#include "platform/text/language.h"
#include "platform/video/sdl_window.h"
#include "rules/answers.h"

namespace {

constexpr int32_t kVolumeStep = 10;

TPlayerKeys& Keys() { return PlaySession().keys; }

// Whether the player asked to switch between the window and full screen since last asked;
// Alt+Enter's Enter then neither quits the score screen.
bool FullScreenAsked() {
  bool asked = ActionPresses(TAction::FullScreen) % 2 != 0;
  if (Keys().altEnters % 2 != 0) asked = !asked;
  if (Keys().altEnters != 0) KeyPressedLive(KEY_ENTER);
  Keys().altEnters = 0;
  return asked;
}

// Kept in the settings file at once as the window then is, so the next launch opens the way
// the player left it.
void SwitchFullScreen() {
  SetDesktopFullScreen(!DesktopFullScreen());
  TPlayerSettings to = PlayerSettings();
  to.fullscreen = DesktopFullScreen();
  if (to == PlayerSettings()) return;
  Apply(to);
  KeepPlayerSettings();
}

void TakeSoundKeys() {
  TPlayerSettings to = PlayerSettings();
  const bool muteSwitched = ActionPresses(TAction::Mute) % 2 != 0;
  if (muteSwitched) to.mute = !to.mute;
  const int32_t up = ActionPresses(TAction::VolumeUp);
  const int32_t down = ActionPresses(TAction::VolumeDown);
  if (!muteSwitched && up == down) return;
  // Muted, the step is kept for when the sound is on again.
  to.volume = std::clamp(to.volume + kVolumeStep * (up - down), 0, 100);
  // Kept in the file when the program ends, not at every step. A step at either end still
  // says where the sound stands.
  Apply(to);
  if (up == down) {
    PostNotice(to.mute ? Tr("Ton aus") : Tr("Ton an"), TNoticeKind::Sound);
  } else {
    PostNotice(SoundNotice(to), TNoticeKind::Sound);
  }
}

// A pad that comes or goes is news; the one there at the game's first look is not.
void WatchPad() {
  const int32_t has = PadConnected() ? 1 : 0;
  if (Keys().padSeen >= 0 && has != Keys().padSeen) {
    std::fprintf(stderr, "Kestrova: %s\n", has != 0 ? "a pad is connected" : "the pad was removed");
    PostNotice(has != 0 ? Tr("Pad verbunden") : Tr("Pad entfernt"));
  }
  Keys().padSeen = has;
}

}  // namespace

void TPlayerKeys::OnEvent(const TEvent& ev) {
  if (ev.id != EVENT_KEYDOWN && ev.id != EVENT_KEYUP) return;
  const bool down = ev.id == EVENT_KEYDOWN;
  if (ev.data == KEY_LEFTALT || ev.data == KEY_RIGHTALT) altHeld[ev.data == KEY_RIGHTALT] = down;
  if (keyAwaited) return;
  if (down && ev.data == KEY_ENTER && (altHeld[0] || altHeld[1])) ++altEnters;
  const std::vector<int32_t>& shot = PlayerSettings().Keys(TAction::Screenshot);
  if (down && std::find(shot.begin(), shot.end(), ev.data) != shot.end()) screenshotAsked = true;
}

void RunPlayerKeys() {
  if (FullScreenAsked()) SwitchFullScreen();
  TakeSoundKeys();
  WatchPad();
  DrawNotices();
}

std::string SoundNotice(const TPlayerSettings& settings) {
  const std::string volume = std::to_string(settings.volume);
  return settings.mute ? TrFill("Ton %s % (aus)", {volume}) : TrFill("Ton %s %", {volume});
}

bool TakeScreenshotRequest() { return std::exchange(Keys().screenshotAsked, false); }

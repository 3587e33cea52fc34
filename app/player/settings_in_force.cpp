#include "app/player/settings_in_force.h"

#include <algorithm>

#include "app/player/bindings.h"
#include "app/screens/notices.h"
#include "platform/audio/sound.h"
#include "platform/text/language.h"
#include "platform/video/sdl_window.h"

namespace {

constexpr int32_t kVolumeStep = 10;

struct TSoundControls {
  std::string file;
  TPlayerSettings settings;
  bool changed = false;
};

TSoundControls controls;

void Change(const TPlayerSettings& to) {
  controls.settings = to;
  controls.changed = true;
  SetSoundVolume(SoundGain(to));
  PostSoundNotice(Tr("Ton ") + std::to_string(to.volume) + " %" + (to.mute ? Tr(" (aus)") : ""));
}

void TakeKeys() {
  TPlayerSettings to = controls.settings;
  if (ActionPresses(TAction::Mute) % 2 != 0) {
    to.mute = !to.mute;
    Change(to);
    PostSoundNotice(to.mute ? Tr("Ton aus") : Tr("Ton an"));
  }
  const int32_t up = ActionPresses(TAction::VolumeUp);
  const int32_t down = ActionPresses(TAction::VolumeDown);
  if (up != down) {
    // Muted, the step is kept for when the sound is on again.
    to.volume = std::clamp(to.volume + kVolumeStep * (up - down), 0, 100);
    Change(to);
  }
}

}  // namespace

float SoundGain(const TPlayerSettings& settings) {
  if (settings.mute) return 0.0f;
  const float v = static_cast<float>(settings.volume) / 80.0f;
  return v * v;
}

void StartSoundControls(const std::string& settingsFile, const TPlayerSettings& settings) {
  controls = {};
  controls.file = settingsFile;
  controls.settings = settings;
  SetSoundVolume(SoundGain(settings));
}

void RunSoundControls() { TakeKeys(); }

void KeepSoundSettings() {
  if (controls.changed) WritePlayerSettings(controls.file, controls.settings);
  controls.changed = false;
}

void ChangePlayerSettings(const TPlayerSettings& to) {
  const bool sound = to.volume != controls.settings.volume || to.mute != controls.settings.mute;
  controls.settings = to;
  if (sound) Change(to);
  controls.changed = true;
  KeepSoundSettings();
}

void KeepFullScreen(bool on) {
  SetDesktopFullScreen(on);
  TPlayerSettings to = controls.settings;
  to.fullscreen = DesktopFullScreen();
  if (to.fullscreen != controls.settings.fullscreen) ChangePlayerSettings(to);
}

const TPlayerSettings& SoundSettings() { return controls.settings; }

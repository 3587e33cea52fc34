#include "app/player/settings_in_force.h"

#include <optional>
#include <utility>
#include <vector>

#include "app/player/bindings.h"
#include "platform/audio/sound.h"
#include "platform/input/input.h"
#include "platform/input/keys.h"
#include "platform/text/language.h"
#include "platform/video/letterbox.h"
#include "platform/video/sdl_window.h"
#include "rules/answers.h"

namespace {

struct TSettingsInForce {
  std::string file;
  TPlayerSettings settings;
  // What Apply last put in force; none before the first.
  std::optional<TPlayerSettings> applied;
  bool changed = false;
  bool playBindings = false;
};

TSettingsInForce inForce;

bool SameKeysAndMouse(const TPlayerSettings& a, const TPlayerSettings& b) {
  return a.keys == b.keys && a.mouseSensitivity == b.mouseSensitivity && a.mouseInvert == b.mouseInvert;
}

}  // namespace

void TakePlayerSettings(const std::string& settingsFile, const TPlayerSettings& settings) {
  inForce = {settingsFile, settings, std::nullopt, false, false};
}

const TPlayerSettings& PlayerSettings() { return inForce.settings; }

void Apply(const TPlayerSettings& to) {
  if (!(to == inForce.settings)) inForce.changed = true;
  inForce.settings = to;
  // Only what changed is put in force again: binding the keys anew would drop the pointer's
  // turn carried between frames.
  const std::optional<TPlayerSettings> from = std::exchange(inForce.applied, to);
  if (!from || to.volume != from->volume || to.mute != from->mute) SetSoundVolume(SoundGain(to));
  if (!from || to.music != from->music) SetMusicVolume(MusicGain(to));
  if (!from || !SameKeysAndMouse(to, *from)) {
    ApplyBindings(to);
    UsePlayBindings(inForce.playBindings);
  }
  if (!from || to.scaling != from->scaling) SetScreenScaling(to.scaling);
  if ((!from || to.fullscreen != from->fullscreen) && to.fullscreen != DesktopFullScreen()) {
    SetDesktopFullScreen(to.fullscreen);
  }
  if (!from || to.language != from->language) UseLanguage(LanguageOf(to.language));
}

void UsePlayBindings(bool play) {
  inForce.playBindings = play;
  const std::vector<int32_t>& fire = inForce.settings.Keys(TAction::FireWeapon1);
  if (play && fire != DefaultKeys()[static_cast<size_t>(TAction::FireWeapon1)]) {
    BindKey(KEY_ENTER, fire);
  } else {
    UnbindKey(KEY_ENTER);
  }
}

int32_t ActionPresses(TAction action) {
  int32_t presses = 0;
  for (int32_t key : inForce.settings.Keys(action)) presses += KeyPressedLive(key);
  return presses;
}

void KeepPlayerSettings() {
  if (inForce.changed) WritePlayerSettings(inForce.file, inForce.settings);
  inForce.changed = false;
}

float MusicGain(const TPlayerSettings& settings) { return static_cast<float>(settings.music) / 100.0f; }

float SoundGain(const TPlayerSettings& settings) {
  if (settings.mute) return 0.0f;
  const float v = static_cast<float>(settings.volume) / 80.0f;
  return v * v;
}

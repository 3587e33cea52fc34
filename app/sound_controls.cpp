#include "app/sound_controls.h"

#include <algorithm>

#include "app/bindings.h"
#include "platform/audio/sound.h"
#include "platform/system/clock.h"
#include "platform/video/graphics.h"
#include "state/game.h"

namespace {

constexpr int32_t kVolumeStep = 10;
constexpr int32_t kNoticeMs = 2000;
constexpr float kNoticeScale = 2.0f;

struct TSoundControls {
  std::string file;
  TPlayerSettings settings;
  bool changed = false;
  std::string notice;
  int32_t noticeSince = 0;
};

TSoundControls controls;

void Change(const TPlayerSettings& to) {
  controls.settings = to;
  controls.changed = true;
  SetSoundVolume(SoundGain(to));
  controls.notice = "Ton " + std::to_string(to.volume) + " %" + (to.mute ? " (aus)" : "");
  controls.noticeSince = RealNowMs();
}

void TakeKeys() {
  TPlayerSettings to = controls.settings;
  if (ActionPresses(TAction::Mute) % 2 != 0) {
    to.mute = !to.mute;
    Change(to);
    controls.notice = to.mute ? "Ton aus" : "Ton an";
  }
  const int32_t up = ActionPresses(TAction::VolumeUp);
  const int32_t down = ActionPresses(TAction::VolumeDown);
  if (up != down) {
    // Muted, the step is kept for when the sound is on again.
    to.volume = std::clamp(to.volume + kVolumeStep * (up - down), 0, 100);
    Change(to);
  }
}

// Top right, white, over whatever the frame shows.
void DrawNotice() {
  const TVex2DGraphics* g = CurrentGraphics();
  if (g == nullptr) return;
  const int32_t red = g->color_red;
  const int32_t green = g->color_green;
  const int32_t blue = g->color_blue;
  const float alpha = g->color_alpha;
  const int32_t blend = g->blend_mode;
  const float rotation = g->tform_rot;
  const float scaleX = g->tform_scale_x;
  const float scaleY = g->tform_scale_y;
  SetColor(255, 255, 255);
  SetAlpha(1.0f);
  SetBlend(3);
  SetDrawRotation(0.0f);
  SetDrawScale(kNoticeScale, kNoticeScale);
  const float width = 8.0f * kNoticeScale * static_cast<float>(controls.notice.size());
  DrawString(controls.notice, static_cast<float>(game.screenW) - width - 8.0f, 8.0f);
  SetColor(red, green, blue);
  SetAlpha(alpha);
  SetBlend(blend);
  SetDrawRotation(rotation);
  SetDrawScale(scaleX, scaleY);
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

void RunSoundControls() {
  TakeKeys();
  if (controls.notice.empty()) return;
  if (ClockDiff(RealNowMs(), controls.noticeSince) >= kNoticeMs) {
    controls.notice.clear();
    return;
  }
  DrawNotice();
}

void KeepSoundSettings() {
  if (controls.changed) WritePlayerSettings(controls.file, controls.settings);
  controls.changed = false;
}

const TPlayerSettings& SoundSettings() { return controls.settings; }

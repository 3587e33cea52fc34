// Mixes voices into 16-bit stereo at a fixed output rate, without a device: tests pull the
// output with Mix, and SDL's output (platform/audio/audio_sdl.h) pulls it from its audio thread.
//
// Each voice keeps its own volume, pan and rate. The sum then gets headroom and a limiter,
// so that a crowd of voices grows louder up to a ceiling instead of breaking up, and the
// number of voices is capped, so that fifty enemies firing sound like a battle, not noise.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "platform/audio/sound.h"

// At most this many voices of one sound: a new one takes the place of the oldest.
constexpr int32_t kVoicesPerSound = 4;
// At most this many voices at all, likewise.
constexpr int32_t kMixerVoices = 24;
// The sum is scaled by this before the limiter, so a few voices together stay clean.
constexpr float kMixerHeadroom = 0.5f;
// The limiter holds peaks to this level (of full scale) ...
constexpr float kLimiterThreshold = 0.6f;
// ... and a smooth curve keeps anything that could slip past below this one.
constexpr float kMixerCeiling = 0.9f;

// A volume change (mute, unmute, a volume step) reaches the output over this many
// milliseconds, in even steps, so the sound does not click.
constexpr int32_t kVolumeRampMs = 5;

// While the effects are held (a paused game) the music goes on at this part of its level ...
constexpr float kHeldMusicLevel = 0.4f;
// ... and a change of its level (held, silenced, its volume) takes this long.
constexpr int32_t kMusicLevelRampMs = 300;

struct TMixerState;

class TMixerAudioDriver : public TAudioDriver {
 public:
  explicit TMixerAudioDriver(int32_t outputHertz);
  std::string Name() override { return "Mixer"; }
  bool Startup() override { return true; }
  void Shutdown() override {}
  std::shared_ptr<TChannel> AllocChannel() override;
  void SetVolume(float gain) override;
  // Holds the effects where they are; the music goes on, lower.
  void SetPaused(bool paused) override;
  bool PlaysMusic() override { return true; }
  void PlayMusic(std::unique_ptr<TMusicStream> music, int32_t fadeMs) override;
  void StopMusic(int32_t fadeMs) override;
  void SetMusicLevel(float gain) override;
  void SilenceMusic(bool on) override;
  // Pieces of music playing or fading out.
  int32_t MusicPieces();

  // Writes frames stereo frames (2 * frames values) of the mix and moves the voices on.
  void Mix(int16_t* out, int32_t frames);
  // Voices started and not yet finished, stopped or replaced (paused ones included).
  int32_t ActiveVoices();
  int32_t OutputHertz() const;
  // How many frames later a sound comes out than it went in: the limiter's look-ahead.
  int32_t LatencyFrames();

 protected:
  void SetOutputHertz(int32_t hertz);

  std::shared_ptr<TMixerState> state_;
};

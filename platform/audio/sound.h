// Sounds ready to play, the voices they play on, and the audio back-end.
//
// The back-end is chosen at the first LoadSoundFile: SDL's default output
// (platform/audio/audio_sdl.h), or the silent driver when there is none (it accepts every sound
// and plays nothing). Tests and the simulator may choose one first with SetAudioDriver:
//   SetAudioDriver(std::make_shared<TNullAudioDriver>());      // never touch audio
//   auto mixer = std::make_shared<TMixerAudioDriver>(44100);    // no device: call Mix()
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/audio/audio_sample.h"
#include "platform/audio/music_stream.h"

// Sound flags.
enum : int32_t { SOUND_LOOP = 1 };

class TAudioDriver;
class TSound;

// A playing voice.
class TChannel {
 public:
  virtual ~TChannel() = default;
  virtual void Stop() = 0;
  virtual void SetPaused(bool paused) = 0;
  virtual void SetVolume(float volume) = 0;  // 1 full
  virtual void SetPan(float pan) = 0;        // -1 left, 0 centre, 1 right
  virtual void SetRate(float rate) = 0;      // 1 the sample's own rate
  virtual bool Playing() = 0;
  // Puts the sound on the channel from its start, paused.
  virtual void Cue(const TSound& sound) = 0;
};

class TSound {
 public:
  // Plays the sound from its start at full volume, centred; several may overlap.
  std::shared_ptr<TChannel> Play(const std::shared_ptr<TChannel>& channel);
  // As Play, but left paused.
  std::shared_ptr<TChannel> Cue(const std::shared_ptr<TChannel>& channel);

  std::shared_ptr<const TAudioSample> sample;
  int32_t flags = 0;
  std::shared_ptr<TAudioDriver> driver;
};

// Plays a sound that may be null (a file that failed to load): null plays nothing.
void PlaySound(const std::shared_ptr<TSound>& sound);
// The same at the given volume (1 full) and pan (-1 left, 0 centre, 1 right).
void PlaySound(const std::shared_ptr<TSound>& sound, float volume, float pan);

// Null when the file is missing or cannot be decoded.
std::shared_ptr<TSound> LoadSoundFile(std::string_view path, int32_t flags);

class TAudioDriver : public std::enable_shared_from_this<TAudioDriver> {
 public:
  virtual ~TAudioDriver() = default;
  virtual std::string Name() = 0;
  virtual bool Startup() = 0;
  virtual void Shutdown() = 0;
  virtual std::shared_ptr<TSound> CreateSound(std::shared_ptr<TAudioSample> sample, int32_t flags);
  virtual std::shared_ptr<TChannel> AllocChannel() = 0;
  // Holds every voice where it is, and lets them go on again.
  virtual void SetPaused(bool /*paused*/) {}
  // Scales everything the driver plays: 1 as made, 0 silent.
  virtual void SetVolume(float /*gain*/) {}
  // Music, under the effects: one piece at a time, looping; a new one fades in over fadeMs
  // while the one before fades out. Drivers that play no music take none.
  virtual bool PlaysMusic() { return false; }
  virtual void PlayMusic(std::unique_ptr<TMusicStream> /*music*/, int32_t /*fadeMs*/) {}
  // Fades the music out over fadeMs and lets it go.
  virtual void StopMusic(int32_t /*fadeMs*/) {}
  // The music's own volume (1 as made), reached over a short ramp.
  virtual void SetMusicLevel(float /*gain*/) {}
  // While on, the music fades to silence and goes on unheard (a replay not at normal speed).
  virtual void SilenceMusic(bool /*on*/) {}
  std::shared_ptr<TSound> LoadSound(std::string_view path, int32_t flags);
};

// The silent driver.
class TNullAudioDriver : public TAudioDriver {
 public:
  std::string Name() override { return "Null"; }
  bool Startup() override { return true; }
  void Shutdown() override {}
  std::shared_ptr<TChannel> AllocChannel() override;
};

// The driver sounds are loaded with; chosen on first use.
std::shared_ptr<TAudioDriver> AudioDriver();
// Chooses the driver for later loads; null makes the next load choose again. The driver
// in use before is shut down.
void SetAudioDriver(std::shared_ptr<TAudioDriver> driver);
// While on, PlaySound plays nothing (a replay shown faster or slower, or run ahead unseen).
void SilenceSounds(bool on);
// Holds every sound where it is (a paused game), or lets them go on.
void PauseSounds(bool paused);
// The gain of everything played from now on, kept for drivers chosen later (1 as made,
// 0 silent).
void SetSoundVolume(float gain);

// A stop of the music that does not click: short, but longer than a wave of its bass.
inline constexpr int32_t kMusicStopMs = 50;

// Plays the music file `path` from its start, fading in over fadeMs while the piece before
// fades out, looping until StopMusic or the next piece. At a music volume of 0 the piece is
// only remembered: nothing is read until the volume rises. A file that cannot be played is
// named once on stderr and the game goes on without music.
void PlayMusic(const std::string& path, int32_t fadeMs);
// Fades the music out over fadeMs; no piece is remembered.
void StopMusic(int32_t fadeMs);
// The music's own volume (1 as made, 0 none: the piece is let go); the sound's volume and mute
// apply on top.
void SetMusicVolume(float gain);

// Decoded sounds and their playback.
//
// The audio back-end is chosen at the first LoadSoundFile: SDL's default output, or the
// silent driver when there is none (it accepts every sound and plays nothing). Tests and
// the simulator may choose one first with SetAudioDriver:
//   SetAudioDriver(std::make_shared<TNullAudioDriver>());      // never touch audio
//   auto mixer = std::make_shared<TMixerAudioDriver>(44100);    // no device: call Mix()
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/textio.h"

// Sample formats.
enum : int32_t { SF_MONO16LE = 2, SF_STEREO16LE = 5 };
// Sound flags.
enum : int32_t { SOUND_LOOP = 1 };

class TAudioSample {
 public:
  std::vector<uint8_t> samples;  // signed 16-bit little-endian, interleaved
  int32_t length = 0;            // sample frames
  int32_t hertz = 0;
  int32_t format = 0;
  int32_t capacity = 0;  // bytes

  int32_t Channels() const { return format == SF_STEREO16LE ? 2 : 1; }
  int16_t At(int32_t frame, int32_t channel) const;
};

// Decodes an Ogg Vorbis stream from the stream's current position; null when it is not
// one or decoding fails. One channel gives format 2, more give format 5 (front left/right).
std::shared_ptr<TAudioSample> LoadAudioSampleOgg(TStream& stream);
std::shared_ptr<TAudioSample> LoadAudioSampleFile(std::string_view path);

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
  // Plays the sound from its start at full volume, centred; any number may overlap.
  std::shared_ptr<TChannel> Play(const std::shared_ptr<TChannel>& channel);
  // As Play, but left paused.
  std::shared_ptr<TChannel> Cue(const std::shared_ptr<TChannel>& channel);

  std::shared_ptr<const TAudioSample> sample;
  int32_t flags = 0;
  std::shared_ptr<TAudioDriver> driver;
};

// Plays a sound that may be null (a file that failed to load): null plays nothing.
void PlaySound(const std::shared_ptr<TSound>& sound);

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

struct TMixerState;

// Mixes any number of voices into 16-bit stereo at a fixed output rate. Without a device
// the output is pulled with Mix (tests); TSDLAudioDriver feeds SDL's device from it.
class TMixerAudioDriver : public TAudioDriver {
 public:
  explicit TMixerAudioDriver(int32_t outputHertz);
  std::string Name() override { return "Mixer"; }
  bool Startup() override { return true; }
  void Shutdown() override {}
  std::shared_ptr<TChannel> AllocChannel() override;

  // Writes frames stereo frames (2 * frames values) of the voices' sum and moves them on.
  void Mix(int16_t* out, int32_t frames);
  // Voices started and not yet finished or stopped (paused ones included).
  int32_t ActiveVoices();
  int32_t OutputHertz() const;

 protected:
  std::shared_ptr<TMixerState> state_;
};

// SDL's default output device.
class TSDLAudioDriver : public TMixerAudioDriver {
 public:
  TSDLAudioDriver();
  ~TSDLAudioDriver() override;
  std::string Name() override { return "SDL"; }
  bool Startup() override;
  void Shutdown() override;
  void SetPaused(bool paused) override;

 private:
  uint32_t device_ = 0;
};

// The driver sounds are loaded with; chosen on first use.
std::shared_ptr<TAudioDriver> AudioDriver();
// Chooses the driver for later loads; null makes the next load choose again. The driver
// in use before is shut down.
void SetAudioDriver(std::shared_ptr<TAudioDriver> driver);
// Holds every sound where it is (a paused game), or lets them go on.
void PauseSounds(bool paused);

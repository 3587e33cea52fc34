#include "platform/audio/sound.h"

#include <cstdlib>

#include "platform/audio/audio_sdl.h"
#include "platform/audio/ogg.h"

std::shared_ptr<TChannel> TSound::Cue(const std::shared_ptr<TChannel>& channel) {
  std::shared_ptr<TChannel> ch = channel ? channel : driver->AllocChannel();
  if (ch) ch->Cue(*this);
  return ch;
}

std::shared_ptr<TChannel> TSound::Play(const std::shared_ptr<TChannel>& channel) {
  std::shared_ptr<TChannel> ch = Cue(channel);
  if (ch) ch->SetPaused(false);
  return ch;
}

namespace {

struct SoundState {
  std::shared_ptr<TAudioDriver> audioDriver;
  float soundVolume = 1.0f;
  bool silenced = false;  // PlaySound plays nothing: frames run unseen while a demo is watched
};

SoundState state;

}  // namespace

void PlaySound(const std::shared_ptr<TSound>& sound) {
  if (sound && !state.silenced) sound->Play(nullptr);
}

void PlaySound(const std::shared_ptr<TSound>& sound, float volume, float pan) {
  if (!sound || state.silenced) return;
  // Set while cued, so the voice never sounds at the levels it had before.
  std::shared_ptr<TChannel> ch = sound->Cue(nullptr);
  if (!ch) return;
  ch->SetVolume(volume);
  ch->SetPan(pan);
  ch->SetPaused(false);
}

std::shared_ptr<TSound> TAudioDriver::CreateSound(std::shared_ptr<TAudioSample> sample, int32_t flags) {
  auto sound = std::make_shared<TSound>();
  sound->sample = std::move(sample);
  sound->flags = flags & SOUND_LOOP;
  sound->driver = shared_from_this();
  return sound;
}

std::shared_ptr<TSound> TAudioDriver::LoadSound(std::string_view path, int32_t flags) {
  auto sample = LoadAudioSampleFile(path);
  return sample ? CreateSound(std::move(sample), flags) : nullptr;
}

std::shared_ptr<TSound> LoadSoundFile(std::string_view path, int32_t flags) {
  return AudioDriver()->LoadSound(path, flags);
}

namespace {

class TNullChannel : public TChannel {
 public:
  void Stop() override {}
  void SetPaused(bool) override {}
  void SetVolume(float) override {}
  void SetPan(float) override {}
  void SetRate(float) override {}
  bool Playing() override { return false; }
  void Cue(const TSound&) override {}
};

void ShutdownAudioAtExit() {
  if (state.audioDriver) state.audioDriver->Shutdown();
  state.audioDriver = nullptr;
}

}  // namespace

std::shared_ptr<TChannel> TNullAudioDriver::AllocChannel() { return std::make_shared<TNullChannel>(); }

void SilenceSounds(bool on) { state.silenced = on; }

void PauseSounds(bool paused) {
  if (state.audioDriver) state.audioDriver->SetPaused(paused);
}

void SetSoundVolume(float gain) {
  state.soundVolume = gain;
  if (state.audioDriver) state.audioDriver->SetVolume(gain);
}

std::shared_ptr<TAudioDriver> AudioDriver() {
  if (state.audioDriver) return state.audioDriver;
  static bool exitHook = false;
  if (!exitHook) {
    // The device's thread must stop before the sounds it reads are destroyed.
    std::atexit(ShutdownAudioAtExit);
    exitHook = true;
  }
  auto sdl = std::make_shared<TSDLAudioDriver>();
  if (sdl->Startup()) {
    state.audioDriver = sdl;
  } else {
    state.audioDriver = std::make_shared<TNullAudioDriver>();
  }
  state.audioDriver->SetVolume(state.soundVolume);
  return state.audioDriver;
}

void SetAudioDriver(std::shared_ptr<TAudioDriver> driver) {
  if (state.audioDriver && state.audioDriver != driver) state.audioDriver->Shutdown();
  state.audioDriver = std::move(driver);
  if (state.audioDriver) {
    state.audioDriver->Startup();
    state.audioDriver->SetVolume(state.soundVolume);
  }
}

#include "platform/audio/sound.h"

#include <cstdio>
#include <cstdlib>
#include <string>

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
  float musicVolume = 1.0f;
  std::string musicPath;     // the piece playing, or waiting for a music volume above 0
  std::string musicRefused;  // the last piece that could not be played, named once
};

SoundState state;

// Reads the remembered piece into the driver, when it plays music and the volume wants it.
void StartMusic(int32_t fadeMs) {
  if (state.musicPath.empty() || state.musicVolume <= 0.0f) return;
  const std::shared_ptr<TAudioDriver> driver = AudioDriver();
  if (!driver->PlaysMusic()) return;
  std::string why;
  std::unique_ptr<TMusicStream> music = TMusicStream::Open(state.musicPath, why);
  if (!music) {
    if (state.musicRefused != state.musicPath) {
      std::fprintf(stderr, "Kestrova: warning: cannot play the music %s: %s\n", state.musicPath.c_str(),
                   why.empty() ? "it is missing" : why.c_str());
      state.musicRefused = state.musicPath;
    }
    driver->StopMusic(fadeMs);
    return;
  }
  driver->PlayMusic(std::move(music), fadeMs);
}

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

void SilenceSounds(bool on) {
  state.silenced = on;
  if (state.audioDriver) state.audioDriver->SilenceMusic(on);
}

void PlayMusic(const std::string& path, int32_t fadeMs) {
  state.musicPath = path;
  StartMusic(fadeMs);
}

void StopMusic(int32_t fadeMs) {
  state.musicPath.clear();
  if (state.audioDriver) state.audioDriver->StopMusic(fadeMs);
}

void SetMusicVolume(float gain) {
  const float before = state.musicVolume;
  state.musicVolume = gain > 0.0f ? gain : 0.0f;
  if (state.audioDriver) state.audioDriver->SetMusicLevel(state.musicVolume);
  // None at 0 is none decoded either; back above 0 the piece starts again.
  if (state.musicVolume <= 0.0f && before > 0.0f && state.audioDriver) state.audioDriver->StopMusic(kMusicStopMs);
  if (state.musicVolume > 0.0f && before <= 0.0f) StartMusic(kMusicStopMs);
}

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
  state.audioDriver->SetMusicLevel(state.musicVolume);
  return state.audioDriver;
}

void SetAudioDriver(std::shared_ptr<TAudioDriver> driver) {
  if (state.audioDriver && state.audioDriver != driver) state.audioDriver->Shutdown();
  state.audioDriver = std::move(driver);
  if (state.audioDriver) {
    state.audioDriver->Startup();
    state.audioDriver->SetVolume(state.soundVolume);
    state.audioDriver->SetMusicLevel(state.musicVolume);
  }
}

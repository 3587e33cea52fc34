#include "platform/sound.h"

#include <SDL2/SDL.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/events.h"

int16_t TAudioSample::At(int32_t frame, int32_t channel) const {
  const size_t i = (static_cast<size_t>(frame) * Channels() + channel) * 2;
  return static_cast<int16_t>(samples[i] | (samples[i + 1] << 8));
}

namespace {

size_t OggRead(void* ptr, size_t size, size_t count, void* source) {
  if (size == 0) return 0;
  auto* stream = static_cast<TStream*>(source);
  const size_t want = std::min<size_t>(size * count, 0x7fffffff);
  return static_cast<size_t>(stream->Read(ptr, static_cast<int32_t>(want))) / size;
}

int OggSeek(void* source, ogg_int64_t offset, int whence) {
  auto* stream = static_cast<TStream*>(source);
  ogg_int64_t target = offset;
  if (whence == SEEK_CUR) target += stream->Pos();
  if (whence == SEEK_END) target += stream->Size();
  if (target < 0 || target > 0x7fffffff) return -1;
  return stream->Seek(static_cast<int32_t>(target)) == target ? 0 : -1;
}

long OggTell(void* source) { return static_cast<TStream*>(source)->Pos(); }

// Vorbis channel orders: mono; L R; L C R; FL FR RL RR; FL C FR RL RR; FL C FR RL RR LFE; ...
int32_t RightChannel(int32_t channels) { return channels == 3 || channels >= 5 ? 2 : 1; }

}  // namespace

std::shared_ptr<TAudioSample> LoadAudioSampleOgg(TStream& stream) {
  OggVorbis_File vf;
  const ov_callbacks callbacks{OggRead, OggSeek, nullptr, OggTell};
  if (ov_open_callbacks(&stream, &vf, nullptr, 0, callbacks) < 0) return nullptr;
  std::shared_ptr<TAudioSample> result;
  const vorbis_info* info = ov_info(&vf, -1);
  const ogg_int64_t total = ov_pcm_total(&vf, -1);
  // libvorbis takes the rate as an unsigned 32-bit field, so a damaged header can give rates
  // no sample can hold; such a file is not decodable.
  if (info != nullptr && info->channels > 0 && info->rate > 0 && info->rate <= INT32_MAX && total >= 0 &&
      total <= 0x0fffffff) {
    const int32_t outChannels = info->channels == 1 ? 1 : 2;
    const size_t frameBytes = static_cast<size_t>(outChannels) * 2;
    auto sample = std::make_shared<TAudioSample>();
    sample->hertz = static_cast<int32_t>(info->rate);
    sample->format = outChannels == 1 ? SF_MONO16LE : SF_STEREO16LE;
    // The length in the header is only a claim (the last page's position): memory is taken as
    // frames actually decode, and more than two channels are narrowed to front left and right
    // on the way, so a damaged or hostile file cannot make the loader ask for gigabytes.
    std::vector<uint8_t>& out = sample->samples;
    out.reserve(std::min(static_cast<size_t>(total) * frameBytes, size_t{1} << 24));
    std::vector<char> chunk(1 << 16);
    size_t frames = 0;
    // libvorbisfile can leave a chained stream at its last link after opening it.
    bool ok = ov_pcm_tell(&vf) == 0 || ov_pcm_seek(&vf, 0) == 0;
    int link = 0;
    while (ok && frames < static_cast<size_t>(total)) {
      const long got = ov_read(&vf, chunk.data(), static_cast<int>(chunk.size()), 0, 2, 1, &link);
      if (got == 0) break;
      // Each link of a chained stream has its own channel count.
      const vorbis_info* linkInfo = ov_info(&vf, link);
      if (got < 0 || linkInfo == nullptr || linkInfo->channels <= 0) {
        ok = false;
        break;
      }
      const int32_t channels = linkInfo->channels;
      const size_t n = std::min(static_cast<size_t>(got) / (static_cast<size_t>(channels) * 2),
                                static_cast<size_t>(total) - frames);
      if (channels == outChannels) {
        out.insert(out.end(), chunk.data(), chunk.data() + n * frameBytes);
      } else {
        const int32_t right = channels == 1 ? 0 : RightChannel(channels);
        for (size_t f = 0; f < n; ++f) {
          const char* src = chunk.data() + f * static_cast<size_t>(channels) * 2;
          out.insert(out.end(), src, src + 2);
          if (outChannels == 2) out.insert(out.end(), src + right * 2, src + right * 2 + 2);
        }
      }
      frames += n;
    }
    if (ok) {
      sample->length = static_cast<int32_t>(frames);
      sample->capacity = static_cast<int32_t>(out.size());
      result = sample;
    }
  }
  ov_clear(&vf);
  return result;
}

std::shared_ptr<TAudioSample> LoadAudioSampleFile(std::string_view path) {
  TStreamPtr stream = OpenReadStream(path);
  if (!stream) return nullptr;
  auto sample = LoadAudioSampleOgg(*stream);
  CloseStream(stream);
  return sample;
}

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

void PlaySound(const std::shared_ptr<TSound>& sound) {
  if (sound) sound->Play(nullptr);
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

// --- The silent driver ---

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

}  // namespace

std::shared_ptr<TChannel> TNullAudioDriver::AllocChannel() { return std::make_shared<TNullChannel>(); }

// --- The mixer ---

struct TMixerVoice {
  std::shared_ptr<const TAudioSample> sample;
  double pos = 0;  // in sample frames
  bool loop = false;
  bool paused = true;
  bool active = false;
  float volume = 1.0f;
  float pan = 0.0f;
  float rate = 1.0f;
};

struct TMixerState {
  std::mutex mutex;
  int32_t hertz = 44100;
  std::vector<std::shared_ptr<TMixerVoice>> voices;  // active ones
  std::vector<int32_t> acc;
};

namespace {

class TMixerChannel : public TChannel {
 public:
  explicit TMixerChannel(std::shared_ptr<TMixerState> state)
      : state_(std::move(state)), voice_(std::make_shared<TMixerVoice>()) {}
  void Stop() override {
    std::lock_guard lock(state_->mutex);
    Deactivate();
  }
  void SetPaused(bool paused) override {
    std::lock_guard lock(state_->mutex);
    voice_->paused = paused;
  }
  void SetVolume(float volume) override {
    std::lock_guard lock(state_->mutex);
    voice_->volume = volume;
  }
  void SetPan(float pan) override {
    std::lock_guard lock(state_->mutex);
    voice_->pan = std::clamp(pan, -1.0f, 1.0f);
  }
  void SetRate(float rate) override {
    std::lock_guard lock(state_->mutex);
    voice_->rate = rate;
  }
  bool Playing() override {
    std::lock_guard lock(state_->mutex);
    return voice_->active && !voice_->paused;
  }
  void Cue(const TSound& sound) override {
    std::lock_guard lock(state_->mutex);
    voice_->sample = sound.sample;
    voice_->loop = (sound.flags & SOUND_LOOP) != 0;
    voice_->pos = 0;
    voice_->paused = true;
    if (!voice_->active && voice_->sample && voice_->sample->length > 0) {
      voice_->active = true;
      state_->voices.push_back(voice_);
    }
  }

 private:
  void Deactivate() {
    if (!voice_->active) return;
    voice_->active = false;
    std::erase(state_->voices, voice_);
  }

  std::shared_ptr<TMixerState> state_;
  std::shared_ptr<TMixerVoice> voice_;
};

}  // namespace

TMixerAudioDriver::TMixerAudioDriver(int32_t outputHertz) : state_(std::make_shared<TMixerState>()) {
  state_->hertz = outputHertz;
}

std::shared_ptr<TChannel> TMixerAudioDriver::AllocChannel() { return std::make_shared<TMixerChannel>(state_); }

int32_t TMixerAudioDriver::ActiveVoices() {
  std::lock_guard lock(state_->mutex);
  return static_cast<int32_t>(state_->voices.size());
}

int32_t TMixerAudioDriver::OutputHertz() const { return state_->hertz; }

void TMixerAudioDriver::Mix(int16_t* out, int32_t frames) {
  std::lock_guard lock(state_->mutex);
  std::vector<int32_t>& acc = state_->acc;
  acc.assign(static_cast<size_t>(frames) * 2, 0);
  for (const auto& v : state_->voices) {
    const TAudioSample& s = *v->sample;
    const double step = static_cast<double>(s.hertz) * v->rate / state_->hertz;
    if (v->paused || !(step > 0)) continue;
    const float left = v->volume * (v->pan > 0 ? 1.0f - v->pan : 1.0f);
    const float right = v->volume * (v->pan < 0 ? 1.0f + v->pan : 1.0f);
    const int32_t rightChannel = s.Channels() - 1;
    for (int32_t i = 0; i < frames; ++i) {
      if (v->pos >= s.length) {
        if (!v->loop) {
          v->active = false;
          break;
        }
        v->pos = std::fmod(v->pos, static_cast<double>(s.length));
      }
      // Linear interpolation between neighbouring frames for rates other than the output's.
      const auto frame = static_cast<int32_t>(v->pos);
      const auto frac = static_cast<float>(v->pos - frame);
      const int32_t next = frame + 1 < s.length ? frame + 1 : (v->loop ? 0 : frame);
      const float l = s.At(frame, 0) + (s.At(next, 0) - s.At(frame, 0)) * frac;
      const float r = s.At(frame, rightChannel) + (s.At(next, rightChannel) - s.At(frame, rightChannel)) * frac;
      acc[2 * i] += static_cast<int32_t>(l * left);
      acc[2 * i + 1] += static_cast<int32_t>(r * right);
      v->pos += step;
      if (!v->loop && v->pos >= s.length) {
        v->active = false;
        break;
      }
    }
  }
  std::erase_if(state_->voices, [](const auto& v) { return !v->active; });
  for (size_t i = 0; i < acc.size(); ++i) out[i] = static_cast<int16_t>(std::clamp(acc[i], -32768, 32767));
}

// --- SDL output ---

namespace {

void FillAudio(void* userdata, Uint8* stream, int len) {
  static_cast<TMixerAudioDriver*>(userdata)->Mix(reinterpret_cast<int16_t*>(stream), len / 4);
}

std::shared_ptr<TAudioDriver> audioDriver;

void ShutdownAudioAtExit() {
  if (audioDriver) audioDriver->Shutdown();
  audioDriver = nullptr;
}

}  // namespace

TSDLAudioDriver::TSDLAudioDriver() : TMixerAudioDriver(44100) {}

TSDLAudioDriver::~TSDLAudioDriver() { Shutdown(); }

bool TSDLAudioDriver::Startup() {
  if (device_ != 0) return true;
  // The event layer first: it keeps SDL from taking over Ctrl+C.
  if (!StartEventLayer() || SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec want{};
  want.freq = 44100;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = FillAudio;
  want.userdata = static_cast<TMixerAudioDriver*>(this);
  SDL_AudioSpec have{};
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (device_ == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  state_->hertz = have.freq;
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void TSDLAudioDriver::Shutdown() {
  if (device_ == 0) return;
  SDL_CloseAudioDevice(device_);
  device_ = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void TSDLAudioDriver::SetPaused(bool paused) {
  if (device_ != 0) SDL_PauseAudioDevice(device_, paused ? 1 : 0);
}

void PauseSounds(bool paused) {
  if (audioDriver) audioDriver->SetPaused(paused);
}

std::shared_ptr<TAudioDriver> AudioDriver() {
  if (audioDriver) return audioDriver;
  static bool exitHook = false;
  if (!exitHook) {
    // The device's thread must stop before the sounds it reads are destroyed.
    std::atexit(ShutdownAudioAtExit);
    exitHook = true;
  }
  auto sdl = std::make_shared<TSDLAudioDriver>();
  if (sdl->Startup()) {
    audioDriver = sdl;
  } else {
    audioDriver = std::make_shared<TNullAudioDriver>();
  }
  return audioDriver;
}

void SetAudioDriver(std::shared_ptr<TAudioDriver> driver) {
  if (audioDriver && audioDriver != driver) audioDriver->Shutdown();
  audioDriver = std::move(driver);
  if (audioDriver) audioDriver->Startup();
}

#include "platform/audio/mixer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

namespace {

// A voice that gives way fades out over this many output frames (about 6 ms at 44.1 kHz)
// instead of stopping dead, which would click.
constexpr int32_t kFadeFrames = 256;
// Below this level the ceiling curve passes the signal through unchanged.
constexpr float kCurveKnee = 0.7f;
// The limiter looks this far ahead, so its gain is down before a peak arrives ...
constexpr double kLookAheadSeconds = 0.002;
// ... and comes back up over about this long, too slowly to be heard as distortion.
constexpr double kReleaseSeconds = 0.2;

// Unity below the knee, then a tanh that meets it with the same slope and approaches the
// ceiling without ever reaching it.
float UnderCeiling(float x) {
  const float a = std::fabs(x);
  if (a <= kCurveKnee) return x;
  const float span = kMixerCeiling - kCurveKnee;
  return std::copysign(kCurveKnee + span * std::tanh((a - kCurveKnee) / span), x);
}

// A look-ahead limiter: the signal is delayed by the look-ahead, and the gain applied to
// each sample is a moving average, over the look-ahead, of the smallest gain any sample in
// the window needs (released slowly afterwards). The average is never above what the peak
// needs when the peak comes out, and it changes smoothly, so nothing is clipped.
class TLimiter {
 public:
  void Configure(int32_t hertz) {
    span_ = std::max(1, static_cast<int32_t>(std::lround(kLookAheadSeconds * hertz)));
    release_ = static_cast<float>(1.0 - std::exp(-1.0 / (kReleaseSeconds * std::max(hertz, 1))));
    delay_.assign(static_cast<size_t>(span_) * 2, 0.0f);
    gains_.assign(static_cast<size_t>(span_), 1.0f);
    gainSum_ = span_;
    needs_.clear();
    released_ = 1.0f;
    n_ = 0;
  }

  int32_t Latency() const { return span_ - 1; }

  // One stereo frame in (full scale 1), the frame of the look-ahead before out.
  void Process(float& l, float& r) {
    const float level = std::max(std::fabs(l), std::fabs(r));
    const float need = level > kLimiterThreshold ? kLimiterThreshold / level : 1.0f;
    while (!needs_.empty() && needs_.back().second >= need) needs_.pop_back();
    needs_.emplace_back(n_, need);
    while (needs_.front().first <= n_ - span_) needs_.pop_front();
    const float least = needs_.front().second;
    released_ = least < released_ ? least : released_ + release_ * (least - released_);

    const auto slot = static_cast<size_t>(n_ % span_);
    gainSum_ += released_ - gains_[slot];
    gains_[slot] = released_;
    delay_[2 * slot] = l;
    delay_[2 * slot + 1] = r;
    const auto oldest = static_cast<size_t>((n_ + 1) % span_);
    const auto gain = static_cast<float>(gainSum_ / span_);
    l = delay_[2 * oldest] * gain;
    r = delay_[2 * oldest + 1] * gain;
    ++n_;
  }

 private:
  int32_t span_ = 1;
  float release_ = 0.0f;
  std::vector<float> delay_;                     // stereo, one look-ahead
  std::vector<float> gains_;                     // the released gains of the look-ahead
  double gainSum_ = 0;                           // their sum
  std::deque<std::pair<int64_t, float>> needs_;  // rising minimum of the window's needs
  float released_ = 1.0f;
  int64_t n_ = 0;
};

}  // namespace

struct TMixerVoice {
  std::shared_ptr<const TAudioSample> sample;
  double pos = 0;  // in sample frames
  bool loop = false;
  bool paused = true;
  bool active = false;
  int32_t fading = 0;  // frames left of the fade-out of a voice that gave way; 0 while it plays on
  float volume = 1.0f;
  float pan = 0.0f;
  float rate = 1.0f;
};

// A piece of music: read a sample at a time from its stream at its own rate, and faded in or
// out on its own, so that two pieces cross.
struct TMusicTrack {
  std::unique_ptr<TMusicStream> stream;
  double pos = 1.0;  // between `before` and `after`; at 1 the next sample is read
  float before = 0.0f;
  float after = 0.0f;
  // Its own gain moves from `from` to `to` over `frames` output frames; a piece going out
  // goes to 0 and is let go there.
  float from = 0.0f;
  float to = 1.0f;
  int32_t at = 0;
  int32_t frames = 1;

  float Fade() {
    if (at < frames) ++at;
    return from + (to - from) * static_cast<float>(at) / static_cast<float>(frames);
  }
  void FadeTo(float target, int32_t over) {
    from = from + (to - from) * static_cast<float>(at) / static_cast<float>(frames);
    to = target;
    at = 0;
    frames = over;
  }
  bool Gone() const { return to == 0.0f && at >= frames; }
};

struct TMixerState {
  std::mutex mutex;
  int32_t hertz = 44100;
  float gain = 1.0f;   // the volume asked for
  float heard = 1.0f;  // the volume the output has reached: it moves to gain over a ramp
  float rampStep = 0.0f;
  int32_t rampLeft = 0;  // frames until heard is gain
  TLimiter limiter;
  std::vector<std::shared_ptr<TMixerVoice>> voices;  // active ones, oldest first
  std::vector<float> acc;
  bool held = false;                                // the effects wait where they are
  std::vector<std::unique_ptr<TMusicTrack>> music;  // the last is the piece that stays
  float musicLevel = 1.0f;
  bool musicSilenced = false;
  float musicHeard = 0.0f;  // the level the music has reached, moving to what is asked

  int32_t Frames(int32_t ms) const { return std::max(1, static_cast<int32_t>(int64_t{hertz} * ms / 1000)); }

  float MusicTarget() const { return musicSilenced ? 0.0f : musicLevel * (held ? kHeldMusicLevel : 1.0f); }

  void FadeOutMusic(int32_t ms) {
    for (const auto& t : music) t->FadeTo(0.0f, Frames(ms));
  }

  // Adds the music's next frames to acc, at the level it moves to over the ramp.
  void MixMusic(float* out, int32_t frames) {
    if (music.empty()) return;
    const float target = MusicTarget();
    const float rampStep = 1.0f / static_cast<float>(Frames(kMusicLevelRampMs));
    const float scale = 32768.0f;
    for (int32_t i = 0; i < frames; ++i) {
      musicHeard =
          musicHeard < target ? std::min(target, musicHeard + rampStep) : std::max(target, musicHeard - rampStep);
      float sum = 0.0f;
      for (const auto& t : music) {
        const double step = static_cast<double>(t->stream->Hertz()) / hertz;
        while (t->pos >= 1.0) {
          t->before = t->after;
          t->after = t->stream->Next();
          t->pos -= 1.0;
        }
        const float sample = t->before + (t->after - t->before) * static_cast<float>(t->pos);
        t->pos += step;
        sum += sample * t->Fade();
      }
      out[2 * i] += sum * musicHeard * scale;
      out[2 * i + 1] += sum * musicHeard * scale;
    }
    std::erase_if(music, [](const auto& t) { return t->Gone(); });
  }

  // Makes room for a new voice of the sample under the caps.
  void MakeRoom(const TAudioSample* sample) {
    int32_t total = 0;
    int32_t same = 0;
    for (const auto& v : voices) {
      if (v->fading != 0) continue;
      ++total;
      if (v->sample.get() == sample) ++same;
    }
    if (same < kVoicesPerSound && total < kMixerVoices) return;
    for (const auto& v : voices) {
      if (v->fading == 0 && (same < kVoicesPerSound || v->sample.get() == sample)) {
        GiveWay(*v);
        break;
      }
    }
    std::erase_if(voices, [](const auto& v) { return !v->active; });
  }

  static void GiveWay(TMixerVoice& v) {
    if (v.paused) {
      v.active = false;
    } else {
      v.fading = kFadeFrames;
    }
  }
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
    return voice_->active && !voice_->paused && voice_->fading == 0;
  }
  void Cue(const TSound& sound) override {
    std::lock_guard lock(state_->mutex);
    // Cued again, the voice counts as the newest.
    Deactivate();
    voice_->sample = sound.sample;
    voice_->loop = (sound.flags & SOUND_LOOP) != 0;
    voice_->pos = 0;
    voice_->paused = true;
    voice_->fading = 0;
    if (voice_->sample && voice_->sample->length > 0) {
      state_->MakeRoom(voice_->sample.get());
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

// Adds the voice's next frames to acc (stereo, in sample units); false once it has ended.
bool MixVoice(TMixerVoice& v, int32_t outputHertz, float* acc, int32_t frames) {
  const TAudioSample& s = *v.sample;
  const double step = static_cast<double>(s.hertz) * v.rate / outputHertz;
  if (v.paused || !(step > 0)) return true;
  const float left = v.volume * (v.pan > 0 ? 1.0f - v.pan : 1.0f);
  const float right = v.volume * (v.pan < 0 ? 1.0f + v.pan : 1.0f);
  const int32_t rightChannel = s.Channels() - 1;
  for (int32_t i = 0; i < frames; ++i) {
    if (v.pos >= s.length) {
      if (!v.loop) return false;
      v.pos = std::fmod(v.pos, static_cast<double>(s.length));
    }
    float fade = 1.0f;
    if (v.fading > 0) {
      fade = static_cast<float>(v.fading) / kFadeFrames;
      if (--v.fading == 0) return false;
    }
    // Linear interpolation between neighbouring frames for rates other than the output's.
    const auto frame = static_cast<int32_t>(v.pos);
    const auto frac = static_cast<float>(v.pos - frame);
    const int32_t next = frame + 1 < s.length ? frame + 1 : (v.loop ? 0 : frame);
    const float l = s.At(frame, 0) + (s.At(next, 0) - s.At(frame, 0)) * frac;
    const float r = s.At(frame, rightChannel) + (s.At(next, rightChannel) - s.At(frame, rightChannel)) * frac;
    acc[2 * i] += l * left * fade;
    acc[2 * i + 1] += r * right * fade;
    v.pos += step;
    if (!v.loop && v.pos >= s.length) return false;
  }
  return true;
}

}  // namespace

TMixerAudioDriver::TMixerAudioDriver(int32_t outputHertz) : state_(std::make_shared<TMixerState>()) {
  state_->hertz = outputHertz;
  state_->limiter.Configure(outputHertz);
}

std::shared_ptr<TChannel> TMixerAudioDriver::AllocChannel() { return std::make_shared<TMixerChannel>(state_); }

void TMixerAudioDriver::SetVolume(float gain) {
  std::lock_guard lock(state_->mutex);
  TMixerState& m = *state_;
  m.gain = std::max(gain, 0.0f);
  // Over sound a volume change is ramped, since a jump clicks; with nothing playing it is
  // taken at once.
  const int32_t frames = std::max(1, m.hertz * kVolumeRampMs / 1000);
  m.rampLeft = (m.voices.empty() && m.music.empty()) || m.gain == m.heard ? 0 : frames;
  m.rampStep = (m.gain - m.heard) / static_cast<float>(frames);
  if (m.rampLeft == 0) m.heard = m.gain;
}

void TMixerAudioDriver::SetPaused(bool paused) {
  std::lock_guard lock(state_->mutex);
  state_->held = paused;
}

void TMixerAudioDriver::PlayMusic(std::unique_ptr<TMusicStream> music, int32_t fadeMs) {
  auto track = std::make_unique<TMusicTrack>();
  track->stream = std::move(music);
  std::lock_guard lock(state_->mutex);
  state_->FadeOutMusic(fadeMs);
  track->FadeTo(1.0f, state_->Frames(fadeMs));
  // Nothing heard yet: the piece comes in from silence rather than at the level asked.
  if (state_->music.empty()) state_->musicHeard = 0.0f;
  state_->music.push_back(std::move(track));
}

void TMixerAudioDriver::StopMusic(int32_t fadeMs) {
  std::lock_guard lock(state_->mutex);
  state_->FadeOutMusic(fadeMs);
}

void TMixerAudioDriver::SetMusicLevel(float gain) {
  std::lock_guard lock(state_->mutex);
  state_->musicLevel = std::max(gain, 0.0f);
}

void TMixerAudioDriver::SilenceMusic(bool on) {
  std::lock_guard lock(state_->mutex);
  state_->musicSilenced = on;
}

int32_t TMixerAudioDriver::MusicPieces() {
  std::lock_guard lock(state_->mutex);
  return static_cast<int32_t>(state_->music.size());
}

int32_t TMixerAudioDriver::ActiveVoices() {
  std::lock_guard lock(state_->mutex);
  return static_cast<int32_t>(
      std::count_if(state_->voices.begin(), state_->voices.end(), [](const auto& v) { return v->fading == 0; }));
}

int32_t TMixerAudioDriver::OutputHertz() const { return state_->hertz; }

int32_t TMixerAudioDriver::LatencyFrames() {
  std::lock_guard lock(state_->mutex);
  return state_->limiter.Latency();
}

void TMixerAudioDriver::SetOutputHertz(int32_t hertz) {
  std::lock_guard lock(state_->mutex);
  state_->hertz = hertz;
  state_->limiter.Configure(hertz);
}

void TMixerAudioDriver::Mix(int16_t* out, int32_t frames) {
  std::lock_guard lock(state_->mutex);
  std::vector<float>& acc = state_->acc;
  acc.assign(static_cast<size_t>(frames) * 2, 0.0f);
  if (!state_->held) {
    for (const auto& v : state_->voices) {
      if (!MixVoice(*v, state_->hertz, acc.data(), frames)) v->active = false;
    }
    std::erase_if(state_->voices, [](const auto& v) { return !v->active; });
  }
  state_->MixMusic(acc.data(), frames);

  TMixerState& m = *state_;
  float scale = m.heard * kMixerHeadroom / 32768.0f;
  for (int32_t i = 0; i < frames; ++i) {
    if (m.rampLeft > 0) {
      m.heard = --m.rampLeft == 0 ? m.gain : m.heard + m.rampStep;
      scale = m.heard * kMixerHeadroom / 32768.0f;
    }
    float l = acc[2 * i] * scale;
    float r = acc[2 * i + 1] * scale;
    state_->limiter.Process(l, r);
    out[2 * i] = static_cast<int16_t>(std::lrint(UnderCeiling(l) * 32768.0f));
    out[2 * i + 1] = static_cast<int16_t>(std::lrint(UnderCeiling(r) * 32768.0f));
  }
}

// Sounds decoded from Ogg Vorbis files that sox writes at test time, and their playback.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

#include "platform/audio/mixer.h"
#include "platform/audio/music_stream.h"
#include "platform/audio/ogg.h"
#include "support.h"

namespace {

using platform_test::Shell;
using platform_test::TempDir;

// A sample value as the mix gives it out while the limiter has nothing to do.
int Mixed(double v) { return static_cast<int>(std::lrint(v * kMixerHeadroom)); }

// Mixes away the limiter's look-ahead, so that output frame i is input frame i from here on.
void SkipLatency(TMixerAudioDriver& mixer) {
  std::vector<int16_t> out(2 * static_cast<size_t>(mixer.LatencyFrames()));
  mixer.Mix(out.data(), mixer.LatencyFrames());
}

class SoundTest : public ::testing::Test {
 protected:
  void TearDown() override { SetAudioDriver(nullptr); }
  // A sine tone of the given length, rate and channel count.
  std::string Tone(const std::string& name, int rate, int channels, const std::string& seconds) {
    const std::string path = dir_.File(name);
    EXPECT_TRUE(Shell("sox -q -n -r " + std::to_string(rate) + " -c " + std::to_string(channels) + " '" + path +
                      "' synth " + seconds + " sine 440 vol 0.4"));
    return path;
  }
  TempDir dir_;
};

TEST_F(SoundTest, MonoAndStereoDecodeToTheirLengthRateAndFormat) {
  auto mono = LoadAudioSampleFile(Tone("mono.ogg", 22050, 1, "0.5"));
  ASSERT_TRUE(mono);
  EXPECT_EQ(mono->format, SF_MONO16LE);
  EXPECT_EQ(mono->hertz, 22050);
  EXPECT_EQ(mono->length, 11025);
  EXPECT_EQ(mono->capacity, 11025 * 2);
  ASSERT_EQ(mono->samples.size(), 11025u * 2);

  auto stereo = LoadAudioSampleFile(Tone("stereo.ogg", 44100, 2, "1"));
  ASSERT_TRUE(stereo);
  EXPECT_EQ(stereo->format, SF_STEREO16LE);
  EXPECT_EQ(stereo->hertz, 44100);
  EXPECT_EQ(stereo->length, 44100);
  ASSERT_EQ(stereo->samples.size(), 44100u * 4);
  // A 0.4 sine: the loudest sample is near 0.4 of full scale, never silent.
  int peak = 0;
  for (int32_t i = 0; i < stereo->length; ++i) peak = std::max(peak, std::abs(int(stereo->At(i, 1))));
  EXPECT_NEAR(peak, 0.4 * 32767, 0.05 * 32767);
}

TEST_F(SoundTest, MoreThanTwoChannelsAreNarrowedToStereo) {
  auto six = LoadAudioSampleFile(Tone("six.ogg", 8000, 6, "0.25"));
  ASSERT_TRUE(six);
  EXPECT_EQ(six->format, SF_STEREO16LE);
  EXPECT_EQ(six->length, 2000);
  EXPECT_EQ(six->samples.size(), 2000u * 4);
  // Front left and front right are kept, whichever places the layout gives them: a tone of its
  // own on every channel (FL C FR RL RR LFE, and L C R) tells which one each side carries.
  const auto crossings = [](const TAudioSample& s, int32_t channel) {
    int n = 0;
    for (int32_t i = 1; i < s.length; ++i) n += (s.At(i - 1, channel) < 0) != (s.At(i, channel) < 0);
    return n;
  };
  for (const int channels : {6, 3}) {
    const std::string path = dir_.File("tones" + std::to_string(channels) + ".ogg");
    std::string tones;
    for (int c = 0; c < channels; ++c) tones += " sine " + std::to_string(100 + 200 * c);
    ASSERT_TRUE(
        Shell("sox -q -n -r 8000 -c " + std::to_string(channels) + " '" + path + "' synth 0.25" + tones + " vol 0.4"));
    auto sample = LoadAudioSampleFile(path);
    ASSERT_TRUE(sample);
    EXPECT_NEAR(crossings(*sample, 0), 50, 4) << channels << " channels: 100 Hz on the left";
    EXPECT_NEAR(crossings(*sample, 1), 250, 6) << channels << " channels: 500 Hz on the right";
  }
}

// Sign changes of the left channel over frames [from, to).
int Crossings(const TAudioSample& s, int32_t from, int32_t to) {
  int n = 0;
  for (int32_t i = from + 1; i < to; ++i) n += (s.At(i - 1, 0) < 0) != (s.At(i, 0) < 0);
  return n;
}

// Ogg files may be chained: a mono link followed by a stereo one. The sample takes the first
// link's layout; the stereo link is narrowed into it rather than read as mono bytes.
TEST_F(SoundTest, ChainedLinksWithOtherChannelCountsKeepTheirPace) {
  const std::string mono = Tone("a.ogg", 8000, 1, "0.25");
  const std::string stereo = Tone("b.ogg", 8000, 2, "0.25");
  ASSERT_TRUE(Shell("cat '" + mono + "' '" + stereo + "' > '" + dir_.File("chain.ogg") + "'"));
  auto chain = LoadAudioSampleFile(dir_.File("chain.ogg"));
  ASSERT_TRUE(chain);
  EXPECT_EQ(chain->format, SF_MONO16LE);
  ASSERT_EQ(chain->length, 4000);
  ASSERT_EQ(chain->samples.size(), 4000u * 2);
  // 440 Hz for a quarter second in each half: about 220 sign changes in both.
  EXPECT_NEAR(Crossings(*chain, 0, 2000), 220, 6);
  EXPECT_NEAR(Crossings(*chain, 2000, 4000), 220, 6);
}

TEST_F(SoundTest, MissingAndForeignFilesGiveNull) {
  SetAudioDriver(std::make_shared<TNullAudioDriver>());
  EXPECT_FALSE(LoadSoundFile(dir_.File("missing.ogg"), 0));
  std::ofstream(dir_.File("noise.ogg")) << "OggS but not really";
  EXPECT_FALSE(LoadSoundFile(dir_.File("noise.ogg"), 0));
  ASSERT_TRUE(Shell("sox -q -n -r 8000 '" + dir_.File("wave.wav") + "' synth 0.1 sine 300"));
  EXPECT_FALSE(LoadSoundFile(dir_.File("wave.wav"), 0));
  PlaySound(nullptr);  // a sound that failed to load plays nothing
}

TEST_F(SoundTest, TwoPlaysOfOneSoundOverlap) {
  auto mixer = std::make_shared<TMixerAudioDriver>(22050);
  SetAudioDriver(mixer);
  auto sound = LoadSoundFile(Tone("shot.ogg", 22050, 1, "0.2"), 0);
  ASSERT_TRUE(sound);
  const TAudioSample& s = *sound->sample;
  PlaySound(sound);
  EXPECT_EQ(mixer->ActiveVoices(), 1);
  SkipLatency(*mixer);
  std::vector<int16_t> out(2 * 100);
  mixer->Mix(out.data(), 100);
  // Mono plays centred at full volume: both sides carry the sample itself, with the mix's
  // headroom and untouched by the limiter at this level.
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(out[2 * i], Mixed(s.At(i, 0))) << i;
    ASSERT_EQ(out[2 * i + 1], Mixed(s.At(i, 0))) << i;
  }
  auto channel = sound->Play(nullptr);
  ASSERT_TRUE(channel);
  EXPECT_TRUE(channel->Playing());
  EXPECT_EQ(mixer->ActiveVoices(), 2);
  mixer->Mix(out.data(), 100);
  // The first voice goes on from frame 100 while the second starts at frame 0, one look-ahead
  // later as every sound does.
  const int latency = mixer->LatencyFrames();
  for (int i = 0; i < 100; ++i) {
    ASSERT_EQ(out[2 * i], Mixed(s.At(100 + i, 0) + (i >= latency ? s.At(i - latency, 0) : 0))) << i;
  }
  // Both end when the sample does.
  std::vector<int16_t> rest(2 * s.length);
  mixer->Mix(rest.data(), s.length);
  EXPECT_EQ(mixer->ActiveVoices(), 0);
  EXPECT_FALSE(channel->Playing());
}

TEST_F(SoundTest, ChannelsStopPauseAndLoop) {
  auto mixer = std::make_shared<TMixerAudioDriver>(8000);
  SetAudioDriver(mixer);
  auto sound = LoadSoundFile(Tone("loop.ogg", 8000, 2, "0.05"), SOUND_LOOP);
  ASSERT_TRUE(sound);
  auto channel = sound->Play(nullptr);
  SkipLatency(*mixer);
  std::vector<int16_t> out(2 * 1000);
  mixer->Mix(out.data(), 1000);  // longer than the 400-frame sample: it loops
  EXPECT_TRUE(channel->Playing());
  EXPECT_EQ(out[2 * 450], Mixed(sound->sample->At(50, 0)));
  channel->SetPaused(true);
  EXPECT_FALSE(channel->Playing());
  mixer->Mix(out.data(), 100);
  EXPECT_EQ(out[2 * 99], 0);
  channel->Stop();
  EXPECT_EQ(mixer->ActiveVoices(), 0);
}

TEST_F(SoundTest, OtherRatesAreResampledOnTheWay) {
  auto mixer = std::make_shared<TMixerAudioDriver>(16000);
  SetAudioDriver(mixer);
  auto sound = LoadSoundFile(Tone("slow.ogg", 8000, 1, "0.1"), 0);
  ASSERT_TRUE(sound);
  const TAudioSample& s = *sound->sample;
  PlaySound(sound);
  SkipLatency(*mixer);
  std::vector<int16_t> out(2 * 2 * s.length);
  mixer->Mix(out.data(), 2 * s.length);
  // Twice the rate: every sample, then the point halfway to the next one.
  EXPECT_EQ(out[2 * 20], Mixed(s.At(10, 0)));
  EXPECT_NEAR(out[2 * 21], Mixed((s.At(10, 0) + s.At(11, 0)) / 2.0), 1.0);
  EXPECT_EQ(mixer->ActiveVoices(), 0);  // and it ends on time

  auto channel = sound->Play(nullptr);
  channel->SetRate(0);
  mixer->Mix(out.data(), 100);
  EXPECT_EQ(out[2 * 99], 0);
  EXPECT_EQ(mixer->ActiveVoices(), 1);
}

// Music read as it plays: it starts over exactly at its end, comes in and goes out without a
// step larger than its own, goes on lower while the effects are held, and is silenced and let go.
TEST_F(SoundTest, MusicStreamsLoopsFadesGoesOnLowerWhenHeldAndStopsWithoutAClick) {
  const std::string tone = Tone("music.ogg", 8000, 1, "0.25");
  const auto whole = LoadAudioSampleFile(tone);
  ASSERT_TRUE(whole);
  std::string why;
  auto stream = TMusicStream::Open(tone, why);
  ASSERT_TRUE(stream) << why;
  EXPECT_EQ(stream->Hertz(), 8000);
  for (int32_t i = 0; i < whole->length; ++i) stream->Next();
  for (int32_t i = 0; i < 100; ++i) ASSERT_NEAR(stream->Next() * 32768.0f, whole->At(i, 0), 2.0f) << i;
  EXPECT_EQ(TMusicStream::Open(dir_.File("none.ogg"), why), nullptr);
  EXPECT_EQ(TMusicStream::Open(dir_.Path().string(), why), nullptr);
  EXPECT_EQ(why, "it is a folder");

  TMixerAudioDriver mixer(8000);
  const auto level = [&](int32_t frames, int* step = nullptr) {
    std::vector<int16_t> out(2 * static_cast<size_t>(frames));
    mixer.Mix(out.data(), frames);
    double sum = 0;
    for (int32_t i = 0; i < frames; ++i) {
      sum += static_cast<double>(out[2 * i]) * out[2 * i];
      if (step != nullptr && i > 0) *step = std::max(*step, std::abs(out[2 * i] - out[2 * i - 2]));
    }
    return std::sqrt(sum / frames);
  };
  mixer.PlayMusic(TMusicStream::Open(tone, why), 500);
  int rising = 0;
  const double first = level(400, &rising);
  level(8000, &rising);
  int steady = 0;
  const double full = level(2000, &steady);
  EXPECT_GT(full, 4 * first) << "it fades in";
  EXPECT_LE(rising, steady);
  mixer.SetPaused(true);
  level(8000);
  EXPECT_NEAR(level(2000) / full, kHeldMusicLevel, 0.05);
  mixer.SetPaused(false);
  mixer.SilenceMusic(true);
  level(8000);
  EXPECT_EQ(level(100), 0.0);
  EXPECT_EQ(mixer.MusicPieces(), 1) << "silenced, it goes on unheard";
  mixer.SilenceMusic(false);
  level(8000);
  // A second piece crosses over; stopped, both go within the fade and nothing is left.
  mixer.PlayMusic(TMusicStream::Open(tone, why), 500);
  level(100);
  EXPECT_EQ(mixer.MusicPieces(), 2);
  level(8000);
  EXPECT_EQ(mixer.MusicPieces(), 1);
  mixer.StopMusic(kMusicStopMs);
  int falling = 0;
  level(400, &falling);
  EXPECT_LE(falling, steady);
  EXPECT_EQ(mixer.MusicPieces(), 0);
  level(mixer.LatencyFrames());
  EXPECT_EQ(level(100), 0.0);
}

TEST_F(SoundTest, SilentDriverAcceptsEverySoundAndPlaysNothing) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  SetAudioDriver(nullptr);
  EXPECT_EQ(AudioDriver()->Name(), "Null");
  unsetenv("SDL_AUDIODRIVER");
  auto sound = LoadSoundFile(Tone("s.ogg", 8000, 1, "0.1"), 0);
  ASSERT_TRUE(sound);
  EXPECT_EQ(sound->sample->length, 800);
  auto channel = sound->Play(nullptr);
  ASSERT_TRUE(channel);
  EXPECT_FALSE(channel->Playing());
}

TEST_F(SoundTest, DefaultOutputPlaysVoicesAtOnce) {
  // SDL's dummy output consumes sound in real time without a sound card.
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  SetAudioDriver(nullptr);
  auto driver = std::dynamic_pointer_cast<TMixerAudioDriver>(AudioDriver());
  unsetenv("SDL_AUDIODRIVER");
  ASSERT_TRUE(driver);
  EXPECT_EQ(driver->Name(), "SDL");
  auto sound = LoadSoundFile(Tone("long.ogg", 44100, 2, "5"), 0);
  ASSERT_TRUE(sound);
  auto a = sound->Play(nullptr);
  auto b = sound->Play(nullptr);
  EXPECT_TRUE(a->Playing());
  EXPECT_TRUE(b->Playing());
  EXPECT_EQ(driver->ActiveVoices(), 2);
}

}  // namespace

namespace mixing {

// A full-scale 220 Hz sine at the mixer's rate, a second long.
std::shared_ptr<TAudioSample> Sine() {
  auto s = std::make_shared<TAudioSample>();
  s->hertz = 44100;
  s->format = SF_MONO16LE;
  s->length = 44100;
  for (int32_t i = 0; i < s->length; ++i) {
    const auto v = static_cast<int16_t>(std::lrint(32767 * std::sin(2 * M_PI * 220 * i / 44100.0)));
    s->samples.push_back(static_cast<uint8_t>(v & 0xff));
    s->samples.push_back(static_cast<uint8_t>((v >> 8) & 0xff));
  }
  s->capacity = static_cast<int32_t>(s->samples.size());
  return s;
}

TEST(Mixer, VoicesAreCappedPerSoundAndInAllAndTheOldestGivesWay) {
  auto mixer = std::make_shared<TMixerAudioDriver>(44100);
  std::vector<std::shared_ptr<TSound>> sounds;
  for (int k = 0; k < 7; ++k) sounds.push_back(mixer->CreateSound(Sine(), 0));
  std::vector<std::shared_ptr<TChannel>> first;
  for (int i = 0; i < kVoicesPerSound + 1; ++i) first.push_back(sounds[0]->Play(nullptr));
  EXPECT_EQ(mixer->ActiveVoices(), kVoicesPerSound);
  EXPECT_FALSE(first[0]->Playing());
  EXPECT_TRUE(first[1]->Playing() && first[kVoicesPerSound]->Playing());
  for (int k = 1; k < 7; ++k) {
    for (int i = 0; i < kVoicesPerSound; ++i) sounds[k]->Play(nullptr);
  }
  EXPECT_EQ(mixer->ActiveVoices(), kMixerVoices);
  // 28 started after the first gave way: the four oldest left are the first sound's.
  EXPECT_FALSE(first[1]->Playing() || first[kVoicesPerSound]->Playing());
}

TEST(Mixer, ManyFullScaleVoicesStayUnderTheCeilingAndSmooth) {
  auto mixer = std::make_shared<TMixerAudioDriver>(44100);
  mixer->SetVolume(2.0f);  // louder than the volume setting goes
  std::vector<std::shared_ptr<TSound>> sounds;
  for (int k = 0; k < kMixerVoices / kVoicesPerSound; ++k) sounds.push_back(mixer->CreateSound(Sine(), 0));
  std::vector<int16_t> out(2 * 22050);
  // One voice alone first, then all of them come in at once.
  sounds[0]->Play(nullptr);
  mixer->Mix(out.data(), 4410);
  for (const auto& sound : sounds) {
    for (int i = sound == sounds[0] ? 1 : 0; i < kVoicesPerSound; ++i) sound->Play(nullptr);
  }
  ASSERT_EQ(mixer->ActiveVoices(), kMixerVoices);
  // In pieces, as the device asks for them: the gain must carry over from one to the next.
  for (int32_t at = 4410; at < 22050; at += 100) mixer->Mix(out.data() + 2 * at, std::min(100, 22050 - at));
  int peak = 0;
  int step = 0;
  for (size_t i = 2; i < out.size(); i += 2) {
    peak = std::max(peak, std::abs(int{out[i]}));
    // From 5 ms after the crowd came in, past the steep start of 24 voices in phase.
    if (i / 2 > 4410 + 220) step = std::max(step, std::abs(out[i] - out[i - 2]));
  }
  EXPECT_LE(peak, std::lrint(kLimiterThreshold * 32768) + 1);
  EXPECT_LT(peak, kMixerCeiling * 32768);
  // A clean sine at that peak changes by at most peak * 2 pi f / rate per frame; a clipped
  // or switched gain would jump far more.
  EXPECT_LT(step, 1.2 * peak * 2 * M_PI * 220 / 44100);
}

TEST(Mixer, PanVolumeZeroAndMuteGiveSilenceWhereTheyShould) {
  auto mixer = std::make_shared<TMixerAudioDriver>(44100);
  auto sound = mixer->CreateSound(Sine(), 0);
  std::vector<int16_t> out(2 * 1000);
  auto right = sound->Play(nullptr);
  right->SetPan(1.0f);
  mixer->Mix(out.data(), 1000);
  int left = 0;
  int rightPeak = 0;
  for (size_t i = 0; i < out.size(); i += 2) {
    left = std::max(left, std::abs(int{out[i]}));
    rightPeak = std::max(rightPeak, std::abs(int{out[i + 1]}));
  }
  EXPECT_EQ(left, 0);
  EXPECT_GT(rightPeak, 10000);
  right->SetPan(0.0f);
  mixer->SetVolume(0.0f);
  mixer->Mix(out.data(), 1000);  // the look-ahead still holds sound from before
  mixer->Mix(out.data(), 1000);
  EXPECT_EQ(std::count(out.begin(), out.end(), 0), static_cast<long>(out.size()));
}

TEST(Mixer, UnmuteAndVolumeStepsRampWithoutAJumpLargerThanTheSoundsOwn) {
  auto mixer = std::make_shared<TMixerAudioDriver>(44100);
  auto sound = mixer->CreateSound(Sine(), 0);
  // 2255 frames are 11.25 periods of the sine and 2205 frames 11: each change below comes at
  // a crest, where a switched gain jumps the most.
  std::vector<int16_t> out(2 * (2255 + 3 * 2205));
  sound->Play(nullptr);
  mixer->SetVolume(0.0f);
  mixer->Mix(out.data(), 2255);  // silent, the look-ahead included
  // Unmuted, a volume step down and one up.
  int16_t* at = out.data() + 2 * 2255;
  for (const float volume : {1.0f, 0.3f, 1.0f}) {
    mixer->SetVolume(volume);
    mixer->Mix(at, 2205);
    at += 2 * 2205;
  }
  int peak = 0;
  int step = 0;
  for (size_t i = 2; i < out.size(); i += 2) {
    peak = std::max(peak, std::abs(int{out[i]}));
    step = std::max(step, std::abs(out[i] - out[i - 2]));
  }
  ASSERT_GT(peak, 10000);
  // The sine at that peak changes by at most peak * 2 pi f / rate per frame; a gain switched
  // in one frame would jump by up to the whole peak.
  EXPECT_LT(step, 1.2 * peak * 2 * M_PI * 220 / 44100);
}

}  // namespace mixing

// The mixer at its busiest: 24 voices (six sounds, four voices each, the caps) mixed into
// the device's 1024-frame buffers (23.2 ms each) at 44.1 kHz, limiter included. Time per
// buffer, and how many times faster than it plays the mix is made. And the play piece of the
// music streamed through it once round: time per buffer, and how much the resident memory
// grew with it against what the piece would take decoded whole.
#include "platform/audio/mixer.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/audio/music_stream.h"
#include "platform/audio/ogg.h"

namespace {

void BM_MixFullCrowd(benchmark::State& state) {
  auto mixer = std::make_shared<TMixerAudioDriver>(44100);
  std::vector<std::shared_ptr<TSound>> sounds;
  for (const char* name : {"s1", "s2", "s3", "s4", "s5", "t"}) {
    auto sample = LoadAudioSampleFile(std::string(KESTROVA_SOURCE_DIR "/assets/") + name + ".ogg");
    if (!sample) {
      state.SkipWithError("cannot load the game's sounds");
      return;
    }
    sounds.push_back(mixer->CreateSound(sample, SOUND_LOOP));
  }
  for (const auto& sound : sounds) {
    for (int i = 0; i < kVoicesPerSound; ++i) sound->Play(nullptr);
  }
  std::vector<int16_t> out(2 * 1024);
  for (auto _ : state) {
    mixer->Mix(out.data(), 1024);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["voices"] = mixer->ActiveVoices();
  state.counters["x_real_time"] = benchmark::Counter(1024.0 / 44100.0, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_MixFullCrowd)->Unit(benchmark::kMicrosecond);

int64_t ResidentKb() {
  std::ifstream statm("/proc/self/statm");
  int64_t size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void BM_MixMusicStreamed(benchmark::State& state) {
  const std::string piece = KESTROVA_SOURCE_DIR "/assets/musik.ogg";
  const int64_t before = ResidentKb();
  auto mixer = std::make_shared<TMixerAudioDriver>(44100);
  std::string why;
  auto music = TMusicStream::Open(piece, why);
  if (!music) {
    state.SkipWithError(why.c_str());
    return;
  }
  mixer->PlayMusic(std::move(music), 2000);
  std::vector<int16_t> out(2 * 1024);
  int64_t buffers = 0;
  for (auto _ : state) {
    mixer->Mix(out.data(), 1024);
    benchmark::DoNotOptimize(out.data());
    ++buffers;
  }
  state.counters["rss_growth_kb"] = static_cast<double>(ResidentKb() - before);
  const auto whole = LoadAudioSampleFile(piece);
  state.counters["decoded_whole_kb"] = whole ? static_cast<double>(whole->samples.size()) / 1024.0 : 0.0;
  state.counters["seconds_played"] = static_cast<double>(buffers) * 1024.0 / 44100.0;
  state.counters["x_real_time"] = benchmark::Counter(1024.0 / 44100.0, benchmark::Counter::kIsIterationInvariantRate);
}
// Once round the piece of about 131 s: 5700 buffers.
BENCHMARK(BM_MixMusicStreamed)->Unit(benchmark::kMicrosecond)->Iterations(5700);

}  // namespace

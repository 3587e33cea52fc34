// The mixer at its busiest: 24 voices (six sounds, four voices each, the caps) mixed into
// the device's 1024-frame buffers (23.2 ms each) at 44.1 kHz, limiter included. Time per
// buffer, and how many times faster than it plays the mix is made.
#include "platform/audio/mixer.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

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

}  // namespace

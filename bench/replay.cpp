// kestrova-sim --replay on a busy game recorded in the real program (bench/busy_fight.demo:
// 1224 frames at 60 Hz on the soak's fight map, fire held, every weapon, 180 enemies killed),
// the world's creation included. Frames per second, and how many times faster than the game
// played them.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

namespace {

constexpr double kFrames = 1224;
constexpr double kRecordedHertz = 60;

void BM_ReplayBusyGame(benchmark::State& state) {
  const std::string command =
      "'" KESTROVA_BINARY_DIR "/kestrova-sim' --replay '" KESTROVA_SOURCE_DIR "/bench/busy_fight.demo' --out /dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("the replay did not end as recorded");
  }
  state.counters["frames/s"] = benchmark::Counter(kFrames, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["x_real_time"] =
      benchmark::Counter(kFrames / kRecordedHertz, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ReplayBusyGame)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

}  // namespace

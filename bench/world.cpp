// World creation, pass by pass and whole: from map.txt to the four layer files written.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "actors/tfigur.h"
#include "actors/titem.h"
#include "app/play/placement.h"
#include "rules/random.h"
#include "state/game.h"
#include "world/tmap.h"
#include "world/worldgen.h"

namespace {

constexpr int32_t kSeed = 20240601;

const std::string& ParamsFile() {
  static const std::string path = std::string(KESTROVA_SOURCE_DIR) + "/assets/map.txt";
  return path;
}

const std::string& OutDir() {
  static const std::string path = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrova-bench-XXXXXX").string();
    std::string dir = mkdtemp(pattern.data());
    std::atexit([] { std::filesystem::remove_all(OutDir()); });
    return dir;
  }();
  return path;
}

std::vector<uint8_t> Snapshot() { return {game.mapGrid.Data(), game.mapGrid.Data() + kMapCells}; }

// The grid as each stage finds it: stages[i] is the input of worldStages[i + 1].
const std::vector<std::vector<uint8_t>>& StageInputs() {
  static const auto inputs = [] {
    std::vector<std::vector<uint8_t>> grids;
    CreateMapGrid();
    SeedRandom(kSeed);
    game.mapParamsFile = ParamsFile();
    for (const TWorldStage& stage : worldStages) {
      stage.work();
      grids.push_back(Snapshot());
    }
    return grids;
  }();
  return inputs;
}

void Restore(const std::vector<uint8_t>& grid) { std::copy(grid.begin(), grid.end(), game.mapGrid.Data()); }

void BM_Create(benchmark::State& state) {
  game.mapParamsFile = ParamsFile();
  for (auto _ : state) {
    SeedRandom(kSeed);
    bool read = false;
    TMap::Create(CDungeon, &read);
    if (!read) state.SkipWithError("cannot read assets/map.txt");
  }
}

// Runs stage i (1..5) of the world creation on the grid the stage before it left.
void BM_Pass(benchmark::State& state) {
  const auto i = static_cast<size_t>(state.range(0));
  const auto& input = StageInputs()[i - 1];
  state.SetLabel(worldStages[i].caption);
  for (auto _ : state) {
    state.PauseTiming();
    Restore(input);
    state.ResumeTiming();
    worldStages[i].work();
  }
}

void BM_Savemap(benchmark::State& state) {
  Restore(StageInputs().back());
  const TLayerFile& layer = layerFiles[static_cast<size_t>(state.range(0))];
  state.SetLabel(layer.name);
  const std::string path = OutDir() + "/" + layer.name;
  for (auto _ : state) TMap::Savemap(path, layer.first, layer.last);
}

void BM_WholeCreation(benchmark::State& state) {
  game.mapParamsFile = ParamsFile();
  for (auto _ : state) {
    SeedRandom(kSeed);
    GenerateWorld();
    SaveLayerFiles(OutDir());
  }
}

// Placing the 3001 enemies and 5001 items on the world the loading sequence made. The whole
// generator state is restored each time, so every run searches the same cells.
void PlaceOn(benchmark::State& state, std::vector<uint8_t> (*world)()) {
  const std::vector<uint8_t> grid = world();
  Restore(grid);
  SeedRandom(kSeed);
  const int32_t start = RandomState();
  for (auto _ : state) {
    state.PauseTiming();
    game.figureList.reset();
    game.itemList.reset();
    SetRandomState(start);
    state.ResumeTiming();
    if (!PlaceEnemies() || !PlaceItems()) state.SkipWithError("the world has no land");
  }
}

void BM_PlaceActors(benchmark::State& state) {
  PlaceOn(state, [] { return StageInputs().back(); });
}

// A speck of nine land cells in the middle of the world: the cell search passes over about
// four billion tries.
void BM_PlaceActorsOnASpeck(benchmark::State& state) {
  PlaceOn(state, [] {
    std::vector<uint8_t> grid(kMapCells, 2);
    for (int32_t x = 1023; x <= 1025; ++x) {
      for (int32_t y = 1023; y <= 1025; ++y) grid[static_cast<size_t>(x) * kMapSize + y] = 1;
    }
    return grid;
  });
}

}  // namespace

BENCHMARK(BM_PlaceActors)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_PlaceActorsOnASpeck)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_Create)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_Pass)->DenseRange(1, 5)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_Savemap)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(BM_WholeCreation)->Unit(benchmark::kMillisecond)->Repetitions(9);

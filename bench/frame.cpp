// One frame of the game loop (update and drawing, through the recording driver, which only
// counts the calls): the start of play, and a crowded scene with every enemy within 900
// pixels of the player, 2000 shots in flight and 20000 blood decals.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>

#include "actors/tblood.h"
#include "actors/tfigur.h"
#include "actors/titem.h"
#include "actors/tshot.h"
#include "app/loading/tables.h"
#include "app/play/placement.h"
#include "app/player/bindings.h"
#include "app/player/settings.h"
#include "app/player/settings_in_force.h"
#include "app/tapp.h"
#include "platform/system/clock.h"
#include "platform/text/language.h"
#include "platform/video/graphics.h"
#include "platform/video/image.h"
#include "platform/video/recording_driver.h"
#include "rules/random.h"
#include "state/game.h"
#include "world/tmap.h"
#include "world/worldgen.h"

namespace {

std::shared_ptr<TImage> Asset(const std::string& name) {
  return LoadImageFile(std::string(KESTROVA_SOURCE_DIR) + "/assets/" + name, -1);
}

// The screen, the game's pictures and the world, made once for all benchmarks.
void Prepare() {
  static bool done = false;
  if (done) return;
  done = true;
  UseFixedClock(100000);
  CreateTables();
  game.screenW = 1024;
  game.screenH = 768;
  auto driver = std::make_shared<TRecordingDriver>();
  driver->SetRecording(false);
  OpenHeadlessScreen(driver, game.screenW, game.screenH, 0, 0, 0);
  SetBlend(3);
  SetAutoMidHandle(1);
  const char* tiles[] = {"erde.png", "wasser.png", "gras.png", "sand.png", "baum.png", "blatt.png"};
  for (int i = 0; i < 6; ++i) game.tileImages[i] = Asset(tiles[i]);
  const char* figures[] = {"figur1.png", "figur2.png", "figur3.png", "figur4.png", "figur5.png", "figur1.png"};
  for (int i = 0; i < 6; ++i) game.figureImages[i] = Asset(figures[i]);
  const char* shots[] = {"shoot.png", "plasma.png", "laser.png", "letzter.png"};
  for (int i = 0; i < 4; ++i) game.shotImages[i] = Asset(shots[i]);
  for (int k = 0; k < 8; ++k) game.shotImages[4 + k] = Asset("fire" + std::to_string(k) + ".png");
  const char* items[] = {"firstaid.png", "secaid.png", "shell1.png", "shell3.png",
                         "shell4.png",   "shell5.png", "shell2.png"};
  for (int i = 0; i < 7; ++i) game.itemImages[i] = Asset(items[i]);
  game.bloodImage = Asset("blood.png");
  game.mapParamsFile = std::string(KESTROVA_SOURCE_DIR) + "/assets/map.txt";
  SeedRandom(20261207);
  GenerateWorld();
}

// The world as the loading sequence leaves it, and the player placed.
void StartScene(int32_t seed) {
  ForgetActors();
  SeedRandom(seed);
  UseFixedClock(100000);
  game.gameState = TGamePhase::Running;
  // The benchmarks' world has land.
  static_cast<void>(PlaceEnemies() && PlaceItems());
  Tapp::start();
}

void BuildCrowd(int32_t seed) {
  StartScene(seed);
  const double px = game.player->X;
  const double py = game.player->Y;
  game.figureList->ForEach([&](Tfigur* f) {
    if (f == game.player.get()) return;
    const double a = RandomReal(0.0, 360.0);
    const double d = RandomReal(40.0, 890.0);
    f->X = static_cast<float>(px + d * std::cos(a));
    f->Y = static_cast<float>(py + d * std::sin(a));
    f->HP = 1.0e6f;  // the crowd should last through the measured frames
  });
  std::vector<std::shared_ptr<Tfigur>> owners;
  game.figureList->ForEach([&](Tfigur* f) { owners.push_back(f->shared_from_this()); });
  while (game.shotList == nullptr || game.shotList->Count() < 2000) {
    const auto& owner = owners[static_cast<size_t>(RandomInt(0, 3000))];
    owner->Time = 0;
    tshot::neu(static_cast<int32_t>(owner->X), static_cast<int32_t>(owner->Y), RandomInt(0, 359), owner->weapon, owner);
  }
  for (int32_t i = 0; i < 20000; ++i) {
    if (!game.bloodList) game.bloodList = std::make_shared<TList<Tblood>>();
    Tblood& b = game.bloodList->AddLast()->value();
    b.X = static_cast<int32_t>(px) + RandomInt(-900, 900);
    b.Y = static_cast<int32_t>(py) + RandomInt(-900, 900);
    b.R = RandomInt(360, 1);
    b.s = static_cast<float>(RandomReal(0.1, 1.0));
  }
}

// Today's HUD, then the extended one in German and in English: what the numbers and the
// texts' lookups add to a frame.
void BM_FrameStartScene(benchmark::State& state) {
  Prepare();
  StartScene(1);
  TPlayerSettings settings;
  settings.hud = state.range(0) != 0 ? THud::Extended : THud::Classic;
  Apply(settings);
  UseCatalogueFolder(KESTROVA_BINARY_DIR "/game/locale");
  UseLanguage(state.range(1) != 0 ? TLanguage::English : TLanguage::German);
  int32_t k = 0;
  for (auto _ : state) {
    UseFixedClock(100000 + 16 * (k++ % 100000));
    Tapp::frame();
  }
  state.counters["shots"] = game.shotList ? game.shotList->Count() : 0;
  Apply(TPlayerSettings{});
  UseLanguage(TLanguage::German);
}
BENCHMARK(BM_FrameStartScene)
    ->ArgNames({"extended", "en"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({1, 1})
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(2.0);

// Each measured frame starts from a freshly built crowd, so every sample sees the same load.
void BM_FrameCrowdedScene(benchmark::State& state) {
  Prepare();
  int64_t shots = 0;
  for (auto _ : state) {
    state.PauseTiming();
    BuildCrowd(2);
    state.ResumeTiming();
    Tapp::frame();
    shots += game.shotList->Count();
  }
  state.counters["shots after"] = static_cast<double>(shots) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_FrameCrowdedScene)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(60)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

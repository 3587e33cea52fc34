// The whole frame of busy play as the player gets it from software OpenGL with no rate
// limit: the rules, the drawing and the buffer swap, which waits for the rasteriser. The
// world is that of bench/busy_fight.demo (3001 enemies on a small island), the player walks
// 3 pixels a frame with the fire button held, at 1024 x 768 and 1920 x 1080. Needs a display
// that large: xvfb-run -a -s "-screen 0 1920x1080x24" build/bench/bench_frame_gl
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "actors/tblood.h"
#include "actors/tfigur.h"
#include "actors/titem.h"
#include "actors/tshot.h"
#include "app/loading.h"
#include "app/placement.h"
#include "app/tables.h"
#include "app/tapp.h"
#include "platform/events.h"
#include "platform/graphics.h"
#include "platform/image.h"
#include "platform/random.h"
#include "state/globals.h"
#include "world/tmap.h"
#include "world/worldgen.h"

namespace {

// The game's pictures (the first five loading stages) and the busy demo's world, made once;
// the actors are placed afresh for every run, so each starts from the same play.
bool Prepare() {
  static const bool world = [] {
    CreateTables();
    if (chdir(KESTROVA_SOURCE_DIR "/assets") != 0) return false;
    const std::vector<TLoadStage>& stages = LoadStages();
    for (size_t i = 0; i < 5; ++i) stages[i].work();
    SeedRandom(1);
    mapParamsGiven = TMapParams{0, 0, 0, 100, 100, 10, 1000};
    return GenerateWorld();
  }();
  player.reset();
  shotList.reset();
  figureList.reset();
  itemList.reset();
  bloodList.reset();
  SeedRandom(2);
  return world && PlaceEnemies() && PlaceItems();
}

void BM_BusyFrameOpenGL(benchmark::State& state) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == 0) {
    state.SkipWithError("no X display: run under xvfb-run");
    return;
  }
  const auto width = static_cast<int32_t>(state.range(0));
  const auto height = static_cast<int32_t>(state.range(1));
  SetGraphicsDriver(nullptr);
  if (!OpenScreen(width, height, 0, 0, 0)) {
    state.SkipWithError(LastScreenError().c_str());
    return;
  }
  if (!Prepare()) {
    state.SkipWithError("cannot load the game's pictures or make the busy world");
    CloseScreen();
    return;
  }
  screenW = width;
  screenH = height;
  SetBlend(3);
  SetAutoMidHandle(1);
  Tapp::start();
  InjectEvent({EVENT_KEYDOWN, 87});
  InjectEvent({EVENT_MOUSEDOWN, 1});
  for (auto _ : state) Tapp::frame();
  InjectEvent({EVENT_KEYUP, 87});
  InjectEvent({EVENT_MOUSEUP, 1});
  CloseScreen();
}
BENCHMARK(BM_BusyFrameOpenGL)
    ->Args({1024, 768})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(300)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

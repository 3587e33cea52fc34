// The whole frame of play as the player gets it from software OpenGL with no rate limit: the
// rules, the drawing and the buffer swap, which waits for the rasteriser. Two worlds: the
// shipped map.txt's (seed 20261207), where the ground is nearly all the drawing, and that of
// bench/busy_fight.demo (3001 enemies and 5001 items on a small island), crowded with
// sprites. The player walks 3 pixels a frame with the fire button held, at 1024 x 768 and
// 1920 x 1080, with the ground from the OpenGL driver's cached blocks and drawn cell by cell,
// and the 1024 x 768 screen full screen on the 1920 x 1080 desktop (`full:1`). Play starts as
// after the loading screen, whose last stage makes the ground around the start; the first
// frame is reported beside the median and the 95th percentile, and the draws OpenGL is handed
// a frame. Besides, the floor: one full-screen picture a frame.
// Needs a display that large: xvfb-run -a -s "-screen 0 1920x1080x24" build/bench/bench_frame_gl
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>

#include "actors/tblood.h"
#include "actors/tfigur.h"
#include "actors/titem.h"
#include "actors/tshot.h"
#include "app/loading/loading.h"
#include "app/loading/tables.h"
#include "app/play/placement.h"
#include "app/tapp.h"
#include "platform/core/events.h"
#include "platform/input/input.h"
#include "platform/system/clock.h"
#include "platform/video/gl_driver.h"
#include "platform/video/graphics.h"
#include "platform/video/image.h"
#include "platform/video/letterbox.h"
#include "platform/video/sdl_window.h"
#include "rules/random.h"
#include "state/game.h"
#include "world/tmap.h"
#include "world/worldgen.h"

namespace {

enum TScene : int64_t { kShippedWorld, kBusyWorld };

bool MakeWorld(TScene scene) {
  if (scene == kBusyWorld) {
    SeedRandom(1);
    game.mapParamsGiven = TMapParams{0, 0, 0, 100, 100, 10, 1000};
  } else {
    SeedRandom(20261207);
    game.mapParamsGiven.reset();
  }
  return GenerateWorld();
}

// The game's pictures (the first five loading stages) once, the scene's world when it is not
// the last one made; the actors are placed afresh for every run, so each starts from the
// same play.
bool Prepare(TScene scene) {
  static const bool pictures = [] {
    CreateTables();
    if (chdir(KESTROVA_SOURCE_DIR "/assets") != 0) return false;
    const std::vector<TLoadStage>& stages = LoadStages();
    for (size_t i = 0; i < 5; ++i) stages[i].work();
    return true;
  }();
  static int64_t made = -1;
  if (!pictures) return false;
  if (made != scene) {
    if (!MakeWorld(scene)) return false;
    made = scene;
  }
  ForgetActors();
  SeedRandom(2);
  return PlaceEnemies() && PlaceItems();
}

// Full screen on the desktop, once the window has taken the desktop's size.
bool ShowFullScreen() {
  if (!SetDesktopFullScreen(true)) return false;
  for (int i = 0; i < 500; ++i) {
    PumpEvents();
    Cls();
    Flip(0);
    if (!ScreenViewport().OneToOne()) return true;
    usleep(10000);
  }
  return false;
}

// A window of the size asked for on the OpenGL driver; the benchmark is skipped without one.
bool OpenWindow(benchmark::State& state, int32_t width, int32_t height) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == 0) {
    state.SkipWithError("no X display: run under xvfb-run");
    return false;
  }
  SetGraphicsDriver(nullptr);
  if (!OpenScreen(width, height, 0, 0, 0)) {
    state.SkipWithError(LastScreenError().c_str());
    return false;
  }
  return true;
}

void BM_FrameOpenGL(benchmark::State& state) {
  const auto scene = static_cast<TScene>(state.range(0));
  const auto width = static_cast<int32_t>(state.range(1));
  const auto height = static_cast<int32_t>(state.range(2));
  const bool cached = state.range(3) != 0;
  const bool full = state.range(4) != 0;
  if (!OpenWindow(state, width, height)) return;
  auto* driver = dynamic_cast<TGLVex2DDriver*>(CurrentGraphics()->_driver.get());
  if (driver == nullptr || !Prepare(scene)) {
    state.SkipWithError("no OpenGL driver, or cannot load the game's pictures or make the world");
    CloseScreen();
    return;
  }
  if (full && !ShowFullScreen()) {
    state.SkipWithError("the window does not take the desktop's size");
    CloseScreen();
    return;
  }
  game.screenW = width;
  game.screenH = height;
  SetBlend(3);
  SetAutoMidHandle(1);
  driver->KeepGround(cached);
  PrepareFirstFrame();
  Tapp::start();
  InjectEvent({EVENT_KEYDOWN, 87});
  InjectEvent({EVENT_MOUSEDOWN, 1});
  // The median and 95th percentile frame as well: the mean carries the frames that draw new
  // blocks of the ground.
  std::vector<double> frames;
  frames.reserve(state.max_iterations);
  driver->Finish();
  const int64_t draws = driver->Stats().batches;
  int64_t last = RealNowUs();
  for (auto _ : state) {
    Tapp::frame();
    const int64_t now = RealNowUs();
    frames.push_back(static_cast<double>(now - last) / 1000.0);
    last = now;
  }
  state.counters["first_ms"] = frames[0];
  std::sort(frames.begin(), frames.end());
  state.counters["p50_ms"] = frames[frames.size() / 2];
  state.counters["p95_ms"] = frames[frames.size() * 95 / 100];
  state.counters["draws"] = static_cast<double>(driver->Stats().batches - draws) / static_cast<double>(frames.size());
  InjectEvent({EVENT_KEYUP, 87});
  InjectEvent({EVENT_MOUSEUP, 1});
  driver->KeepGround(true);
  CloseScreen();
}

// Scene, width, height, ground cached, full screen; each scene's runs together, as its world is
// made once.
void Scenes(benchmark::internal::Benchmark* b) {
  for (const int64_t scene : {kShippedWorld, kBusyWorld}) {
    for (const auto& [w, h] : {std::pair{1024, 768}, std::pair{1920, 1080}}) {
      for (const int64_t cached : {1, 0}) b->Args({scene, w, h, cached, 0});
    }
    b->Args({scene, 1024, 768, 1, 1});
  }
}
BENCHMARK(BM_FrameOpenGL)
    ->ArgNames({"busy", "w", "h", "cached", "full"})
    ->Apply(Scenes)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(300)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

// The floor under any frame: one filtered, blended picture as large as the screen, then the
// buffer swap, which waits for the rasteriser.
void BM_FullScreenQuad(benchmark::State& state) {
  const auto width = static_cast<int32_t>(state.range(0));
  const auto height = static_cast<int32_t>(state.range(1));
  if (!OpenWindow(state, width, height)) return;
  auto picture = TImage::Create(width, height, 1, FILTEREDIMAGE, 0, 0, 0);
  auto pixmap = TPixmap::Create(width, height, PF_RGBA8888);
  for (size_t i = 0; i < pixmap->pixels.size(); ++i) pixmap->pixels[i] = static_cast<uint8_t>(i * 7 % 251);
  picture->SetPixmap(0, pixmap);
  SetBlend(3);
  std::vector<double> frames;
  frames.reserve(state.max_iterations);
  int64_t last = RealNowUs();
  for (auto _ : state) {
    Cls();
    DrawImageFrame(picture, 0.0f, 0.0f, 0);
    Flip(0);
    const int64_t now = RealNowUs();
    frames.push_back(static_cast<double>(now - last) / 1000.0);
    last = now;
  }
  std::sort(frames.begin(), frames.end());
  state.counters["p50_ms"] = frames[frames.size() / 2];
  state.counters["p95_ms"] = frames[frames.size() * 95 / 100];
  CloseScreen();
}
BENCHMARK(BM_FullScreenQuad)
    ->ArgNames({"w", "h"})
    ->Args({1024, 768})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(300)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

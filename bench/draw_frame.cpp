// One game-like frame: 1,000 map tiles of three quads each, 500 turned sprites and 200
// glyphs, submitted through the recording driver (recording off and on) and through the
// OpenGL driver (needs a display: run under xvfb-run).
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "platform/video/graphics.h"
#include "platform/video/image.h"
#include "platform/video/recording_driver.h"

namespace {

std::shared_ptr<TImage> SolidImage(int32_t w, int32_t h, uint8_t r, uint8_t g, uint8_t b) {
  auto pm = TPixmap::Create(w, h, PF_RGBA8888);
  for (int32_t i = 0; i < w * h; ++i) {
    uint8_t* p = pm->pixels.data() + 4 * i;
    p[0] = r;
    p[1] = g;
    p[2] = b;
    p[3] = 255;
  }
  auto image = TImage::Create(w, h, 1, FILTEREDIMAGE, 0, 0, 0);
  image->SetPixmap(0, pm);
  image->handle_x = w * 0.5f;
  image->handle_y = h * 0.5f;
  return image;
}

struct Scene {
  std::shared_ptr<TImage> tile = SolidImage(64, 64, 40, 160, 60);
  std::shared_ptr<TImage> edge = SolidImage(64, 64, 200, 180, 90);
  std::shared_ptr<TImage> sprite = SolidImage(32, 32, 220, 30, 30);
};

void DrawFrame(const Scene& s) {
  Cls();
  SetBlend(3);
  SetColor(255, 255, 255);
  for (int i = 0; i < 1000; ++i) {
    const auto x = static_cast<float>((i % 40) * 26);
    const auto y = static_cast<float>((i / 40) * 32);
    SetAlpha(1);
    DrawImageFrame(s.tile, x, y, 0);
    SetColor(0, 0, 0);
    SetAlpha(0.2f);
    DrawRect(x - 32, y - 32, 64, 64);
    SetColor(255, 255, 255);
    SetAlpha(0.5f);
    DrawImageFrame(s.edge, x, y, 0);
  }
  SetAlpha(1);
  for (int i = 0; i < 500; ++i) {
    SetDrawRotation(static_cast<float>(i * 7));
    DrawImageFrame(s.sprite, static_cast<float>((i * 37) % 1024), static_cast<float>((i * 53) % 768), 0);
  }
  SetDrawRotation(0);
  for (int line = 0; line < 5; ++line) {
    DrawString("HP: 100  Ammo: 25 / 50 / 12 / 3 / 1  XYZ", 10, 10.0f + 16.0f * line);
  }
  Flip(0);
}

void RunFrames(benchmark::State& state) {
  Scene scene;
  for (auto _ : state) DrawFrame(scene);
  state.SetItemsProcessed(state.iterations() * (3000 + 500 + 200));
  CloseScreen();
  SetGraphicsDriver(nullptr);
}

void BM_FrameRecordingOff(benchmark::State& state) {
  auto rec = std::make_shared<TRecordingDriver>();
  rec->SetRecording(false);
  OpenHeadlessScreen(rec, 1024, 768, 0, 0, 0);
  RunFrames(state);
}
BENCHMARK(BM_FrameRecordingOff)->Unit(benchmark::kMicrosecond);

void BM_FrameRecordingOn(benchmark::State& state) {
  auto rec = std::make_shared<TRecordingDriver>();
  OpenHeadlessScreen(rec, 1024, 768, 0, 0, 0);
  Scene scene;
  for (auto _ : state) {
    DrawFrame(scene);
    state.PauseTiming();
    rec->Clear();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * (3000 + 500 + 200));
  CloseScreen();
  SetGraphicsDriver(nullptr);
}
BENCHMARK(BM_FrameRecordingOn)->Unit(benchmark::kMicrosecond);

void BM_FrameOpenGL(benchmark::State& state) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == 0) {
    state.SkipWithError("no X display: run under xvfb-run");
    return;
  }
  SetGraphicsDriver(nullptr);
  if (!OpenScreen(1024, 768, 0, 0, 0)) {
    state.SkipWithError(LastScreenError().c_str());
    return;
  }
  RunFrames(state);
}
BENCHMARK(BM_FrameOpenGL)->Unit(benchmark::kMillisecond);

}  // namespace

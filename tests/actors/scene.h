// A small headless world for the actor and game-loop tests: a recording screen, test images
// in every table slot, a fixed clock, an all-water grid with land laid out by the test, and
// a fresh game before and after each test.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "actors/tblood.h"
#include "actors/tfigur.h"
#include "actors/titem.h"
#include "actors/tshot.h"
#include "app/loading/tables.h"
#include "platform/system/clock.h"
#include "platform/video/graphics.h"
#include "platform/video/image.h"
#include "platform/video/recording_driver.h"
#include "rules/random.h"
#include "state/game.h"
#include "world/grid.h"

namespace scene {

inline std::shared_ptr<TImage> TestImage(int32_t w, int32_t h) {
  auto image = TImage::Create(w, h, 1, 0, 0, 0, 0);
  image->SetPixmap(0, TPixmap::Create(w, h, PF_RGBA8888));
  image->handle_x = static_cast<float>(w) * 0.5f;
  image->handle_y = static_cast<float>(h) * 0.5f;
  return image;
}

// The cell (x, y) lies at world pixels 64 x - 32 .. 64 x + 31.
inline void Land(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  for (int32_t x = x0; x <= x1; ++x) {
    for (int32_t y = y0; y <= y1; ++y) game.mapGrid[x][y] |= kLandMask;
  }
}

// A fresh game on a 1024 x 768 screen, with test images in every table slot.
inline void StartFreshScene() {
  StartFreshGame();
  CreateTables();
  game.screenW = 1024;
  game.screenH = 768;
  for (auto& slot : game.figureImages) slot = TestImage(32, 32);
  for (auto& slot : game.itemImages) slot = TestImage(24, 24);
  for (int32_t i = 0; i < 12; ++i) game.shotImages[i] = TestImage(8, 8);
  game.bloodImage = TestImage(64, 64);
}

class Scene : public ::testing::Test {
 protected:
  static constexpr int32_t kStartClock = 100000;

  void SetUp() override {
    UseFixedClock(kStartClock);
    SeedRandom(777);
    rec = std::make_shared<TRecordingDriver>();
    ASSERT_TRUE(OpenHeadlessScreen(rec, 1024, 768, 0, 0, 0));
    SetBlend(3);
    StartFreshScene();
    rec->Clear();
  }

  void TearDown() override {
    StartFreshGame();
    CloseScreen();
    UseSystemClock();
  }

  // An enemy of kind `art` at (x, y) with 100000 rounds for `weapon`.
  static std::shared_ptr<Tfigur> Enemy(float x, float y, int32_t art, int32_t weapon = 0) {
    auto f = Tfigur::neu(0, 0, art);
    f->X = x;
    f->Y = y;
    f->weapons = {};
    f->weapon = weapon;
    f->weapons[weapon] = 100000;
    return f;
  }

  // The player at (x, y) with its starting values.
  static std::shared_ptr<Tfigur> Player(float x, float y) {
    game.player = Tfigur::neu(0, 0, 0);
    game.player->X = x;
    game.player->Y = y;
    game.player->HP = 1000.0f;
    game.player->weapons = {1000, -1, -1, -1, -1};
    game.player->weapon = 0;
    return game.player;
  }

  // Figures in list order.
  static std::vector<Tfigur*> Figures() {
    std::vector<Tfigur*> out;
    if (game.figureList) game.figureList->ForEach([&](Tfigur* f) { out.push_back(f); });
    return out;
  }
  static std::vector<tshot*> Shots() {
    std::vector<tshot*> out;
    if (game.shotList) game.shotList->ForEach([&](tshot* s) { out.push_back(s); });
    return out;
  }
  static int32_t Count(const auto& list) { return list ? list->Count() : 0; }

  // The image frames drawn since the last Clear, as (pixmap, screen x, screen y).
  std::vector<TRecordedCall> Drawn() const { return rec->CallsOf(DrawOp::DrawFrame); }
  // Rotation in degrees held by the driver when a call was made.
  static double Rotation(const TRecordedCall& c) { return std::atan2(c.state.jx, c.state.ix) * 180.0 / M_PI; }

  std::shared_ptr<TRecordingDriver> rec;
};

// The draws of one Tblood::neu attempt, replayed on the generator: true when it leaves a decal.
inline bool BloodAttempt() {
  if (RandomInt(24, 1) != 1) return false;
  RandomReal(-32.0, 64.0);
  RandomReal(-32.0, 64.0);
  RandomInt(360, 1);
  RandomReal(static_cast<double>(0.1f), 1.0);
  return true;
}

}  // namespace scene

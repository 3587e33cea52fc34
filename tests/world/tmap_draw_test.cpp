#include <gtest/gtest.h>

#include <map>

#include "app/loading/tables.h"
#include "platform/video/graphics.h"
#include "platform/video/image.h"
#include "scene.h"
#include "state/game.h"
#include "world/grid.h"
#include "world/tmap.h"
#include "world/ttiles.h"

namespace {

class MapDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateTables();
    CreateMapGrid();
    // Larger than the 640 x 480 the tests draw, so that the two extra cells visited on each
    // side lie on the screen too and reach the driver.
    rec_ = OpenRecordedScreen(1280, 1024);
    // Six distinct 64 x 64 tiles, told apart by their pixmaps.
    for (int slot = 0; slot < 6; ++slot) {
      auto image = TImage::Create(64, 64, 1, 0, 0, 0, 0);
      image->handle_x = 32;
      image->handle_y = 32;
      image->SetPixmap(0, TPixmap::Create(64, 64, PF_RGBA8888));
      game.tileImages[slot] = image;
      slotOf_[image->pixmaps[0].get()] = slot;
    }
    game.camX = 0;
    game.camY = 0;
  }
  void TearDown() override {
    CloseScreen();
    CreateMapGrid();
  }

  int SlotOf(const TRecordedCall& call) const { return slotOf_.at(call.pixmap); }

  // The cells drawn, in order, from the position of each main tile.
  std::vector<std::pair<int, int>> DrawnCells() const {
    std::vector<std::pair<int, int>> cells;
    const auto frames = rec_->CallsOf(DrawOp::DrawFrame);
    for (size_t i = 0; i < frames.size(); i += 3) {
      cells.emplace_back(static_cast<int>(frames[i].args[4] + game.camX) / 64,
                         static_cast<int>(frames[i].args[5] + game.camY) / 64);
    }
    return cells;
  }

  std::shared_ptr<TRecordingDriver> rec_;
  std::map<const TPixmap*, int> slotOf_;
};

TEST_F(MapDrawTest, VisitsTheScreenPlusTwoCellsColumnByColumn) {
  TMap::draw(0, 0, 640, 480);
  const auto cells = DrawnCells();
  // Columns -2..12 and rows -2..9 are visited; those with a negative index are skipped.
  ASSERT_EQ(cells.size(), 13u * 10u);
  EXPECT_EQ(cells.front(), std::make_pair(0, 0));
  EXPECT_EQ(cells[1], std::make_pair(0, 1));
  EXPECT_EQ(cells[10], std::make_pair(1, 0));
  EXPECT_EQ(cells.back(), std::make_pair(12, 9));
  EXPECT_EQ(rec_->Count(DrawOp::DrawFrame), 3 * 130);
}

TEST_F(MapDrawTest, NegativeCameraTruncatesTowardZero) {
  game.camX = -100;
  TMap::draw(-100, 0, 640, 480);
  const auto cells = DrawnCells();
  // First column visited: -100 / 64 - 2 = -3; the last: 540 / 64 + 2 = 10.
  ASSERT_EQ(cells.size(), 11u * 10u);
  EXPECT_EQ(cells.front().first, 0);
  EXPECT_EQ(cells.back().first, 10);
  const auto frames = rec_->CallsOf(DrawOp::DrawFrame);
  EXPECT_EQ(frames[0].args[4], 100);  // cell 0 sits 100 pixels right of the screen's edge
}

TEST_F(MapDrawTest, LastColumnIsDrawnAndNothingBeyond) {
  game.camX = 2047 * 64 - 320 - 256;
  game.camY = 1000 * 64 - 256;
  TMap::draw(2047 * 64 - 320, 1000 * 64, 640, 480);
  const auto cells = DrawnCells();
  int maxColumn = 0;
  for (const auto& c : cells) maxColumn = std::max(maxColumn, c.first);
  EXPECT_EQ(maxColumn, 2047);
  // Columns 2040..2054 are visited, 2040..2047 drawn; rows 998..1009.
  EXPECT_EQ(cells.front(), std::make_pair(2040, 998));
  EXPECT_EQ(cells.size(), 8u * 12u);
}

TEST_F(MapDrawTest, SlotsAndShadesByCellKind) {
  game.mapGrid[3][4] = 2;                    // ocean
  game.mapGrid[3][5] = 3 << 1;               // enclosed non-land of kind 3
  game.mapGrid[3][6] = (10 << 3) | (3 << 1) | 1;  // land, sand, height 10
  game.mapGrid[3][7] = (27 << 3) | (2 << 1) | 1;  // land, grass, height 27: 221
  ASSERT_EQ(game.mapGrid[3][7], 221);
  struct Case {
    int y;
    int slot;
    int shade;
  };
  for (const Case& c : {Case{4, 1, 158}, Case{5, 4, 158}, Case{6, 3, 110}, Case{7, 2, 246}, Case{8, 4, 158}}) {
    rec_->Clear();
    const uint8_t cell = game.mapGrid[3][c.y];
    TTiles::draw(3, c.y, CellBits(cell, 5, 6) >> 1, CellBits(cell, 0, 4) >> 3, TMap::getpos(3, c.y));
    const auto frames = rec_->CallsOf(DrawOp::DrawFrame);
    ASSERT_EQ(frames.size(), 3u) << c.y;
    for (const auto& f : frames) {
      EXPECT_EQ(SlotOf(f), c.slot) << c.y;
      EXPECT_EQ(f.state.r, c.shade) << c.y;
      EXPECT_EQ(f.state.b, c.shade) << c.y;
    }
  }
}

TEST_F(MapDrawTest, EdgeCopiesAreSquashedHalfTransparentAndStateIsRestored) {
  game.camX = 10;
  game.camY = 20;
  TTiles::draw(2, 3, 0, 5, 1);
  const auto frames = rec_->CallsOf(DrawOp::DrawFrame);
  ASSERT_EQ(frames.size(), 3u);
  // Main tile centred on the cell at alpha 1, scale 1.
  EXPECT_EQ(frames[0].args[4], 118);
  EXPECT_EQ(frames[0].args[5], 172);
  EXPECT_EQ(frames[0].state.alpha, 1.0f);
  EXPECT_EQ(frames[0].state.ix, 1.0f);
  // Left copy: a quarter of the width, 40 pixels to the left, half transparent.
  EXPECT_EQ(frames[1].args[4], 78);
  EXPECT_EQ(frames[1].state.alpha, 0.5f);
  EXPECT_EQ(frames[1].state.ix, 0.25f);
  EXPECT_EQ(frames[1].state.jy, 1.0f);
  // Upper copy: a quarter of the height, 40 pixels up.
  EXPECT_EQ(frames[2].args[5], 132);
  EXPECT_EQ(frames[2].state.ix, 1.0f);
  EXPECT_EQ(frames[2].state.jy, 0.25f);
  EXPECT_EQ(frames[2].state.alpha, 0.5f);
  const TVex2DGraphics* g = CurrentGraphics();
  EXPECT_EQ(g->tform_scale_x, 1.0f);
  EXPECT_EQ(g->tform_scale_y, 1.0f);
  EXPECT_EQ(g->color_alpha, 1.0f);
  EXPECT_EQ(g->color_red, 70);
}

}  // namespace

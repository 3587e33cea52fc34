#include <gtest/gtest.h>

#include "state/game.h"
#include "test_support.h"
#include "world/tmap.h"

namespace {

void Fill(int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint8_t value) {
  for (int32_t x = x0; x <= x1; ++x) {
    for (int32_t y = y0; y <= y1; ++y) game.mapGrid[x][y] = value;
  }
}

int64_t LandIn(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  int64_t n = 0;
  for (int32_t x = x0; x <= x1; ++x) {
    for (int32_t y = y0; y <= y1; ++y) n += game.mapGrid[x][y] & 1;
  }
  return n;
}

}  // namespace

TEST(Smoothing, ThinShapesVanish) {
  CreateMapGrid();
  game.mapGrid[100][100] = 1;                                           // a lone cell
  Fill(200, 300, 260, 300, 1);                                     // a one-wide band along x
  Fill(400, 200, 400, 260, 1);                                     // a one-wide band along y
  for (int32_t i = 0; i < 40; ++i) game.mapGrid[600 + i][600 + i] = 1;  // a diagonal line
  TMap::smoothmap(1, 1);
  EXPECT_EQ(CountLand(), 0);
}

TEST(Smoothing, SquaresLoseTheirCorners) {
  CreateMapGrid();
  Fill(50, 50, 52, 52, 1);
  Fill(100, 100, 129, 102, 1);  // three wide, thirty long
  TMap::smoothmap(1, 1);
  // The 3 x 3 square becomes a plus of five cells.
  EXPECT_EQ(LandIn(40, 40, 60, 60), 5);
  EXPECT_EQ(game.mapGrid[51][51], 1);
  EXPECT_EQ(game.mapGrid[50][51], 1);
  EXPECT_EQ(game.mapGrid[52][51], 1);
  EXPECT_EQ(game.mapGrid[51][50], 1);
  EXPECT_EQ(game.mapGrid[51][52], 1);
  // The band loses only its four corners.
  EXPECT_EQ(LandIn(90, 90, 140, 110), 90 - 4);
  EXPECT_EQ(game.mapGrid[100][100], 0);
  EXPECT_EQ(game.mapGrid[129][102], 0);
}

TEST(Smoothing, InPlaceOrderDecidesTwoWideBands) {
  CreateMapGrid();
  Fill(5, 10, 34, 11, 1);    // y = 10, 11 and x = 5..34: erased completely
  Fill(110, 5, 111, 34, 1);  // x = 110, 111 and y = 5..34: keeps 55 of 60
  TMap::smoothmap(1, 1);
  EXPECT_EQ(LandIn(0, 0, 60, 60), 0);
  EXPECT_EQ(LandIn(100, 0, 130, 60), 55);
}

TEST(Smoothing, RewrittenCellsCountWithTheirNewValue) {
  CreateMapGrid();
  for (auto [x, y] : {std::pair{3, 3}, {3, 4}, {3, 5}, {4, 4}, {5, 3}}) game.mapGrid[x][y] = 1;
  TMap::smoothmap(1, 1);
  // (3, 3..5) are cleared before the window of (4, 4) is summed, so nothing survives; a
  // pass over a copy of the grid would have kept (4, 4).
  EXPECT_EQ(CountLand(), 0);
}

TEST(Smoothing, EdgesPassesAndRadii) {
  // Row and column 0 and 2047 are never written, even where the window says land.
  CreateMapGrid();
  Fill(0, 0, 2047, 1, 1);  // rows 0 and 1
  game.mapGrid[2047][1000] = 1;
  TMap::smoothmap(1, 1);
  EXPECT_EQ(game.mapGrid[2047][1000], 1);
  EXPECT_EQ(game.mapGrid[0][0], 1);
  EXPECT_EQ(game.mapGrid[1000][1], 1);  // six of nine: the edge row counts as land
  EXPECT_EQ(game.mapGrid[1000][2], 0);  // three of nine
  // Zero passes change nothing; a negative radius has empty windows, which clear the inside.
  const auto before = GridCopy();
  TMap::smoothmap(1, 0);
  TMap::smoothmap(1, -3);
  EXPECT_EQ(GridCopy(), before);
  TMap::smoothmap(-1, 1);
  EXPECT_EQ(LandIn(1, 1, 2046, 2046), 0);
  EXPECT_EQ(game.mapGrid[0][1], 1);
}

TEST(Reachability, CheckmapSeedsAtTheFirstCentralLandCell) {
  CreateMapGrid();
  // Two separate pieces: the first land cell of the square in x-then-y order is (1000, 1042),
  // so its piece stays although (1001, 1000) is land too.
  Fill(990, 1042, 1000, 1052, 1);
  Fill(1001, 990, 1001, 1010, 1);
  // A piece touching the seed's piece only at a corner goes too.
  Fill(980, 1053, 989, 1062, 1);
  // So does far-away land.
  Fill(10, 10, 20, 20, 1);
  TMap::checkmap();
  EXPECT_EQ(CountLand(), 11 * 11);
  EXPECT_EQ(LandIn(990, 1042, 1000, 1052), 11 * 11);
  // The marks are gone: every cell is 0 or 1.
  EXPECT_EQ(*std::max_element(game.mapGrid.Data(), game.mapGrid.Data() + kMapCells), 1);
}

TEST(Reachability, CheckmapFillsAlongFourNeighboursOnly) {
  CreateMapGrid();
  // A staircase of cells joined at corners only, starting in the square.
  for (int32_t i = 0; i < 20; ++i) game.mapGrid[1050 + i][1050 + i] = 1;
  // A winding 4-connected path from the square out to the edge of the grid.
  Fill(1020, 1020, 1020, 1500, 1);
  Fill(1021, 1500, 2046, 1500, 1);
  Fill(2046, 1, 2046, 1500, 1);
  TMap::checkmap();
  EXPECT_EQ(game.mapGrid[1020][1020], 1);
  EXPECT_EQ(game.mapGrid[2046][1], 1);
  EXPECT_EQ(game.mapGrid[1051][1051], 0);
  EXPECT_EQ(CountLand(), 481 + 1026 + 1499);
}

TEST(Reachability, NoCentralLandLeavesNoLand) {
  CreateMapGrid();
  Fill(900, 900, 999, 999, 1);
  Fill(1101, 1101, 1200, 1200, 1);
  TMap::checkmap();
  EXPECT_EQ(CountLand(), 0);
  EXPECT_FALSE(WorldHasLand());
  TMap::fillwatermap();
  // The whole world becomes ocean.
  EXPECT_EQ(*std::min_element(game.mapGrid.Data(), game.mapGrid.Data() + kMapCells), 2);
}

TEST(Ocean, LakesStayAndInletsBecomeOcean) {
  CreateMapGrid();
  Fill(100, 100, 200, 200, 1);
  Fill(140, 140, 160, 160, 0);  // a lake closed all round
  Fill(100, 170, 180, 172, 0);  // an inlet open to the sea on the x = 100 side
  game.mapGrid[190][190] = 0;        // a pond of one cell
  Fill(199, 199, 200, 200, 0);  // a bay in the block's corner, open to the sea
  game.mapGrid[198][198] = 0;        // a pond touching the bay only at a corner
  TMap::fillwatermap();
  EXPECT_EQ(game.mapGrid[150][150], 0);
  EXPECT_EQ(game.mapGrid[190][190], 0);
  EXPECT_EQ(game.mapGrid[198][198], 0);
  EXPECT_EQ(game.mapGrid[150][171], 2);
  EXPECT_EQ(game.mapGrid[180][172], 2);
  EXPECT_EQ(game.mapGrid[200][200], 2);
  EXPECT_EQ(game.mapGrid[199][199], 2);
  EXPECT_EQ(game.mapGrid[120][120], 1);
  EXPECT_EQ(game.mapGrid[0][0], 2);
  EXPECT_EQ(game.mapGrid[2047][2047], 2);
  for (size_t i = 0; i < kMapCells; ++i) {
    const uint8_t c = game.mapGrid.Data()[i];
    ASSERT_TRUE(c == 0 || c == 1 || c == 2) << i;
  }
  EXPECT_EQ(LandIn(0, 0, 2047, 2047), 101 * 101 - 21 * 21 - 81 * 3 - 1 - 4 - 1);
}

TEST(Heights, WindowSumDividedByThree) {
  CreateMapGrid();
  Fill(100, 100, 120, 120, 1);
  // Around (300, 300): 40 land and 41 other cells in the 9 x 9 window, sum -1.
  Fill(300, 296, 303, 304, 1);
  Fill(304, 296, 304, 299, 1);
  // Around (500, 500): 39 land, sum -3, whose third -1 is raised to 0.
  Fill(500, 496, 503, 504, 1);
  Fill(504, 496, 504, 498, 1);
  // Around (700, 500): 43 land, sum 5, height 1.
  Fill(700, 496, 703, 504, 1);
  Fill(704, 496, 704, 502, 1);
  // At the corner of the grid the cells outside count 0: 25 land, 11 other, height 4.
  Fill(1, 1, 10, 10, 1);
  const auto before = GridCopy();
  TMap::dekoratemap(4);
  EXPECT_EQ(game.mapGrid[110][110], 1 + 27 * 8);
  EXPECT_EQ(game.mapGrid[104][116], 1 + 27 * 8);
  EXPECT_EQ(game.mapGrid[100][100], 1);  // 25 land, 56 other
  EXPECT_EQ(game.mapGrid[300][300], 1);
  EXPECT_EQ(game.mapGrid[500][500], 1);
  EXPECT_EQ(game.mapGrid[700][500], 1 + 8);
  EXPECT_EQ(game.mapGrid[1][1], 1 + 4 * 8);
  // Only land cells change, and only in their height bits.
  for (size_t i = 0; i < kMapCells; ++i) {
    const uint8_t c = game.mapGrid.Data()[i];
    ASSERT_EQ(c & 7, before[i]) << i;
    if ((before[i] & 1) == 0) {
      ASSERT_EQ(c, before[i]) << i;
    }
    ASSERT_LE(c >> 3, 27) << i;
  }
}

namespace {

// Sets count cells of the 64 x 64 block at (bx, by), from the start-th in storage order.
void FillBlock(int32_t bx, int32_t by, int32_t start, int32_t count, uint8_t value) {
  for (int32_t i = start; i < start + count; ++i) game.mapGrid[bx + i / 64][by + i % 64] = value;
}

}  // namespace

TEST(Terrain, BlockKindsAtTheThresholds) {
  CreateMapGrid();
  FillBlock(0, 0, 0, 2000, 1);  // 2000 land, 1000 ocean: grass
  FillBlock(0, 0, 2000, 1000, 2);
  game.mapGrid[0][1] = 1 + 27 * 8;    // a high land cell among them
  FillBlock(64, 0, 0, 3000, 1);  // 1001 ocean: sand, whatever the land
  FillBlock(64, 0, 3000, 1001, 2);
  FillBlock(128, 0, 0, 1999, 1);  // 1999 land, 10 ocean: earth
  FillBlock(128, 0, 1999, 10, 2);
  FillBlock(192, 0, 0, 2000, 1);  // 2000 land, 1001 ocean: sand wins
  FillBlock(192, 0, 2000, 1001, 2);
  FillBlock(0, 64, 0, 4096, 2);  // open sea
  TMap::bereichmap(20);
  EXPECT_EQ(game.mapGrid[0][0], 1 + 2 * 2);
  EXPECT_EQ(game.mapGrid[0][1], 221);
  EXPECT_EQ(game.mapGrid[2000 / 64][2000 % 64], 2);  // ocean keeps kind 1
  EXPECT_EQ(game.mapGrid[63][63], 2 * 2);            // enclosed non-land takes the kind too
  EXPECT_EQ(game.mapGrid[64][0], 1 + 3 * 2);
  EXPECT_EQ(game.mapGrid[127][63], 3 * 2);
  EXPECT_EQ(game.mapGrid[128][0], 1);
  EXPECT_EQ(game.mapGrid[191][63], 0);
  EXPECT_EQ(game.mapGrid[192][0], 1 + 3 * 2);
  EXPECT_EQ(game.mapGrid[0][64], 2);
  // An empty block is earth: its cells stay 0.
  EXPECT_EQ(game.mapGrid[1000][1000], 0);
  // The last block of the grid is reached as well.
  CreateMapGrid();
  FillBlock(1984, 1984, 0, 4096, 1);
  TMap::bereichmap(0);
  EXPECT_EQ(game.mapGrid[2047][2047], 1 + 2 * 2);
  EXPECT_EQ(game.mapGrid[1983][2047], 0);
}

#include "world/grid.h"

#include <gtest/gtest.h>

#include "app/loading/tables.h"
#include "state/game.h"
#include "world/tmap.h"

TEST(Grid, StorageIsXMajorAndCreationClearsIt) {
  game.mapGrid[3][5] = 9;
  EXPECT_EQ(game.mapGrid.Data()[3 * 2048 + 5], 9);
  game.mapGrid[2047][2047] = 7;
  EXPECT_EQ(game.mapGrid.Data()[kMapCells - 1], 7);
  // The program entry's table creation gives an all-zero grid.
  CreateTables();
  for (size_t i = 0; i < kMapCells; ++i) ASSERT_EQ(game.mapGrid.Data()[i], 0) << i;
}

TEST(Grid, CellBitsKeepsFieldsInPlace) {
  EXPECT_EQ(CellBits(255, 5, 6), 6);
  EXPECT_EQ(CellBits(255, 0, 4), 248);
  EXPECT_EQ(CellBits(255, 7, 7), 1);
  EXPECT_EQ(CellBits(255, 5, 5), 4);
  for (int v = 0; v < 256; ++v) {
    const auto cell = static_cast<uint8_t>(v);
    EXPECT_EQ(CellBits(cell, 0, 7), v);
    // Every field is its mask applied to the cell, not shifted down.
    EXPECT_EQ(CellBits(cell, 7, 7), v & 0x01);
    EXPECT_EQ(CellBits(cell, 5, 6), v & 0x06);
    EXPECT_EQ(CellBits(cell, 5, 5), v & 0x04);
    EXPECT_EQ(CellBits(cell, 0, 4), v & 0xF8);
  }
}

TEST(Grid, CellEncodingOfOceanAndHighLand) {
  // Ocean is exactly 2: kind 1, not land.
  EXPECT_EQ(CellBits(2, 5, 6) >> 1, 1);
  EXPECT_EQ(CellBits(2, 7, 7), 0);
  // Land of height 27 and kind 2 (grass).
  const uint8_t cell = 27 * 8 + 2 * 2 + 1;
  EXPECT_EQ(cell, 221);
  EXPECT_EQ(CellBits(cell, 0, 4) >> 3, 27);
  EXPECT_EQ(CellBits(cell, 5, 6) >> 1, 2);
  EXPECT_EQ(CellBits(cell, 7, 7), 1);
}

TEST(Grid, GetposIsZeroOutsideAndReadsOnlyTheLandBit) {
  CreateMapGrid();
  EXPECT_EQ(TMap::getpos(-1, 5), 0);
  EXPECT_EQ(TMap::getpos(2048, 0), 0);
  EXPECT_EQ(TMap::getpos(0, 2048), 0);
  EXPECT_EQ(TMap::getpos(5, -1), 0);
  EXPECT_EQ(TMap::getpos(-2147483647 - 1, 2147483647), 0);
  EXPECT_EQ(TMap::getpos(0, 0), -1);
  EXPECT_EQ(TMap::getpos(2047, 2047), -1);
  game.mapGrid[10][20] = 221;
  game.mapGrid[20][10] = 2;
  game.mapGrid[11][20] = 0xFE;  // everything but the land bit
  EXPECT_EQ(TMap::getpos(10, 20), 1);
  EXPECT_EQ(TMap::getpos(20, 10), -1);
  EXPECT_EQ(TMap::getpos(11, 20), -1);
  game.mapGrid[2047][0] = 1;
  EXPECT_EQ(TMap::getpos(2047, 0), 1);
}

// The library's passes against the cell-by-cell transcriptions in reference.cpp: the same
// grids, random states and file bytes on several seeds and parameter sets.
#include <gtest/gtest.h>

#include "reference.h"
#include "rules/random.h"
#include "state/game.h"
#include "test_support.h"
#include "world/tmap.h"

namespace {

struct TWorldCase {
  int32_t seed;
  TParams params;
  bool compareFiles;
};

// Runs pass on the current grid twice, once as the library does it and once as the
// reference does, and checks that both give the same grid; leaves that grid in place.
template <typename Library, typename Reference>
void ExpectSamePass(const char* name, Library library, Reference reference) {
  const auto start = GridCopy();
  reference();
  const auto expected = GridCopy();
  SetGrid(start);
  library();
  EXPECT_TRUE(GridCopy() == expected) << name;
}

void PrintTo(const TWorldCase& c, std::ostream* out) {
  const TParams& p = c.params;
  *out << "seed " << c.seed << ", map " << p.count << " " << p.lengthA << " " << p.lengthB << " "
       << p.widthA << " " << p.widthB << " " << p.roomMax << " " << p.chance;
}

class WholeWorld : public testing::TestWithParam<TWorldCase> {};

}  // namespace

TEST_P(WholeWorld, MatchesTheReferenceAfterEveryPass) {
  const TWorldCase& c = GetParam();
  SetParams(c.params);
  CreateMapGrid();
  SeedRandom(c.seed);
  reference::Createdungeon();
  const int32_t referenceState = RandomState();
  const auto carved = GridCopy();
  CreateMapGrid();
  SeedRandom(c.seed);
  TMap::Createdungeon();
  EXPECT_EQ(RandomState(), referenceState);
  ASSERT_TRUE(GridCopy() == carved);

  ExpectSamePass(
      "smoothmap", [] { TMap::smoothmap(1, 1); }, [] { reference::Smoothmap(1, 1); });
  ExpectSamePass(
      "checkmap", [] { TMap::checkmap(); }, [] { reference::Checkmap(); });
  ExpectSamePass(
      "fillwatermap", [] { TMap::fillwatermap(); }, [] { reference::Fillwatermap(); });
  ExpectSamePass(
      "dekoratemap", [] { TMap::dekoratemap(4); }, [] { reference::Dekoratemap(4); });
  ExpectSamePass(
      "bereichmap", [] { TMap::bereichmap(20); }, [] { reference::Bereichmap(); });
  EXPECT_TRUE(WorldHasLand());

  if (!c.compareFiles) return;
  TempDir dir;
  for (auto [name, first, last] : {std::tuple{"mapall.map", 0, 7},
                                   {"mapcol.map", 7, 7},
                                   {"maptyp.map", 5, 6},
                                   {"maphight.map", 0, 4}}) {
    reference::Savemap(dir / "expected", first, last);
    TMap::Savemap(dir / name, first, last);
    EXPECT_TRUE(ReadFile(dir / name) == ReadFile(dir / "expected")) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Worlds, WholeWorld,
    testing::Values(TWorldCase{1, {400, 30, 160, 6, 16, 30, 10}, true},
                    TWorldCase{77, {600, 20, 150, 2, 7, 12, 40}, false},
                    TWorldCase{-9, {1500, 10, 120, 3, 12, 20, 25}, true},
                    TWorldCase{12345, {300, 100, 900, 0, 12, 40, 3}, false},
                    // Bands two cells wide, which the smoothing keeps only in some directions.
                    TWorldCase{5, {800, -60, 200, 1, 1, -3, 4}, false},
                    // Walks pressed against the edges of the world.
                    TWorldCase{2024, {200, 1500, 3000, 2, 6, 2, 2}, false}));

namespace {

// Land and non-land noise, with some cells already marked, so that fills meet every case.
void MakeNoise(int32_t seed, int32_t landPercent) {
  SeedRandom(seed);
  for (size_t i = 0; i < kMapCells; ++i) {
    const int32_t r = RandomInt(0, 99);
    game.mapGrid.Data()[i] = static_cast<uint8_t>((r < landPercent ? 1 : 0) + (r % 37 == 0 ? 4 : 0));
  }
}

}  // namespace

TEST(WindowPasses, OtherRadiiAndPassCountsMatchTheReference) {
  for (int32_t radius : {-1, 0, 2, 3}) {
    MakeNoise(radius + 10, 52);
    ExpectSamePass(
        "smoothmap", [=] { TMap::smoothmap(radius, 2); }, [=] { reference::Smoothmap(radius, 2); });
    MakeNoise(radius + 20, 70);
    ExpectSamePass(
        "dekoratemap", [=] { TMap::dekoratemap(radius); }, [=] { reference::Dekoratemap(radius); });
  }
}

TEST(WindowPasses, WindowsLargerThanTheGridAreCutToIt) {
  // From radius 2046 on every window covers the whole grid, so larger radii, up to the
  // largest integer, must give the same result.
  MakeNoise(3, 50);
  const auto noise = GridCopy();
  TMap::smoothmap(2046, 1);
  const auto smoothed = GridCopy();
  SetGrid(noise);
  TMap::smoothmap(2147483647, 1);
  EXPECT_TRUE(GridCopy() == smoothed);

  SetGrid(noise);
  int64_t sum = 0;
  for (size_t i = 0; i < kMapCells; ++i) sum += (noise[i] & 1) != 0 ? 1 : -1;
  const int64_t h = std::max<int64_t>(sum / 3, 0);
  TMap::dekoratemap(2147483647);
  for (int32_t x = 1; x < 2047; x += 97) {
    for (int32_t y = 1; y < 2047; y += 89) {
      const uint8_t before = noise[static_cast<size_t>(x) * 2048 + y];
      const auto expected = static_cast<uint8_t>((before & 1) != 0 ? before + h * 8 : before);
      ASSERT_EQ(game.mapGrid[x][y], expected) << x << "," << y;
    }
  }
}

TEST(FloodFill, MarksTheSameCellsAsTheListWalk) {
  for (int32_t target : {1, -1}) {
    for (int32_t seed : {1, 2}) {
      MakeNoise(seed, target == 1 ? 62 : 38);
      const int32_t x = 100 + 700 * seed;
      const int32_t y = 1900 - 500 * seed;
      ExpectSamePass(
          "Checkpoint", [=] { TMap::Checkpoint(x, y, target); },
          [=] { reference::Checkpoint(x, y, target); });
    }
  }
  // A start on the grid's corner, and one outside the grid next to it.
  MakeNoise(9, 40);
  ExpectSamePass(
      "Checkpoint", [] { TMap::Checkpoint(0, 2047, -1); },
      [] { reference::Checkpoint(0, 2047, -1); });
  ExpectSamePass(
      "Checkpoint", [] { TMap::Checkpoint(-1, 5, -1); }, [] { reference::Checkpoint(-1, 5, -1); });
  // A target that no cell has marks nothing.
  const auto before = GridCopy();
  TMap::Checkpoint(1000, 1000, 0);
  EXPECT_TRUE(GridCopy() == before);
}

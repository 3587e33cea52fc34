#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "rules/random.h"
#include "state/game.h"
#include "test_support.h"
#include "world/tmap.h"

namespace {

// Replays the draws of one walk step as the carver makes them; true when a room is drawn.
bool ReplayStep(int32_t chance, int32_t roomMax) {
  RandomInt(game.pathWidthA, game.pathWidthB);
  if (RandomInt(chance, 1) != 1) return false;
  RandomInt(2, roomMax);
  return true;
}

bool RingIsEmpty() {
  for (int32_t i = 0; i < kMapSize; ++i) {
    if (game.mapGrid[0][i] | game.mapGrid[2047][i] | game.mapGrid[i][0] | game.mapGrid[i][2047]) return false;
  }
  return true;
}

}  // namespace

TEST(Carver, SegmentTargetsMirrorAtTheEdgeAndClamp) {
  // Angle 90 points along +x, angle 0 along +y.
  EXPECT_EQ(SegmentTarget(1024, 1024, 90, 10).x, 1034);
  EXPECT_EQ(SegmentTarget(1024, 1024, 0, 5).y, 1029);
  // From column 2046 a segment pointing out of the world is mirrored, not clamped.
  EXPECT_EQ(SegmentTarget(2046, 1000, 90, 10).x, 2036);
  EXPECT_EQ(SegmentTarget(2046, 1000, 90, 10).y, 1000);
  EXPECT_EQ(SegmentTarget(1, 1000, 270, 10).x, 11);
  EXPECT_EQ(SegmentTarget(1000, 1, 180, 10).y, 11);
  EXPECT_EQ(SegmentTarget(1000, 2046, 0, 10).y, 2036);
  // One column inside the edge nothing is mirrored: the target is clamped.
  EXPECT_EQ(SegmentTarget(2045, 1000, 90, 10).x, 2046);
  EXPECT_EQ(SegmentTarget(2, 1000, 270, 10).x, 1);
  // Only the axis that leaves is mirrored; the other keeps the unmirrored angle.
  const Tpoint corner = SegmentTarget(2046, 2046, 135, 100);
  EXPECT_EQ(corner.x, 1975);  // 2046 - sin(135) * 100 = 1975.29
  EXPECT_EQ(corner.y, 1975);  // 2046 + cos(135) * 100 = 1975.29
  // A negative length turns the segment round, and truncation goes toward zero.
  EXPECT_EQ(SegmentTarget(1024, 1024, 45, -10).x, 1016);  // 1024 - 7.07 = 1016.93
  // Targets far outside the world, even beyond the 32-bit range, stop at the edge.
  EXPECT_EQ(SegmentTarget(1024, 1024, 90, 2147483647).x, 2046);
  EXPECT_EQ(SegmentTarget(1024, 1024, 270, 2147483647).x, 1);
  EXPECT_EQ(SegmentTarget(1024, 1024, 90, -2147483647 - 1).x, 1);
}

TEST(Carver, SegmentCountFollowsPathCount) {
  // A negative count carves nothing and draws nothing.
  CreateMapGrid();
  SetParams({-1, 10, 10, 2, 2, 5, 3});
  SeedRandom(99);
  TMap::Createdungeon();
  EXPECT_EQ(CountLand(), 0);
  SeedRandom(99);
  const int32_t untouched = RandomState();
  SeedRandom(99);
  TMap::Createdungeon();
  EXPECT_EQ(RandomState(), untouched);

  // Count 0 and length 0: one segment whose target is its start, so the walk steps run
  // exactly once: one 3 x 3 stamp at the centre. A seed without a room keeps it alone.
  SetParams({0, 0, 0, 2, 2, 4, 2147483647});
  int32_t seed = 1;
  for (;; ++seed) {
    SeedRandom(seed);
    RandomInt(0, 359);
    RandomInt(0, 0);
    if (!ReplayStep(game.roomChance, game.roomSizeMax)) break;
  }
  const int32_t expectedState = RandomState();
  CreateMapGrid();
  SeedRandom(seed);
  TMap::Createdungeon();
  EXPECT_EQ(RandomState(), expectedState);
  EXPECT_EQ(CountLand(), 9);
  for (int32_t x = 1024; x <= 1026; ++x) {
    for (int32_t y = 1024; y <= 1026; ++y) EXPECT_EQ(game.mapGrid[x][y], 1);
  }
}

TEST(Carver, WalkStampsBeforeEachStepAlongTheSegment) {
  // A seed whose first angle is 0 and whose five steps draw no room: with length 5 and
  // stamp size 0 the walker stamps single cells at y = 1024..1028 while moving along +y.
  SetParams({0, 5, 5, 0, 0, 3, 1000000});
  int32_t seed = 1;
  for (;; ++seed) {
    SeedRandom(seed);
    if (RandomInt(0, 359) != 0) continue;
    RandomInt(5, 5);
    bool room = false;
    for (int step = 0; step < 5; ++step) room = ReplayStep(game.roomChance, game.roomSizeMax) || room;
    if (!room) break;
  }
  const int32_t expectedState = RandomState();
  CreateMapGrid();
  SeedRandom(seed);
  TMap::Createdungeon();
  EXPECT_EQ(RandomState(), expectedState);
  EXPECT_EQ(CountLand(), 5);
  for (int32_t y = 1024; y <= 1028; ++y) EXPECT_EQ(game.mapGrid[1024][y], 1);
  // The stamp is written before the step, so the target itself stays uncarved.
  EXPECT_EQ(game.mapGrid[1024][1029], 0);
}

TEST(Carver, NegativeStampsLeaveOnlyRooms) {
  // Both stamp bounds negative and a room chance that never comes up: nothing is carved,
  // yet every step still draws its stamp size and room chance.
  SetParams({3, 20, 40, -5, -1, 6, -2000000000});
  CreateMapGrid();
  SeedRandom(5);
  TMap::Createdungeon();
  EXPECT_EQ(CountLand(), 0);
  EXPECT_NE(RandomState(), 5);
  // A room at every step: land appears only as rooms around the segment target.
  SetParams({0, 30, 30, -5, -1, 2, 1});
  CreateMapGrid();
  SeedRandom(5);
  TMap::Createdungeon();
  EXPECT_EQ(CountLand(), 25);  // the same 5 x 5 room around the one target, at every step
}

TEST(Carver, HugeStampsClampToTheInnerRectangle) {
  // A stamp of size 2000000000 costs only the cells inside the grid; rooms as large cover
  // the whole inside. The outer ring is never carved.
  SetParams({2, 0, 50, 2000000000, 2000000000, 1, 1000000});
  CreateMapGrid();
  SeedRandom(17);
  TMap::Createdungeon();
  EXPECT_TRUE(RingIsEmpty());
  for (int32_t x = 1024; x <= 2046; x += 11) {
    for (int32_t y = 1024; y <= 2046; y += 13) ASSERT_EQ(game.mapGrid[x][y], 1) << x << "," << y;
  }
  EXPECT_EQ(game.mapGrid[2046][2046], 1);

  SetParams({0, 0, 0, -1, -1, 2000000000, 1});
  CreateMapGrid();
  SeedRandom(17);
  TMap::Createdungeon();
  EXPECT_TRUE(RingIsEmpty());
  EXPECT_EQ(CountLand(), int64_t{2046} * 2046);
}

TEST(Carver, OuterRingStaysUncarvedOnLongWalks) {
  for (int32_t seed : {1, 2, 3}) {
    SetParams({300, 100, 900, 0, 12, 40, 3});
    CreateMapGrid();
    SeedRandom(seed);
    TMap::Createdungeon();
    EXPECT_TRUE(RingIsEmpty()) << seed;
    // The walk reached the edges, so the ring was really at stake.
    bool touchesEdge = false;
    for (int32_t i = 1; i < 2047; ++i) {
      touchesEdge = touchesEdge || game.mapGrid[1][i] || game.mapGrid[2046][i] || game.mapGrid[i][1] || game.mapGrid[i][2046];
    }
    EXPECT_TRUE(touchesEdge) << seed;
  }
}

namespace {

// The steps of the walk the parameters in force ask for, counted draw by draw apart from the
// carver, after each segment up to the one that passes the cap.
std::vector<int64_t> StepsAfterEachSegment(int32_t seed) {
  SeedRandom(seed);
  std::vector<int64_t> after;
  int64_t steps = 0;
  Tpoint at{kMapSize / 2, kMapSize / 2};
  for (int64_t segment = 0; segment <= game.pathCount; ++segment) {
    const int32_t angle = RandomInt(0, 359);
    const Tpoint target = SegmentTarget(at.x, at.y, angle, RandomInt(game.pathLengthA, game.pathLengthB));
    do {
      ReplayStep(game.roomChance, game.roomSizeMax);
      at.x += (at.x < target.x) - (at.x > target.x);
      at.y += (at.y < target.y) - (at.y > target.y);
      ++steps;
    } while (at.x != target.x || at.y != target.y);
    after.push_back(steps);
    if (steps > kMaxCarveSteps) break;
  }
  return after;
}

}  // namespace

TEST(Carver, RefusesWalksBeyondTheCapBeforeCarving) {
  // Values that can only overrun are refused at once: nothing carved, nothing drawn.
  for (const TParams& p : {TParams{2147483647, 0, 0, -1, -1, 2, 1000000},
                           TParams{2147483647, 2147483647, 2147483647, 2000000000, 9, 2000000000, 1},
                           TParams{16777216, 0, 0, 2000000000, 2000000000, 2, 1}}) {
    SetParams(p);
    CreateMapGrid();
    SeedRandom(5);
    EXPECT_EQ(TMap::Createdungeon(), kCarveTooLong) << p.count;
    EXPECT_EQ(CountLand(), 0);
    EXPECT_EQ(RandomState(), 5);
  }

  // Where only the draws decide, the check refuses exactly the walks that pass the cap: the
  // segments up to the one that crosses it fit, one segment more does not.
  SetParams({30000, 2000, 2000, -1, -1, 2, 1000000});
  const std::vector<int64_t> after = StepsAfterEachSegment(7);
  const auto crossing = std::upper_bound(after.begin(), after.end(), kMaxCarveSteps);
  ASSERT_NE(crossing, after.end()) << "the walk must cross the cap for this test";
  const auto fitting = static_cast<int32_t>(crossing - after.begin()) - 1;  // pathCount: segments - 1
  for (const auto& [count, fits] : {std::pair{fitting, true}, std::pair{fitting + 1, false}}) {
    SetParams({count, 2000, 2000, -1, -1, 2, 1000000});
    EXPECT_EQ(WalkFits(MapParams(), SeededState(7)), fits) << count;
    SeedRandom(7);
    EXPECT_EQ(TMap::Createdungeon(), fits ? 0 : kCarveTooLong) << count;
  }
  EXPECT_EQ(RandomState(), SeededState(7)) << "a refusal leaves the generator as it was";
}

namespace {

// The cells of the square from `low` to `high` on both axes of a corner, clamped to the inside.
int64_t ClampedSpan(int64_t low, int64_t high) {
  return std::clamp<int64_t>(high, 1, 2046) - std::clamp<int64_t>(low, 1, 2046) + 1;
}

// The cells the walk in force writes, every stamp and room counted, after each segment up to
// the one that passes the cell cap: counted draw by draw apart from the carver.
std::vector<int64_t> CellsAfterEachSegment(int32_t seed) {
  SeedRandom(seed);
  std::vector<int64_t> after;
  int64_t cells = 0;
  Tpoint at{kMapSize / 2, kMapSize / 2};
  for (int64_t segment = 0; segment <= game.pathCount; ++segment) {
    const int32_t angle = RandomInt(0, 359);
    const Tpoint target = SegmentTarget(at.x, at.y, angle, RandomInt(game.pathLengthA, game.pathLengthB));
    do {
      const int64_t b = RandomInt(game.pathWidthA, game.pathWidthB);
      if (b >= 0) cells += ClampedSpan(at.x, at.x + b) * ClampedSpan(at.y, at.y + b);
      if (RandomInt(game.roomChance, 1) == 1) {
        const int64_t h = RandomInt(2, game.roomSizeMax);
        if (h >= 0) cells += ClampedSpan(target.x - h, target.x + h) * ClampedSpan(target.y - h, target.y + h);
      }
      at.x += (at.x < target.x) - (at.x > target.x);
      at.y += (at.y < target.y) - (at.y > target.y);
    } while (at.x != target.x || at.y != target.y);
    after.push_back(cells);
    if (cells > kMaxCarveCells) break;
  }
  return after;
}

}  // namespace

TEST(Carver, RefusesWalksThatWriteTooManyCells) {
  // Few enough steps, but each stamps the whole inside of the world: hours of carving.
  SetParams({16000000, 1, 1, 2047, 2047, 2047, 3});
  CreateMapGrid();
  SeedRandom(5);
  EXPECT_FALSE(WalkFits(MapParams(), SeededState(5)));
  EXPECT_EQ(TMap::Createdungeon(), kCarveTooLong);
  EXPECT_EQ(CountLand(), 0);
  EXPECT_EQ(RandomState(), SeededState(5));
  // The count stops just past the cap, long before the walk's end.
  const TCarveWork work = CountCarveWork(MapParams(), SeededState(5));
  EXPECT_GT(work.cells, kMaxCarveCells);
  EXPECT_LT(work.cells, kMaxCarveCells + 2 * int64_t{2046} * 2046);
  EXPECT_LT(work.steps, 2000);

  // Where the draws decide, the segments up to the one that crosses the cap fit and one more
  // does not, counted as the carver counts: every cell of every stamp and room.
  SetParams({30000, 2000, 2000, 600, 900, 300, 50});
  const std::vector<int64_t> after = CellsAfterEachSegment(7);
  const auto crossing = std::upper_bound(after.begin(), after.end(), kMaxCarveCells);
  ASSERT_NE(crossing, after.end()) << "the walk must cross the cap for this test";
  const auto fitting = static_cast<int32_t>(crossing - after.begin()) - 1;
  SetParams({fitting, 2000, 2000, 600, 900, 300, 50});
  EXPECT_TRUE(WalkFits(MapParams(), SeededState(7)));
  SetParams({fitting + 1, 2000, 2000, 600, 900, 300, 50});
  EXPECT_FALSE(WalkFits(MapParams(), SeededState(7)));
  SeedRandom(7);
  EXPECT_EQ(TMap::Createdungeon(), kCarveTooLong);

  // The shipped parameters are settled without any walk and carve as they always do.
  SetParams({400, 30, 160, 6, 16, 30, 10});
  EXPECT_TRUE(WalkFits(MapParams(), SeededState(3)));
  EXPECT_LT(CountCarveWork(MapParams(), SeededState(3)).cells, kMaxCarveCells / 100);
}

TEST(Carver, HeartbeatNeitherChangesTheWorldNorKeepsAStoppedOneGoing) {
  SetParams({300, 100, 900, 0, 12, 40, 3});
  CreateMapGrid();
  SeedRandom(2);
  TMap::Createdungeon();
  const auto plain = GridCopy();
  const int32_t plainState = RandomState();

  static int beats = 0;
  beats = 0;
  SetCarveHeartbeat([] { return ++beats > 0; });
  CreateMapGrid();
  SeedRandom(2);
  EXPECT_EQ(TMap::Createdungeon(), 0);
  EXPECT_GT(beats, 0);
  EXPECT_EQ(GridCopy(), plain);
  EXPECT_EQ(RandomState(), plainState);

  // The heaviest walk the cap allows (4000 steps that each stamp a quarter of the world) ends
  // at the first beat that says stop.
  beats = 0;
  SetCarveHeartbeat([] { return ++beats < 3; });
  SetParams({3999, 0, 0, 2046, 2046, 2, 1000000});
  SeedRandom(2);
  EXPECT_EQ(TMap::Createdungeon(), kCarveStopped);
  EXPECT_EQ(beats, 3);
  SetCarveHeartbeat(nullptr);
}

TEST(Parameters, LoadtypeReadsSevenLinesAsTheGameConvertsThem) {
  TempDir dir;
  const std::string path = dir / "map.txt";
  WriteFile(path, "  42\r\n-17abc\n\n+\n$ff\n%101\n7\n99\n");
  game.mapParamsFile = path;
  bool opened = false;
  TMap::Loadtype(CDungeon, &opened);
  EXPECT_TRUE(opened);
  EXPECT_EQ(game.pathCount, 42);
  EXPECT_EQ(game.pathLengthA, -17);
  EXPECT_EQ(game.pathLengthB, 0);
  EXPECT_EQ(game.pathWidthA, 0);
  EXPECT_EQ(game.pathWidthB, 255);
  EXPECT_EQ(game.roomSizeMax, 5);
  EXPECT_EQ(game.roomChance, 7);

  // A short file: the missing lines read as 0, the last line needs no line end.
  WriteFile(path, "5\n6");
  SetParams({1, 1, 1, 1, 1, 1, 1});
  TMap::Loadtype(CDungeon, &opened);
  EXPECT_TRUE(opened);
  EXPECT_EQ(game.pathCount, 5);
  EXPECT_EQ(game.pathLengthA, 6);
  EXPECT_EQ(game.pathLengthB, 0);
  EXPECT_EQ(game.roomChance, 0);
  game.mapParamsFile = "map.txt";
}

TEST(Parameters, UnopenableFileIsReported) {
  TempDir dir;
  game.mapParamsFile = dir / "missing.txt";
  SetParams({1, 1, 1, 1, 1, 1, 1});
  bool opened = true;
  TMap::Loadtype(CDungeon, &opened);
  EXPECT_FALSE(opened);
  EXPECT_EQ(game.pathCount, 0);
  EXPECT_EQ(game.roomChance, 0);

  // A folder opens on Linux but holds no parameters.
  game.mapParamsFile = dir.path().string();
  opened = true;
  TMap::Loadtype(CDungeon, &opened);
  EXPECT_FALSE(opened);

  // Create reports it too, and carves nothing, leaving the grid cleared.
  game.mapGrid[500][500] = 1;
  bool paramsRead = true;
  TMap::Create(CDungeon, &paramsRead);
  EXPECT_FALSE(paramsRead);
  EXPECT_EQ(CountLand(), 0);
  game.mapParamsFile = "map.txt";
}

TEST(Parameters, CreateClearsTheGridThenCarvesFromTheFile) {
  TempDir dir;
  game.mapParamsFile = dir / "map.txt";
  WriteFile(game.mapParamsFile, "-1\n10\n10\n2\n2\n4\n3\n");
  std::fill(game.mapGrid.Data(), game.mapGrid.Data() + kMapCells, 0xFF);
  bool paramsRead = false;
  TMap::Create(CDungeon, &paramsRead);
  EXPECT_TRUE(paramsRead);
  EXPECT_EQ(CountLand(), 0);
  EXPECT_EQ(*std::max_element(game.mapGrid.Data(), game.mapGrid.Data() + kMapCells), 0);

  WriteFile(game.mapParamsFile, "20\n10\n60\n2\n5\n8\n4\n");
  SeedRandom(3);
  TMap::Create(CDungeon, &paramsRead);
  const auto carved = GridCopy();
  CreateMapGrid();
  SeedRandom(3);
  TMap::Createdungeon();
  EXPECT_EQ(GridCopy(), carved);
  EXPECT_GT(CountLand(), 0);
  game.mapParamsFile = "map.txt";
}

// Reading the generator parameters and carving land with the random walk.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/files/textio.h"
#include "rules/degrees.h"
#include "rules/random.h"
#include "state/game.h"
#include "world/tmap.h"

namespace {

constexpr int64_t kFirstInner = 1;
constexpr int64_t kLastInner = kMapSize - 2;

// The carver never writes the outer ring of the grid.
int32_t ClampCell(int64_t v) { return static_cast<int32_t>(std::clamp(v, kFirstInner, kLastInner)); }

// Truncation toward zero followed by the clamp. Done on the real value, so a target far
// beyond the 32-bit range (a huge segment length) still lands on the nearest edge.
int32_t ClampTruncated(double v) {
  if (v < static_cast<double>(kFirstInner)) return static_cast<int32_t>(kFirstInner);
  if (v >= static_cast<double>(kLastInner + 1)) return static_cast<int32_t>(kLastInner);
  return TruncToInt(v);
}

// How many cells the carver writes between two heartbeats: a few milliseconds of work.
constexpr int64_t kCellsPerBeat = int64_t{1} << 24;

bool (*carveHeartbeat)() = nullptr;

// Sets the cells of the clamped rectangle to CMapWeg; the cells written. Clamping the corners
// first makes a huge stamp cost only the cells it writes.
int64_t StampRect(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  const int32_t ya = ClampCell(y0);
  const int32_t yb = ClampCell(y1);
  int64_t cells = 0;
  for (int32_t x = ClampCell(x0), xe = ClampCell(x1); x <= xe; ++x) {
    std::memset(&game.mapGrid[x][ya], CMapWeg, static_cast<size_t>(yb - ya + 1));
    cells += yb - ya + 1;
  }
  return cells;
}

}  // namespace

int32_t TMap::Loadtype(int32_t, bool* opened) {
  if (game.mapParamsGiven) {
    const std::array<int32_t, 7>& p = *game.mapParamsGiven;
    game.pathCount = p[0];
    game.pathLengthA = p[1];
    game.pathLengthB = p[2];
    game.pathWidthA = p[3];
    game.pathWidthB = p[4];
    game.roomSizeMax = p[5];
    game.roomChance = p[6];
    if (opened != nullptr) *opened = true;
    return 0;
  }
  const TStreamPtr file = OpenReadStream(game.mapParamsFile);
  if (opened != nullptr) {
    // A folder opens for reading here but yields no bytes: it is no parameters file.
    std::error_code error;
    *opened = file != nullptr && !std::filesystem::is_directory(game.mapParamsFile, error);
  }
  game.pathCount = TextToInt(ReadLine(file));
  game.pathLengthA = TextToInt(ReadLine(file));
  game.pathLengthB = TextToInt(ReadLine(file));
  game.pathWidthA = TextToInt(ReadLine(file));
  game.pathWidthB = TextToInt(ReadLine(file));
  game.roomSizeMax = TextToInt(ReadLine(file));
  game.roomChance = TextToInt(ReadLine(file));
  CloseStream(file);
  return 0;
}

int32_t TMap::Create(int32_t kind, bool* paramsRead) {
  game.mapGrid.Clear();
  bool opened = false;
  Loadtype(kind, &opened);
  if (opened && kind != CDungeon) Loadtype(CDungeon, &opened);
  if (paramsRead != nullptr) *paramsRead = opened;
  if (!opened) return 0;
  return Createdungeon();
}

Tpoint SegmentTarget(int32_t wx, int32_t wy, int32_t angle, int32_t len) {
  double s = 0.0;
  double c = 0.0;
  SinCosDeg(angle, s, c);
  double tx = wx + s * len;
  double ty = wy + c * len;
  // The edge checks use the walker's start and the unmirrored angle: a segment that would
  // leave the world from its edge row or column is mirrored inwards on that axis.
  if (wx < 2 && s < 0) tx = wx - s * len;
  if (wy < 2 && c < 0) ty = wy - c * len;
  if (wx > kMapSize - 3 && s > 0) tx = wx - s * len;
  if (wy > kMapSize - 3 && c > 0) ty = wy - c * len;
  return {ClampTruncated(tx), ClampTruncated(ty)};
}

TMapParams MapParams() {
  return {game.pathCount, game.pathLengthA, game.pathLengthB, game.pathWidthA, game.pathWidthB, game.roomSizeMax, game.roomChance};
}

void SetCarveHeartbeat(bool (*beat)()) { carveHeartbeat = beat; }

namespace {

// The walk with the generator's draws in their order. Carving, it stamps land and asks the
// heartbeat now and then whether to go on (false: kCarveStopped); dry, it only counts the
// steps and stops once they pass kMaxCarveSteps. Either way the result is the steps taken.
template <bool kCarve>
int64_t Walk(const TMapParams& p) {
  int32_t tx = kMapSize / 2;
  int32_t ty = kMapSize / 2;
  int64_t steps = 0;
  int64_t work = 0;
  // 64-bit counter: the segment count may be the largest 32-bit value.
  for (int64_t segment = 0; segment <= p[0]; ++segment) {
    int32_t wx = tx;
    int32_t wy = ty;
    const int32_t angle = RandomInt(0, 359);
    const int32_t len = RandomInt(p[1], p[2]);
    const Tpoint target = SegmentTarget(wx, wy, angle, len);
    tx = target.x;
    ty = target.y;
    do {
      const int64_t b = RandomInt(p[3], p[4]);
      if (kCarve && b >= 0) work += StampRect(wx, wy, wx + b, wy + b);
      if (RandomInt(p[6], 1) == 1) {
        const int64_t half = RandomInt(2, p[5]);
        if (kCarve && half >= 0) work += StampRect(tx - half, ty - half, tx + half, ty + half);
      }
      wx += (wx < tx) - (wx > tx);
      wy += (wy < ty) - (wy > ty);
      ++steps;
      if (!kCarve && steps > kMaxCarveSteps) return steps;
      if (kCarve && work >= kCellsPerBeat) {
        work = 0;
        if (carveHeartbeat != nullptr && !carveHeartbeat()) return -1;
      }
    } while (wx != tx || wy != ty);
  }
  return steps;
}

}  // namespace

bool WalkFits(const TMapParams& p, int32_t rngState) {
  // Every segment takes at least one step and at most as many as its longest length (its
  // target is truncated and clamped towards its start), and never more than the world is wide.
  const int64_t segments = p[0] < 0 ? 0 : int64_t{p[0]} + 1;
  if (segments > kMaxCarveSteps) return false;
  const int64_t longest = std::max(std::abs(int64_t{p[1]}), std::abs(int64_t{p[2]}));
  if (segments * std::clamp<int64_t>(longest + 1, 1, kMapSize) <= kMaxCarveSteps) return true;
  // Only the draws can tell: the walk is walked without carving.
  const int32_t saved = RandomState();
  SetRandomState(rngState);
  const int64_t steps = Walk<false>(p);
  SetRandomState(saved);
  return steps <= kMaxCarveSteps;
}

int32_t TMap::Createdungeon() {
  const TMapParams params = MapParams();
  if (!WalkFits(params, RandomState())) return kCarveTooLong;
  return Walk<true>(params) < 0 ? kCarveStopped : 0;
}

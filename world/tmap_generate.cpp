// Reading the generator parameters and carving land with the random walk.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

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

// The cells of the clamped rectangle (x0 <= x1, y0 <= y1), as StampRect writes them.
int64_t RectCells(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  return (int64_t{ClampCell(x1)} - ClampCell(x0) + 1) * (int64_t{ClampCell(y1)} - ClampCell(y0) + 1);
}

// Sets the cells of the clamped rectangle to CMapWeg; the cells written. Clamping the corners
// first makes a huge stamp cost only the cells it writes.
int64_t StampRect(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  const int32_t ya = ClampCell(y0);
  const int32_t yb = ClampCell(y1);
  for (int32_t x = ClampCell(x0), xe = ClampCell(x1); x <= xe; ++x) {
    std::memset(&game.mapGrid[x][ya], CMapWeg, static_cast<size_t>(yb - ya + 1));
  }
  return RectCells(x0, y0, x1, y1);
}

// Sine and cosine of each whole angle the walk draws, worked out once: the long walks the
// bound check counts through draw an angle for every segment.
struct TAngleTable {
  std::array<double, 360> sin{};
  std::array<double, 360> cos{};
  TAngleTable() {
    for (int32_t a = 0; a < 360; ++a) SinCosDeg(a, sin[a], cos[a]);
  }
};

const TAngleTable& Angles() {
  static const TAngleTable table;
  return table;
}

Tpoint TargetFrom(int32_t wx, int32_t wy, double s, double c, int32_t len) {
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
  if (angle >= 0 && angle < 360) return TargetFrom(wx, wy, Angles().sin[angle], Angles().cos[angle], len);
  double s = 0.0;
  double c = 0.0;
  SinCosDeg(angle, s, c);
  return TargetFrom(wx, wy, s, c, len);
}

TMapParams MapParams() {
  return {game.pathCount, game.pathLengthA, game.pathLengthB, game.pathWidthA, game.pathWidthB, game.roomSizeMax, game.roomChance};
}

void SetCarveHeartbeat(bool (*beat)()) { carveHeartbeat = beat; }

namespace {

// The walk with the generator's draws in their order. Carving, it stamps land and asks the
// heartbeat now and then whether to go on (false: steps is -1, kCarveStopped); dry, it only
// counts, and stops as soon as the steps or the cells pass their cap.
template <bool kCarve>
TCarveWork Walk(const TMapParams& p) {
  int32_t tx = kMapSize / 2;
  int32_t ty = kMapSize / 2;
  TCarveWork work;
  int64_t sinceBeat = 0;
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
      int64_t cells = 0;
      const int64_t b = RandomInt(p[3], p[4]);
      if (b >= 0) cells += kCarve ? StampRect(wx, wy, wx + b, wy + b) : RectCells(wx, wy, wx + b, wy + b);
      if (RandomInt(p[6], 1) == 1) {
        const int64_t half = RandomInt(2, p[5]);
        if (half >= 0) {
          cells += kCarve ? StampRect(tx - half, ty - half, tx + half, ty + half)
                          : RectCells(tx - half, ty - half, tx + half, ty + half);
        }
      }
      wx += (wx < tx) - (wx > tx);
      wy += (wy < ty) - (wy > ty);
      ++work.steps;
      work.cells += cells;
      if (!kCarve && (work.steps > kMaxCarveSteps || work.cells > kMaxCarveCells)) return work;
      sinceBeat += cells;
      if (kCarve && sinceBeat >= kCellsPerBeat) {
        sinceBeat = 0;
        if (carveHeartbeat != nullptr && !carveHeartbeat()) return {-1, work.cells};
      }
    } while (wx != tx || wy != ty);
  }
  return work;
}

// The largest value RandomInt(a, b) can give, either order. A span beyond 32 bits wraps, and
// its draws may then lie anywhere.
int64_t Largest(int32_t a, int32_t b) {
  if (std::abs(int64_t{b} - a) > INT32_MAX) return INT32_MAX;
  return std::max(int64_t{a}, int64_t{b});
}

// The side of a clamped square of `side` cells: never more than the inside of the world.
int64_t ClampedSide(int64_t side) { return std::clamp<int64_t>(side, 0, kLastInner - kFirstInner + 1); }

}  // namespace

TCarveWork CountCarveWork(const TMapParams& p, int32_t rngState) {
  // The count depends on the parameters and the state alone, and a replay asks twice (its
  // reader, then the carver), so the last one is kept.
  struct TLastCount {
    TMapParams params;
    int32_t state;
    TCarveWork work;
  };
  static std::optional<TLastCount> last;
  if (last && last->params == p && last->state == rngState) return last->work;
  const int32_t saved = RandomState();
  SetRandomState(rngState);
  const TCarveWork work = Walk<false>(p);
  SetRandomState(saved);
  last = TLastCount{p, rngState, work};
  return work;
}

bool WalkFits(const TMapParams& p, int32_t rngState) {
  // Every segment takes at least one step and at most as many as its longest length (its
  // target is truncated and clamped towards its start), and never more than the world is wide.
  const int64_t segments = p[0] < 0 ? 0 : int64_t{p[0]} + 1;
  if (segments > kMaxCarveSteps) return false;
  const int64_t longest = std::max(std::abs(int64_t{p[1]}), std::abs(int64_t{p[2]}));
  const int64_t mostSteps = segments * std::clamp<int64_t>(longest + 1, 1, kMapSize);
  // Each step writes at most its largest stamp and its largest room, both clamped.
  const int64_t stamp = ClampedSide(Largest(p[3], p[4]) + 1);
  const int64_t room = ClampedSide(2 * Largest(2, p[5]) + 1);
  if (mostSteps <= kMaxCarveSteps && mostSteps * (stamp * stamp + room * room) <= kMaxCarveCells) return true;
  // Only the draws can tell: the walk is walked without carving.
  const TCarveWork work = CountCarveWork(p, rngState);
  return work.steps <= kMaxCarveSteps && work.cells <= kMaxCarveCells;
}

int32_t TMap::Createdungeon() {
  const TMapParams params = MapParams();
  if (!WalkFits(params, RandomState())) return kCarveTooLong;
  return Walk<true>(params).steps < 0 ? kCarveStopped : 0;
}

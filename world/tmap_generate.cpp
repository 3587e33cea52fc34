// Reading the generator parameters and carving land with the random walk.
#include <algorithm>
#include <cstring>
#include <filesystem>

#include "platform/degrees.h"
#include "platform/random.h"
#include "platform/textio.h"
#include "world/tmap.h"

int32_t pathCount = 0;
int32_t pathLengthA = 0;
int32_t pathLengthB = 0;
int32_t pathWidthA = 0;
int32_t pathWidthB = 0;
int32_t roomSizeMax = 0;
int32_t roomChance = 0;

std::string mapParamsFile = "map.txt";
std::optional<std::array<int32_t, 7>> mapParamsGiven;

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

// Sets the cells of the clamped rectangle to CMapWeg. Clamping the corners first makes a
// huge stamp cost only the cells it writes.
void StampRect(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  const int32_t ya = ClampCell(y0);
  const int32_t yb = ClampCell(y1);
  for (int32_t x = ClampCell(x0), xe = ClampCell(x1); x <= xe; ++x) {
    std::memset(&mapGrid[x][ya], CMapWeg, static_cast<size_t>(yb - ya + 1));
  }
}

}  // namespace

int32_t TMap::Loadtype(int32_t, bool* opened) {
  if (mapParamsGiven) {
    const std::array<int32_t, 7>& p = *mapParamsGiven;
    pathCount = p[0];
    pathLengthA = p[1];
    pathLengthB = p[2];
    pathWidthA = p[3];
    pathWidthB = p[4];
    roomSizeMax = p[5];
    roomChance = p[6];
    if (opened != nullptr) *opened = true;
    return 0;
  }
  const TStreamPtr file = OpenReadStream(mapParamsFile);
  if (opened != nullptr) {
    // A folder opens for reading here but yields no bytes: it is no parameters file.
    std::error_code error;
    *opened = file != nullptr && !std::filesystem::is_directory(mapParamsFile, error);
  }
  pathCount = TextToInt(ReadLine(file));
  pathLengthA = TextToInt(ReadLine(file));
  pathLengthB = TextToInt(ReadLine(file));
  pathWidthA = TextToInt(ReadLine(file));
  pathWidthB = TextToInt(ReadLine(file));
  roomSizeMax = TextToInt(ReadLine(file));
  roomChance = TextToInt(ReadLine(file));
  CloseStream(file);
  return 0;
}

int32_t TMap::Create(int32_t kind, bool* paramsRead) {
  mapGrid.Clear();
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

int32_t TMap::Createdungeon() {
  int32_t tx = kMapSize / 2;
  int32_t ty = kMapSize / 2;
  int64_t steps = 0;
  // 64-bit counter: pathCount may be the largest 32-bit value.
  for (int64_t segment = 0; segment <= pathCount; ++segment) {
    int32_t wx = tx;
    int32_t wy = ty;
    const int32_t angle = RandomInt(0, 359);
    const int32_t len = RandomInt(pathLengthA, pathLengthB);
    const Tpoint target = SegmentTarget(wx, wy, angle, len);
    tx = target.x;
    ty = target.y;
    do {
      const int64_t b = RandomInt(pathWidthA, pathWidthB);
      if (b >= 0) StampRect(wx, wy, wx + b, wy + b);
      if (RandomInt(roomChance, 1) == 1) {
        const int64_t half = RandomInt(2, roomSizeMax);
        if (half >= 0) StampRect(tx - half, ty - half, tx + half, ty + half);
      }
      wx += (wx < tx) - (wx > tx);
      wy += (wy < ty) - (wy > ty);
      if (++steps > kMaxCarveSteps) return -1;
    } while (wx != tx || wy != ty);
  }
  return 0;
}

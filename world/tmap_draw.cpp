#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "platform/video/graphics.h"
#include "platform/video/ground_cache.h"
#include "state/game.h"
#include "world/tmap.h"
#include "world/ttiles.h"

namespace {

constexpr int32_t kCell = 64;
// A block of the ground cache holds the tiles of these many cells a side; a cell's tile
// reaches half a cell to either side of 64 * x, so blocks start half a cell before theirs.
constexpr int32_t kBlockCells = TGroundCache::kBlockPixels / kCell;
constexpr int32_t kBlockStart = -kCell / 2;
// Blocks kept beyond the screen's, drawn ahead of the camera and kept so that walking back
// and forth does not draw them again.
constexpr int32_t kKeptMargin = 1;

void DrawCell(int32_t cx, int32_t cy, int32_t originX, int32_t originY) {
  const uint8_t c = game.mapGrid[cx][cy];
  const int32_t kind = CellBits(c, 5, 6) >> 1;
  const int32_t height = CellBits(c, 0, 4) >> 3;
  TTiles::drawAt(cx, cy, kind, height, TMap::getpos(cx, cy), originX, originY);
}

// Columns left to right, each top to bottom: a cell's edge strips lie over its left and
// upper neighbours, which must already be drawn.
void DrawCells(int32_t x0, int32_t x1, int32_t y0, int32_t y1, int32_t originX, int32_t originY) {
  for (int32_t cx = std::max(x0, 0); cx <= std::min(x1, kMapSize - 1); ++cx) {
    for (int32_t cy = std::max(y0, 0); cy <= std::min(y1, kMapSize - 1); ++cy) DrawCell(cx, cy, originX, originY);
  }
}

int32_t FloorDiv(int32_t a, int32_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0) ? 1 : 0); }

// A block's picture is made of its cells and the column and row after them, whose edge
// strips lie over its last column and row.
TGroundCache::TKey BlockKey(int32_t bx, int32_t by) {
  TGroundCache::TKey key;
  key.reserve((kBlockCells + 1) * (kBlockCells + 1));
  for (int32_t cx = bx * kBlockCells; cx <= (bx + 1) * kBlockCells; ++cx) {
    for (int32_t cy = by * kBlockCells; cy <= (by + 1) * kBlockCells; ++cy) {
      const bool inside = cx >= 0 && cx < kMapSize && cy >= 0 && cy < kMapSize;
      key.push_back(inside ? game.mapGrid[cx][cy] : uint16_t{0xFFFF});
    }
  }
  return key;
}

// The draw state as drawing every cell would leave it: the last cell's shade, full alpha.
void LeaveStateOfCells(int32_t x0, int32_t x1, int32_t y0, int32_t y1) {
  const int32_t lastX = std::min(x1, kMapSize - 1);
  const int32_t lastY = std::min(y1, kMapSize - 1);
  if (x0 < kMapSize && y0 < kMapSize && lastX >= 0 && lastY >= 0) {
    const uint8_t c = game.mapGrid[lastX][lastY];
    const int32_t grey = TTiles::shade(CellBits(c, 0, 4) >> 3, TMap::getpos(lastX, lastY));
    SetColor(grey, grey, grey);
    SetAlpha(1.0f);
    SetDrawScale(1.0f, 1.0f);
  }
}

// The ground under a full-screen camera from the OpenGL driver's blocks: the same pixels
// for a fraction of the fill. False when the cache cannot serve this picture.
bool DrawCached(int32_t x, int32_t y, int32_t w, int32_t h, int32_t x0, int32_t x1, int32_t y0, int32_t y1) {
  const TVex2DGraphics* g = CurrentGraphics();
  TGroundCache* cache = g != nullptr ? g->_driver->GroundCache() : nullptr;
  if (cache == nullptr || x != game.camX || y != game.camY || w != g->g_width || h != g->g_height) return false;
  if (!cache->Begin({game.tileImages.begin(), game.tileImages.end()})) return false;
  constexpr int32_t side = TGroundCache::kBlockPixels;
  // Only blocks with a cell of the world in them or in their last column or row hold ground.
  const auto blocks = [](int32_t from, int32_t to) {
    return std::pair{std::max(from, -1), std::min(to, (kMapSize - 1) / kBlockCells)};
  };
  const auto [bx0, bx1] = blocks(FloorDiv(x - kBlockStart, side), FloorDiv(x + w - 1 - kBlockStart, side));
  const auto [by0, by1] = blocks(FloorDiv(y - kBlockStart, side), FloorDiv(y + h - 1 - kBlockStart, side));
  bool refused = false;  // a block found no room: this frame is drawn cell by cell
  const auto build = [cache, &refused](int32_t bx, int32_t by) {
    TGroundCache::TKey key = BlockKey(bx, by);
    if (refused || cache->Has(bx, by, key)) return false;
    if (!cache->BeginBlock(bx, by)) {
      refused = true;
      return false;
    }
    const int32_t cx = bx * kBlockCells;
    const int32_t cy = by * kBlockCells;
    DrawCells(cx, cx + kBlockCells, cy, cy + kBlockCells, cx * kCell + kBlockStart, cy * kCell + kBlockStart);
    cache->EndBlock(bx, by, std::move(key));
    return true;
  };
  bool built = false;
  for (int32_t bx = bx0; bx <= bx1; ++bx) {
    for (int32_t by = by0; by <= by1; ++by) built = build(bx, by) || built;
  }
  if (refused) {
    cache->Abandon();
    return false;
  }
  // At most one block of the ring around the screen a frame, ahead of the camera: walking
  // then seldom finds a whole row of blocks to draw in one frame.
  const auto [rx0, rx1] = blocks(bx0 - kKeptMargin, bx1 + kKeptMargin);
  const auto [ry0, ry1] = blocks(by0 - kKeptMargin, by1 + kKeptMargin);
  for (int32_t bx = rx0; bx <= rx1 && !built; ++bx) {
    for (int32_t by = ry0; by <= ry1 && !built; ++by) {
      if (bx < bx0 || bx > bx1 || by < by0 || by > by1) built = build(bx, by);
    }
  }
  cache->Draw(bx0, by0, bx1, by1, bx0 * side + kBlockStart - x, by0 * side + kBlockStart - y);
  cache->KeepOnly(bx0 - kKeptMargin, by0 - kKeptMargin, bx1 + kKeptMargin, by1 + kKeptMargin);
  LeaveStateOfCells(x0, x1, y0, y1);
  return true;
}

}  // namespace

int32_t TMap::draw(int32_t x, int32_t y, int32_t w, int32_t h) {
  // Truncating division: a negative camera offset rounds toward zero.
  const int32_t x0 = x / 64 - 2;
  const int32_t x1 = (x + w) / 64 + 2;
  const int32_t y0 = y / 64 - 2;
  const int32_t y1 = (y + h) / 64 + 2;
  // A frame nobody sees (a replay run ahead) only needs the state its drawing leaves.
  if (DrawingSkipped()) {
    LeaveStateOfCells(x0, x1, y0, y1);
  } else if (!DrawCached(x, y, w, h, x0, x1, y0, y1)) {
    DrawCells(x0, x1, y0, y1, game.camX, game.camY);
  }
  return 0;
}

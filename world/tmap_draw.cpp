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

// The blocks under a camera at (x, y), size w x h, and their ring.
struct TBlockRange {
  int32_t bx0, bx1, by0, by1;  // under the screen
  int32_t rx0, rx1, ry0, ry1;  // with the ring around it
};

TBlockRange BlocksUnder(int32_t x, int32_t y, int32_t w, int32_t h) {
  constexpr int32_t side = TGroundCache::kBlockPixels;
  // Only blocks with a cell of the world in them or in their last column or row hold ground.
  const auto blocks = [](int32_t from, int32_t to) {
    return std::pair{std::max(from, -1), std::min(to, (kMapSize - 1) / kBlockCells)};
  };
  const auto [bx0, bx1] = blocks(FloorDiv(x - kBlockStart, side), FloorDiv(x + w - 1 - kBlockStart, side));
  const auto [by0, by1] = blocks(FloorDiv(y - kBlockStart, side), FloorDiv(y + h - 1 - kBlockStart, side));
  const auto [rx0, rx1] = blocks(bx0 - kKeptMargin, bx1 + kKeptMargin);
  const auto [ry0, ry1] = blocks(by0 - kKeptMargin, by1 + kKeptMargin);
  return {bx0, bx1, by0, by1, rx0, rx1, ry0, ry1};
}

// Draws block (bx, by) into the cache unless it is kept already; true when it was drawn.
// `refused` is set when a block found no room, and no more are drawn then.
bool BuildBlock(TGroundCache& cache, int32_t bx, int32_t by, bool& refused) {
  TGroundCache::TKey key = BlockKey(bx, by);
  if (refused || cache.Has(bx, by, key)) return false;
  if (!cache.BeginBlock(bx, by)) {
    refused = true;
    return false;
  }
  const int32_t cx = bx * kBlockCells;
  const int32_t cy = by * kBlockCells;
  DrawCells(cx, cx + kBlockCells, cy, cy + kBlockCells, cx * kCell + kBlockStart, cy * kCell + kBlockStart);
  cache.EndBlock(bx, by, std::move(key));
  return true;
}

// The driver's cache when it can serve a picture of the ground under a full-screen camera at
// (x, y), size w x h, drawn now; else null.
TGroundCache* CacheFor(int32_t x, int32_t y, int32_t w, int32_t h) {
  const TVex2DGraphics* g = CurrentGraphics();
  TGroundCache* cache = g != nullptr ? g->_driver->GroundCache() : nullptr;
  if (cache == nullptr || x != game.camX || y != game.camY || w != g->g_width || h != g->g_height) return nullptr;
  if (!cache->Begin({game.tileImages.begin(), game.tileImages.end()})) return nullptr;
  return cache;
}

// The ground under a full-screen camera from the OpenGL driver's blocks: the same pixels
// for a fraction of the fill. False when the cache cannot serve this picture.
bool DrawCached(int32_t x, int32_t y, int32_t w, int32_t h, int32_t x0, int32_t x1, int32_t y0, int32_t y1) {
  TGroundCache* cache = CacheFor(x, y, w, h);
  if (cache == nullptr) return false;
  constexpr int32_t side = TGroundCache::kBlockPixels;
  const TBlockRange r = BlocksUnder(x, y, w, h);
  bool refused = false;  // a block found no room: this frame is drawn cell by cell
  bool built = false;
  for (int32_t bx = r.bx0; bx <= r.bx1; ++bx) {
    for (int32_t by = r.by0; by <= r.by1; ++by) built = BuildBlock(*cache, bx, by, refused) || built;
  }
  if (refused) {
    cache->Abandon();
    return false;
  }
  // At most one block of the ring around the screen a frame, ahead of the camera: walking
  // then seldom finds a whole row of blocks to draw in one frame.
  for (int32_t bx = r.rx0; bx <= r.rx1 && !built; ++bx) {
    for (int32_t by = r.ry0; by <= r.ry1 && !built; ++by) {
      if (bx < r.bx0 || bx > r.bx1 || by < r.by0 || by > r.by1) built = BuildBlock(*cache, bx, by, refused);
    }
  }
  cache->Draw(r.bx0, r.by0, r.bx1, r.by1, r.bx0 * side + kBlockStart - x, r.by0 * side + kBlockStart - y);
  cache->KeepOnly(r.bx0 - kKeptMargin, r.by0 - kKeptMargin, r.bx1 + kKeptMargin, r.by1 + kKeptMargin);
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

void TMap::prepare(int32_t x, int32_t y, int32_t w, int32_t h) {
  const TVex2DGraphics* g = CurrentGraphics();
  if (g == nullptr || g->_driver->GroundCache() == nullptr || DrawingSkipped()) return;
  const int32_t camX = game.camX;
  const int32_t camY = game.camY;
  const int32_t red = g->color_red, green = g->color_green, blue = g->color_blue;
  const float alpha = g->color_alpha;
  const float scaleX = g->tform_scale_x, scaleY = g->tform_scale_y;
  game.camX = x;
  game.camY = y;
  // The blocks are drawn in the back buffer as a frame would draw them; the next frame clears
  // it before anything is shown.
  Cls();
  if (TGroundCache* cache = CacheFor(x, y, w, h)) {
    const TBlockRange r = BlocksUnder(x, y, w, h);
    bool refused = false;
    for (int32_t bx = r.rx0; bx <= r.rx1; ++bx) {
      for (int32_t by = r.ry0; by <= r.ry1; ++by) BuildBlock(*cache, bx, by, refused);
    }
    // Drawn once too: a software renderer makes its code for a way of drawing on first use.
    constexpr int32_t side = TGroundCache::kBlockPixels;
    if (refused) {
      cache->Abandon();
    } else {
      cache->Draw(r.bx0, r.by0, r.bx1, r.by1, r.bx0 * side + kBlockStart - x, r.by0 * side + kBlockStart - y);
    }
  }
  game.camX = camX;
  game.camY = camY;
  SetColor(red, green, blue);
  SetAlpha(alpha);
  SetDrawScale(scaleX, scaleY);
}

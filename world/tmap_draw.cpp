#include "world/tmap.h"
#include "world/ttiles.h"

int32_t TMap::draw(int32_t x, int32_t y, int32_t w, int32_t h) {
  // Truncating division: a negative camera offset rounds toward zero.
  const int32_t x0 = x / 64 - 2;
  const int32_t x1 = (x + w) / 64 + 2;
  const int32_t y0 = y / 64 - 2;
  const int32_t y1 = (y + h) / 64 + 2;
  // Columns left to right, each top to bottom: a cell's edge strips lie over its left and
  // upper neighbours, which must already be drawn.
  for (int32_t cx = x0; cx <= x1; ++cx) {
    if (cx < 0 || cx > kMapSize - 1) continue;
    for (int32_t cy = y0; cy <= y1; ++cy) {
      if (cy < 0 || cy > kMapSize - 1) continue;
      const uint8_t c = mapGrid[cx][cy];
      const int32_t kind = CellBits(c, 5, 6) >> 1;
      const int32_t height = CellBits(c, 0, 4) >> 3;
      TTiles::draw(cx, cy, kind, height, getpos(cx, cy));
    }
  }
  return 0;
}

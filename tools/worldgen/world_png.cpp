#include "world_png.h"

#include <algorithm>
#include <cstdio>

#include "platform/files/pixmap.h"
#include "platform/files/png.h"
#include "state/game.h"
#include "world/grid.h"

namespace {

struct TRgb {
  uint8_t r, g, b;
};

TRgb CellColour(uint8_t cell) {
  const int kind = (cell & kKindMask) >> 1;
  if ((cell & kLandMask) == 0) {
    if (cell == 2) return {28, 72, 150};  // ocean
    return {24, 82, 36};                  // enclosed non-land: forest
  }
  static constexpr TRgb kTerrain[4] = {
      {150, 108, 62}, {150, 108, 62}, {86, 168, 70}, {226, 206, 140}};
  const int height = (cell & kHeightMask) >> 3;
  const int shade = 128 + std::min(height, 27) * 127 / 27;  // lower ground is darker
  const TRgb base = kTerrain[kind];
  return {static_cast<uint8_t>(base.r * shade / 255), static_cast<uint8_t>(base.g * shade / 255),
          static_cast<uint8_t>(base.b * shade / 255)};
}

}  // namespace

bool WriteWorldPng(const std::string& path) {
  auto picture = TPixmap::Create(kMapSize, kMapSize, PF_RGB888);
  for (int32_t y = 0; y < kMapSize; ++y) {
    for (int32_t x = 0; x < kMapSize; ++x) {
      const TRgb c = CellColour(game.mapGrid[x][y]);
      uint8_t* p = picture->PixelPtr(x, y);
      p[0] = c.r;
      p[1] = c.g;
      p[2] = c.b;
    }
  }
  std::string problem;
  if (!SavePixmapPNG(*picture, path, problem, true)) {
    std::fprintf(stderr, "Cannot write picture %s: %s\n", path.c_str(), problem.c_str());
    return false;
  }
  return true;
}

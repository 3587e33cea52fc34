#include "world/ttiles.h"

#include "platform/video/graphics.h"
#include "state/game.h"

int32_t TTiles::draw(int32_t x, int32_t y, int32_t kind, int32_t height, int32_t land) {
  return drawAt(x, y, kind, height, land, game.camX, game.camY);
}

int32_t TTiles::shade(int32_t height, int32_t land) { return (land == -1 ? 16 : height) * 8 + 30; }

int32_t TTiles::drawAt(int32_t x, int32_t y, int32_t kind, int32_t height, int32_t land, int32_t originX,
                       int32_t originY) {
  // Ocean stays water; every other cell that is not land is drawn as forest.
  if (land == -1 && kind != 1) kind = 4;
  const int32_t grey = shade(height, land);
  SetColor(grey, grey, grey);
  const auto px = static_cast<float>(x * 64 - originX);
  const auto py = static_cast<float>(y * 64 - originY);
  const auto& tile = game.tileImages[static_cast<size_t>(kind)];
  DrawImageFrame(tile, px, py, 0);
  SetAlpha(0.5f);
  SetDrawScale(0.25f, 1.0f);
  DrawImageFrame(tile, px - 40, py, 0);
  SetDrawScale(1.0f, 0.25f);
  DrawImageFrame(tile, px, py - 40, 0);
  SetDrawScale(1.0f, 1.0f);
  SetAlpha(1.0f);
  return 0;
}

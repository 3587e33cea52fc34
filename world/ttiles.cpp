#include "world/ttiles.h"

#include "state/globals.h"
#include "platform/graphics.h"

int32_t TTiles::draw(int32_t x, int32_t y, int32_t kind, int32_t height, int32_t land) {
  if (land == -1) {
    // Ocean stays water; every other cell that is not land is drawn as forest.
    height = 16;
    if (kind != 1) kind = 4;
  }
  const int32_t shade = height * 8 + 30;
  SetColor(shade, shade, shade);
  const auto px = static_cast<float>(x * 64 - camX);
  const auto py = static_cast<float>(y * 64 - camY);
  const auto& tile = tileImages[static_cast<size_t>(kind)];
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

// Draws one cell of the world: its terrain tile shaded by height, and two half-transparent
// squashed copies laid over the borders of its left and upper neighbours so the edges
// between terrains blend.
#pragma once
#include <cstdint>

class TTiles {
 public:
  // kind 0..3 and height 0..31 are the cell's fields; land is TMap::getpos of the cell.
  static int32_t draw(int32_t x, int32_t y, int32_t kind, int32_t height, int32_t land);
  // The same with the world's pixel (originX, originY) at the screen's top-left corner
  // instead of the camera's.
  static int32_t drawAt(int32_t x, int32_t y, int32_t kind, int32_t height, int32_t land, int32_t originX,
                        int32_t originY);
  // The grey the cell's tile is drawn with.
  static int32_t shade(int32_t height, int32_t land);
};

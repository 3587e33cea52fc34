// The cells of the world grid (state/map_grid.h) and what the world code reads of them.
#pragma once
#include <cstdint>

#include "state/game.h"
#include "state/map_grid.h"

// Makes the grid all zero; the program entry calls it once before anything else runs.
void CreateMapGrid();

// Keeps the bits from position first to last (0..7, first <= last) in place and clears the
// others. Each shift is cut to 8 bits, which is what clears the outer bits.
inline uint8_t CellBits(uint8_t value, int32_t first, int32_t last) {
  uint8_t v = static_cast<uint8_t>(value << first);
  v = static_cast<uint8_t>(v >> first);
  v = static_cast<uint8_t>(v >> (7 - last));
  return static_cast<uint8_t>(v << (7 - last));
}

// A cell coordinate, the entry of the flood fill's queue.
struct Tpoint {
  int32_t x = 0;
  int32_t y = 0;
};

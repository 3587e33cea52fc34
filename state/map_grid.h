// The world grid: 2048 x 2048 cells of one byte each, x-major (cell (x, y) is byte
// x * 2048 + y), and the meaning of the bits of a cell.
//
// Bit positions count from the most significant end (position 0 has the value 128):
//   height  positions 0..4  mask 0xF8  height of a land cell (0..27 as generated)
//   kind    positions 5..6  mask 0x06  0 earth, 1 ocean, 2 grass, 3 sand
//   mark    position  5     mask 0x04  visit mark, only while the flood fills run
//   land    position  7     mask 0x01  walkable ground connected to the centre
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int32_t kMapSize = 2048;
constexpr size_t kMapCells = static_cast<size_t>(kMapSize) * kMapSize;

constexpr uint8_t kLandMask = 0x01;
constexpr uint8_t kMarkMask = 0x04;
constexpr uint8_t kKindMask = 0x06;
constexpr uint8_t kHeightMask = 0xF8;

// The cells are held in place, not behind a pointer: in static storage (the game state is),
// hot loops address them without reloading a pointer after every byte store.
class TMapGrid {
 public:
  // mapGrid[x][y]: the column x, indexed by y.
  uint8_t* operator[](int32_t x) { return cells_ + static_cast<size_t>(x) * kMapSize; }
  const uint8_t* operator[](int32_t x) const { return cells_ + static_cast<size_t>(x) * kMapSize; }
  uint8_t* Data() { return cells_; }
  const uint8_t* Data() const { return cells_; }
  void Clear();

 private:
  alignas(64) uint8_t cells_[kMapCells] = {};
};

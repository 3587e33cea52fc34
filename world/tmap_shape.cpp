// Shaping passes over the carved grid: smoothing, reachability, ocean, heights, terrain.
//
// The window passes keep one running sum per row of the grid (the sum over the window's
// columns) and slide the window along y, so a cell costs a few additions whatever the radius,
// while giving exactly the sums of the cell-by-cell definition.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "state/game.h"
#include "world/tmap.h"

namespace {

constexpr int32_t kLast = kMapSize - 1;

// getpos of an in-grid cell.
inline int32_t LandValue(uint8_t cell) { return (cell & kLandMask) != 0 ? 1 : -1; }

// Column window sums over rows: sums[y] = sum of getpos(i, y) for i in the current columns.
class TColumnWindow {
 public:
  explicit TColumnWindow(int64_t radius) : radius_(radius) { sums_.fill(0); }

  // Moves the window to the columns x - radius .. x + radius (cut to the grid). Columns are
  // added and removed with their current values; the caller keeps sums up to date for cells
  // it rewrites inside the window.
  void MoveTo(int32_t x) {
    const int64_t lo = std::max<int64_t>(0, x - radius_);
    const int64_t hi = std::min<int64_t>(kLast, x + radius_);
    if (empty_ || lo > hi_ || hi < lo_) {
      sums_.fill(0);
      for (int64_t i = lo; i <= hi; ++i) AddColumn(static_cast<int32_t>(i), 1);
    } else {
      for (int64_t i = lo_; i < lo; ++i) AddColumn(static_cast<int32_t>(i), -1);
      for (int64_t i = hi_ + 1; i <= hi; ++i) AddColumn(static_cast<int32_t>(i), 1);
    }
    lo_ = lo;
    hi_ = hi;
    empty_ = false;
  }

  // Sum of the row sums of the rows y - radius .. y + radius (cut to the grid), for y = 1.
  int32_t FirstWindowSum() const {
    int32_t sum = 0;
    const int64_t hi = std::min<int64_t>(kLast, 1 + radius_);
    for (int64_t j = std::max<int64_t>(0, 1 - radius_); j <= hi; ++j) sum += sums_[j];
    return sum;
  }

  // Slides a window sum from row y - 1 to row y.
  int32_t Slide(int32_t sum, int32_t y) const {
    if (y + radius_ <= kLast) sum += sums_[y + radius_];
    if (y - radius_ - 1 >= 0) sum -= sums_[y - radius_ - 1];
    return sum;
  }

  int32_t& operator[](int32_t y) { return sums_[y]; }

 private:
  void AddColumn(int32_t x, int32_t sign) {
    const uint8_t* column = game.mapGrid[x];
    for (int32_t y = 0; y < kMapSize; ++y) sums_[y] += sign * LandValue(column[y]);
  }

  int64_t radius_;
  int64_t lo_ = 0;
  int64_t hi_ = -1;
  bool empty_ = true;
  std::array<int32_t, kMapSize> sums_;
};

void SmoothPass(int32_t radius) {
  if (radius < 0) {
    // Every window is empty: its sum is 0, which is not a majority.
    for (int32_t x = 1; x < kLast; ++x) std::memset(&game.mapGrid[x][1], 0, kMapSize - 2);
    return;
  }
  TColumnWindow window(radius);
  for (int32_t x = 1; x < kLast; ++x) {
    window.MoveTo(x);
    uint8_t* column = game.mapGrid[x];
    int32_t sum = window.FirstWindowSum();
    for (int32_t y = 1; y < kLast; ++y) {
      if (y > 1) sum = window.Slide(sum, y);
      const int32_t before = LandValue(column[y]);
      const uint8_t cell = sum > 0 ? 1 : 0;
      column[y] = cell;
      // The rewritten cell counts with its new value in the windows after it.
      const int32_t delta = LandValue(cell) - before;
      window[y] += delta;
      sum += delta;
    }
  }
}

// The flood fill's first-in-first-out queue of cell indices (x * 2048 + y), a ring that
// grows when full. It holds only the fill's frontier and keeps its capacity between fills.
class TCellQueue {
 public:
  bool Empty() const { return count_ == 0; }
  void Push(uint32_t cell) {
    if (count_ == ring_.size()) Grow();
    ring_[(head_ + count_) & (ring_.size() - 1)] = cell;
    ++count_;
  }
  uint32_t Pop() {
    const uint32_t cell = ring_[head_];
    head_ = (head_ + 1) & (ring_.size() - 1);
    --count_;
    return cell;
  }

 private:
  void Grow() {
    std::vector<uint32_t> bigger(ring_.empty() ? 4096 : ring_.size() * 2);
    for (size_t i = 0; i < count_; ++i) bigger[i] = ring_[(head_ + i) & (ring_.size() - 1)];
    ring_.swap(bigger);
    head_ = 0;
  }

  std::vector<uint32_t> ring_;
  size_t head_ = 0;
  size_t count_ = 0;
};

TCellQueue fillQueue;

}  // namespace

int32_t TMap::smoothmap(int32_t radius, int32_t passes) {
  for (int32_t pass = 0; pass < passes; ++pass) SmoothPass(radius);
  return 0;
}

int32_t TMap::Checkpoint(int32_t x, int32_t y, int32_t target) {
  // A non-land cell reads -1 and a land cell 1; any other target matches no cell.
  if (target != 1 && target != -1) return 0;
  const uint8_t want = target == 1 ? kLandMask : 0;
  uint8_t* grid = game.mapGrid.Data();
  auto visit = [&](int64_t nx, int64_t ny) {
    if (nx < 0 || nx > kLast || ny < 0 || ny > kLast) return;
    const auto n = static_cast<uint32_t>(nx * kMapSize + ny);
    if ((grid[n] & kLandMask) != want || (grid[n] & kMarkMask) != 0) return;
    grid[n] += kMarkMask;
    fillQueue.Push(n);
  };
  // The start cell is neither tested nor marked here: the caller marks it.
  visit(int64_t{x} - 1, y);
  visit(x, int64_t{y} - 1);
  visit(x, int64_t{y} + 1);
  visit(int64_t{x} + 1, y);
  // Marking at enqueue time puts every cell in the queue once; the marked set is the cells
  // connected to the start, whatever order the queue is worked in.
  while (!fillQueue.Empty()) {
    const uint32_t p = fillQueue.Pop();
    const uint32_t px = p / kMapSize;
    const uint32_t py = p % kMapSize;
    auto mark = [&](uint32_t n) {
      if ((grid[n] & kLandMask) != want || (grid[n] & kMarkMask) != 0) return;
      grid[n] += kMarkMask;
      fillQueue.Push(n);
    };
    if (px > 0) mark(p - kMapSize);
    if (py > 0) mark(p - 1);
    if (py < kLast) mark(p + 1);
    if (px < kLast) mark(p + kMapSize);
  }
  return 0;
}

int32_t TMap::checkmap() {
  bool seeded = false;
  for (int32_t x = 1000; x <= 1100 && !seeded; ++x) {
    for (int32_t y = 1000; y <= 1100; ++y) {
      if (getpos(x, y) == 1) {
        game.mapGrid[x][y] += kMarkMask;
        Checkpoint(x, y, 1);
        seeded = true;
        break;
      }
    }
  }
  uint8_t* grid = game.mapGrid.Data();
  for (size_t i = 0; i < kMapCells; ++i) grid[i] = (grid[i] & kMarkMask) != 0 ? 1 : 0;
  return 0;
}

int32_t TMap::fillwatermap() {
  game.mapGrid[0][0] += kMarkMask;
  Checkpoint(0, 0, -1);
  uint8_t* grid = game.mapGrid.Data();
  for (size_t i = 0; i < kMapCells; ++i) {
    if ((grid[i] & kMarkMask) != 0) grid[i] = 2;
  }
  return 0;
}

int32_t TMap::dekoratemap(int32_t radius) {
  // An empty window sums to 0, which adds no height.
  if (radius < 0) return 0;
  // Only height bits change here and getpos reads the land bit, so the sums can slide
  // freely over cells already raised.
  TColumnWindow window(radius);
  for (int32_t x = 1; x < kLast; ++x) {
    window.MoveTo(x);
    uint8_t* column = game.mapGrid[x];
    int32_t sum = window.FirstWindowSum();
    for (int32_t y = 1; y < kLast; ++y) {
      if (y > 1) sum = window.Slide(sum, y);
      if ((column[y] & kLandMask) == 0) continue;
      const int32_t h = std::max(sum / 3, 0);
      column[y] = static_cast<uint8_t>(column[y] + h * 8);
    }
  }
  return 0;
}

int32_t TMap::bereichmap(int32_t) {
  constexpr int32_t kBlock = 64;
  for (int32_t bx = 0; bx < kMapSize; bx += kBlock) {
    for (int32_t by = 0; by < kMapSize; by += kBlock) {
      int32_t landCount = 0;
      int32_t oceanCount = 0;
      for (int32_t x = bx; x < bx + kBlock; ++x) {
        const uint8_t* column = game.mapGrid[x] + by;
        for (int32_t y = 0; y < kBlock; ++y) {
          landCount += column[y] & kLandMask;
          oceanCount += (column[y] & (kKindMask | kLandMask)) == 2;  // not land, kind 1
        }
      }
      const uint8_t k = oceanCount > 1000 ? 3 : landCount >= 2000 ? 2 : 0;
      for (int32_t x = bx; x < bx + kBlock; ++x) {
        uint8_t* column = game.mapGrid[x] + by;
        for (int32_t y = 0; y < kBlock; ++y) {
          if ((column[y] & kKindMask) == 0) column[y] = static_cast<uint8_t>(column[y] + k * 2);
        }
      }
    }
  }
  return 0;
}

bool WorldHasLand() {
  const uint8_t* grid = game.mapGrid.Data();
  return std::any_of(grid, grid + kMapCells, [](uint8_t c) { return (c & kLandMask) != 0; });
}

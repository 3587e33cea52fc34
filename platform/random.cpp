#include "platform/random.h"

#include <cstddef>

#include "platform/degrees.h"

namespace {

constexpr int32_t kUnseeded = 4660;
constexpr int32_t kModulus = 2147483647;
constexpr int32_t kQuotient = 44488;  // kModulus div 48271
constexpr int32_t kRemainder = 3399;  // kModulus mod 48271

int32_t state = kUnseeded;

int32_t Step() {
  const int32_t hi = state / kQuotient;
  const int32_t lo = state % kQuotient;
  state = lo * 48271 - hi * kRemainder;
  if (state < 0) state += kModulus;
  return state;
}

}  // namespace

void SeedRandom(int32_t seed) {
  state = seed & 0x7fffffff;
  if (state == 0 || state == kModulus) state = kUnseeded;
}

double RandomUnit() {
  const int32_t a = Step() & 0x1ffffffc;
  const int32_t b = Step() & 0x1ffffff8;
  return (a + b / 134217728.0) / 536870912.0;
}

int32_t RandomInt(int32_t a, int32_t b) {
  // 32-bit wrapping arithmetic throughout, so spans that do not fit (bounds from a hostile
  // map.txt) give a defined result instead of overflowing.
  auto wrap = [](int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); };
  const int32_t d = wrap(static_cast<int64_t>(b) - a);
  const double u = RandomUnit();
  if (d > 0) return wrap(static_cast<int64_t>(a) + TruncToInt(u * wrap(static_cast<int64_t>(d) + 1)));
  return wrap(static_cast<int64_t>(b) + TruncToInt(u * wrap(1 - static_cast<int64_t>(d))));
}

double RandomReal(double a, double b) {
  const double u = RandomUnit();
  if (b > a) return a + u * (b - a);
  return b + u * (a - b);
}

namespace {

constexpr uint64_t kMultiplier = 48271;

// a * b mod 2^31 - 1, for a and b below the modulus: the high bits fold onto the low ones.
uint64_t MulMod(uint64_t a, uint64_t b) {
  const uint64_t product = a * b;
  uint64_t folded = (product & kModulus) + (product >> 31);
  if (folded >= kModulus) folded -= kModulus;
  return folded;
}

// RandomInt(2048, 1) from the two steps it takes, as that function computes it.
int32_t CellFrom(uint64_t first, uint64_t second) {
  const int32_t a = static_cast<int32_t>(first) & 0x1ffffffc;
  const int32_t b = static_cast<int32_t>(second) & 0x1ffffff8;
  const double u = (a + b / 134217728.0) / 536870912.0;
  return 1 + TruncToInt(u * 2048);
}

}  // namespace

void RandomCellUntil(const std::array<bool, 2049>& possible, bool (*accept)(int32_t, int32_t), int32_t& x, int32_t& y) {
  if (state <= 0 || state >= kModulus) {
    // A state outside the generator's cycle steps differently: no shortcut for it.
    do {
      x = RandomInt(2048, 1);
      y = RandomInt(2048, 1);
    } while (!accept(x, y));
    return;
  }
  // x is 1 + (a >> 18), or one more when the second step rounds the sum up to the next
  // column; a try is passed over only when neither column can hold the cell.
  std::array<bool, 2049> near{};
  for (std::size_t c = 1; c < near.size(); ++c) near[c] = possible[c] || (c < 2048 && possible[c + 1]);
  const auto column = [](uint64_t first) { return 1 + ((first & 0x1ffffffc) >> 18); };

  // Consecutive tries are followed side by side, so that their multiplications overlap.
  constexpr int kLanes = 8;
  const uint64_t nextTry = MulMod(MulMod(kMultiplier, kMultiplier), MulMod(kMultiplier, kMultiplier));
  uint64_t nextBlock = 1;
  std::array<uint64_t, kLanes> first{};
  first[0] = MulMod(static_cast<uint64_t>(state), kMultiplier);
  for (int lane = 1; lane < kLanes; ++lane) first[lane] = MulMod(first[lane - 1], nextTry);
  for (int lane = 0; lane < kLanes; ++lane) nextBlock = MulMod(nextBlock, nextTry);
  for (;;) {
    bool any = false;
    for (const uint64_t f : first) any |= near[column(f)];
    if (any) {
      for (int lane = 0; lane < kLanes; ++lane) {
        if (!near[column(first[lane])]) continue;
        const uint64_t second = MulMod(first[lane], kMultiplier);
        const uint64_t third = MulMod(second, kMultiplier);
        const uint64_t fourth = MulMod(third, kMultiplier);
        x = CellFrom(first[lane], second);
        y = CellFrom(third, fourth);
        if (accept(x, y)) {
          state = static_cast<int32_t>(fourth);
          return;
        }
      }
    }
    for (uint64_t& f : first) f = MulMod(f, nextBlock);
  }
}

int32_t RandomState() { return state; }

void SetRandomState(int32_t s) { state = s; }

#include "rules/random.h"

#include <array>
#include <cstddef>
#include <vector>

#include "rules/degrees.h"

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

int32_t SeededState(int32_t seed) {
  const int32_t saved = state;
  SeedRandom(seed);
  const int32_t seeded = state;
  state = saved;
  return seeded;
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

// RandomInt(n, 1) from the two steps it takes, as that function computes it.
int32_t DrawFrom(uint64_t first, uint64_t second, int32_t n) {
  const int32_t a = static_cast<int32_t>(first) & 0x1ffffffc;
  const int32_t b = static_cast<int32_t>(second) & 0x1ffffff8;
  const double u = (a + b / 134217728.0) / 536870912.0;
  return 1 + TruncToInt(u * n);
}

// log2 of n for the powers of two the shortcut handles (up to 2^20), else -1.
int PowerOfTwo(size_t n) {
  for (int bits = 0; bits <= 20; ++bits) {
    if (n == (size_t{1} << bits)) return bits;
  }
  return -1;
}

}  // namespace

void RandomPairUntil(std::span<const bool> possibleX, bool (*accept)(int32_t, int32_t), int32_t& x, int32_t& y) {
  const auto n = static_cast<int32_t>(possibleX.size() - 1);
  const int bits = possibleX.empty() ? -1 : PowerOfTwo(possibleX.size() - 1);
  if (bits < 0 || state <= 0 || state >= kModulus) {
    // A state outside the generator's cycle steps differently: no shortcut for it, nor for
    // ranges it was not worked out for.
    do {
      x = RandomInt(n, 1);
      y = RandomInt(n, 1);
    } while (!accept(x, y));
    return;
  }
  // x is 1 + (a >> (29 - bits)), or one more when the second step rounds the sum up to the
  // next value; a try is passed over only when neither value can be accepted.
  std::vector<uint8_t> near(possibleX.size());
  for (size_t c = 1; c < near.size(); ++c) near[c] = possibleX[c] || (c + 1 < near.size() && possibleX[c + 1]);
  const int shift = 29 - bits;
  const auto column = [shift](uint64_t first) { return 1 + ((first & 0x1ffffffc) >> shift); };

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
    for (const uint64_t f : first) any |= near[column(f)] != 0;
    if (any) {
      for (int lane = 0; lane < kLanes; ++lane) {
        if (near[column(first[lane])] == 0) continue;
        const uint64_t second = MulMod(first[lane], kMultiplier);
        const uint64_t third = MulMod(second, kMultiplier);
        const uint64_t fourth = MulMod(third, kMultiplier);
        x = DrawFrom(first[lane], second, n);
        y = DrawFrom(third, fourth, n);
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

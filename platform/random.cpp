#include "platform/random.h"

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

int32_t RandomState() { return state; }

void SetRandomState(int32_t s) { state = s; }

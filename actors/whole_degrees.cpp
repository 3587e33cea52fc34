#include "actors/whole_degrees.h"

#include <array>

#include "rules/degrees.h"

namespace {

struct Entry {
  int32_t degrees = 0;
  bool known = false;
  double sin = 0.0;
  double cos = 0.0;
};

const Entry& Lookup(int32_t degrees) {
  // Direct-mapped: a clash only costs a recomputation.
  static std::array<Entry, 4096> table;
  Entry& e = table[static_cast<uint32_t>(degrees) & (table.size() - 1)];
  if (!e.known || e.degrees != degrees) {
    e.degrees = degrees;
    e.known = true;
    SinCosDeg(degrees, e.sin, e.cos);
  }
  return e;
}

}  // namespace

double SinDegWhole(int32_t degrees) { return Lookup(degrees).sin; }

double CosDegWhole(int32_t degrees) { return Lookup(degrees).cos; }

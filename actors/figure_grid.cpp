#include "actors/figure_grid.h"

#include <algorithm>
#include <cmath>

#include "actors/tfigur.h"

namespace {

constexpr double kBucket = 64.0;
// Coordinates beyond this are left to the plain walk; no figure or shot gets near it in play.
constexpr double kLimit = 1.0e9;

bool Bucketable(double v) { return std::fabs(v) < kLimit; }  // false for NaN as well

int64_t Bucket(double v) { return static_cast<int64_t>(std::floor(v / kBucket)); }

int64_t Key(int64_t bx, int64_t by) { return bx * 4294967296LL + (by & 0xffffffffLL); }

}  // namespace

bool FigureGrid::inReach(float x, float y, const Tfigur& f) {
  const double dx = static_cast<double>(x) - static_cast<double>(f.X);
  const double dy = static_cast<double>(y) - static_cast<double>(f.Y);
  // Written as "not 1024 or more", the way the rule is stated: a NaN distance counts as a hit.
  return !(std::pow(dx, 2.0) + std::pow(dy, 2.0) >= 1024.0);
}

bool FigureGrid::build(const TList<Tfigur>& figures) {
  entries_.clear();
  entries_.reserve(static_cast<size_t>(figures.Count()));
  bool ok = true;
  int32_t order = 0;
  figures.ForEach([&](Tfigur* f) {
    if (!Bucketable(f->X) || !Bucketable(f->Y)) ok = false;
    if (ok) entries_.push_back({Key(Bucket(f->X), Bucket(f->Y)), order, f});
    ++order;
  });
  if (!ok) {
    entries_.clear();
    return false;
  }
  std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
    return a.key != b.key ? a.key < b.key : a.order < b.order;
  });
  return true;
}

bool FigureGrid::collect(float x, float y, const Tfigur* owner, std::vector<Tfigur*>& hits) const {
  if (!Bucketable(x) || !Bucketable(y)) return false;
  // Every figure under 32 pixels away lies in a bucket that the square x +- 32, y +- 32 touches.
  const int64_t bx0 = Bucket(static_cast<double>(x) - 32.0);
  const int64_t bx1 = Bucket(static_cast<double>(x) + 32.0);
  const int64_t by0 = Bucket(static_cast<double>(y) - 32.0);
  const int64_t by1 = Bucket(static_cast<double>(y) + 32.0);
  found_.clear();
  for (int64_t bx = bx0; bx <= bx1; ++bx) {
    for (int64_t by = by0; by <= by1; ++by) {
      const int64_t key = Key(bx, by);
      auto it = std::lower_bound(entries_.begin(), entries_.end(), key,
                                 [](const Entry& e, int64_t k) { return e.key < k; });
      for (; it != entries_.end() && it->key == key; ++it) {
        if (it->figure != owner && inReach(x, y, *it->figure)) found_.push_back(&*it);
      }
    }
  }
  std::sort(found_.begin(), found_.end(), [](const Entry* a, const Entry* b) { return a->order < b->order; });
  for (const Entry* e : found_) hits.push_back(e->figure);
  return true;
}

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

size_t Hash(int64_t key) {
  auto h = static_cast<uint64_t>(key) * 0x9E3779B97F4A7C15ull;
  return static_cast<size_t>(h >> 32);
}

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
    slots_.clear();
    return false;
  }
  std::sort(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
    return a.key != b.key ? a.key < b.key : a.order < b.order;
  });
  size_t size = 16;
  while (size < entries_.size() * 2) size *= 2;
  slots_.assign(size, Slot{});
  for (size_t i = 0; i < entries_.size();) {
    size_t j = i;
    while (j < entries_.size() && entries_[j].key == entries_[i].key) ++j;
    size_t at = Hash(entries_[i].key) & (size - 1);
    while (slots_[at].end != 0) at = (at + 1) & (size - 1);
    slots_[at] = {entries_[i].key, static_cast<int32_t>(i), static_cast<int32_t>(j)};
    i = j;
  }
  return true;
}

const FigureGrid::Slot* FigureGrid::find(int64_t key) const {
  if (slots_.empty()) return nullptr;
  const size_t mask = slots_.size() - 1;
  for (size_t at = Hash(key) & mask; slots_[at].end != 0; at = (at + 1) & mask) {
    if (slots_[at].key == key) return &slots_[at];
  }
  return nullptr;
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
      const Slot* slot = find(Key(bx, by));
      if (slot == nullptr) continue;
      for (int32_t i = slot->begin; i < slot->end; ++i) {
        const Entry& e = entries_[static_cast<size_t>(i)];
        if (e.figure != owner && inReach(x, y, *e.figure)) found_.push_back(&e);
      }
    }
  }
  std::sort(found_.begin(), found_.end(), [](const Entry* a, const Entry* b) { return a->order < b->order; });
  for (const Entry* e : found_) hits.push_back(e->figure);
  return true;
}

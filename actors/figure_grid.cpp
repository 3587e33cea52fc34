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

bool FigureGrid::inReach(float x, float y, const Tfigur& f) { return inReach(x, y, f.X, f.Y); }

bool FigureGrid::inReach(float x, float y, float fx, float fy) {
  const double dx = static_cast<double>(x) - static_cast<double>(fx);
  const double dy = static_cast<double>(y) - static_cast<double>(fy);
  // Written as "not 1024 or more", the way the rule is stated: a NaN distance counts as a hit.
  return !(std::pow(dx, 2.0) + std::pow(dy, 2.0) >= 1024.0);
}

bool FigureGrid::build(const TList<std::shared_ptr<Tfigur>>& figures) {
  staged_.clear();
  staged_.reserve(static_cast<size_t>(figures.Count()));
  bool ok = true;
  int32_t order = 0;
  figures.ForEach([&](Tfigur* f) {
    if (!Bucketable(f->X) || !Bucketable(f->Y)) ok = false;
    if (ok) staged_.push_back({Key(Bucket(f->X), Bucket(f->Y)), order, f->X, f->Y, f});
    ++order;
  });
  entries_.clear();
  if (!ok) {
    slots_.clear();
    return false;
  }
  size_t size = 16;
  while (size < staged_.size() * 2) size *= 2;
  slots_.assign(size, Slot{});
  slotOf_.resize(staged_.size());
  // A slot per bucket, counting its figures in `end` for now.
  for (size_t i = 0; i < staged_.size(); ++i) {
    const int64_t key = staged_[i].key;
    size_t at = Hash(key) & (size - 1);
    while (slots_[at].end != 0 && slots_[at].key != key) at = (at + 1) & (size - 1);
    slots_[at].key = key;
    ++slots_[at].end;
    slotOf_[i] = static_cast<int32_t>(at);
  }
  // Each bucket gets one run of entries; `end` then serves as the run's fill mark.
  int32_t next = 0;
  for (Slot& slot : slots_) {
    if (slot.end == 0) continue;
    slot.begin = next;
    next += slot.end;
    slot.end = slot.begin;
  }
  // Filled in list order, so every run keeps the list order without sorting.
  entries_.resize(staged_.size());
  for (size_t i = 0; i < staged_.size(); ++i) {
    entries_[static_cast<size_t>(slots_[static_cast<size_t>(slotOf_[i])].end++)] = staged_[i];
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
        if (e.figure != owner && inReach(x, y, e.x, e.y)) found_.push_back(&e);
      }
    }
  }
  std::sort(found_.begin(), found_.end(), [](const Entry* a, const Entry* b) { return a->order < b->order; });
  for (const Entry* e : found_) hits.push_back(e->figure);
  return true;
}

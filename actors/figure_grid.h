// A snapshot of where the figures stand, bucketed by 64-pixel squares, so that a shot finds
// the figures within its reach without walking the whole figure list. The figures neither
// move nor join or leave the list while the shots are updated, so one snapshot serves the
// whole shot pass; the hits it reports are exactly those of a walk of the list, in list order.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

class Tfigur;
template <class T>
class TList;

class FigureGrid {
 public:
  // False when some figure stands too far out to be bucketed; then the list must be walked.
  bool build(const TList<std::shared_ptr<Tfigur>>& figures);
  // Appends to `hits` the figures other than `owner` within 32 pixels of (x, y), in list
  // order. False when (x, y) lies too far out to look up; then nothing is appended.
  bool collect(float x, float y, const Tfigur* owner, std::vector<Tfigur*>& hits) const;

  // True when the two points are close enough for a hit: under 32 pixels apart.
  static bool inReach(float x, float y, const Tfigur& f);
  static bool inReach(float x, float y, float fx, float fy);

 private:
  // The position is copied, so a lookup reads no figure that is not hit.
  struct Entry {
    int64_t key;
    int32_t order;
    float x, y;
    Tfigur* figure;
  };
  // One bucket: its entries are entries_[begin, end), in list order.
  struct Slot {
    int64_t key = 0;
    int32_t begin = 0;
    int32_t end = 0;  // 0 for an empty slot
  };
  const Slot* find(int64_t key) const;

  std::vector<Entry> staged_;  // in list order, while building
  std::vector<int32_t> slotOf_;  // the slot of each staged entry
  std::vector<Entry> entries_;
  std::vector<Slot> slots_;  // open addressing, a power of two in size
  mutable std::vector<const Entry*> found_;
};

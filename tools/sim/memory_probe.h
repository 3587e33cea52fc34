// Memory use of a long simulated game: heap bytes in use, resident set size and the sizes of
// the actor lists, sampled at chosen frames, so that growth can be set against the blood
// decals, the one list that only grows.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct TMemorySample {
  int32_t frame = 0;
  int32_t figures = 0;
  int32_t items = 0;
  int32_t shots = 0;
  int32_t blood = 0;
  int64_t heapBytes = 0;  // bytes the program holds on the heap, allocator overhead excluded
  int64_t rssKb = 0;      // VmRSS of /proc/self/status; -1 when it cannot be read
};

// Heap bytes in use now: the sanitizer allocator's count in a sanitizer build, else glibc's
// mallinfo2 (small blocks in use plus mapped large ones).
int64_t HeapBytesInUse();
// VmRSS in kB, or -1.
int64_t ResidentKb();

class TMemoryLog {
 public:
  void Sample(int32_t frame);
  // One line per sample: "memory FRAME FIGURES ITEMS SHOTS BLOOD HEAPBYTES RSSKB".
  std::string Report() const;
  const std::vector<TMemorySample>& Samples() const { return samples_; }

 private:
  std::vector<TMemorySample> samples_;
};

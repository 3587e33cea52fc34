#include "memory_probe.h"

#include <malloc.h>

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "actors/tblood.h"
#include "actors/tfigur.h"
#include "actors/titem.h"
#include "actors/tshot.h"
#include "state/game.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's own count; g++ ships no header that declares it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

int64_t HeapBytesInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return static_cast<int64_t>(__sanitizer_get_current_allocated_bytes());
#else
  const struct mallinfo2 m = mallinfo2();
  return static_cast<int64_t>(m.uordblks + m.hblkhd);
#endif
}

int64_t ResidentKb() {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (f == nullptr) return -1;
  int64_t kb = -1;
  char line[256];
  while (std::fgets(line, sizeof line, f) != nullptr) {
    long long v = 0;
    if (std::strncmp(line, "VmRSS:", 6) == 0 && std::sscanf(line + 6, "%lld", &v) == 1) {
      kb = v;
      break;
    }
  }
  std::fclose(f);
  return kb;
}

void TMemoryLog::Sample(int32_t frame) {
  TMemorySample s;
  s.frame = frame;
  s.figures = game.figureList ? game.figureList->Count() : 0;
  s.items = game.itemList ? game.itemList->Count() : 0;
  s.shots = game.shotList ? game.shotList->Count() : 0;
  s.blood = game.bloodList ? game.bloodList->Count() : 0;
  s.heapBytes = HeapBytesInUse();
  s.rssKb = ResidentKb();
  samples_.push_back(s);
}

std::string TMemoryLog::Report() const {
  std::string text;
  char line[160];
  for (const TMemorySample& s : samples_) {
    std::snprintf(line, sizeof line, "memory %d %d %d %d %d %lld %lld\n", s.frame, s.figures, s.items, s.shots, s.blood,
                  static_cast<long long>(s.heapBytes), static_cast<long long>(s.rssKb));
    text += line;
  }
  return text;
}

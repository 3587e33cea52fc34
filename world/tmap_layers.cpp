// The layer files: one line per grid column (CR LF ended), one decimal value per cell run
// together without separators.
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/files/atomic_file.h"
#include "state/game.h"
#include "world/tmap.h"

namespace {

// The digits each of the 256 cell values contributes, padded so that a fixed 4-byte copy
// can write them.
struct TDigits {
  char text[4] = {};
  size_t length = 0;
};

std::array<TDigits, 256> DigitTable(int32_t first, int32_t last) {
  std::array<TDigits, 256> table;
  for (int32_t cell = 0; cell < 256; ++cell) {
    const int32_t v = CellBits(static_cast<uint8_t>(cell), first, last) >> (7 - last);
    const std::string digits = std::to_string(v);
    std::memcpy(table[cell].text, digits.data(), digits.size());
    table[cell].length = digits.size();
  }
  return table;
}

}  // namespace

void WarnLayerFileLost(const std::string& path, const std::string& problem) {
  std::fprintf(stderr, "Kestrova: warning: cannot write the map layer file %s: %s\n", path.c_str(), problem.c_str());
}

int32_t TMap::Savemap(const std::string& path, int32_t first, int32_t last, bool* written) {
  if (written != nullptr) *written = false;
  std::string file = path;
  std::replace(file.begin(), file.end(), '\\', '/');
  const std::string problem = WriteLayerFile(file, first, last);
  if (!problem.empty()) {
    WarnLayerFileLost(file, problem);
    return 0;
  }
  if (written != nullptr) *written = true;
  return 0;
}

std::string WriteLayerFile(const std::string& file, int32_t first, int32_t last) {
  if (first < 0 || first > 7 || last < 0 || last > 7) return "bit positions must lie in 0..7";
  const std::array<TDigits, 256> table = DigitTable(first, last);

  TAtomicFile out(file);
  constexpr size_t kLineMax = kMapSize * 3 + 2;
  constexpr size_t kChunk = 1 << 20;
  std::vector<char> buffer(kChunk + kLineMax + 4);
  char* end = buffer.data();
  for (int32_t x = 0; x < kMapSize && out.Problem().empty(); ++x) {
    const uint8_t* column = game.mapGrid[x];
    for (int32_t y = 0; y < kMapSize; ++y) {
      const TDigits& d = table[column[y]];
      std::memcpy(end, d.text, 4);
      end += d.length;
    }
    *end++ = 13;
    *end++ = 10;
    const auto filled = static_cast<size_t>(end - buffer.data());
    if (filled >= kChunk || x == kMapSize - 1) {
      out.Write(buffer.data(), filled);
      end = buffer.data();
    }
  }
  return out.Commit();
}

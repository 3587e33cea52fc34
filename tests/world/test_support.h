// Helpers shared by the world tests: a private temporary folder per test, file reading,
// and setting the generator parameters in one call.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "state/game.h"
#include "world/tmap.h"

class TempDir {
 public:
  TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "kestrova-world-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

struct TParams {
  int32_t count, lengthA, lengthB, widthA, widthB, roomMax, chance;
};

inline void SetParams(const TParams& p) {
  game.pathCount = p.count;
  game.pathLengthA = p.lengthA;
  game.pathLengthB = p.lengthB;
  game.pathWidthA = p.widthA;
  game.pathWidthB = p.widthB;
  game.roomSizeMax = p.roomMax;
  game.roomChance = p.chance;
}

inline std::vector<uint8_t> GridCopy() { return {game.mapGrid.Data(), game.mapGrid.Data() + kMapCells}; }

inline void SetGrid(const std::vector<uint8_t>& cells) {
  std::copy(cells.begin(), cells.end(), game.mapGrid.Data());
}

inline int64_t CountLand() {
  int64_t n = 0;
  for (size_t i = 0; i < kMapCells; ++i) n += game.mapGrid.Data()[i] & 1;
  return n;
}

// Splits a layer file into its lines; each must end in CR LF.
inline std::vector<std::string> SplitCrLf(const std::string& text, bool* wellFormed) {
  std::vector<std::string> lines;
  *wellFormed = true;
  size_t start = 0;
  while (start < text.size()) {
    const size_t cr = text.find("\r\n", start);
    if (cr == std::string::npos) {
      *wellFormed = false;
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, cr - start));
    start = cr + 2;
  }
  return lines;
}

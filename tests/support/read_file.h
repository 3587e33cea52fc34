// The whole of a file the tests made or a program under test wrote; empty when it is missing.
#pragma once
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

#include "world_png.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "world/grid.h"

namespace {

struct TRgb {
  uint8_t r, g, b;
};

TRgb CellColour(uint8_t cell) {
  const int kind = (cell & kKindMask) >> 1;
  if ((cell & kLandMask) == 0) {
    if (cell == 2) return {28, 72, 150};  // ocean
    return {24, 82, 36};                  // enclosed non-land: forest
  }
  static constexpr TRgb kTerrain[4] = {
      {150, 108, 62}, {150, 108, 62}, {86, 168, 70}, {226, 206, 140}};
  const int height = (cell & kHeightMask) >> 3;
  const int shade = 128 + std::min(height, 27) * 127 / 27;  // lower ground is darker
  const TRgb base = kTerrain[kind];
  return {static_cast<uint8_t>(base.r * shade / 255), static_cast<uint8_t>(base.g * shade / 255),
          static_cast<uint8_t>(base.b * shade / 255)};
}

// libpng reports errors by long jump; nothing with a destructor lives in this frame.
bool WriteRows(FILE* file, png_structp png, png_infop info, png_bytep row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_init_io(png, file);
  png_set_compression_level(png, 1);
  png_set_IHDR(png, info, kMapSize, kMapSize, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int32_t y = 0; y < kMapSize; ++y) {
    for (int32_t x = 0; x < kMapSize; ++x) {
      const TRgb c = CellColour(mapGrid[x][y]);
      row[3 * x] = c.r;
      row[3 * x + 1] = c.g;
      row[3 * x + 2] = c.b;
    }
    png_write_row(png, row);
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

bool WriteWorldPng(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "Cannot write picture %s: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  std::vector<png_byte> row(3 * kMapSize);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  bool ok = info != nullptr && WriteRows(file, png, info, row.data());
  png_destroy_write_struct(&png, &info);
  if (std::fclose(file) != 0) ok = false;
  if (!ok) {
    std::fprintf(stderr, "Cannot write picture %s\n", path.c_str());
    std::remove(path.c_str());
  }
  return ok;
}

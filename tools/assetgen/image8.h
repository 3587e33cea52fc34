// 8-bit pictures as they are written to PNG files, and as the game sees them once loaded.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

struct Image8 {
  int w = 0, h = 0;
  bool alpha = false;         // RGBA when true, RGB (black masked by the game) when false
  std::vector<uint8_t> data;  // rows of RGB or RGBA bytes
};

// RGBA with the canvas's own alpha.
Image8 ToRgba(const Canvas& c);
// RGB for the game's black mask: mostly transparent pixels become pure black, every other
// pixel is kept clear of pure black so that it stays visible.
Image8 ToMaskedRgb(const Canvas& c);
// What the game draws: RGBA, with the pure black of an RGB picture made transparent.
Canvas AsLoaded(const Image8& img);
// Writes a PNG with a fixed compression level and no time stamp, so the bytes repeat.
// Throws std::runtime_error naming the file when it cannot be written.
void WritePng(const std::string& path, const Image8& img);

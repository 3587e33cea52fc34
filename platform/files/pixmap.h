// Pixel buffers: what image files decode into and what textures are made from.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

enum : int32_t {
  PF_I8 = 1,        // grey intensity
  PF_A8 = 2,        // alpha only
  PF_BGR888 = 3,
  PF_RGB888 = 4,
  PF_BGRA8888 = 5,
  PF_RGBA8888 = 6,
};

class TPixmap {
 public:
  std::vector<uint8_t> pixels;
  int32_t width = 0;
  int32_t height = 0;
  int32_t pitch = 0;  // bytes per row
  int32_t format = 0;
  int32_t capacity = 0;

  // A zero-filled pixmap (transparent black in the formats with alpha).
  static std::shared_ptr<TPixmap> Create(int32_t width, int32_t height, int32_t format);

  uint8_t* PixelPtr(int32_t x, int32_t y) { return pixels.data() + y * pitch + x * BytesPerPixel(format); }
  const uint8_t* PixelPtr(int32_t x, int32_t y) const {
    return pixels.data() + y * pitch + x * BytesPerPixel(format);
  }
  // Pixel (x, y) as red, green, blue, alpha whatever the format.
  void ReadRGBA(int32_t x, int32_t y, uint8_t rgba[4]) const;

  static int32_t BytesPerPixel(int32_t format);
  static bool HasAlpha(int32_t format);
};

using TPixmapPtr = std::shared_ptr<TPixmap>;

// The same picture in another format.
TPixmapPtr ConvertPixmap(const TPixmap& src, int32_t format);
// A format-6 copy of the w x h window at (x, y).
TPixmapPtr CopyPixmapWindow(const TPixmap& src, int32_t x, int32_t y, int32_t w, int32_t h);
// A format-6 copy scaled to w x h, each target pixel the average of the source area it covers.
TPixmapPtr ResizePixmap(const TPixmap& src, int32_t w, int32_t h);

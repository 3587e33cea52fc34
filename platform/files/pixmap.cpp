#include "platform/files/pixmap.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

std::shared_ptr<TPixmap> TPixmap::Create(int32_t width, int32_t height, int32_t format) {
  auto p = std::make_shared<TPixmap>();
  p->width = width;
  p->height = height;
  p->format = format;
  p->pitch = width * BytesPerPixel(format);
  p->capacity = p->pitch * height;
  p->pixels.assign(static_cast<size_t>(p->capacity), 0);
  return p;
}

int32_t TPixmap::BytesPerPixel(int32_t format) {
  switch (format) {
    case PF_I8:
    case PF_A8: return 1;
    case PF_BGR888:
    case PF_RGB888: return 3;
    default: return 4;
  }
}

bool TPixmap::HasAlpha(int32_t format) {
  return format == PF_A8 || format == PF_BGRA8888 || format == PF_RGBA8888;
}

void TPixmap::ReadRGBA(int32_t x, int32_t y, uint8_t rgba[4]) const {
  const uint8_t* p = PixelPtr(x, y);
  switch (format) {
    case PF_I8: rgba[0] = rgba[1] = rgba[2] = p[0]; rgba[3] = 255; break;
    case PF_A8: rgba[0] = rgba[1] = rgba[2] = 255; rgba[3] = p[0]; break;
    case PF_BGR888: rgba[0] = p[2]; rgba[1] = p[1]; rgba[2] = p[0]; rgba[3] = 255; break;
    case PF_RGB888: rgba[0] = p[0]; rgba[1] = p[1]; rgba[2] = p[2]; rgba[3] = 255; break;
    case PF_BGRA8888: rgba[0] = p[2]; rgba[1] = p[1]; rgba[2] = p[0]; rgba[3] = p[3]; break;
    default: std::memcpy(rgba, p, 4); break;
  }
}

namespace {

void WriteRGBA(uint8_t* p, int32_t format, const uint8_t rgba[4]) {
  switch (format) {
    case PF_I8: p[0] = static_cast<uint8_t>((rgba[0] + rgba[1] + rgba[2]) / 3); break;
    case PF_A8: p[0] = rgba[3]; break;
    case PF_BGR888: p[0] = rgba[2]; p[1] = rgba[1]; p[2] = rgba[0]; break;
    case PF_RGB888: p[0] = rgba[0]; p[1] = rgba[1]; p[2] = rgba[2]; break;
    case PF_BGRA8888: p[0] = rgba[2]; p[1] = rgba[1]; p[2] = rgba[0]; p[3] = rgba[3]; break;
    default: std::memcpy(p, rgba, 4); break;
  }
}

}  // namespace

TPixmapPtr ConvertPixmap(const TPixmap& src, int32_t format) {
  if (src.format == format) return std::make_shared<TPixmap>(src);
  auto dst = TPixmap::Create(src.width, src.height, format);
  uint8_t rgba[4];
  for (int32_t y = 0; y < src.height; ++y) {
    for (int32_t x = 0; x < src.width; ++x) {
      src.ReadRGBA(x, y, rgba);
      WriteRGBA(dst->PixelPtr(x, y), format, rgba);
    }
  }
  return dst;
}

TPixmapPtr CopyPixmapWindow(const TPixmap& src, int32_t x, int32_t y, int32_t w, int32_t h) {
  auto dst = TPixmap::Create(w, h, PF_RGBA8888);
  for (int32_t j = 0; j < h; ++j) {
    for (int32_t i = 0; i < w; ++i) src.ReadRGBA(x + i, y + j, dst->PixelPtr(i, j));
  }
  return dst;
}

TPixmapPtr ResizePixmap(const TPixmap& src, int32_t w, int32_t h) {
  auto dst = TPixmap::Create(w, h, PF_RGBA8888);
  uint8_t rgba[4];
  for (int32_t j = 0; j < h; ++j) {
    const int32_t y0 = static_cast<int32_t>(int64_t{j} * src.height / h);
    const int32_t y1 = std::max(y0 + 1, static_cast<int32_t>(int64_t{j + 1} * src.height / h));
    for (int32_t i = 0; i < w; ++i) {
      const int32_t x0 = static_cast<int32_t>(int64_t{i} * src.width / w);
      const int32_t x1 = std::max(x0 + 1, static_cast<int32_t>(int64_t{i + 1} * src.width / w));
      uint32_t sum[4] = {0, 0, 0, 0};
      for (int32_t y = y0; y < y1; ++y) {
        for (int32_t x = x0; x < x1; ++x) {
          src.ReadRGBA(x, y, rgba);
          for (int c = 0; c < 4; ++c) sum[c] += rgba[c];
        }
      }
      const uint32_t n = static_cast<uint32_t>((y1 - y0) * (x1 - x0));
      uint8_t* p = dst->PixelPtr(i, j);
      for (int c = 0; c < 4; ++c) p[c] = static_cast<uint8_t>(sum[c] / n);
    }
  }
  return dst;
}

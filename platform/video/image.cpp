#include "platform/video/image.h"

#include "platform/files/png.h"
#include "platform/video/graphics_driver.h"

namespace {
int32_t autoMidHandle = 0;
constexpr int32_t kDefaultImageFlags = MASKEDIMAGE | FILTEREDIMAGE;
constexpr int32_t kMaskRed = 0, kMaskGreen = 0, kMaskBlue = 0;
}  // namespace

std::shared_ptr<TImage> TImage::Create(int32_t width, int32_t height, int32_t frameCount, int32_t flags,
                                       int32_t maskR, int32_t maskG, int32_t maskB) {
  auto image = std::make_shared<TImage>();
  image->width = width;
  image->height = height;
  image->flags = flags;
  image->mask_r = maskR;
  image->mask_g = maskG;
  image->mask_b = maskB;
  image->pixmaps.resize(static_cast<size_t>(frameCount));
  image->frames.resize(static_cast<size_t>(frameCount));
  image->seqs.assign(static_cast<size_t>(frameCount), 0);
  return image;
}

std::shared_ptr<TImage> TImage::Load(std::string_view path, int32_t flags, int32_t maskR, int32_t maskG,
                                     int32_t maskB) {
  TPixmapPtr pixmap = LoadPixmapFile(path);
  if (!pixmap) return nullptr;
  auto image = Create(pixmap->width, pixmap->height, 1, flags, maskR, maskG, maskB);
  image->SetPixmap(0, std::move(pixmap));
  return image;
}

std::shared_ptr<TImageFrame> TImage::Frame(int32_t index, TVex2DDriver& driver, int32_t seq) {
  if (index < 0 || index >= static_cast<int32_t>(frames.size())) return nullptr;
  const auto i = static_cast<size_t>(index);
  if (seqs[i] == seq) return frames[i];
  frames[i] = pixmaps[i] ? driver.CreateFrameFromPixmap(pixmaps[i], flags) : nullptr;
  seqs[i] = frames[i] ? seq : 0;
  return frames[i];
}

void TImage::SetPixmap(int32_t index, TPixmapPtr pixmap) {
  if (index < 0 || index >= static_cast<int32_t>(pixmaps.size())) return;
  if (pixmap && (flags & MASKEDIMAGE) && !TPixmap::HasAlpha(pixmap->format)) {
    pixmap = MaskPixmap(*pixmap, mask_r, mask_g, mask_b);
  }
  const auto i = static_cast<size_t>(index);
  pixmaps[i] = std::move(pixmap);
  frames[i] = nullptr;
  seqs[i] = 0;
}

TPixmapPtr MaskPixmap(const TPixmap& src, int32_t maskR, int32_t maskG, int32_t maskB) {
  const int32_t w = src.width;
  const int32_t h = src.height;
  auto out = TPixmap::Create(w, h, PF_RGBA8888);
  std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
  std::vector<uint8_t> masked(static_cast<size_t>(w) * h);
  uint8_t px[4];
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      src.ReadRGBA(x, y, px);
      const size_t k = static_cast<size_t>(y) * w + x;
      rgb[3 * k] = px[0];
      rgb[3 * k + 1] = px[1];
      rgb[3 * k + 2] = px[2];
      masked[k] = px[0] == maskR && px[1] == maskG && px[2] == maskB;
    }
  }
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      const size_t k = static_cast<size_t>(y) * w + x;
      uint8_t* p = out->PixelPtr(x, y);
      if (!masked[k]) {
        p[0] = rgb[3 * k];
        p[1] = rgb[3 * k + 1];
        p[2] = rgb[3 * k + 2];
        p[3] = 255;
        continue;
      }
      int32_t sum[3] = {0, 0, 0};
      int32_t n = 0;
      for (int32_t dy = -1; dy <= 1; ++dy) {
        for (int32_t dx = -1; dx <= 1; ++dx) {
          const int32_t nx = x + dx;
          const int32_t ny = y + dy;
          if ((dx == 0 && dy == 0) || nx < 0 || ny < 0 || nx >= w || ny >= h) continue;
          const size_t q = static_cast<size_t>(ny) * w + nx;
          if (masked[q]) continue;
          for (int c = 0; c < 3; ++c) sum[c] += rgb[3 * q + c];
          ++n;
        }
      }
      for (int c = 0; c < 3; ++c) p[c] = static_cast<uint8_t>(n > 0 ? sum[c] / n : 0);
      p[3] = 0;
    }
  }
  return out;
}

std::shared_ptr<TImage> LoadImageFile(std::string_view path, int32_t flags) {
  if (flags == -1) flags = kDefaultImageFlags;
  auto image = TImage::Load(path, flags, kMaskRed, kMaskGreen, kMaskBlue);
  if (image && autoMidHandle) {
    image->handle_x = static_cast<float>(image->width * 0.5);
    image->handle_y = static_cast<float>(image->height * 0.5);
  }
  return image;
}

void SetAutoMidHandle(int32_t on) { autoMidHandle = on; }

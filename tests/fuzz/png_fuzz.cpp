// Picture files: any bytes handed to the PNG decoder must give null or a well-formed pixmap,
// and the image made from it (masked with the game's default flags) must be well-formed too.
// No screen is opened, so no texture is made.
#include <cstdint>
#include <vector>

#include "checksums.h"
#include "memory_file.h"
#include "platform/files/pixmap.h"
#include "platform/files/png.h"
#include "platform/video/image.h"

namespace {

void Decode(const uint8_t* data, size_t size) {
  using fuzz::Require;
  auto stream = fuzz::OpenMemoryFile(data, size);
  TPixmapPtr pixmap = LoadPixmapPNG(*stream);
  CloseStream(stream);
  if (!pixmap) return;

  Require(pixmap->width > 0 && pixmap->height > 0, "positive size");
  Require(pixmap->format == PF_I8 || pixmap->format == PF_RGB888 || pixmap->format == PF_RGBA8888,
          "grey, RGB or RGBA");
  Require(pixmap->pitch == pixmap->width * TPixmap::BytesPerPixel(pixmap->format), "pitch");
  Require(pixmap->pixels.size() == static_cast<size_t>(pixmap->pitch) * pixmap->height, "pixel buffer");
  Require(pixmap->capacity == static_cast<int32_t>(pixmap->pixels.size()), "capacity");

  // As LoadImageFile with flags -1: mask and filter, black as the mask colour.
  auto image = TImage::Create(pixmap->width, pixmap->height, 1, MASKEDIMAGE | FILTEREDIMAGE, 0, 0, 0);
  const bool hadAlpha = TPixmap::HasAlpha(pixmap->format);
  image->SetPixmap(0, pixmap);
  const TPixmapPtr& stored = image->pixmaps[0];
  Require(stored && stored->width == image->width && stored->height == image->height, "stored pixmap size");
  Require(stored->format == PF_RGBA8888, "masked or own alpha");
  if (!hadAlpha) {
    for (int32_t y = 0; y < stored->height; ++y) {
      for (int32_t x = 0; x < stored->width; ++x) {
        uint8_t before[4];
        pixmap->ReadRGBA(x, y, before);
        const uint8_t* after = stored->PixelPtr(x, y);
        const bool black = before[0] == 0 && before[1] == 0 && before[2] == 0;
        Require(after[3] == (black ? 0 : 255), "black alone is transparent");
      }
    }
  }
  Require(image->frames[0] == nullptr, "no texture before the first draw");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Decode(data, size);
  std::vector<uint8_t> repaired(data, data + size);
  if (fuzz::RepairPngChecksums(repaired)) Decode(repaired.data(), repaired.size());
  return 0;
}

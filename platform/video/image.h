// Images loaded from PNG files; drawn with DrawImageFrame (graphics.h).
#pragma once
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/files/pixmap.h"

class TImageFrame;
class TVex2DDriver;

// Image flags.
enum : int32_t { MASKEDIMAGE = 1, FILTEREDIMAGE = 2, MIPMAPPEDIMAGE = 4 };

class TImage {
 public:
  int32_t width = 0;
  int32_t height = 0;
  int32_t flags = 0;
  int32_t mask_r = 0;
  int32_t mask_g = 0;
  int32_t mask_b = 0;
  float handle_x = 0;  // the point of the image placed at the draw position
  float handle_y = 0;
  std::vector<TPixmapPtr> pixmaps;
  std::vector<std::shared_ptr<TImageFrame>> frames;  // made on first draw
  std::vector<int32_t> seqs;  // graphics sequence number each frame was made under; 0 none

  static std::shared_ptr<TImage> Create(int32_t width, int32_t height, int32_t frameCount, int32_t flags,
                                        int32_t maskR, int32_t maskG, int32_t maskB);
  // Null when the file cannot be decoded.
  static std::shared_ptr<TImage> Load(std::string_view path, int32_t flags, int32_t maskR, int32_t maskG,
                                      int32_t maskB);

  // The drawable frame for the screen with sequence number `seq` of `driver`, its texture
  // made on first use; null for a bad index, a frame without pixels, or when the driver
  // cannot make it (its LastError() then says why).
  std::shared_ptr<TImageFrame> Frame(int32_t index, TVex2DDriver& driver, int32_t seq);
  // Stores the frame's pixels, masked when the image asks for it and the pixmap has no alpha.
  void SetPixmap(int32_t index, TPixmapPtr pixmap);
};

// A format-6 copy in which pixels of the mask colour are transparent and take the average
// colour of their unmasked neighbours, so filtering at their edges keeps the right colour.
TPixmapPtr MaskPixmap(const TPixmap& src, int32_t maskR, int32_t maskG, int32_t maskB);

// Null when the file is missing or cannot be decoded. Flags -1 means the defaults (3).
std::shared_ptr<TImage> LoadImageFile(std::string_view path, int32_t flags);
// With 1, images loaded afterwards get their handle at their centre.
void SetAutoMidHandle(int32_t on);

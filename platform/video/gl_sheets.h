// Small pictures kept together in a few large textures (sheets) of the OpenGL driver, so a
// crowded frame binds a texture a handful of times and consecutive quads of different
// pictures reach OpenGL in one draw.
//
// A sheet is a 3D texture whose layers are squares of one side: each picture lies in
// a layer of its own, at the layer's corner, with its own texture's last column and row
// repeated to the layer's edges. Its texture coordinates are those of its own texture scaled
// by a power of two (its own side over the layer's), which every float step of sampling
// carries exactly, and the layer's clamp repeats the same edge its own texture's clamp did: so
// linear and nearest sampling read the same texels with the same weights at every position,
// turn and scale. The third coordinate is the layer's centre, where the filter between layers
// weighs the neighbour by exactly 0. Pictures packed side by side in one 2D texture, with a
// border of repeated edges, would not sample exactly: their coordinates are offset, and the
// rasteriser's float interpolation rounds offset coordinates differently, off by one level
// in about one pixel of a turned picture in 150 (llvmpipe).
//
// Sampling a 3D texture costs llvmpipe about two layers' texels; the driver keeps each
// picture's own texture as well and draws from the sheet only where quads of several pictures
// share a draw.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/files/pixmap.h"

// One sheet: its texture and which layers are given out.
struct TGLSheet {
  uint32_t texture = 0;
  int32_t seq = 0;  // the screen it was made under
  int32_t side = 0;
  int32_t layers = 0;
  bool filtered = false;
  int32_t used = 0;            // layers given out so far, from 0 on
  std::vector<int32_t> spare;  // layers given back, taken again first
  ~TGLSheet();
};

// A picture's layer in a sheet, given back when the last frame drawing from it goes.
struct TGLSheetPlace {
  std::shared_ptr<TGLSheet> sheet;
  int32_t layer = 0;
  ~TGLSheetPlace();
};

class TGLSheets {
 public:
  // A sheet's size in bytes at most: 2 MB.
  static constexpr int32_t kSheetBytes = 2 << 20;
  // Pictures whose own texture is larger on either side keep it: they are few, and a layer
  // that large would hold little.
  static constexpr int32_t kMostPicturePixels = 128;
  static constexpr int32_t kMostLayers = 256;

  // Whether a picture with this own texture size and these flags may go into a sheet.
  // Mipmapped pictures keep their own texture: a sheet's smaller levels are not those of the
  // picture's own.
  static bool Takes(int32_t texWidth, int32_t texHeight, int32_t flags);
  // The own texture `level` (format 6, power-of-two sides) put into a layer of a sheet for the
  // current screen `seq`, whose texture is left bound to GL_TEXTURE_3D; null when the device
  // has no 3D textures or no sheet can be made.
  std::shared_ptr<TGLSheetPlace> Place(const TPixmap& level, bool filtered, int32_t seq);
  // The screen's context went away and its textures with it.
  void Forget();

 private:
  // Whether 3D textures are there (OpenGL 1.2), looked up once a context.
  bool Available();
  std::shared_ptr<TGLSheet> MakeSheet(int32_t side, bool filtered, int32_t seq);

  std::vector<std::shared_ptr<TGLSheet>> sheets_;
  int32_t available_ = -1;  // -1 until the context is asked
  int32_t most3D_ = 0;      // the device's largest 3D texture side
  void* texImage3D_ = nullptr;
  void* texSubImage3D_ = nullptr;
};

// The layer of `side` x `side` for `level`: its pixels at the corner, its last column and
// row repeated to the layer's edges.
TPixmapPtr LayerPixmap(const TPixmap& level, int32_t side);

#include "platform/video/gl_sheets.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_opengl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/video/gl_driver.h"
#include "platform/video/image.h"

TGLSheet::~TGLSheet() { ReleaseTexture(texture, seq); }

TGLSheetPlace::~TGLSheetPlace() { sheet->spare.push_back(layer); }

bool TGLSheets::Takes(int32_t texWidth, int32_t texHeight, int32_t flags) {
  return (flags & MIPMAPPEDIMAGE) == 0 && texWidth <= kMostPicturePixels && texHeight <= kMostPicturePixels;
}

void TGLSheets::Forget() {
  sheets_.clear();
  available_ = -1;
}

bool TGLSheets::Available() {
  if (available_ < 0) {
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const bool twelve = version != nullptr && (std::atoi(version) > 1 || std::strncmp(version, "1.1", 3) > 0);
    texImage3D_ = twelve ? SDL_GL_GetProcAddress("glTexImage3D") : nullptr;
    texSubImage3D_ = twelve ? SDL_GL_GetProcAddress("glTexSubImage3D") : nullptr;
    GLint most = 0;
    if (twelve) glGetIntegerv(GL_MAX_3D_TEXTURE_SIZE, &most);
    most3D_ = most;
    available_ = texImage3D_ != nullptr && texSubImage3D_ != nullptr && most3D_ >= 16;
  }
  return available_ == 1;
}

std::shared_ptr<TGLSheet> TGLSheets::MakeSheet(int32_t side, bool filtered, int32_t seq) {
  if (side > most3D_) return nullptr;
  // A power of two, so every layer's centre is an exact texture coordinate.
  int32_t layers = std::min({kMostLayers, kSheetBytes / (side * side * 4), most3D_});
  while ((layers & (layers - 1)) != 0) layers &= layers - 1;
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_3D, name);
  glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MAG_FILTER, filtered ? GL_LINEAR : GL_NEAREST);
  glTexParameteri(GL_TEXTURE_3D, GL_TEXTURE_MIN_FILTER, filtered ? GL_LINEAR : GL_NEAREST);
  // Earlier errors are not this sheet's; a lost context keeps answering, hence the bound.
  for (int32_t i = 0; i < 8 && glGetError() != GL_NO_ERROR; ++i) {
  }
  reinterpret_cast<PFNGLTEXIMAGE3DPROC>(texImage3D_)(GL_TEXTURE_3D, 0, GL_RGBA8, side, side, layers, 0, GL_RGBA,
                                                     GL_UNSIGNED_BYTE, nullptr);
  if (glGetError() != GL_NO_ERROR) {
    glDeleteTextures(1, &name);
    return nullptr;
  }
  auto sheet = std::make_shared<TGLSheet>();
  sheet->texture = name;
  sheet->seq = seq;
  sheet->side = side;
  sheet->layers = layers;
  sheet->filtered = filtered;
  sheets_.push_back(sheet);
  return sheet;
}

std::shared_ptr<TGLSheetPlace> TGLSheets::Place(const TPixmap& level, bool filtered, int32_t seq) {
  if (!Available()) return nullptr;
  // Layers of 16, 64 or 128 texels a side: glyphs, sprites, the few larger pictures.
  const int32_t largest = std::max(level.width, level.height);
  const int32_t side = largest <= 16 ? 16 : (largest <= 64 ? 64 : kMostPicturePixels);
  std::shared_ptr<TGLSheet> sheet;
  for (const auto& s : sheets_) {
    if (s->filtered == filtered && s->side == side && s->seq == seq && (!s->spare.empty() || s->used < s->layers)) {
      sheet = s;
      break;
    }
  }
  if (!sheet) sheet = MakeSheet(side, filtered, seq);
  if (!sheet) return nullptr;
  auto place = std::make_shared<TGLSheetPlace>();
  place->sheet = sheet;
  if (!sheet->spare.empty()) {
    place->layer = sheet->spare.back();
    sheet->spare.pop_back();
  } else {
    place->layer = sheet->used++;
  }
  const TPixmapPtr layer = LayerPixmap(level, side);
  glBindTexture(GL_TEXTURE_3D, sheet->texture);
  reinterpret_cast<PFNGLTEXSUBIMAGE3DPROC>(texSubImage3D_)(GL_TEXTURE_3D, 0, 0, 0, place->layer, side, side, 1, GL_RGBA,
                                                           GL_UNSIGNED_BYTE, layer->pixels.data());
  return place;
}

TPixmapPtr LayerPixmap(const TPixmap& level, int32_t side) {
  auto out = TPixmap::Create(side, side, PF_RGBA8888);
  for (int32_t y = 0; y < side; ++y) {
    const int32_t sy = std::min(y, level.height - 1);
    for (int32_t x = 0; x < side; ++x) level.ReadRGBA(std::min(x, level.width - 1), sy, out->PixelPtr(x, y));
  }
  return out;
}

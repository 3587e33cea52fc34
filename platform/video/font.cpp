#include "platform/video/font.h"

#include "platform/files/pixmap.h"
#include "platform/video/image.h"

const TImageGlyph* TImageFont::Glyph(int32_t code) const {
  const int32_t index = code - 32;
  if (index < 0 || index >= static_cast<int32_t>(_glyphs.size())) return nullptr;
  return &_glyphs[static_cast<size_t>(index)];
}

namespace {

std::shared_ptr<TImageFont> MakeBuiltinFont() {
  auto sheet = TPixmap::Create(768, 16, PF_RGBA8888);
  for (int32_t row = 0; row < 16; ++row) {
    for (int32_t j = 0; j < 96; ++j) {
      const uint8_t bits = kBuiltinFontTable[row * 96 + j];
      for (int32_t k = 0; k < 8; ++k) {
        if ((bits >> k) & 1) {
          uint8_t* p = sheet->PixelPtr(8 * j + k, row);
          p[0] = p[1] = p[2] = p[3] = 255;
        }
      }
    }
  }
  auto font = std::make_shared<TImageFont>();
  font->_glyphs.resize(96);
  for (int32_t j = 0; j < 96; ++j) {
    TImageGlyph& g = font->_glyphs[static_cast<size_t>(j)];
    g._image = TImage::Create(8, 16, 1, 0, 0, 0, 0);
    g._image->SetPixmap(0, CopyPixmapWindow(*sheet, 8 * j, 0, 8, 16));
    g._advance = 8.0f;
    g._w = 8;
    g._h = 16;
  }
  return font;
}

}  // namespace

std::shared_ptr<TImageFont> BuiltinFont() {
  static const std::shared_ptr<TImageFont> font = MakeBuiltinFont();
  return font;
}

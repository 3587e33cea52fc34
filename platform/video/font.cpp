#include "platform/video/font.h"

#include "platform/files/pixmap.h"
#include "platform/video/image.h"

const TImageGlyph* TImageFont::Glyph(int32_t code) const {
  // The Latin-1 glyphs follow the 96 of ASCII, without the control codes 128..159 between.
  int32_t index = code - 32;
  if (code >= 160)
    index = code - 64;
  else if (code >= 128)
    return nullptr;
  if (index < 0 || index >= static_cast<int32_t>(_glyphs.size())) return nullptr;
  return &_glyphs[static_cast<size_t>(index)];
}

namespace {

// The 96 glyphs of one table, appended to the font's.
void AddGlyphs(TImageFont& font, const uint8_t (&table)[1536]) {
  auto sheet = TPixmap::Create(768, 16, PF_RGBA8888);
  for (int32_t row = 0; row < 16; ++row) {
    for (int32_t j = 0; j < 96; ++j) {
      const uint8_t bits = table[row * 96 + j];
      for (int32_t k = 0; k < 8; ++k) {
        if ((bits >> k) & 1) {
          uint8_t* p = sheet->PixelPtr(8 * j + k, row);
          p[0] = p[1] = p[2] = p[3] = 255;
        }
      }
    }
  }
  for (int32_t j = 0; j < 96; ++j) {
    TImageGlyph& g = font._glyphs.emplace_back();
    g._image = TImage::Create(8, 16, 1, 0, 0, 0, 0);
    g._image->SetPixmap(0, CopyPixmapWindow(*sheet, 8 * j, 0, 8, 16));
    g._advance = 8.0f;
    g._w = 8;
    g._h = 16;
  }
}

std::shared_ptr<TImageFont> MakeBuiltinFont() {
  auto font = std::make_shared<TImageFont>();
  font->_glyphs.reserve(192);
  AddGlyphs(*font, kBuiltinFontTable);
  AddGlyphs(*font, kBuiltinLatin1Table);
  return font;
}

}  // namespace

std::shared_ptr<TImageFont> BuiltinFont() {
  static const std::shared_ptr<TImageFont> font = MakeBuiltinFont();
  return font;
}

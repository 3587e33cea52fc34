// Bitmap fonts for DrawString; the game draws all its text with the built-in 8 x 16 font.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

class TImage;

// Printable ASCII 32..127: 16 pixel rows of 96 bytes; byte j of row i is row i of glyph j,
// bit k (least significant first) the pixel at x = k.
extern const uint8_t kBuiltinFontTable[1536];
// Latin-1 160..255 in the same layout.
extern const uint8_t kBuiltinLatin1Table[1536];

struct TImageGlyph {
  std::shared_ptr<TImage> _image;  // null draws nothing but still advances
  float _advance = 0;
  int32_t _x = 0;
  int32_t _y = 0;
  int32_t _w = 0;
  int32_t _h = 0;
};

class TImageFont {
 public:
  std::vector<TImageGlyph> _glyphs;  // one per code of 32..127, then of 160..255
  int32_t _imageFlags = 0;

  // The glyph of a character code (a Unicode code point), or null outside 32..127 and 160..255.
  const TImageGlyph* Glyph(int32_t code) const;
};

// The built-in font, made on first use: 192 glyphs of 8 x 16 white pixels on transparency,
// advance 8, handle (0, 0), nearest-pixel sampling.
std::shared_ptr<TImageFont> BuiltinFont();

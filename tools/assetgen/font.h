// A tiny bitmap font for the labels of the contact sheet: 5 x 7 with two rows below the
// line for descenders.
#pragma once
#include <string_view>

#include "canvas.h"

constexpr int kGlyphW = 5, kGlyphH = 9, kAdvance = 6;

// Draws text with its top-left corner at (x, y); characters without a glyph are skipped.
void DrawText(Canvas& c, int x, int y, std::string_view text, Color color);
int TextWidth(std::string_view text);

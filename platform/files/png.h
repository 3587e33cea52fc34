// The PNG codec: the game's pictures read into pixel buffers, and pictures written out
// (screenshots, the world tool's maps).
#pragma once
#include <string>
#include <string_view>

#include "platform/files/pixmap.h"
#include "platform/files/textio.h"

// Decodes a PNG from the stream's current position; null when the data is not a PNG
// or cannot be decoded. Results: grey 1, RGB 4, RGB with alpha 6, grey with alpha 6.
TPixmapPtr LoadPixmapPNG(TStream& stream);
// Opens the file and tries the decoders the game's files need (PNG); null on failure.
TPixmapPtr LoadPixmapFile(std::string_view path);
// Writes the picture to a PNG file, with an alpha channel when its format has one; `fast`
// trades size for speed. False, with the reason in `problem` and no file left, when it cannot.
bool SavePixmapPNG(const TPixmap& pixmap, const std::string& path, std::string& problem, bool fast = false);

#include "platform/files/png.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/files/atomic_file.h"

namespace {

// libpng reports errors by longjmp; everything that must survive one lives behind this
// pointer, which is set before the jump target and never changed after it.
struct PngDecode {
  TStream* stream = nullptr;
  png_structp png = nullptr;
  png_infop info = nullptr;
  TPixmapPtr result;
  std::vector<png_bytep> rows;
};

void ReadFromStream(png_structp png, png_bytep data, png_size_t length) {
  auto* d = static_cast<PngDecode*>(png_get_io_ptr(png));
  if (d->stream->Read(data, static_cast<int32_t>(length)) != static_cast<int32_t>(length)) {
    png_error(png, "unexpected end of file");
  }
}

// Larger pictures are refused before any pixel memory is taken: a header may claim any size,
// and no texture could hold them anyway.
constexpr png_uint_32 kMaxSide = 16384;
constexpr uint64_t kMaxPixels = uint64_t{1} << 26;

void QuietWarning(png_structp, png_const_charp) {}
[[noreturn]] void QuietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// Returns false on any libpng error; the caller then discards the partial result.
bool DecodePng(PngDecode* d) {
  if (setjmp(png_jmpbuf(d->png))) return false;
  png_set_read_fn(d->png, d, ReadFromStream);
  png_set_sig_bytes(d->png, 8);
  // libpng reads these metadata chunks whole into a zero-filled buffer of the length the
  // chunk claims, so 60 bytes could take gigabytes. Nothing in them changes the pixels:
  // they are skipped unread.
  static constexpr png_byte kSkipped[] = "iCCP\0iTXt\0pCAL\0sCAL\0sPLT\0tEXt\0zTXt\0eXIf";
  png_set_keep_unknown_chunks(d->png, PNG_HANDLE_CHUNK_NEVER, kSkipped, static_cast<int>(sizeof(kSkipped) / 5));
  png_read_info(d->png, d->info);
  png_set_strip_16(d->png);
  png_set_expand(d->png);
  png_set_interlace_handling(d->png);
  png_read_update_info(d->png, d->info);

  const png_uint_32 width = png_get_image_width(d->png, d->info);
  const png_uint_32 height = png_get_image_height(d->png, d->info);
  const int colorType = png_get_color_type(d->png, d->info);
  const int depth = png_get_bit_depth(d->png, d->info);
  if (depth != 8 || width == 0 || height == 0 || width > kMaxSide || height > kMaxSide ||
      static_cast<uint64_t>(width) * height > kMaxPixels) {
    return false;
  }
  int32_t format = 0;
  int32_t srcBytes = 0;
  switch (colorType) {
    case PNG_COLOR_TYPE_GRAY: format = PF_I8; srcBytes = 1; break;
    case PNG_COLOR_TYPE_RGB: format = PF_RGB888; srcBytes = 3; break;
    case PNG_COLOR_TYPE_RGB_ALPHA: format = PF_RGBA8888; srcBytes = 4; break;
    case PNG_COLOR_TYPE_GRAY_ALPHA: format = PF_RGBA8888; srcBytes = 2; break;
    default: return false;
  }
  if (png_get_rowbytes(d->png, d->info) != width * static_cast<png_uint_32>(srcBytes)) return false;
  d->result = TPixmap::Create(static_cast<int32_t>(width), static_cast<int32_t>(height), format);
  TPixmap& pm = *d->result;
  // Grey with alpha is read into the left half of each row and widened in place afterwards.
  d->rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) d->rows[y] = pm.pixels.data() + y * static_cast<png_uint_32>(pm.pitch);
  png_read_image(d->png, d->rows.data());
  png_read_end(d->png, nullptr);
  if (colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
    for (png_uint_32 y = 0; y < height; ++y) {
      uint8_t* row = d->rows[y];
      for (png_uint_32 x = width; x-- > 0;) {
        const uint8_t g = row[2 * x];
        const uint8_t a = row[2 * x + 1];
        row[4 * x] = g;
        row[4 * x + 1] = g;
        row[4 * x + 2] = g;
        row[4 * x + 3] = a;
      }
    }
  }
  return true;
}

}  // namespace

TPixmapPtr LoadPixmapPNG(TStream& stream) {
  uint8_t sig[8];
  if (stream.Read(sig, 8) != 8 || png_sig_cmp(sig, 0, 8) != 0) return nullptr;
  auto d = std::make_unique<PngDecode>();
  d->stream = &stream;
  d->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
  if (d->png == nullptr) return nullptr;
  d->info = png_create_info_struct(d->png);
  const bool ok = d->info != nullptr && DecodePng(d.get());
  png_destroy_read_struct(&d->png, d->info != nullptr ? &d->info : nullptr, nullptr);
  return ok ? d->result : nullptr;
}

TPixmapPtr LoadPixmapFile(std::string_view path) {
  TStreamPtr stream = OpenReadStream(path);
  if (!stream) return nullptr;
  TPixmapPtr pixmap = LoadPixmapPNG(*stream);
  CloseStream(stream);
  return pixmap;
}

bool SavePixmapPNG(const TPixmap& pixmap, const std::string& path, std::string& problem, bool fast) {
  const bool alpha = TPixmap::HasAlpha(pixmap.format);
  const int32_t format = alpha ? PF_RGBA8888 : PF_RGB888;
  const TPixmapPtr converted = pixmap.format == format ? nullptr : ConvertPixmap(pixmap, format);
  const TPixmap& out = converted ? *converted : pixmap;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(out.width);
  image.height = static_cast<png_uint_32>(out.height);
  image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  if (fast) image.flags = PNG_IMAGE_FLAG_FAST;
  // Encoded in memory first, then renamed into place whole: a reader never sees half a
  // picture, and a full disk leaves an earlier file as it was.
  std::vector<uint8_t> bytes(PNG_IMAGE_PNG_SIZE_MAX(image));
  png_alloc_size_t size = bytes.size();
  if (png_image_write_to_memory(&image, bytes.data(), &size, 0, out.pixels.data(), out.pitch, nullptr) == 0) {
    problem = image.message;
    return false;
  }
  problem = WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), size));
  return problem.empty();
}

#include "image8.h"

#include <png.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>

static uint8_t Byte(float v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0f)); }

Image8 ToRgba(const Canvas& c) {
  Image8 img{c.W(), c.H(), true, {}};
  img.data.reserve(static_cast<size_t>(c.W()) * c.H() * 4);
  for (int y = 0; y < c.H(); ++y)
    for (int x = 0; x < c.W(); ++x) {
      const Color& p = c.At(x, y);
      uint8_t a = Byte(p.a);
      // Fully transparent pixels carry no colour, which also keeps the files small.
      img.data.push_back(a ? Byte(p.r) : 0);
      img.data.push_back(a ? Byte(p.g) : 0);
      img.data.push_back(a ? Byte(p.b) : 0);
      img.data.push_back(a);
    }
  return img;
}

Image8 ToMaskedRgb(const Canvas& c) {
  Image8 img{c.W(), c.H(), false, {}};
  img.data.reserve(static_cast<size_t>(c.W()) * c.H() * 3);
  for (int y = 0; y < c.H(); ++y)
    for (int x = 0; x < c.W(); ++x) {
      const Color& p = c.At(x, y);
      uint8_t r = 0, g = 0, b = 0;
      if (p.a >= 0.5f) {
        r = Byte(p.r);
        g = Byte(p.g);
        b = Byte(p.b);
        if (r == 0 && g == 0 && b == 0) r = g = b = 1;
      }
      img.data.push_back(r);
      img.data.push_back(g);
      img.data.push_back(b);
    }
  return img;
}

Canvas AsLoaded(const Image8& img) {
  Canvas c(img.w, img.h);
  size_t n = img.alpha ? 4 : 3;
  for (int y = 0; y < img.h; ++y)
    for (int x = 0; x < img.w; ++x) {
      const uint8_t* p = &img.data[(static_cast<size_t>(y) * img.w + x) * n];
      float a = img.alpha ? p[3] / 255.0f : (p[0] | p[1] | p[2]) ? 1.0f : 0.0f;
      c.At(x, y) = {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f, a};
    }
  return c;
}

void WritePng(const std::string& path, const Image8& img) {
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!file) throw std::runtime_error(path + ": cannot open for writing");
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    throw std::runtime_error(path + ": out of memory");
  }
  std::vector<png_bytep> rows(img.h);
  size_t pitch = static_cast<size_t>(img.w) * (img.alpha ? 4 : 3);
  for (int y = 0; y < img.h; ++y)
    rows[y] = const_cast<png_bytep>(img.data.data() + pitch * y);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw std::runtime_error(path + ": cannot write the PNG data");
  }
  png_init_io(png, file.get());
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, img.w, img.h, 8, img.alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fflush(file.get()) != 0 || std::ferror(file.get()))
    throw std::runtime_error(path + ": cannot write the PNG data");
}

// The desktop icon: the player's soldier standing on a rounded tile of the game's grass,
// composed once at the figures' own scale and resampled to each icon size, its rounded
// edge drawn sharp at every size.
#include <algorithm>
#include <stdexcept>
#include <string>

#include "art.h"

namespace {

constexpr int kBase = 64;
constexpr float kCornerShare = 10.0f / kBase;  // corner radius per pixel of icon size
constexpr float kMarginShare = 2.0f / kBase;

const Image8& Find(const std::vector<Picture>& pictures, const std::string& file) {
  for (const Picture& p : pictures)
    if (p.file == file) return p.image;
  throw std::runtime_error("no picture " + file + " to draw the icon from");
}

float RoundedSquare(Vec2 p, float size) {
  const float half = size / 2.0f;
  return SdBox(p, {half, half}, half - kMarginShare * size, half - kMarginShare * size, kCornerShare * size);
}

Canvas Compose() {
  const Canvas grass = AsLoaded(Find(MakeTiles(), "gras.png"));
  const Canvas soldier = AsLoaded(Find(MakeFigures(), "figur1.png"));
  Canvas c(kBase, kBase);
  const float size = kBase;
  FillBevel(
      c, [size](Vec2 p) { return RoundedSquare(p, size); },
      Rgb(0, 0, 0), 1.5f, 6.0f);
  Canvas tile(kBase, kBase);
  tile.Paste(grass, 0, 0);
  Fill(c, [size](Vec2 p) { return RoundedSquare(p, size) + 1.5f; },
       [&tile](Vec2 p, float) { return tile.At(static_cast<int>(p.x), static_cast<int>(p.y)); });
  c.Paste(soldier, (kBase - soldier.W()) / 2, (kBase - soldier.H()) / 2);
  return c;
}

// Bilinear sample with premultiplied colour, so transparent pixels lend no colour.
Color Sample(const Canvas& c, float x, float y) {
  x = std::clamp(x - 0.5f, 0.0f, c.W() - 1.0f);
  y = std::clamp(y - 0.5f, 0.0f, c.H() - 1.0f);
  const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
  const int x1 = std::min(x0 + 1, c.W() - 1), y1 = std::min(y0 + 1, c.H() - 1);
  const float fx = x - x0, fy = y - y0;
  Color sum;
  const auto add = [&sum, &c](int px, int py, float w) {
    const Color& p = c.At(px, py);
    sum.r += p.r * p.a * w;
    sum.g += p.g * p.a * w;
    sum.b += p.b * p.a * w;
    sum.a += p.a * w;
  };
  add(x0, y0, (1 - fx) * (1 - fy));
  add(x1, y0, fx * (1 - fy));
  add(x0, y1, (1 - fx) * fy);
  add(x1, y1, fx * fy);
  return sum;
}

Canvas Resample(const Canvas& src, int size) {
  constexpr int kSub = 4;
  const float step = static_cast<float>(src.W()) / size;
  Canvas out(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      Color sum;
      for (int sy = 0; sy < kSub; ++sy)
        for (int sx = 0; sx < kSub; ++sx) {
          const Color s = Sample(src, (x + (sx + 0.5f) / kSub) * step, (y + (sy + 0.5f) / kSub) * step);
          sum.r += s.r, sum.g += s.g, sum.b += s.b, sum.a += s.a;
        }
      // The outline's colour where the resampled edge has faded out.
      const Color colour = sum.a > 0.01f ? Color{sum.r / sum.a, sum.g / sum.a, sum.b / sum.a, 1} : Rgb(0, 0, 0);
      const float edge = RoundedSquare({x + 0.5f, y + 0.5f}, static_cast<float>(size));
      out.At(x, y) = {colour.r, colour.g, colour.b, Clamp01(0.5f - edge)};
    }
  return out;
}

constexpr int kWindowIconSize = 64;

}  // namespace

Picture MakeWindowIcon() { return {"icon.png", "icons", ToRgba(Resample(Compose(), kWindowIconSize))}; }

std::vector<Picture> MakeIcons(const std::string& name) {
  const Canvas base = Compose();
  std::vector<Picture> icons;
  for (const int size : {48, 64, 128, 256}) {
    const std::string folder = std::to_string(size) + "x" + std::to_string(size);
    icons.push_back({"hicolor/" + folder + "/apps/" + name + ".png", "icons", ToRgba(Resample(base, size))});
  }
  return icons;
}

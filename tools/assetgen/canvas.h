// Floating-point pictures and the few drawing primitives the asset art is built from.
// Everything is deterministic: the same calls give the same pixels on every run.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

struct Color {
  float r = 0, g = 0, b = 0, a = 0;
};

Color Rgb(int r, int g, int b, float a = 1.0f);
Color Mix(Color x, Color y, float t);
Color Scale(Color c, float f);  // scales the colour channels, keeps alpha
float Clamp01(float v);
float SmoothStep(float e0, float e1, float v);

// Straight (not premultiplied) RGBA, row-major, origin at the top left.
class Canvas {
 public:
  Canvas(int w, int h, Color fill = {});
  int W() const { return w_; }
  int H() const { return h_; }
  Color& At(int x, int y) { return px_[static_cast<size_t>(y) * w_ + x]; }
  const Color& At(int x, int y) const { return px_[static_cast<size_t>(y) * w_ + x]; }
  // Source-over compositing of c, its alpha weighted by coverage.
  void Blend(int x, int y, Color c, float coverage);
  // Places another canvas with its top-left corner at (x, y), source-over.
  void Paste(const Canvas& src, int x, int y);

 private:
  int w_, h_;
  std::vector<Color> px_;
};

// A small deterministic generator (splitmix64), so the art never depends on the library.
class Rng {
 public:
  explicit Rng(uint64_t seed) : s_(seed) {}
  uint64_t Next();
  float Unit();                     // [0, 1)
  float Range(float lo, float hi);  // [lo, hi)
  int Int(int lo, int hi);          // lo .. hi inclusive

 private:
  uint64_t s_;
};

// Value noise on a lattice that repeats every `period` cells, so a tile built from it
// wraps seamlessly. x and y are in lattice cells.
float PeriodicNoise(float x, float y, int period, uint32_t seed);
// Octaves of periodic noise over a square picture of `size` pixels, result about 0..1.
float TileFbm(float x, float y, int size, int baseCells, int octaves, uint32_t seed);
// A hash of a pixel position, 0..1: per-pixel grain.
float Grain(int x, int y, uint32_t seed);

// Signed distances in pixels (negative inside).
struct Vec2 {
  float x, y;
};
float SdCircle(Vec2 p, Vec2 c, float r);
float SdEllipse(Vec2 p, Vec2 c, float rx, float ry);
float SdBox(Vec2 p, Vec2 c, float hx, float hy, float round, float angleDeg = 0.0f);
float SdCapsule(Vec2 p, Vec2 a, Vec2 b, float r);
float SdTaper(Vec2 p, Vec2 a, Vec2 b, float ra, float rb);  // capsule with two radii
float SdPolygon(Vec2 p, const std::vector<Vec2>& v);

using Shape = std::function<float(Vec2)>;
using Paint = std::function<Color(Vec2, float /*distance*/)>;

// Pixel bounds that contain a shape, to spare the work for the rest of the picture.
struct Bounds {
  float x0, y0, x1, y1;
};

// Fills a shape with antialiased edges, sampling at pixel centres.
void Fill(Canvas& c, const Shape& shape, const Paint& paint);
void Fill(Canvas& c, const Shape& shape, const Paint& paint, Bounds bounds);
void Fill(Canvas& c, const Shape& shape, Color color);
// Fills with a dark outline of the given width and a rim-to-centre bevel, so parts of a
// sprite read as solid objects from above whichever way the sprite is turned.
void FillBevel(Canvas& c, const Shape& shape, Color color, float outline, float depth);
// A soft round glow or shadow: alpha falls from `alpha` at the centre to 0 at radius r.
void Glow(Canvas& c, Vec2 centre, float r, Color color, float alpha, float power = 2.0f);

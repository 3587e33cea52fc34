#include "canvas.h"

#include <algorithm>
#include <cmath>

Color Rgb(int r, int g, int b, float a) { return {r / 255.0f, g / 255.0f, b / 255.0f, a}; }

Color Mix(Color x, Color y, float t) {
  return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t,
          x.a + (y.a - x.a) * t};
}

Color Scale(Color c, float f) { return {c.r * f, c.g * f, c.b * f, c.a}; }

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

float SmoothStep(float e0, float e1, float v) {
  float t = Clamp01((v - e0) / (e1 - e0));
  return t * t * (3.0f - 2.0f * t);
}

Canvas::Canvas(int w, int h, Color fill)
    : w_(w), h_(h), px_(static_cast<size_t>(w) * h, fill) {}

void Canvas::Blend(int x, int y, Color c, float coverage) {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
  float sa = Clamp01(c.a * coverage);
  if (sa <= 0.0f) return;
  Color& d = At(x, y);
  float oa = sa + d.a * (1.0f - sa);
  if (oa <= 0.0f) {
    d = {};
    return;
  }
  float k = d.a * (1.0f - sa);
  d.r = (Clamp01(c.r) * sa + d.r * k) / oa;
  d.g = (Clamp01(c.g) * sa + d.g * k) / oa;
  d.b = (Clamp01(c.b) * sa + d.b * k) / oa;
  d.a = oa;
}

void Canvas::Paste(const Canvas& src, int x, int y) {
  for (int j = 0; j < src.H(); ++j)
    for (int i = 0; i < src.W(); ++i) Blend(x + i, y + j, src.At(i, j), 1.0f);
}

uint64_t Rng::Next() {
  uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

float Rng::Unit() { return static_cast<float>(Next() >> 40) / static_cast<float>(1 << 24); }

float Rng::Range(float lo, float hi) { return lo + (hi - lo) * Unit(); }

int Rng::Int(int lo, int hi) {
  return lo + static_cast<int>(Next() % static_cast<uint64_t>(hi - lo + 1));
}

static uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed) {
  uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

static float HashUnit(uint32_t x, uint32_t y, uint32_t seed) {
  return static_cast<float>(Hash(x, y, seed) >> 8) / static_cast<float>(1 << 24);
}

static int Wrap(int v, int period) { return ((v % period) + period) % period; }

float PeriodicNoise(float x, float y, int period, uint32_t seed) {
  float fx = std::floor(x), fy = std::floor(y);
  int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  float tx = x - fx, ty = y - fy;
  tx = tx * tx * (3.0f - 2.0f * tx);
  ty = ty * ty * (3.0f - 2.0f * ty);
  auto v = [&](int dx, int dy) {
    return HashUnit(Wrap(ix + dx, period), Wrap(iy + dy, period), seed);
  };
  float a = v(0, 0) + (v(1, 0) - v(0, 0)) * tx;
  float b = v(0, 1) + (v(1, 1) - v(0, 1)) * tx;
  return a + (b - a) * ty;
}

float TileFbm(float x, float y, int size, int baseCells, int octaves, uint32_t seed) {
  float sum = 0.0f, amp = 0.5f, norm = 0.0f;
  int cells = baseCells;
  for (int o = 0; o < octaves; ++o) {
    float s = static_cast<float>(cells) / static_cast<float>(size);
    sum += amp * PeriodicNoise(x * s, y * s, cells, seed + 101u * o);
    norm += amp;
    amp *= 0.5f;
    cells *= 2;
  }
  return sum / norm;
}

float Grain(int x, int y, uint32_t seed) {
  return HashUnit(static_cast<uint32_t>(x), static_cast<uint32_t>(y), seed);
}

static float Length(Vec2 v) { return std::sqrt(v.x * v.x + v.y * v.y); }

float SdCircle(Vec2 p, Vec2 c, float r) { return Length({p.x - c.x, p.y - c.y}) - r; }

float SdEllipse(Vec2 p, Vec2 c, float rx, float ry) {
  float dx = (p.x - c.x) / rx, dy = (p.y - c.y) / ry;
  float k = std::sqrt(dx * dx + dy * dy);
  return (k - 1.0f) * std::min(rx, ry);
}

float SdBox(Vec2 p, Vec2 c, float hx, float hy, float round, float angleDeg) {
  float a = -angleDeg * 3.14159265f / 180.0f;
  float px = p.x - c.x, py = p.y - c.y;
  float x = px * std::cos(a) - py * std::sin(a);
  float y = px * std::sin(a) + py * std::cos(a);
  float qx = std::fabs(x) - (hx - round), qy = std::fabs(y) - (hy - round);
  float outside = Length({std::max(qx, 0.0f), std::max(qy, 0.0f)});
  return outside + std::min(std::max(qx, qy), 0.0f) - round;
}

float SdCapsule(Vec2 p, Vec2 a, Vec2 b, float r) { return SdTaper(p, a, b, r, r); }

float SdTaper(Vec2 p, Vec2 a, Vec2 b, float ra, float rb) {
  float bx = b.x - a.x, by = b.y - a.y, px = p.x - a.x, py = p.y - a.y;
  float len2 = bx * bx + by * by;
  float h = len2 > 0.0f ? Clamp01((px * bx + py * by) / len2) : 0.0f;
  return Length({px - bx * h, py - by * h}) - (ra + (rb - ra) * h);
}

float SdPolygon(Vec2 p, const std::vector<Vec2>& v) {
  float d = 1e9f;
  bool inside = false;
  for (size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
    float ex = v[j].x - v[i].x, ey = v[j].y - v[i].y;
    float wx = p.x - v[i].x, wy = p.y - v[i].y;
    float h = Clamp01((wx * ex + wy * ey) / (ex * ex + ey * ey));
    d = std::min(d, Length({wx - ex * h, wy - ey * h}));
    if ((v[i].y > p.y) != (v[j].y > p.y) &&
        p.x < (v[j].x - v[i].x) * (p.y - v[i].y) / (v[j].y - v[i].y) + v[i].x)
      inside = !inside;
  }
  return inside ? -d : d;
}

// Four samples per pixel, each half a pixel wide, give smooth edges even where a distance
// is only approximate.
static float Coverage(const Shape& shape, float x, float y, float* centreDistance) {
  static const float kOff[4][2] = {{-0.25f, -0.25f}, {0.25f, -0.25f}, {-0.25f, 0.25f},
                                   {0.25f, 0.25f}};
  float cov = 0.0f;
  for (const auto& o : kOff) cov += Clamp01(0.5f - 2.0f * shape({x + o[0], y + o[1]}));
  *centreDistance = shape({x, y});
  return cov * 0.25f;
}

void Fill(Canvas& c, const Shape& shape, const Paint& paint) {
  Fill(c, shape, paint, {0.0f, 0.0f, static_cast<float>(c.W()), static_cast<float>(c.H())});
}

void Fill(Canvas& c, const Shape& shape, const Paint& paint, Bounds b) {
  int x0 = std::max(0, static_cast<int>(std::floor(b.x0)) - 1);
  int y0 = std::max(0, static_cast<int>(std::floor(b.y0)) - 1);
  int x1 = std::min(c.W(), static_cast<int>(std::ceil(b.x1)) + 1);
  int y1 = std::min(c.H(), static_cast<int>(std::ceil(b.y1)) + 1);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      float px = x + 0.5f, py = y + 0.5f, d = 0.0f;
      float cov = Coverage(shape, px, py, &d);
      if (cov > 0.0f) c.Blend(x, y, paint({px, py}, d), cov);
    }
}

void Fill(Canvas& c, const Shape& shape, Color color) {
  Fill(c, shape, [color](Vec2, float) { return color; });
}

void FillBevel(Canvas& c, const Shape& shape, Color color, float outline, float depth) {
  Color rim = Scale(color, 0.35f);
  rim.a = color.a;
  Fill(c, shape, [=](Vec2, float d) {
    float in = -d;
    if (in < outline)
      return Mix(rim, Scale(color, 0.8f), SmoothStep(outline - 0.7f, outline + 0.3f, in));
    return Scale(color, 0.8f + 0.4f * SmoothStep(outline, outline + depth, in));
  });
}

void Glow(Canvas& c, Vec2 centre, float r, Color color, float alpha, float power) {
  for (int y = 0; y < c.H(); ++y)
    for (int x = 0; x < c.W(); ++x) {
      float d = SdCircle({x + 0.5f, y + 0.5f}, centre, 0.0f) / r;
      if (d >= 1.0f) continue;
      c.Blend(x, y, color, alpha * std::pow(1.0f - d, power));
    }
}

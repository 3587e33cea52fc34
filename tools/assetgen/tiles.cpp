// Terrain tiles: 64 x 64, seamless, lit from the top left. The map multiplies a tile by a
// grey between 30/255 and 246/255, so the tiles are bright with strong local contrast and
// keep their pattern when darkened.
#include <algorithm>
#include <cmath>

#include "art.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kSize = static_cast<float>(kTileSize);

// Draws a feature together with its copies one tile away, so features crossing an edge
// come back in on the opposite side.
void FillWrapped(Canvas& c, Vec2 centre, float radius, const Shape& shape, const Paint& paint) {
  for (int oy = -1; oy <= 1; ++oy)
    for (int ox = -1; ox <= 1; ++ox) {
      float dx = ox * kSize, dy = oy * kSize;
      Bounds b{centre.x + dx - radius, centre.y + dy - radius, centre.x + dx + radius,
               centre.y + dy + radius};
      if (b.x1 < 0 || b.y1 < 0 || b.x0 > kSize || b.y0 > kSize) continue;
      Fill(
          c, [&](Vec2 p) { return shape({p.x - dx, p.y - dy}); },
          [&](Vec2 p, float d) { return paint({p.x - dx, p.y - dy}, d); }, b);
    }
}

// Lambert shading of a dome of radius r over centre c, light from the top left.
float DomeLight(Vec2 p, Vec2 c, float r) {
  float qx = (p.x - c.x) / r, qy = (p.y - c.y) / r;
  float q2 = std::min(1.0f, qx * qx + qy * qy);
  float nz = std::sqrt(1.0f - q2);
  return -0.45f * qx - 0.55f * qy + 0.7f * nz;
}

Canvas Base(const std::function<Color(int, int)>& f) {
  Canvas c(kTileSize, kTileSize);
  for (int y = 0; y < kTileSize; ++y)
    for (int x = 0; x < kTileSize; ++x) c.At(x, y) = f(x, y);
  return c;
}

void Pebbles(Canvas& c, Rng& rng, int count, float rmin, float rmax,
             const std::vector<Color>& colours) {
  for (int i = 0; i < count; ++i) {
    Vec2 ctr{rng.Range(0, kSize), rng.Range(0, kSize)};
    float r = rng.Range(rmin, rmax), squash = rng.Range(0.7f, 1.0f);
    Color col = colours[rng.Int(0, static_cast<int>(colours.size()) - 1)];
    Vec2 sh{ctr.x + 0.9f, ctr.y + 1.0f};
    FillWrapped(
        c, sh, r + 2, [=](Vec2 p) { return SdEllipse(p, sh, r, r * squash); },
        [](Vec2, float) { return Rgb(40, 28, 18, 0.45f); });
    FillWrapped(
        c, ctr, r + 2, [=](Vec2 p) { return SdEllipse(p, ctr, r, r * squash); },
        [=](Vec2 p, float) { return Scale(col, 0.75f + 0.5f * DomeLight(p, ctr, r)); });
  }
}

Canvas Earth() {
  Canvas c = Base([](int x, int y) {
    float n = TileFbm(x, y, kTileSize, 4, 4, 11);
    float damp = SmoothStep(0.55f, 0.7f, TileFbm(x, y, kTileSize, 2, 3, 12));
    Color col = Mix(Rgb(128, 92, 60), Rgb(186, 142, 98), n);
    col = Mix(col, Rgb(110, 78, 52), damp * 0.6f);
    float g = Grain(x, y, 13);
    col = Scale(col, 0.92f + 0.16f * g);
    if (g > 0.965f) col = Scale(col, 0.7f);  // clods
    return col;
  });
  Rng rng(0xE4DEu);
  // Thin dry cracks: short random walks.
  for (int i = 0; i < 5; ++i) {
    Vec2 p{rng.Range(0, kSize), rng.Range(0, kSize)};
    float a = rng.Range(0, 2 * kPi);
    for (int s = 0; s < 6; ++s) {
      a += rng.Range(-0.9f, 0.9f);
      Vec2 q{p.x + 3.0f * std::cos(a), p.y + 3.0f * std::sin(a)};
      Vec2 mid{(p.x + q.x) / 2, (p.y + q.y) / 2};
      FillWrapped(
          c, mid, 4, [=](Vec2 v) { return SdCapsule(v, p, q, 0.45f); },
          [](Vec2, float) { return Rgb(92, 62, 40, 0.8f); });
      p = q;
    }
  }
  Pebbles(c, rng, 16, 1.2f, 3.2f, {Rgb(196, 178, 150), Rgb(170, 158, 142), Rgb(210, 180, 140)});
  return c;
}

Canvas Water() {
  Canvas c = Base([](int x, int y) {
    float n = TileFbm(x, y, kTileSize, 2, 4, 21);
    float warp = TileFbm(x, y, kTileSize, 2, 3, 22) * 5.0f;
    Color col = Mix(Rgb(46, 106, 184), Rgb(82, 150, 214), n);
    // Two crossing swells, whole numbers of waves per tile so they wrap.
    float w1 = std::sin(2 * kPi * (2.0f * x + 3.0f * y) / kSize + warp);
    float w2 = std::sin(2 * kPi * (-3.0f * x + 2.0f * y) / kSize + warp * 1.3f + 1.0f);
    float crest = SmoothStep(0.80f, 0.97f, w1) + 0.6f * SmoothStep(0.88f, 0.99f, w2);
    float trough = SmoothStep(-0.6f, -1.0f, w1);
    col = Scale(col, 1.0f - 0.14f * trough);
    col = Mix(col, Rgb(190, 226, 250), Clamp01(crest) * 0.75f);
    col = Scale(col, 0.97f + 0.06f * Grain(x, y, 23));
    return col;
  });
  Rng rng(0x3A55E6u);
  for (int i = 0; i < 7; ++i) {
    Vec2 p{rng.Range(0, kSize), rng.Range(0, kSize)};
    FillWrapped(
        c, p, 3, [=](Vec2 v) { return SdCircle(v, p, 0.7f); },
        [](Vec2, float) { return Rgb(235, 248, 255, 0.9f); });
  }
  return c;
}

Canvas Grass() {
  Canvas c = Base([](int x, int y) {
    float n = TileFbm(x, y, kTileSize, 4, 4, 31);
    Color col = Mix(Rgb(74, 134, 46), Rgb(124, 182, 70), n);
    return Scale(col, 0.9f + 0.2f * Grain(x, y, 32));
  });
  Rng rng(0x6A55u);
  const Color shades[] = {Rgb(160, 212, 96), Rgb(110, 170, 58), Rgb(56, 108, 36),
                          Rgb(176, 196, 84), Rgb(90, 150, 50)};
  for (int i = 0; i < 320; ++i) {
    Vec2 a{rng.Range(0, kSize), rng.Range(0, kSize)};
    float ang = -kPi / 2 + rng.Range(-0.7f, 0.7f), len = rng.Range(3.0f, 7.0f);
    Vec2 b{a.x + len * std::cos(ang), a.y + len * std::sin(ang)};
    Color col = shades[rng.Int(0, 4)];
    FillWrapped(
        c, a, len + 2, [=](Vec2 p) { return SdTaper(p, a, b, 0.75f, 0.2f); },
        [=](Vec2, float) { return col; });
  }
  // A few small flowers, sparse so the repeat does not show.
  for (int i = 0; i < 4; ++i) {
    Vec2 p{rng.Range(0, kSize), rng.Range(0, kSize)};
    Color col = i % 2 ? Rgb(250, 230, 90) : Rgb(245, 245, 240);
    FillWrapped(
        c, p, 3, [=](Vec2 v) { return SdCircle(v, p, 1.1f); }, [=](Vec2, float) { return col; });
  }
  return c;
}

Canvas Sand() {
  Canvas c = Base([](int x, int y) {
    float n = TileFbm(x, y, kTileSize, 2, 4, 41);
    float warp = TileFbm(x, y, kTileSize, 2, 3, 42) * 4.0f;
    Color col = Mix(Rgb(214, 188, 132), Rgb(242, 224, 172), n);
    // Wind ripples: an uneven wave, steep on the lee side.
    float ph = 2 * kPi * (4.0f * y + 1.0f * x) / kSize + warp;
    float w = std::sin(ph) + 0.35f * std::sin(2 * ph);
    col = Scale(col, 1.0f + 0.07f * w);
    float g = Grain(x, y, 43);
    col = Scale(col, 0.93f + 0.12f * g);
    if (g > 0.97f) col = Mix(col, Rgb(150, 120, 80), 0.5f);
    return col;
  });
  Rng rng(0x5A4Du);
  Pebbles(c, rng, 5, 0.9f, 1.8f, {Rgb(246, 222, 214), Rgb(190, 170, 150), Rgb(250, 245, 235)});
  return c;
}

Canvas Forest() {
  Canvas c = Base([](int x, int y) {
    float n = TileFbm(x, y, kTileSize, 4, 3, 51);
    return Mix(Rgb(30, 58, 26), Rgb(52, 88, 38), n);
  });
  Rng rng(0xBA0Au);
  const Color hues[] = {Rgb(78, 146, 54), Rgb(98, 160, 60), Rgb(64, 134, 70), Rgb(112, 156, 52)};
  // Crowns on a jittered 3 x 3 grid cover the ground evenly without clumping.
  for (int gy = 0; gy < 3; ++gy)
    for (int gx = 0; gx < 3; ++gx) {
      Vec2 ctr{(gx + 0.5f) * kSize / 3 + rng.Range(-5, 5), (gy + 0.5f) * kSize / 3 + rng.Range(-5, 5)};
      float r = rng.Range(11.0f, 14.5f);
      float p1 = rng.Range(0, 2 * kPi), p2 = rng.Range(0, 2 * kPi);
      Color hue = hues[rng.Int(0, 3)];
      uint32_t seed = 60 + gy * 3 + gx;
      auto lumpy = [=](Vec2 p, Vec2 o) {
        float dx = p.x - o.x, dy = p.y - o.y, ang = std::atan2(dy, dx);
        float rr = r * (1.0f + 0.10f * std::sin(5 * ang + p1) + 0.06f * std::sin(9 * ang + p2));
        return std::sqrt(dx * dx + dy * dy) - rr;
      };
      Vec2 sh{ctr.x + 2.5f, ctr.y + 3.0f};
      FillWrapped(
          c, sh, r + 4, [=](Vec2 p) { return lumpy(p, sh); },
          [](Vec2, float) { return Rgb(14, 30, 12, 0.55f); });
      FillWrapped(
          c, ctr, r + 4, [=](Vec2 p) { return lumpy(p, ctr); },
          [=](Vec2 p, float d) {
            float light = DomeLight(p, ctr, r * 1.15f);
            // Leaf clusters: fine noise that is brightest where the crown faces the light.
            float leaves = PeriodicNoise(p.x * 0.45f, p.y * 0.45f, 1000, seed);
            float rim = SmoothStep(0.0f, 2.0f, -d);
            float f = 0.6f + 0.55f * light + 0.35f * (leaves - 0.5f);
            return Scale(hue, f * (0.75f + 0.25f * rim));
          });
    }
  return c;
}

Canvas Leaves() {
  Canvas c = Base([](int x, int y) {
    float n = TileFbm(x, y, kTileSize, 4, 3, 71);
    return Scale(Mix(Rgb(96, 70, 44), Rgb(132, 98, 62), n), 0.9f + 0.2f * Grain(x, y, 72));
  });
  Rng rng(0xB1A77u);
  const Color autumn[] = {Rgb(214, 128, 44), Rgb(190, 76, 34), Rgb(222, 180, 66),
                          Rgb(160, 120, 56), Rgb(176, 64, 40), Rgb(200, 150, 60)};
  for (int i = 0; i < 26; ++i) {
    Vec2 ctr{rng.Range(0, kSize), rng.Range(0, kSize)};
    float ang = rng.Range(0, 2 * kPi), len = rng.Range(4.5f, 7.5f), wid = len * rng.Range(0.4f, 0.55f);
    Color col = autumn[rng.Int(0, 5)];
    float ca = std::cos(ang), sa = std::sin(ang);
    // A lens between two circles: pointed at both ends like a leaf.
    float big = (len * len + wid * wid) / (2 * wid);
    Vec2 c1{ctr.x - sa * (big - wid), ctr.y + ca * (big - wid)};
    Vec2 c2{ctr.x + sa * (big - wid), ctr.y - ca * (big - wid)};
    Vec2 tipA{ctr.x - ca * len, ctr.y - sa * len}, tipB{ctr.x + ca * len, ctr.y + sa * len};
    auto lens = [=](Vec2 p) { return std::max(SdCircle(p, c1, big), SdCircle(p, c2, big)); };
    Vec2 sh{ctr.x + 1.0f, ctr.y + 1.2f};
    FillWrapped(
        c, sh, len + 2, [=](Vec2 p) { return lens({p.x - 1.0f, p.y - 1.2f}); },
        [](Vec2, float) { return Rgb(40, 26, 14, 0.5f); });
    FillWrapped(c, ctr, len + 2, lens, [=](Vec2 p, float d) {
      float rib = SdCapsule(p, tipA, tipB, 0.0f);
      Color k = Scale(col, 0.85f + 0.25f * SmoothStep(0.0f, 2.5f, -d));
      if (rib < 0.5f) k = Scale(k, 0.7f);
      return k;
    });
  }
  return c;
}

Picture Tile(const std::string& file, Canvas c) { return {file, "tiles", ToMaskedRgb(c)}; }

}  // namespace

std::vector<Picture> MakeTiles() {
  return {Tile("erde.png", Earth()),  Tile("wasser.png", Water()), Tile("gras.png", Grass()),
          Tile("sand.png", Sand()),   Tile("baum.png", Forest()),  Tile("blatt.png", Leaves())};
}

// Pickups and the blood splash. The pickups are RGB pictures on pure black, which the game
// makes transparent; each ammunition box wears the colour of its weapon's shot.
#include <algorithm>
#include <cmath>

#include "art.h"

namespace {

using V = Vec2;
constexpr float kPi = 3.14159265f;

void Part(Canvas& c, const Shape& s, Color col, float depth = 3.0f) {
  FillBevel(c, s, col, 1.0f, depth);
}

Canvas SmallKit() {
  Canvas c(24, 20);
  Part(c, [](V p) { return SdBox(p, {12, 10}, 11, 9, 2.5f); }, Rgb(238, 238, 232), 4);
  Part(c, [](V p) { return std::min(SdBox(p, {12, 10}, 6, 2, 0.5f), SdBox(p, {12, 10}, 2, 6, 0.5f)); },
       Rgb(220, 36, 36), 1.5f);
  return c;
}

Canvas LargeKit() {
  Canvas c(36, 31);
  Part(c, [](V p) { return std::max(SdBox(p, {18, 5}, 7, 4, 2), -SdBox(p, {18, 5.5f}, 4, 1.6f, 1)); },
       Rgb(96, 96, 104), 1.5f);
  Part(c, [](V p) { return SdBox(p, {18, 18}, 17, 12, 3); }, Rgb(44, 164, 84), 5);
  Fill(c, [](V p) { return SdBox(p, {18, 8.2f}, 15, 0.6f, 0.3f); }, Rgb(30, 110, 56));
  Part(c,
       [](V p) {
         return std::min(SdBox(p, {18, 18.5f}, 7.5f, 2.6f, 0.5f),
                         SdBox(p, {18, 18.5f}, 2.6f, 7.5f, 0.5f));
       },
       Rgb(246, 246, 240), 1.5f);
  return c;
}

// Weapon 1: a crate of brass rounds.
Canvas BulletBox() {
  Canvas c(28, 22);
  Part(c, [](V p) { return SdBox(p, {14, 11}, 13, 10, 1.5f); }, Rgb(104, 112, 62), 3);
  Fill(c, [](V p) { return SdBox(p, {14, 11}, 10.5f, 7.5f, 1); }, Rgb(58, 62, 34));
  for (int i = 0; i < 4; ++i) {
    float x = 7.5f + i * 4.4f;
    Part(c, [=](V p) { return SdCapsule(p, {x, 10}, {x, 16}, 1.8f); }, Rgb(224, 182, 70), 1);
    Part(c, [=](V p) { return SdTaper(p, {x, 9}, {x, 4.5f}, 1.8f, 0.5f); }, Rgb(206, 120, 64), 1);
  }
  return c;
}

// Weapon 2: a round canister with a glowing green window.
Canvas PlasmaCell() {
  Canvas c(24, 24);
  V m{12, 12};
  Part(c, [=](V p) { return SdCircle(p, m, 11); }, Rgb(120, 126, 138), 3);
  for (int i = 0; i < 4; ++i) {
    float a = i * kPi / 2 + kPi / 4;
    V s{m.x + 9.3f * std::cos(a), m.y + 9.3f * std::sin(a)};
    Fill(c, [=](V p) { return SdCircle(p, s, 1.0f); }, Rgb(60, 62, 70));
  }
  Part(c, [=](V p) { return SdCircle(p, m, 7); }, Rgb(60, 226, 168), 4);
  Fill(c, [=](V p) { return std::fabs(SdCircle(p, m, 4.5f)) - 0.5f; }, Rgb(160, 255, 214));
  Fill(c, [=](V p) { return SdCircle(p, m, 2.4f); }, Rgb(230, 255, 244));
  return c;
}

// Weapon 3: a red power cell with a lightning mark.
Canvas LaserCell() {
  Canvas c(18, 31);
  Part(c, [](V p) { return SdBox(p, {9, 3}, 4, 2.5f, 1); }, Rgb(178, 178, 188), 1.5f);
  Part(c, [](V p) { return SdBox(p, {9, 17}, 8, 13, 2.5f); }, Rgb(212, 40, 58), 4);
  Fill(c, [](V p) { return SdBox(p, {9, 8.5f}, 7, 1.3f, 0.3f); }, Rgb(70, 70, 78));
  const std::vector<V> bolt = {{10.5f, 11}, {5.5f, 19}, {9, 19}, {7.5f, 26}, {12.5f, 17.5f}, {9, 17.5f}};
  Fill(c, [&](V p) { return SdPolygon(p, bolt); }, Rgb(255, 236, 120));
  return c;
}

// Weapon 4: a violet hexagonal charge with an orange star.
Canvas HeavyCell() {
  Canvas c(28, 28);
  V m{14, 14};
  auto hex = [=](float r) {
    std::vector<V> v;
    for (int i = 0; i < 6; ++i) {
      float a = i * kPi / 3 + kPi / 6;
      v.push_back({m.x + r * std::cos(a), m.y + r * std::sin(a)});
    }
    return v;
  };
  std::vector<V> outer = hex(13.2f), inner = hex(8.5f);
  Part(c, [=](V p) { return SdPolygon(p, outer); }, Rgb(146, 74, 206), 4);
  Fill(c, [=](V p) { return SdPolygon(p, inner); }, Rgb(84, 36, 120));
  std::vector<V> star;
  for (int i = 0; i < 8; ++i) {
    float a = i * kPi / 4 - kPi / 2, r = i % 2 ? 2.4f : 7.0f;
    star.push_back({m.x + r * std::cos(a), m.y + r * std::sin(a)});
  }
  Fill(c, [=](V p) { return SdPolygon(p, star); }, Rgb(255, 164, 54));
  Fill(c, [=](V p) { return SdCircle(p, m, 1.6f); }, Rgb(255, 244, 210));
  return c;
}

// Weapon 5: an orange fuel can.
Canvas FuelCan() {
  Canvas c(24, 31);
  Part(c, [](V p) { return SdBox(p, {19, 3.5f}, 2.4f, 3, 1, 25); }, Rgb(150, 150, 160), 1);
  Part(c, [](V p) { return SdBox(p, {12, 17}, 11, 13.5f, 2.5f); }, Rgb(224, 92, 30), 4);
  Part(c,
       [](V p) {
         return std::max(SdBox(p, {10, 7}, 6.5f, 3, 1.5f), -SdBox(p, {10, 7}, 4.5f, 1.2f, 0.8f));
       },
       Rgb(170, 62, 20), 1);
  for (float ang : {34.0f, -34.0f})
    Fill(c,
         [=](V p) {
           return std::max(SdBox(p, {12, 20}, 11, 1.3f, 0.6f, ang), SdBox(p, {12, 20}, 8, 8, 1));
         },
         Rgb(250, 150, 80));
  return c;
}

Picture Item(const std::string& file, const Canvas& c) { return {file, "items", ToMaskedRgb(c)}; }

// Splash: a lumpy pool with runs and droplets, white at its heart and greyer outward.
Canvas Splash() {
  Canvas c(64, 64);
  V m{32, 32};
  Rng rng(0xB100Du);
  float ph1 = rng.Range(0, 2 * kPi), ph2 = rng.Range(0, 2 * kPi);
  std::vector<std::pair<V, float>> drops;
  for (int i = 0; i < 14; ++i) {
    float a = rng.Range(0, 2 * kPi), d = rng.Range(15, 27);
    drops.push_back({{m.x + d * std::cos(a), m.y + d * std::sin(a)}, rng.Range(1.0f, 3.6f)});
  }
  std::vector<V> runs;
  for (int i = 0; i < 7; ++i) {
    float a = i * 2 * kPi / 7 + rng.Range(-0.3f, 0.3f), d = rng.Range(19, 28);
    runs.push_back({m.x + d * std::cos(a), m.y + d * std::sin(a)});
  }
  auto shape = [=](V p) {
    float dx = p.x - m.x, dy = p.y - m.y, a = std::atan2(dy, dx);
    float r = 12.5f * (1.0f + 0.16f * std::sin(4 * a + ph1) + 0.1f * std::sin(7 * a + ph2));
    float d = std::sqrt(dx * dx + dy * dy) - r;
    for (V e : runs) d = std::min(d, SdTaper(p, m, e, 4.0f, 0.9f));
    for (const auto& dr : drops) d = std::min(d, SdCircle(p, dr.first, dr.second));
    return d;
  };
  Fill(c, shape, [=](V p, float d) {
    float far = Clamp01(SdCircle(p, m, 0) / 30.0f);
    float tex = PeriodicNoise(p.x * 0.35f, p.y * 0.35f, 1000, 77);
    float g = Clamp01(1.0f - 0.45f * far - 0.18f * tex + 0.1f * SmoothStep(0.0f, 3.0f, -d));
    return Color{g, g, g, 0.95f};
  });
  return c;
}

}  // namespace

std::vector<Picture> MakeItems() {
  return {Item("firstaid.png", SmallKit()), Item("secaid.png", LargeKit()),
          Item("shell1.png", BulletBox()),  Item("shell3.png", PlasmaCell()),
          Item("shell4.png", LaserCell()),  Item("shell5.png", HeavyCell()),
          Item("shell2.png", FuelCan())};
}

Picture MakeBlood() { return {"blood.png", "blood", ToRgba(Splash())}; }

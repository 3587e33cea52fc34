// Figures, seen from above and facing up the screen: the game turns them by their facing.
// Each sits on a soft dark halo that keeps it readable on any ground; the shading is
// rim-to-centre rather than from one side, since the pictures are drawn at every angle.
#include <algorithm>
#include <cmath>

#include "art.h"

namespace {

using V = Vec2;

void Halo(Canvas& c, V centre, float r) { Glow(c, centre, r, Rgb(0, 0, 0), 0.5f, 1.6f); }

void Part(Canvas& c, const Shape& s, Color col, float depth = 4.0f) {
  FillBevel(c, s, col, 1.0f, depth);
}

// The player, and one kind of enemy: a soldier with a rifle held forward.
Canvas Soldier() {
  Canvas c(48, 48);
  Halo(c, {24, 26}, 23);
  Part(c, [](V p) { return SdBox(p, {24, 35}, 7.5f, 4.5f, 2); }, Rgb(44, 92, 104));
  Part(c, [](V p) { return SdEllipse(p, {24, 28}, 15, 8); }, Rgb(56, 144, 206), 5);
  Part(c, [](V p) { return SdCapsule(p, {13, 26}, {26, 13}, 3.0f); }, Rgb(44, 118, 176));
  Part(c, [](V p) { return SdCapsule(p, {35, 26}, {32, 19}, 3.0f); }, Rgb(44, 118, 176));
  Part(c, [](V p) { return SdBox(p, {30, 12}, 2.2f, 10, 1); }, Rgb(74, 76, 84), 2);
  Fill(c, [](V p) { return SdBox(p, {30, 2.8f}, 1.2f, 1.0f, 0.5f); }, Rgb(30, 30, 34));
  Part(c, [](V p) { return SdCircle(p, {28, 12.5f}, 2.5f); }, Rgb(232, 188, 146), 1.5f);
  Part(c, [](V p) { return SdCircle(p, {31.5f, 19.5f}, 2.5f); }, Rgb(232, 188, 146), 1.5f);
  Part(c, [](V p) { return SdCircle(p, {24, 27}, 7.0f); }, Rgb(40, 104, 168), 5);
  Fill(c, [](V p) { return SdBox(p, {24, 22.5f}, 4, 1.2f, 1); }, Rgb(150, 220, 255));
  return c;
}

// A heavy trooper in red armour with twin guns.
Canvas Heavy() {
  Canvas c(52, 52);
  Halo(c, {26, 28}, 25);
  Part(c, [](V p) { return SdCapsule(p, {14, 24}, {17, 15}, 3.4f); }, Rgb(150, 40, 34));
  Part(c, [](V p) { return SdCapsule(p, {38, 24}, {35, 15}, 3.4f); }, Rgb(150, 40, 34));
  Part(c, [](V p) { return SdBox(p, {17, 11}, 2.6f, 10, 1); }, Rgb(86, 86, 96), 2);
  Part(c, [](V p) { return SdBox(p, {35, 11}, 2.6f, 10, 1); }, Rgb(86, 86, 96), 2);
  Part(c, [](V p) { return SdBox(p, {26, 30}, 12, 10, 4); }, Rgb(206, 58, 46), 6);
  Part(c, [](V p) { return SdBox(p, {11, 28}, 7, 8.5f, 3); }, Rgb(176, 44, 38));
  Part(c, [](V p) { return SdBox(p, {41, 28}, 7, 8.5f, 3); }, Rgb(176, 44, 38));
  Part(c, [](V p) { return SdBox(p, {17, 19}, 4, 3.5f, 1.5f); }, Rgb(120, 34, 30), 2);
  Part(c, [](V p) { return SdBox(p, {35, 19}, 4, 3.5f, 1.5f); }, Rgb(120, 34, 30), 2);
  Part(c, [](V p) { return SdCircle(p, {26, 28}, 6.8f); }, Rgb(124, 32, 28), 4);
  Fill(c, [](V p) { return SdBox(p, {26, 23.5f}, 4.5f, 1.3f, 1); }, Rgb(255, 214, 70));
  Fill(c, [](V p) { return SdBox(p, {17, 1.8f}, 2.0f, 0.9f, 0.5f); }, Rgb(40, 40, 44));
  Fill(c, [](V p) { return SdBox(p, {35, 1.8f}, 2.0f, 0.9f, 0.5f); }, Rgb(40, 40, 44));
  return c;
}

// A yellow four-rotor drone with a red sensor eye at its nose.
Canvas Drone() {
  Canvas c(48, 48);
  Halo(c, {24, 24}, 24);
  const V rotors[] = {{11, 12}, {37, 12}, {11, 36}, {37, 36}};
  for (V r : rotors)
    Part(c, [=](V p) { return SdCapsule(p, {24, 24}, r, 2.2f); }, Rgb(96, 96, 104), 1.5f);
  for (V r : rotors) {
    Fill(c, [=](V p) { return SdCircle(p, r, 8.5f); }, Rgb(214, 218, 228, 0.35f));
    Fill(c, [=](V p) { return std::fabs(SdCircle(p, r, 8.0f)) - 0.6f; }, Rgb(70, 70, 80, 0.8f));
    Fill(c, [=](V p) { return SdBox(p, r, 7.5f, 1.0f, 1.0f, 30); }, Rgb(120, 120, 130, 0.7f));
    Part(c, [=](V p) { return SdCircle(p, r, 2.3f); }, Rgb(90, 90, 100), 1);
  }
  Part(c, [](V p) { return SdCircle(p, {24, 25}, 10.5f); }, Rgb(238, 186, 40), 5);
  Part(c, [](V p) { return SdPolygon(p, {{24, 6.5f}, {18.5f, 18}, {29.5f, 18}}); },
       Rgb(56, 58, 70), 2);
  Fill(c, [](V p) { return SdCircle(p, {24, 13.5f}, 2.2f); }, Rgb(255, 70, 50));
  Fill(c, [](V p) { return SdCircle(p, {23.3f, 12.8f}, 0.8f); }, Rgb(255, 220, 200));
  Fill(c, [](V p) { return SdBox(p, {24, 29}, 5, 1.0f, 1); }, Rgb(150, 110, 20));
  return c;
}

// A purple crawler with mandibles and six legs.
Canvas Crawler() {
  Canvas c(56, 56);
  Halo(c, {28, 30}, 27);
  const Color leg = Rgb(104, 48, 136);
  for (int side = -1; side <= 1; side += 2) {
    auto mx = [=](float x) { return 28 + side * (x - 28); };
    const V legs[3][3] = {{{24, 25}, {13, 19}, {9, 8}},
                          {{23, 30}, {9, 31}, {4, 40}},
                          {{24, 35}, {13, 43}, {12, 53}}};
    for (const auto& l : legs) {
      V a{mx(l[0].x), l[0].y}, b{mx(l[1].x), l[1].y}, e{mx(l[2].x), l[2].y};
      Part(c, [=](V p) { return std::min(SdCapsule(p, a, b, 1.9f), SdTaper(p, b, e, 1.6f, 0.6f)); },
           leg, 1);
    }
    V m0{mx(25), 15}, m1{mx(21), 8}, m2{mx(24.5f), 2.5f};
    Part(c,
         [=](V p) {
           return std::min(SdTaper(p, m0, m1, 2.0f, 1.4f), SdTaper(p, m1, m2, 1.4f, 0.4f));
         },
         Rgb(120, 60, 150), 1);
  }
  Part(c, [](V p) { return SdEllipse(p, {28, 41}, 9.5f, 11.5f); }, Rgb(150, 72, 204), 6);
  for (int i = 0; i < 3; ++i) {
    float y = 37.0f + i * 5.0f;
    Fill(
        c,
        [=](V p) { return std::max(SdEllipse(p, {28, 41}, 8.0f, 10.0f), std::fabs(p.y - y) - 0.8f); },
        Rgb(96, 40, 140, 0.9f));
  }
  Part(c, [](V p) { return SdEllipse(p, {28, 27.5f}, 7.5f, 6.0f); }, Rgb(170, 90, 220), 4);
  Part(c, [](V p) { return SdEllipse(p, {28, 18}, 6.5f, 5.5f); }, Rgb(136, 64, 186), 3);
  Fill(c, [](V p) { return SdCircle(p, {25, 16.5f}, 1.9f); }, Rgb(130, 255, 120));
  Fill(c, [](V p) { return SdCircle(p, {31, 16.5f}, 1.9f); }, Rgb(130, 255, 120));
  return c;
}

// A small olive tank, its gun pointing forward.
Canvas Tank() {
  Canvas c(46, 54);
  Halo(c, {23, 29}, 27);
  for (float x : {9.0f, 37.0f}) {
    Part(c, [=](V p) { return SdBox(p, {x, 30}, 6.5f, 21.5f, 2); }, Rgb(64, 64, 62), 2);
    for (int i = 0; i < 10; ++i) {
      float y = 11.0f + i * 4.2f;
      Fill(c, [=](V p) { return SdBox(p, {x, y}, 5.0f, 0.8f, 0.4f); }, Rgb(110, 108, 100));
    }
  }
  Part(c, [](V p) { return SdBox(p, {23, 30}, 12.5f, 18.5f, 3); }, Rgb(118, 138, 74), 5);
  Part(c, [](V p) { return SdBox(p, {23, 14}, 2.4f, 11.5f, 1); }, Rgb(86, 98, 62), 2);
  Part(c, [](V p) { return SdBox(p, {23, 4}, 3.4f, 2.4f, 1); }, Rgb(76, 86, 56), 1);
  Part(c, [](V p) { return SdCircle(p, {23, 32}, 9.5f); }, Rgb(136, 158, 88), 5);
  Part(c, [](V p) { return SdCircle(p, {26.5f, 35}, 2.6f); }, Rgb(100, 116, 66), 1.5f);
  Fill(c, [](V p) { return SdBox(p, {23, 47}, 8, 1.2f, 0.6f); }, Rgb(90, 100, 60));
  return c;
}

Picture Figure(const std::string& file, const Canvas& c) { return {file, "figures", ToRgba(c)}; }

}  // namespace

std::vector<Picture> MakeFigures() {
  return {Figure("figur1.png", Soldier()), Figure("figur2.png", Heavy()),
          Figure("figur3.png", Drone()), Figure("figur4.png", Crawler()),
          Figure("figur5.png", Tank())};
}

// Shots: glowing projectiles whose soft edges live in the alpha channel.
#include <algorithm>
#include <cmath>

#include "art.h"

namespace {

using V = Vec2;
constexpr float kPi = 3.14159265f;

// The bullet points DOWN: the game draws a bullet turned by the negated heading, which for
// the way headings are counted puts the bottom of the picture in front.
Canvas Bullet() {
  Canvas c(8, 18);
  Glow(c, {4, 13}, 5.0f, Rgb(255, 190, 70), 0.55f, 1.5f);
  Fill(
      c, [](V p) { return SdTaper(p, {4, 2}, {4, 13}, 0.7f, 2.4f); },
      [](V p, float) {
        float t = Clamp01((p.y - 2.0f) / 11.0f);
        Color col = Mix(Rgb(255, 130, 30), Rgb(255, 236, 150), t);
        col.a = 0.15f + 0.85f * t;
        return col;
      });
  Fill(c, [](V p) { return SdCircle(p, {4, 13.3f}, 1.6f); }, Rgb(255, 255, 235));
  return c;
}

Canvas PlasmaBall() {
  Canvas c(24, 24);
  Glow(c, {12, 12}, 12.0f, Rgb(30, 240, 150), 0.85f, 1.4f);
  Fill(
      c, [](V p) { return SdCircle(p, {12, 12}, 6.5f); },
      [](V p, float) {
        float t = Clamp01(SdCircle(p, {12, 12}, 0) / 6.5f);
        Color col = Mix(Rgb(240, 255, 248), Rgb(40, 230, 160), std::sqrt(t));
        col.a = 1.0f - 0.3f * t;
        return col;
      });
  // Bright specks circling the core, so the random turns of the ball show as a spin.
  for (int i = 0; i < 3; ++i) {
    float a = i * 2 * kPi / 3 + 0.4f;
    V s{12 + 8.0f * std::cos(a), 12 + 8.0f * std::sin(a)};
    Fill(c, [=](V p) { return SdCircle(p, s, 1.2f); }, Rgb(200, 255, 230, 0.9f));
  }
  return c;
}

Canvas LaserBolt() {
  Canvas c(8, 32);
  Fill(c, [](V p) { return SdCapsule(p, {4, 4}, {4, 28}, 3.5f); }, Rgb(255, 40, 80, 0.35f));
  Fill(c, [](V p) { return SdCapsule(p, {4, 4.5f}, {4, 27.5f}, 2.0f); }, Rgb(255, 84, 116, 0.9f));
  Fill(c, [](V p) { return SdCapsule(p, {4, 5.5f}, {4, 26.5f}, 0.9f); }, Rgb(255, 235, 240));
  return c;
}

// The heavy charge: a dark core in a violet field, sparking outward.
Canvas HeavyCharge() {
  Canvas c(36, 36);
  V m{18, 18};
  Glow(c, m, 18.0f, Rgb(190, 80, 255), 0.6f, 1.4f);
  for (int i = 0; i < 8; ++i) {
    float a = i * kPi / 4 + kPi / 8;
    V tip{m.x + 16.5f * std::cos(a), m.y + 16.5f * std::sin(a)};
    Fill(c, [=](V p) { return SdTaper(p, m, tip, 2.2f, 0.3f); }, Rgb(255, 176, 70, 0.95f));
  }
  Fill(c, [=](V p) { return std::fabs(SdCircle(p, m, 11.0f)) - 1.1f; }, Rgb(236, 140, 255, 0.9f));
  FillBevel(c, [=](V p) { return SdCircle(p, m, 7.5f); }, Rgb(96, 36, 128), 1.0f, 3.0f);
  Glow(c, m, 5.5f, Rgb(255, 210, 130), 1.0f, 1.2f);
  Fill(c, [=](V p) { return SdCircle(p, m, 1.8f); }, Rgb(255, 250, 230));
  return c;
}

// One frame of the fireball: a ragged ball of heat whose outline and inner turbulence
// change from frame to frame, so the frames flicker when picked at random.
Canvas Flame(int frame) {
  static const float kRadius[8] = {11.0f, 12.2f, 10.4f, 11.6f, 10.0f, 12.0f, 11.2f, 10.6f};
  Canvas c(32, 32);
  Rng rng(0xF12Eu + static_cast<uint64_t>(frame) * 7919u);
  float ph[3] = {rng.Range(0, 2 * kPi), rng.Range(0, 2 * kPi), rng.Range(0, 2 * kPi)};
  float ox = rng.Range(0, 50), oy = rng.Range(0, 50);
  float r0 = kRadius[frame];
  uint32_t seed = 900 + frame;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      float dx = x + 0.5f - 16.0f, dy = y + 0.5f - 16.0f;
      float d = std::sqrt(dx * dx + dy * dy), a = std::atan2(dy, dx);
      float edge = r0 * (1.0f + 0.07f * std::sin(3 * a + ph[0]) + 0.05f * std::sin(5 * a + ph[1]) +
                         0.035f * std::sin(8 * a + ph[2]));
      float turb = 0.6f * PeriodicNoise(x * 0.30f + ox, y * 0.30f + oy, 1000, seed) +
                   0.4f * PeriodicNoise(x * 0.65f + oy, y * 0.65f + ox, 1000, seed + 1);
      float heat = 1.0f - d / edge + 0.5f * (turb - 0.5f);
      if (heat <= 0.0f) {
        // A faint red glow around the ball.
        float glow = Clamp01(1.0f - (d - edge * 0.8f) / 5.0f);
        if (glow > 0.0f) c.Blend(x, y, Rgb(230, 70, 20), 0.35f * glow * glow);
        continue;
      }
      Color col;
      if (heat > 0.7f)
        col = Mix(Rgb(255, 236, 120), Rgb(255, 255, 230), SmoothStep(0.7f, 0.95f, heat));
      else if (heat > 0.4f)
        col = Mix(Rgb(255, 150, 30), Rgb(255, 236, 120), SmoothStep(0.4f, 0.7f, heat));
      else
        col = Mix(Rgb(170, 36, 10), Rgb(255, 150, 30), SmoothStep(0.05f, 0.4f, heat));
      col.a = SmoothStep(0.0f, 0.3f, heat);
      c.Blend(x, y, col, 1.0f);
    }
  return c;
}

Picture Shot(const std::string& file, const Canvas& c) { return {file, "shots", ToRgba(c)}; }

}  // namespace

std::vector<Picture> MakeShots() {
  std::vector<Picture> shots = {Shot("shoot.png", Bullet()), Shot("plasma.png", PlasmaBall()),
                                Shot("laser.png", LaserBolt()), Shot("letzter.png", HeavyCharge())};
  for (int k = 0; k < 8; ++k) shots.push_back(Shot("fire" + std::to_string(k) + ".png", Flame(k)));
  return shots;
}

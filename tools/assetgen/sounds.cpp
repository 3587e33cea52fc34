// Weapon and death sounds, synthesised from oscillators, filtered noise and envelopes.
// Each is normalised well below full scale, so the lossy encoding cannot clip it.
#include <algorithm>
#include <cmath>

#include "art.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kRate = static_cast<float>(kSoundRate);

std::vector<float> Samples(float seconds) {
  return std::vector<float>(static_cast<size_t>(seconds * kRate));
}

float Env(float t, float attack, float decay) {
  return (attack > 0 ? std::min(1.0f, t / attack) : 1.0f) * std::exp(-t / decay);
}

// A state-variable filter: low, band and high pass from one structure.
struct Svf {
  float low = 0, band = 0;
  float Band(float in, float freq, float q) {
    float f = 2.0f * std::sin(kPi * std::min(freq, kRate / 6) / kRate);
    low += f * band;
    float high = in - low - band / q;
    band += f * high;
    return band;
  }
  float Low(float in, float freq, float q) {
    Band(in, freq, q);
    return low;
  }
};

float Peak(const std::vector<float>& s) {
  float peak = 0;
  for (float v : s) peak = std::max(peak, std::fabs(v));
  return peak;
}

// Weapons peak at half of full scale (-6 dBFS), so that the game's mix has room for many at
// once; the death peaks higher and is driven denser, to be heard over the gunfire.
constexpr float kShotPeak = 0.5f;
constexpr float kDeathPeak = 0.62f;

// Soft saturation with the given drive, then the peak, a 2 ms fade-in and a 10 ms fade-out
// against clicks. Drive lifts the body of sharp sounds above their first spike.
void Finish(std::vector<float>& s, float drive = 0.0f, float target = kShotPeak) {
  if (drive > 0.0f) {
    float peak = Peak(s);
    if (peak > 0)
      for (float& v : s) v = std::tanh(drive * v / peak);
  }
  float peak = Peak(s);
  float k = peak > 0 ? target / peak : 0.0f;
  size_t in = static_cast<size_t>(0.002f * kRate), out = static_cast<size_t>(0.010f * kRate);
  for (size_t i = 0; i < s.size(); ++i) {
    float f = k;
    if (i < in) f *= static_cast<float>(i) / in;
    if (i + out > s.size()) f *= static_cast<float>(s.size() - i) / out;
    s[i] *= f;
  }
}

float Noise(Rng& rng) { return rng.Range(-1.0f, 1.0f); }

// Weapon 1: a dry gunshot crack over a short low thump.
std::vector<float> Gunshot() {
  auto s = Samples(0.22f);
  Rng rng(101);
  Svf crack, body;
  float phase = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    float t = i / kRate;
    float n = Noise(rng);
    float hiss = crack.Band(n, 2600.0f - 1800.0f * std::min(1.0f, t / 0.1f), 0.8f) * Env(t, 0, 0.03f);
    phase += 2 * kPi * (55.0f + 140.0f * std::exp(-t / 0.03f)) / kRate;
    float thump = std::sin(phase) * Env(t, 0.001f, 0.05f);
    float rumble = body.Low(n, 400.0f, 0.7f) * Env(t, 0, 0.07f);
    s[i] = 1.3f * hiss + 0.8f * thump + 1.5f * rumble;
  }
  Finish(s, 3.0f);
  return s;
}

// Weapon 2: a falling, bubbly plasma "pew".
std::vector<float> PlasmaPew() {
  auto s = Samples(0.34f);
  float phase = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    float t = i / kRate;
    float f = 260.0f + 1300.0f * std::exp(-t / 0.07f);
    phase += 2 * kPi * f / kRate;
    float tone = std::sin(phase + 1.2f * std::sin(2.0f * phase) * std::exp(-t / 0.12f));
    float wobble = 0.75f + 0.25f * std::sin(2 * kPi * 32.0f * t);
    s[i] = tone * wobble * Env(t, 0.004f, 0.11f);
  }
  Finish(s);
  return s;
}

// Weapon 3: a buzzing laser zap, two detuned saws ring-modulated.
std::vector<float> LaserZap() {
  auto s = Samples(0.26f);
  float p1 = 0, p2 = 0;
  Svf tone;
  for (size_t i = 0; i < s.size(); ++i) {
    float t = i / kRate;
    float f = 700.0f + 2600.0f * std::exp(-t / 0.025f) - 300.0f * t / 0.26f;
    p1 += f / kRate;
    p2 += f * 1.012f / kRate;
    float saw = (p1 - std::floor(p1)) * 2 - 1 + (p2 - std::floor(p2)) * 2 - 1;
    float ring = std::sin(2 * kPi * 95.0f * t);
    s[i] = tone.Low(saw * (0.55f + 0.45f * ring), 3500.0f, 0.9f) * Env(t, 0.002f, 0.08f);
  }
  Finish(s, 2.0f);
  return s;
}

// Weapon 4: the heavy charge, a deep boom with a rising whine of energy.
std::vector<float> HeavyBoom() {
  auto s = Samples(0.46f);
  Rng rng(404);
  Svf rumble;
  float ph = 0, pw = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    float t = i / kRate;
    ph += 2 * kPi * (38.0f + 70.0f * std::exp(-t / 0.09f)) / kRate;
    float boom = std::sin(ph) * Env(t, 0.003f, 0.16f);
    float noise = rumble.Low(Noise(rng), 260.0f, 0.8f) * Env(t, 0.001f, 0.1f);
    pw += 2 * kPi * (280.0f + 1100.0f * t) / kRate;
    float whine = std::sin(pw) * 0.18f * SmoothStep(0.0f, 0.15f, t) * std::exp(-t / 0.25f);
    s[i] = std::tanh(1.6f * (boom + 2.2f * noise)) + whine;
  }
  Finish(s);
  return s;
}

// Weapon 5: a swelling whoosh of flame with crackles.
std::vector<float> FlameWhoosh() {
  auto s = Samples(0.42f);
  Rng rng(505);
  Svf roar, pop;
  float crackle = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    float t = i / kRate;
    float centre = 500.0f + 1400.0f * std::sin(kPi * std::min(1.0f, t / 0.42f));
    float env = SmoothStep(0.0f, 0.08f, t) * std::exp(-std::max(0.0f, t - 0.12f) / 0.11f);
    float body = roar.Band(Noise(rng), centre, 1.6f) * env;
    if (rng.Unit() < 0.004f) crackle = rng.Range(0.4f, 1.0f) * (rng.Unit() < 0.5f ? -1 : 1);
    crackle *= 0.93f;
    // Crackles are rounded off: sharp clicks would overshoot once encoded.
    s[i] = 1.4f * body + 0.8f * pop.Low(crackle, 2200.0f, 0.7f) * env;
  }
  Finish(s, 1.5f);
  return s;
}

// Death: a falling, groaning voice (a buzz through two vowel formants) over a thud.
std::vector<float> DeathGroan() {
  auto s = Samples(0.9f);
  Rng rng(606);
  Svf f1, f2, breath;
  float ph = 0, pth = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    float t = i / kRate;
    float u = t / 0.9f;
    float pitch = (175.0f - 85.0f * u) * (1.0f + 0.03f * std::sin(2 * kPi * 6.0f * t));
    ph += pitch / kRate;
    float buzz = (ph - std::floor(ph)) * 2 - 1;
    float voice = 1.0f * f1.Band(buzz, 720.0f - 260.0f * u, 5.0f) +
                  0.6f * f2.Band(buzz, 1150.0f - 350.0f * u, 6.0f);
    float venv = SmoothStep(0.0f, 0.05f, t) * (1.0f - SmoothStep(0.55f, 0.88f, t));
    pth += 2 * kPi * (48.0f + 60.0f * std::exp(-t / 0.05f)) / kRate;
    float thud = std::sin(pth) * Env(t, 0.002f, 0.08f);
    float air = breath.Band(Noise(rng), 1800.0f, 1.0f) * 0.15f * venv;
    s[i] = voice * venv + 0.9f * thud + air;
  }
  Finish(s, 2.0f, kDeathPeak);
  return s;
}

}  // namespace

std::vector<Sound> MakeSounds() {
  return {{"s1.ogg", Gunshot()},   {"s2.ogg", PlasmaPew()},   {"s3.ogg", LaserZap()},
          {"s4.ogg", HeavyBoom()}, {"s5.ogg", FlameWhoosh()}, {"t.ogg", DeathGroan()}};
}

// The game's music, composed in code: fixed tables of chords, melodies and drum patterns in
// A minor, played by a few small synthesisers. Each piece loops: it is rendered with a tail
// for the notes still ringing at its end, and that tail is added onto its beginning, so the
// last sample flows into the first.
#include <algorithm>
#include <cmath>
#include <span>
#include <stdexcept>

#include "art.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr float kRate = static_cast<float>(kSoundRate);
// Like the weapons: -6 dBFS, the game's mixer scales the music further down.
constexpr float kMusicPeak = 0.5f;

// Equal temperament without pow(): the twelve semitones above A.
constexpr float kSemitone[12] = {1.0f,        1.05946309f, 1.12246205f, 1.18920712f, 1.25992105f, 1.33483985f,
                                 1.41421356f, 1.49830708f, 1.58740105f, 1.68179283f, 1.78179744f, 1.88774863f};

float Hz(int midi) {
  int d = midi - 57;  // A3, 220 Hz
  int octave = d >= 0 ? d / 12 : -((11 - d) / 12);
  float f = 220.0f * kSemitone[d - 12 * octave];
  for (; octave > 0; --octave) f *= 2.0f;
  for (; octave < 0; ++octave) f *= 0.5f;
  return f;
}

// A state-variable filter with a fixed cutoff.
struct Svf {
  float f, q, low = 0, band = 0, high = 0;
  Svf(float freq, float res) : q(res) { Tune(freq); }
  void Tune(float freq) { f = 2.0f * std::sin(kPi * std::min(freq, kRate / 6) / kRate); }
  void Run(float in) {
    low += f * band;
    high = in - low - band / q;
    band += f * high;
  }
  float Low(float in) { return Run(in), low; }
  float High(float in) { return Run(in), high; }
  float Band(float in) { return Run(in), band; }
};

// Band-limited saw and square (polyBLEP), so high notes do not alias at 22 kHz.
float Blep(float t, float dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1;
  }
  if (t > 1 - dt) {
    t = (t - 1) / dt;
    return t * t + t + t + 1;
  }
  return 0;
}

struct Osc {
  float phase = 0;
  float Saw(float hz) {
    float dt = hz / kRate, v = 2 * phase - 1 - Blep(phase, dt);
    Step(dt);
    return v;
  }
  float Square(float hz) {
    float dt = hz / kRate, half = phase + 0.5f;
    if (half >= 1) half -= 1;
    float v = (phase < 0.5f ? 1.0f : -1.0f) + Blep(phase, dt) - Blep(half, dt);
    Step(dt);
    return v;
  }
  float Sine(float hz) {
    float v = std::sin(2 * kPi * phase);
    Step(hz / kRate);
    return v;
  }
  void Step(float dt) {
    phase += dt;
    if (phase >= 1) phase -= 1;
  }
};

// Linear attack, exponential fall to the sustain level, and after the held time a release
// that also ramps to exactly zero, so a note's end never clicks.
struct Adsr {
  float attack, decay, sustain, release;
  float Length(float held) const { return held + 6 * release; }
  float At(float t, float held) const {
    float v = t < attack ? t / attack : sustain + (1 - sustain) * std::exp(-(t - attack) / decay);
    if (t > held) {
      float r = t - held;
      v *= std::exp(-r / release) * std::max(0.0f, 1 - r / (6 * release));
    }
    return v;
  }
};

// The render target: the loop plus a tail, which is later folded onto the start.
struct Track {
  std::vector<float> s;
  size_t loop;
  int stepLen;  // samples per sixteenth note
  Track(size_t loopLen, int step) : s(loopLen + 16 * 4 * step), loop(loopLen), stepLen(step) {}
  size_t At(int bar, int step) const { return (static_cast<size_t>(bar) * 16 + step) * stepLen; }
  float Held(int steps) const { return steps * stepLen / kRate; }
  // Runs voice(t) from `at` for `seconds`, adding into the buffer.
  template <typename Voice>
  void Play(std::vector<float>& out, size_t at, float seconds, Voice voice) {
    size_t n = static_cast<size_t>(seconds * kRate);
    for (size_t i = 0; i < n && at + i < out.size(); ++i) out[at + i] += voice(i / kRate);
  }
  std::vector<float> Folded() const {
    std::vector<float> out(s.begin(), s.begin() + loop);
    for (size_t i = loop; i < s.size(); ++i) out[(i - loop) % loop] += s[i];
    return out;
  }
};

// ---- Instruments -------------------------------------------------------------------------

void Bass(Track& tr, size_t at, float held, int midi, float vel) {
  const Adsr env{0.004f, 0.18f, 0.65f, 0.04f};
  Osc a, b, sub;
  Svf lp(300, 1.3f);
  float hz = Hz(midi);
  tr.Play(tr.s, at, env.Length(held), [&](float t) {
    lp.Tune(220 + 1100 * vel * std::exp(-t / 0.09f));
    float raw = 0.5f * (a.Saw(hz) + b.Saw(hz * 1.004f)) + 0.6f * sub.Sine(hz * 0.5f);
    return 0.55f * vel * lp.Low(raw) * env.At(t, held);
  });
}

void Pad(Track& tr, size_t at, float held, int midi, float vel, float cutoff) {
  const Adsr env{0.22f, 1.2f, 0.75f, 0.45f};
  Osc a, b, c;
  Svf lp(cutoff, 0.7f);
  float hz = Hz(midi);
  // Each voice starts at its own phase, so a chord's saws do not line up into a spike.
  b.phase = 0.33f;
  c.phase = 0.71f;
  tr.Play(tr.s, at, env.Length(held), [&](float t) {
    float raw = a.Saw(hz * 0.9955f) + b.Saw(hz) + c.Saw(hz * 1.0052f);
    return 0.11f * vel * lp.Low(raw) * env.At(t, held);
  });
}

void Lead(Track& tr, std::vector<float>& out, size_t at, float held, int midi, float vel) {
  const Adsr env{0.008f, 0.25f, 0.7f, 0.07f};
  Osc sq, saw, vib;
  Svf lp(2000, 1.0f);
  float hz = Hz(midi);
  tr.Play(out, at, env.Length(held), [&](float t) {
    // Vibrato only on held notes, as a player would.
    float wobble = 1 + 0.006f * std::min(1.0f, std::max(0.0f, (t - 0.18f) / 0.2f)) * vib.Sine(5.5f);
    lp.Tune(1500 + 2200 * std::exp(-t / 0.12f));
    float raw = 0.6f * sq.Square(hz * wobble) + 0.5f * saw.Saw(hz * wobble * 1.003f);
    return 0.2f * vel * lp.Low(raw) * env.At(t, held);
  });
}

void Pluck(Track& tr, size_t at, int midi, float vel) {
  const Adsr env{0.002f, 0.09f, 0.0f, 0.05f};
  Osc sq;
  Svf lp(3000, 0.9f);
  float hz = Hz(midi);
  tr.Play(tr.s, at, env.Length(0.08f), [&](float t) {
    lp.Tune(600 + 2600 * std::exp(-t / 0.05f));
    return 0.12f * vel * lp.Low(sq.Square(hz)) * env.At(t, 0.08f);
  });
}

// A soft bell: a sine with a decaying octave modulator, for the end screen.
void Bell(Track& tr, size_t at, float held, int midi, float vel) {
  const Adsr env{0.006f, 0.9f, 0.25f, 0.5f};
  Osc mod;
  float hz = Hz(midi), phase = 0;
  tr.Play(tr.s, at, env.Length(held), [&](float t) {
    float m = 1.4f * std::exp(-t / 0.35f) * mod.Sine(hz * 2);
    phase += hz / kRate;
    if (phase >= 1) phase -= 1;
    return 0.22f * vel * std::sin(2 * kPi * phase + m) * env.At(t, held);
  });
}

// Drums share one noise source per piece: its sequence depends only on the order of the hits.
void Kick(Track& tr, size_t at, float vel) {
  float phase = 0;
  tr.Play(tr.s, at, 0.36f, [&](float t) {
    phase += 2 * kPi * (46 + 120 * std::exp(-t / 0.03f)) / kRate;
    float env = std::min(1.0f, t / 0.001f) * std::exp(-t / 0.14f) * (1 - t / 0.36f);
    return 0.6f * vel * std::sin(phase) * env;
  });
}

void Snare(Track& tr, Rng& rng, size_t at, float vel) {
  Svf bp(1900, 0.8f), hp(900, 0.7f);
  float phase = 0;
  tr.Play(tr.s, at, 0.3f, [&](float t) {
    phase += 2 * kPi * (185 + 60 * std::exp(-t / 0.01f)) / kRate;
    float n = rng.Range(-1, 1);
    float noise = (bp.Band(n) + 0.5f * hp.High(n)) * std::exp(-t / 0.09f);
    float tone = std::sin(phase) * std::exp(-t / 0.05f);
    return 0.3f * vel * (noise + 0.7f * tone) * std::min(1.0f, t / 0.0008f) * (1 - t / 0.3f);
  });
}

void Hat(Track& tr, Rng& rng, size_t at, float vel, bool open) {
  Svf lp(3500, 0.7f);
  float decay = open ? 0.12f : 0.028f, len = 6 * decay;
  tr.Play(tr.s, at, len, [&](float t) {
    float n = rng.Range(-1, 1);
    float hiss = n - lp.Low(n);
    return 0.2f * vel * hiss * std::exp(-t / decay) * std::min(1.0f, t / 0.0005f) * (1 - t / len);
  });
}

void Crash(Track& tr, Rng& rng, size_t at, float vel) {
  Svf lp(2500, 0.7f);
  tr.Play(tr.s, at, 2.6f, [&](float t) {
    float n = rng.Range(-1, 1);
    return 0.16f * vel * (n - 0.8f * lp.Low(n)) * std::exp(-t / 0.7f) * std::min(1.0f, t / 0.002f) * (1 - t / 2.6f);
  });
}

// ---- Composition -------------------------------------------------------------------------

// A chord by its root's pitch class (C = 0) and kind.
struct Chord {
  int root;
  bool minor;
};
constexpr Chord Am{9, true}, Dm{2, true}, C{0, false}, F{5, false}, G{7, false}, E{4, false};

// Eight bars each: the verse, the chorus, and the breakdown.
constexpr Chord kVerse[8] = {Am, F, C, G, Am, F, G, E};
constexpr Chord kChorus[8] = {Dm, G, C, Am, Dm, E, Am, E};
constexpr Chord kBreak[8] = {F, G, Am, Am, F, G, E, E};

// A melody note: MIDI pitch (0 rests) and length in sixteenths; each melody fills 8 bars.
struct Note {
  int midi, len;
};
constexpr Note kVerseTune[] = {
    {69, 2}, {72, 2}, {76, 4}, {74, 2}, {72, 2}, {71, 2}, {72, 2},  // Am
    {69, 4}, {0, 2},  {72, 2}, {77, 4}, {76, 2}, {72, 2},           // F
    {67, 2}, {72, 2}, {76, 4}, {79, 4}, {76, 2}, {72, 2},           // C
    {74, 6}, {71, 2}, {67, 4}, {71, 2}, {74, 2},                    // G
    {76, 4}, {81, 4}, {79, 2}, {76, 2}, {72, 2}, {76, 2},           // Am
    {77, 6}, {76, 2}, {72, 4}, {69, 4},                             // F
    {71, 2}, {74, 2}, {79, 4}, {77, 2}, {76, 2}, {74, 2}, {71, 2},  // G
    {68, 4}, {71, 4}, {76, 6}, {0, 2},                              // E
};
constexpr Note kChorusTune[] = {
    {74, 4}, {77, 4}, {81, 6}, {79, 2},           // Dm
    {77, 2}, {76, 2}, {74, 4}, {71, 6}, {0, 2},   // G
    {72, 4}, {76, 4}, {79, 4}, {76, 4},           // C
    {81, 8}, {76, 4}, {72, 4},                    // Am
    {74, 2}, {76, 2}, {77, 4}, {81, 4}, {77, 4},  // Dm
    {76, 4}, {74, 2}, {71, 2}, {68, 4}, {71, 4},  // E
    {72, 4}, {71, 2}, {69, 2}, {76, 8},           // Am
    {68, 2}, {69, 2}, {71, 4}, {64, 8},           // E
};
// The end screen's slow tune over Am F C G Dm E.
constexpr Note kEndTune[] = {
    {76, 8},  {72, 4}, {69, 4}, {72, 8}, {77, 8}, {76, 8}, {79, 4}, {76, 4},
    {74, 12}, {71, 4}, {74, 4}, {77, 4}, {76, 4}, {74, 4}, {71, 8}, {68, 8},
};
constexpr Chord kEndChords[6] = {Am, F, C, G, Dm, E};

void Melody(Track& tr, std::vector<float>& out, int bar, std::span<const Note> tune, int shift, float vel) {
  int step = 0;
  for (const Note& n : tune) {
    if (n.midi > 0)
      Lead(tr, out, tr.At(bar, step), tr.Held(n.len) * 0.9f, n.midi + shift, vel * (step % 4 == 0 ? 1.0f : 0.85f));
    step += n.len;
  }
  if (step != 8 * 16) throw std::logic_error("a melody does not fill its eight bars");
}

int BassNote(Chord c) { return 36 + c.root; }  // C2 .. B2
// The chord's three tones voiced between G3 and F#4, so the changes move by small steps.
int PadNote(Chord c, int tone) {
  int pc = (c.root + (tone == 0 ? 0 : tone == 1 ? (c.minor ? 3 : 4) : 7)) % 12;
  return 55 + (pc + 12 - 7) % 12;
}

// How an eight-bar block of the play piece is arranged.
struct Block {
  const Chord* chords;
  std::span<const Note> tune;  // empty: no lead
  int shift;                   // the lead's transposition
  int drums;                   // 0 none, 1 kick and hats, 2 beat, 3 full band, 4 build-up
  int bass;                    // 0 none, 1 held, 2 driving eighths
  bool arp;
  float padCut;  // the pad's brightness
  bool crash;
};

constexpr int kStep = 2250;  // samples per sixteenth: 147 beats a minute at 22,050 Hz

std::vector<float> PlayPiece() {
  const Block blocks[] = {
      {kVerse, {}, 0, 1, 2, false, 1100, false},          // the beat alone
      {kVerse, kVerseTune, 0, 2, 2, false, 1300, false},  // the tune
      {kChorus, kChorusTune, 0, 2, 2, false, 1500, true},
      {kChorus, kChorusTune, 12, 2, 2, true, 1700, false},
      {kBreak, {}, 0, 0, 1, true, 700, false},  // breakdown: pad and arpeggio
      {kBreak, {}, 0, 4, 2, true, 1000, false},
      {kVerse, kVerseTune, 12, 3, 2, true, 2000, true},  // climax
      {kChorus, kChorusTune, 12, 3, 2, true, 2000, true},
      {kVerse, kVerseTune, 0, 2, 2, true, 1500, true},
      {kVerse, {}, 0, 2, 2, true, 1200, false},  // winds down into the start
  };
  constexpr int kBlocks = sizeof blocks / sizeof blocks[0];
  Track tr(static_cast<size_t>(kBlocks) * 8 * 16 * kStep, kStep);
  std::vector<float> lead(tr.s.size());
  Rng rng(0x6D75);

  for (int b = 0; b < kBlocks; ++b) {
    const Block& k = blocks[b];
    if (!k.tune.empty()) Melody(tr, lead, b * 8, k.tune, k.shift, 1.0f);
    if (k.crash) Crash(tr, rng, tr.At(b * 8, 0), 1.0f);
    for (int i = 0; i < 8; ++i) {
      const int bar = b * 8 + i;
      const Chord c = k.chords[i];
      const bool last = i == 7;
      for (int t = 0; t < 3; ++t) Pad(tr, tr.At(bar, 0), tr.Held(15), PadNote(c, t), 1.0f, k.padCut);
      if (k.bass == 1) Bass(tr, tr.At(bar, 0), tr.Held(14), BassNote(c), 0.8f);
      if (k.bass == 2)
        for (int e = 0; e < 8; ++e) {
          // Root, root, octave: the push of the off-beat octave drives the beat.
          int note = BassNote(c) + (e % 4 == 2 ? 12 : 0);
          Bass(tr, tr.At(bar, 2 * e), tr.Held(2) * 0.8f, note, e % 2 ? 0.8f : 1.0f);
        }
      if (k.arp) {
        const int shape[8] = {0, 1, 2, 3, 2, 1, 0, 1};  // up and down over root, third, fifth, octave
        for (int s = 0; s < 16; ++s) {
          int tone = shape[s % 8];
          int midi = tone == 3 ? PadNote(c, 0) + 12 : PadNote(c, tone);
          Pluck(tr, tr.At(bar, s), midi + 12, s % 4 == 0 ? 1.0f : 0.7f);
        }
      }
      // Drums, by sixteenths.
      for (int s = 0; s < 16; ++s) {
        const size_t at = tr.At(bar, s);
        switch (k.drums) {
          case 1:
            if (s == 0 || s == 8 || s == 10) Kick(tr, at, 1.0f);
            if (s % 2 == 0) Hat(tr, rng, at, s % 4 == 2 ? 1.0f : 0.6f, false);
            break;
          case 2:
            if (s == 0 || s == 8 || s == 10) Kick(tr, at, 1.0f);
            if (s == 4 || s == 12) Snare(tr, rng, at, 1.0f);
            if (last && s >= 13) Snare(tr, rng, at, 0.55f + 0.1f * (s - 13));
            if (s % 2 == 0) Hat(tr, rng, at, s % 4 == 2 ? 1.0f : 0.6f, s == 14 && i % 2 == 1);
            break;
          case 3:
            if (s % 4 == 0) Kick(tr, at, 1.0f);
            if (s == 4 || s == 12) Snare(tr, rng, at, 1.0f);
            if (last && s >= 13) Snare(tr, rng, at, 0.6f + 0.1f * (s - 13));
            Hat(tr, rng, at, s % 4 == 2 ? 1.0f : s % 2 ? 0.4f : 0.65f, s % 4 == 2 && i % 2 == 1);
            break;
          case 4: {
            if (s == 0 || s == 8) Kick(tr, at, 1.0f);
            if (s % 4 == 2) Hat(tr, rng, at, 0.8f, false);
            // The snare gathers speed and strength over the last two bars.
            const bool roll = (i == 6 && s % 2 == 0) || i == 7;
            if (roll) Snare(tr, rng, at, 0.35f + 0.6f * (i - 6 + s / 16.0f) / 2);
            if (i < 6 && s == 12) Snare(tr, rng, at, 0.7f);
            break;
          }
          default:
            if (s % 8 == 4) Hat(tr, rng, at, 0.35f, false);  // the breakdown keeps a faint time
        }
      }
    }
  }

  // The lead's dotted-eighth echo, with feedback; it rings on into the tail.
  const size_t delay = 3 * kStep;
  std::vector<float> echo(lead.size());
  for (size_t i = delay; i < lead.size(); ++i) echo[i] = lead[i - delay] + 0.35f * echo[i - delay];
  for (size_t i = 0; i < lead.size(); ++i) tr.s[i] += lead[i] + 0.3f * echo[i];
  return tr.Folded();
}

std::vector<float> EndPiece() {
  constexpr int step = 3375;  // 98 beats a minute
  Track tr(6 * 16 * step, step);
  for (int i = 0; i < 6; ++i) {
    const Chord c = kEndChords[i];
    for (int t = 0; t < 3; ++t) Pad(tr, tr.At(i, 0), tr.Held(15), PadNote(c, t), 1.0f, 900);
    Bass(tr, tr.At(i, 0), tr.Held(7), BassNote(c), 0.6f);
    Bass(tr, tr.At(i, 8), tr.Held(7), BassNote(c) + (i % 2 ? 7 : 12), 0.45f);
    for (int s = 2; s < 16; s += 4) Pluck(tr, tr.At(i, s), PadNote(c, (s / 4) % 3) + 12, 0.45f);
  }
  int at = 0;
  for (const Note& n : kEndTune) {
    if (n.midi > 0) Bell(tr, tr.At(0, at), tr.Held(n.len) * 0.95f, n.midi, 1.0f);
    at += n.len;
  }
  if (at != 6 * 16) throw std::logic_error("the end tune does not fill its six bars");
  return tr.Folded();
}

float Peak(const std::vector<float>& s) {
  float peak = 0;
  for (float v : s) peak = std::max(peak, std::fabs(v));
  return peak;
}

// Soft saturation with the given drive rounds off the drum hits that stick out of the band,
// then the piece is scaled to its peak. No fades: the ends must meet.
std::vector<float> Mastered(std::vector<float> s, float drive) {
  float peak = Peak(s);
  if (peak == 0) return s;
  if (drive > 0)
    for (float& v : s) v = std::tanh(drive * v / peak);
  peak = Peak(s);
  for (float& v : s) v *= kMusicPeak / peak;
  return s;
}

}  // namespace

std::vector<Sound> MakeMusic() {
  return {{"musik.ogg", Mastered(PlayPiece(), 0.8f)}, {"ende.ogg", Mastered(EndPiece(), 0.0f)}};
}

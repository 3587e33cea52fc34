// The contact sheet: every picture as the game sees it once loaded (black of RGB pictures
// masked), at 1:1 on mid-grey, labelled; then the tiles repeated and shaded like the map.
#include <algorithm>
#include <cmath>
#include <map>

#include "art.h"
#include "font.h"

namespace {

constexpr int kWidth = 760, kMargin = 12, kGap = 14;
const Color kGrey = Rgb(128, 128, 128);
const Color kInk = Rgb(255, 255, 255);
const Color kNote = Rgb(40, 40, 40);

// Lays cells out left to right, wrapping at the sheet's width.
class Flow {
 public:
  explicit Flow(Canvas& c) : c_(c), x_(kMargin), y_(kMargin) {}

  void Heading(const std::string& text) {
    NewLine();
    if (y_ > kMargin) y_ += 6;
    DrawText(c_, kMargin, y_, text, kInk);
    y_ += kGlyphH + 8;
  }

  void Cell(const Canvas& pic, const std::string& label, const std::string& note) {
    int w = std::max({pic.W(), TextWidth(label), TextWidth(note)});
    if (x_ + w > kWidth - kMargin) NewLine();
    c_.Paste(pic, x_, y_);
    DrawText(c_, x_, y_ + pic.H() + 4, label, kInk);
    DrawText(c_, x_, y_ + pic.H() + 4 + kGlyphH + 3, note, kNote);
    rowH_ = std::max(rowH_, pic.H() + 4 + 2 * kGlyphH + 3);
    x_ += w + kGap;
  }

  void NewLine() {
    if (rowH_ > 0) y_ += rowH_ + kGap;
    x_ = kMargin;
    rowH_ = 0;
  }

  int Bottom() {
    NewLine();
    return y_;
  }

 private:
  Canvas& c_;
  int x_, y_, rowH_ = 0;
};

std::string Note(const Image8& img) {
  return std::to_string(img.w) + "x" + std::to_string(img.h) + (img.alpha ? " rgba" : " rgb");
}

Canvas Shaded(const Canvas& tile, int shade) {
  Canvas c = tile;
  float f = shade / 255.0f;
  for (int y = 0; y < c.H(); ++y)
    for (int x = 0; x < c.W(); ++x) c.At(x, y) = Scale(c.At(x, y), f);
  return c;
}

Canvas Repeat2x2(const Canvas& tile) {
  Canvas c(tile.W() * 2, tile.H() * 2);
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) c.Paste(tile, i * tile.W(), j * tile.H());
  return c;
}

// Land shades for heights 0 and 27, and the fixed shade of water and forest.
Canvas ShadeStrip(const Canvas& tile) {
  Canvas c(tile.W() * 2 + 4 * 2 + tile.W() * 3, tile.H() * 2);
  c.Paste(Repeat2x2(tile), 0, 0);
  int x = tile.W() * 2 + 8;
  for (int shade : {30, 158, 246}) {
    c.Paste(Shaded(tile, shade), x, 0);
    x += tile.W();
  }
  return c;
}

// The splash as the game lays it: tinted red, added to the ground at half alpha.
Canvas BloodOnGround(const Canvas& ground, const Canvas& blood) {
  Canvas c = Shaded(Repeat2x2(ground), 158);
  int ox = (c.W() - blood.W()) / 2, oy = (c.H() - blood.H()) / 2;
  for (int y = 0; y < blood.H(); ++y)
    for (int x = 0; x < blood.W(); ++x) {
      const Color& b = blood.At(x, y);
      Color& d = c.At(ox + x, oy + y);
      d.r = std::min(1.0f, d.r + b.r * b.a * 0.5f);
    }
  return c;
}

// Bilinear sample with premultiplied alpha, transparent outside the picture.
Color Sample(const Canvas& c, float x, float y) {
  float fx = std::floor(x - 0.5f), fy = std::floor(y - 0.5f);
  float tx = x - 0.5f - fx, ty = y - 0.5f - fy;
  Color sum{};
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      int px = static_cast<int>(fx) + i, py = static_cast<int>(fy) + j;
      if (px < 0 || py < 0 || px >= c.W() || py >= c.H()) continue;
      float w = (i ? tx : 1 - tx) * (j ? ty : 1 - ty);
      const Color& p = c.At(px, py);
      sum.r += p.r * p.a * w;
      sum.g += p.g * p.a * w;
      sum.b += p.b * p.a * w;
      sum.a += p.a * w;
    }
  if (sum.a > 0) {
    sum.r /= sum.a;
    sum.g /= sum.a;
    sum.b /= sum.a;
  }
  return sum;
}

// Draws a picture centred on (cx, cy), turned clockwise by deg and scaled, the way the
// game draws with a centred handle; tint multiplies, additive adds the tinted colour.
void Draw(Canvas& dst, const Canvas& src, float cx, float cy, float deg, float sx, float sy,
          Color tint, bool additive = false) {
  float a = deg * 3.14159265f / 180.0f, ca = std::cos(a), sa = std::sin(a);
  float rx = 0.5f * (std::fabs(src.W() * sx * ca) + std::fabs(src.H() * sy * sa)) + 2;
  float ry = 0.5f * (std::fabs(src.W() * sx * sa) + std::fabs(src.H() * sy * ca)) + 2;
  for (int y = static_cast<int>(cy - ry); y <= static_cast<int>(cy + ry); ++y)
    for (int x = static_cast<int>(cx - rx); x <= static_cast<int>(cx + rx); ++x) {
      if (x < 0 || y < 0 || x >= dst.W() || y >= dst.H()) continue;
      float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
      float u = (dx * ca + dy * sa) / sx + src.W() * 0.5f;
      float v = (-dx * sa + dy * ca) / sy + src.H() * 0.5f;
      Color p = Sample(src, u, v);
      if (p.a <= 0) continue;
      Color t{p.r * tint.r, p.g * tint.g, p.b * tint.b, p.a * tint.a};
      if (additive) {
        Color& d = dst.At(x, y);
        d.r = std::min(1.0f, d.r + t.r * t.a);
        d.g = std::min(1.0f, d.g + t.g * t.a);
        d.b = std::min(1.0f, d.b + t.b * t.a);
      } else {
        dst.Blend(x, y, t, 1.0f);
      }
    }
}

// A patch of world in the game's drawing order: shaded tiles with their half-transparent
// edge copies, blood, items, figures, shots.
Canvas Scene(const std::map<std::string, Canvas>& pic) {
  const int cols = 9, rows = 5;
  static const char* const kLayout[rows] = {"wwsggebbb", "wwsgggebb", "wssgeegbb", "wsggeegeb",
                                            "wwsgggeee"};
  static const int kHeight[rows][cols] = {{16, 16, 4, 8, 12, 16, 16, 16, 16},
                                          {16, 16, 6, 11, 15, 18, 14, 16, 16},
                                          {16, 3, 7, 13, 19, 23, 21, 16, 16},
                                          {16, 5, 10, 16, 22, 27, 24, 20, 16},
                                          {16, 16, 8, 12, 17, 21, 25, 22, 18}};
  Canvas c(cols * 64, rows * 64, Rgb(0, 0, 0));
  for (int x = 0; x < cols; ++x)
    for (int y = 0; y < rows; ++y) {
      char k = kLayout[y][x];
      const Canvas& t = pic.at(k == 'w' ? "wasser.png" : k == 's' ? "sand.png" : k == 'g' ? "gras.png"
                               : k == 'e' ? "erde.png" : "baum.png");
      float s = (kHeight[y][x] * 8 + 30) / 255.0f;
      float px = x * 64 + 32.0f, py = y * 64 + 32.0f;
      Draw(c, t, px, py, 0, 1, 1, {s, s, s, 1});
      Draw(c, t, px - 40, py, 0, 0.25f, 1, {s, s, s, 0.5f});
      Draw(c, t, px, py - 40, 0, 1, 0.25f, {s, s, s, 0.5f});
    }
  const Canvas& blood = pic.at("blood.png");
  Draw(c, blood, 330, 150, 40, 0.9f, 0.9f, {1, 0, 0, 0.5f}, true);
  Draw(c, blood, 300, 190, 200, 0.45f, 0.45f, {1, 0, 0, 0.5f}, true);
  Draw(c, blood, 420, 120, 110, 0.6f, 0.6f, {1, 0, 0, 0.5f}, true);
  const Color white{1, 1, 1, 1};
  struct Thing {
    const char* file;
    float x, y, deg;
  };
  const Thing items[] = {{"firstaid.png", 170, 60, 30},  {"shell1.png", 230, 250, 200},
                         {"shell3.png", 400, 260, 75},   {"secaid.png", 470, 60, 310},
                         {"shell2.png", 120, 200, 140},  {"shell4.png", 520, 280, 20},
                         {"shell5.png", 250, 110, 260}};
  for (const Thing& t : items) Draw(c, pic.at(t.file), t.x, t.y, t.deg, 1, 1, white);
  const float px = 288, py = 176;
  const Thing figures[] = {{"figur2.png", 400, 80, 0},  {"figur3.png", 150, 120, 0},
                           {"figur4.png", 420, 230, 0}, {"figur5.png", 200, 285, 0},
                           {"figur1.png", 500, 170, 0}};
  for (const Thing& f : figures) {
    // Enemies face the player, as the game turns them.
    float deg = std::atan2(py - f.y, px - f.x) * 180.0f / 3.14159265f + 90.0f;
    Draw(c, pic.at(f.file), f.x, f.y, deg, 1, 1, white);
  }
  Draw(c, pic.at("figur1.png"), px, py, 60, 1, 1, white);
  const Thing shots[] = {{"shoot.png", 330, 150, 60 - 180},  {"shoot.png", 360, 134, 62 - 180},
                         {"plasma.png", 350, 100, 10},       {"laser.png", 190, 140, 300},
                         {"fire3.png", 235, 240, 10},        {"fire6.png", 252, 222, 80},
                         {"letzter.png", 460, 200, 0},       {"shoot.png", 482, 214, 125 - 180}};
  for (const Thing& s : shots) Draw(c, pic.at(s.file), s.x, s.y, s.deg, 1, 1, white);
  return c;
}

}  // namespace

Image8 MakeContactSheet(const std::vector<Picture>& pictures) {
  Canvas big(kWidth, 4000, kGrey);
  Flow flow(big);
  DrawText(big, kMargin, kMargin, "kestrova assets: every picture at 1:1 as the game loads it", kInk);
  flow.Heading("");
  std::string group;
  for (const Picture& p : pictures) {
    if (p.group != group) {
      group = p.group;
      flow.Heading(group);
    }
    flow.Cell(AsLoaded(p.image), p.file, Note(p.image));
  }
  std::map<std::string, Canvas> loaded;
  for (const Picture& p : pictures) loaded.emplace(p.file, AsLoaded(p.image));
  flow.Heading("a patch of world drawn the way the game draws it");
  flow.Cell(Scene(loaded), "", "");
  flow.Heading("tiles as the map draws them: repeated 2x2, then shaded 30, 158, 246 of 255");
  for (const Picture& p : pictures)
    if (p.group == "tiles") flow.Cell(ShadeStrip(AsLoaded(p.image)), p.file, "");
  flow.Heading("blood.png as the game lays it: red, added at half alpha, on shaded erde.png");
  const Picture* earth = nullptr;
  const Picture* blood = nullptr;
  for (const Picture& p : pictures) {
    if (p.file == "erde.png") earth = &p;
    if (p.file == "blood.png") blood = &p;
  }
  if (earth && blood)
    flow.Cell(BloodOnGround(AsLoaded(earth->image), AsLoaded(blood->image)), "blood.png", "scale 1");

  int h = flow.Bottom() + kMargin - kGap;
  Canvas sheet(kWidth, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < kWidth; ++x) sheet.At(x, y) = big.At(x, y);
  Image8 img = ToRgba(sheet);
  // Opaque throughout: write it as RGB.
  Image8 rgb{img.w, img.h, false, {}};
  for (size_t i = 0; i < img.data.size(); i += 4)
    rgb.data.insert(rgb.data.end(), img.data.begin() + i, img.data.begin() + i + 3);
  return rgb;
}

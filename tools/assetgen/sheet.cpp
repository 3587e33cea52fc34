// The contact sheet: every picture as the game sees it once loaded (black of RGB pictures
// masked), at 1:1 on mid-grey, labelled; then the tiles repeated and shaded like the map.
#include <algorithm>

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

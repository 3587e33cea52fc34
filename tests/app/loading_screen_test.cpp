#include <gtest/gtest.h>

#include "app/loading/loading.h"
#include "app/tapp.h"
#include "platform/video/graphics.h"
#include "scene.h"
#include "state/game.h"

namespace {

std::vector<TRecordedCall> WithoutGlyphs(const std::vector<TRecordedCall>& calls) {
  std::vector<TRecordedCall> kept;
  for (const TRecordedCall& c : calls) {
    // Glyphs, and the textures made for them on first use.
    if (c.op != DrawOp::DrawFrame && c.op != DrawOp::CreateFrame) kept.push_back(c);
  }
  return kept;
}

// Where the first glyph of each line of text lands: each text of the screen has a line of
// its own. Blanks draw no glyph, so the x positions within a line have gaps.
std::vector<std::pair<double, double>> TextStarts(const std::vector<TRecordedCall>& calls) {
  std::vector<std::pair<double, double>> starts;
  for (const TRecordedCall& c : calls) {
    if (c.op != DrawOp::DrawFrame) continue;
    if (starts.empty() || starts.back().second != c.args[5]) starts.emplace_back(c.args[4], c.args[5]);
  }
  return starts;
}

TEST(ProgressScreen, DrawsTitleFrameBarAndCaptionInOrder) {
  auto rec = OpenRecordedScreen(800, 600);
  Tapp::ladeb(40, "Fuelle Ozeane");
  const auto calls = WithoutGlyphs(rec->Calls());
  ASSERT_EQ(calls.size(), 7u);
  EXPECT_EQ(calls[0].op, DrawOp::Cls);
  EXPECT_EQ(calls[1].op, DrawOp::SetColor);
  EXPECT_EQ(calls[1].state.r, 128);
  EXPECT_EQ(calls[1].state.b, 128);
  // The frame: (20, 280), 760 x 40, drawn with the grey.
  ASSERT_EQ(calls[2].op, DrawOp::DrawRect);
  EXPECT_EQ(calls[2].args[4], 20);
  EXPECT_EQ(calls[2].args[5], 280);
  EXPECT_EQ(calls[2].args[4] + calls[2].args[2], 780);
  EXPECT_EQ(calls[2].args[3], 40);
  EXPECT_EQ(calls[2].state.g, 128);
  // The bar one pixel inside it, coloured for 40 %: g = trunc(40 * 2.5499999523) = 101.
  ASSERT_EQ(calls[3].op, DrawOp::SetColor);
  EXPECT_EQ(calls[3].state.r, 154);
  EXPECT_EQ(calls[3].state.g, 101);
  EXPECT_EQ(calls[3].state.b, 0);
  ASSERT_EQ(calls[4].op, DrawOp::DrawRect);
  EXPECT_EQ(calls[4].args[4], 21);
  EXPECT_EQ(calls[4].args[5], 281);
  EXPECT_EQ(calls[4].args[4] + calls[4].args[2], 779);
  EXPECT_EQ(calls[4].args[3], 38);
  EXPECT_EQ(calls[5].op, DrawOp::SetColor);
  EXPECT_EQ(calls[5].state.g, 255);
  EXPECT_EQ(calls[6].op, DrawOp::Flip);

  // Title at (5, 5), credit line at (5, 25), caption at (300, 325).
  const auto starts = TextStarts(rec->Calls());
  ASSERT_EQ(starts.size(), 3u);
  EXPECT_EQ(starts[0], std::make_pair(5.0, 5.0));
  EXPECT_EQ(starts[1], std::make_pair(5.0, 25.0));
  EXPECT_EQ(starts[2], std::make_pair(300.0, 325.0));
  CloseScreen();
}

TEST(ProgressScreen, TwentyPercentIsOneBelowAnExactFactor) {
  auto rec = OpenRecordedScreen(640, 480);
  Tapp::ladeb(20, "x");
  const auto colours = rec->CallsOf(DrawOp::SetColor);
  ASSERT_EQ(colours.size(), 3u);
  EXPECT_EQ(colours[1].state.g, 50);
  EXPECT_EQ(colours[1].state.r, 205);
  CloseScreen();
}

TEST(ProgressScreen, StagesAnnounceTheirPercentAndCaptionInOrder) {
  struct Expected {
    int percent;
    const char* caption;
  };
  const Expected expected[] = {
      {0, "Tiles"},
      {3, "Figuren"},
      {6, "Schuesse"},
      {9, "Blut wird abgezapft"},
      {13, "Item"},
      {20, "Erstelle Map"},
      {25, "Runde Ecken"},
      {35, "Begehe Map"},
      {40, "Fuelle Ozeane"},
      {55, "Dekoriere Umgebung"},
      {70, "Suche Waelder"},
      {80, "Sounds werden aufgenommen"},
      {85, "Leute sterben nicht lautlos!"},
      {88, "Gegner werden geboren"},
      {90, "Items werden verloren"},
      {90, "Maps speichern"},
  };
  const auto& stages = LoadStages();
  ASSERT_EQ(stages.size(), std::size(expected));
  for (size_t i = 0; i < stages.size(); ++i) {
    EXPECT_EQ(stages[i].percent, expected[i].percent) << i;
    EXPECT_STREQ(stages[i].caption, expected[i].caption) << i;
  }
}

}  // namespace

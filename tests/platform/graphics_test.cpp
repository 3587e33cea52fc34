// The drawing surface through the recording driver: state, transforms, text and pacing.
#include "platform/video/graphics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/system/clock.h"
#include "platform/system/stop_signal.h"
#include "platform/video/font.h"
#include "platform/video/image.h"
#include "platform/video/recording_driver.h"
#include "rules/degrees.h"
#include "rules/rules_clock.h"

namespace {

class GraphicsTest : public ::testing::Test {
 protected:
  void SetUp() override { rec_ = std::make_shared<TRecordingDriver>(); }
  void TearDown() override {
    CloseScreen();
    SetGraphicsDriver(nullptr);
    UseSystemClock();
  }
  void Open(int32_t depth = 0, int32_t hertz = 0, int32_t flags = 0) {
    ASSERT_TRUE(OpenHeadlessScreen(rec_, 800, 600, depth, hertz, flags));
  }
  // Screen position of a corner (x, y) of a recorded draw call under its transform.
  static std::pair<double, double> Corner(const TRecordedCall& c, double x, double y) {
    return {x * c.state.ix + y * c.state.iy + c.args[4], x * c.state.jx + y * c.state.jy + c.args[5]};
  }
  std::shared_ptr<TRecordingDriver> rec_;
};

TEST_F(GraphicsTest, OpenScreenSetsTheDefaultStateAndPrimesBothBuffers) {
  Open(0, 60);
  const TVex2DGraphics* g = CurrentGraphics();
  ASSERT_NE(g, nullptr);
  EXPECT_EQ(g->color_red, 255);
  EXPECT_EQ(g->color_green, 255);
  EXPECT_EQ(g->color_blue, 255);
  EXPECT_EQ(g->color_alpha, 1.0f);
  EXPECT_EQ(g->clscolor_red + g->clscolor_green + g->clscolor_blue, 0);
  EXPECT_EQ(g->line_width, 1.0f);
  EXPECT_EQ(g->tform_rot, 0.0f);
  EXPECT_EQ(g->tform_scale_x, 1.0f);
  EXPECT_EQ(g->tform_scale_y, 1.0f);
  EXPECT_EQ(g->tform_ix, 1.0f);
  EXPECT_EQ(g->tform_iy, 0.0f);
  EXPECT_EQ(g->tform_jx, 0.0f);
  EXPECT_EQ(g->tform_jy, 1.0f);
  EXPECT_EQ(g->viewport_w, 800);
  EXPECT_EQ(g->viewport_h, 600);
  EXPECT_EQ(g->blend_mode, MASKBLEND);
  EXPECT_EQ(g->vres_width, 800.0f);
  EXPECT_EQ(g->vres_height, 600.0f);
  EXPECT_EQ(g->g_width, 800);
  EXPECT_EQ(g->g_height, 600);
  EXPECT_EQ(g->_setup, 1);
  EXPECT_EQ(g->image_font, BuiltinFont());

  const auto& calls = rec_->Calls();
  const std::vector<DrawOp> expected = {
      DrawOp::CreateGraphics, DrawOp::SetGraphics, DrawOp::SetResolution, DrawOp::SetBlend,     DrawOp::SetColor,
      DrawOp::SetAlpha,       DrawOp::SetClsColor, DrawOp::SetLineWidth,  DrawOp::SetTransform, DrawOp::SetTransform,
      DrawOp::SetViewport,    DrawOp::Cls,         DrawOp::Flip,          DrawOp::Cls,          DrawOp::Flip};
  ASSERT_EQ(calls.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(calls[i].op, expected[i]) << i;
  // The default flag 2 (double buffer) is always added.
  EXPECT_EQ(calls[0].args[4], 2.0);
  EXPECT_EQ(calls[12].args[0], 0.0);
  EXPECT_EQ(calls[14].args[0], 0.0);

  rec_->Clear();
  DrawRect(1, 2, 3, 4);
  const TRecordedCall& rect = rec_->Calls().at(0);
  EXPECT_EQ(rect.state.r + rect.state.g + rect.state.b, 3 * 255);
  EXPECT_EQ(rect.state.alphaByte, 255);
  EXPECT_EQ(rect.state.blend, MASKBLEND);
}

TEST_F(GraphicsTest, FlagsAreCombinedWithDoubleBufferAndSequenceNumbersAdvance) {
  Open(0, 0, 4 | 8);
  EXPECT_EQ(rec_->Calls().at(0).args[4], double(2 | 4 | 8));
  const int32_t first = GraphicsSeq();
  EXPECT_NE(first, 0);
  Open();
  EXPECT_EQ(GraphicsSeq(), first + 1);
}

TEST_F(GraphicsTest, ScreenWithoutSizeIsNotOpenedAndDrawingWithoutScreenDoesNothing) {
  EXPECT_FALSE(OpenHeadlessScreen(rec_, 0, 600, 0, 60, 0));
  EXPECT_FALSE(OpenHeadlessScreen(rec_, 800, -1, 0, 60, 0));
  EXPECT_EQ(CurrentGraphics(), nullptr);
  EXPECT_FALSE(LastScreenError().empty());
  Cls();
  SetColor(1, 2, 3);
  DrawRect(0, 0, 10, 10);
  DrawString("abc", 0, 0);
  Flip(-1);
  EXPECT_TRUE(rec_->Calls().empty());
}

TEST_F(GraphicsTest, ColourAndAlphaAreClampedByTheDriver) {
  Open();
  SetColor(300, -5, 128);
  EXPECT_EQ(CurrentGraphics()->color_red, 300);  // the draw state keeps what was asked
  EXPECT_EQ(rec_->State().r, 255);
  EXPECT_EQ(rec_->State().g, 0);
  EXPECT_EQ(rec_->State().b, 128);

  struct Case {
    float in;
    float alpha;
    int byte;
  };
  for (const Case c : {Case{1.5f, 1.0f, 255}, Case{-0.2f, 0.0f, 0}, Case{0.5f, 0.5f, 127},
                       Case{std::numeric_limits<float>::quiet_NaN(), 0.0f, 0}, Case{0.999f, 0.999f, 254}}) {
    SetAlpha(c.in);
    EXPECT_EQ(rec_->State().alpha, c.alpha) << c.in;
    EXPECT_EQ(rec_->State().alphaByte, c.byte) << c.in;
  }
}

TEST_F(GraphicsTest, SettingTheSameBlendModeTwiceChangesStateOnce) {
  Open();
  rec_->Clear();
  SetBlend(3);
  SetBlend(3);
  EXPECT_EQ(rec_->Count(DrawOp::SetBlend), 2);
  EXPECT_EQ(rec_->BlendChanges(), 1);
  SetBlend(4);
  SetBlend(3);
  EXPECT_EQ(rec_->BlendChanges(), 3);
  EXPECT_EQ(CurrentGraphics()->blend_mode, 3);
}

TEST_F(GraphicsTest, RotationAndScaleFollowTheTransformFormulas) {
  Open();
  rec_->Clear();
  SetDrawRotation(90);
  const TVex2DGraphics& g = *CurrentGraphics();
  EXPECT_EQ(g.tform_rot, 90.0f);
  DrawRect(0, 0, 1, 1);
  EXPECT_EQ(g.tform_ix, static_cast<float>(CosDeg(90)));
  EXPECT_NEAR(g.tform_ix, 0.0f, 1e-6f);
  EXPECT_EQ(g.tform_iy, -1.0f);
  EXPECT_EQ(g.tform_jx, 1.0f);
  EXPECT_NEAR(g.tform_jy, 0.0f, 1e-6f);
  EXPECT_EQ(rec_->State().iy, -1.0f);

  // Settings alone reach the driver with the next drawing, as one transform of the last ones.
  rec_->Clear();
  SetDrawRotation(30);
  SetDrawScale(7, 7);
  SetDrawScale(2, 3);
  EXPECT_EQ(rec_->Count(DrawOp::SetTransform), 0);
  DrawRect(0, 0, 1, 1);
  EXPECT_EQ(rec_->Count(DrawOp::SetTransform), 1);
  EXPECT_EQ(g.tform_ix, static_cast<float>(CosDeg(30) * 2.0));
  EXPECT_EQ(g.tform_iy, static_cast<float>(-SinDeg(30) * 3.0));
  EXPECT_EQ(g.tform_jx, static_cast<float>(SinDeg(30) * 2.0));
  EXPECT_EQ(g.tform_jy, static_cast<float>(CosDeg(30) * 3.0));
  EXPECT_EQ(rec_->Calls().back().state.jy, g.tform_jy);
}

// Drawings that cannot reach the visible area never reach the driver, not even to make a
// texture; those that might, however little, do, and find the state that applying every
// setting at once would have left.
TEST_F(GraphicsTest, DrawingsOffTheScreenAreLeftOutAndLeaveNoTrace) {
  Open();  // 800 x 600
  auto image = TImage::Create(40, 40, 1, 0, 0, 0, 0);
  image->SetPixmap(0, TPixmap::Create(40, 40, PF_RGBA8888));
  image->handle_x = 20;
  image->handle_y = 20;
  rec_->Clear();
  SetDrawRotation(45);
  DrawImageFrame(image, -40, 300, 0);  // 28 pixels from its centre to a corner, turned or not
  DrawImageFrame(image, 300, 660, 0);
  SetDrawScale(3, 3);
  DrawRect(900, 0, 10, 10);             // 900 .. 942 at most
  DrawLine(-200, -200, -150, -150, 1);  // all of it above and left of the screen
  Plot(801 + 3, 10);
  EXPECT_TRUE(rec_->Calls().empty());

  SetDrawRotation(10);
  SetDrawScale(1, 1);
  DrawImageFrame(image, -15, 300, 0);  // turned, its corner reaches x = 8
  DrawImageFrame(image, 835, 300, 0);  // only scaled up does it reach the screen
  SetDrawScale(2, 2);
  DrawImageFrame(image, 835, 300, 0);
  DrawLine(-200, 10, 0, 10, 1);
  const auto frames = rec_->CallsOf(DrawOp::DrawFrame);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[0].args[4], -15.0);
  EXPECT_EQ(frames[1].args[4], 835.0);
  EXPECT_EQ(rec_->Count(DrawOp::CreateFrame), 1);
  EXPECT_EQ(frames[0].state.ix, static_cast<float>(CosDeg(10)));
  EXPECT_EQ(frames[1].state.ix, static_cast<float>(CosDeg(10) * 2.0));
  EXPECT_EQ(rec_->Count(DrawOp::DrawLine), 1);
  EXPECT_EQ(rec_->Count(DrawOp::Plot), 1);
}

// Found gone in the middle of a frame (in a drawing that asked the display for its size), the
// display takes nothing more of that frame: neither its drawings nor its flip.
TEST_F(GraphicsTest, ADisplayFoundGoneInTheMiddleOfAFrameGetsNoMoreOfIt) {
  Open();
  Cls();
  rec_->Clear();
  DrawRect(10, 10, 5, 5);
  EXPECT_EQ(rec_->Count(DrawOp::DrawRect), 1);
  displayLost = true;
  DrawRect(20, 10, 5, 5);
  DrawLine(0, 0, 50, 50, 1);
  Plot(3, 3);
  Flip(0);
  Cls();
  displayLost = false;
  SkipDrawing(false);
  EXPECT_EQ(rec_->Count(DrawOp::DrawRect), 1);
  EXPECT_EQ(rec_->Count(DrawOp::DrawLine), 0);
  EXPECT_EQ(rec_->Count(DrawOp::Plot), 0);
  EXPECT_EQ(rec_->Count(DrawOp::Flip), 0);
  EXPECT_EQ(rec_->Count(DrawOp::Cls), 0);
}

TEST_F(GraphicsTest, ImagesTurnClockwiseAboutTheirCentre) {
  Open();
  auto image = TImage::Create(20, 30, 1, 0, 0, 0, 0);
  image->SetPixmap(0, TPixmap::Create(20, 30, PF_RGBA8888));
  image->handle_x = 10;
  image->handle_y = 15;
  SetDrawRotation(90);
  rec_->Clear();
  DrawImageFrame(image, 100, 50, 0);
  const auto draws = rec_->CallsOf(DrawOp::DrawFrame);
  ASSERT_EQ(draws.size(), 1u);
  const TRecordedCall& c = draws[0];
  EXPECT_EQ(c.pixmap, image->pixmaps[0].get());
  EXPECT_EQ(c.args[0], -10.0);
  EXPECT_EQ(c.args[1], -15.0);
  EXPECT_EQ(c.args[2], 10.0);
  EXPECT_EQ(c.args[3], 15.0);
  EXPECT_EQ(c.args[8], 20.0);
  EXPECT_EQ(c.args[9], 30.0);
  // The top-left corner of the picture lands top-right of the centre, turned a quarter.
  const auto [x, y] = Corner(c, c.args[0], c.args[1]);
  EXPECT_NEAR(x, 115.0, 1e-4);
  EXPECT_NEAR(y, 40.0, 1e-4);
  DrawImageFrame(nullptr, 0, 0, 0);
  DrawImageFrame(image, 0, 0, 3);  // no such frame
  EXPECT_EQ(rec_->Count(DrawOp::DrawFrame), 1);
}

TEST_F(GraphicsTest, RectanglesAndLinesUseCornersAndTranslation) {
  Open();
  rec_->Clear();
  DrawRect(10, 20, 30, 40);
  DrawLine(10, 20, 30, 25, 1);
  DrawLine(5, 5, 6, 6, 0);
  const auto& calls = rec_->Calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].op, DrawOp::DrawRect);
  EXPECT_EQ((std::vector<double>(calls[0].args.begin(), calls[0].args.begin() + 6)),
            (std::vector<double>{0, 0, 30, 40, 10, 20}));
  EXPECT_EQ(calls[1].op, DrawOp::DrawLine);
  EXPECT_EQ((std::vector<double>(calls[1].args.begin(), calls[1].args.begin() + 6)),
            (std::vector<double>{0, 0, 20, 5, 10, 20}));
  EXPECT_EQ(calls[2].op, DrawOp::Plot);  // the last pixel, at the transformed end
  EXPECT_EQ(calls[2].args[0], 30.0);
  EXPECT_EQ(calls[2].args[1], 25.0);
  EXPECT_EQ(calls[3].op, DrawOp::DrawLine);
}

TEST_F(GraphicsTest, TextAdvancesEightPixelsAndSkipsCharactersOutsideTheFont) {
  Open();
  rec_->Clear();
  DrawString("Ab\xE9 c\x7f\x1f", 10, 20);
  const auto draws = rec_->CallsOf(DrawOp::DrawFrame);
  const std::string shown = "Ab c\x7f";
  ASSERT_EQ(draws.size(), shown.size());
  const auto font = BuiltinFont();
  for (size_t i = 0; i < shown.size(); ++i) {
    const TImageGlyph* glyph = font->Glyph(static_cast<unsigned char>(shown[i]));
    EXPECT_EQ(draws[i].pixmap, glyph->_image->pixmaps[0].get()) << i;
    EXPECT_EQ(draws[i].args[4], 10.0 + 8.0 * i) << i;  // no gap where \xE9 was
    EXPECT_EQ(draws[i].args[5], 20.0);
    EXPECT_EQ(draws[i].args[2], 8.0);
    EXPECT_EQ(draws[i].args[3], 16.0);
  }

  // UTF-8: the Latin-1 letters draw their glyphs, one column each; bytes that are no UTF-8
  // (a lone continuation, a cut or overlong sequence) and characters beyond the font (the
  // euro sign) are skipped like any other character outside it.
  rec_->Clear();
  DrawString("\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\xC3\xA9|\x80\xC0\xA0\xE2\x82\xAC\xC3", 10, 20);
  const auto latin = rec_->CallsOf(DrawOp::DrawFrame);
  const std::vector<int32_t> codes = {0xE4, 0xF6, 0xFC, 0xDF, 0xE9, '|'};
  ASSERT_EQ(latin.size(), codes.size());
  for (size_t i = 0; i < codes.size(); ++i) {
    EXPECT_EQ(latin[i].pixmap, font->Glyph(codes[i])->_image->pixmaps[0].get()) << i;
    EXPECT_EQ(latin[i].args[4], 10.0 + 8.0 * i) << i;
  }
  EXPECT_EQ(TextColumns("\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F\xC3\xA9|\x80\xC0\xA0\xE2\x82\xAC\xC3"), codes.size());
  EXPECT_EQ(TextColumns("Seitw\xC3\xA4rts"), 9u);

  rec_->Clear();
  SetDrawScale(5, 5);
  DrawString("12", 0, 0);
  auto scaled = rec_->CallsOf(DrawOp::DrawFrame);
  ASSERT_EQ(scaled.size(), 2u);
  EXPECT_EQ(scaled[1].args[4], 40.0);
  EXPECT_EQ(Corner(scaled[1], 8, 16), (std::pair<double, double>{80.0, 80.0}));

  rec_->Clear();
  SetDrawScale(1, 1);
  SetDrawRotation(90);
  DrawString("12", 100, 100);
  scaled = rec_->CallsOf(DrawOp::DrawFrame);
  ASSERT_EQ(scaled.size(), 2u);
  EXPECT_NEAR(scaled[1].args[4], 100.0, 1e-4);
  EXPECT_EQ(scaled[1].args[5], 108.0);  // turned text runs down the screen
}

TEST_F(GraphicsTest, TexturesAreMadeOnceAndAgainForANewScreen) {
  Open();
  auto image = TImage::Create(100, 60, 1, FILTEREDIMAGE, 0, 0, 0);
  image->SetPixmap(0, TPixmap::Create(100, 60, PF_RGBA8888));
  rec_->Clear();
  DrawImageFrame(image, 0, 0, 0);
  DrawImageFrame(image, 5, 5, 0);
  ASSERT_EQ(rec_->Count(DrawOp::CreateFrame), 1);
  const auto made = rec_->CallsOf(DrawOp::CreateFrame)[0];
  EXPECT_EQ(made.args[0], double(FILTEREDIMAGE));
  EXPECT_EQ(made.args[1], 128.0);
  EXPECT_EQ(made.args[2], 64.0);
  auto* frame = dynamic_cast<TRecordedFrame*>(image->frames[0].get());
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->u1, 0.78125f);
  EXPECT_EQ(frame->v1, 0.9375f);
  EXPECT_EQ(image->seqs[0], GraphicsSeq());

  Open();
  rec_->Clear();
  DrawImageFrame(image, 0, 0, 0);
  EXPECT_EQ(rec_->Count(DrawOp::CreateFrame), 1);
  EXPECT_EQ(image->seqs[0], GraphicsSeq());
  EXPECT_EQ(DrawingFailure(), "");

  // A device that holds no texture at all: nothing is drawn, and the failure is reported,
  // not acted on, until a new screen starts afresh.
  rec_->SetMaxTextureSize(0);
  Open();
  rec_->Clear();
  DrawImageFrame(image, 0, 0, 0);
  EXPECT_EQ(rec_->Count(DrawOp::DrawFrame), 0);
  EXPECT_EQ(DrawingFailure(), kTextureSizeFailure);
  rec_->SetMaxTextureSize(64);
  Open();
  EXPECT_EQ(DrawingFailure(), "");
}

TEST_F(GraphicsTest, SixtyHertzWindowPacesFramesSixteenAndSeventeenMilliseconds) {
  UseFixedClock(1000);
  Open(0, 60);
  EXPECT_TRUE(FramePacing().softSync);
  EXPECT_FALSE(FramePacing().hardSync);
  EXPECT_EQ(FramePacing().step, 16);
  EXPECT_EQ(FramePacing().remainder, 40);
  std::vector<int32_t> gaps;
  for (int i = 0; i < 6; ++i) {
    const int32_t before = NowMs();
    Flip(-1);
    gaps.push_back(NowMs() - before);
  }
  // The accumulator runs 40, 20, 0: one frame in three gets 16 ms, 50 ms per three.
  EXPECT_EQ(gaps, (std::vector<int32_t>{16, 17, 17, 16, 17, 17}));
  EXPECT_EQ(NowMs(), 1100);
  EXPECT_EQ(rec_->CallsOf(DrawOp::Flip).back().args[0], 0.0);
}

TEST_F(GraphicsTest, TheRulesClockStandsStillWhilePausedAndPacingDoesNot) {
  UseFixedClock(1000);
  StopRulesClock();
  SleepMs(700);
  EXPECT_EQ(NowMs(), 1000);
  EXPECT_EQ(RealNowMs(), 1700);
  RunRulesClock();
  EXPECT_EQ(NowMs(), 1000);
  SleepUntilMs(1716);
  EXPECT_EQ(NowMs(), 1016) << "the paused time stays left out";
  StopRulesClock();
  SleepMs(5);
  RunRulesClock();
  EXPECT_EQ(NowMs(), 1016);
  // A fresh rules clock reads the fixed clock as set anew, whatever was paused before.
  UseFixedClock(50);
  ResetRulesClock();
  EXPECT_EQ(NowMs(), 50);
}

TEST_F(GraphicsTest, LateFrameIsShownAtOnceAndTheNextIsPacedFromThen) {
  UseFixedClock(5000);
  Open(0, 50);
  Flip(-1);
  EXPECT_EQ(NowMs(), 5020);
  SleepMs(30);  // a slow frame
  Flip(-1);
  EXPECT_EQ(NowMs(), 5050);
  Flip(-1);
  EXPECT_EQ(NowMs(), 5070);
  Flip(-1);
  EXPECT_EQ(NowMs(), 5090);
}

TEST_F(GraphicsTest, PacingSwitchesFollowDepthAndRate) {
  UseFixedClock(0);
  Open(0, 0);
  Flip(-1);
  EXPECT_EQ(NowMs(), 0);  // no rate: no waiting
  EXPECT_EQ(rec_->CallsOf(DrawOp::Flip).back().args[0], 0.0);

  Open(32, 60);
  EXPECT_FALSE(FramePacing().softSync);
  EXPECT_TRUE(FramePacing().hardSync);
  Flip(-1);
  EXPECT_EQ(NowMs(), 0);
  EXPECT_EQ(rec_->CallsOf(DrawOp::Flip).back().args[0], 1.0);

  // A negative rate, down to -2^31, never waits (and never overflows the accumulator).
  for (const int32_t hertz : {-60, -2147483647 - 1}) {
    Open(0, hertz);
    for (int i = 0; i < 3; ++i) Flip(-1);
    EXPECT_EQ(NowMs(), 0) << hertz;
    EXPECT_EQ(FramePacing().accum, 0) << hertz;
  }

  Open(32, 0);  // full screen without a rate presents without waiting for the retrace
  Flip(-1);
  EXPECT_EQ(rec_->CallsOf(DrawOp::Flip).back().args[0], 0.0);
  Flip(1);
  EXPECT_EQ(rec_->CallsOf(DrawOp::Flip).back().args[0], 1.0);
}

TEST_F(GraphicsTest, BuiltinFontGlyphsFollowTheTable) {
  const auto font = BuiltinFont();
  ASSERT_EQ(font->_glyphs.size(), 192u);
  EXPECT_EQ(font->Glyph(31), nullptr);
  EXPECT_EQ(font->Glyph(128), nullptr);
  EXPECT_EQ(font->Glyph(159), nullptr);
  EXPECT_EQ(font->Glyph(256), nullptr);
  EXPECT_EQ(font->Glyph(-1), nullptr);
  // The Latin-1 letters follow their own table.
  for (int32_t code = 160; code < 256; ++code) {
    const TPixmap& pm = *font->Glyph(code)->_image->pixmaps[0];
    for (int32_t y = 0; y < 16; ++y) {
      for (int32_t x = 0; x < 8; ++x) {
        EXPECT_EQ(pm.PixelPtr(x, y)[3], ((kBuiltinLatin1Table[y * 96 + code - 160] >> x) & 1) ? 255 : 0) << code;
      }
    }
  }
  // Each accented letter has a shape of its own, not its plain letter's: ä is no a, ß no s.
  const auto rows = [](const uint8_t* table, int32_t column) {
    std::vector<uint8_t> shape;
    for (int32_t y = 0; y < 16; ++y) shape.push_back(table[y * 96 + column]);
    return shape;
  };
  const std::pair<int32_t, char> letters[] = {{0xE4, 'a'}, {0xF6, 'o'}, {0xFC, 'u'}, {0xDF, 's'},
                                              {0xE9, 'e'}, {0xC4, 'A'}, {0xD6, 'O'}, {0xDC, 'U'}};
  for (const auto& [accented, plain] : letters) {
    EXPECT_NE(rows(kBuiltinLatin1Table, accented - 160), rows(kBuiltinFontTable, plain - 32)) << accented;
    EXPECT_NE(rows(kBuiltinLatin1Table, accented - 160), std::vector<uint8_t>(16, 0)) << accented;
  }
  for (int32_t code = 32; code < 128; ++code) {
    int32_t lit = 0;
    const TImageGlyph& g = *font->Glyph(code);
    ASSERT_TRUE(g._image);
    EXPECT_EQ(g._advance, 8.0f);
    EXPECT_EQ(g._w, 8);
    EXPECT_EQ(g._h, 16);
    EXPECT_EQ(g._image->flags, 0);
    EXPECT_EQ(g._image->handle_x, 0.0f);
    const TPixmap& pm = *g._image->pixmaps[0];
    for (int32_t y = 0; y < 16; ++y) {
      for (int32_t x = 0; x < 8; ++x) {
        const bool set = (kBuiltinFontTable[y * 96 + code - 32] >> x) & 1;
        const uint8_t* p = pm.PixelPtr(x, y);
        EXPECT_EQ(p[3], set ? 255 : 0);
        EXPECT_EQ(p[0], set ? 255 : 0);
        lit += set;
      }
    }
    if (code > 32 && code < 127) {
      EXPECT_GT(lit, 0) << "no shape for " << code;
    }
  }
  int32_t spaceBits = 0;
  for (int32_t y = 0; y < 16; ++y) spaceBits += kBuiltinFontTable[y * 96];
  EXPECT_EQ(spaceBits, 0);
}

}  // namespace

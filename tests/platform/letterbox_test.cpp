// The configured screen fitted into a window of another size, and the pointer between the two.
#include "platform/video/letterbox.h"

#include <gtest/gtest.h>

#include <array>
#include <utility>

namespace {

class LetterboxTest : public ::testing::Test {
 protected:
  void TearDown() override { SetScreenViewport(TViewport{}); }
  // The game's turn over ten frames in which the window's pointer moves `step` pixels from
  // where the game warped it: the screen pixels it reads from the centre, added up.
  static int TurnOverTenFrames(int32_t step) {
    int turn = 0;
    for (int frame = 0; frame < 10; ++frame) {
      int32_t x = 100, y = 75;
      ScreenPointToWindow(x, y);
      x += step;
      WindowPointToScreen(x, y);
      turn += x - 100;
      EXPECT_EQ(y, 75);
    }
    return turn;
  }
};

TEST_F(LetterboxTest, ScreenIsFittedWithItsShapeKeptAndCentred) {
  EXPECT_TRUE(FitViewport(200, 150, 200, 150).OneToOne());
  EXPECT_EQ(FitViewport(200, 150, 200, 150).scale, 1.0f);
  const TViewport wide = FitViewport(200, 150, 500, 300);
  EXPECT_FALSE(wide.OneToOne());
  EXPECT_EQ(wide, (TViewport{50, 0, 400, 300, 500, 300, 200, 150, 2.0f}));
  const TViewport tall = FitViewport(800, 600, 1280, 1024);
  EXPECT_EQ(tall, (TViewport{0, 32, 1280, 960, 1280, 1024, 800, 600, 1.6f}));
  const TViewport small = FitViewport(200, 150, 100, 100);
  EXPECT_EQ(small, (TViewport{0, 12, 100, 75, 100, 100, 200, 150, 0.5f}));
  // A minimised window has no size; the screen stays as it was configured.
  EXPECT_TRUE(FitViewport(200, 150, 0, 0).OneToOne());
  // Whole: the largest whole multiple that fits, and below 1 as large as fits.
  EXPECT_EQ(FitViewport(800, 600, 1280, 1024, true), (TViewport{240, 212, 800, 600, 1280, 1024, 800, 600, 1.0f}));
  EXPECT_EQ(FitViewport(200, 150, 500, 320, true), (TViewport{50, 10, 400, 300, 500, 320, 200, 150, 2.0f}));
  EXPECT_EQ(FitViewport(200, 150, 100, 100, true), small);

  int32_t rect[4];
  ScreenRectInWindow(FitViewport(200, 150, 200, 150), 10, 20, 30, 40, rect);
  EXPECT_EQ((std::array<int32_t, 4>{rect[0], rect[1], rect[2], rect[3]}), (std::array<int32_t, 4>{10, 90, 30, 40}));
  ScreenRectInWindow(wide, 10, 20, 30, 40, rect);
  EXPECT_EQ((std::array<int32_t, 4>{rect[0], rect[1], rect[2], rect[3]}), (std::array<int32_t, 4>{70, 180, 60, 80}));
}

TEST_F(LetterboxTest, PointerIsUntouchedOneToOne) {
  SetScreenViewport(FitViewport(200, 150, 200, 150));
  for (const int32_t v : {-7, 0, 99, 199, 250}) {
    int32_t x = v, y = v;
    WindowPointToScreen(x, y);
    EXPECT_EQ(x, v);
    EXPECT_EQ(y, v);
    ScreenPointToWindow(x, y);
    EXPECT_EQ(x, v);
  }
  EXPECT_EQ(TurnOverTenFrames(3), 30);
}

TEST_F(LetterboxTest, PointerOnADoubledScreenAddsUpSlowMovesBothWays) {
  SetScreenViewport(FitViewport(200, 150, 500, 300));
  int32_t x = 250, y = 150;
  WindowPointToScreen(x, y);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 75);
  x = 49;  // in the bar left of the screen
  WindowPointToScreen(x, y);
  EXPECT_EQ(x, -1);
  x = 30;
  y = 40;
  ScreenPointToWindow(x, y);
  EXPECT_EQ((x - 50) / 2, 30);
  EXPECT_EQ(y / 2, 40);

  // Ten one-pixel moves of the window's pointer are five screen pixels, either way.
  EXPECT_EQ(TurnOverTenFrames(1), 5);
  EXPECT_EQ(TurnOverTenFrames(-1), -5);
  EXPECT_EQ(TurnOverTenFrames(4), 20);
}

// A desktop scaled by 2 draws into two pixels a unit each way, and reports the pointer in units.
TEST_F(LetterboxTest, PointerOnAFinerDesktopCountsInItsUnits) {
  SetScreenViewport(FitViewport(200, 150, 400, 300), 2.0);
  EXPECT_EQ(ScreenViewport().w, 400);
  EXPECT_EQ(TurnOverTenFrames(1), 10);
  EXPECT_EQ(TurnOverTenFrames(-3), -30);
  // 500 x 300 units, 1000 x 600 pixels: the screen between bars of 50 units.
  SetScreenViewport(FitViewport(200, 150, 1000, 600), 2.0);
  for (const auto& [window, screen] : {std::pair{50, 0}, std::pair{250, 100}, std::pair{449, 199}}) {
    int32_t x = window, y = 150;
    WindowPointToScreen(x, y);
    EXPECT_EQ(x, screen) << window;
    EXPECT_EQ(y, 75);
  }
  EXPECT_EQ(TurnOverTenFrames(2), 10);
  EXPECT_EQ(TurnOverTenFrames(-2), -10);
}

}  // namespace

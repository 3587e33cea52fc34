// The configured screen fitted into a window of another size, and the pointer between the two.
#include "platform/video/letterbox.h"

#include <gtest/gtest.h>

#include <array>
#include <utility>
#include <vector>

namespace {

class LetterboxTest : public ::testing::Test {
 protected:
  void TearDown() override { SetScreenViewport(TViewport{}); }
  // Window pixels to the screen pixels under them, and each screen pixel there and back.
  static void ExpectPointer(const std::vector<std::pair<int32_t, int32_t>>& windowToScreen) {
    for (const auto& [window, screen] : windowToScreen) {
      int32_t x = window, y = 75;
      WindowPointToScreen(x, y);
      EXPECT_EQ(x, screen) << window;
    }
    for (const int32_t screen : {0, 1, 99, 100, 199}) {
      int32_t x = screen, y = screen;
      ScreenPointToWindow(x, y);
      WindowPointToScreen(x, y);
      EXPECT_EQ(x, screen);
      EXPECT_EQ(y, screen);
    }
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
}

// 200 x 150 shown at 400 x 300 between bars of 50 window pixels.
TEST_F(LetterboxTest, PointerOnADoubledScreenIsReadThroughTheBars) {
  SetScreenViewport(FitViewport(200, 150, 500, 300));
  ExpectPointer({{49, -1}, {50, 0}, {51, 0}, {52, 1}, {250, 100}, {449, 199}, {450, 200}});
  // A window that changes size is read in its new letterbox at once.
  FitPointerToWindow(200, 150);
  ExpectPointer({{0, 0}, {199, 199}});
}

// A desktop scaled by 2 draws into two pixels a unit each way, and reports the pointer in units.
TEST_F(LetterboxTest, PointerOnAFinerDesktopCountsInItsUnits) {
  SetScreenViewport(FitViewport(200, 150, 400, 300), 2.0);
  EXPECT_EQ(ScreenViewport().w, 400);
  ExpectPointer({{0, 0}, {100, 100}, {199, 199}});
  // 500 x 300 units, 1000 x 600 pixels: the screen between bars of 50 units.
  SetScreenViewport(FitViewport(200, 150, 1000, 600), 2.0);
  ExpectPointer({{49, -1}, {50, 0}, {250, 100}, {449, 199}});
}

}  // namespace

// The OpenGL driver in a real window under X (scripts/test runs the suite in Xvfb with
// Mesa's software OpenGL). Without a display these tests are skipped.
#include <gtest/gtest.h>
// After gtest: the X11 headers behind SDL_syswm.h define macros gtest uses as names.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#undef None
#undef Bool

#include <cstdlib>

#include "platform/events.h"
#include "platform/font.h"
#include "platform/gl_driver.h"
#include "platform/graphics.h"
#include "platform/image.h"
#include "platform/input.h"
#include "support.h"

namespace {

using platform_test::Shell;
using platform_test::TempDir;

// Polls until the condition holds or two seconds have passed: X delivers input
// asynchronously.
template <typename Condition>
bool Eventually(Condition condition) {
  for (int i = 0; i < 200; ++i) {
    if (condition()) return true;
    SDL_Delay(10);
  }
  return condition();
}

bool HaveDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && *display != 0;
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveDisplay()) GTEST_SKIP() << "no X display";
    SetGraphicsDriver(nullptr);
    ASSERT_TRUE(OpenScreen(200, 150, 0, 0, 0)) << LastScreenError();
    gl_ = dynamic_cast<TGLVex2DDriver*>(GraphicsDriver().get());
    ASSERT_NE(gl_, nullptr);
  }
  void TearDown() override {
    CloseScreen();
    SetAutoMidHandle(0);
  }
  std::array<int, 3> At(const TPixmap& shot, int x, int y) {
    const uint8_t* p = shot.PixelPtr(x, y);
    return {p[0], p[1], p[2]};
  }
  unsigned long XWindowId() {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(gl_->Window(), &info) || info.subsystem != SDL_SYSWM_X11) return 0;
    return info.info.x11.window;
  }
  TGLVex2DDriver* gl_ = nullptr;
  TempDir dir_;
};

TEST_F(WindowTest, WindowHasTheAskedClientSizeAndTitle) {
  int w = 0, h = 0;
  SDL_GetWindowSize(gl_->Window(), &w, &h);
  EXPECT_EQ(w, 200);
  EXPECT_EQ(h, 150);
  EXPECT_STREQ(SDL_GetWindowTitle(gl_->Window()), "Kestrova");
  EXPECT_EQ(SDL_GetWindowFlags(gl_->Window()) & SDL_WINDOW_RESIZABLE, 0u);
  SDL_DisplayMode desktop;
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  int x = 0, y = 0;
  SDL_GetWindowPosition(gl_->Window(), &x, &y);
  EXPECT_EQ(x, desktop.w / 2 - 100);
  EXPECT_EQ(y, desktop.h / 2 - 75);
}

TEST_F(WindowTest, RectanglesImagesAndTextReachThePixels) {
  SetBlend(3);
  SetClsColor(0, 0, 0);
  Cls();
  SetColor(0, 0, 255);
  DrawRect(0, 0, 100, 100);
  SetColor(255, 0, 0);
  SetAlpha(0.5f);
  DrawRect(10, 10, 20, 20);
  SetAlpha(1);

  // 40 x 20: left half red, right half green, turned a quarter clockwise about its centre.
  SetAutoMidHandle(1);
  const std::string file = dir_.File("turn.png");
  ASSERT_TRUE(Shell("convert -size 40x20 xc:lime -fill red -draw 'rectangle 0,0 19,19' PNG24:'" + file + "'"));
  auto image = LoadImageFile(file, 0);
  ASSERT_TRUE(image);
  SetColor(255, 255, 255);
  SetDrawRotation(90);
  DrawImageFrame(image, 150, 60, 0);
  SetDrawRotation(0);
  DrawString("H", 120, 120);

  const TPixmapPtr shot = GrabPixmap(0, 0, 200, 150);
  ASSERT_TRUE(shot);
  EXPECT_EQ(At(*shot, 50, 50), (std::array<int, 3>{0, 0, 255}));
  const auto mixed = At(*shot, 20, 20);  // red at alpha 127/255 over blue
  EXPECT_NEAR(mixed[0], 127, 2);
  EXPECT_EQ(mixed[1], 0);
  EXPECT_NEAR(mixed[2], 128, 2);
  EXPECT_EQ(At(*shot, 150, 45), (std::array<int, 3>{255, 0, 0}));  // the left half is now on top
  EXPECT_EQ(At(*shot, 150, 75), (std::array<int, 3>{0, 255, 0}));
  EXPECT_EQ(At(*shot, 135, 60), (std::array<int, 3>{0, 0, 0}));    // 20 wide after the turn
  EXPECT_EQ(At(*shot, 155, 60)[1] + At(*shot, 155, 60)[0], 255);

  // The glyph lands pixel for pixel.
  const int32_t glyph = 'H' - 32;
  for (int32_t y = 0; y < 16; ++y) {
    for (int32_t x = 0; x < 8; ++x) {
      const bool set = (kBuiltinFontTable[y * 96 + glyph] >> x) & 1;
      EXPECT_EQ(At(*shot, 120 + x, 120 + y)[0], set ? 255 : 0) << x << "," << y;
    }
  }
  Flip(0);
}

TEST_F(WindowTest, StateChangesAreIssuedOnlyWhenTheyDiffer) {
  auto image = TImage::Create(100, 60, 1, FILTEREDIMAGE, 0, 0, 0);
  image->SetPixmap(0, TPixmap::Create(100, 60, PF_RGBA8888));
  const TGLStats before = gl_->Stats();
  SetBlend(3);
  SetBlend(3);
  EXPECT_EQ(gl_->Stats().blendChanges, before.blendChanges + 1);
  DrawImageFrame(image, 50, 50, 0);
  auto* frame = dynamic_cast<TGLImageFrame*>(image->frames[0].get());
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->texWidth, 128);
  EXPECT_EQ(frame->texHeight, 64);
  EXPECT_EQ(frame->u1, 0.78125f);
  EXPECT_EQ(frame->v1, 0.9375f);
  const TGLStats drawn = gl_->Stats();
  for (int i = 0; i < 10; ++i) DrawImageFrame(image, 10.0f * i, 50, 0);
  EXPECT_EQ(gl_->Stats().textureBinds, drawn.textureBinds);
  EXPECT_EQ(gl_->Stats().textureToggles, drawn.textureToggles);
  for (int i = 0; i < 10; ++i) DrawRect(10.0f * i, 0, 5, 5);
  EXPECT_EQ(gl_->Stats().textureToggles, drawn.textureToggles + 1);
  Flip(0);
  EXPECT_EQ(gl_->Stats().quads, drawn.quads + 20);
}

TEST_F(WindowTest, XInputReachesThePolledState) {
  const unsigned long id = XWindowId();
  if (id == 0) GTEST_SKIP() << "not an X11 window";
  const std::string win = std::to_string(id);
  ASSERT_TRUE(Shell("xdotool windowfocus --sync " + win + " 2>/dev/null"));
  PumpEvents();
  ASSERT_TRUE(Shell("xdotool keydown Shift_R keyup Shift_R keydown Shift_L keydown w"));
  EXPECT_TRUE(Eventually([] { return KeyIsDown('W') == 1; }));
  EXPECT_EQ(KeyIsDown(160), 1);
  EXPECT_EQ(KeyIsDown(161), 0);
  EXPECT_EQ(KeyPressed(161), 1);
  EXPECT_EQ(KeyIsDown(16), 0);
  ASSERT_TRUE(Shell("xdotool keyup w keyup Shift_L"));
  EXPECT_TRUE(Eventually([] { return KeyIsDown('W') == 0 && KeyIsDown(160) == 0; }));

  // Pressed inside, released far outside: the release still arrives.
  ASSERT_TRUE(Shell("xdotool mousemove --window " + win + " --sync 50 50 mousedown 1"));
  EXPECT_TRUE(Eventually([] { return ButtonIsDown(1) == 1; }));
  ASSERT_TRUE(Shell("xdotool mousemove --sync 5 5 mouseup 1"));
  EXPECT_TRUE(Eventually([] { return ButtonIsDown(1) == 0; }));

  MovePointer(100, 75);
  EXPECT_EQ(PointerX(), 100);
  EXPECT_EQ(PointerY(), 75);
  if (!RelativePointer()) {
    // The system pointer really moved there.
    int wx = 0, wy = 0, gx = 0, gy = 0;
    SDL_GetWindowPosition(gl_->Window(), &wx, &wy);
    SDL_GetGlobalMouseState(&gx, &gy);
    EXPECT_EQ(gx - wx, 100);
    EXPECT_EQ(gy - wy, 75);
  }
}

TEST(WindowModeTest, FullScreenModeThatCannotBeSetIsRefused) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  SetGraphicsDriver(nullptr);
  EXPECT_FALSE(OpenScreen(1234, 567, 32, 0, 0));
  EXPECT_EQ(LastScreenError(), "GLGraphicsDriver failed to set display mode");
  EXPECT_EQ(CurrentGraphics(), nullptr);
  // The modes it could have had instead, for the message.
  const std::vector<std::string> modes = DisplayModes();
  ASSERT_FALSE(modes.empty());
  EXPECT_EQ(modes[0].rfind("1280 x 1024, 24 bit", 0), 0u) << modes[0];
}

TEST(WindowModeTest, WindowsLargerThanTheDesktopAreRefused) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  SetGraphicsDriver(nullptr);
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
  SDL_DisplayMode desktop;
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  EXPECT_FALSE(OpenScreen(desktop.w + 1, 100, 0, 0, 0));
  EXPECT_NE(LastScreenError().find("larger than the desktop"), std::string::npos) << LastScreenError();
  EXPECT_FALSE(OpenScreen(100, desktop.h + 1, 0, 0, 0));
  EXPECT_FALSE(OpenScreen(2147483647, 2147483647, 0, 0, 0));
  EXPECT_EQ(CurrentGraphics(), nullptr);
  ASSERT_TRUE(OpenScreen(desktop.w, desktop.h, 0, 0, 0)) << LastScreenError();
  CloseScreen();
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST(WindowModeTest, FullScreenTakesTheDesktopSizeAndCentresThePointer) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  SetGraphicsDriver(nullptr);
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
  SDL_DisplayMode desktop;
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  ASSERT_TRUE(OpenScreen(desktop.w, desktop.h, 32, 0, 0)) << LastScreenError();
  auto* gl = dynamic_cast<TGLVex2DDriver*>(GraphicsDriver().get());
  ASSERT_NE(gl, nullptr);
  EXPECT_NE(SDL_GetWindowFlags(gl->Window()) & SDL_WINDOW_FULLSCREEN, 0u);
  EXPECT_FALSE(FramePacing().softSync);
  EXPECT_FALSE(FramePacing().hardSync);
  EXPECT_EQ(PointerX(), desktop.w / 2);
  EXPECT_EQ(PointerY(), desktop.h / 2);
  CloseScreen();
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

TEST(WindowModeTest, ScreenSaverIsSuppressedAndClosingGivesItBack) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  SetGraphicsDriver(nullptr);
  ASSERT_TRUE(OpenScreen(64, 48, 0, 0, 0)) << LastScreenError();
  EXPECT_EQ(SDL_IsScreenSaverEnabled(), SDL_FALSE);
  CloseScreen();
  EXPECT_EQ(CurrentGraphics(), nullptr);
  EXPECT_EQ(SDL_IsScreenSaverEnabled(), SDL_TRUE);
}

}  // namespace

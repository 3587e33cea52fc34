// The OpenGL driver in a real window under X (scripts/test runs the suite in Xvfb with
// Mesa's software OpenGL). Without a display these tests are skipped.
#include <gtest/gtest.h>
// After gtest: the X11 headers behind SDL_syswm.h define macros gtest uses as names.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#undef None
#undef Bool

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <utility>

#include "../support/window_manager.h"
#include "platform/core/events.h"
#include "platform/files/png.h"
#include "platform/input/input.h"
#include "platform/input/window_input.h"
#include "platform/video/font.h"
#include "platform/video/gl_driver.h"
#include "platform/video/graphics.h"
#include "platform/video/image.h"
#include "platform/video/letterbox.h"
#include "platform/video/sdl_window.h"
#include "rules/answers.h"
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

// Whether the window takes the size, waiting for the X server (and the window manager).
bool DrawableSizeIs(SDL_Window* window, int w, int h) {
  return Eventually([&] {
    PumpEvents();
    int ww = 0, wh = 0;
    SDL_GL_GetDrawableSize(window, &ww, &wh);
    return ww == w && wh == h;
  });
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
  // The window as X shows it.
  TPixmapPtr XShot() {
    const std::string file = dir_.File("xshot.png");
    if (!Shell("import -window " + std::to_string(XWindowId()) + " 'png:" + file + "'")) return nullptr;
    return LoadPixmapFile(file);
  }
  // Blue screen, a red square in its top left corner.
  void DrawFrame() {
    SetClsColor(0, 0, 255);
    Cls();
    SetColor(255, 0, 0);
    DrawRect(0, 0, 10, 10);
  }
  // Where the system pointer is, in window pixels.
  std::pair<int, int> SystemPointer() {
    int wx = 0, wy = 0, gx = 0, gy = 0;
    SDL_GetWindowPosition(gl_->Window(), &wx, &wy);
    SDL_GetGlobalMouseState(&gx, &gy);
    return {gx - wx, gy - wy};
  }
  TGLVex2DDriver* gl_ = nullptr;
  TempDir dir_;
};

using Rgb = std::array<int, 3>;
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kBlue{0, 0, 255};

TEST_F(WindowTest, ResizedWindowShowsTheScreenScaledBetweenBlackBars) {
  const unsigned long id = XWindowId();
  if (id == 0) GTEST_SKIP() << "not an X11 window";
  // Twice as large, with 50 window pixels to spare on either side. The game warps the pointer
  // to the centre after the window took its size, before a frame is drawn in it.
  MovePointer(100, 75);
  SDL_SetWindowSize(gl_->Window(), 500, 300);
  ASSERT_TRUE(DrawableSizeIs(gl_->Window(), 500, 300));
  MovePointer(100, 75);
  Flip(0);
  // Still the centre: the warp went to the window's centre, and reads back as the screen's.
  EXPECT_TRUE(Eventually([] { return PointerX() == 100 && PointerY() == 75; })) << PointerX() << "," << PointerY();
  const auto [x, y] = SystemPointer();
  EXPECT_EQ((x - 50) / 2, 100);
  EXPECT_EQ(y / 2, 75);
  const TViewport shown = ScreenViewport();
  EXPECT_EQ(shown.x, 50);
  EXPECT_EQ(shown.y, 0);
  EXPECT_EQ(shown.w, 400);
  EXPECT_EQ(shown.h, 300);
  for (int i = 0; i < 2; ++i) {  // both buffers
    DrawFrame();
    Flip(0);
  }
  const TPixmapPtr shot = XShot();
  ASSERT_TRUE(shot);
  ASSERT_EQ(shot->width, 500);
  EXPECT_EQ(At(*shot, 25, 150), kBlack);
  EXPECT_EQ(At(*shot, 475, 150), kBlack);
  EXPECT_EQ(At(*shot, 51, 1), kRed);
  EXPECT_EQ(At(*shot, 68, 18), kRed);
  EXPECT_EQ(At(*shot, 71, 21), kBlue);
  EXPECT_EQ(At(*shot, 449, 299), kBlue);

  // The kept frame and screenshots still have the configured screen's size.
  DrawFrame();
  const TPixmapPtr grabbed = GrabPixmap(0, 0, 200, 150);
  ASSERT_TRUE(grabbed);
  EXPECT_EQ(grabbed->width, 200);
  EXPECT_EQ(grabbed->height, 150);
  EXPECT_EQ(At(*grabbed, 0, 0), kRed);
  EXPECT_EQ(At(*grabbed, 9, 9), kRed);
  EXPECT_EQ(At(*grabbed, 10, 10), kBlue);
  EXPECT_EQ(At(*grabbed, 199, 149), kBlue);
  EXPECT_EQ(CurrentGraphics()->g_width, 200);
  EXPECT_EQ(CurrentGraphics()->g_height, 150);

  // The window's centre is the screen's centre, and the screen's centre is warped to it.
  const std::string win = std::to_string(id);
  ASSERT_TRUE(Shell("xdotool windowfocus --sync " + win + " 2>/dev/null"));
  ASSERT_TRUE(Shell("xdotool mousemove --window " + win + " --sync 250 150"));
  EXPECT_TRUE(Eventually([] { return PointerX() == 100 && PointerY() == 75; })) << PointerX() << "," << PointerY();
  ASSERT_TRUE(Shell("xdotool mousemove --window " + win + " --sync 52 298 mousedown 1 mouseup 1"));
  EXPECT_TRUE(Eventually([] { return PointerX() == 1 && PointerY() == 149; })) << PointerX() << "," << PointerY();
  MovePointer(30, 40);
  EXPECT_EQ(PointerX(), 30);
  EXPECT_EQ(PointerY(), 40);
  const auto [warpedX, warpedY] = SystemPointer();
  EXPECT_EQ((warpedX - 50) / 2, 30);
  EXPECT_EQ(warpedY / 2, 40);
}

// What the window shows of the 1:1 frame `frame` (top row first) in the letterbox `shown`:
// each window pixel's centre mapped into the frame, the nearest pixel taken, or the four
// around it weighed (clamped at the frame's edges); black outside.
std::array<double, 3> Resampled(const TPixmap& frame, const TViewport& shown, int x, int y, bool filtered) {
  if (x < shown.x || x >= shown.x + shown.w || y < shown.y || y >= shown.y + shown.h) return {0, 0, 0};
  const double u = (x + 0.5 - shown.x) * frame.width / shown.w;
  const double v = (y + 0.5 - shown.y) * frame.height / shown.h;
  const auto texel = [&frame](int tx, int ty, int c) {
    return static_cast<double>(
        frame.PixelPtr(std::clamp(tx, 0, frame.width - 1), std::clamp(ty, 0, frame.height - 1))[c]);
  };
  std::array<double, 3> out{};
  const auto tx = static_cast<int>(std::floor(filtered ? u - 0.5 : u));
  const auto ty = static_cast<int>(std::floor(filtered ? v - 0.5 : v));
  const double fx = u - 0.5 - tx;
  const double fy = v - 0.5 - ty;
  for (int c = 0; c < 3; ++c) {
    if (!filtered) {
      out[c] = texel(tx, ty, c);
      continue;
    }
    const double top = texel(tx, ty, c) * (1 - fx) + texel(tx + 1, ty, c) * fx;
    const double bottom = texel(tx, ty + 1, c) * (1 - fx) + texel(tx + 1, ty + 1, c) * fx;
    out[c] = top * (1 - fy) + bottom * fy;
  }
  return out;
}

// Each scaling, through each way of making a scaled frame the device offers, against the
// 1:1 frame resampled: sharp and whole exact, smooth within 2 levels. Window sizes scale by
// 6/5, 2 and 4/5, where no window pixel's centre falls near a border between frame pixels.
// The kept frame and screenshots are the 1:1 frame itself, and the pointer follows whole's
// letterbox.
TEST_F(WindowTest, ScaledWindowsShowTheOneToOneFrameResampled) {
  const unsigned long id = XWindowId();
  if (id == 0) GTEST_SKIP() << "not an X11 window";
  const auto draw = [] {
    SetClsColor(0, 0, 255);
    Cls();
    SetColor(255, 0, 0);
    DrawRect(0, 0, 10, 10);
    for (int i = 0; i < 200; ++i) {
      SetColor(i, 255 - i, i * 7 % 256);
      DrawRect(static_cast<float>(i), 100, 1, 50);
    }
    SetColor(255, 255, 255);
    DrawString("Kestrova", 20, 40);
    SetColor(0, 255, 0);
    DrawLine(5, 60, 190, 90, 1);
  };
  draw();
  const TPixmapPtr frame = GrabPixmap(0, 0, 200, 150);
  ASSERT_TRUE(frame);
  Flip(0);
  const auto expectShown = [&](TScaling scaling, bool filtered, const std::string& what) {
    SetScreenScaling(scaling);
    Flip(0);
    for (int i = 0; i < 2; ++i) {  // both buffers
      draw();
      const TPixmapPtr grabbed = GrabPixmap(0, 0, 200, 150);
      ASSERT_TRUE(grabbed);
      EXPECT_EQ(grabbed->pixels, frame->pixels) << what << ": the kept frame";
      Flip(0);
    }
    const TViewport shown = ScreenViewport();
    const TPixmapPtr shot = XShot();
    ASSERT_TRUE(shot);
    ASSERT_EQ(shot->width, shown.windowW);
    ASSERT_EQ(shot->height, shown.windowH);
    int wrong = 0;
    for (int y = 0; y < shot->height; ++y) {
      for (int x = 0; x < shot->width; ++x) {
        const std::array<double, 3> want = Resampled(*frame, shown, x, y, filtered);
        for (int c = 0; c < 3; ++c) {
          const double off = std::fabs(shot->PixelPtr(x, y)[c] - want[c]);
          if (filtered ? off <= 2.0 : off == 0.0) continue;
          if (++wrong <= 3) {
            ADD_FAILURE() << what << ": window pixel " << x << "," << y << " channel " << c << " is "
                          << int{shot->PixelPtr(x, y)[c]} << ", resampled " << want[c];
          }
        }
      }
    }
    EXPECT_EQ(wrong, 0) << what;
  };
  const auto resize = [&](int w, int h) {
    SDL_SetWindowSize(gl_->Window(), w, h);
    ASSERT_TRUE(DrawableSizeIs(gl_->Window(), w, h));
    Flip(0);
  };
  const bool framebuffer = [&] {
    resize(240, 180);
    return gl_->ScalePath() == TScalePath::Framebuffer;
  }();
  for (const bool allow : {true, false}) {
    if (allow && !framebuffer) continue;
    gl_->AllowFramebuffer(allow);
    const TScalePath path = allow ? TScalePath::Framebuffer : TScalePath::Copy;
    const std::string how = allow ? "framebuffer" : "copy";
    resize(240, 180);
    EXPECT_EQ(gl_->ScalePath(), path);
    expectShown(TScaling::Smooth, true, how + ", smooth at 6/5");
    expectShown(TScaling::Sharp, false, how + ", sharp at 6/5");
    expectShown(TScaling::Whole, false, how + ", whole at 6/5");
    EXPECT_EQ(ScreenViewport().w, 200);
    resize(500, 320);
    expectShown(TScaling::Whole, false, how + ", whole at 2");
    const TViewport whole = ScreenViewport();
    EXPECT_EQ((std::array{whole.x, whole.y, whole.w, whole.h}), (std::array{50, 10, 400, 300}));
    MovePointer(30, 40);
    EXPECT_EQ(PointerX(), 30);
    const auto [x, y] = SystemPointer();
    EXPECT_EQ((std::pair{(x - 50) / 2, (y - 10) / 2}), (std::pair{30, 40}));
    expectShown(TScaling::Smooth, true, how + ", smooth at 2.13");
    resize(160, 120);
    EXPECT_EQ(gl_->ScalePath(), allow ? path : TScalePath::None);
    if (allow) {
      expectShown(TScaling::Smooth, true, how + ", smooth at 4/5");
      expectShown(TScaling::Whole, false, how + ", whole at 4/5, as sharp");
    }
  }
  gl_->AllowFramebuffer(true);
  SetScreenScaling(TScaling::Smooth);
  resize(200, 150);
  EXPECT_EQ(gl_->ScalePath(), TScalePath::None);
}

TEST_F(WindowTest, WindowHasTheAskedClientSizeAndTitle) {
  int w = 0, h = 0;
  SDL_GetWindowSize(gl_->Window(), &w, &h);
  EXPECT_EQ(w, 200);
  EXPECT_EQ(h, 150);
  EXPECT_STREQ(SDL_GetWindowTitle(gl_->Window()), "Kestrova");
  EXPECT_NE(SDL_GetWindowFlags(gl_->Window()) & SDL_WINDOW_RESIZABLE, 0u);
  SDL_GetWindowMinimumSize(gl_->Window(), &w, &h);
  EXPECT_EQ(w, 100);
  EXPECT_EQ(h, 75);
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
  EXPECT_EQ(At(*shot, 135, 60), (std::array<int, 3>{0, 0, 0}));  // 20 wide after the turn
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
  gl_->UseSheets(false);  // the layout of a texture of its own is looked at
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

// Pictures of odd sizes with every flag but mipmaps: random colours and alpha, and for the
// masked ones pixels of the mask colour (black), in a format without alpha.
std::vector<std::shared_ptr<TImage>> SheetPictures() {
  std::mt19937 random(29);
  std::vector<std::shared_ptr<TImage>> images;
  const int32_t sizes[][2] = {{13, 7}, {52, 52}, {32, 32}, {8, 16}, {100, 60}, {1, 1}};
  for (const int32_t flags : {0, int32_t{FILTEREDIMAGE}, MASKEDIMAGE | FILTEREDIMAGE, int32_t{MASKEDIMAGE}}) {
    for (const auto& size : sizes) {
      const bool masked = (flags & MASKEDIMAGE) != 0;
      auto pixmap = TPixmap::Create(size[0], size[1], masked ? PF_RGB888 : PF_RGBA8888);
      for (uint8_t& byte : pixmap->pixels) byte = static_cast<uint8_t>(random());
      if (masked) {
        for (int32_t y = 0; y < size[1]; ++y) {
          for (int32_t x = 0; x < size[0]; ++x) {
            if (random() % 3 == 0) std::memset(pixmap->PixelPtr(x, y), 0, 3);
          }
        }
      }
      auto image = TImage::Create(size[0], size[1], 1, flags, 0, 0, 0);
      image->SetPixmap(0, pixmap);
      image->handle_x = static_cast<float>(size[0]) * 0.5f;
      image->handle_y = static_cast<float>(size[1]) * 0.5f;
      images.push_back(image);
    }
  }
  return images;
}

// Each picture turned, scaled and blended at positions between pixels, then text and a
// crowd of them interleaved as the game's actors draw; what the back buffer holds.
// `crowdDraws` counts the draws OpenGL is handed for the crowd.
TPixmapPtr DrawSheetScene(const std::vector<std::shared_ptr<TImage>>& images, const TGLVex2DDriver& gl,
                          int64_t& crowdDraws) {
  SetClsColor(40, 90, 160);
  Cls();
  const int32_t blends[] = {ALPHABLEND, LIGHTBLEND, MASKBLEND, SOLIDBLEND, SHADEBLEND};
  const float rotations[] = {0.0f, 33.3f, 90.0f, 217.9f, -7.25f};
  const float scales[] = {1.0f, 1.7f, 0.61f, 2.5f, 1.0f};
  for (size_t i = 0; i < images.size(); ++i) {
    for (size_t k = 0; k < 5; ++k) {
      const size_t n = i * 5 + k;
      SetBlend(blends[(i + k) % 5]);
      SetColor(255, 255 - static_cast<int32_t>(40 * k), 200 + static_cast<int32_t>(n % 56));
      SetAlpha(k == 3 ? 0.5f : 1.0f);
      SetDrawRotation(rotations[k]);
      SetDrawScale(scales[(i + k) % 5], scales[(i + 2 * k) % 5]);
      DrawImageFrame(images[i], 7.37f + static_cast<float>(n * 37 % 190), 5.81f + static_cast<float>(n * 53 % 140), 0);
    }
  }
  SetDrawRotation(0);
  SetDrawScale(1, 1);
  SetBlend(ALPHABLEND);
  SetAlpha(1);
  SetColor(255, 255, 255);
  DrawString("Sheets Wq", 3.5f, 130.25f);
  SetDrawRotation(12.5f);
  DrawString("Aq", 150.0f, 20.0f);
  SetDrawRotation(0);
  GrabPixmap(0, 0, 1, 1);  // hands over what is drawn so far
  const int64_t before = gl.Stats().batches;
  for (int32_t n = 0; n < 300; ++n) {
    // Filtered ones of the sizes of the game's figures and items, as its actors draw.
    const size_t crowd[] = {7, 8, 13, 14};
    // Wholly on the screen: quads that reach beyond it are drawn by picture.
    DrawImageFrame(images[crowd[n * 7 % 4]], 30.0f + static_cast<float>(n % 20) * 7.5f,
                   30.0f + static_cast<float>(n / 20) * 6.1f, 0);
  }
  TPixmapPtr shot = GrabPixmap(0, 0, 200, 150);
  crowdDraws = gl.Stats().batches - before;
  return shot;
}

// Pictures in shared sheets sample exactly as with a texture each, and a crowd of
// different pictures reaches OpenGL in a few draws instead of one per change of picture.
TEST_F(WindowTest, PicturesInSheetsDrawAsWithTexturesOfTheirOwn) {
  const auto images = SheetPictures();
  TPixmapPtr shots[2];
  int64_t draws[2] = {0, 0};
  for (const bool sheets : {false, true}) {
    // A screen of its own, so every picture, the font's too, is made afresh.
    CloseScreen();
    ASSERT_TRUE(OpenScreen(200, 150, 0, 0, 0)) << LastScreenError();
    gl_ = dynamic_cast<TGLVex2DDriver*>(GraphicsDriver().get());
    ASSERT_NE(gl_, nullptr);
    gl_->UseSheets(sheets);
    const TGLStats before = gl_->Stats();
    shots[sheets] = DrawSheetScene(images, *gl_, draws[sheets]);
    ASSERT_TRUE(shots[sheets]);
    EXPECT_EQ(gl_->Stats().sheetPictures > before.sheetPictures, sheets);
    Flip(0);
  }
  gl_->UseSheets(true);
  int32_t differing = 0;
  for (int32_t y = 0; y < 150; ++y) {
    for (int32_t x = 0; x < 200; ++x) {
      if (At(*shots[0], x, y) == At(*shots[1], x, y)) continue;
      if (++differing <= 5) ADD_FAILURE() << "pixel " << x << "," << y << " differs";
    }
  }
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(draws[1], 1);
  EXPECT_EQ(draws[0], 300);
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
  // The system pointer really moved there.
  EXPECT_EQ(SystemPointer(), (std::pair{100, 75}));
  // Moved on before the game has heard of it, a pointer that rested where the game put it is
  // not put back there by the next warp: the move reaches the game.
  ASSERT_TRUE(Shell("xdotool mousemove_relative --sync 30 0"));
  WarpPointer(100, 75);
  EXPECT_TRUE(Eventually([] { return PointerX() == 130; })) << PointerX();
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

// The largest window of the screen's shape that fits, the screen itself as configured; down
// to a quarter of its size, and no further.
TEST(WindowModeTest, WindowsLargerThanTheDesktopAreShrunkToFitIt) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  SetGraphicsDriver(nullptr);
  ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0);
  SDL_DisplayMode desktop;
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  const auto opens = [](int32_t w, int32_t h, int32_t windowW, int32_t windowH) {
    ASSERT_TRUE(OpenScreen(w, h, 0, 0, 0)) << LastScreenError();
    auto* gl = dynamic_cast<TGLVex2DDriver*>(GraphicsDriver().get());
    ASSERT_NE(gl, nullptr);
    int shownW = 0, shownH = 0;
    SDL_GetWindowSize(gl->Window(), &shownW, &shownH);
    EXPECT_EQ((std::pair{shownW, shownH}), (std::pair{windowW, windowH})) << w << " x " << h;
    EXPECT_EQ(WindowShrunkToFit(), windowW != w) << w << " x " << h;
    EXPECT_EQ(CurrentGraphics()->g_width, w);
    EXPECT_EQ(CurrentGraphics()->g_height, h);
    CloseScreen();
  };
  opens(desktop.w, desktop.h, desktop.w, desktop.h);
  opens(desktop.w * 2, 100, desktop.w, 50);
  opens(100, desktop.h * 2, 50, desktop.h);
  opens(desktop.w * 4, desktop.h * 4, desktop.w, desktop.h);
  EXPECT_FALSE(OpenScreen(desktop.w * 4 + 4, desktop.h, 0, 0, 0));
  EXPECT_NE(LastScreenError().find("more than four times larger than the desktop"), std::string::npos)
      << LastScreenError();
  EXPECT_FALSE(OpenScreen(100, desktop.h * 4 + 4, 0, 0, 0));
  EXPECT_FALSE(OpenScreen(2147483647, 2147483647, 0, 0, 0));
  EXPECT_EQ(CurrentGraphics(), nullptr);
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

TEST(WindowModeTest, WindowCarriesTheGameIconAndOpensWithoutIt) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  const std::filesystem::path before = std::filesystem::current_path();
  const std::filesystem::path assets = std::filesystem::path(KESTROVA_SOURCE_DIR) / "assets";
  const TPixmapPtr icon = LoadPixmapFile((assets / "icon.png").string());
  ASSERT_TRUE(icon);
  SetGraphicsDriver(nullptr);
  std::filesystem::current_path(assets);
  ASSERT_TRUE(OpenScreen(64, 48, 0, 0, 0)) << LastScreenError();
  std::filesystem::current_path(before);
  auto* gl = dynamic_cast<TGLVex2DDriver*>(GraphicsDriver().get());
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  ASSERT_TRUE(SDL_GetWindowWMInfo(gl->Window(), &info));
  TempDir dir;
  const std::string listed = dir.File("icon.txt");
  // As numbers, not the picture xprop draws of an icon.
  ASSERT_TRUE(Shell("xprop -id " + std::to_string(info.info.x11.window) +
                    " -f _NET_WM_ICON 32c ' = $0+' _NET_WM_ICON > '" + listed + "'"));
  CloseScreen();
  // "_NET_WM_ICON(CARDINAL) = 64, 64, " and the pixels as ARGB, row by row.
  std::ifstream in(listed);
  std::string name, equals;
  in >> name >> equals;
  EXPECT_EQ(name, "_NET_WM_ICON(CARDINAL)");
  std::vector<uint32_t> values;
  for (std::string value; std::getline(in, value, ',');) values.push_back(static_cast<uint32_t>(std::stoul(value)));
  ASSERT_EQ(values.size(), 2u + 64 * 64);
  EXPECT_EQ(values[0], 64u);
  EXPECT_EQ(values[1], 64u);
  for (const auto& [x, y] : {std::pair{32, 32}, std::pair{8, 50}}) {
    const uint8_t* p = icon->PixelPtr(x, y);
    const uint32_t argb = uint32_t{p[3]} << 24 | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
    EXPECT_EQ(values[2 + y * 64 + x], argb) << x << "," << y;
  }

  // Without the file: one warning naming it, and the window all the same.
  std::filesystem::current_path(dir.Path());
  testing::internal::CaptureStderr();
  const bool opened = OpenScreen(64, 48, 0, 0, 0);
  const std::string errors = testing::internal::GetCapturedStderr();
  std::filesystem::current_path(before);
  EXPECT_TRUE(opened);
  EXPECT_EQ(errors, "Kestrova: warning: cannot load the window icon icon.png\n");
  CloseScreen();
}

// Openbox running in the test's display for as long as this lives: Xvfb has no window
// manager, and without one a window that leaves full screen keeps the desktop's size.
TEST(WindowManagerTest, DesktopFullScreenAndBackKeepsTheConfiguredScreen) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  if (!TWindowManager::Available()) GTEST_SKIP() << "no openbox (scripts/deps.sh installs it)";
  TWindowManager openbox;
  ASSERT_TRUE(openbox.Started());
  SetGraphicsDriver(nullptr);
  ASSERT_TRUE(OpenScreen(200, 150, 0, 0, 0)) << LastScreenError();
  auto* gl = dynamic_cast<TGLVex2DDriver*>(GraphicsDriver().get());
  ASSERT_NE(gl, nullptr);
  SDL_DisplayMode desktop;
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
  EXPECT_FALSE(DesktopFullScreen());
  ASSERT_TRUE(SetDesktopFullScreen(true));
  EXPECT_TRUE(DesktopFullScreen());
  ASSERT_TRUE(DrawableSizeIs(gl->Window(), desktop.w, desktop.h));
  Flip(0);
  // 1280 x 1024 holds the 4:3 screen 6.4 times: 1280 x 960 between bars of 32 rows.
  const TViewport shown = ScreenViewport();
  EXPECT_EQ(shown.windowW, desktop.w);
  EXPECT_EQ(shown.windowH, desktop.h);
  EXPECT_EQ(shown.h, shown.w * 3 / 4);
  EXPECT_EQ(shown.y, (desktop.h - shown.h) / 2);
  SetClsColor(0, 0, 255);
  Cls();
  const TPixmapPtr grabbed = GrabPixmap(0, 0, 200, 150);
  ASSERT_TRUE(grabbed);
  EXPECT_EQ(grabbed->width, 200);
  EXPECT_EQ(grabbed->height, 150);
  EXPECT_EQ(grabbed->PixelPtr(0, 149)[2], 255);
  EXPECT_EQ(CurrentGraphics()->g_width, 200);
  EXPECT_EQ(CurrentGraphics()->g_height, 150);

  ASSERT_TRUE(SetDesktopFullScreen(false));
  EXPECT_FALSE(DesktopFullScreen());
  ASSERT_TRUE(DrawableSizeIs(gl->Window(), 200, 150));
  Flip(0);
  EXPECT_TRUE(ScreenViewport().OneToOne());
  CloseScreen();
}

}  // namespace

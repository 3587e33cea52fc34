// The module-level drawing operations the game draws with. They act on the current
// graphics object (TVex2DGraphics) and pass the state on to its driver.
//
// Headless use (tests, benchmarks, the simulator): give OpenScreen another driver first,
//   auto rec = std::make_shared<TRecordingDriver>();      // platform/video/recording_driver.h
//   OpenHeadlessScreen(rec, 800, 600, 0, 60, 0);           // same state and pacing as OpenScreen
// No window, no SDL video. With UseFixedClock (platform/system/clock.h) Flip never really waits:
// its pacing sleeps advance the fixed clock instead.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/pacing.h"
#include "platform/video/graphics_driver.h"

class TImage;
class TImageFont;

// The current draw state and the screen it draws on. Rotation and scale are only recorded
// when they are set; the transform derived from them (tform_ix .. tform_jy) is worked out and
// handed to the driver when something is next drawn, so that drawings the platform leaves out
// cost nothing and every drawing that reaches the driver finds the state it would have found
// had each setting been applied at once.
class TVex2DGraphics : public TGraphics {
 public:
  int32_t color_red = 255, color_green = 255, color_blue = 255;
  float color_alpha = 1.0f;
  int32_t clscolor_red = 0, clscolor_green = 0, clscolor_blue = 0;
  float line_width = 1.0f;
  float tform_rot = 0.0f;
  float tform_scale_x = 1.0f, tform_scale_y = 1.0f;
  float tform_ix = 1.0f, tform_iy = 0.0f, tform_jx = 0.0f, tform_jy = 1.0f;  // as the driver holds it
  bool tform_pending = false;  // rotation or scale set since the driver last got the transform
  int32_t viewport_x = 0, viewport_y = 0, viewport_w = 0, viewport_h = 0;
  float origin_x = 0.0f, origin_y = 0.0f;
  float handle_x = 0.0f, handle_y = 0.0f;
  std::shared_ptr<TImageFont> image_font;
  int32_t blend_mode = MASKBLEND;
  float vres_width = 0.0f, vres_height = 0.0f;
  float vres_mousexscale = 1.0f, vres_mouseyscale = 1.0f;
  int32_t g_width = 0, g_height = 0;
  std::shared_ptr<TGraphics> _graphics;
  std::shared_ptr<TVex2DDriver> _driver;
  int32_t _setup = 0;

  TGraphicsDriver* Driver() override { return _driver.get(); }
  void GetSettings(int32_t& width, int32_t& height, int32_t& depth, int32_t& hertz, int32_t& flags) override;
  void Close() override;
};

// Opens the screen and makes it current; false when it could not be opened
// (LastScreenError() says why).
bool OpenScreen(int32_t width, int32_t height, int32_t depth, int32_t hertz, int32_t flags);
// Closes the screen, if one is open: window gone, polled input off.
void CloseScreen();
void Flip(int32_t sync);
void Cls();
void SetColor(int32_t r, int32_t g, int32_t b);
void SetAlpha(float alpha);
void SetBlend(int32_t mode);
void SetDrawRotation(float degrees);
void SetDrawScale(float sx, float sy);
void DrawRect(float x, float y, float w, float h);
void DrawLine(float x1, float y1, float x2, float y2, int32_t lastPixel);
// A null image draws nothing.
void DrawImageFrame(const std::shared_ptr<TImage>& image, float x, float y, int32_t frame);
// Text in UTF-8; characters without a glyph in the font, and bytes that are no UTF-8, are
// skipped without advancing.
void DrawString(std::string_view text, float x, float y);
// The characters of text that the built-in font draws, each 8 pixels wide at scale 1: what
// centring a text measures.
size_t TextColumns(std::string_view text);
// Without a screen every drawing operation above and Flip do nothing. Rectangles, lines,
// points and images that cannot reach the visible area are left out before they reach the
// driver (an image's texture is then not made yet either); the picture is the same.

// While on, Cls, the drawings above and Flip do nothing (no pacing wait either) and the
// driver keeps no ground: frames nobody sees cost only their rules. The draw state is still
// set as usual, so the next frame drawn finds it as it would have.
void SkipDrawing(bool on);
bool DrawingSkipped();

void SetClsColor(int32_t r, int32_t g, int32_t b);
void Plot(float x, float y);
// The back buffer's pixels at (x, y), w x h, format 6 (what the next Flip would show).
TPixmapPtr GrabPixmap(int32_t x, int32_t y, int32_t w, int32_t h);

// --- Seams for headless use and inspection ---

// The driver the next OpenScreen uses; null restores the OpenGL driver.
void SetGraphicsDriver(std::shared_ptr<TVex2DDriver> driver);
std::shared_ptr<TVex2DDriver> GraphicsDriver();
// SetGraphicsDriver(driver) followed by OpenScreen.
bool OpenHeadlessScreen(std::shared_ptr<TVex2DDriver> driver, int32_t width, int32_t height, int32_t depth,
                        int32_t hertz, int32_t flags);
// The current draw state, null without a screen.
TVex2DGraphics* CurrentGraphics();
// Counts screens opened; image frames remember it to know when to remake textures. Never 0.
int32_t GraphicsSeq();
std::string LastScreenError();
// The first failure that kept a picture from ever being drawn (a texture the device cannot
// hold at any size), empty while there is none. The game stops on it; the platform only
// reports it.
std::string DrawingFailure();
// The display modes the next OpenScreen's driver offers, as "W x H, D bit, R Hz" each.
std::vector<std::string> DisplayModes();

#include "platform/video/graphics.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>

#include "platform/input/input.h"
#include "platform/input/window_input.h"
#include "platform/system/fatal.h"
#include "platform/system/stop_signal.h"
#include "platform/text/utf8.h"
#include "platform/video/font.h"
#include "platform/video/gl_driver.h"
#include "platform/video/image.h"
#include "platform/video/letterbox.h"

namespace {

struct GraphicsState {
  std::shared_ptr<TVex2DDriver> driver;
  std::shared_ptr<TVex2DGraphics> current;
  int32_t graphicsSeq = 0;
  std::string lastError;
  std::string drawingFailure;
  bool skipDrawing = false;
  // Frames skipped, or the display gone: learnt at each frame's Cls and Flip.
  bool drawingOff = false;
};

GraphicsState state;

TVex2DDriver& Drv() { return *state.current->_driver; }

// Whether drawings reach a screen: one is open, frames are not being skipped, and the display
// has not gone. The loss is also asked for at once: found in the middle of a frame, it has
// left the drawing library with buffers of a size it could not learn, and one more drawing
// rasterised into them writes outside them.
bool Drawing() { return state.current && !state.drawingOff && !DisplayLost(); }

void FollowDisplayLoss() {
  if (DisplayLost()) state.drawingOff = true;
}

// Sine and cosine of a rotation, remembered by its exact value: frame after frame the same
// angles come back, and the extended-precision functions are costly.
struct RotationTrig {
  uint32_t bits = 0;
  bool known = false;
  double sin = 0.0;
  double cos = 0.0;
};

constexpr double kDegToRad = 0.017453292519943295;

const RotationTrig& TrigOf(float degrees) {
  // Room for the thousand-odd angles of a busy frame: decals, items, shots and figures.
  constexpr int kIndexBits = 12;
  static std::array<RotationTrig, size_t{1} << kIndexBits> cache;
  const auto bits = std::bit_cast<uint32_t>(degrees);
  // Multiplicative hashing: whole degrees differ only in a few high bits of the float.
  RotationTrig& e = cache[(bits * 0x9E3779B1u) >> (32 - kIndexBits)];
  if (!e.known || e.bits != bits) {
    e.bits = bits;
    e.known = true;
    // In extended precision, rounded once to double: the rotation of every picture drawn.
    long double sin = 0.0L;
    long double cos = 0.0L;
    sincosl(static_cast<long double>(degrees) * kDegToRad, &sin, &cos);
    e.sin = static_cast<double>(sin);
    e.cos = static_cast<double>(cos);
  }
  return e;
}

struct Matrix {
  float ix, iy, jx, jy;
};

// The transform of the rotation and scale, as the driver gets it.
Matrix ComputeTransform(const TVex2DGraphics& g) {
  const RotationTrig& trig = TrigOf(g.tform_rot);
  const double s = trig.sin;
  const double c = trig.cos;
  return {static_cast<float>(c * g.tform_scale_x), static_cast<float>(-s * g.tform_scale_y),
          static_cast<float>(s * g.tform_scale_x), static_cast<float>(c * g.tform_scale_y)};
}

Matrix TransformOf(const TVex2DGraphics& g) {
  return g.tform_pending ? ComputeTransform(g) : Matrix{g.tform_ix, g.tform_iy, g.tform_jx, g.tform_jy};
}

void ApplyTransform(TVex2DGraphics& g) {
  const Matrix m = ComputeTransform(g);
  g.tform_ix = m.ix;
  g.tform_iy = m.iy;
  g.tform_jx = m.jx;
  g.tform_jy = m.jy;
  g._driver->SetTransform(g.tform_ix, g.tform_iy, g.tform_jx, g.tform_jy);
  g.tform_pending = false;
}

// Before a drawing reaches the driver: the transform it would hold had every rotation and
// scale been applied when set.
void SyncTransform() {
  if (state.current->tform_pending) ApplyTransform(*state.current);
}

// The longest any point within (x0, y0)-(x1, y1) can be from the origin once rotated and
// scaled: rotation keeps lengths, and scaling stretches none by more than its larger factor.
double TransformedReach(const TVex2DGraphics& g, double x0, double y0, double x1, double y1) {
  const double scale = std::max(std::fabs(g.tform_scale_x), std::fabs(g.tform_scale_y));
  const double x = std::max(std::fabs(x0), std::fabs(x1));
  const double y = std::max(std::fabs(y0), std::fabs(y1));
  return std::sqrt(x * x + y * y) * scale;
}

// False only when nothing within the box (x0, y0)-(x1, y1) widened by `reach` can land in
// the visible area (what the projection shows, with a margin for rasterising and line
// width); a NaN anywhere leaves the drawing to the driver as always.
bool BoxMayReachScreen(const TVex2DGraphics& g, double x0, double y0, double x1, double y1, double reach) {
  const double r = reach + 2.0 + std::fabs(g.line_width);
  return !(x1 + r < 0.0 || x0 - r > g.vres_width || y1 + r < 0.0 || y0 - r > g.vres_height);
}

bool MayReachScreen(const TVex2DGraphics& g, double x, double y, double reach) {
  return BoxMayReachScreen(g, x, y, x, y, reach);
}

// The drawable frame of an image on the current screen. A frame the driver cannot make for
// its pixels is a failure the game stops on; the first one is kept for it to find.
std::shared_ptr<TImageFrame> FrameOf(TImage& image, int32_t index) {
  std::shared_ptr<TImageFrame> f = image.Frame(index, *state.current->_driver, state.graphicsSeq);
  if (!f && state.drawingFailure.empty() && index >= 0 && index < static_cast<int32_t>(image.pixmaps.size()) &&
      image.pixmaps[static_cast<size_t>(index)]) {
    state.drawingFailure = state.current->_driver->LastError();
  }
  return f;
}

// Hands the whole draw state to the driver, as after a context reset.
void ApplyState(TVex2DGraphics& g) {
  TVex2DDriver& d = *g._driver;
  d.SetResolution(g.vres_width, g.vres_height);
  d.SetBlend(g.blend_mode);
  d.SetColor(g.color_red, g.color_green, g.color_blue);
  d.SetAlpha(g.color_alpha);
  d.SetClsColor(g.clscolor_red, g.clscolor_green, g.clscolor_blue);
  d.SetLineWidth(g.line_width);
  ApplyTransform(g);  // for the rotation
  ApplyTransform(g);  // for the scale
  d.SetViewport(g.viewport_x, g.viewport_y, g.viewport_w, g.viewport_h);
}

void MakeCurrent(const std::shared_ptr<TVex2DGraphics>& g) {
  state.current = g;
  g->_driver->SetGraphics(g->_graphics);
  ApplyState(*g);
  if (!g->_setup) {
    // Both buffers start cleared, whichever one the first frame lands in.
    g->_driver->Cls();
    g->_driver->Flip(0);
    g->_driver->Cls();
    g->_driver->Flip(0);
    g->_setup = 1;
  }
}

}  // namespace

void TVex2DGraphics::GetSettings(int32_t& width, int32_t& height, int32_t& depth, int32_t& hertz, int32_t& flags) {
  _graphics->GetSettings(width, height, depth, hertz, flags);
}

void TVex2DGraphics::Close() { _graphics->Close(); }

void SetGraphicsDriver(std::shared_ptr<TVex2DDriver> d) { state.driver = std::move(d); }

std::shared_ptr<TVex2DDriver> GraphicsDriver() {
  if (!state.driver) state.driver = std::make_shared<TGLVex2DDriver>();
  return state.driver;
}

bool OpenHeadlessScreen(std::shared_ptr<TVex2DDriver> d, int32_t width, int32_t height, int32_t depth, int32_t hertz,
                        int32_t flags) {
  SetGraphicsDriver(std::move(d));
  return OpenScreen(width, height, depth, hertz, flags);
}

TVex2DGraphics* CurrentGraphics() { return state.current.get(); }

int32_t GraphicsSeq() { return state.graphicsSeq; }

std::string LastScreenError() { return state.lastError; }

std::string DrawingFailure() { return state.drawingFailure; }

std::vector<std::string> DisplayModes() {
  std::vector<std::string> modes;
  for (const TGraphicsMode& m : GraphicsDriver()->GraphicsModes()) {
    modes.push_back(std::to_string(m.width) + " x " + std::to_string(m.height) + ", " + std::to_string(m.depth) +
                    " bit, " + std::to_string(m.hertz) + " Hz");
  }
  return modes;
}

bool OpenScreen(int32_t width, int32_t height, int32_t depth, int32_t hertz, int32_t flags) {
  // The pointer is read and warped through the letterbox the screen is shown in.
  SetPointerMap({WindowPointToScreen, ScreenPointToWindow, FitPointerToWindow});
  CloseScreen();
  state.lastError.clear();
  state.drawingFailure.clear();
  if (width <= 0 || height <= 0) {
    state.lastError = "the width and the height must be above 0";
    return false;
  }
  std::shared_ptr<TVex2DDriver> d = GraphicsDriver();
  std::shared_ptr<TGraphics> made = d->CreateGraphics(width, height, depth, hertz, flags | 2);
  if (!made) {
    state.lastError = d->LastError();
    return false;
  }
  state.graphicsSeq = static_cast<int32_t>(static_cast<uint32_t>(state.graphicsSeq) + 1u);
  if (state.graphicsSeq == 0) state.graphicsSeq = 1;

  auto g = std::make_shared<TVex2DGraphics>();
  g->viewport_w = width;
  g->viewport_h = height;
  g->vres_width = static_cast<float>(width);
  g->vres_height = static_cast<float>(height);
  g->g_width = width;
  g->g_height = height;
  g->image_font = BuiltinFont();
  g->_graphics = made;
  g->_driver = d;
  MakeCurrent(g);

  if (depth != 0) {
    if (hertz != 0) {
      PaceByRetrace();
    } else {
      ResetPacing();
    }
    MovePointer(width / 2, height / 2);
  } else if (hertz != 0 && d->VerticalSyncAt(hertz)) {
    // The display's own rhythm is steadier than any timer.
    PaceByRetrace();
  } else if (hertz != 0) {
    PaceByTimer(hertz);
  } else {
    ResetPacing();
  }
  EnablePolledInput();
  SetScreenCloser(CloseScreen);
  return true;
}

void CloseScreen() {
  if (!state.current) return;
  std::shared_ptr<TVex2DGraphics> g = std::move(state.current);
  state.current = nullptr;
  DisablePolledInput();
  SetScreenCloser(nullptr);
  g->Close();
}

void Flip(int32_t sync) {
  FollowDisplayLoss();
  if (!Drawing()) return;
  if (sync != -1) {
    Drv().Flip(sync);
    return;
  }
  if (FramePacing().softSync) {
    // The picture is rasterised before the wait rather than in the swap at the due time.
    Drv().Finish();
    WaitForNextFrame();
    Drv().Flip(0);
    return;
  }
  Drv().Flip(FramePacing().hardSync ? 1 : 0);
}

void Cls() {
  FollowDisplayLoss();
  if (Drawing()) Drv().Cls();
}

void SetColor(int32_t r, int32_t g, int32_t b) {
  if (!state.current) return;
  state.current->color_red = r;
  state.current->color_green = g;
  state.current->color_blue = b;
  Drv().SetColor(r, g, b);
}

void SetAlpha(float alpha) {
  if (!state.current) return;
  state.current->color_alpha = alpha;
  Drv().SetAlpha(alpha);
}

void SetBlend(int32_t mode) {
  if (!state.current) return;
  state.current->blend_mode = mode;
  Drv().SetBlend(mode);
}

void SetClsColor(int32_t r, int32_t g, int32_t b) {
  if (!state.current) return;
  state.current->clscolor_red = r;
  state.current->clscolor_green = g;
  state.current->clscolor_blue = b;
  Drv().SetClsColor(r, g, b);
}

void SetDrawRotation(float degrees) {
  if (!state.current) return;
  state.current->tform_rot = degrees;
  state.current->tform_pending = true;
}

void SetDrawScale(float sx, float sy) {
  if (!state.current) return;
  state.current->tform_scale_x = sx;
  state.current->tform_scale_y = sy;
  state.current->tform_pending = true;
}

void DrawRect(float x, float y, float w, float h) {
  if (!Drawing()) return;
  const TVex2DGraphics& g = *state.current;
  const float tx = x + g.origin_x;
  const float ty = y + g.origin_y;
  if (!MayReachScreen(g, tx, ty, TransformedReach(g, g.handle_x, g.handle_y, g.handle_x + w, g.handle_y + h))) return;
  SyncTransform();
  Drv().DrawRect(g.handle_x, g.handle_y, g.handle_x + w, g.handle_y + h, tx, ty);
}

void DrawLine(float x1, float y1, float x2, float y2, int32_t lastPixel) {
  if (!Drawing()) return;
  const TVex2DGraphics& g = *state.current;
  const float tx = x1 + g.origin_x;
  const float ty = y1 + g.origin_y;
  const float px = g.handle_x + x2 - x1;
  const float py = g.handle_y + y2 - y1;
  const Matrix m = TransformOf(g);
  // The line and its last pixel lie between its transformed ends.
  const double ax = g.handle_x * m.ix + g.handle_y * m.iy + tx;
  const double ay = g.handle_x * m.jx + g.handle_y * m.jy + ty;
  const double bx = px * m.ix + py * m.iy + tx;
  const double by = px * m.jx + py * m.jy + ty;
  if (!BoxMayReachScreen(g, std::min(ax, bx), std::min(ay, by), std::max(ax, bx), std::max(ay, by), 0.0)) return;
  SyncTransform();
  Drv().DrawLine(g.handle_x, g.handle_y, px, py, tx, ty);
  if (lastPixel == 0) return;
  Drv().Plot(px * g.tform_ix + py * g.tform_iy + tx, px * g.tform_jx + py * g.tform_jy + ty);
}

void Plot(float x, float y) {
  if (!Drawing()) return;
  const float px = x + state.current->origin_x;
  const float py = y + state.current->origin_y;
  if (!MayReachScreen(*state.current, px, py, 0.0)) return;
  SyncTransform();
  Drv().Plot(px, py);
}

void DrawImageFrame(const std::shared_ptr<TImage>& image, float x, float y, int32_t frame) {
  if (!image || !Drawing()) return;
  const float x0 = -image->handle_x;
  const float y0 = -image->handle_y;
  const float x1 = x0 + static_cast<float>(image->width);
  const float y1 = y0 + static_cast<float>(image->height);
  const float tx = x + state.current->origin_x;
  const float ty = y + state.current->origin_y;
  if (!MayReachScreen(*state.current, tx, ty, TransformedReach(*state.current, x0, y0, x1, y1))) return;
  SyncTransform();  // in place before a texture is made, as when it was set
  const std::shared_ptr<TImageFrame> f = FrameOf(*image, frame);
  if (!f) return;
  f->Draw(x0, y0, x1, y1, tx, ty, 0, 0, static_cast<float>(image->width), static_cast<float>(image->height));
}

void DrawString(std::string_view text, float x, float y) {
  if (!Drawing() || !state.current->image_font) return;
  SyncTransform();
  const TVex2DGraphics& g = *state.current;
  float px = x + g.origin_x + g.handle_x * g.tform_ix + g.handle_y * g.tform_iy;
  float py = y + g.origin_y + g.handle_x * g.tform_jx + g.handle_y * g.tform_jy;
  for (size_t at = 0; at < text.size();) {
    const TImageGlyph* glyph = g.image_font->Glyph(NextCodePoint(text, at));
    if (glyph == nullptr) continue;
    if (glyph->_image) {
      const std::shared_ptr<TImageFrame> f = FrameOf(*glyph->_image, 0);
      if (f) {
        const auto gx = static_cast<float>(glyph->_x);
        const auto gy = static_cast<float>(glyph->_y);
        const auto w = static_cast<float>(glyph->_image->width);
        const auto h = static_cast<float>(glyph->_image->height);
        f->Draw(0, 0, w, h, px + gx * g.tform_ix + gy * g.tform_iy, py + gx * g.tform_jx + gy * g.tform_jy, 0, 0, w, h);
      }
    }
    px += g.tform_ix * glyph->_advance;
    py += g.tform_jx * glyph->_advance;
  }
}

size_t TextColumns(std::string_view text) {
  const std::shared_ptr<TImageFont> font = BuiltinFont();
  size_t columns = 0;
  for (size_t at = 0; at < text.size();) {
    if (font->Glyph(NextCodePoint(text, at)) != nullptr) ++columns;
  }
  return columns;
}

void SkipDrawing(bool on) {
  state.skipDrawing = on;
  state.drawingOff = on || DisplayLost();
}

bool DrawingSkipped() { return state.skipDrawing; }

TPixmapPtr GrabPixmap(int32_t x, int32_t y, int32_t w, int32_t h) {
  if (!state.current || DisplayLost()) return nullptr;
  return Drv().GrabPixmap(x, y, w, h);
}

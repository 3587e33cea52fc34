// A graphics driver without a window: it keeps every call with its arguments and the draw
// state it was made under, for tests of what the game draws (loading screen, map, HUD, a
// headless game). With recording off it only counts calls, for benchmarks.
//
//   auto rec = std::make_shared<TRecordingDriver>();
//   OpenHeadlessScreen(rec, 800, 600, 0, 0, 0);     // platform/video/graphics.h
//   rec->Clear();                                    // forget the calls OpenScreen made
//   DrawImageFrame(image, 100, 50, 0);
//   const TRecordedCall& c = rec->Calls().back();    // c.op == DrawOp::DrawFrame,
//   // c.args = x0, y0, x1, y1, tx, ty, sx, sy, sw, sh; c.pixmap == image->pixmaps[0].get();
//   // c.state.blend, c.state.r, c.state.alpha, c.state.ix ... as the driver held them.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/video/graphics_driver.h"

enum class DrawOp {
  CreateGraphics,  // args: width, height, depth, hertz, flags
  SetGraphics,
  Flip,           // args: sync
  CreateFrame,    // args: flags, texture width, texture height; pixmap
  SetBlend,       // args: mode; changed tells whether it differed from the driver's cache
  SetAlpha,       // args: alpha as passed
  SetColor,       // args: r, g, b as passed
  SetClsColor,    // args: r, g, b as passed
  SetViewport,    // args: x, y, w, h
  SetTransform,   // args: ix, iy, jx, jy
  SetLineWidth,   // args: width
  SetResolution,  // args: width, height
  Cls,
  Plot,       // args: x, y
  DrawLine,   // args: x0, y0, x1, y1, tx, ty
  DrawRect,   // args: x0, y0, x1, y1, tx, ty
  DrawOval,   // args: x0, y0, x1, y1, tx, ty
  DrawPoly,   // args: handle x, handle y, tx, ty, corner count
  DrawPixmap,  // args: x, y; pixmap
  GrabPixmap,  // args: x, y, w, h
  DrawFrame,   // args: x0, y0, x1, y1, tx, ty, sx, sy, sw, sh; pixmap of the frame
};
constexpr int kDrawOpCount = static_cast<int>(DrawOp::DrawFrame) + 1;

// What the driver holds, clamped as a real back-end would apply it.
struct TDriverState {
  int32_t r = 255, g = 255, b = 255;  // 0..255
  float alpha = 1.0f;                 // 0..1
  uint8_t alphaByte = 255;            // truncate(alpha * 255)
  int32_t blend = 0;                  // cached mode as last passed; 0 after a reset
  float ix = 1.0f, iy = 0.0f, jx = 0.0f, jy = 1.0f;
  int32_t clsR = 0, clsG = 0, clsB = 0;
  float lineWidth = 1.0f;
  int32_t viewportX = 0, viewportY = 0, viewportW = 0, viewportH = 0;
  float resWidth = 0.0f, resHeight = 0.0f;
};

struct TRecordedCall {
  DrawOp op{};
  std::array<double, 10> args{};
  int32_t argCount = 0;
  bool changed = false;             // SetBlend only
  const TPixmap* pixmap = nullptr;  // CreateFrame, DrawFrame, DrawPixmap
  TDriverState state;               // after the call took effect
};

class TRecordingDriver : public TVex2DDriver {
 public:
  // Calls are kept only while recording is on; counting goes on regardless.
  void SetRecording(bool on) { recording_ = on; }
  const std::vector<TRecordedCall>& Calls() const { return calls_; }
  void Clear();
  int64_t Count(DrawOp op) const { return counts_[static_cast<int>(op)]; }
  // SetBlend calls that changed the mode, as a real back-end would issue them.
  int64_t BlendChanges() const { return blendChanges_; }
  const TDriverState& State() const { return state_; }
  // Calls of one kind, in order.
  std::vector<TRecordedCall> CallsOf(DrawOp op) const;

  // Texture size limit for CreateFrameFromPixmap, like a device's maximum (default 8192); below
  // 1 no texture can be made at all.
  void SetMaxTextureSize(int32_t size) { maxTexture_ = size; }

  std::string LastError() const override { return lastError_; }

  std::vector<TGraphicsMode> GraphicsModes() override;
  std::shared_ptr<TGraphics> AttachGraphics(void* widget, int32_t flags) override;
  std::shared_ptr<TGraphics> CreateGraphics(int32_t width, int32_t height, int32_t depth, int32_t hertz,
                                            int32_t flags) override;
  void SetGraphics(const std::shared_ptr<TGraphics>& graphics) override;
  void Flip(int32_t sync) override;

  std::shared_ptr<TImageFrame> CreateFrameFromPixmap(const TPixmapPtr& pixmap, int32_t flags) override;
  void SetBlend(int32_t mode) override;
  void SetAlpha(float alpha) override;
  void SetColor(int32_t r, int32_t g, int32_t b) override;
  void SetClsColor(int32_t r, int32_t g, int32_t b) override;
  void SetViewport(int32_t x, int32_t y, int32_t w, int32_t h) override;
  void SetTransform(float ix, float iy, float jx, float jy) override;
  void SetLineWidth(float width) override;
  void Cls() override;
  void Plot(float x, float y) override;
  void DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) override;
  void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) override;
  void DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) override;
  void DrawPoly(const std::vector<float>& xy, float handleX, float handleY, float tx, float ty) override;
  void DrawPixmap(const TPixmap& pixmap, int32_t x, int32_t y) override;
  TPixmapPtr GrabPixmap(int32_t x, int32_t y, int32_t w, int32_t h) override;
  void SetResolution(float width, float height) override;

  // Used by the frames this driver makes.
  void Record(DrawOp op, std::initializer_list<double> args, const TPixmap* pixmap = nullptr, bool changed = false);

 private:
  std::vector<TRecordedCall> calls_;
  std::array<int64_t, kDrawOpCount> counts_{};
  int64_t blendChanges_ = 0;
  TDriverState state_;
  bool recording_ = true;
  int32_t maxTexture_ = 8192;
  std::string lastError_;
};

// A frame made by the recording driver, with the texture layout an OpenGL frame would get.
class TRecordedFrame : public TImageFrame {
 public:
  TRecordedFrame(TRecordingDriver* driver, TPixmapPtr pixmap, int32_t flags, int32_t texWidth, int32_t texHeight);
  void Draw(float x0, float y0, float x1, float y1, float tx, float ty, float sx, float sy, float sw,
            float sh) override;

  TPixmapPtr pixmap;
  int32_t flags = 0;
  int32_t texWidth = 0, texHeight = 0;
  float uscale = 0, vscale = 0, u1 = 0, v1 = 0;

 private:
  TRecordingDriver* driver_;
};

// Texture width or height for an image side: the smallest power of two at least that big.
int32_t TextureSide(int32_t pixels);

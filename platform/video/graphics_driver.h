// The interface between the drawing state (graphics.h) and a back-end that puts pixels on a
// screen: the OpenGL driver for the game, the recording driver for tests and benchmarks.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/files/pixmap.h"

class TGraphicsDriver;
class TGroundCache;

struct TGraphicsMode {
  int32_t width = 0;
  int32_t height = 0;
  int32_t depth = 0;
  int32_t hertz = 0;
};

// A back-end's window or context.
class TGraphics {
 public:
  virtual ~TGraphics() = default;
  virtual TGraphicsDriver* Driver() = 0;
  virtual void GetSettings(int32_t& width, int32_t& height, int32_t& depth, int32_t& hertz, int32_t& flags) = 0;
  // Releases the window or context; the object stays but draws nothing any more.
  virtual void Close() = 0;
};

// A back-end's graphics that remembers the settings it was made with.
class TGraphicsWithSettings : public TGraphics {
 public:
  TGraphicsWithSettings(TGraphicsDriver* driver, int32_t width, int32_t height, int32_t depth, int32_t hertz,
                        int32_t flags)
      : driver_(driver), width_(width), height_(height), depth_(depth), hertz_(hertz), flags_(flags) {}
  TGraphicsDriver* Driver() override { return driver_; }
  void GetSettings(int32_t& width, int32_t& height, int32_t& depth, int32_t& hertz, int32_t& flags) override {
    width = width_;
    height = height_;
    depth = depth_;
    hertz = hertz_;
    flags = flags_;
  }

 private:
  TGraphicsDriver* driver_;
  int32_t width_, height_, depth_, hertz_, flags_;
};

// One drawable frame of an image, made by the driver from a pixmap.
class TImageFrame {
 public:
  virtual ~TImageFrame() = default;
  // Draws the source rectangle (sx, sy, sw, sh) of the frame onto the quad with corners
  // (x0, y0)-(x1, y1) before the transform, translated by (tx, ty) after it.
  virtual void Draw(float x0, float y0, float x1, float y1, float tx, float ty, float sx, float sy, float sw,
                    float sh) = 0;
};

class TGraphicsDriver {
 public:
  virtual ~TGraphicsDriver() = default;
  virtual std::vector<TGraphicsMode> GraphicsModes() = 0;
  // Wraps a window made by someone else; null where the back-end cannot.
  virtual std::shared_ptr<TGraphics> AttachGraphics(void* widget, int32_t flags) = 0;
  // Null when the mode cannot be made; LastError() then says why.
  virtual std::shared_ptr<TGraphics> CreateGraphics(int32_t width, int32_t height, int32_t depth, int32_t hertz,
                                                    int32_t flags) = 0;
  virtual void SetGraphics(const std::shared_ptr<TGraphics>& graphics) = 0;
  virtual void Flip(int32_t sync) = 0;
  // Completes the drawing handed over so far, so that a later Flip only shows the picture.
  virtual void Finish() {}
  virtual std::string LastError() const { return {}; }
  // Whether the screen just made shows frames at this rate when flipped with sync 1, by
  // waiting for the display's vertical retrace.
  virtual bool VerticalSyncAt(int32_t /*hertz*/) { return false; }
};

// What LastError() (and so LastScreenError()) says when a full-screen mode cannot be had.
inline constexpr const char* kDisplayModeFailure = "GLGraphicsDriver failed to set display mode";
// What LastError() says when the device cannot hold a texture even at 1 x 1.
inline constexpr const char* kTextureSizeFailure = "Unable to calculate tex size";

class TVex2DDriver : public TGraphicsDriver {
 public:
  // Null without a screen to make it for, or when the device cannot hold it (LastError()).
  virtual std::shared_ptr<TImageFrame> CreateFrameFromPixmap(const TPixmapPtr& pixmap, int32_t flags) = 0;
  virtual void SetBlend(int32_t mode) = 0;
  virtual void SetAlpha(float alpha) = 0;
  virtual void SetColor(int32_t r, int32_t g, int32_t b) = 0;
  virtual void SetClsColor(int32_t r, int32_t g, int32_t b) = 0;
  virtual void SetViewport(int32_t x, int32_t y, int32_t w, int32_t h) = 0;
  virtual void SetTransform(float ix, float iy, float jx, float jy) = 0;
  virtual void SetLineWidth(float width) = 0;
  virtual void Cls() = 0;
  virtual void Plot(float x, float y) = 0;
  virtual void DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
  virtual void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
  virtual void DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) = 0;
  // xy holds x, y pairs of the corners before the transform.
  virtual void DrawPoly(const std::vector<float>& xy, float handleX, float handleY, float tx, float ty) = 0;
  virtual void DrawPixmap(const TPixmap& pixmap, int32_t x, int32_t y) = 0;
  // The w x h pixels of the back buffer at (x, y), format 6; null when nothing can be read.
  virtual TPixmapPtr GrabPixmap(int32_t x, int32_t y, int32_t w, int32_t h) = 0;
  virtual void SetResolution(float width, float height) = 0;
  // Blocks of the ground kept as pictures (platform/video/ground_cache.h); null where the back-end
  // keeps none and is handed every drawing.
  virtual TGroundCache* GroundCache() { return nullptr; }
};

// Blend modes.
enum : int32_t { MASKBLEND = 1, SOLIDBLEND = 2, ALPHABLEND = 3, LIGHTBLEND = 4, SHADEBLEND = 5 };

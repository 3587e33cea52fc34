#include "platform/video/recording_driver.h"

#include <algorithm>

namespace {

// Graphics without a window: nothing to release.
class TRecordingGraphics : public TGraphicsWithSettings {
 public:
  using TGraphicsWithSettings::TGraphicsWithSettings;
  void Close() override {}
};

int32_t Clamp255(int32_t v) { return std::clamp(v, 0, 255); }

}  // namespace

int32_t TextureSide(int32_t pixels) {
  int32_t side = 1;
  while (side < pixels && side < (1 << 30)) side <<= 1;
  return side;
}

void TRecordingDriver::Record(DrawOp op, std::initializer_list<double> args, const TPixmap* pixmap, bool changed) {
  ++counts_[static_cast<int>(op)];
  if (!recording_) return;
  TRecordedCall& c = calls_.emplace_back();
  c.op = op;
  c.argCount = static_cast<int32_t>(std::min<size_t>(args.size(), c.args.size()));
  std::copy_n(args.begin(), c.argCount, c.args.begin());
  c.changed = changed;
  c.pixmap = pixmap;
  c.state = state_;
}

void TRecordingDriver::Clear() {
  calls_.clear();
  counts_.fill(0);
  blendChanges_ = 0;
}

std::vector<TRecordedCall> TRecordingDriver::CallsOf(DrawOp op) const {
  std::vector<TRecordedCall> out;
  std::copy_if(calls_.begin(), calls_.end(), std::back_inserter(out),
               [op](const TRecordedCall& c) { return c.op == op; });
  return out;
}

std::vector<TGraphicsMode> TRecordingDriver::GraphicsModes() { return {}; }

std::shared_ptr<TGraphics> TRecordingDriver::AttachGraphics(void*, int32_t) { return nullptr; }

std::shared_ptr<TGraphics> TRecordingDriver::CreateGraphics(int32_t width, int32_t height, int32_t depth,
                                                            int32_t hertz, int32_t flags) {
  Record(DrawOp::CreateGraphics, {double(width), double(height), double(depth), double(hertz), double(flags)});
  return std::make_shared<TRecordingGraphics>(this, width, height, depth, hertz, flags);
}

void TRecordingDriver::SetGraphics(const std::shared_ptr<TGraphics>&) {
  // A fresh context: nothing cached.
  state_.blend = 0;
  Record(DrawOp::SetGraphics, {});
}

void TRecordingDriver::Flip(int32_t sync) { Record(DrawOp::Flip, {double(sync)}); }

std::shared_ptr<TImageFrame> TRecordingDriver::CreateFrameFromPixmap(const TPixmapPtr& pixmap, int32_t flags) {
  lastError_.clear();
  if (!pixmap) return nullptr;
  if (maxTexture_ < 1) {
    lastError_ = kTextureSizeFailure;
    return nullptr;
  }
  int32_t tw = TextureSide(pixmap->width);
  int32_t th = TextureSide(pixmap->height);
  while (tw > maxTexture_ || th > maxTexture_) {
    if (tw > 1) tw /= 2;
    if (th > 1) th /= 2;
  }
  Record(DrawOp::CreateFrame, {double(flags), double(tw), double(th)}, pixmap.get());
  return std::make_shared<TRecordedFrame>(this, pixmap, flags, tw, th);
}

void TRecordingDriver::SetBlend(int32_t mode) {
  const bool changed = mode != state_.blend;
  if (changed) {
    state_.blend = mode;
    ++blendChanges_;
  }
  Record(DrawOp::SetBlend, {double(mode)}, nullptr, changed);
}

void TRecordingDriver::SetAlpha(float alpha) {
  float a = alpha >= 0.0f ? alpha : 0.0f;  // NaN counts as 0
  if (a > 1.0f) a = 1.0f;
  state_.alpha = a;
  state_.alphaByte = static_cast<uint8_t>(a * 255.0f);
  Record(DrawOp::SetAlpha, {double(alpha)});
}

void TRecordingDriver::SetColor(int32_t r, int32_t g, int32_t b) {
  state_.r = Clamp255(r);
  state_.g = Clamp255(g);
  state_.b = Clamp255(b);
  Record(DrawOp::SetColor, {double(r), double(g), double(b)});
}

void TRecordingDriver::SetClsColor(int32_t r, int32_t g, int32_t b) {
  state_.clsR = Clamp255(r);
  state_.clsG = Clamp255(g);
  state_.clsB = Clamp255(b);
  Record(DrawOp::SetClsColor, {double(r), double(g), double(b)});
}

void TRecordingDriver::SetViewport(int32_t x, int32_t y, int32_t w, int32_t h) {
  state_.viewportX = x;
  state_.viewportY = y;
  state_.viewportW = w;
  state_.viewportH = h;
  Record(DrawOp::SetViewport, {double(x), double(y), double(w), double(h)});
}

void TRecordingDriver::SetTransform(float ix, float iy, float jx, float jy) {
  state_.ix = ix;
  state_.iy = iy;
  state_.jx = jx;
  state_.jy = jy;
  Record(DrawOp::SetTransform, {ix, iy, jx, jy});
}

void TRecordingDriver::SetLineWidth(float width) {
  state_.lineWidth = width;
  Record(DrawOp::SetLineWidth, {width});
}

void TRecordingDriver::SetResolution(float width, float height) {
  state_.resWidth = width;
  state_.resHeight = height;
  Record(DrawOp::SetResolution, {width, height});
}

void TRecordingDriver::Cls() { Record(DrawOp::Cls, {}); }

void TRecordingDriver::Plot(float x, float y) { Record(DrawOp::Plot, {x, y}); }

void TRecordingDriver::DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) {
  Record(DrawOp::DrawLine, {x0, y0, x1, y1, tx, ty});
}

void TRecordingDriver::DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) {
  Record(DrawOp::DrawRect, {x0, y0, x1, y1, tx, ty});
}

void TRecordingDriver::DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) {
  Record(DrawOp::DrawOval, {x0, y0, x1, y1, tx, ty});
}

void TRecordingDriver::DrawPoly(const std::vector<float>& xy, float handleX, float handleY, float tx, float ty) {
  Record(DrawOp::DrawPoly, {handleX, handleY, tx, ty, double(xy.size() / 2)});
}

void TRecordingDriver::DrawPixmap(const TPixmap& pixmap, int32_t x, int32_t y) {
  Record(DrawOp::DrawPixmap, {double(x), double(y)}, &pixmap);
}

TPixmapPtr TRecordingDriver::GrabPixmap(int32_t x, int32_t y, int32_t w, int32_t h) {
  Record(DrawOp::GrabPixmap, {double(x), double(y), double(w), double(h)});
  return nullptr;
}

TRecordedFrame::TRecordedFrame(TRecordingDriver* driver, TPixmapPtr pm, int32_t f, int32_t tw, int32_t th)
    : pixmap(std::move(pm)), flags(f), texWidth(tw), texHeight(th), driver_(driver) {
  uscale = 1.0f / static_cast<float>(tw);
  vscale = 1.0f / static_cast<float>(th);
  // A pixmap too big for the device is scaled down to fill the texture.
  u1 = static_cast<float>(std::min(pixmap->width, tw)) * uscale;
  v1 = static_cast<float>(std::min(pixmap->height, th)) * vscale;
}

void TRecordedFrame::Draw(float x0, float y0, float x1, float y1, float tx, float ty, float sx, float sy, float sw,
                          float sh) {
  driver_->Record(DrawOp::DrawFrame, {x0, y0, x1, y1, tx, ty, sx, sy, sw, sh}, pixmap.get());
}

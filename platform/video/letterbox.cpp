#include "platform/video/letterbox.h"

#include <algorithm>
#include <cmath>

namespace {

// One axis of the pointer on a magnified or shrunk screen: pixel centres map onto each other.
int32_t ToScreen(int32_t window, int32_t offset, double scale) {
  return static_cast<int32_t>(std::floor((window - offset + 0.5) / scale));
}

int32_t ToWindow(int32_t screen, int32_t offset, double scale) {
  return static_cast<int32_t>(std::floor(offset + (screen + 0.5) * scale));
}

struct LetterboxState {
  TViewport shown;
  // The letterbox of the window's size as last reported, which the pointer is mapped in.
  TViewport pointing;
  TScaling scaling = TScaling::Smooth;
};

LetterboxState state;

bool Converted() { return state.pointing.screenW > 0 && state.pointing.screenH > 0 && !state.pointing.OneToOne(); }

double ScaleX() { return static_cast<double>(state.pointing.w) / state.pointing.screenW; }
double ScaleY() { return static_cast<double>(state.pointing.h) / state.pointing.screenH; }

void Point(const TViewport& viewport) { state.pointing = viewport; }

}  // namespace

TViewport FitViewport(int32_t screenW, int32_t screenH, int32_t windowW, int32_t windowH, bool whole) {
  TViewport v;
  v.screenW = screenW;
  v.screenH = screenH;
  if (windowW <= 0 || windowH <= 0 || screenW <= 0 || screenH <= 0) {
    v.w = v.windowW = screenW;
    v.h = v.windowH = screenH;
    return v;
  }
  v.windowW = windowW;
  v.windowH = windowH;
  double scale = std::min(static_cast<double>(windowW) / screenW, static_cast<double>(windowH) / screenH);
  if (whole && scale >= 1.0) scale = std::floor(scale);
  v.w = std::clamp(static_cast<int32_t>(std::lround(screenW * scale)), 1, windowW);
  v.h = std::clamp(static_cast<int32_t>(std::lround(screenH * scale)), 1, windowH);
  v.x = (windowW - v.w) / 2;
  v.y = (windowH - v.h) / 2;
  v.scale = static_cast<float>(scale);
  return v;
}

TViewport ScreenViewport() { return state.shown; }

void SetScreenScaling(TScaling scaling) { state.scaling = scaling; }

TScaling ScreenScaling() { return state.scaling; }

void SetScreenViewport(const TViewport& viewport, double pixelsPerUnit) {
  state.shown = viewport;
  if (pixelsPerUnit == 1.0 || pixelsPerUnit <= 0.0) {
    Point(viewport);
    return;
  }
  const auto units = [pixelsPerUnit](int32_t pixels) {
    return static_cast<int32_t>(std::lround(pixels / pixelsPerUnit));
  };
  TViewport pointing = viewport;
  pointing.x = units(viewport.x);
  pointing.y = units(viewport.y);
  pointing.w = units(viewport.w);
  pointing.h = units(viewport.h);
  pointing.windowW = units(viewport.windowW);
  pointing.windowH = units(viewport.windowH);
  pointing.scale = static_cast<float>(viewport.scale / pixelsPerUnit);
  Point(pointing);
}

void FitPointerToWindow(int32_t windowW, int32_t windowH) {
  if (state.pointing.screenW <= 0) return;
  Point(
      FitViewport(state.pointing.screenW, state.pointing.screenH, windowW, windowH, state.scaling == TScaling::Whole));
}

void ScreenRectInWindow(const TViewport& v, int32_t x, int32_t y, int32_t w, int32_t h, int32_t out[4]) {
  const double sx = v.screenW > 0 ? static_cast<double>(v.w) / v.screenW : 1.0;
  const double sy = v.screenH > 0 ? static_cast<double>(v.h) / v.screenH : 1.0;
  const auto edge = [](int32_t origin, int32_t at, double scale) {
    return origin + static_cast<int32_t>(std::lround(at * scale));
  };
  const int32_t left = edge(v.x, x, sx);
  const int32_t right = edge(v.x, x + w, sx);
  const int32_t top = edge(v.y, y, sy);
  const int32_t bottom = edge(v.y, y + h, sy);
  out[0] = left;
  out[1] = v.windowH - bottom;
  out[2] = right - left;
  out[3] = bottom - top;
}

void WindowPointToScreen(int32_t& x, int32_t& y) {
  if (!Converted()) return;
  x = ToScreen(x, state.pointing.x, ScaleX());
  y = ToScreen(y, state.pointing.y, ScaleY());
}

void ScreenPointToWindow(int32_t& x, int32_t& y) {
  if (!Converted()) return;
  x = ToWindow(x, state.pointing.x, ScaleX());
  y = ToWindow(y, state.pointing.y, ScaleY());
}

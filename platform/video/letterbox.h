// The configured screen shown in a window of any size: as large as fits with its shape kept,
// centred, black bars on the other sides. The rules, the projection and what the recording
// driver records keep the configured size; only the OpenGL viewport and scissor, reads of the
// back buffer and pointer positions are converted, so a window at its configured size is 1:1
// and nothing is converted at all.
#pragma once
#include <cstdint>

// How the finished frame is brought to the size it is shown at: filtered (smooth), each
// window pixel taking the nearest screen pixel (sharp), or magnified by the largest whole
// number that fits, nearest, with black bars around (whole). A window smaller than the screen
// has no whole number that fits; it is then shown as sharp shows it, as large as fits, since
// black bars alone would hide part of the game.
enum class TScaling : int32_t { Smooth, Sharp, Whole };

// Where the configured screen lies in the window's drawable.
struct TViewport {
  int32_t x = 0, y = 0;  // top left corner in window pixels, from the window's top left
  int32_t w = 0, h = 0;
  int32_t windowW = 0, windowH = 0;  // the whole drawable
  int32_t screenW = 0, screenH = 0;  // the configured screen
  float scale = 1.0f;                // window pixels per screen pixel

  bool OneToOne() const { return x == 0 && y == 0 && w == screenW && h == screenH && w == windowW && h == windowH; }
  bool operator==(const TViewport&) const = default;
};

// The screenW x screenH screen fitted into a windowW x windowH drawable; 1:1 when the window has
// no area (minimised), so nothing is drawn at a size of nothing. With `whole`, magnified by
// the largest whole number that fits, when at least 1 does.
TViewport FitViewport(int32_t screenW, int32_t screenH, int32_t windowW, int32_t windowH, bool whole = false);

// The scaling the frames are shown with; smooth until set. A change reaches the letterbox and
// the pointer with the next frame shown, as a new window size does.
void SetScreenScaling(TScaling scaling);
TScaling ScreenScaling();

// The letterbox the frames are drawn with now. Set by the OpenGL driver when it makes a window
// current and after each swap that finds the window resized (so a frame is drawn with one
// letterbox throughout), for the pointer as well; reset to 1:1 without a window. The window
// reports the pointer in its own units, of which a desktop scaled by 2 has 2 pixels each way:
// pixelsPerUnit.
TViewport ScreenViewport();
void SetScreenViewport(const TViewport& viewport, double pixelsPerUnit = 1.0);
// The pointer follows a new window size (in the window's units) at once, before the frames do,
// so a position reported in the new window is read in the new letterbox.
void FitPointerToWindow(int32_t windowW, int32_t windowH);

// The screen rectangle x, y, w, h (from the top left) in window pixels as OpenGL counts them
// (from the bottom left): out = {x, y, w, h}.
void ScreenRectInWindow(const TViewport& viewport, int32_t x, int32_t y, int32_t w, int32_t h, int32_t out[4]);

// The pointer between window and screen pixels. Only a free pointer is read this way: a held one
// counts motion in the window's own units (platform/input/window_input.h).
//
// The screen pixel under the window pixel (x, y), in place.
void WindowPointToScreen(int32_t& x, int32_t& y);
// The window pixel to warp the pointer to for the screen pixel (x, y), in place.
void ScreenPointToWindow(int32_t& x, int32_t& y);

// The window as the input sees it: its notifications (keys, typed text, the pointer, the
// focus, the close button) become the game's events in each pump (platform/core/events.h); the
// focus decides whether the pointer is the game's; the pointer is held and warped for play.
// A stop signal, or a display connection that broke, becomes the close button's request.
#pragma once
#include <cstdint>

// The window whose notifications are turned into events; null when none.
void SetEventWindow(void* sdlWindow);
void* EventWindow();
// How a pointer position in window pixels maps to the configured screen and back: the letterbox
// of the screen opened (platform/video/letterbox.h), which also follows a new window size at
// once. Without it window and screen pixels are the same.
struct TPointerMap {
  void (*toScreen)(int32_t& x, int32_t& y) = nullptr;
  void (*toWindow)(int32_t& x, int32_t& y) = nullptr;
  void (*fitToWindow)(int32_t windowW, int32_t windowH) = nullptr;
};
void SetPointerMap(const TPointerMap& map);
// Whether the window has the input focus (always, without a window). Only then does the game
// warp the system pointer and take its motion.
bool WindowFocused();
// Play asks to hold the pointer: while the window has the focus (and only then, since a
// desktop grants a pointer lock to the focused window alone) the system pointer is held and
// hidden, and the position is the last warp target plus the motion since, counted in the
// window's own units, so a turn is the same in a small window, a large one and full screen.
// Otherwise the pointer is free and read where it is, through the letterbox.
void HoldPointer(bool on);
// Whether the pointer is held now: asked for, and the window has the focus.
bool PointerHeld();
// How a held pointer is held: by the game warping it back every frame, where warps work (X11
// on its own), or by the desktop's pointer lock (SDL's relative mode), where they may be
// ignored (Wayland, XWayland). Warps until set.
void HoldPointerByLock(bool on);
// Moves the system pointer (when a window exists, has the focus and does not hold it) and
// queues the move event that makes the stored position follow at the next pump.
void WarpPointer(int32_t x, int32_t y);
// Off: the system pointer is never moved, only the stored position follows (a replay's
// viewer keeps the pointer).
void SetPointerWarping(bool on);
// Warps the pointer again to where the game last asked for it, if it ever did.
void RewarpPointer();

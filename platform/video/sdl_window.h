// The game's window and the video around it: SDL's video started (a display that cannot be
// reached at once is tried again), display modes listed and picked, a window with an OpenGL
// context opened centred on the desktop (shrunk to fit it where needed) or full screen, with
// the game's icon and the desktop entry's name, and the window handed to the message box, the
// event layer and the pointer while it exists. A display connection that breaks stops the
// game (platform/system/stop_signal.h). The OpenGL driver draws into it.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/video/graphics_driver.h"

struct SDL_Window;

class TSdlWindow : public TGraphicsWithSettings {
 public:
  // The window for a screen mode (depth 0: a window, else full screen at that depth; flags
  // as for OpenScreen), its context current; null with the reason in `error` when it cannot
  // be had.
  static std::shared_ptr<TSdlWindow> Open(TGraphicsDriver* driver, int32_t width, int32_t height, int32_t depth,
                                          int32_t hertz, int32_t flags, std::string& error);
  TSdlWindow(TGraphicsDriver* driver, SDL_Window* window, void* context, int32_t width, int32_t height, int32_t depth,
             int32_t hertz, int32_t flags);
  ~TSdlWindow() override;
  TSdlWindow(const TSdlWindow&) = delete;
  TSdlWindow& operator=(const TSdlWindow&) = delete;

  void Close() override;
  // Null once closed.
  SDL_Window* Window() const { return window_; }
  // Makes its OpenGL context the current one; false once closed.
  bool MakeCurrent();
  void Swap();
  // The refresh rate of the display mode the window shows in; 0 when unknown.
  int32_t RefreshRate() const;

 private:
  SDL_Window* window_;
  void* context_;
};

// Starts SDL's video for the game, and then what the application starts with it; false with
// the reason in `error`.
bool StartVideo(std::string& error);
// What the application starts once SDL's video is up, before the window opens (the game: its
// pads, so that a game window plays with pads too), at once when it is up already; nothing
// until set. Screens opened on
// another driver (headless) start no video, so nothing of this either.
void StartWithVideo(std::function<void()> start);
// The display modes the display offers; empty, with the reason in `error`, without video.
std::vector<TGraphicsMode> ListDisplayModes(std::string& error);

// Switches the game's window (a screen opened with depth 0) between a window and full screen
// on the desktop's own resolution, without a display-mode change; the configured screen is
// letterboxed in both. False, and the window kept as it was, when no such window is open or
// the system refuses.
bool SetDesktopFullScreen(bool on);
// Whether the game's window is full screen on the desktop's resolution.
bool DesktopFullScreen();
// Whether the game's window opened smaller than its screen, as the screen did not fit the
// usable desktop; the picture is shown shrunk into it.
bool WindowShrunkToFit();

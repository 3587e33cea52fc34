#include "platform/video/sdl_window.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>

#include "platform/core/sdl_start.h"
#include "platform/files/pixmap.h"
#include "platform/files/png.h"
#include "platform/input/input.h"
#include "platform/input/window_input.h"
#include "platform/system/fatal.h"
#include "platform/system/stop_signal.h"
#include "platform/video/letterbox.h"

namespace {

constexpr const char* kWindowTitle = "Kestrova";
// The desktop entry's name: docks and task bars find the entry, and its icon, by the Wayland
// app_id and the X11 WM_CLASS.
constexpr const char* kAppId = "org.kestrova.Kestrova";
// The least a picture too large for the desktop is shrunk to; beyond that it is refused, as
// it would be unreadable and take gigabytes of frame buffer.
constexpr double kSmallestFit = 0.25;

constexpr int kDisplayAttempts = 4;

// In the game's folder, drawn at build time with the installed desktop icons.
constexpr const char* kIconFile = "icon.png";

// The window the desktop full-screen switch acts on; null when none is open.
SDL_Window* gameWindow = nullptr;
// Whether that window had to be made smaller than its screen to fit the desktop.
bool shrunkToFit = false;
// What the application starts along with the video.
std::function<void()> startWithVideo;

// The display mode for width x height (at hertz when it is not 0), or false when none fits.
bool FindDisplayMode(int32_t width, int32_t height, int32_t depth, int32_t hertz, SDL_DisplayMode& out) {
  const int count = SDL_GetNumDisplayModes(0);
  bool found = false;
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode m;
    if (SDL_GetDisplayMode(0, i, &m) != 0 || m.w != width || m.h != height) continue;
    if (hertz != 0 && m.refresh_rate != hertz) continue;
    // Prefer the asked depth; X11 reports 24 where a 32-bit mode was meant.
    const int bpp = static_cast<int>(SDL_BITSPERPIXEL(m.format));
    const bool depthFits = bpp == depth || (depth == 32 && bpp == 24);
    if (!found || depthFits) {
      out = m;
      found = true;
      if (depthFits) break;
    }
  }
  return found;
}

// Under Wayland, directly or through XWayland, a program's pointer warps may be ignored.
bool WarpsUnreliable() {
  const char* video = SDL_GetCurrentVideoDriver();
  if (video == nullptr) return false;
  if (std::strcmp(video, "wayland") == 0) return true;
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return std::strcmp(video, "x11") == 0 && wayland != nullptr && *wayland != 0;
}

// The window's name for the desktop; one the player set in the environment wins.
void NameTheWindow() {
  setenv("SDL_VIDEO_X11_WMCLASS", kAppId, 0);
  setenv("SDL_VIDEO_WAYLAND_WMCLASS", kAppId, 0);
}

// The size of the window for a width x height screen: the screen's own, or where that does
// not fit the usable desktop (a small screen, or a desktop scaled by 150 or 200 %), the largest
// of its shape that does. False when even a quarter of the screen would not fit.
bool FitWindowToDesktop(int32_t width, int32_t height, int32_t& windowW, int32_t& windowH, std::string& error) {
  windowW = width;
  windowH = height;
  SDL_Rect usable{};
  if (SDL_GetDisplayUsableBounds(0, &usable) != 0 || usable.w <= 0 || usable.h <= 0) return true;
  if (width <= usable.w && height <= usable.h) return true;
  const double scale = std::min(static_cast<double>(usable.w) / width, static_cast<double>(usable.h) / height);
  if (scale < kSmallestFit) {
    error = "the window would be more than four times larger than the desktop of " + std::to_string(usable.w) + " x " +
            std::to_string(usable.h) + " pixels";
    return false;
  }
  windowW = std::max(1, static_cast<int32_t>(width * scale));
  windowH = std::max(1, static_cast<int32_t>(height * scale));
  return true;
}

// A lost X connection ends in Xlib's handlers, whose defaults exit at once; the exit would
// then wait for ever on the dead connection while closing the window. The game notes the loss
// instead and ends as on a stop signal, drawing nothing more.
int OnXConnectionLost(Display* display) {
  StopForLostDisplay(DisplayString(display));
  return 0;
}

// Found in the middle of a buffer swap, the loss is not handed back to the drawing library,
// which would go on to fault on the buffers it shared with the display: the swap is left.
std::jmp_buf swapLeft;
bool swapping = false;

void OnXConnectionLostExit(Display* /*display*/, void* /*data*/) {
  if (!swapping) return;
  swapping = false;
  std::longjmp(swapLeft, 1);
}

void WatchDisplayConnection(SDL_Window* window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return;
  XSetIOErrorHandler(OnXConnectionLost);
  XSetIOErrorExitHandler(info.info.x11.display, OnXConnectionLostExit, nullptr);
}

// The game's icon on the window. Without the file the game plays on with the system's icon;
// it opens one window, so that is one warning.
void SetIcon(SDL_Window* window) {
  const TPixmapPtr loaded = LoadPixmapFile(kIconFile);
  if (!loaded) {
    std::fprintf(stderr, "Kestrova: warning: cannot load the window icon %s\n", kIconFile);
    return;
  }
  const TPixmapPtr icon = ConvertPixmap(*loaded, PF_RGBA8888);
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(icon->pixels.data(), icon->width, icon->height, 32,
                                                            icon->pitch, SDL_PIXELFORMAT_RGBA32);
  if (surface == nullptr) return;
  SDL_SetWindowIcon(window, surface);
  SDL_FreeSurface(surface);
}

// A full-screen display mode, as opposed to full screen on the desktop's own resolution.
bool InDisplayMode(SDL_Window* window) {
  return (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN;
}

}  // namespace

bool StartVideo(std::string& error) {
  if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
  if (!StartEventLayer()) {
    error = std::string("SDL cannot start its events: ") + SDL_GetError();
    return false;
  }
  // A full-screen mode gives the desktop back when another program takes the focus.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "1");
  // A button press captures the pointer, so its release outside the window still arrives.
  SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "1");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // The close button is a close request the game answers; SDL's quit then only means a
  // display connection that broke.
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  NameTheWindow();
  // An X server that resets when its last client leaves (Xvfb does by default) drops a
  // connection made meanwhile in its handshake, so a display that cannot be reached is tried
  // a few times before the game gives up on it.
  for (int attempt = 1;; ++attempt) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      error = std::string("SDL cannot start its video: ") + SDL_GetError();
      return false;
    }
    // SDL falls back to drivers without any visible output when no display is reachable;
    // the game only accepts those when they are asked for by name.
    const char* video = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_GetHint(SDL_HINT_VIDEODRIVER);
    if (video == nullptr || (std::strcmp(video, "offscreen") != 0 && std::strcmp(video, "dummy") != 0) ||
        (asked != nullptr && std::strstr(asked, video) != nullptr)) {
      break;
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (attempt == kDisplayAttempts) {
      error = "no display to open the window on (is DISPLAY or WAYLAND_DISPLAY set?)";
      return false;
    }
    SDL_Delay(100);
  }
  if (startWithVideo) startWithVideo();
  return true;
}

void StartWithVideo(std::function<void()> start) {
  startWithVideo = std::move(start);
  // Video started already (to learn the keyboard's layout, say): started with it at once.
  if (startWithVideo && SDL_WasInit(SDL_INIT_VIDEO) != 0) startWithVideo();
}

std::vector<TGraphicsMode> ListDisplayModes(std::string& error) {
  std::vector<TGraphicsMode> modes;
  if (!StartVideo(error)) return modes;
  const int count = SDL_GetNumDisplayModes(0);
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode m;
    if (SDL_GetDisplayMode(0, i, &m) == 0) {
      modes.push_back({m.w, m.h, static_cast<int32_t>(SDL_BITSPERPIXEL(m.format)), m.refresh_rate});
    }
  }
  return modes;
}

std::shared_ptr<TSdlWindow> TSdlWindow::Open(TGraphicsDriver* driver, int32_t width, int32_t height, int32_t depth,
                                             int32_t hertz, int32_t flags, std::string& error) {
  if (!StartVideo(error)) return nullptr;
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  const int colour = depth == 16 ? 5 : depth != 0 ? 8 : 1;
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, colour);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, colour);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, colour);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, (flags & 4) ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, (flags & 2) ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, (flags & 8) ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, (flags & 16) ? 1 : 0);
  const int accum = (flags & 32) ? 1 : 0;
  SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, accum);

  SDL_Window* window = nullptr;
  if (depth == 0) {
    // Part of a larger window could never be seen: the screen is shown shrunk instead.
    int32_t windowW = 0;
    int32_t windowH = 0;
    if (!FitWindowToDesktop(width, height, windowW, windowH, error)) return nullptr;
    shrunkToFit = windowW != width || windowH != height;
    // The player may resize it: the screen is then shown letterboxed (platform/video/letterbox.h),
    // down to half its size, where the game can still be read. Where the desktop's pixels are
    // finer than its units the picture is drawn into the finer pixels.
    window = SDL_CreateWindow(kWindowTitle, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, windowW, windowH,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI);
    if (window != nullptr) {
      SDL_SetWindowMinimumSize(window, std::max(1, std::min(width / 2, windowW)),
                               std::max(1, std::min(height / 2, windowH)));
    }
  } else {
    SDL_DisplayMode mode{};
    // Without the rate when the rate cannot be had.
    const bool found = FindDisplayMode(width, height, depth, hertz, mode) ||
                       (hertz != 0 && FindDisplayMode(width, height, depth, 0, mode));
    if (!found) {
      error = kDisplayModeFailure;
      return nullptr;
    }
    window = SDL_CreateWindow(kWindowTitle, 0, 0, width, height,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_FULLSCREEN | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN);
    if (window != nullptr) {
      if (SDL_SetWindowDisplayMode(window, &mode) != 0) {
        SDL_DestroyWindow(window);
        error = kDisplayModeFailure;
        return nullptr;
      }
      SDL_ShowWindow(window);
    }
  }
  if (window == nullptr) {
    error = std::string("SDL cannot create the window: ") + SDL_GetError();
    return nullptr;
  }
  SetIcon(window);
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (context == nullptr) {
    error = std::string("SDL cannot create an OpenGL context: ") + SDL_GetError();
    SDL_DestroyWindow(window);
    return nullptr;
  }
  SDL_DisableScreenSaver();
  WatchDisplayConnection(window);
  SetMessageBoxWindow(window);
  HoldPointerByLock(WarpsUnreliable());
  SetEventWindow(window);
  ShowOrHidePointer();
  gameWindow = window;
  return std::make_shared<TSdlWindow>(driver, window, context, width, height, depth, hertz, flags);
}

TSdlWindow::TSdlWindow(TGraphicsDriver* driver, SDL_Window* window, void* context, int32_t width, int32_t height,
                       int32_t depth, int32_t hertz, int32_t flags)
    : TGraphicsWithSettings(driver, width, height, depth, hertz, flags), window_(window), context_(context) {}

TSdlWindow::~TSdlWindow() { Close(); }

void TSdlWindow::Close() {
  if (window_ == nullptr) return;
  if (EventWindow() == window_) SetEventWindow(nullptr);
  if (gameWindow == window_) {
    gameWindow = nullptr;
    SetScreenViewport(TViewport{});
  }
  SetMessageBoxWindow(nullptr);
  // A window on a display that has gone is gone with it; asking the display to close it
  // would wait for an answer that never comes.
  if (!DisplayLost()) {
    SDL_GL_MakeCurrent(window_, nullptr);
    SDL_GL_DeleteContext(context_);
    SDL_DestroyWindow(window_);
    SDL_EnableScreenSaver();
  }
  window_ = nullptr;
  context_ = nullptr;
}

bool TSdlWindow::MakeCurrent() { return window_ != nullptr && SDL_GL_MakeCurrent(window_, context_) == 0; }

void TSdlWindow::Swap() {
  if (window_ == nullptr || DisplayLost()) return;
  if (setjmp(swapLeft) != 0) return;
  swapping = true;
  SDL_GL_SwapWindow(window_);
  swapping = false;
}

int32_t TSdlWindow::RefreshRate() const {
  SDL_DisplayMode mode{};
  if (window_ == nullptr || SDL_GetWindowDisplayMode(window_, &mode) != 0) return 0;
  return mode.refresh_rate;
}

bool SetDesktopFullScreen(bool on) {
  if (gameWindow == nullptr || InDisplayMode(gameWindow) || DisplayLost()) return false;
  if (SDL_SetWindowFullscreen(gameWindow, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0) return true;
  if (on) SDL_SetWindowFullscreen(gameWindow, 0);
  return false;
}

bool WindowShrunkToFit() { return gameWindow != nullptr && shrunkToFit; }

bool DesktopFullScreen() {
  return gameWindow != nullptr &&
         (SDL_GetWindowFlags(gameWindow) & SDL_WINDOW_FULLSCREEN_DESKTOP) == SDL_WINDOW_FULLSCREEN_DESKTOP;
}

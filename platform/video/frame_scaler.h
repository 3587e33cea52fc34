// The frame of a window that does not show the screen 1:1 (resized, full screen on the
// desktop): drawn at the screen's own size exactly as in a window of that size, then shown
// scaled into the letterbox as one textured quad between black bars. A software rasteriser
// then fills each picture once at the screen's size, not at the window's, and the ground's
// blocks, the kept frame and screenshots work on the screen's own pixels.
//
// The frame is drawn into a framebuffer object where the device offers one, else into the
// back buffer's bottom-left corner, which is then copied into the texture (glCopyTexSubImage2D;
// only while the window is at least as large as the screen). Without either, every picture is
// scaled on its own through the viewport. Only the OpenGL driver keeps one.
#pragma once
#include <cstdint>

#include "platform/video/letterbox.h"

class TGLVex2DDriver;

// How a scaled frame is made.
enum class TScalePath : int32_t {
  None,         // the window shows the screen 1:1, or each picture is scaled on its own
  Copy,         // drawn in the back buffer's corner, copied into the texture
  Framebuffer,  // drawn into the texture through a framebuffer object
};

class TFrameScaler {
 public:
  explicit TFrameScaler(TGLVex2DDriver& driver) : driver_(driver) {}

  // Where the frame is drawn for the letterbox `shown`: the screen 1:1 when it is scaled as a
  // whole, else `shown` itself. Binds the framebuffer the frame is drawn into.
  TViewport Target(const TViewport& shown);
  // Shows the frame drawn so far scaled into `shown`; once a frame, before the swap. Nothing
  // is drawn between it and the swap.
  void Present(const TViewport& shown);
  // The swap happened: the next frame is presented again.
  void Swapped() { presented_ = false; }
  TScalePath Path() const { return path_; }
  // The buffer the frame's pixels are read from.
  uint32_t ReadBuffer() const;
  // Off: no framebuffer object even where the device offers one; for tests of the copy path.
  void AllowFramebuffer(bool on) { allowFramebuffer_ = on; }
  // The context went away and its texture and framebuffer with it.
  void Forget();

 private:
  using GenFramebuffers = void (*)(int32_t, uint32_t*);
  using BindFramebuffer = void (*)(uint32_t, uint32_t);
  using FramebufferTexture2D = void (*)(uint32_t, uint32_t, uint32_t, uint32_t, int32_t);
  using CheckFramebufferStatus = uint32_t (*)(uint32_t);

  // Makes the texture, and the framebuffer object where offered, once a context; false when
  // the texture cannot be had.
  bool Ready(int32_t width, int32_t height);
  bool MakeTexture(int32_t width, int32_t height);
  void MakeFramebuffer();
  void Bind(uint32_t framebuffer);
  // A power-of-two texture larger than the screen repeats the frame's last column and row
  // beyond it, so filtering at the frame's edges finds them as clamping would.
  void CopyEdges(int32_t width, int32_t height);
  void DrawQuad(const TViewport& shown);

  TGLVex2DDriver& driver_;
  bool tried_ = false;
  bool allowFramebuffer_ = true;
  bool presented_ = false;
  TScalePath path_ = TScalePath::None;
  uint32_t texture_ = 0;
  int32_t texWidth_ = 0, texHeight_ = 0;
  uint32_t framebuffer_ = 0;
  uint32_t bound_ = 0;  // the framebuffer bound now
  GenFramebuffers genFramebuffers_ = nullptr;
  BindFramebuffer bindFramebuffer_ = nullptr;
  FramebufferTexture2D framebufferTexture2D_ = nullptr;
  CheckFramebufferStatus checkFramebufferStatus_ = nullptr;
};

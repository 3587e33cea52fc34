#include "platform/video/frame_scaler.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_opengl.h>

#include <cstdlib>
#include <string>

#include "platform/video/gl_driver.h"

namespace {

// Textures of any size came with OpenGL 2.0 and its extension before it; a texture of exactly
// the screen's size lets clamping keep filtering inside the frame.
bool AnySizeTextures() {
  const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  return (version != nullptr && std::atoi(version) >= 2) ||
         SDL_GL_ExtensionSupported("GL_ARB_texture_non_power_of_two") == SDL_TRUE;
}

int32_t PowerOfTwoAtLeast(int32_t n) {
  int32_t p = 1;
  while (p < n && p < (1 << 30)) p <<= 1;
  return p;
}

void DropErrors() {
  // A lost context keeps answering, hence the bound.
  for (int32_t i = 0; i < 8 && glGetError() != GL_NO_ERROR; ++i) {
  }
}

}  // namespace

TViewport TFrameScaler::Target(const TViewport& shown) {
  path_ = TScalePath::None;
  if (!shown.OneToOne() && Ready(shown.screenW, shown.screenH)) {
    if (framebuffer_ != 0 && allowFramebuffer_) {
      path_ = TScalePath::Framebuffer;
    } else if (shown.windowW >= shown.screenW && shown.windowH >= shown.screenH) {
      path_ = TScalePath::Copy;
    }
  }
  Bind(path_ == TScalePath::Framebuffer ? framebuffer_ : 0);
  if (path_ == TScalePath::None) return shown;
  return FitViewport(shown.screenW, shown.screenH, shown.screenW, shown.screenH);
}

bool TFrameScaler::Ready(int32_t width, int32_t height) {
  if (!tried_) {
    tried_ = true;
    if (MakeTexture(width, height)) MakeFramebuffer();
  }
  return texture_ != 0;
}

bool TFrameScaler::MakeTexture(int32_t width, int32_t height) {
  const bool anySize = AnySizeTextures();
  texWidth_ = anySize ? width : PowerOfTwoAtLeast(width);
  texHeight_ = anySize ? height : PowerOfTwoAtLeast(height);
  // The texture holds what the back buffer would: its alpha only where the window has one, so
  // the frame's pixels read back alike both ways.
  GLint alphaBits = 0;
  glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
  const uint32_t name = driver_.NewPixelTexture(texWidth_, texHeight_, alphaBits > 0);
  if (name == 0) return false;
  texture_ = name;
  return true;
}

// Looked up at run time: OpenGL 1.1 has none, and the extension's names differ from the core's.
void TFrameScaler::MakeFramebuffer() {
  // Without textures of any size the frame's edges could not be repeated: the texture is the
  // framebuffer's own picture and cannot be copied into itself.
  if (!AnySizeTextures()) return;
  const char* suffix = nullptr;
  if (SDL_GL_ExtensionSupported("GL_ARB_framebuffer_object") == SDL_TRUE) {
    suffix = "";
  } else if (SDL_GL_ExtensionSupported("GL_EXT_framebuffer_object") == SDL_TRUE) {
    suffix = "EXT";
  } else {
    return;
  }
  const auto find = [suffix](const char* name) { return SDL_GL_GetProcAddress((std::string(name) + suffix).c_str()); };
  genFramebuffers_ = reinterpret_cast<GenFramebuffers>(find("glGenFramebuffers"));
  bindFramebuffer_ = reinterpret_cast<BindFramebuffer>(find("glBindFramebuffer"));
  framebufferTexture2D_ = reinterpret_cast<FramebufferTexture2D>(find("glFramebufferTexture2D"));
  checkFramebufferStatus_ = reinterpret_cast<CheckFramebufferStatus>(find("glCheckFramebufferStatus"));
  if (genFramebuffers_ == nullptr || bindFramebuffer_ == nullptr || framebufferTexture2D_ == nullptr ||
      checkFramebufferStatus_ == nullptr) {
    return;
  }
  GLuint name = 0;
  genFramebuffers_(1, &name);
  bindFramebuffer_(GL_FRAMEBUFFER_EXT, name);
  framebufferTexture2D_(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, texture_, 0);
  const bool complete = checkFramebufferStatus_(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
  bindFramebuffer_(GL_FRAMEBUFFER_EXT, 0);
  bound_ = 0;
  DropErrors();
  // An incomplete framebuffer is left unused; the context takes it along when it goes.
  if (complete) framebuffer_ = name;
}

void TFrameScaler::Bind(uint32_t framebuffer) {
  if (framebuffer == bound_ || bindFramebuffer_ == nullptr) return;
  driver_.Flush();
  bindFramebuffer_(GL_FRAMEBUFFER_EXT, framebuffer);
  bound_ = framebuffer;
}

uint32_t TFrameScaler::ReadBuffer() const { return bound_ != 0 ? GL_COLOR_ATTACHMENT0_EXT : GL_BACK; }

void TFrameScaler::Present(const TViewport& shown) {
  if (path_ == TScalePath::None || presented_) return;
  presented_ = true;
  driver_.Flush();
  glBindTexture(GL_TEXTURE_2D, texture_);
  driver_.boundTexture_ = texture_;
  if (path_ == TScalePath::Copy) {
    glReadBuffer(GL_BACK);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, shown.screenW, shown.screenH);
    CopyEdges(shown.screenW, shown.screenH);
  }
  Bind(0);
  glViewport(0, 0, shown.windowW, shown.windowH);
  driver_.ClearBars();
  glDisable(GL_SCISSOR_TEST);
  DrawQuad(shown);
}

void TFrameScaler::CopyEdges(int32_t width, int32_t height) {
  if (width < texWidth_) glCopyTexSubImage2D(GL_TEXTURE_2D, 0, width, 0, width - 1, 0, 1, height);
  if (height < texHeight_) glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, height, 0, height - 1, width, 1);
  if (width < texWidth_ && height < texHeight_) {
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, width, height, width - 1, height - 1, 1, 1);
  }
}

void TFrameScaler::DrawQuad(const TViewport& shown) {
  const GLint filter = ScreenScaling() == TScaling::Smooth ? GL_LINEAR : GL_NEAREST;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  if (driver_.texEnabled_ != 1) {
    glEnable(GL_TEXTURE_2D);
    driver_.texEnabled_ = 1;
  }
  const int32_t blend = driver_.blend_;
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, shown.windowW, shown.windowH, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  // The texture's first row is the frame's bottom row.
  const auto u1 = static_cast<float>(shown.screenW) / static_cast<float>(texWidth_);
  const auto v1 = static_cast<float>(shown.screenH) / static_cast<float>(texHeight_);
  const auto x0 = static_cast<float>(shown.x);
  const auto y0 = static_cast<float>(shown.y);
  const auto x1 = static_cast<float>(shown.x + shown.w);
  const auto y1 = static_cast<float>(shown.y + shown.h);
  glBegin(GL_QUADS);
  glTexCoord2f(0, v1);
  glVertex2f(x0, y0);
  glTexCoord2f(u1, v1);
  glVertex2f(x1, y0);
  glTexCoord2f(u1, 0);
  glVertex2f(x1, y1);
  glTexCoord2f(0, 0);
  glVertex2f(x0, y1);
  glEnd();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  driver_.blend_ = 0;
  if (blend != 0) driver_.SetBlend(blend);
}

void TFrameScaler::Forget() {
  tried_ = false;
  presented_ = false;
  path_ = TScalePath::None;
  texture_ = 0;
  framebuffer_ = 0;
  bound_ = 0;
  genFramebuffers_ = nullptr;
  bindFramebuffer_ = nullptr;
  framebufferTexture2D_ = nullptr;
  checkFramebufferStatus_ = nullptr;
}

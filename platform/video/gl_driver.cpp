#include "platform/video/gl_driver.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_opengl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/system/stop_signal.h"
#include "platform/video/image.h"
#include "platform/video/sdl_window.h"

namespace {

// A frame's texture, with the screen it was made under.
struct DeadTexture {
  GLuint name;
  int32_t seq;
};

struct GlDriverState {
  // Textures of frames released since; deleted when the next texture is made under the same
  // screen (a closed screen's context took its textures with it).
  std::vector<DeadTexture> deadTextures;
  // Contexts made current so far, by any driver.
  int32_t contextsUsed = 0;
};

// Never destroyed: frames held by the game's static tables release their textures during
// static destruction, in no set order with this file's.
GlDriverState& state = *new GlDriverState;

bool ProxyAccepts(int32_t w, int32_t h) {
  glTexImage2D(GL_PROXY_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  GLint got = 0;
  glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &got);
  return got != 0;
}

uint8_t ClampByte(int32_t v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }

}  // namespace

void ReleaseTexture(uint32_t name, int32_t seq) {
  if (name != 0) state.deadTextures.push_back({name, seq});
}

bool ChooseTextureSize(int32_t width, int32_t height, bool (*accepts)(int32_t, int32_t), int32_t& tw,
                       int32_t& th) {
  tw = 1;
  while (tw < width && tw < (1 << 30)) tw <<= 1;
  th = 1;
  while (th < height && th < (1 << 30)) th <<= 1;
  while (!accepts(tw, th)) {
    if (tw == 1 && th == 1) return false;
    if (tw > 1) tw /= 2;
    if (th > 1) th /= 2;
  }
  return true;
}

TPixmapPtr PadPixmap(const TPixmap& src, int32_t tw, int32_t th) {
  auto dst = TPixmap::Create(tw, th, PF_RGBA8888);
  const int32_t w = src.width;
  const int32_t h = src.height;
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) src.ReadRGBA(x, y, dst->PixelPtr(x, y));
    if (w < tw) std::memcpy(dst->PixelPtr(w, y), dst->PixelPtr(w - 1, y), 4);
  }
  if (h < th) {
    std::memcpy(dst->PixelPtr(0, h), dst->PixelPtr(0, h - 1), static_cast<size_t>(w) * 4);
    if (w < tw) std::memcpy(dst->PixelPtr(w, h), dst->PixelPtr(w - 1, h - 1), 4);
  }
  return dst;
}

TGLVex2DDriver::TGLVex2DDriver() { batch_.reserve(4 * 1024); }

TGLVex2DDriver::~TGLVex2DDriver() = default;

TSdlWindow* TGLVex2DDriver::Screen() const { return dynamic_cast<TSdlWindow*>(current_.get()); }

SDL_Window* TGLVex2DDriver::Window() const {
  TSdlWindow* screen = Screen();
  return screen != nullptr ? screen->Window() : nullptr;
}

std::vector<TGraphicsMode> TGLVex2DDriver::GraphicsModes() { return ListDisplayModes(lastError_); }

std::shared_ptr<TGraphics> TGLVex2DDriver::AttachGraphics(void*, int32_t) {
  lastError_ = "drawing into another program's window is not supported";
  return nullptr;
}

std::shared_ptr<TGraphics> TGLVex2DDriver::CreateGraphics(int32_t width, int32_t height, int32_t depth,
                                                          int32_t hertz, int32_t flags) {
  lastError_.clear();
  return TSdlWindow::Open(this, width, height, depth, hertz, flags, lastError_);
}

void TGLVex2DDriver::SetGraphics(const std::shared_ptr<TGraphics>& graphics) {
  batch_.clear();
  current_ = graphics;
  contextSeq_ = ++state.contextsUsed;
  ground_.Forget();
  scaler_.Forget();
  sheets_.Forget();
  TSdlWindow* screen = Screen();
  if (screen == nullptr || screen->Window() == nullptr) return;
  screen->MakeCurrent();
  int32_t depth = 0, hertz = 0, flags = 0;
  screen->GetSettings(width_, height_, depth, hertz, flags);
  ResetContext();
}

void TGLVex2DDriver::ResetContext() {
  glDisable(GL_TEXTURE_2D);
  texEnabled_ = 0;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width_, height_, 0, -1, 1);
  projW_ = static_cast<float>(width_);
  projH_ = static_cast<float>(height_);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  shown_ = FittedViewport();
  ApplyViewport();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_SCISSOR_TEST);
  scissored_ = false;
  cleared_ = false;
  glAlphaFunc(GL_GEQUAL, 0.5f);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_COLOR_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  blend_ = 0;
  boundTexture_ = 0;
  boundSheet_ = 0;
  layered_ = false;
  glDisable(GL_TEXTURE_3D);
  swapInterval_ = -1;
  clipX_ = 0;
  clipY_ = 0;
  clipW_ = width_;
  clipH_ = height_;
  if (!drawn_.OneToOne()) ApplyScaledState();
}

TViewport TGLVex2DDriver::FittedViewport() const {
  int32_t drawableW = 0, drawableH = 0;
  SDL_GL_GetDrawableSize(Window(), &drawableW, &drawableH);
  return FitViewport(width_, height_, drawableW, drawableH, ScreenScaling() == TScaling::Whole);
}

void TGLVex2DDriver::ApplyViewport() {
  int32_t windowW = 0;
  int32_t windowH = 0;
  SDL_GetWindowSize(Window(), &windowW, &windowH);
  SetScreenViewport(shown_, windowW > 0 ? static_cast<double>(shown_.windowW) / windowW : 1.0);
  drawn_ = scaler_.Target(shown_);
  int32_t rect[4];
  ScreenRectInWindow(drawn_, 0, 0, width_, height_, rect);
  glViewport(rect[0], rect[1], rect[2], rect[3]);
}

void TGLVex2DDriver::AllowFramebuffer(bool on) {
  scaler_.AllowFramebuffer(on);
  if (Window() == nullptr) return;
  ApplyViewport();
  ApplyScaledState();
}

void TGLVex2DDriver::FollowWindowSize() {
  const TViewport fitted = FittedViewport();
  if (fitted == shown_) return;
  shown_ = fitted;
  ApplyViewport();
  ApplyScaledState();
}

// Lines and points keep their thickness on the screen as it is shown.
void TGLVex2DDriver::ApplyScaledState() {
  ApplyClip();
  glLineWidth(lineWidth_ * drawn_.scale);
  glPointSize(drawn_.scale);
}

void TGLVex2DDriver::ApplyClip() {
  if (drawn_.OneToOne()) {
    if (clipX_ == 0 && clipY_ == 0 && clipW_ == width_ && clipH_ == height_) {
      glDisable(GL_SCISSOR_TEST);
    } else {
      glEnable(GL_SCISSOR_TEST);
      glScissor(clipX_, height_ - clipY_ - clipH_, clipW_, clipH_);
    }
    return;
  }
  // Clears, pixel copies and wide lines would otherwise reach into the bars.
  int32_t clip[4], box[4];
  ScreenRectInWindow(drawn_, clipX_, clipY_, clipW_, clipH_, clip);
  ScreenRectInWindow(drawn_, 0, 0, width_, height_, box);
  const int32_t left = std::max(clip[0], box[0]);
  const int32_t bottom = std::max(clip[1], box[1]);
  const int32_t right = std::min(clip[0] + clip[2], box[0] + box[2]);
  const int32_t top = std::min(clip[1] + clip[3], box[1] + box[3]);
  glEnable(GL_SCISSOR_TEST);
  glScissor(left, bottom, std::max(0, right - left), std::max(0, top - bottom));
}

// Before each swap, as the window's buffers may hold anything outside what the frame drew.
void TGLVex2DDriver::ClearBars() {
  const TViewport& v = shown_;
  const int32_t boxBottom = v.windowH - v.y - v.h;
  const int32_t bars[4][4] = {{0, 0, v.x, v.windowH},
                              {v.x + v.w, 0, v.windowW - v.x - v.w, v.windowH},
                              {v.x, 0, v.w, boxBottom},
                              {v.x, boxBottom + v.h, v.w, v.windowH - boxBottom - v.h}};
  glEnable(GL_SCISSOR_TEST);
  glClearColor(0, 0, 0, 1);
  for (const auto& bar : bars) {
    if (bar[2] <= 0 || bar[3] <= 0) continue;
    glScissor(bar[0], bar[1], bar[2], bar[3]);
    glClear(GL_COLOR_BUFFER_BIT);
  }
  glClearColor(clsRed_, clsGreen_, clsBlue_, 1.0f);
  ApplyClip();
}

void TGLVex2DDriver::Flush() {
  if (batch_.empty()) return;
  const Vertex* v = batch_.data();
  glVertexPointer(2, GL_FLOAT, sizeof(Vertex), &v->x);
  glTexCoordPointer(3, GL_FLOAT, sizeof(Vertex), &v->u);
  glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), &v->r);
  // A batch holds runs from sheets only, or none.
  bool layered = layered_;
  for (size_t i = 0; i < runs_.size();) {
    size_t next = i + 1;
    while (!runs_[i].outside && next < runs_.size() && !runs_[next].outside) ++next;
    const size_t end = next < runs_.size() ? runs_[next].start : batch_.size();
    const Run& run = runs_[i];
    if (run.own != 0 && next == i + 1) {
      if (layered) {
        glDisable(GL_TEXTURE_3D);
        layered = false;
        ++stats_.textureToggles;
      }
      if (texEnabled_ != 1) {
        glEnable(GL_TEXTURE_2D);
        texEnabled_ = 1;
        ++stats_.textureToggles;
      }
      if (run.own != boundTexture_) {
        glBindTexture(GL_TEXTURE_2D, run.own);
        boundTexture_ = run.own;
        ++stats_.textureBinds;
      }
      for (size_t k = run.start; k < end; ++k) {
        batch_[k].u *= run.uScale;
        batch_[k].v *= run.vScale;
      }
    } else if (run.own != 0 && !layered) {
      glEnable(GL_TEXTURE_3D);
      layered = true;
      ++stats_.textureToggles;
    }
    glDrawArrays(GL_QUADS, static_cast<GLint>(run.start), static_cast<GLsizei>(end - run.start));
    ++stats_.batches;
    i = next;
  }
  batch_.clear();
  runs_.clear();
  if (layered) {
    glDisable(GL_TEXTURE_3D);
    ++stats_.textureToggles;
  }
  layered_ = false;
}

void TGLVex2DDriver::Flip(int32_t sync) {
  TSdlWindow* screen = Screen();
  if (screen == nullptr || screen->Window() == nullptr || DisplayLost()) return;
  Flush();
  cleared_ = false;
  if (scaler_.Path() != TScalePath::None) {
    scaler_.Present(shown_);
  } else if (!shown_.OneToOne()) {
    ClearBars();
  }
  const int32_t interval = sync ? 1 : 0;
  if (interval != swapInterval_) {
    SDL_GL_SetSwapInterval(interval);
    swapInterval_ = interval;
  }
  screen->Swap();
  if (scaler_.Path() != TScalePath::None) {
    // Back to drawing the next frame at the screen's size.
    scaler_.Swapped();
    ApplyViewport();
    ApplyScaledState();
  }
  FollowWindowSize();
}

void TGLVex2DDriver::Finish() {
  if (Window() == nullptr || DisplayLost()) return;
  Flush();
  scaler_.Present(shown_);
  // The display may be found gone while the picture is presented, its size then unknown to
  // the drawing library: what was drawn is not rasterised.
  if (!DisplayLost()) glFinish();
}

bool TGLVex2DDriver::VerticalSyncAt(int32_t hertz) {
  TSdlWindow* screen = Screen();
  if (screen == nullptr || hertz <= 0 || screen->RefreshRate() != hertz) return false;
  // Software renderers and virtual displays (Xvfb) refuse a swap interval.
  if (SDL_GL_SetSwapInterval(1) != 0) return false;
  swapInterval_ = 1;
  return true;
}

uint32_t TGLVex2DDriver::NewPixelTexture(int32_t width, int32_t height, bool alpha) {
  // Earlier errors are not this texture's; a lost context keeps answering, hence the bound.
  for (int32_t i = 0; i < 8 && glGetError() != GL_NO_ERROR; ++i) {
  }
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  boundTexture_ = name;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, alpha ? GL_RGBA8 : GL_RGB8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  if (glGetError() == GL_NO_ERROR) return name;
  glDeleteTextures(1, &name);
  boundTexture_ = 0;
  return 0;
}

void TGLVex2DDriver::EnableTex(uint32_t texture) {
  if (layered_) Flush();
  if (texture != boundTexture_) {
    Flush();
    glBindTexture(GL_TEXTURE_2D, texture);
    boundTexture_ = texture;
    ++stats_.textureBinds;
  }
  if (texEnabled_ != 1) {
    Flush();
    glEnable(GL_TEXTURE_2D);
    texEnabled_ = 1;
    ++stats_.textureToggles;
  }
}

void TGLVex2DDriver::EnableSheet(uint32_t sheet) {
  if (sheet != boundSheet_) {
    Flush();
    glBindTexture(GL_TEXTURE_3D, sheet);
    boundSheet_ = sheet;
    ++stats_.textureBinds;
  }
  if (!layered_) {
    Flush();
    glEnable(GL_TEXTURE_3D);
    layered_ = true;
    ++stats_.textureToggles;
  }
}

void TGLVex2DDriver::DisableTex() {
  if (layered_) Flush();
  if (texEnabled_ == 0) return;
  Flush();
  glDisable(GL_TEXTURE_2D);
  texEnabled_ = 0;
  ++stats_.textureToggles;
}

std::shared_ptr<TImageFrame> TGLVex2DDriver::CreateFrameFromPixmap(const TPixmapPtr& pixmap, int32_t flags) {
  lastError_.clear();
  if (!pixmap || Window() == nullptr) return nullptr;
  Flush();
  const int32_t seq = contextSeq_;
  std::erase_if(state.deadTextures, [this, seq](const DeadTexture& t) {
    if (t.seq != seq) return true;
    glDeleteTextures(1, &t.name);
    // A deleted texture is unbound; its name may come back for the next one made.
    if (t.name == boundTexture_) boundTexture_ = 0;
    if (t.name == boundSheet_) boundSheet_ = 0;
    return true;
  });
  int32_t tw = 0, th = 0;
  if (!ChooseTextureSize(pixmap->width, pixmap->height, ProxyAccepts, tw, th)) {
    lastError_ = kTextureSizeFailure;
    return nullptr;
  }
  TPixmapPtr src = pixmap;
  if (src->width > tw || src->height > th) {
    src = ResizePixmap(*src, std::min(src->width, tw), std::min(src->height, th));
  }
  TPixmapPtr level =
      (src->width < tw || src->height < th) ? PadPixmap(*src, tw, th) : ConvertPixmap(*src, PF_RGBA8888);

  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  boundTexture_ = name;
  ++stats_.textureBinds;
  const bool mipmap = (flags & MIPMAPPEDIMAGE) != 0;
  const bool filter = (flags & FILTEREDIMAGE) != 0;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter ? GL_LINEAR : GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                  filter ? (mipmap ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR)
                         : (mipmap ? GL_NEAREST_MIPMAP_NEAREST : GL_NEAREST));
  for (GLint lod = 0;; ++lod) {
    glTexImage2D(GL_TEXTURE_2D, lod, GL_RGBA8, level->width, level->height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 level->pixels.data());
    if (!mipmap || (level->width == 1 && level->height == 1)) break;
    level = ResizePixmap(*level, std::max(1, level->width / 2), std::max(1, level->height / 2));
  }
  ++stats_.texturesCreated;

  auto frame = std::make_shared<TGLImageFrame>();
  frame->name = name;
  frame->seq = seq;
  frame->texWidth = tw;
  frame->texHeight = th;
  frame->uscale = 1.0f / static_cast<float>(tw);
  frame->vscale = 1.0f / static_cast<float>(th);
  frame->u1 = static_cast<float>(src->width) * frame->uscale;
  frame->v1 = static_cast<float>(src->height) * frame->vscale;
  frame->driver = this;
  if (useSheets_ && TGLSheets::Takes(tw, th, flags)) {
    // Not mipmapped: `level` is still the whole picture.
    frame->place = sheets_.Place(*level, filter, seq);
    // A sheet that could not be made may have been bound, and deleted.
    boundSheet_ = 0;
    if (frame->place) {
      const TGLSheet& sheet = *frame->place->sheet;
      boundSheet_ = sheet.texture;
      ++stats_.textureBinds;
      frame->sheetScale = 1.0f / static_cast<float>(sheet.side);
      frame->layer = (static_cast<float>(frame->place->layer) + 0.5f) / static_cast<float>(sheet.layers);
      frame->toOwnU = static_cast<float>(sheet.side) / static_cast<float>(tw);
      frame->toOwnV = static_cast<float>(sheet.side) / static_cast<float>(th);
      ++stats_.sheetPictures;
    }
  }
  return frame;
}

TGLImageFrame::~TGLImageFrame() { ReleaseTexture(name, seq); }

void TGLImageFrame::Draw(float x0, float y0, float x1, float y1, float tx, float ty, float sx, float sy, float sw,
                         float sh) {
  if (place) {
    driver->DrawSheetQuad(*this, x0, y0, x1, y1, tx, ty, sx * sheetScale, sy * sheetScale, (sx + sw) * sheetScale,
                          (sy + sh) * sheetScale);
    return;
  }
  driver->DrawTexturedQuad(name, x0, y0, x1, y1, tx, ty, sx * uscale, sy * vscale, (sx + sw) * uscale,
                           (sy + sh) * vscale);
}

void TGLVex2DDriver::SetBlend(int32_t mode) {
  if (mode == blend_) return;
  Flush();
  blend_ = mode;
  ++stats_.blendChanges;
  switch (mode) {
    case MASKBLEND:
      glDisable(GL_BLEND);
      glEnable(GL_ALPHA_TEST);
      break;
    case ALPHABLEND:
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      glDisable(GL_ALPHA_TEST);
      break;
    case LIGHTBLEND:
      glEnable(GL_BLEND);
      glBlendFunc(GL_SRC_ALPHA, GL_ONE);
      glDisable(GL_ALPHA_TEST);
      break;
    case SHADEBLEND:
      glEnable(GL_BLEND);
      glBlendFunc(GL_DST_COLOR, GL_ZERO);
      glDisable(GL_ALPHA_TEST);
      break;
    default:
      glDisable(GL_BLEND);
      glDisable(GL_ALPHA_TEST);
      break;
  }
}

void TGLVex2DDriver::SetAlpha(float alpha) {
  float a = alpha >= 0.0f ? alpha : 0.0f;  // NaN counts as 0
  if (a > 1.0f) a = 1.0f;
  a_ = static_cast<uint8_t>(a * 255.0f);
}

void TGLVex2DDriver::SetColor(int32_t r, int32_t g, int32_t b) {
  r_ = ClampByte(r);
  g_ = ClampByte(g);
  b_ = ClampByte(b);
}

void TGLVex2DDriver::SetClsColor(int32_t r, int32_t g, int32_t b) {
  clsRed_ = ClampByte(r) / 255.0f;
  clsGreen_ = ClampByte(g) / 255.0f;
  clsBlue_ = ClampByte(b) / 255.0f;
  clsColour_ = static_cast<uint32_t>(ClampByte(r)) << 16 | static_cast<uint32_t>(ClampByte(g)) << 8 | ClampByte(b);
  glClearColor(clsRed_, clsGreen_, clsBlue_, 1.0f);
}

void TGLVex2DDriver::SetViewport(int32_t x, int32_t y, int32_t w, int32_t h) {
  Flush();
  clipX_ = x;
  clipY_ = y;
  clipW_ = w;
  clipH_ = h;
  scissored_ = !(x == 0 && y == 0 && w == width_ && h == height_);
  ApplyClip();
}

void TGLVex2DDriver::SetTransform(float ix, float iy, float jx, float jy) {
  ix_ = ix;
  iy_ = iy;
  jx_ = jx;
  jy_ = jy;
}

void TGLVex2DDriver::SetLineWidth(float width) {
  Flush();
  lineWidth_ = width;
  glLineWidth(width * drawn_.scale);
}

void TGLVex2DDriver::SetResolution(float width, float height) {
  Flush();
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, width, height, 0, -1, 1);
  projW_ = width;
  projH_ = height;
  glMatrixMode(GL_MODELVIEW);
}

void TGLVex2DDriver::Cls() {
  Flush();
  glClear(GL_COLOR_BUFFER_BIT);
  cleared_ = !scissored_;
  clearedColour_ = clsColour_;
}

void TGLVex2DDriver::Plot(float x, float y) {
  cleared_ = false;
  DisableTex();
  Flush();
  glBegin(GL_POINTS);
  glColor4ub(r_, g_, b_, a_);
  glVertex2f(x + 0.5f, y + 0.5f);
  glEnd();
}

void TGLVex2DDriver::DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) {
  cleared_ = false;
  DisableTex();
  Flush();
  glBegin(GL_LINES);
  glColor4ub(r_, g_, b_, a_);
  glVertex2f(x0 * ix_ + y0 * iy_ + tx + 0.5f, x0 * jx_ + y0 * jy_ + ty + 0.5f);
  glVertex2f(x1 * ix_ + y1 * iy_ + tx + 0.5f, x1 * jx_ + y1 * jy_ + ty + 0.5f);
  glEnd();
}

void TGLVex2DDriver::PushQuad(uintptr_t picture, float x0, float y0, float x1, float y1, float tx, float ty, float u0,
                              float v0, float u1, float v1, const TGLImageFrame* frame) {
  cleared_ = false;
  const size_t n = batch_.size();
  if (runs_.empty() || picture != runPicture_) {
    if (frame != nullptr) {
      runs_.push_back({n, false, frame->name, frame->toOwnU, frame->toOwnV});
    } else {
      runs_.push_back({n, false, 0, 1, 1});
    }
    runPicture_ = picture;
  }
  const float layer = frame != nullptr ? frame->layer : 0.0f;
  batch_.resize(n + 4);
  Vertex* v = batch_.data() + n;
  v[0] = {x0 * ix_ + y0 * iy_ + tx, x0 * jx_ + y0 * jy_ + ty, u0, v0, layer, r_, g_, b_, a_};
  v[1] = {x1 * ix_ + y0 * iy_ + tx, x1 * jx_ + y0 * jy_ + ty, u1, v0, layer, r_, g_, b_, a_};
  v[2] = {x1 * ix_ + y1 * iy_ + tx, x1 * jx_ + y1 * jy_ + ty, u1, v1, layer, r_, g_, b_, a_};
  v[3] = {x0 * ix_ + y1 * iy_ + tx, x0 * jx_ + y1 * jy_ + ty, u0, v1, layer, r_, g_, b_, a_};
  for (int32_t k = 0; k < 4; ++k) {
    // Written so that NaN counts as outside.
    if (!(v[k].x >= 0 && v[k].x <= projW_ && v[k].y >= 0 && v[k].y <= projH_)) runs_.back().outside = true;
  }
  ++stats_.quads;
}

void TGLVex2DDriver::DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) {
  DisableTex();
  PushQuad(0, x0, y0, x1, y1, tx, ty, 0, 0, 0, 0);
}

void TGLVex2DDriver::DrawTexturedQuad(uint32_t texture, float x0, float y0, float x1, float y1, float tx, float ty,
                                      float u0, float v0, float u1, float v1) {
  EnableTex(texture);
  PushQuad(texture, x0, y0, x1, y1, tx, ty, u0, v0, u1, v1);
}

void TGLVex2DDriver::DrawSheetQuad(const TGLImageFrame& frame, float x0, float y0, float x1, float y1, float tx,
                                   float ty, float u0, float v0, float u1, float v1) {
  EnableSheet(frame.place->sheet->texture);
  PushQuad(reinterpret_cast<uintptr_t>(&frame), x0, y0, x1, y1, tx, ty, u0, v0, u1, v1, &frame);
}

void TGLVex2DDriver::DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) {
  cleared_ = false;
  DisableTex();
  Flush();
  const float xr = (x1 - x0) * 0.5f;
  const float yr = (y1 - y0) * 0.5f;
  const float cx = x0 + xr;
  const float cy = y0 + yr;
  const int segments = std::clamp(static_cast<int>(std::fabs(xr) + std::fabs(yr)), 12, 256);
  glBegin(GL_POLYGON);
  glColor4ub(r_, g_, b_, a_);
  for (int i = 0; i < segments; ++i) {
    const double t = 2.0 * M_PI * i / segments;
    const float px = cx + static_cast<float>(std::cos(t)) * xr;
    const float py = cy + static_cast<float>(std::sin(t)) * yr;
    glVertex2f(px * ix_ + py * iy_ + tx, px * jx_ + py * jy_ + ty);
  }
  glEnd();
}

void TGLVex2DDriver::DrawPoly(const std::vector<float>& xy, float handleX, float handleY, float tx, float ty) {
  if (xy.size() < 6) return;
  cleared_ = false;
  DisableTex();
  Flush();
  glBegin(GL_POLYGON);
  glColor4ub(r_, g_, b_, a_);
  for (size_t i = 0; i + 1 < xy.size(); i += 2) {
    const float px = xy[i] + handleX;
    const float py = xy[i + 1] + handleY;
    glVertex2f(px * ix_ + py * iy_ + tx, px * jx_ + py * jy_ + ty);
  }
  glEnd();
}

void TGLVex2DDriver::DrawPixmap(const TPixmap& pixmap, int32_t x, int32_t y) {
  cleared_ = false;
  DisableTex();
  Flush();
  const TPixmapPtr rgba = ConvertPixmap(pixmap, PF_RGBA8888);
  glRasterPos2i(x, y);
  glPixelZoom(drawn_.scale, -drawn_.scale);
  glDrawPixels(rgba->width, rgba->height, GL_RGBA, GL_UNSIGNED_BYTE, rgba->pixels.data());
  glPixelZoom(1.0f, 1.0f);
}

TPixmapPtr TGLVex2DDriver::GrabPixmap(int32_t x, int32_t y, int32_t w, int32_t h) {
  if (Window() == nullptr || w <= 0 || h <= 0) return nullptr;
  Flush();
  if (drawn_.OneToOne()) return ReadBack(x, height_ - y - h, w, h);
  // The screen's pixels as drawn at the size they are shown, brought back to their own size.
  int32_t rect[4];
  ScreenRectInWindow(drawn_, x, y, w, h, rect);
  return ResizePixmap(*ReadBack(rect[0], rect[1], std::max(1, rect[2]), std::max(1, rect[3])), w, h);
}

TPixmapPtr TGLVex2DDriver::ReadBack(int32_t x, int32_t y, int32_t w, int32_t h) {
  auto out = TPixmap::Create(w, h, PF_RGBA8888);
  glReadBuffer(scaler_.ReadBuffer());
  std::vector<uint8_t> raw(static_cast<size_t>(w) * h * 4);
  glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
  // GL counts rows from the bottom.
  for (int32_t row = 0; row < h; ++row) {
    std::memcpy(out->PixelPtr(0, row), raw.data() + static_cast<size_t>(h - 1 - row) * w * 4,
                static_cast<size_t>(w) * 4);
  }
  return out;
}

// The game's graphics driver: OpenGL 1.1 in the window of platform/video/sdl_window.h, a 2D
// orthographic projection, textured quads for images and text. Consecutive quads are batched
// into client-side vertex arrays and flushed whenever GL state changes, so the drawing order
// and result are those of drawing each quad at once. Small pictures share sheets
// (platform/video/gl_sheets.h), so quads of different pictures share draws too. A window of
// another size than the screen shows it letterboxed (platform/video/letterbox.h), the frame
// drawn at the screen's size and scaled as a whole where it can be
// (platform/video/frame_scaler.h).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/video/frame_scaler.h"
#include "platform/video/gl_sheets.h"
#include "platform/video/graphics_driver.h"
#include "platform/video/ground_cache.h"
#include "platform/video/letterbox.h"

struct SDL_Window;
class TSdlWindow;
class TGLImageFrame;

// How many GL state changes and draws the driver issued; for tests and benchmarks.
struct TGLStats {
  int64_t blendChanges = 0;
  int64_t textureBinds = 0;
  int64_t textureToggles = 0;  // texturing switched on or off
  int64_t batches = 0;         // glDrawArrays calls for quads
  int64_t quads = 0;
  int64_t texturesCreated = 0;
  int64_t sheetPictures = 0;  // pictures put into sheets rather than textures of their own
};

class TGLVex2DDriver : public TVex2DDriver {
 public:
  TGLVex2DDriver();
  ~TGLVex2DDriver() override;

  std::vector<TGraphicsMode> GraphicsModes() override;
  std::shared_ptr<TGraphics> AttachGraphics(void* widget, int32_t flags) override;
  std::shared_ptr<TGraphics> CreateGraphics(int32_t width, int32_t height, int32_t depth, int32_t hertz,
                                            int32_t flags) override;
  void SetGraphics(const std::shared_ptr<TGraphics>& graphics) override;
  void Flip(int32_t sync) override;
  void Finish() override;
  bool VerticalSyncAt(int32_t hertz) override;
  std::string LastError() const override { return lastError_; }

  std::shared_ptr<TImageFrame> CreateFrameFromPixmap(const TPixmapPtr& pixmap, int32_t flags) override;
  void SetBlend(int32_t mode) override;
  void SetAlpha(float alpha) override;
  void SetColor(int32_t r, int32_t g, int32_t b) override;
  void SetClsColor(int32_t r, int32_t g, int32_t b) override;
  void SetViewport(int32_t x, int32_t y, int32_t w, int32_t h) override;
  void SetTransform(float ix, float iy, float jx, float jy) override;
  void SetLineWidth(float width) override;
  void Cls() override;
  void Plot(float x, float y) override;
  void DrawLine(float x0, float y0, float x1, float y1, float tx, float ty) override;
  void DrawRect(float x0, float y0, float x1, float y1, float tx, float ty) override;
  void DrawOval(float x0, float y0, float x1, float y1, float tx, float ty) override;
  void DrawPoly(const std::vector<float>& xy, float handleX, float handleY, float tx, float ty) override;
  void DrawPixmap(const TPixmap& pixmap, int32_t x, int32_t y) override;
  TPixmapPtr GrabPixmap(int32_t x, int32_t y, int32_t w, int32_t h) override;
  void SetResolution(float width, float height) override;
  TGroundCache* GroundCache() override { return keepGround_ ? &ground_ : nullptr; }
  // Off: the ground is drawn cell by cell as everywhere else; for comparing both ways.
  void KeepGround(bool on) { keepGround_ = on; }
  // How a frame the window does not show 1:1 is scaled.
  TScalePath ScalePath() const { return scaler_.Path(); }
  // Off: scaled frames are copied from the back buffer even where a framebuffer object could
  // be had; for testing both ways. Takes effect at once, so between frames.
  void AllowFramebuffer(bool on);
  // Off: pictures made from then on get a texture of their own each; for comparing both ways.
  void UseSheets(bool on) { useSheets_ = on; }

  const TGLStats& Stats() const { return stats_; }
  SDL_Window* Window() const;

  // Used by the frames: a textured quad with the texture bound.
  void DrawTexturedQuad(uint32_t texture, float x0, float y0, float x1, float y1, float tx, float ty, float u0,
                        float v0, float u1, float v1);
  // The same from the frame's layer of its sheet (platform/video/gl_sheets.h), with the sheet's
  // texture coordinates.
  void DrawSheetQuad(const TGLImageFrame& frame, float x0, float y0, float x1, float y1, float tx, float ty, float u0,
                     float v0, float u1, float v1);

 private:
  friend class TGroundCache;
  friend class TFrameScaler;
  struct Vertex {
    float x, y, u, v, layer;
    uint8_t r, g, b, a;
  };
  // Draws the quads batched so far; a batch from a sheet leaves 3D texturing off again, so
  // that whatever draws next (the ground cache too) finds only 2D texturing to set.
  void Flush();
  void EnableTex(uint32_t texture);
  // A texture of width x height texels, bound, clamped and sampled nearest, its texels
  // undefined (for the ground's pages and the scaled frame); 0 when OpenGL refuses it.
  uint32_t NewPixelTexture(int32_t width, int32_t height, bool alpha);
  void EnableSheet(uint32_t sheet);
  void DisableTex();
  // `picture` tells runs apart; `frame` is the frame of a quad from a sheet.
  void PushQuad(uintptr_t picture, float x0, float y0, float x1, float y1, float tx, float ty, float u0, float v0,
                float u1, float v1, const TGLImageFrame* frame = nullptr);
  void ResetContext();
  TSdlWindow* Screen() const;
  // The letterbox for the window's drawable size now.
  TViewport FittedViewport() const;
  // shown_ as everyone's ScreenViewport(), and drawn_ as the OpenGL viewport.
  void ApplyViewport();
  // Takes a new letterbox when the window's size changed.
  void FollowWindowSize();
  void ApplyScaledState();
  // The game's clip rectangle, within the letterbox when the screen is not drawn 1:1.
  void ApplyClip();
  void ClearBars();
  // The back buffer's pixels in the window rectangle (OpenGL's bottom-left origin), top row first.
  TPixmapPtr ReadBack(int32_t x, int32_t y, int32_t w, int32_t h);

  std::shared_ptr<TGraphics> current_;
  std::string lastError_;
  std::vector<Vertex> batch_;
  // The batch in runs of quads of one picture (one texture, or one sheet's layer), each with
  // whether a corner lies outside the projection. Software OpenGL (llvmpipe) takes every
  // quad of a draw that holds a quad it must clip through its clipper, which rounds
  // positions a little differently. So a run that reaches outside is a draw of its own, as
  // it is without sheets, and only runs wholly inside share draws: every quad is rounded as
  // when each picture's run was a draw of its own. A run from a sheet that is a draw alone
  // is drawn from the picture's own texture: the same pixels, and llvmpipe fills from a 2D
  // texture faster than from a 3D one.
  struct Run {
    size_t start;
    bool outside;
    uint32_t own;          // a run from a sheet: the picture's own texture; else 0
    float uScale, vScale;  // from the sheet's texture coordinates to its own: powers of two
  };
  std::vector<Run> runs_;
  uintptr_t runPicture_ = 0;
  float projW_ = 0, projH_ = 0;  // the projection's extent
  TGLStats stats_;
  int32_t blend_ = 0;  // 0: unknown after a reset
  uint32_t boundTexture_ = 0;
  int32_t texEnabled_ = -1;  // 2D texturing; -1: unknown
  uint32_t boundSheet_ = 0;  // bound to GL_TEXTURE_3D
  bool layered_ = false;     // 3D texturing on, for the batch being gathered
  int32_t swapInterval_ = -1;
  uint8_t r_ = 255, g_ = 255, b_ = 255, a_ = 255;
  float ix_ = 1, iy_ = 0, jx_ = 0, jy_ = 1;
  float lineWidth_ = 1;
  int32_t width_ = 0, height_ = 0;
  TViewport shown_;  // the letterbox in the window
  TViewport drawn_;  // where the frame is drawn: 1:1 when the scaler scales it, else shown_
  int32_t clipX_ = 0, clipY_ = 0, clipW_ = 0, clipH_ = 0;
  float clsRed_ = 0, clsGreen_ = 0, clsBlue_ = 0;
  int32_t contextSeq_ = 0;  // tells the contexts apart, for the textures each one owns
  bool scissored_ = false;
  uint32_t clsColour_ = 0;      // 0xRRGGBB of glClearColor
  uint32_t clearedColour_ = 0;  // what the last whole-screen Cls filled the back buffer with
  bool cleared_ = false;        // nothing drawn since that Cls
  TGroundCache ground_{*this};
  TFrameScaler scaler_{*this};
  bool keepGround_ = true;
  TGLSheets sheets_;
  bool useSheets_ = true;
};

// The OpenGL frame of an image: its texture and where the image lies in it.
class TGLImageFrame : public TImageFrame {
 public:
  ~TGLImageFrame() override;
  void Draw(float x0, float y0, float x1, float y1, float tx, float ty, float sx, float sy, float sw,
            float sh) override;

  // Where the image lies in its own texture (texWidth x texHeight), as if it had one.
  float u0 = 0, v0 = 0, u1 = 0, v1 = 0;
  float uscale = 0, vscale = 0;
  uint32_t name = 0;  // its own texture, made for pictures in sheets too
  int32_t seq = 0;    // graphics sequence number it was made under
  int32_t texWidth = 0, texHeight = 0;
  TGLVex2DDriver* driver = nullptr;
  // In a sheet: its layer, the texture coordinate scale there (1 / the layer's side, so
  // s / side is exactly s / texWidth times a power of two) and the layer's centre.
  std::shared_ptr<TGLSheetPlace> place;
  float sheetScale = 0;
  float layer = 0;
  float toOwnU = 0, toOwnV = 0;  // the layer's side over texWidth and over texHeight
};

// Gives up a texture made under the screen `seq`; it is deleted when the next texture is made
// under the same screen (a closed screen's context took its textures with it).
void ReleaseTexture(uint32_t name, int32_t seq);

// The texture layout a pixmap gets: power-of-two sides, halved while the device refuses.
// The sizes are checked with accepts(width, height); false when even 1 x 1 is refused.
bool ChooseTextureSize(int32_t width, int32_t height, bool (*accepts)(int32_t, int32_t), int32_t& texWidth,
                       int32_t& texHeight);
// The pixmap pasted into a transparent texWidth x texHeight format-6 pixmap, its last
// column, last row and corner repeated once beyond it so filtering does not fade its edges.
TPixmapPtr PadPixmap(const TPixmap& pixmap, int32_t texWidth, int32_t texHeight);

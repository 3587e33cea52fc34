#include "platform/video/ground_cache.h"

#include <SDL2/SDL_opengl.h>

#include <algorithm>

#include "platform/video/gl_driver.h"
#include "platform/video/graphics.h"

bool TGroundCache::Begin(const std::vector<std::shared_ptr<const void>>& sources) {
  const TVex2DGraphics* g = CurrentGraphics();
  // Blocks are drawn in the cleared back buffer and their place cleared again afterwards.
  // A frame drawn scaled picture by picture holds them resampled, not their own pixels.
  if (g == nullptr || g->_driver.get() != &driver_ || driver_.Window() == nullptr || !driver_.cleared_ ||
      driver_.clsColour_ != driver_.clearedColour_ || !driver_.drawn_.OneToOne()) {
    return false;
  }
  const bool plain =
      g->tform_rot == 0.0f && g->tform_scale_x == 1.0f && g->tform_scale_y == 1.0f && g->color_alpha == 1.0f &&
      g->blend_mode == ALPHABLEND && g->origin_x == 0.0f && g->origin_y == 0.0f && g->viewport_x == 0 &&
      g->viewport_y == 0 && g->viewport_w == driver_.width_ && g->viewport_h == driver_.height_ &&
      g->vres_width == static_cast<float>(driver_.width_) && g->vres_height == static_cast<float>(driver_.height_);
  if (!plain || driver_.width_ < kBlockPixels || driver_.height_ < kBlockPixels || PageBlocks() == 0) return false;
  // Blocks that reach beyond the pictures hold the clear colour there.
  if (sources != sources_ || driver_.clearedColour_ != clearColour_) {
    Drop();
    sources_ = sources;
    clearColour_ = driver_.clearedColour_;
  }
  scratchUsed_ = false;
  return true;
}

bool TGroundCache::Has(int32_t bx, int32_t by, const TKey& key) const {
  const auto it = blocks_.find({bx, by});
  return it != blocks_.end() && it->second.key == key;
}

// The place a block is drawn in, with the pieces that overhang it.
void TGroundCache::ClearScratch() {
  driver_.Flush();
  const int32_t side = std::min({kBlockPixels * 2, driver_.width_, driver_.height_});
  glEnable(GL_SCISSOR_TEST);
  glScissor(0, driver_.height_ - side, side, side);
  glClear(GL_COLOR_BUFFER_BIT);
  glDisable(GL_SCISSOR_TEST);
}

int32_t TGroundCache::PageBlocks() {
  if (pageBlocks_ < 0) {
    GLint most = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &most);
    pageBlocks_ = std::min(most, kPagePixels) / kBlockPixels;
  }
  return pageBlocks_;
}

bool TGroundCache::TakeSlot(TSlot& slot) {
  if (spare_.empty()) {
    const int32_t side = PageBlocks() * kBlockPixels;
    // One texel to one pixel, at whole-pixel offsets: nearest sampling copies them exactly.
    const uint32_t name = driver_.NewPixelTexture(side, side, true);
    if (name == 0) return false;
    const auto page = static_cast<int32_t>(pages_.size());
    pages_.push_back(name);
    // Taken from the back: the first page fills in rows.
    for (int32_t y = PageBlocks() - 1; y >= 0; --y) {
      for (int32_t x = PageBlocks() - 1; x >= 0; --x) spare_.push_back({page, x, y});
    }
  }
  slot = spare_.back();
  spare_.pop_back();
  return true;
}

bool TGroundCache::BeginBlock(int32_t bx, int32_t by) {
  if (!blocks_.contains({bx, by})) {
    TSlot slot;
    if (!TakeSlot(slot)) return false;
    blocks_[{bx, by}].slot = slot;
  }
  if (scratchUsed_) ClearScratch();
  scratchUsed_ = true;
  return true;
}

void TGroundCache::EndBlock(int32_t bx, int32_t by, TKey key) {
  driver_.Flush();
  TBlock& block = blocks_.at({bx, by});
  block.key = std::move(key);
  ++built_;
  glBindTexture(GL_TEXTURE_2D, pages_[block.slot.page]);
  driver_.boundTexture_ = pages_[block.slot.page];
  glReadBuffer(driver_.scaler_.ReadBuffer());
  // GL counts rows from the bottom: the block's lowest row goes to its place's first row.
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, block.slot.x * kBlockPixels, block.slot.y * kBlockPixels, 0,
                      driver_.height_ - kBlockPixels, kBlockPixels, kBlockPixels);
}

void TGroundCache::Abandon() {
  if (scratchUsed_) ClearScratch();
  scratchUsed_ = false;
}

void TGroundCache::Draw(int32_t bx0, int32_t by0, int32_t bx1, int32_t by1, int32_t x, int32_t y) {
  driver_.Flush();
  if (scratchUsed_) {
    ClearScratch();
    scratchUsed_ = false;
  }
  const int32_t blend = driver_.blend_;
  driver_.SetBlend(SOLIDBLEND);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  if (driver_.texEnabled_ != 1) {
    glEnable(GL_TEXTURE_2D);
    driver_.texEnabled_ = 1;
  }
  const float texel = 1.0f / static_cast<float>(PageBlocks() * kBlockPixels);
  for (size_t page = 0; page < pages_.size(); ++page) {
    glBindTexture(GL_TEXTURE_2D, pages_[page]);
    glBegin(GL_QUADS);
    for (int32_t bx = bx0; bx <= bx1; ++bx) {
      for (int32_t by = by0; by <= by1; ++by) {
        const auto it = blocks_.find({bx, by});
        if (it == blocks_.end() || it->second.slot.page != static_cast<int32_t>(page)) continue;
        const TSlot& slot = it->second.slot;
        const auto x0 = static_cast<float>(x + (bx - bx0) * kBlockPixels);
        const auto y0 = static_cast<float>(y + (by - by0) * kBlockPixels);
        const auto x1 = x0 + static_cast<float>(kBlockPixels);
        const auto y1 = y0 + static_cast<float>(kBlockPixels);
        const auto u0 = static_cast<float>(slot.x * kBlockPixels) * texel;
        const auto v0 = static_cast<float>(slot.y * kBlockPixels) * texel;
        const auto u1 = static_cast<float>((slot.x + 1) * kBlockPixels) * texel;
        const auto v1 = static_cast<float>((slot.y + 1) * kBlockPixels) * texel;
        glTexCoord2f(u0, v1);
        glVertex2f(x0, y0);
        glTexCoord2f(u1, v1);
        glVertex2f(x1, y0);
        glTexCoord2f(u1, v0);
        glVertex2f(x1, y1);
        glTexCoord2f(u0, v0);
        glVertex2f(x0, y1);
      }
    }
    glEnd();
  }
  driver_.boundTexture_ = 0;
  glBindTexture(GL_TEXTURE_2D, 0);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  if (blend != 0) {
    driver_.SetBlend(blend);
  } else {
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    driver_.blend_ = 0;
  }
  driver_.cleared_ = false;
}

void TGroundCache::KeepOnly(int32_t bx0, int32_t by0, int32_t bx1, int32_t by1) {
  std::erase_if(blocks_, [&](const auto& entry) {
    const auto [bx, by] = entry.first;
    if (bx >= bx0 && bx <= bx1 && by >= by0 && by <= by1) return false;
    spare_.push_back(entry.second.slot);
    return true;
  });
}

void TGroundCache::Drop() {
  for (const auto& entry : blocks_) spare_.push_back(entry.second.slot);
  blocks_.clear();
}

void TGroundCache::Forget() {
  blocks_.clear();
  pages_.clear();
  spare_.clear();
  pageBlocks_ = -1;
  sources_.clear();
}

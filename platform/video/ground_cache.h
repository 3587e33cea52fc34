// Square blocks of a picture that only moves with the camera (the world's ground), kept in a
// few large textures (pages) and drawn back pixel for pixel instead of drawing every piece
// of them each frame. A software rasteriser pays for every texture bound and for texels
// spread over memory, so blocks share pages. Only the OpenGL driver keeps one: other drivers
// see every drawing of every piece.
//
// A frame that wants cached blocks asks Begin first; when it says yes, each missing block is
// drawn through the ordinary drawing operations between BeginBlock and EndBlock with its
// top-left corner at (0, 0) of the back buffer, then Draw puts the blocks on screen.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

class TGLVex2DDriver;

class TGroundCache {
 public:
  // A block's side in pixels; the screen must be at least this large for blocks to be built.
  static constexpr int32_t kBlockPixels = 256;
  // A page's side where the device allows it: 16 blocks in 4 MB.
  static constexpr int32_t kPagePixels = 1024;
  // What a block was drawn from (its cells, say); a block is drawn again when this changes.
  using TKey = std::vector<uint16_t>;

  explicit TGroundCache(TGLVex2DDriver& driver) : driver_(driver) {}

  // Whether blocks can be used for a picture drawn now: the back buffer is untouched since a
  // whole-screen Cls, the draw state is the plain one the blocks were drawn under (no
  // rotation, scale, origin, viewport or resolution of its own, full alpha, ALPHABLEND) and
  // the screen holds a block. `sources` (the pictures the blocks are drawn from) and the
  // clear colour are kept: when either differs from last time every block is dropped.
  bool Begin(const std::vector<std::shared_ptr<const void>>& sources);
  bool Has(int32_t bx, int32_t by, const TKey& key) const;
  // Clears the place a block is drawn in and finds the block a place in a page; false when
  // no page can be made, and the frame is then drawn without blocks after Abandon. EndBlock
  // takes the picture drawn there as block (bx, by).
  bool BeginBlock(int32_t bx, int32_t by);
  void EndBlock(int32_t bx, int32_t by, TKey key);
  // Clears the place blocks were drawn in, as Cls left it.
  void Abandon();
  // Draws the blocks bx0..bx1 x by0..by1 that are kept, block (bx0, by0) with its top-left
  // corner at (x, y), replacing what is there; where blocks were drawn, the back buffer is
  // first cleared again as Cls left it.
  void Draw(int32_t bx0, int32_t by0, int32_t bx1, int32_t by1, int32_t x, int32_t y);
  // Forgets the blocks outside bx0..bx1 x by0..by1 (their textures are reused).
  void KeepOnly(int32_t bx0, int32_t by0, int32_t bx1, int32_t by1);
  // The screen's context went away and its textures with it.
  void Forget();
  int32_t Blocks() const { return static_cast<int32_t>(blocks_.size()); }
  // Blocks drawn so far, each drawing again counted; for tests and benchmarks.
  int64_t Built() const { return built_; }

 private:
  // Where a block lies: its page and its place in the page, in blocks.
  struct TSlot {
    int32_t page = 0;
    int32_t x = 0;
    int32_t y = 0;
  };
  struct TBlock {
    TSlot slot;
    TKey key;
  };
  void Drop();
  void ClearScratch();
  // A free place for a block, making a page when every one is taken; false when the device
  // refuses pages.
  bool TakeSlot(TSlot& slot);
  int32_t PageBlocks();

  TGLVex2DDriver& driver_;
  std::map<std::pair<int32_t, int32_t>, TBlock> blocks_;
  std::vector<uint32_t> pages_;  // textures
  std::vector<TSlot> spare_;     // places of forgotten blocks
  int32_t pageBlocks_ = -1;      // blocks a page's side; -1 until the device is asked
  std::vector<std::shared_ptr<const void>> sources_;
  uint32_t clearColour_ = 0;
  bool scratchUsed_ = false;  // blocks were drawn into the back buffer since its Cls
  int64_t built_ = 0;
};

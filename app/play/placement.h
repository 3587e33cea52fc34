// Scattering the enemies and items over the land, and finding the player's start cell.
// The loading sequence, the game loop's start and the tools share these, so the random
// draws happen in the same order everywhere.
#pragma once
#include <array>
#include <cstdint>
#include <optional>

constexpr int32_t kEnemyCount = 3001;
constexpr int32_t kItemCount = 5001;

// Which columns of the world hold land, indexed by x (0..2048; 2048 lies outside the grid),
// worked out on first need: on most worlds every search finds land within a few draws.
class TLandColumns {
 public:
  // Null when the world holds no land at all, where a search would go on for ever.
  const std::array<bool, 2049>* Get();

 private:
  std::optional<std::array<bool, 2049>> columns_;
  bool any_ = false;
};

// Draws x = RandomInt(2048, 1), then y = RandomInt(2048, 1), until TMap::getpos(x, y) is 1.
// The columns are shared by the searches of one unchanged world. False when the world has
// no land: then the search stops after its plain draws.
[[nodiscard]] bool FindLandCell(int32_t& x, int32_t& y, TLandColumns& columns);
[[nodiscard]] bool FindLandCell(int32_t& x, int32_t& y);

// What stops the game when there is nowhere to place the figures and items.
extern const char* const kNoLandMessage;

// 3001 enemies: for each a land cell, then its kind RandomInt(0, 5), then Tfigur::neu at the
// cell's upper-left corner (64 x - 32, 64 y - 32). False, with nobody placed, on a world
// without land.
[[nodiscard]] bool PlaceEnemies();
// 5001 items likewise, with the kind RandomInt(0, 6) and TItem::neu.
[[nodiscard]] bool PlaceItems();

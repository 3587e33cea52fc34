// Scattering the enemies and items over the land, and finding the player's start cell.
// The loading sequence, the game loop's start and the tools share these, so the random
// draws happen in the same order everywhere.
#pragma once
#include <cstdint>

constexpr int32_t kEnemyCount = 3001;
constexpr int32_t kItemCount = 5001;

// Draws x = RandomInt(2048, 1), then y = RandomInt(2048, 1), until TMap::getpos(x, y) is 1.
// Stops the program (Fatal) when the world holds no land at all, instead of searching for ever.
void FindLandCell(int32_t& x, int32_t& y);

// 3001 enemies: for each a land cell, then its kind RandomInt(0, 5), then Tfigur::neu at the
// cell's upper-left corner (64 x - 32, 64 y - 32).
void PlaceEnemies();
// 5001 items likewise, with the kind RandomInt(0, 6) and TItem::neu.
void PlaceItems();

#include "app/play/placement.h"

#include <algorithm>

#include "actors/tfigur.h"
#include "actors/titem.h"
#include "rules/random.h"
#include "state/game.h"
#include "world/tmap.h"

namespace {

constexpr int32_t kPlainTries = 64;

bool IsLand(int32_t x, int32_t y) { return TMap::getpos(x, y) == 1; }

}  // namespace

const char* const kNoLandMessage =
    "the world made from map.txt has no land: its parameters carved no land that survives "
    "the shaping, so there is nowhere to place the figures and items. Change map.txt and start again.";

const std::array<bool, 2049>* TLandColumns::Get() {
  if (!columns_) {
    columns_.emplace();
    for (int32_t x = 0; x < kMapSize; ++x) {
      const uint8_t* cells = &game.mapGrid[x][0];
      (*columns_)[x] = std::any_of(cells, cells + kMapSize, [](uint8_t c) { return (c & kLandMask) != 0; });
      any_ = any_ || (*columns_)[x];
    }
  }
  return any_ ? &*columns_ : nullptr;
}

bool FindLandCell(int32_t& x, int32_t& y, TLandColumns& columns) {
  // Plain draws first; the search that skips landless columns pays for itself only when
  // land is scarce.
  for (int32_t tries = 0; tries < kPlainTries; ++tries) {
    x = RandomInt(2048, 1);
    y = RandomInt(2048, 1);
    if (IsLand(x, y)) return true;
  }
  const std::array<bool, 2049>* land = columns.Get();
  if (land == nullptr) return false;
  RandomPairUntil(*land, IsLand, x, y);
  return true;
}

bool FindLandCell(int32_t& x, int32_t& y) {
  TLandColumns columns;
  return FindLandCell(x, y, columns);
}

namespace {

// count times: a land cell, then a kind in 0..lastKind, then make(x, y, kind) at the cell's
// upper-left corner, which lies in that cell.
template <class Make>
bool PlaceOnLand(int32_t count, int32_t lastKind, Make make) {
  TLandColumns columns;
  for (int32_t i = 0; i < count; ++i) {
    int32_t x = 0;
    int32_t y = 0;
    if (!FindLandCell(x, y, columns)) return false;
    const int32_t kind = RandomInt(0, lastKind);
    make(64 * x - 32, 64 * y - 32, kind);
  }
  return true;
}

}  // namespace

bool PlaceEnemies() {
  return PlaceOnLand(kEnemyCount, 5, [](int32_t x, int32_t y, int32_t art) { Tfigur::neu(x, y, art); });
}

bool PlaceItems() {
  return PlaceOnLand(kItemCount, 6, [](int32_t x, int32_t y, int32_t art) { TItem::neu(x, y, art); });
}

#include "app/placement.h"

#include "actors/tfigur.h"
#include "actors/titem.h"
#include "platform/fatal.h"
#include "platform/random.h"
#include "world/tmap.h"

void FindLandCell(int32_t& x, int32_t& y) {
  // Land is usually found within a few draws; only a long search pays for a look at the whole
  // grid, which draws nothing and so leaves the sequence as it is.
  int32_t tries = 0;
  do {
    x = RandomInt(2048, 1);
    y = RandomInt(2048, 1);
    if (tries < 65536 && ++tries == 65536 && !WorldHasLand()) {
      Fatal("the world made from map.txt has no land: its parameters carved no land that survives "
            "the shaping, so there is nowhere to place the figures and items. Change map.txt and start again.");
    }
  } while (TMap::getpos(x, y) != 1);
}

namespace {

// count times: a land cell, then a kind in 0..lastKind, then make(x, y, kind) at the cell's
// upper-left corner, which lies in that cell.
template <class Make>
void PlaceOnLand(int32_t count, int32_t lastKind, Make make) {
  for (int32_t i = 0; i < count; ++i) {
    int32_t x = 0;
    int32_t y = 0;
    FindLandCell(x, y);
    const int32_t kind = RandomInt(0, lastKind);
    make(64 * x - 32, 64 * y - 32, kind);
  }
}

}  // namespace

void PlaceEnemies() {
  PlaceOnLand(kEnemyCount, 5, [](int32_t x, int32_t y, int32_t art) { Tfigur::neu(x, y, art); });
}

void PlaceItems() {
  PlaceOnLand(kItemCount, 6, [](int32_t x, int32_t y, int32_t art) { TItem::neu(x, y, art); });
}

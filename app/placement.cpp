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

void PlaceEnemies() {
  for (int32_t i = 0; i < kEnemyCount; ++i) {
    int32_t x = 0;
    int32_t y = 0;
    FindLandCell(x, y);
    const int32_t art = RandomInt(0, 5);
    Tfigur::neu(64 * x - 32, 64 * y - 32, art);
  }
}

void PlaceItems() {
  for (int32_t i = 0; i < kItemCount; ++i) {
    int32_t x = 0;
    int32_t y = 0;
    FindLandCell(x, y);
    const int32_t art = RandomInt(0, 6);
    TItem::neu(64 * x - 32, 64 * y - 32, art);
  }
}

#include "actors/titem.h"

#include <cmath>

#include "actors/tfigur.h"
#include "platform/video/graphics.h"
#include "state/globals.h"

int32_t TItem::all() {
  if (!itemList) return 0;
  for (auto walk = itemList->Walk(); walk.HasNext();) {
    TItem* const item = &walk.NextObject();
    SetDrawRotation(static_cast<float>(item->r));
    DrawImageFrame(itemImages[item->Art], static_cast<float>(item->X - camX), static_cast<float>(item->Y - camY), 0);

    // Every item is tested every frame; the reach is the square root of 4000, about 63 pixels.
    const double dx = static_cast<double>(player->X) - item->X;
    const double dy = static_cast<double>(player->Y) - item->Y;
    if (std::pow(dx, 2.0) + std::pow(dy, 2.0) >= 4000.0) continue;
    if (item->Art == 0) {
      player->HP = static_cast<float>(player->HP + 50.0);
    } else if (item->Art == 1) {
      player->HP = static_cast<float>(player->HP + 250.0);
    } else {
      // Ammunition: kind k refills weapon k - 2 by 500 div (k - 1) rounds.
      player->weapons[item->Art - 2] += 500 / (item->Art - 1);
    }
    player->EP += 1;
    auto* link = TList<TItem>::LinkOf(*item);
    itemList->RemoveLink(link);
  }
  return 0;
}

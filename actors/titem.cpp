#include "actors/titem.h"

#include <cmath>

#include "actors/tfigur.h"
#include "platform/video/graphics.h"
#include "state/game.h"

int32_t TItem::all() {
  if (!game.itemList) return 0;
  for (auto walk = game.itemList->Walk(); walk.HasNext();) {
    TItem* const item = &walk.NextObject();
    SetDrawRotation(static_cast<float>(item->r));
    DrawImageFrame(game.itemImages[item->Art], static_cast<float>(item->X - game.camX), static_cast<float>(item->Y - game.camY), 0);

    // Every item is tested every frame; the reach is the square root of 4000, about 63 pixels.
    const double dx = static_cast<double>(game.player->X) - item->X;
    const double dy = static_cast<double>(game.player->Y) - item->Y;
    if (std::pow(dx, 2.0) + std::pow(dy, 2.0) >= 4000.0) continue;
    if (item->Art == 0) {
      game.player->HP = static_cast<float>(game.player->HP + 50.0);
    } else if (item->Art == 1) {
      game.player->HP = static_cast<float>(game.player->HP + 250.0);
    } else {
      // Ammunition: kind k refills weapon k - 2 by 500 div (k - 1) rounds.
      game.player->weapons[item->Art - 2] += 500 / (item->Art - 1);
    }
    game.player->EP += 1;
    auto* link = TList<TItem>::LinkOf(*item);
    game.itemList->RemoveLink(link);
  }
  return 0;
}

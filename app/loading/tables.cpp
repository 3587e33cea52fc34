#include "app/loading/tables.h"

#include "state/game.h"

void CreateTables() {
  StartFreshGame();
  game.tileImages.assign(6, nullptr);
  game.figureImages.assign(6, nullptr);
  game.itemImages.assign(7, nullptr);
  game.shotImages.assign(13, nullptr);
  game.shotSounds.assign(5, nullptr);
  game.bloodImage = nullptr;
  game.deathSound = nullptr;
}

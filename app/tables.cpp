#include "app/tables.h"

#include "state/globals.h"
#include "world/grid.h"

void CreateTables() {
  CreateMapGrid();
  tileImages.assign(6, nullptr);
  figureImages.assign(6, nullptr);
  itemImages.assign(7, nullptr);
  shotImages.assign(13, nullptr);
  shotSounds.assign(5, nullptr);
  bloodImage = nullptr;
  deathSound = nullptr;
}

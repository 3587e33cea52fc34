#include "world/grid.h"

void CreateMapGrid() { game.mapGrid.Clear(); }

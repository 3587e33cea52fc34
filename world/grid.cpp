#include "world/grid.h"

#include <cstring>

TMapGrid mapGrid;

void TMapGrid::Clear() { std::memset(cells_, 0, sizeof cells_); }

void CreateMapGrid() { mapGrid.Clear(); }

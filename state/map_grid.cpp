#include "state/map_grid.h"

#include <cstring>

void TMapGrid::Clear() { std::memset(cells_, 0, sizeof cells_); }

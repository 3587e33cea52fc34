#include "state/game.h"

TGame game;

void StartFreshGame() {
  static_cast<TGameValues&>(game) = TGameValues{};
  game.mapGrid.Clear();
}

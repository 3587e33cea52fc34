#include "state/game.h"

#include "rules/rules_clock.h"

TGame game;

void StartFreshGame() {
  static_cast<TGameValues&>(game) = TGameValues{};
  game.mapGrid.Clear();
  ResetRulesClock();
}

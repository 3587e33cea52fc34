#include "state/game.h"

#include "rules/rules_clock.h"

TGame game;

void StartFreshGame() {
  static_cast<TGameValues&>(game) = TGameValues{};
  game.mapGrid.Clear();
  ResetRulesClock();
}

void ForgetActors() {
  game.player.reset();
  game.shotList.reset();
  game.figureList.reset();
  game.itemList.reset();
  game.bloodList.reset();
}

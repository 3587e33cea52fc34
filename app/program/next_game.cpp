#include "app/loading/tables.h"
#include "app/play/play_session.h"
#include "app/player/settings_in_force.h"
#include "app/tapp.h"
#include "platform/input/input.h"
#include "platform/video/graphics.h"
#include "rules/random.h"
#include "state/game.h"

void StartNextGame(int32_t seed) {
  // The screen stays open: what init read for it and made with it carries over.
  const TGameValues screen = game;
  CreateTables();
  game.screenW = screen.screenW;
  game.screenH = screen.screenH;
  game.screenDepth = screen.screenDepth;
  game.screenHertz = screen.screenHertz;
  game.configStream = screen.configStream;
  game.ticker = screen.ticker;

  Tapp::launch.seed = seed;
  SeedRandom(seed);
  // What the application kept of the game that ended (the pad's presses, a screenshot asked
  // for, a pause waiting, the notices) goes with it, as do the keys held or pressed on the
  // score screen.
  StartPlaySession();
  ClearKeys();
  ClearButtons();
  Apply(PlayerSettings());
  UsePlayBindings(false);
  // The draw state init leaves, whatever the score screen set.
  SetColor(255, 255, 255);
  SetAlpha(1.0f);
  SetBlend(3);
  SetDrawRotation(0.0f);
  SetDrawScale(1.0f, 1.0f);
  SetClsColor(0, 0, 0);
}

#include "app/player/bindings.h"
#include "app/play/pad_controls.h"
#include "app/screens/pause_watch.h"
#include "app/loading/tables.h"
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
  Tapp::next = TNextGame::End;
  SeedRandom(seed);
  // Keys held or pressed on the score screen belong to the game that ended, as do the pad's
  // presses, a screenshot asked for and a pause waiting.
  ClearKeys();
  ClearButtons();
  ResetControls();
  ResetPause();
  // The player's keys for the pause and the screenshot go back in force over those resets.
  const TPlayerSettings bindings = Bindings();
  ApplyBindings(bindings);
  UsePlayBindings(false);
  // The draw state init leaves, whatever the score screen set.
  SetColor(255, 255, 255);
  SetAlpha(1.0f);
  SetBlend(3);
  SetDrawRotation(0.0f);
  SetDrawScale(1.0f, 1.0f);
  SetClsColor(0, 0, 0);
}

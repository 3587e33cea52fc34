#include "app/play/rules_frame.h"

#include <cstdint>

#include "actors/tblood.h"
#include "actors/tfigur.h"
#include "actors/titem.h"
#include "actors/tshot.h"
#include "app/tapp.h"
#include "platform/input/input.h"
#include "platform/input/keys.h"
#include "platform/video/graphics.h"
#include "rules/answers.h"
#include "rules/degrees.h"
#include "state/game.h"
#include "world/tmap.h"

namespace {

// The arrow key is asked first; its letter only when the arrow is not held.
bool Held(int32_t arrow, int32_t letter) { return KeyIsDown(arrow) != 0 || KeyIsDown(letter) != 0; }

}  // namespace

TFiredShots RunRulesFrame() {
  TFiredShots fired;
  Cls();

  // Moves are relative to the facing; opposite keys both apply.
  if (Held(KEY_UP, 'W')) game.player->move(0, 3);
  if (Held(KEY_DOWN, 'S')) game.player->move(0, -2);
  if (Held(KEY_LEFT, 'A')) game.player->move(-3, 0);
  if (Held(KEY_RIGHT, 'D')) game.player->move(3, 0);

  for (int32_t i = 0; i < 5; ++i) {
    if (KeyIsDown('1' + i) != 0) game.player->weapon = i;
  }

  if (ButtonIsDown(1) != 0) {
    fired.button = tshot::neu(TruncToInt(game.player->X), TruncToInt(game.player->Y), -game.player->Side,
                              game.player->weapon, game.player);
  }
  if (KeyIsDown(KEY_ENTER) != 0) {
    fired.enter = tshot::neu(TruncToInt(game.player->X), TruncToInt(game.player->Y), -game.player->Side, 0, nullptr);
  }

  if (KeyPressed(KEY_ESCAPE) != 0) game.gameState = TGamePhase::Quit;

  // The pointer is pulled back to the centre every frame; its offset since then turns the player.
  game.player->Side = game.player->Side + PointerX() - game.screenW / 2;
  MovePointer(game.screenW / 2, game.screenH / 2);

  game.camX = TruncToInt(static_cast<double>(game.player->X) - game.screenW / 2);
  game.camY = TruncToInt(static_cast<double>(game.player->Y) - game.screenH / 2);

  SetDrawRotation(0.0f);
  TMap::draw(game.camX, game.camY, game.screenW, game.screenH);
  Tblood::draw();
  SetColor(255, 255, 255);
  TItem::all();
  Tfigur::all();
  tshot::all();
  Tapp::drawhub();
  return fired;
}

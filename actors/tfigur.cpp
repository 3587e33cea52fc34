#include "actors/tfigur.h"

#include <cmath>

#include "actors/hearing.h"
#include "actors/tblood.h"
#include "actors/tshot.h"
#include "actors/whole_degrees.h"
#include "platform/system/clock.h"
#include "platform/video/graphics.h"
#include "rules/degrees.h"
#include "rules/rules_clock.h"
#include "state/game.h"
#include "world/tmap.h"

namespace {

constexpr double kMarkerInner = 70.0;
constexpr double kMarkerOuter = 100.0;

// The cell that holds a world coordinate; truncation toward zero makes cell 0 wider.
int32_t CellOf(float v) { return TruncToInt((static_cast<double>(v) + 32.0) / 64.0); }

}  // namespace

int32_t Tfigur::all() {
  SetColor(255, 255, 255);
  if (!game.figureList) return 0;
  for (auto walk = game.figureList->Walk(); walk.HasNext();) walk.NextObject()->update();
  return 0;
}

int32_t Tfigur::update() {
  if (this == game.player.get()) {
    if (HP < 0.0f) game.gameState = TGamePhase::PlayerDied;
    draw(0);
    return 0;
  }

  // A dying enemy leaves the list but still acts and is drawn once more in this update; the
  // list may have held the last reference to it.
  std::shared_ptr<Tfigur> keep;
  if (HP < 0.0f) {
    keep = shared_from_this();
    if (game.figureList) game.figureList->RemoveLink(link_);
    for (int32_t i = 0; i <= 50; ++i) Tblood::neu(TruncToInt(X), TruncToInt(Y));
    PlaySoundAt(game.deathSound, X, Y);
    game.player->EP += 10;
  }

  const double dx = static_cast<double>(game.player->X) - static_cast<double>(X);
  const double dy = static_cast<double>(game.player->Y) - static_cast<double>(Y);
  if (std::pow(dx, 2.0) + std::pow(dy, 2.0) >= 1000000.0) return 0;

  const double theta = ATan2Deg(dy, dx);
  switch (Art) {
    case 1:
      Side = TruncToInt((theta + Side + 90.0) / 2.0);
      break;
    case 2:
      Side = TruncToInt((theta + Side + 90.0) / 2.0);
      move(0, -1);
      break;
    case 3:
      Side = TruncToInt(theta + 90.0);
      move(0, -1);
      break;
    case 4:
      Side = TruncToInt(theta + 90.0);
      move(-1, 0);
      break;
    case 5: {
      Side = TruncToInt(theta + 90.0);
      // All kind-5 enemies change step together, every whole second of the clock; a negative
      // clock gives the phases -1 and -2, which take no step.
      const int32_t phase = (NowMs() / 1000) % 3;
      if (phase == 0) move(-3, 0);
      if (phase == 1) move(2, -2);
      if (phase == 2) move(3, 1);
      break;
    }
    default:
      break;
  }

  const double sx = static_cast<double>(X) - game.camX;
  const double sy = static_cast<double>(Y) - game.camY;
  if (sx > -32.0 && sx < game.screenW + 32.0 && sy > -32.0 && sy < game.screenH + 32.0) {
    tshot::neu(TruncToInt(X), TruncToInt(Y), -Side, weapon, shared_from_this());
  }
  draw(1);
  return 0;
}

int32_t Tfigur::draw(int32_t flag) {
  const double sx = static_cast<double>(X) - game.camX;
  const double sy = static_cast<double>(Y) - game.camY;
  SetDrawRotation(static_cast<float>(Side));
  DrawImageFrame(game.figureImages[Art], static_cast<float>(sx), static_cast<float>(sy), 0);
  if (flag != 0) {
    // A stroke between the radii 70 and 100 around the enemy, pointing at the player; drawn
    // unrotated so the enemy's own facing does not turn it.
    const double theta = ATan2Deg(static_cast<double>(game.player->Y) - Y, static_cast<double>(game.player->X) - X);
    double s = 0.0;
    double c = 0.0;
    SinCosDeg(theta, s, c);
    SetDrawRotation(0.0f);
    DrawLine(static_cast<float>(sx + kMarkerInner * c), static_cast<float>(sy + kMarkerInner * s),
             static_cast<float>(sx + kMarkerOuter * c), static_cast<float>(sy + kMarkerOuter * s), 1);
  }
  return 0;
}

int32_t Tfigur::move(int32_t a, int32_t b) {
  const auto nx = static_cast<float>(static_cast<double>(X) - b * CosDegWhole(Side + 90) + a * CosDegWhole(Side));
  const auto ny = static_cast<float>(static_cast<double>(Y) - b * SinDegWhole(Side + 90) + a * SinDegWhole(Side));
  // The full step may leave the grid (outside counts as 0, not as blocked); the slides need
  // land inside it.
  if (TMap::getpos(CellOf(nx), CellOf(ny)) != -1) {
    X = nx;
    Y = ny;
  } else if (TMap::getpos(CellOf(nx), CellOf(Y)) == 1) {
    X = nx;
  } else if (TMap::getpos(CellOf(X), CellOf(ny)) == 1) {
    Y = ny;
  }
  return 0;
}

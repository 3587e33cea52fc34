#include "actors/tblood.h"

#include "platform/video/graphics.h"
#include "rules/degrees.h"
#include "rules/random.h"
#include "state/game.h"

int32_t Tblood::neu(int32_t x, int32_t y) {
  if (RandomInt(24, 1) != 1) return 0;
  if (!game.bloodList) game.bloodList = std::make_shared<TList<Tblood>>();
  Tblood& b = game.bloodList->AddLast()->value();
  // The offsets run from -32 to +64: decals lean 16 pixels to the lower right of the wound.
  b.X = TruncToInt(x + RandomReal(-32.0, 64.0));
  b.Y = TruncToInt(y + RandomReal(-32.0, 64.0));
  b.R = RandomInt(360, 1);
  b.s = static_cast<float>(RandomReal(static_cast<double>(0.1f), 1.0));
  return 0;
}

int32_t Tblood::draw() {
  SetBlend(4);
  if (!game.bloodList) game.bloodList = std::make_shared<TList<Tblood>>();
  SetColor(255, 0, 0);
  SetAlpha(0.5f);
  const int32_t right = game.screenW + 64;
  const int32_t bottom = game.screenH + 64;
  game.bloodList->ForEach([&](const Tblood* b) {
    const int32_t sx = b->X - game.camX;
    const int32_t sy = b->Y - game.camY;
    if (sx > -64 && sx < right && sy > -64 && sy < bottom) {
      SetDrawScale(b->s, b->s);
      SetDrawRotation(static_cast<float>(b->R));
      DrawImageFrame(game.bloodImage, static_cast<float>(sx), static_cast<float>(sy), 0);
    }
  });
  SetBlend(3);
  SetAlpha(1.0f);
  SetDrawScale(1.0f, 1.0f);
  SetDrawRotation(0.0f);
  return 0;
}

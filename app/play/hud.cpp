#include "app/play/hud.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "actors/tfigur.h"
#include "app/player/settings_in_force.h"
#include "app/tapp.h"
#include "platform/text/language.h"
#include "platform/video/graphics.h"
#include "rules/degrees.h"
#include "state/game.h"

namespace {

// Beside the classic HUD: each bar's number ("-" for a weapon not available), a frame round
// the selected weapon's bar, and the score and the enemies left in the bottom left corner.
// The colour is left as the classic HUD leaves it.
void DrawHudNumbers() {
  const TVex2DGraphics* g = CurrentGraphics();
  if (g == nullptr) return;
  const int32_t red = g->color_red;
  const int32_t green = g->color_green;
  const int32_t blue = g->color_blue;
  constexpr float kNumbersX = 20.0f + 255.0f + 8.0f;
  SetColor(255, 255, 255);
  DrawString(IntToText(TruncToInt(game.player->HP)), kNumbersX, 2.0f);
  for (int32_t i = 0; i < 5; ++i) {
    const int32_t ammo = game.player->weapons[static_cast<size_t>(i)];
    DrawString(ammo < 0 ? std::string("-") : IntToText(ammo), kNumbersX, static_cast<float>(22 + 20 * i));
  }
  const auto top = static_cast<float>(20 + 20 * game.player->weapon);
  const float bottom = top + 19.0f;
  DrawLine(19.0f, top, 276.0f, top, 1);
  DrawLine(276.0f, top, 276.0f, bottom, 1);
  DrawLine(276.0f, bottom, 19.0f, bottom, 1);
  DrawLine(19.0f, bottom, 19.0f, top, 1);
  const std::string corner =
      TrFill("Score: %s   Gegner: %s", {IntToText(game.player->EP), IntToText(game.figureList->Count() - 1)});
  DrawString(corner, 8.0f, static_cast<float>(game.screenH - kHudCornerRise));
  SetColor(red, green, blue);
}

}  // namespace

int32_t Tapp::drawhub() {
  SetDrawRotation(0.0f);
  // A bar of 255 pixels holds 1000; its colour runs from (0, 255, 128) empty to (255, 0, 128) full.
  // The extended HUD frames the bars, so there a bar over 1000 stops at its frame; the classic
  // one draws them as they always were.
  const bool framed = PlayerSettings().hud == THud::Extended;
  const auto bar = [framed](double value, float y) {
    if (framed) value = std::min(value, 1000.0);
    const auto v = static_cast<float>(value / 1000.0 * 255.0);
    SetColor(TruncToInt(v), TruncToInt(255.0 - v), 128);
    DrawRect(20.0f, y, v, 18.0f);
  };
  bar(game.player->HP, 1.0f);
  for (int32_t i = 0; i < 5; ++i) {
    bar(game.player->weapons[i], static_cast<float>(21 + 20 * i));
    std::string label = "W";
    label += IntToText(i + 1);
    label += ':';
    DrawString(label, 0.0f, static_cast<float>(22 + 20 * i));
  }
  DrawString(Tr("HP:"), 0.0f, 0.0f);
  if (framed) DrawHudNumbers();
  return 0;
}

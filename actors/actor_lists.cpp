// The four actor lists, and the making of the figures and items that the loading sequence
// places. Kept apart from the actors' behaviour and drawing, so that placing them (as the
// world tool does) needs neither the screen nor the sound.
#include "actors/tblood.h"
#include "actors/tfigur.h"
#include "actors/titem.h"
#include "actors/tshot.h"
#include "rules/random.h"
#include "state/game.h"

std::shared_ptr<Tfigur> Tfigur::neu(int32_t x, int32_t y, int32_t art) {
  if (!game.figureList) game.figureList = std::make_shared<TList<std::shared_ptr<Tfigur>>>();
  auto f = std::make_shared<Tfigur>();
  f->link_ = game.figureList->AddLast(f);
  f->X = static_cast<float>(x);
  f->Y = static_cast<float>(y);
  f->Art = art;
  f->HP = 100.0f;
  f->weapon = RandomInt(0, 4);
  f->weapons[f->weapon] = 100000;
  return f;
}

int32_t TItem::neu(int32_t x, int32_t y, int32_t art) {
  if (!game.itemList) game.itemList = std::make_shared<TList<TItem>>();
  TItem& item = game.itemList->AddLast()->value();
  item.X = x;
  item.Y = y;
  item.Art = art;
  item.r = RandomInt(360, 1);
  return 0;
}

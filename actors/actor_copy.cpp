#include "actors/actor_copy.h"

#include "actors/tblood.h"
#include "actors/tfigur.h"
#include "actors/titem.h"
#include "actors/tshot.h"

TActors CopyActors(const TActors& from, TFigureCopies& copies) {
  const auto copyOf = [&copies](const std::shared_ptr<Tfigur>& f) -> std::shared_ptr<Tfigur> {
    if (!f) return nullptr;
    auto& copy = copies[f.get()];
    if (!copy) {
      copy = std::make_shared<Tfigur>(*f);
      // Out of every list until a list below takes it, as a dead figure is.
      copy->link_ = nullptr;
    }
    return copy;
  };
  TActors to;
  if (from.figureList) {
    to.figureList = std::make_shared<TList<std::shared_ptr<Tfigur>>>();
    for (auto walk = from.figureList->Walk(); walk.HasNext();) {
      std::shared_ptr<Tfigur> copy = copyOf(walk.NextObject());
      copy->link_ = to.figureList->AddLast(copy);
    }
  }
  to.player = copyOf(from.player);
  if (from.shotList) {
    to.shotList = std::make_shared<TList<std::shared_ptr<tshot>>>();
    for (auto walk = from.shotList->Walk(); walk.HasNext();) {
      const std::shared_ptr<tshot>& shot = walk.NextObject();
      auto copy = std::make_shared<tshot>(*shot);
      copy->f = copyOf(shot->f);
      copy->link_ = to.shotList->AddLast(copy);
    }
  }
  if (from.itemList) {
    to.itemList = std::make_shared<TList<TItem>>();
    for (auto walk = from.itemList->Walk(); walk.HasNext();) to.itemList->AddLast(walk.NextObject());
  }
  if (from.bloodList) {
    to.bloodList = std::make_shared<TList<Tblood>>();
    for (auto walk = from.bloodList->Walk(); walk.HasNext();) to.bloodList->AddLast(walk.NextObject());
  }
  return to;
}

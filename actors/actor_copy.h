// A copy of a game's actors that lives apart from the game: the four lists in their order, each
// figure once (a shot keeps its owner, listed or long dead) and the list links the actors need
// to leave their lists later. A replay viewer keeps such copies to go back to.
#pragma once
#include <memory>
#include <unordered_map>

#include "state/tlist.h"

class Tfigur;
class tshot;
class TItem;
class Tblood;

struct TActors {
  std::shared_ptr<TList<std::shared_ptr<Tfigur>>> figureList;
  std::shared_ptr<TList<TItem>> itemList;
  std::shared_ptr<TList<std::shared_ptr<tshot>>> shotList;
  std::shared_ptr<TList<Tblood>> bloodList;
  std::shared_ptr<Tfigur> player;
};

// Which copy stands for which figure.
using TFigureCopies = std::unordered_map<const Tfigur*, std::shared_ptr<Tfigur>>;

// Copies every actor of `from` into new lists (a list not made yet stays unmade); `copies`
// gets each figure's copy.
TActors CopyActors(const TActors& from, TFigureCopies& copies);

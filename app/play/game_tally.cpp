#include "app/play/game_tally.h"

#include <algorithm>

#include "actors/tfigur.h"
#include "actors/titem.h"
#include "actors/tshot.h"
#include "state/game.h"

namespace {

constexpr int32_t kSplinters = 3;  // W4: its shot scatters shots of the first kind

bool ByAddress(const std::shared_ptr<tshot>& a, const tshot* b) { return a.get() < b; }

template <class Array>
void Add(Array& counts, int32_t index, int32_t n) {
  if (index >= 0 && static_cast<size_t>(index) < counts.size()) counts[static_cast<size_t>(index)] += n;
}

}  // namespace

void TGameTally::RecountFigures(std::array<int32_t, TGameCounts::kEnemyKinds>& byKind) const {
  byKind = {};
  if (!game.figureList) return;
  game.figureList->ForEach([&](Tfigur* f) {
    if (f != player_) Add(byKind, f->Art, 1);
  });
}

void TGameTally::RecountItems(std::array<int32_t, 7>& byKind) const {
  byKind = {};
  if (game.itemList) game.itemList->ForEach([&](TItem* item) { Add(byKind, item->Art, 1); });
}

// What stands now is where counting goes on from.
void TGameTally::Look() {
  player_ = game.player.get();
  playerHeld_ = game.player;
  figures_ = game.figureList ? game.figureList->Count() : 0;
  items_ = game.itemList ? game.itemList->Count() : 0;
  RecountFigures(enemiesByKind_);
  RecountItems(itemsByKind_);
  rounds_ = game.player->weapons;
  held_.clear();
  if (!game.shotList) return;
  for (auto walk = game.shotList->Walk(); walk.HasNext();) {
    const std::shared_ptr<tshot>& shot = walk.NextObject();
    if (shot->f.get() == player_) held_.push_back({shot, shot->art});
  }
}

void TGameTally::Begin(const TGameCounts& from) {
  counts_ = from;
  startSeconds_ = from.seconds;
  if (!game.player) return;
  Look();
  std::sort(held_.begin(), held_.end(), [](const THeld& a, const THeld& b) { return a.shot < b.shot; });
  enemies_ = figures_ - 1 + counts_.Defeated();
}

TGameTally::TPlace TGameTally::Place() const {
  TPlace place{counts_, {}};
  if (!game.shotList) return place;
  game.shotList->ForEach([&](tshot* shot) {
    if (shot->f.get() != player_) return;
    const auto held = std::lower_bound(held_.begin(), held_.end(), shot,
                                       [](const THeld& h, const tshot* s) { return ByAddress(h.shot, s); });
    place.inFlight.push_back(static_cast<int8_t>(held != held_.end() && held->shot.get() == shot ? held->weapon : 0));
  });
  return place;
}

void TGameTally::Resume(const TPlace& place) {
  counts_ = place.counts;
  if (!game.player) return;
  // Look holds the shots in list order; the place names their weapons in that order.
  Look();
  for (size_t i = 0; i < held_.size() && i < place.inFlight.size(); ++i) held_[i].weapon = place.inFlight[i];
  std::sort(held_.begin(), held_.end(), [](const THeld& a, const THeld& b) { return a.shot < b.shot; });
}

void TGameTally::Frame(const TFiredShots& fired) {
  // Only the game begun is counted (a player placed outside Tapp::start, as tests do, is not).
  if (!Counting(game.player.get())) return;

  // Items: a refill of kind k >= 2 gives weapon k - 2 500 div (k - 1) rounds.
  std::array<int32_t, TGameCounts::kWeapons> refills{};
  const int32_t items = game.itemList ? game.itemList->Count() : 0;
  if (items != items_) {
    std::array<int32_t, 7> now{};
    RecountItems(now);
    for (int32_t k = 0; k < 7; ++k) {
      const int32_t taken = itemsByKind_[static_cast<size_t>(k)] - now[static_cast<size_t>(k)];
      counts_.items += taken;
      if (k >= 2) Add(refills, k - 2, taken * (500 / (k - 1)));
    }
    itemsByKind_ = now;
    items_ = items;
  }

  const int32_t figures = game.figureList ? game.figureList->Count() : 0;
  if (figures != figures_) {
    std::array<int32_t, TGameCounts::kEnemyKinds> now{};
    RecountFigures(now);
    for (size_t k = 0; k < now.size(); ++k) counts_.defeated[k] += std::max(0, enemiesByKind_[k] - now[k]);
    enemiesByKind_ = now;
    figures_ = figures;
  }

  // Every shot of the frame was paid from the selected weapon.
  const auto w = static_cast<size_t>(std::clamp(game.player->weapon, 0, 4));
  const int32_t spent = std::max(0, rounds_[w] + refills[w] - game.player->weapons[w]);
  rounds_ = game.player->weapons;

  // The player's shots in the list: held ones seen again, and new ones.
  fresh_.clear();
  seen_.assign(held_.size(), false);
  if (game.shotList) {
    for (auto walk = game.shotList->Walk(); walk.HasNext();) {
      const std::shared_ptr<tshot>& shot = walk.NextObject();
      if (shot->f.get() != player_) continue;
      const auto held = std::lower_bound(held_.begin(), held_.end(), shot.get(),
                                         [](const THeld& h, const tshot* s) { return ByAddress(h.shot, s); });
      if (held != held_.end() && held->shot == shot) {
        seen_[static_cast<size_t>(held - held_.begin())] = true;
      } else {
        fresh_.push_back(shot);
      }
    }
  }
  // Held shots gone: a hit set t to 0; else they ran out of time.
  size_t kept = 0;
  for (size_t i = 0; i < held_.size(); ++i) {
    if (seen_[i]) {
      held_[kept++] = std::move(held_[i]);
    } else if (held_[i].shot->t == 0) {
      Add(counts_.hits, held_[i].weapon, 1);
    }
  }
  held_.resize(kept);

  int32_t made = 0;
  for (const std::shared_ptr<tshot>& shot : {fired.button, fired.enter}) {
    if (!shot) continue;
    ++made;
    Add(counts_.shots, shot->art, 1);
    const auto it = std::find(fresh_.begin(), fresh_.end(), shot);
    if (it != fresh_.end()) {
      held_.push_back({shot, shot->art});
      fresh_.erase(it);
    } else if (shot->t == 0) {
      Add(counts_.hits, shot->art, 1);
    }
  }
  // Any other new shot of the player's is a splinter; those never seen hit at once.
  for (std::shared_ptr<tshot>& shot : fresh_) held_.push_back({std::move(shot), kSplinters});
  const auto seenSplinters = static_cast<int32_t>(fresh_.size());
  const int32_t unseen = std::max(0, spent - made - seenSplinters);
  Add(counts_.shots, kSplinters, seenSplinters + unseen);
  Add(counts_.hits, kSplinters, unseen);
  if (!fresh_.empty() || made != 0) {
    std::sort(held_.begin(), held_.end(), [](const THeld& a, const THeld& b) { return a.shot < b.shot; });
  }
  fresh_.clear();
}

void TGameTally::End(TGameEnd end, int32_t seconds) {
  counts_.end = end;
  counts_.seconds = startSeconds_ + seconds;
}

#include "shot_tally.h"

#include "actors/tshot.h"
#include "state/game.h"

void TShotTally::Frame() {
  std::vector<std::shared_ptr<tshot>> now;
  std::unordered_set<const tshot*> nowSet;
  if (game.shotList) {
    for (auto walk = game.shotList->Walk(); walk.HasNext();) {
      std::shared_ptr<tshot> s = walk.NextObject();
      if (!seenSet_.contains(s.get()) && s->art >= 0 && s->art < 5) {
        ++(s->f == game.player ? byPlayer : byEnemies)[static_cast<size_t>(s->art)];
      }
      nowSet.insert(s.get());
      now.push_back(std::move(s));
    }
  }
  seen_ = std::move(now);
  seenSet_ = std::move(nowSet);
}

std::string TShotTally::Report() const {
  std::string text;
  const auto line = [&](const char* who, const std::array<int64_t, 5>& counts) {
    text += "fired ";
    text += who;
    for (int64_t c : counts) text += ' ' + std::to_string(c);
    text += '\n';
  };
  line("player", byPlayer);
  line("enemies", byEnemies);
  return text;
}

// How the game goes, counted from outside its rules: after each frame the tally looks at
// what the frame left (the figures, the items, the shots and the player's rounds) and reads
// from it what happened, without asking the rules anything or changing what they see.
//
// - An enemy that leaves the figure list has been defeated (the rules remove enemies only
//   when they die); an item that leaves the item list has been picked up by the player.
// - A shot of the player's hits when it ends with its t at 0; it is removed in the update that
//   hits, so the tally holds the player's shots in flight from one frame to the next.
// - Every shot costs one round of the player's selected weapon, so the rounds spent (items
//   refill known amounts) count the shots that left in a frame, also those that hit in the
//   very frame that fired them and were never seen: the shots the controls fired are handed
//   over by the frame, any other shot of the player's is a splinter of a W4 shot.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/play/rules_frame.h"
#include "app/player/game_counts.h"

class Tfigur;
class tshot;

class TGameTally {
 public:
  // Counting starts with the game as it stands, from the counts given (none in a new game,
  // those played before in a game carried on).
  void Begin(const TGameCounts& from = {});
  // Whether the tally counts the game of this player (the one play placed last).
  bool Counting(const Tfigur* player) const { return player != nullptr && player == player_; }
  // After each frame of play, with the shots that the player's controls fired in it.
  void Frame(const TFiredShots& fired);
  // Play is over: how, and the seconds this run of play lasted, pauses left out.
  void End(TGameEnd end, int32_t seconds);

  const TGameCounts& Counts() const { return counts_; }
  // The enemies at the start of the game: those defeated and those still there.
  int32_t Enemies() const { return enemies_; }

  // What a replay that goes back to an earlier frame needs to count on from there: the
  // counts, and the weapon each of the player's shots in flight (in list order) counts for.
  struct TPlace {
    TGameCounts counts;
    std::vector<int8_t> inFlight;
  };
  TPlace Place() const;
  void Resume(const TPlace& place);

 private:
  struct THeld {
    std::shared_ptr<tshot> shot;
    int32_t weapon;
  };
  void Look();
  void RecountFigures(std::array<int32_t, TGameCounts::kEnemyKinds>& byKind) const;
  void RecountItems(std::array<int32_t, 7>& byKind) const;

  TGameCounts counts_;
  int32_t startSeconds_ = 0;
  int32_t enemies_ = 0;
  // The player the tally looks at, null before Begin; held weakly so that no later figure
  // takes its address.
  const Tfigur* player_ = nullptr;
  std::weak_ptr<Tfigur> playerHeld_;
  int32_t figures_ = 0;
  int32_t items_ = 0;
  std::array<int32_t, TGameCounts::kEnemyKinds> enemiesByKind_{};
  std::array<int32_t, 7> itemsByKind_{};
  std::array<int32_t, TGameCounts::kWeapons> rounds_{};
  std::vector<THeld> held_;  // by address
  // Reused from frame to frame.
  std::vector<std::shared_ptr<tshot>> fresh_;
  std::vector<bool> seen_;
};

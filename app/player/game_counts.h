// What a game's score screen and its line among the scores tell of how it went. Plain counts,
// gathered by watching play (app/play/game_tally.h), so that a game carried on later can
// start from them: they are written as one line of text and read back.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class TGameEnd : int32_t {
  ByPlayer,  // Escape, the pause menu or the close button
  Defeated,  // the player's hit points fell below 0
};

struct TGameCounts {
  static constexpr size_t kEnemyKinds = 6;
  static constexpr size_t kWeapons = 5;

  TGameEnd end = TGameEnd::ByPlayer;
  int32_t seconds = 0;                          // played, pauses left out
  std::array<int32_t, kEnemyKinds> defeated{};  // enemies gone from the game, by kind (Art)
  // The player's shots by weapon W1..W5: a shot that leaves, and of those the ones that hit a
  // figure. Enter fires W1's shots; the splinters of a W4 shot, paid for with rounds as any
  // shot, count as W4's.
  std::array<int32_t, kWeapons> shots{};
  std::array<int32_t, kWeapons> hits{};
  int32_t items = 0;  // picked up

  int32_t Defeated() const;
  int32_t Shots() const;
  int32_t Hits() const;
  bool operator==(const TGameCounts&) const = default;
};

// "quit 95 20,21,20,22,20,20 310,0,12,1,0 120,0,5,1,0 14": how it ended ("died" or "quit"),
// the seconds, the enemies by kind, the shots and the hits by weapon, the items.
std::string CountsText(const TGameCounts& counts);
bool ParseCounts(std::string_view text, TGameCounts& counts);

// The same without the seconds, as a scores line carries them (it has its own seconds field):
// four words after the end.
std::string CountsFields(const TGameCounts& counts);
bool ParseCountsFields(const std::vector<std::string_view>& words, TGameCounts& counts);

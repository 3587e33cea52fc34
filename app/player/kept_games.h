// The finished games kept to watch again: $XDG_DATA_HOME/kestrova/games/ holds a demo of each,
// named by the date, time and seed of its score line ("2026-12-09_22-10-05_1765194528.demo"),
// so the scores know which can be watched. Kept are the last few games (the player's setting)
// and those of the ten best scores; the others are removed as new games are kept.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "app/player/scores.h"

inline constexpr int32_t kBestGamesKept = 10;

// The folder; empty when there is no data folder.
std::string KeptGamesFolder();
// The file a finished game's demo is kept in (in KeptGamesFolder()).
std::string KeptGameFile(const TScore& score);

// Keeps the demo of the game that ended with `score` (its line among `scores`, the file's)
// unless `last` is 0, then removes every kept game beyond the `last` newest and the ten best
// of `scores` (all of them for 0). Empty when all went well, else why not.
std::string KeepGame(const TScore& score, const std::string& demo, int32_t last, const std::vector<TScore>& scores);

// The newest kept game's file, and the best score's that is kept; empty when there is none.
std::string LastKeptGame();
std::string BestKeptGame(const std::vector<TScore>& scores);

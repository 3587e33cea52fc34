// The game's command line. Without options the game seeds from the clock and reads config.txt.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

struct TCommandLine {
  bool fresh = false;           // --new: a new game, a saved one left for later
  std::optional<int32_t> seed;  // --seed N: the world's seed instead of the clock (a new game too)
  std::string record;           // --record FILE: write a demo of the game
  std::string replay;           // --replay FILE: watch a demo instead of playing; last, best: a kept game
  std::string report;           // --report FILE: the state when play ends
  bool scores = false;          // --scores: print the best scores and end
  bool help = false;
  bool version = false;
};

// The options, for --help and a command line the game cannot use, in the language in force.
std::string Usage();

// False with `error` set for an unknown option, a missing or malformed value, or options
// that cannot go together.
bool ParseCommandLine(int argc, const char* const* argv, TCommandLine& line, std::string& error);

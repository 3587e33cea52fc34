// Counts the shots fired during a simulated game, by weapon kind and by who fired them: the
// report of the final state only lists the shots still in flight. A shot is counted once it
// has lived through a frame, so one that hit within the frame that fired it is missed.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

class tshot;

class TShotTally {
 public:
  // Call after every frame: counts the shots that joined shotList since the last call.
  void Frame();
  // "fired player k0 .. k4" and "fired enemies k0 .. k4", one line each.
  std::string Report() const;

  std::array<int64_t, 5> byPlayer{};
  std::array<int64_t, 5> byEnemies{};

 private:
  // The shots seen last time, held so that no new shot can take a gone shot's address.
  std::vector<std::shared_ptr<tshot>> seen_;
  std::unordered_set<const tshot*> seenSet_;
};

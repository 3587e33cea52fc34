// Watching the game just played from its score screen: the game is put back as it stood when
// play began, its kept demo plays in the replay viewer (every viewer key, Escape to stop),
// and then the game is put back as it ended, for its score screen to come again. The world
// itself never changes during play, so it is not built again.
#pragma once
#include <cstdint>
#include <string>

#include "actors/actor_copy.h"

// The actors, the camera and the generator as loading left them, before the player is placed.
struct TGameStart {
  TActors actors;
  int32_t camX = 0;
  int32_t camY = 0;
  int32_t rng = 0;
};
TGameStart KeepGameStart();

// Watches the demo in `file`, recorded from `start`; false when it cannot be read (the
// message is on stderr and in a notice).
bool WatchFinishedGame(const TGameStart& start, const std::string& file);

// The stages of the loading sequence: what each announces on the progress screen and the
// work it does after the screen is shown.
#pragma once
#include <cstdint>
#include <vector>

struct TLoadStage {
  int32_t percent;
  const char* caption;
  void (*work)();
};

// The sixteen stages in their binding order: assets, world generation, sounds, enemies,
// items, layer files. A world stage that cannot run (map.txt unreadable) stops the program.
const std::vector<TLoadStage>& LoadStages();

// Whether Escape, the close button or a stop signal ended the loading sequence; the game then
// ends without playing.
bool LoadingStopped();

// The first frame of play's drawing work done while the loading screen is still up (the last
// stage's work, after the layer files), where the driver keeps ground blocks (OpenGL): the
// textures of the actors' pictures, and the ground's blocks around the player's start. The
// first frame then makes none. Shows nothing and leaves the generator and the draw state as
// they were.
void PrepareFirstFrame();

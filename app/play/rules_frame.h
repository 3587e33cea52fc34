// One frame of the game's rules: the player's moves, weapons and shots from the input
// answers, the turn from the pointer, then the world, its actors and the HUD drawn. The game
// loop and the simulator run it alike; what the application adds around it (the pad, the
// player's keys past the rules, the notices, showing the frame) is the loop's.
#pragma once
#include <memory>

class tshot;

// The shots the player's controls fired in the frame (the button, and Enter), or null; handed
// on so the frame's watchers know them, which changes nothing of the frame.
struct TFiredShots {
  std::shared_ptr<tshot> button;
  std::shared_ptr<tshot> enter;
};

TFiredShots RunRulesFrame();

// One frame of the game's rules: the player's moves, weapons and shots from the input
// answers, the turn from the pointer, then the world, its actors and the HUD drawn. The game
// loop and the simulator run it alike; what the application adds around it (the pad, the
// player's keys past the rules, the notices, showing the frame) is the loop's.
#pragma once

void RunRulesFrame();

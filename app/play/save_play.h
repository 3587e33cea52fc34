// Saving the game being played, from the pause menu, to go on with it at the next start.
#pragma once
#include <string>

// Writes the game's demo so far, its frames and its time played to the save file, and marks
// the game saved, so play ends without a score screen. Empty when saved, else why not.
std::string SaveGameBeingPlayed();

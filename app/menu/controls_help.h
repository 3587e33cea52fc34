// The controls in force, for a player who looks for them: listed on the pause screen and by
// kestrova --help, in the language in force.
#pragma once
#include <string>
#include <vector>

#include "app/player/settings.h"

// "Gehen          W Up / S Down", ...: the keys as bound, the mouse, and the pad when one is
// connected.
std::vector<std::string> ControlsInForce(const TPlayerSettings& settings, bool pad);
// The controls of these settings (the player's, for the keys in force) and where to change
// them, for the usage text.
std::string ControlsHelp(const TPlayerSettings& settings = {});

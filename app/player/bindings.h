// The player's keys and mouse put in force. The rules keep asking for the keys they know
// (W or Up to walk, Enter to fire weapon 1, ...); the platform answers them from the keys the
// player bound instead, so a recorded game holds what the rules saw and replays the same
// whatever the bindings. Keys outside the rules (pause, screenshot, full screen, sound) are
// counted past the rules, by the actions in force (app/player/settings_in_force.h).
#pragma once
#include <cstdint>

#include "app/player/settings.h"

// Binds the rules' keys to the player's and sets the mouse's sensitivity and direction.
// Settings equal to the defaults bind nothing: the keys answer for themselves.
void ApplyBindings(const TPlayerSettings& settings);

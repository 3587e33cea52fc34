// The player's keys and mouse put in force. The rules keep asking for the keys they know
// (W or Up to walk, Enter to fire weapon 1, ...); the platform answers them from the keys the
// player bound instead, so a recorded game holds what the rules saw and replays the same
// whatever the bindings. Keys outside the rules (pause, screenshot, full screen, sound) are
// read here, past the rules.
#pragma once
#include <cstdint>

#include "app/player/settings.h"

// Binds the rules' keys to the player's and sets the mouse's sensitivity and direction.
// Settings equal to the defaults bind nothing: the keys answer for themselves.
void ApplyBindings(const TPlayerSettings& settings);
// In play key_fire_weapon1 answers for Enter; on the score screen Enter is Enter again.
void UsePlayBindings(bool play);
// Presses of the action's keys since they were last taken, past the rules.
int32_t ActionPresses(TAction action);
// Whether the player asked to switch between the window and full screen since last asked:
// key_fullscreen, or Alt+Enter (whose Enter then neither quits the score screen).
bool FullScreenAsked();
// The settings in force as last bound, the HUD's among them.
const TPlayerSettings& Bindings();

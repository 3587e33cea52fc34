// The player's settings in force, with one owner: taken from the settings file at start,
// changed by the player's keys and the pause menu, put in force by Apply and kept in the file.
// None of them is a rule of the game, so recorded games are unaffected.
#pragma once
#include <string>

#include "app/player/settings.h"

// The settings file and what it held, in force from Apply on; changes go back to that file.
void TakePlayerSettings(const std::string& settingsFile, const TPlayerSettings& settings);
// The player's settings in force (the defaults until taken).
const TPlayerSettings& PlayerSettings();
// Puts these settings in force and owns them: the sound's volume, the keys and the mouse, the
// window's scaling and full screen (once a window is open) and the language. The HUD, the pause
// and the screenshot keys are read from here where they are used.
void Apply(const TPlayerSettings& to);
// Presses of the action's keys in force since they were last taken, past the rules.
int32_t ActionPresses(TAction action);
// In play key_fire_weapon1 answers for Enter; on the score screen Enter is Enter again.
void UsePlayBindings(bool play);
// Writes the settings to the file if they changed since they were last written.
void KeepPlayerSettings();
// The gain the mixer gets for a setting: 80, the default, plays the sounds at the level they
// were made for; the steps follow loudness rather than amplitude; mute is silence.
float SoundGain(const TPlayerSettings& settings);
// The music's own gain for its volume (the sound's volume and mute apply on top): full at 100,
// half at the default 50, where it sits about 20 dB under the shots.
float MusicGain(const TPlayerSettings& settings);

// The player's hand on the sound, outside the rules of the game: key_mute (M) mutes and
// unmutes, key_volume_down and key_volume_up (minus and plus on the main row and the keypad)
// step the volume by 10, during play and on the score screen. A notice in the corner (app/notices.h) says the new
// state for two seconds. The volume and mute are kept in the per-user settings file; the rules never read these keys, so recorded
// games are unaffected.
#pragma once
#include <string>

#include "app/player/settings.h"

// Sets the volume of everything played from now on; changes go back to the settings file.
void StartSoundControls(const std::string& settingsFile, const TPlayerSettings& settings);
// After the rules of a frame have run and before it is shown: takes the keys.
void RunSoundControls();
// Writes changed settings back to the settings file.
void KeepSoundSettings();
// Settings changed in the pause menu: the sound follows them (a changed volume or mute shows
// in the notice), and the file gets every setting at once.
void ChangePlayerSettings(const TPlayerSettings& to);
// Full screen on or off (F11, Alt+Enter), kept in the settings file at once as the window then
// is, so the next launch opens the way the player left it.
void KeepFullScreen(bool on);
// The player's settings in force, the sound's among them.
const TPlayerSettings& SoundSettings();
// The gain the mixer gets for a setting: 80, the default, plays the sounds at the level they
// were made for; the steps follow loudness rather than amplitude; mute is silence.
float SoundGain(const TPlayerSettings& settings);

// The player's own settings, kept in the per-user settings file
// ($XDG_CONFIG_HOME/kestrova/settings.txt): lines "name = value", '#' starting a comment.
// None of them is a rule of the game, so recorded games never depend on them.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct TPlayerSettings {
  int32_t volume = 80;  // 0 .. 100
  bool mute = false;

  bool operator==(const TPlayerSettings&) const = default;
};

// The settings a file's text holds; names or values the game cannot use keep their defaults
// and are added to problems as "FILE:LINE: ..." messages.
TPlayerSettings ParsePlayerSettings(std::string_view text, const std::string& file, std::vector<std::string>& problems);
// The text with the settings' values put in: lines naming them get the new value, every
// other line (comments, other names) stays, and missing names are added at the end.
std::string UpdatePlayerSettings(std::string_view text, const TPlayerSettings& settings);

// The per-user settings file; empty when there is no per-user folder.
std::string PlayerSettingsFile();
// Reads the file (a missing one gives the defaults); problems go to stderr.
TPlayerSettings ReadPlayerSettings(const std::string& file);
// Puts the settings into the file, written beside it and renamed into place, making its
// folder if needed; a failure is named on stderr with the file and the reason.
bool WritePlayerSettings(const std::string& file, const TPlayerSettings& settings);

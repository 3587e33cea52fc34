// The player's own settings, kept in the per-user settings file
// ($XDG_CONFIG_HOME/kestrova/settings.txt): lines "name = value", '#' starting a comment.
// None of them is a rule of the game: the rules keep asking for the keys and the pointer
// they know, and recorded games hold what the rules saw, whatever the settings.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/language.h"
#include "platform/video/letterbox.h"

// What the player binds keys to, in the order of the file.
enum class TAction : int32_t {
  Forward,
  Back,
  Left,
  Right,
  FireWeapon1,
  Weapon1,
  Weapon2,
  Weapon3,
  Weapon4,
  Weapon5,
  Pause,
  Screenshot,
  FullScreen,
  Mute,
  VolumeDown,
  VolumeUp,
};
constexpr size_t kActions = 16;
using TKeyLists = std::array<std::vector<int32_t>, kActions>;

// The default keys: W or Up forward, ... (the key codes of platform/input/keys.h).
TKeyLists DefaultKeys();
// "key_forward", ...
std::string ActionSettingName(TAction action);

// What the HUD shows: the bars and their labels, or those with the numbers, the selected
// weapon, the score and the enemies left.
enum class THud : int32_t { Classic, Extended };
// The language of the game's texts: German, English, or the desktop's.
enum class TLanguageChoice : int32_t { German, English, Desktop };
// The language a choice puts in force.
TLanguage LanguageOf(TLanguageChoice choice);

inline constexpr int32_t kMostGamesKept = 1000;

struct TPlayerSettings {
  TKeyLists keys = DefaultKeys();
  int32_t volume = 80;  // 0 .. 100
  int32_t music = 50;   // 0 .. 100; 0 plays none
  bool mute = false;
  double mouseSensitivity = 1.0;  // 0.1 .. 10; 1 turns one degree per pixel
  bool mouseInvert = false;
  bool fullscreen = false;  // start on the whole desktop
  THud hud = THud::Classic;
  TLanguageChoice language = TLanguageChoice::German;
  // How a window or full screen larger or smaller than the screen shows it.
  TScaling scaling = TScaling::Smooth;
  // How many of the last finished games keep their demo to watch again; 0 keeps none.
  int32_t gamesKept = 20;

  const std::vector<int32_t>& Keys(TAction action) const { return keys[static_cast<size_t>(action)]; }
  bool operator==(const TPlayerSettings&) const = default;
};

// A problem of a settings line, told short in the game's language for the window.
struct TSettingsProblem {
  int32_t line = 0;
  std::string brief;  // "unbekannter Name", ..., in German: the notice translates it
};

// The settings a file's text holds; names or values the game cannot use keep their defaults
// and are added to problems as "FILE:LINE: ..." messages, and to `briefs` when given.
TPlayerSettings ParsePlayerSettings(std::string_view text, const std::string& file, std::vector<std::string>& problems,
                                    std::vector<TSettingsProblem>* briefs = nullptr);
// The window's notice for a file's problems: "settings.txt Zeile 4: unbekannter Name", and how
// many more there are; empty without problems.
std::string SettingsNotice(const std::vector<TSettingsProblem>& briefs);
// A whole settings file with every name at the given value and a one-line comment each.
std::string PlayerSettingsText(const TPlayerSettings& settings);
// The text with every setting put in: the line that counts for a name gets the new value
// unless it already reads as that value, every other line (comments, other names, earlier
// lines of a name) stays, and missing names are added at the end with their comment.
std::string UpdatePlayerSettings(std::string_view text, const TPlayerSettings& settings);
// Key names as the file writes them: "W Up".
std::string KeyListText(const std::vector<int32_t>& keys);

// The per-user settings file; empty when there is no per-user folder.
std::string PlayerSettingsFile();
// Reads the file and puts its language in force; problems go to stderr, and the first, with
// their number, to `notice` in that language, for the window. A missing file is written with
// the defaults, so the player finds every setting there, unless writeMissing is false.
TPlayerSettings ReadPlayerSettings(const std::string& file, bool writeMissing = true, std::string* notice = nullptr);
// Puts every setting into the file (as UpdatePlayerSettings), written beside it and renamed into place, making
// its folder if needed; a failure is named on stderr with the file and the reason.
bool WritePlayerSettings(const std::string& file, const TPlayerSettings& settings);

#include "app/player/settings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <functional>
#include <utility>

#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/files/whole_file.h"
#include "platform/input/key_names.h"
#include "platform/input/keys.h"
#include "platform/text/words.h"

namespace {

struct TActionEntry {
  const char* name;
  const char* comment;
  std::vector<int32_t> keys;  // the defaults
};

const std::array<TActionEntry, kActions>& Actions() {
  static const std::array<TActionEntry, kActions> actions = {{
      {"key_forward", "Walk forward", {'W', KEY_UP}},
      {"key_back", "Walk back", {'S', KEY_DOWN}},
      {"key_left", "Strafe left", {'A', KEY_LEFT}},
      {"key_right", "Strafe right", {'D', KEY_RIGHT}},
      {"key_fire_weapon1", "Fire weapon 1 (the left mouse button fires the weapon selected)", {KEY_ENTER}},
      {"key_weapon1", "Select weapon 1", {'1'}},
      {"key_weapon2", "Select weapon 2", {'2'}},
      {"key_weapon3", "Select weapon 3", {'3'}},
      {"key_weapon4", "Select weapon 4", {'4'}},
      {"key_weapon5", "Select weapon 5", {'5'}},
      {"key_pause", "Pause and go on", {'P', KEY_PAUSE}},
      {"key_screenshot", "Save a screenshot", {KEY_F12}},
      {"key_fullscreen", "Window or full screen (Alt+Enter too)", {KEY_F11}},
      {"key_mute", "Sound off and on", {'M'}},
      {"key_volume_down", "Sound quieter", {KEY_MINUS, KEY_NUMPADMINUS}},
      {"key_volume_up", "Sound louder", {KEY_EQUALS, KEY_NUMPADPLUS}},
  }};
  return actions;
}

std::string_view Trim(std::string_view s) {
  const size_t first = s.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// The lines of a text, without their LF.
std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    lines.push_back(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
  }
  return lines;
}

// The name of a "name = value" line; empty for blank lines, comments and lines without '='.
// A '#' after white space ends the value: `comment` is what follows the value, from the white
// space before the '#' on.
std::string_view NameOf(std::string_view line, std::string_view* value = nullptr, std::string_view* comment = nullptr) {
  line = Trim(line);
  const size_t eq = line.find('=');
  if (line.empty() || line[0] == '#' || eq == std::string_view::npos) return {};
  const std::string_view rest = Trim(line.substr(eq + 1));
  size_t hash = 1;
  while (hash < rest.size() && !(rest[hash] == '#' && (rest[hash - 1] == ' ' || rest[hash - 1] == '\t'))) ++hash;
  const std::string_view own = Trim(rest.substr(0, hash));
  if (value != nullptr) *value = own;
  if (comment != nullptr) *comment = hash < rest.size() ? rest.substr(own.size()) : std::string_view{};
  return Trim(line.substr(0, eq));
}

// Key names separated by spaces; a name may hold spaces itself ("Keypad +", "Left Alt"), so
// the longest run of words that names a key wins.
bool ParseKeys(std::string_view value, std::vector<int32_t>& keys, std::string& bad) {
  const std::vector<std::string_view> words = Words(value);
  std::vector<int32_t> parsed;
  for (size_t i = 0; i < words.size();) {
    size_t taken = 0;
    for (size_t n = std::min<size_t>(3, words.size() - i); n > 0 && taken == 0; --n) {
      const std::string_view name(words[i].data(), words[i + n - 1].data() + words[i + n - 1].size() - words[i].data());
      if (const int32_t code = KeyCodeFromName(name); code != 0) {
        parsed.push_back(code);
        taken = n;
      }
    }
    if (taken == 0) {
      bad = std::string(words[i]);
      return false;
    }
    i += taken;
  }
  if (parsed.empty()) return false;
  keys = parsed;
  return true;
}

bool ParseReal(std::string_view value, double low, double high, double& out) {
  double v = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
  if (ec != std::errc() || end != value.data() + value.size() || !(v >= low && v <= high)) return false;
  out = v;
  return true;
}

bool ParseYesNo(std::string_view value, bool& out) {
  for (const char* yes : {"yes", "true", "on", "1"}) {
    if (value == yes) return out = true;
  }
  for (const char* no : {"no", "false", "off", "0"}) {
    if (value == no) {
      out = false;
      return true;
    }
  }
  return false;
}

std::string YesNo(bool on) { return on ? "yes" : "no"; }

const char* HudName(THud hud) { return hud == THud::Extended ? "extended" : "classic"; }

bool ParseHud(std::string_view value, THud& out) {
  if (value != "classic" && value != "extended") return false;
  out = value == "extended" ? THud::Extended : THud::Classic;
  return true;
}

// The file's words for the languages, in the order of TLanguageChoice.
constexpr std::array<const char*, 3> kLanguageWords = {"de", "en", "auto"};

bool ParseLanguage(std::string_view value, TLanguageChoice& out) {
  for (size_t i = 0; i < kLanguageWords.size(); ++i) {
    if (value == kLanguageWords[i]) {
      out = static_cast<TLanguageChoice>(i);
      return true;
    }
  }
  return false;
}

constexpr std::array<std::pair<const char*, TScaling>, 3> kScalings = {
    {{"smooth", TScaling::Smooth}, {"sharp", TScaling::Sharp}, {"whole", TScaling::Whole}}};

bool ParseScaling(std::string_view value, TScaling& out) {
  for (const auto& [name, scaling] : kScalings) {
    if (value == name) {
      out = scaling;
      return true;
    }
  }
  return false;
}

std::string ScalingName(TScaling scaling) {
  for (const auto& [name, s] : kScalings) {
    if (s == scaling) return name;
  }
  return kScalings[0].first;
}

// The most of a line's text a message repeats.
constexpr size_t kShownBytes = 60;
// A line longer than any setting needs; it is named, not read.
constexpr size_t kLongestLine = 1000;

// The text in single quotes.
std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  quoted += text;
  return quoted += '\'';
}

// Text from the file as a message shows it: bytes that are no printable ASCII (terminal
// escapes, NUL, bytes of other encodings) written as \xNN, and cut after kShownBytes.
std::string Shown(std::string_view text) {
  static const char kHex[] = "0123456789abcdef";
  std::string shown;
  for (size_t i = 0; i < text.size() && i < kShownBytes; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7f && c != '\\') {
      shown += static_cast<char>(c);
    } else {
      shown += "\\x";
      shown += kHex[c >> 4];
      shown += kHex[c & 15];
    }
  }
  if (text.size() > kShownBytes) shown += "...";
  return shown;
}

std::string Real(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

// The settings that are not keys: name, comment, the value as the file writes it, and the
// parser that takes a value (false: unusable, with `expected` saying what would do).
struct TValueEntry {
  const char* name;
  const char* comment;
  const char* expected;
  std::function<std::string(const TPlayerSettings&)> text;
  std::function<bool(std::string_view, TPlayerSettings&)> parse;
};

const std::vector<TValueEntry>& Values() {
  static const std::vector<TValueEntry> values = {
      {"volume", "Sound volume, 0 to 100 (the volume keys step it by 10)", "a whole number from 0 to 100",
       [](const TPlayerSettings& s) { return std::to_string(s.volume); },
       [](std::string_view v, TPlayerSettings& s) { return ParseInt(v, s.volume, 0, 100); }},
      {"music", "Music volume, 0 to 100; 0 plays none", "a whole number from 0 to 100",
       [](const TPlayerSettings& s) { return std::to_string(s.music); },
       [](std::string_view v, TPlayerSettings& s) { return ParseInt(v, s.music, 0, 100); }},
      {"mute", "Sound off: yes or no", "yes or no", [](const TPlayerSettings& s) { return YesNo(s.mute); },
       [](std::string_view v, TPlayerSettings& s) { return ParseYesNo(v, s.mute); }},
      {"mouse_sensitivity", "Degrees the player turns for a pixel of mouse movement, 0.1 to 10",
       "a number from 0.1 to 10", [](const TPlayerSettings& s) { return Real(s.mouseSensitivity); },
       [](std::string_view v, TPlayerSettings& s) { return ParseReal(v, 0.1, 10.0, s.mouseSensitivity); }},
      {"mouse_invert", "Turn the other way: yes or no", "yes or no",
       [](const TPlayerSettings& s) { return YesNo(s.mouseInvert); },
       [](std::string_view v, TPlayerSettings& s) { return ParseYesNo(v, s.mouseInvert); }},
      {"fullscreen", "Start on the whole desktop instead of a window: yes or no", "yes or no",
       [](const TPlayerSettings& s) { return YesNo(s.fullscreen); },
       [](std::string_view v, TPlayerSettings& s) { return ParseYesNo(v, s.fullscreen); }},
      {"hud", "What the HUD shows: classic (the bars) or extended (numbers, the weapon, score and enemies)",
       "classic or extended", [](const TPlayerSettings& s) { return std::string(HudName(s.hud)); },
       [](std::string_view v, TPlayerSettings& s) { return ParseHud(v, s.hud); }},
      {"language", "Language of the game's texts: de (German), en (English) or auto (the desktop's)", "de, en or auto",
       [](const TPlayerSettings& s) { return kLanguageWords[static_cast<size_t>(s.language)]; },
       [](std::string_view v, TPlayerSettings& s) { return ParseLanguage(v, s.language); }},
      {"scaling",
       "How full screen or a resized window scales the picture: smooth (filtered), sharp (nearest pixel) or "
       "whole (the largest whole multiple that fits, sharp)",
       "smooth, sharp or whole", [](const TPlayerSettings& s) { return ScalingName(s.scaling); },
       [](std::string_view v, TPlayerSettings& s) { return ParseScaling(v, s.scaling); }},
      {"games_kept",
       "How many of the last games are kept to watch again (the ten best are kept too), 0 to 1000; 0 keeps none",
       "a whole number from 0 to 1000", [](const TPlayerSettings& s) { return std::to_string(s.gamesKept); },
       [](std::string_view v, TPlayerSettings& s) { return ParseInt(v, s.gamesKept, 0, kMostGamesKept); }},
  };
  return values;
}

const TValueEntry* FindValue(std::string_view name) {
  for (const TValueEntry& v : Values()) {
    if (name == v.name) return &v;
  }
  return nullptr;
}

}  // namespace

TLanguage LanguageOf(TLanguageChoice choice) {
  if (choice == TLanguageChoice::Desktop) return DesktopLanguage();
  return choice == TLanguageChoice::English ? TLanguage::English : TLanguage::German;
}

TKeyLists DefaultKeys() {
  TKeyLists keys;
  for (size_t i = 0; i < kActions; ++i) keys[i] = Actions()[i].keys;
  return keys;
}

std::string ActionSettingName(TAction action) { return Actions()[static_cast<size_t>(action)].name; }

std::string KeyListText(const std::vector<int32_t>& keys) {
  std::string text;
  for (int32_t k : keys) {
    if (!text.empty()) text += ' ';
    text += KeyName(k);
  }
  return text;
}

TPlayerSettings ParsePlayerSettings(std::string_view text, const std::string& file, std::vector<std::string>& problems,
                                    std::vector<TSettingsProblem>* briefs) {
  TPlayerSettings settings;
  int32_t number = 0;
  std::vector<std::pair<std::string, int32_t>> seen;  // each name set and its last line
  const auto brief = [&](const char* what) {
    if (briefs != nullptr) briefs->push_back({number, what});
  };
  for (std::string_view line : Lines(text)) {
    ++number;
    const std::string where = file + ":" + std::to_string(number) + ": ";
    if (line.size() > kLongestLine) {
      problems.push_back(where + "a line of " + std::to_string(line.size()) + " bytes, longer than any setting (" +
                         std::to_string(kLongestLine) + " at most), is passed over: '" + Shown(line) + "'");
      brief(TrLater("Zeile zu lang"));
      continue;
    }
    std::string_view value;
    const std::string_view name = NameOf(line, &value);
    if (name.empty()) {
      const std::string_view trimmed = Trim(line);
      if (!trimmed.empty() && trimmed[0] != '#') {
        problems.push_back(where + "'" + Shown(trimmed) + "' is no setting: write name = value");
        brief(TrLater("keine Einstellung"));
      }
      continue;
    }
    const TValueEntry* entry = FindValue(name);
    size_t action = 0;
    while (action < kActions && name != Actions()[action].name) ++action;
    if (entry == nullptr && action == kActions) {
      problems.push_back(where + "unknown setting '" + Shown(name) + "'");
      brief(TrLater("unbekannter Name"));
      continue;
    }
    // The last line that sets a name counts, and it is the one the game writes back to.
    const auto earlier = std::find_if(seen.begin(), seen.end(), [&](const auto& s) { return s.first == name; });
    if (earlier != seen.end()) {
      problems.push_back(where + std::string(name) + " is set again (line " + std::to_string(earlier->second) +
                         " set it before); this line counts");
      brief(TrLater("doppelter Name"));
      earlier->second = number;
    } else {
      seen.emplace_back(name, number);
    }
    if (entry != nullptr) {
      // A name set again starts from the default: the earlier line no longer counts.
      entry->parse(entry->text(TPlayerSettings{}), settings);
      if (!entry->parse(value, settings)) {
        problems.push_back(where + entry->name + " must be " + entry->expected + ", not '" + Shown(value) +
                           "'; using " + entry->text(TPlayerSettings{}));
        brief(TrLater("falscher Wert"));
      }
      continue;
    }
    std::string bad;
    settings.keys[action] = Actions()[action].keys;
    if (!ParseKeys(value, settings.keys[action], bad)) {
      std::string what = "no key given";
      if (!bad.empty()) what = Quoted(Shown(bad)) + " is no key name";
      problems.push_back(where + std::string(name) + ": " + what + "; using " + KeyListText(Actions()[action].keys));
      brief(TrLater("unbekannte Taste"));
    } else if (std::find(settings.keys[action].begin(), settings.keys[action].end(), KEY_ESCAPE) !=
               settings.keys[action].end()) {
      // Escape ends play and leaves the menu, so the menu binds it to nothing either.
      settings.keys[action] = Actions()[action].keys;
      problems.push_back(where + std::string(name) + ": Escape ends play and is bound to nothing else; using " +
                         KeyListText(Actions()[action].keys));
      brief(TrLater("Escape ist nicht belegbar"));
    }
  }
  return settings;
}

std::string PlayerSettingsText(const TPlayerSettings& settings) {
  std::string text =
      "# Kestrova: your settings. Lines \"name = value\"; '#' starts a comment.\n"
      "# Keys: one or more key names, as SDL names them (W, Up, Return, Keypad +, F11, ...).\n";
  for (size_t i = 0; i < kActions; ++i) {
    text += std::string("# ") + Actions()[i].comment + "\n" + Actions()[i].name + " = " +
            KeyListText(settings.keys[i]) + "\n";
  }
  for (const TValueEntry& v : Values())
    text += std::string("# ") + v.comment + "\n" + v.name + " = " + v.text(settings) + "\n";
  return text;
}

std::string UpdatePlayerSettings(std::string_view text, const TPlayerSettings& settings) {
  // Every setting: its name, comment, value as written, and whether a line's value reads as it.
  struct TLine {
    std::string name;
    std::string comment;
    std::string value;
    std::function<bool(std::string_view)> holds;
  };
  std::vector<TLine> entries;
  for (size_t a = 0; a < kActions; ++a) {
    entries.push_back({Actions()[a].name, Actions()[a].comment, KeyListText(settings.keys[a]),
                       [&settings, a](std::string_view value) {
                         std::vector<int32_t> keys;
                         std::string bad;
                         return ParseKeys(value, keys, bad) && keys == settings.keys[a];
                       }});
  }
  for (const TValueEntry& v : Values()) {
    entries.push_back({v.name, v.comment, v.text(settings), [&settings, &v](std::string_view value) {
                         TPlayerSettings read = settings;
                         return v.parse(value, read) && v.text(read) == v.text(settings);
                       }});
  }
  const std::vector<std::string_view> lines = Lines(text);
  // Reading takes the last line that names a setting, so that is the line to change.
  std::vector<size_t> last(entries.size(), lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].size() > kLongestLine) continue;
    const std::string_view name = NameOf(lines[i]);
    for (size_t e = 0; e < entries.size(); ++e) {
      if (name == entries[e].name) last[e] = i;
    }
  }
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) {
    const auto kept = std::find(last.begin(), last.end(), i);
    std::string_view value;
    std::string_view comment;
    NameOf(lines[i], &value, &comment);
    if (kept != last.end() && !entries[static_cast<size_t>(kept - last.begin())].holds(value)) {
      const TLine& e = entries[static_cast<size_t>(kept - last.begin())];
      out += e.name + " = " + e.value;
      out += comment;
    } else {
      out += lines[i];
    }
    out += '\n';
  }
  for (size_t e = 0; e < entries.size(); ++e) {
    if (last[e] == lines.size())
      out += "# " + entries[e].comment + "\n" + entries[e].name + " = " + entries[e].value + "\n";
  }
  return out;
}

std::string PlayerSettingsFile() {
  const std::string folder = UserConfigFolder();
  return folder.empty() ? std::string{} : folder + "/settings.txt";
}

namespace {

// The largest settings file read; a bigger one is no settings file the game wrote.
constexpr int64_t kMostSettingsBytes = 1 << 20;

// The file's text; false when there is none (why empty) or it cannot be read (why says why).
// Only a regular file of at most kMostSettingsBytes is read, and the open never waits: a
// link to a device or a FIFO would hold the start for ever.
bool ReadText(const std::string& file, std::string& text, std::string& why) {
  return ReadFileWhole(file, kMostSettingsBytes, "a settings file", text, why);
}

std::string Folder(const std::string& file) {
  const size_t slash = file.rfind('/');
  return slash == std::string::npos ? std::string(".") : file.substr(0, slash);
}

}  // namespace

std::string SettingsNotice(const std::vector<TSettingsProblem>& briefs) {
  if (briefs.empty()) return {};
  const std::string line = std::to_string(briefs[0].line);
  if (briefs.size() == 1) return TrFill("settings.txt Zeile %s: %s", {line, Tr(briefs[0].brief)});
  return TrFill("settings.txt Zeile %s: %s (+%s weitere)",
                {line, Tr(briefs[0].brief), std::to_string(briefs.size() - 1)});
}

TPlayerSettings ReadPlayerSettings(const std::string& file, bool writeMissing, std::string* notice) {
  // A file that cannot be read leaves the default language in force, as its other defaults.
  UseLanguage(LanguageOf(TPlayerSettings{}.language));
  if (file.empty()) return {};
  std::string text;
  std::string why;
  if (!ReadText(file, text, why)) {
    if (!why.empty()) {
      std::fprintf(stderr, "Kestrova: cannot read %s: %s; using the default settings\n", file.c_str(), why.c_str());
    } else if (writeMissing && (!MakeFolders(Folder(file), &why) ||
                                !(why = WriteFileAtomically(file, PlayerSettingsText({}))).empty())) {
      std::fprintf(stderr, "Kestrova: cannot write the default settings to %s: %s\n", file.c_str(), why.c_str());
    }
    return {};
  }
  std::vector<std::string> problems;
  std::vector<TSettingsProblem> briefs;
  const TPlayerSettings settings = ParsePlayerSettings(text, file, problems, &briefs);
  UseLanguage(LanguageOf(settings.language));
  for (const std::string& p : problems) std::fprintf(stderr, "Kestrova: %s\n", p.c_str());
  if (notice != nullptr) *notice = SettingsNotice(briefs);
  return settings;
}

bool WritePlayerSettings(const std::string& file, const TPlayerSettings& settings) {
  if (file.empty()) return false;
  std::string text;
  std::string why;
  // A file that is there but cannot be read is not overwritten: the player's lines would be lost.
  bool ok = ReadText(file, text, why) || why.empty();
  if (ok) ok = MakeFolders(Folder(file), &why);
  if (ok) ok = (why = WriteFileAtomically(file, UpdatePlayerSettings(text, settings))).empty();
  if (!ok) std::fprintf(stderr, "Kestrova: cannot keep the settings in %s: %s\n", file.c_str(), why.c_str());
  return ok;
}

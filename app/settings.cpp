#include "app/settings.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <functional>

#include "app/notices.h"
#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/input/key_names.h"
#include "platform/input/keys.h"

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
std::string_view NameOf(std::string_view line, std::string_view* value = nullptr) {
  line = Trim(line);
  const size_t eq = line.find('=');
  if (line.empty() || line[0] == '#' || eq == std::string_view::npos) return {};
  if (value != nullptr) *value = Trim(line.substr(eq + 1));
  return Trim(line.substr(0, eq));
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  size_t at = 0;
  while ((at = text.find_first_not_of(" \t", at)) != std::string_view::npos) {
    const size_t end = std::min(text.find_first_of(" \t", at), text.size());
    words.push_back(text.substr(at, end - at));
    at = end;
  }
  return words;
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

bool ParseWhole(std::string_view value, int32_t low, int32_t high, int32_t& out) {
  int32_t v = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
  if (ec != std::errc() || end != value.data() + value.size() || v < low || v > high) return false;
  out = v;
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
       [](std::string_view v, TPlayerSettings& s) { return ParseWhole(v, 0, 100, s.volume); }},
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
  const auto brief = [&](const char* what) {
    if (briefs != nullptr) briefs->push_back({number, what});
  };
  for (std::string_view line : Lines(text)) {
    ++number;
    std::string_view value;
    const std::string_view name = NameOf(line, &value);
    const std::string where = file + ":" + std::to_string(number) + ": ";
    if (name.empty()) {
      const std::string_view trimmed = Trim(line);
      if (!trimmed.empty() && trimmed[0] != '#') {
        problems.push_back(where + "'" + std::string(trimmed) + "' is no setting: write name = value");
        brief("keine Einstellung");
      }
      continue;
    }
    if (const TValueEntry* entry = FindValue(name)) {
      if (!entry->parse(value, settings)) {
        problems.push_back(where + entry->name + " must be " + entry->expected + ", not '" + std::string(value) +
                           "'; using " + entry->text(TPlayerSettings{}));
        brief("falscher Wert");
      }
      continue;
    }
    size_t action = 0;
    while (action < kActions && name != Actions()[action].name) ++action;
    if (action == kActions) {
      problems.push_back(where + "unknown setting '" + std::string(name) + "'");
      brief("unbekannter Name");
      continue;
    }
    std::string bad;
    if (!ParseKeys(value, settings.keys[action], bad)) {
      problems.push_back(where + std::string(name) + ": " +
                         (bad.empty() ? "no key given" : "'" + bad + "' is no key name") + "; using " +
                         KeyListText(Actions()[action].keys));
      brief("unbekannte Taste");
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
  std::vector<const TValueEntry*> missing = {FindValue("volume"), FindValue("mute")};
  std::string out;
  for (std::string_view line : Lines(text)) {
    const std::string_view name = NameOf(line);
    const auto kept =
        std::find_if(missing.begin(), missing.end(), [&](const TValueEntry* v) { return name == v->name; });
    if (kept != missing.end()) {
      out += std::string((*kept)->name) + " = " + (*kept)->text(settings);
      missing.erase(kept);
    } else {
      out += line;
    }
    out += '\n';
  }
  for (const TValueEntry* v : missing)
    out += std::string("# ") + v->comment + "\n" + v->name + " = " + v->text(settings) + "\n";
  return out;
}

std::string PlayerSettingsFile() {
  const std::string folder = UserConfigFolder();
  return folder.empty() ? std::string{} : folder + "/settings.txt";
}

namespace {

// The file's text; false when there is none (why empty) or it cannot be read (why says why).
bool ReadText(const std::string& file, std::string& text, std::string& why) {
  FILE* in = std::fopen(file.c_str(), "rb");
  if (in == nullptr) {
    if (errno != ENOENT) why = std::strerror(errno);
    return false;
  }
  char buffer[4096];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, in)) > 0) text.append(buffer, got);
  const bool failed = std::ferror(in) != 0;
  if (failed) why = std::strerror(errno);
  std::fclose(in);
  return !failed;
}

std::string Folder(const std::string& file) {
  const size_t slash = file.rfind('/');
  return slash == std::string::npos ? std::string(".") : file.substr(0, slash);
}

}  // namespace

std::string SettingsNotice(const std::vector<TSettingsProblem>& briefs) {
  if (briefs.empty()) return {};
  std::string notice = "settings.txt Zeile " + std::to_string(briefs[0].line) + ": " + briefs[0].brief;
  if (briefs.size() > 1) notice += " (+" + std::to_string(briefs.size() - 1) + " weitere)";
  return notice;
}

TPlayerSettings ReadPlayerSettings(const std::string& file) {
  if (file.empty()) return {};
  std::string text;
  std::string why;
  if (!ReadText(file, text, why)) {
    if (!why.empty()) {
      std::fprintf(stderr, "Kestrova: cannot read %s: %s; using the default settings\n", file.c_str(), why.c_str());
    } else if (!MakeFolders(Folder(file), &why) || !(why = WriteFileAtomically(file, PlayerSettingsText({}))).empty()) {
      std::fprintf(stderr, "Kestrova: cannot write the default settings to %s: %s\n", file.c_str(), why.c_str());
    }
    return {};
  }
  std::vector<std::string> problems;
  std::vector<TSettingsProblem> briefs;
  const TPlayerSettings settings = ParsePlayerSettings(text, file, problems, &briefs);
  for (const std::string& p : problems) std::fprintf(stderr, "Kestrova: %s\n", p.c_str());
  const std::string notice = SettingsNotice(briefs);
  if (!notice.empty()) PostNotice(notice);
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

#include "app/settings.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "platform/atomic_file.h"
#include "platform/paths.h"

namespace {

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

// The name of a setting line, empty for blank and comment lines.
std::string_view NameOf(std::string_view line, std::string_view* value = nullptr) {
  line = Trim(line);
  if (line.empty() || line[0] == '#') return {};
  const size_t eq = line.find('=');
  if (value != nullptr) *value = eq == std::string_view::npos ? std::string_view{} : Trim(line.substr(eq + 1));
  return Trim(line.substr(0, eq));
}

bool ParseVolume(std::string_view value, int32_t& volume) {
  int32_t v = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), v);
  if (ec != std::errc() || end != value.data() + value.size() || v < 0 || v > 100) return false;
  volume = v;
  return true;
}

bool ParseYesNo(std::string_view value, bool& on) {
  for (const char* yes : {"yes", "true", "on", "1"}) {
    if (value == yes) return on = true;
  }
  for (const char* no : {"no", "false", "off", "0"}) {
    if (value == no) {
      on = false;
      return true;
    }
  }
  return false;
}

}  // namespace

TPlayerSettings ParsePlayerSettings(std::string_view text, const std::string& file,
                                    std::vector<std::string>& problems) {
  TPlayerSettings settings;
  int32_t number = 0;
  for (std::string_view line : Lines(text)) {
    ++number;
    std::string_view value;
    const std::string_view name = NameOf(line, &value);
    if (name.empty() && (Trim(line).empty() || Trim(line)[0] == '#')) continue;
    const std::string where = file + ":" + std::to_string(number) + ": ";
    if (line.find('=') == std::string_view::npos) {
      problems.push_back(where + "'" + std::string(Trim(line)) + "' is no setting: write name = value");
    } else if (name == "volume") {
      if (!ParseVolume(value, settings.volume)) {
        problems.push_back(where + "volume must be a whole number from 0 to 100, not '" + std::string(value) +
                           "'; using 80");
      }
    } else if (name == "mute") {
      if (!ParseYesNo(value, settings.mute)) {
        problems.push_back(where + "mute must be yes or no, not '" + std::string(value) + "'; using no");
      }
    } else {
      problems.push_back(where + "unknown setting '" + std::string(name) + "'");
    }
  }
  return settings;
}

std::string UpdatePlayerSettings(std::string_view text, const TPlayerSettings& settings) {
  const std::string volume = "volume = " + std::to_string(settings.volume);
  const std::string mute = std::string("mute = ") + (settings.mute ? "yes" : "no");
  bool haveVolume = false;
  bool haveMute = false;
  std::string out;
  for (std::string_view line : Lines(text)) {
    const std::string_view name = NameOf(line);
    if (name == "volume" && line.find('=') != std::string_view::npos) {
      out += volume;
      haveVolume = true;
    } else if (name == "mute" && line.find('=') != std::string_view::npos) {
      out += mute;
      haveMute = true;
    } else {
      out += line;
    }
    out += '\n';
  }
  if (!haveVolume) out += "# Sound volume, 0 to 100 (- and + in the game)\n" + volume + "\n";
  if (!haveMute) out += "# Sound off: yes or no (M in the game)\n" + mute + "\n";
  return out;
}

std::string PlayerSettingsFile() {
  const std::string folder = UserConfigFolder();
  return folder.empty() ? std::string{} : folder + "/settings.txt";
}

namespace {

// The file's text, empty when there is none; false when it is there but cannot be read.
bool ReadText(const std::string& file, std::string& text, std::string& why) {
  FILE* in = std::fopen(file.c_str(), "rb");
  if (in == nullptr) {
    if (errno == ENOENT) return true;
    why = std::strerror(errno);
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

}  // namespace

TPlayerSettings ReadPlayerSettings(const std::string& file) {
  std::string text;
  std::string why;
  if (file.empty()) return {};
  if (!ReadText(file, text, why)) {
    std::fprintf(stderr, "Kestrova: cannot read %s: %s; using the default settings\n", file.c_str(), why.c_str());
    return {};
  }
  std::vector<std::string> problems;
  const TPlayerSettings settings = ParsePlayerSettings(text, file, problems);
  for (const std::string& p : problems) std::fprintf(stderr, "Kestrova: %s\n", p.c_str());
  return settings;
}

bool WritePlayerSettings(const std::string& file, const TPlayerSettings& settings) {
  if (file.empty()) return false;
  std::string text;
  std::string why;
  // A file that cannot be read is not overwritten: the player's other lines would be lost.
  bool ok = ReadText(file, text, why);
  const size_t slash = file.rfind('/');
  if (ok && slash != std::string::npos) ok = MakeFolders(file.substr(0, slash), &why);
  if (ok) {
    why = WriteFileAtomically(file, UpdatePlayerSettings(text, settings));
    ok = why.empty();
  }
  if (!ok) std::fprintf(stderr, "Kestrova: cannot keep the settings in %s: %s\n", file.c_str(), why.c_str());
  return ok;
}

#include "app/player/saved_game.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/files/whole_file.h"
#include "platform/system/clock.h"
#include "platform/text/words.h"

namespace {

uint64_t Fnv1a(std::string_view bytes) {
  uint64_t hash = 0xcbf29ce484222325u;
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3u;
  }
  return hash;
}

std::string SumLine(std::string_view body) {
  char line[32];
  std::snprintf(line, sizeof line, "sum %016" PRIx64 "\n", Fnv1a(body));
  return line;
}

// The header line `key VALUE` at `pos`, its value in `value`; pos moves past it.
bool HeaderLine(const std::string& text, size_t& pos, std::string_view key, std::string& value) {
  const size_t end = text.find('\n', pos);
  if (end == std::string::npos) return false;
  const std::string_view line(text.data() + pos, end - pos);
  if (line.substr(0, key.size()) != key || line.size() <= key.size() || line[key.size()] != ' ') return false;
  value = std::string(line.substr(key.size() + 1));
  pos = end + 1;
  return true;
}

bool HeaderNumber(const std::string& text, size_t& pos, std::string_view key, int32_t& value, int32_t low = 0) {
  std::string word;
  return HeaderLine(text, pos, key, word) && ParseInt(word, value, low);
}

}  // namespace

std::string SavedGameFile() {
  const std::string folder = UserDataFolder();
  return folder.empty() ? std::string() : folder + "/saved_game.txt";
}

std::string SavedGameText(const TSavedGame& save) {
  std::string text = std::string(kSaveFormat) + ' ' + std::to_string(kSaveVersion) + '\n';
  text += "rules " + std::to_string(kSaveRules) + '\n';
  text += "saved " + save.saved + '\n';
  text += "frames " + std::to_string(save.frames) + '\n';
  text += "played " + std::to_string(save.playedMs) + '\n';
  text += "clock " + std::to_string(save.clock) + '\n';
  text += "demo " + std::to_string(save.demo.size()) + '\n';
  text += save.demo;
  return text + SumLine(text);
}

bool ParseSavedGame(const std::string& text, TSavedGame& save, std::string& why) {
  size_t pos = 0;
  std::string format;
  int32_t version = 0;
  if (!HeaderLine(text, pos, kSaveFormat, format) || !ParseInt(format, version, 1)) {
    why = "it is no saved game of Kestrova";
    return false;
  }
  if (version != kSaveVersion) {
    why = "it was saved in another version of its format (" + format + ")";
    return false;
  }
  // The sum first: whatever else the file says counts only if it is the file that was written.
  const size_t sum = text.rfind("sum ", text.size() >= 1 ? text.size() - 1 : 0);
  if (sum == std::string::npos || (sum != 0 && text[sum - 1] != '\n') ||
      text.substr(sum) != SumLine(text.substr(0, sum))) {
    why = "it is damaged or cut short (its check sum does not match)";
    return false;
  }
  int32_t rules = 0;
  int32_t bytes = 0;
  TSavedGame read;
  if (!HeaderNumber(text, pos, "rules", rules) || !HeaderLine(text, pos, "saved", read.saved) ||
      !HeaderNumber(text, pos, "frames", read.frames) || !HeaderNumber(text, pos, "played", read.playedMs) ||
      !HeaderNumber(text, pos, "clock", read.clock, INT32_MIN) || !HeaderNumber(text, pos, "demo", bytes) ||
      pos + static_cast<size_t>(bytes) != sum) {
    why = "its header is malformed";
    return false;
  }
  if (rules != kSaveRules) {
    why = "it was played by other rules (version " + std::to_string(rules) + ", these are " +
          std::to_string(kSaveRules) + ")";
    return false;
  }
  read.demo = text.substr(pos, static_cast<size_t>(bytes));
  save = std::move(read);
  return true;
}

TSaveFound ReadSavedGame(const std::string& path, TSavedGame& save, std::string& why) {
  std::string text;
  if (!ReadFileWhole(path, kSaveMostBytes, "a saved game", text, why)) {
    return why.empty() ? TSaveFound::None : TSaveFound::Unusable;
  }
  return ParseSavedGame(text, save, why) ? TSaveFound::Usable : TSaveFound::Unusable;
}

std::string WriteSavedGame(const std::string& path, const TSavedGame& save) {
  const size_t slash = path.rfind('/');
  std::string problem;
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash), &problem)) return problem;
  return WriteFileAtomically(path, SavedGameText(save));
}

std::string SetSaveAside(const std::string& path, std::string& why) {
  const std::string stamp = LocalTimeText("%Y%m%d-%H%M%S");
  for (int n = 1; n < 1000; ++n) {
    std::string aside = path;
    aside += ".unusable-";
    aside += stamp;
    if (n > 1) {
      aside += '-';
      aside += std::to_string(n);
    }
    struct stat st {};
    if (lstat(aside.c_str(), &st) == 0) continue;
    // A link: no other file takes the name between the look and the move.
    if (link(path.c_str(), aside.c_str()) == 0) {
      if (unlink(path.c_str()) != 0) why = std::strerror(errno);
      return aside;
    }
    if (errno == EEXIST) continue;
    // A file system without hard links: moved by name, the name looked at just before.
    if (std::rename(path.c_str(), aside.c_str()) == 0) return aside;
    why = std::strerror(errno);
    return {};
  }
  why = "every name beside it is taken";
  return {};
}

#include "app/player/kept_games.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kDemoEnd = ".demo";

// The kept games' file names, oldest first (the names sort by the time the games ended).
std::vector<std::string> KeptNames() {
  std::vector<std::string> names;
  const std::string folder = KeptGamesFolder();
  std::error_code error;
  if (folder.empty()) return names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() > 5 && name.ends_with(kDemoEnd) && entry.is_regular_file(error)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string FileName(const TScore& score) {
  std::string name = score.date + "_" + score.time + "_" + std::to_string(score.seed) + kDemoEnd;
  std::replace(name.begin(), name.end(), ':', '-');
  return name;
}

}  // namespace

std::string KeptGamesFolder() {
  const std::string folder = UserDataFolder();
  return folder.empty() ? std::string() : folder + "/games";
}

std::string KeptGameFile(const TScore& score) { return KeptGamesFolder() + "/" + FileName(score); }

std::string KeepGame(const TScore& score, const std::string& demo, int32_t last, const std::vector<TScore>& scores) {
  const std::string folder = KeptGamesFolder();
  if (folder.empty()) return "there is no data folder (neither XDG_DATA_HOME nor HOME is set)";
  std::string problem;
  if (last > 0) {
    if (!MakeFolders(folder, &problem)) return "cannot make " + folder + ": " + problem;
    problem = WriteFileAtomically(KeptGameFile(score), demo);
    if (!problem.empty()) problem = "cannot write " + KeptGameFile(score) + ": " + problem;
  }
  std::set<std::string> keep;
  if (last > 0) {
    const std::vector<TScore> ranked = Ranked(scores);
    for (size_t i = 0; i < ranked.size() && i < static_cast<size_t>(kBestGamesKept); ++i) {
      keep.insert(FileName(ranked[i]));
    }
  }
  const std::vector<std::string> names = KeptNames();
  const size_t newest = names.size() - std::min(names.size(), static_cast<size_t>(last));
  for (size_t i = 0; i < newest; ++i) {
    if (keep.count(names[i]) != 0) continue;
    std::error_code error;
    fs::remove(folder + "/" + names[i], error);
    if (error && problem.empty()) problem = "cannot remove " + folder + "/" + names[i] + ": " + error.message();
  }
  return problem;
}

std::string LastKeptGame() {
  const std::vector<std::string> names = KeptNames();
  return names.empty() ? std::string() : KeptGamesFolder() + "/" + names.back();
}

std::string BestKeptGame(const std::vector<TScore>& scores) {
  const std::vector<std::string> names = KeptNames();
  for (const TScore& score : Ranked(scores)) {
    if (std::binary_search(names.begin(), names.end(), FileName(score))) return KeptGameFile(score);
  }
  return {};
}

#include "platform/files/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/system/startup.h"

namespace fs = std::filesystem;

namespace {

// KESTROVA_INSTALLED_DATA (set by the build from the install layout) is where the data folder
// of an installation lies, seen from its program folder.

// $variable/kestrova when the variable holds an absolute path (the convention ignores
// relative ones), else $HOME/fallback/kestrova; empty without either.
std::string UserFolder(const char* variable, const char* fallback) {
  const char* set = std::getenv(variable);
  if (set != nullptr && set[0] == '/') return std::string(set) + "/kestrova";
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') return {};
  return std::string(home) + "/" + fallback + "/kestrova";
}

// Where a file written at the path would land: links followed, even one whose target does
// not exist yet (writing through it creates the target), and the rest normalised.
fs::path Destination(const std::string& path) {
  std::error_code error;
  return fs::weakly_canonical(FollowLinks(fs::absolute(path, error).string()), error).lexically_normal();
}

}  // namespace

std::string GameFolder() {
  const std::string program = ProgramFolder();
  if (program.empty()) return program;
  std::error_code error;
  if (fs::exists(fs::path(program) / "config.txt", error)) return program;
  const fs::path installed = fs::path(program) / KESTROVA_INSTALLED_DATA;
  if (fs::is_directory(installed, error)) return fs::weakly_canonical(installed, error).string();
  return program;
}

bool RunsInstalled() {
  const std::string program = ProgramFolder();
  return !program.empty() && GameFolder() != program;
}

bool EnterGameFolder() {
  const std::string folder = GameFolder();
  return !folder.empty() && chdir(folder.c_str()) == 0;
}

std::string UserConfigFolder() { return UserFolder("XDG_CONFIG_HOME", ".config"); }

std::string UserDataFolder() { return UserFolder("XDG_DATA_HOME", ".local/share"); }

std::string UserCacheFolder() { return UserFolder("XDG_CACHE_HOME", ".cache"); }

std::string ScreenshotFolder() {
  const std::string data = UserDataFolder();
  return data.empty() ? data : data + "/screenshots";
}

std::string SettingsFile(const std::string& name) {
  const std::string folder = UserConfigFolder();
  if (folder.empty()) return name;
  const std::string own = folder + "/" + name;
  std::error_code error;
  // Present in any form counts: one that cannot be read is reported, never passed over. So
  // does a folder that cannot be looked into, since it may well hold the file.
  const bool present = fs::exists(fs::symlink_status(own, error));
  return present || (error && error != std::errc::no_such_file_or_directory) ? own : name;
}

bool MakeFolders(const std::string& folder, std::string* problem) {
  std::error_code error;
  if (folder.empty()) {
    *problem = "no home folder is known (HOME is not set)";
    return false;
  }
  fs::create_directories(folder, error);
  if (!error && fs::is_directory(folder, error)) return true;
  *problem = error ? error.message() : folder + " is not a folder";
  return false;
}

std::string FollowLinks(const std::string& path) {
  std::error_code error;
  fs::path p = path;
  // As many links as the system follows before it gives up.
  for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(p, error)); ++hops) {
    const fs::path target = fs::read_symlink(p, error);
    if (error) break;
    p = target.is_absolute() ? target : p.parent_path() / target;
  }
  return p.string();
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  if (fs::equivalent(a, b, error)) return true;
  const fs::path da = Destination(a);
  const fs::path db = Destination(b);
  if (da == db) return true;
  // A file not made yet is known by its folder and its name: one folder reached by two paths
  // that no link explains (a bind mount) still holds one file of that name.
  struct stat fa {};
  struct stat fb {};
  return da.filename() == db.filename() && stat(da.parent_path().c_str(), &fa) == 0 &&
         stat(db.parent_path().c_str(), &fb) == 0 && fa.st_dev == fb.st_dev && fa.st_ino == fb.st_ino;
}

bool FilesApart(std::initializer_list<std::pair<const char*, std::string>> files, std::string& error) {
  for (auto a = files.begin(); a != files.end(); ++a) {
    for (auto b = a + 1; b != files.end(); ++b) {
      if (a->second.empty() || b->second.empty() || !SameFile(a->second, b->second)) continue;
      error = std::string(a->first) + " and " + b->first + " name the same file (" + a->second + " and " + b->second +
              "); one would overwrite the other";
      return false;
    }
  }
  return true;
}

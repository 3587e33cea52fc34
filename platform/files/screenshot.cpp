#include "platform/files/screenshot.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "platform/files/paths.h"
#include "platform/files/png.h"

namespace {

// A name from the local time, with a number added when that name is taken.
std::string FreeName(const std::string& folder) {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm local{};
  localtime_r(&seconds, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  char base[48];
  std::snprintf(base, sizeof base, "kestrova-%s-%03d", stamp, static_cast<int>(ms));
  std::string path = folder + "/" + base + ".png";
  std::error_code error;
  for (int n = 2; std::filesystem::exists(path, error); ++n) path = folder + "/" + base + "-" + std::to_string(n) + ".png";
  return path;
}

}  // namespace

std::string SaveScreenshot(const TPixmap& picture, const std::string& folder) {
  std::string problem;
  if (!MakeFolders(folder, &problem)) {
    std::fprintf(stderr, "Kestrova: warning: cannot save a screenshot in %s: %s\n", folder.c_str(), problem.c_str());
    return {};
  }
  const std::string path = FreeName(folder);
  // A window has no transparency: its alpha channel is left out.
  if (!SavePixmapPNG(*ConvertPixmap(picture, PF_RGB888), path, problem)) {
    std::fprintf(stderr, "Kestrova: warning: cannot save the screenshot %s: %s\n", path.c_str(), problem.c_str());
    return {};
  }
  std::fprintf(stderr, "Kestrova: screenshot saved as %s\n", path.c_str());
  return path;
}

#include "scene.h"

#include <unistd.h>

#include <fstream>

#include "platform/video/graphics.h"
#include "platform/video/image.h"
#include "state/game.h"

namespace fs = std::filesystem;

std::shared_ptr<TRecordingDriver> OpenRecordedScreen(int32_t width, int32_t height) {
  auto driver = std::make_shared<TRecordingDriver>();
  OpenHeadlessScreen(driver, width, height, 0, 0, 0);
  game.screenW = width;
  game.screenH = height;
  SetBlend(3);
  SetAutoMidHandle(1);
  driver->Clear();
  return driver;
}

TScratchFolder::TScratchFolder(const std::string& name, bool assets) {
  // The process id keeps test processes that ctest runs side by side apart.
  path_ = fs::temp_directory_path() / ("kestrova_" + name + "_" + std::to_string(getpid()));
  fs::remove_all(path_);
  fs::create_directories(path_);
  if (assets) {
    for (const auto& entry : fs::directory_iterator(fs::path(KESTROVA_SOURCE_DIR) / "assets")) {
      fs::copy_file(entry.path(), path_ / entry.path().filename());
    }
  }
  previous_ = fs::current_path();
  fs::current_path(path_);
}

TScratchFolder::~TScratchFolder() {
  fs::current_path(previous_);
  fs::remove_all(path_);
}

void TScratchFolder::Write(const std::string& name, const std::string& text) const {
  std::ofstream(path_ / name, std::ios::binary) << text;
}

std::vector<std::vector<TRecordedCall>> SplitScreens(const std::vector<TRecordedCall>& calls) {
  std::vector<std::vector<TRecordedCall>> screens;
  for (const TRecordedCall& call : calls) {
    if (call.op == DrawOp::Cls) screens.emplace_back();
    if (!screens.empty()) screens.back().push_back(call);
  }
  return screens;
}

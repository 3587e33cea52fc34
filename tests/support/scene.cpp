#include "scene.h"

#include <unistd.h>

#include <fstream>

#include "platform/video/font.h"
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

namespace {

// UTF-8 of a code point of the built-in font (at most U+00FF).
std::string Utf8(int32_t code) {
  if (code < 0x80) return std::string(1, static_cast<char>(code));
  return {static_cast<char>(0xC0 | (code >> 6)), static_cast<char>(0x80 | (code & 0x3F))};
}

}  // namespace

std::vector<std::string> TextsDrawn(const std::vector<TRecordedCall>& calls) {
  const auto font = BuiltinFont();
  std::vector<std::string> texts;
  double nextX = 0;
  double lineY = -1;
  for (const TRecordedCall& c : calls) {
    if (c.op != DrawOp::DrawFrame) continue;
    int32_t code = -1;
    for (int32_t k = 32; k < 256 && code < 0; ++k) {
      const TImageGlyph* g = font->Glyph(k);
      if (g != nullptr && g->_image->pixmaps[0].get() == c.pixmap) code = k;
    }
    if (code < 0) continue;  // a picture, not a letter
    if (texts.empty() || c.args[5] != lineY || c.args[4] != nextX) texts.emplace_back();
    texts.back() += Utf8(code);
    lineY = c.args[5];
    nextX = c.args[4] + 8.0 * c.state.ix;
  }
  return texts;
}

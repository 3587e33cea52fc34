// Shared set-up for the loading and map tests: a headless screen on a recording driver, and
// a private working folder holding the game's files.
#pragma once
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/video/recording_driver.h"

// Opens a headless screen of the given size on a fresh recording driver, with the drawing
// state the game sets at start (blend 3, automatic mid handles).
std::shared_ptr<TRecordingDriver> OpenRecordedScreen(int32_t width, int32_t height);

// A fresh folder that becomes the current directory until destroyed. With assets true the
// game's asset files are copied into it.
class TScratchFolder {
 public:
  TScratchFolder(const std::string& name, bool assets);
  ~TScratchFolder();
  const std::filesystem::path& Path() const { return path_; }
  void Write(const std::string& name, const std::string& text) const;

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

// The calls between two Cls calls: one drawn screen.
std::vector<std::vector<TRecordedCall>> SplitScreens(const std::vector<TRecordedCall>& calls);

// The texts drawn, one an entry, read back from the built-in font's glyphs: glyphs follow each
// other on one line, 8 pixels apart times the scale; another y, or a jump along x, starts the
// next text. Letters beyond ASCII come back as UTF-8.
std::vector<std::string> TextsDrawn(const std::vector<TRecordedCall>& calls);

// The per-user folders after the XDG base directory convention, and which settings file is read.
#include "platform/files/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "../support/full_disk.h"
#include "../support/read_file.h"
#include "platform/files/atomic_file.h"
#include "platform/files/pixmap.h"
#include "platform/files/png.h"
#include "platform/files/screenshot.h"
#include "support.h"

namespace {

using platform_test::TempDir;

class PathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", dir_.Path().c_str(), 1);
  }
  void TearDown() override {
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", home_.c_str(), 1);
  }
  const std::string home_ = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "/root";
  TempDir dir_;
};

TEST_F(PathsTest, FoldersFollowTheVariablesOrTheHomeFolder) {
  const std::string home = dir_.Path().string();
  EXPECT_EQ(UserConfigFolder(), home + "/.config/kestrova");
  EXPECT_EQ(UserDataFolder(), home + "/.local/share/kestrova");
  EXPECT_EQ(ScreenshotFolder(), home + "/.local/share/kestrova/screenshots");
  setenv("XDG_CONFIG_HOME", "/etc/elsewhere", 1);
  setenv("XDG_DATA_HOME", "relative/data", 1);  // relative paths are to be ignored
  EXPECT_EQ(UserConfigFolder(), "/etc/elsewhere/kestrova");
  EXPECT_EQ(UserDataFolder(), home + "/.local/share/kestrova");
  unsetenv("HOME");
  EXPECT_EQ(UserDataFolder(), "");
  std::string problem;
  EXPECT_FALSE(MakeFolders(UserDataFolder(), &problem));
  EXPECT_NE(problem.find("HOME"), std::string::npos) << problem;
}

TEST_F(PathsTest, PlayersOwnSettingsFileWinsWhenPresent) {
  EXPECT_EQ(SettingsFile("config.txt"), "config.txt");
  std::string problem;
  ASSERT_TRUE(MakeFolders(UserConfigFolder(), &problem)) << problem;
  std::ofstream(UserConfigFolder() + "/config.txt") << "640\n";
  EXPECT_EQ(SettingsFile("config.txt"), UserConfigFolder() + "/config.txt");
  EXPECT_EQ(SettingsFile("map.txt"), "map.txt");
  // Through links: one to a file counts, and so does a dangling one, whose reading then fails
  // with the reason instead of the shipped file being read in its place.
  std::filesystem::create_symlink(UserConfigFolder() + "/config.txt", UserConfigFolder() + "/map.txt");
  std::filesystem::create_symlink(UserConfigFolder() + "/gone.txt", UserConfigFolder() + "/items.txt");
  EXPECT_EQ(SettingsFile("map.txt"), UserConfigFolder() + "/map.txt");
  EXPECT_EQ(SettingsFile("items.txt"), UserConfigFolder() + "/items.txt");
  std::filesystem::remove(UserConfigFolder() + "/map.txt");
  // A plain file where a folder must go.
  EXPECT_FALSE(MakeFolders(UserConfigFolder() + "/config.txt/sub", &problem));
  EXPECT_FALSE(problem.empty());
  // A config folder that cannot be looked into (here: a file in its place) is not passed over:
  // its file is named, so that reading it fails with the reason.
  setenv("XDG_CONFIG_HOME", (UserConfigFolder() + "/config.txt").c_str(), 1);
  EXPECT_EQ(SettingsFile("map.txt"), UserConfigFolder() + "/map.txt");
}

TEST_F(PathsTest, APictureOnAFullDiskLeavesNoPartialFileAndTheEarlierOneWhole) {
  const TFullDisk disk;
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a file system here";
  const TPixmapPtr picture = TPixmap::Create(64, 64, PF_RGB888);
  std::string problem;
  ASSERT_TRUE(SavePixmapPNG(*picture, disk.Path("earlier.png"), problem)) << problem;
  ASSERT_TRUE(MakeFolders(disk.Path("shots"), &problem));
  const std::string earlier = ReadWholeFile(disk.Path("earlier.png"));
  disk.Fill();
  EXPECT_FALSE(SavePixmapPNG(*TPixmap::Create(300, 300, PF_RGB888), disk.Path("earlier.png"), problem));
  EXPECT_EQ(problem, "No space left on device");
  EXPECT_EQ(ReadWholeFile(disk.Path("earlier.png")), earlier);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(SaveScreenshot(*picture, disk.Path("shots")), "");
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("No space left on device"), std::string::npos) << said;
  EXPECT_TRUE(disk.Names("shots").empty());
  EXPECT_EQ(disk.Names(), std::vector<std::string>({"earlier.png", "shots"}));
}

}  // namespace

TEST_F(PathsTest, AtomicFilesReplaceWhole) {
  const std::string file = (dir_.Path() / "report.txt").string();
  ASSERT_EQ(WriteFileAtomically(file, "first\n"), "");
  {
    TAtomicFile abandoned(file);
    abandoned.Write("half");
  }
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "first");  // an abandoned write leaves the earlier file
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()), {}), 1);  // and no temporary
  EXPECT_EQ(WriteFileAtomically((dir_.Path() / "none" / "x").string(), "y"), "No such file or directory");
  // A folder where the file should be: the rename fails and nothing is left beside it.
  std::filesystem::create_directory(dir_.Path() / "taken");
  EXPECT_EQ(WriteFileAtomically((dir_.Path() / "taken").string(), "y"), "Is a directory");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()), {}), 2);
}

// The player's settings file: what it holds, what it cannot hold, and how the game puts its
// values back without losing the player's other lines.
#include "app/settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../support/read_file.h"
#include "app/sound_controls.h"

namespace {

TEST(PlayerSettings, ValuesAreReadAndWhatCannotBeUsedIsNamedWithItsLine) {
  std::vector<std::string> problems;
  EXPECT_EQ(ParsePlayerSettings("# mine\n\n  volume =  35 \r\nmute=yes\n", "s.txt", problems),
            (TPlayerSettings{35, true}));
  EXPECT_TRUE(problems.empty());
  const TPlayerSettings defaults = ParsePlayerSettings(
      "volume = 101\nmute = maybe\nvolume = -1\nvolume = 5x\nloud = 3\njust words\n", "s.txt", problems);
  EXPECT_EQ(defaults, TPlayerSettings{});
  ASSERT_EQ(problems.size(), 6u);
  EXPECT_EQ(problems[0], "s.txt:1: volume must be a whole number from 0 to 100, not '101'; using 80");
  EXPECT_EQ(problems[1], "s.txt:2: mute must be yes or no, not 'maybe'; using no");
  EXPECT_EQ(problems[4], "s.txt:5: unknown setting 'loud'");
  EXPECT_EQ(problems[5], "s.txt:6: 'just words' is no setting: write name = value");
  problems.clear();
  EXPECT_EQ(ParsePlayerSettings("volume = 0\nvolume = 100\nmute = no\n", "s.txt", problems).volume, 100);
  EXPECT_TRUE(problems.empty());
}

TEST(PlayerSettings, UpdatesKeepEveryOtherLineAndAddWhatIsMissing) {
  EXPECT_EQ(UpdatePlayerSettings("# night\nvolume = 80\nother = 1\n", {30, true}),
            "# night\nvolume = 30\nother = 1\n# Sound off: yes or no (M in the game)\nmute = yes\n");
  const std::string fresh = UpdatePlayerSettings("", {});
  std::vector<std::string> problems;
  EXPECT_EQ(ParsePlayerSettings(fresh, "s.txt", problems), TPlayerSettings{});
  EXPECT_TRUE(problems.empty()) << fresh;
}

TEST(PlayerSettings, WrittenIntoANewFolderAndNeverOverAFileThatCannotBeRead) {
  const std::filesystem::path dir = std::filesystem::path(KESTROVA_BINARY_DIR) / "test_settings";
  std::filesystem::remove_all(dir);
  const std::string file = (dir / "kestrova" / "settings.txt").string();
  ASSERT_TRUE(WritePlayerSettings(file, {50, false}));
  EXPECT_EQ(ReadPlayerSettings(file), (TPlayerSettings{50, false}));
  // A folder in the file's place: reported, left alone.
  std::filesystem::remove(file);
  std::filesystem::create_directory(file);
  EXPECT_FALSE(WritePlayerSettings(file, {50, false}));
  EXPECT_TRUE(std::filesystem::is_directory(file));
  std::filesystem::remove_all(dir);
}

TEST(PlayerSettings, VolumeGainFollowsLoudnessAndMuteIsSilence) {
  EXPECT_EQ(SoundGain({80, false}), 1.0f);
  EXPECT_EQ(SoundGain({0, false}), 0.0f);
  EXPECT_EQ(SoundGain({100, true}), 0.0f);
  EXPECT_GT(SoundGain({100, false}), SoundGain({90, false}));
  EXPECT_LT(SoundGain({40, false}), 0.5f * SoundGain({80, false}));
}

}  // namespace

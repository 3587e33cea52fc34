// What the player hears, captured through SDL's disk audio output: a volume of 0 is silence,
// the volume and mute keys change what comes out, show a notice and are kept in the
// player's settings file; the music plays under play and the pause, never at full scale.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../support/read_file.h"
#include "game_run.h"
#include "screens.h"

namespace {

namespace fs = std::filesystem;

// Bytes of the captured sound; where none is nonzero, the size.
uintmax_t FirstSound(const fs::path& raw, uintmax_t from) {
  const std::string bytes = ReadWholeFile(raw);
  for (size_t i = from; i < bytes.size(); ++i) {
    if (bytes[i] != 0) return i;
  }
  return bytes.size();
}

// Waits until the capture has more than `size` bytes; false after 20 seconds.
bool CaptureGrowsPast(const fs::path& raw, uintmax_t size) {
  return WaitUntil(
      [&] {
        std::error_code error;
        return fs::file_size(raw, error) > size;
      },
      20, 100);
}

// The RMS level, in dBFS, of each whole second of the left channel from byte `from` on.
std::vector<double> SecondsLevels(const std::string& bytes, size_t from, int16_t& peak) {
  std::vector<double> levels;
  peak = 0;
  const size_t second = 44100 * 4;
  for (size_t at = from; at + second <= bytes.size(); at += second) {
    double sum = 0;
    for (size_t i = at; i < at + second; i += 4) {
      const auto v = static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
      sum += static_cast<double>(v) * v;
      peak = std::max<int16_t>(peak, static_cast<int16_t>(std::min(32767, std::abs(int{v}))));
    }
    levels.push_back(10 * std::log10(sum / (44100.0 * 32768.0 * 32768.0) + 1e-30));
  }
  return levels;
}

}  // namespace

TEST(Sound, TheMusicPlaysUnderPlayAndLowerThroughThePause) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("music");
  const fs::path raw = folder.LogPath() / "music.raw";
  TGameProcess game(folder, false, {"--seed", "7"}, {{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", raw.string()}});
  const std::string window = game.Window(30);
  ASSERT_FALSE(window.empty()) << "no game window; stderr:\n" << game.Errors();
  ASSERT_TRUE(WaitFor(game, window, "e2e_music_play.png", ShowsHud)) << game.Errors();
  std::error_code error;
  // From a second into play, past the music's fade in.
  const uintmax_t played = fs::file_size(raw, error) + 44100 * 4;
  ASSERT_TRUE(CaptureGrowsPast(raw, played + 3 * 44100 * 4)) << game.Errors();
  ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
  ASSERT_TRUE(Xdotool("key p"));
  ASSERT_TRUE(WaitFor(game, window, "e2e_music_pause.png", ShowsPause)) << game.Errors();
  const uintmax_t paused = fs::file_size(raw, error) + 44100 * 4;
  ASSERT_TRUE(CaptureGrowsPast(raw, paused + 3 * 44100 * 4)) << game.Errors();
  const std::string bytes = ReadWholeFile(raw);
  int16_t peak = 0;
  const std::vector<double> play = SecondsLevels(bytes.substr(0, paused - 44100 * 4), played, peak);
  const std::vector<double> pause = SecondsLevels(bytes, paused, peak);
  ASSERT_GE(play.size(), 3u);
  ASSERT_GE(pause.size(), 3u);
  for (double db : play) EXPECT_GT(db, -50.0) << "silence in play";
  for (double db : pause) {
    EXPECT_GT(db, -50.0) << "silence in the pause";
    EXPECT_LT(db, *std::max_element(play.begin(), play.end())) << "the pause as loud as play";
  }
  EXPECT_LT(peak, 32767) << "a sample at full scale";
  ASSERT_TRUE(Xdotool("key p"));
  ASSERT_TRUE(WaitFor(game, window, "e2e_music_resumed.png", ShowsHud)) << game.Errors();
  EndTheGame(game, window, "e2e_music_score.png");
}

TEST(Sound, VolumeZeroIsSilentAndTheKeysChangeAndKeepIt) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("sound");
  const fs::path config = folder.LogPath() / "config";
  fs::create_directories(config / "kestrova");
  // Without music, so that what is heard after the volume rises is the shot.
  std::ofstream(config / "kestrova" / "settings.txt") << "# quiet at night\nvolume = 0\nmusic = 0\n";
  const fs::path raw = folder.LogPath() / "sound.raw";
  TGameProcess game(
      folder, false, {"--seed", "7"},
      {{"XDG_CONFIG_HOME", config.string()}, {"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", raw.string()}});
  const std::string window = game.Window(30);
  ASSERT_FALSE(window.empty()) << "no game window; stderr:\n" << game.Errors();
  ASSERT_TRUE(WaitFor(game, window, "e2e_sound_play.png", ShowsHud)) << game.Errors();

  // Fire until a round is spent, then let its sound pass (a shot lasts under half a second).
  ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
  ASSERT_TRUE(Xdotool("mousedown 1"));
  const bool fired = WaitFor(game, window, "e2e_sound_fired.png", SpentARound) != nullptr;
  ASSERT_TRUE(Xdotool("mouseup 1"));
  ASSERT_TRUE(fired) << game.Errors();
  std::error_code error;
  const uintmax_t silentPart = fs::file_size(raw, error) + 44100 * 4;
  ASSERT_TRUE(CaptureGrowsPast(raw, silentPart)) << game.Errors();
  // One reading: the capture grows while the game runs.
  EXPECT_EQ(ReadWholeFile(raw).find_first_not_of('\0'), std::string::npos) << "sound at volume 0";

  // Plus on the keypad: volume 10, heard at the next shot; the notice says so.
  ASSERT_TRUE(Xdotool("key KP_Add"));
  ASSERT_TRUE(WaitFor(game, window, "e2e_sound_notice.png", ShowsNotice)) << game.Errors();
  const uintmax_t heardFrom = ReadWholeFile(raw).size();
  ASSERT_TRUE(Xdotool("mousedown 1"));
  const bool heard = WaitUntil([&] { return FirstSound(raw, heardFrom) < fs::file_size(raw, error); }, 20, 100);
  ASSERT_TRUE(Xdotool("mouseup 1"));
  EXPECT_TRUE(heard) << "no sound at volume 10";

  ASSERT_TRUE(Xdotool("key m"));
  EndTheGame(game, window, "e2e_sound_score.png");
  const std::string settings = ReadWholeFile(config / "kestrova" / "settings.txt");
  EXPECT_NE(settings.find("# quiet at night\nvolume = 10\n"), std::string::npos) << settings;
  EXPECT_NE(settings.find("\nmute = yes\n"), std::string::npos) << settings;
  EXPECT_EQ(game.Errors().find("settings"), std::string::npos) << game.Errors();
}

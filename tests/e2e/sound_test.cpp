// What the player hears, captured through SDL's disk audio output: a volume of 0 is silence,
// the volume and mute keys change what comes out, show a notice and are kept in the
// player's settings file.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>

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

}  // namespace

TEST(Sound, VolumeZeroIsSilentAndTheKeysChangeAndKeepIt) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("sound");
  const fs::path config = folder.LogPath() / "config";
  fs::create_directories(config / "kestrova");
  std::ofstream(config / "kestrova" / "settings.txt") << "# quiet at night\nvolume = 0\n";
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

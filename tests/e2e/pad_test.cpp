// The whole game played with a pad alone: a virtual pad that the program plugs in and moves as
// the command file named by KESTROVA_VIRTUAL_PAD tells it.
#include <gtest/gtest.h>

#include <fstream>

#include "game_run.h"
#include "screens.h"

namespace {

class TPadScript {
 public:
  explicit TPadScript(std::filesystem::path path) : path_(std::move(path)) { std::ofstream create(path_); }
  const std::filesystem::path& Path() const { return path_; }
  void operator()(const std::string& line) const { std::ofstream(path_, std::ios::app) << line << '\n'; }
  // A button down for long enough that the game's pumps see it, then up again.
  void Tap(const std::string& button) const {
    (*this)("button " + button + " 1");
    SleepMilliseconds(200);
    (*this)("button " + button + " 0");
    SleepMilliseconds(200);
  }

 private:
  std::filesystem::path path_;
};

TEST(EndToEnd, PlaysWithAVirtualPadAlone) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("pad");
  const TPadScript pad(folder.LogPath() / "pad.txt");
  pad("attach");  // plugged in while the world is made
  TGameProcess game(folder, false, {}, {{"KESTROVA_VIRTUAL_PAD", pad.Path().string()}});
  const std::string window = game.Window(30);
  ASSERT_FALSE(window.empty()) << "no game window; stderr:\n" << game.Errors();
  ASSERT_TRUE(WaitFor(game, window, "e2e_pad_start.png", ShowsHud)) << game.Errors();
  ASSERT_TRUE(Xdotool("windowfocus --sync " + window));

  pad("axis lefty -32768");
  SleepMilliseconds(400);
  pad("axis lefty 0");
  pad("axis rightx 32767");
  SleepMilliseconds(300);
  pad("axis rightx 0");
  // Weapon 1 fires with a chance of one in eleven a frame: two seconds fire it all but surely.
  pad("axis righttrigger 32767");
  SleepMilliseconds(2000);
  pad("axis righttrigger 0");
  SleepMilliseconds(200);
  const TPixmapPtr play = Screenshot(window, "e2e_pad_play.png");
  ASSERT_TRUE(play);
  EXPECT_LT(PixelAt(*play, 22, 30)[0], 255) << "the first weapon spent no rounds";
  pad.Tap("rightshoulder");

  pad.Tap("start");
  const TPixmapPtr score = WaitFor(game, window, "e2e_pad_score.png", ShowsScore);
  ASSERT_TRUE(score) << "Start did not end play; stderr:\n" << game.Errors();
  pad.Tap("a");
  EXPECT_EQ(game.WaitForExit(30), 0) << game.Errors();
  // Every line of the pad's script was followed.
  EXPECT_EQ(game.Errors().find(pad.Path().string()), std::string::npos) << game.Errors();
}

}  // namespace

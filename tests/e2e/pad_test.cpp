// The whole game played with a pad alone: a virtual pad that the program plugs in and moves as
// the command file named by KESTROVA_VIRTUAL_PAD tells it, through a library preloaded into the
// program (virtual_pad_preload.cpp). The game's report shows what each control did, and its demo
// replays headless to the same report.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "../support/read_file.h"
#include "../support/report.h"
#include "game_run.h"
#include "screens.h"

namespace {

namespace fs = std::filesystem;

// Exit status of a shell command line.
int ShellStatus(const std::string& command) {
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(EndToEnd, PlaysWithAVirtualPadAlone) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("pad");
  const fs::path logs = folder.LogPath();
  const fs::path script = logs / "pad.txt";
  const auto pad = [&](const std::string& line) { std::ofstream(script, std::ios::app) << line << '\n'; };
  pad("attach");  // plugged in while the world is made
  const fs::path demo = logs / "pad.demo";
  TGameProcess game(folder, false,
                    {"--seed", "7", "--record", demo.string(), "--report", (logs / "played.txt").string()},
                    VirtualPadEnvironment(script.string()));
  const std::string window = game.Window(30);
  ASSERT_FALSE(window.empty()) << "no game window; stderr:\n" << game.Errors();
  ASSERT_TRUE(WaitFor(game, window, "e2e_pad_start.png", ShowsHud)) << game.Errors();
  ASSERT_TRUE(Xdotool("windowfocus --sync " + window));

  // Each control is held until the rules have taken it, as the demo being recorded, replayed
  // so far, shows: the player's words are F id X Y Side HP EP Art weapon w0 .. w4 Time.
  const auto until = [&](const std::function<bool(const std::vector<std::string>&)>& seen) {
    return WaitUntil(
        [&] {
          const std::vector<std::string> p = PlayerSoFar(demo);
          return p.size() > 9 && seen(p);
        },
        60, 100);
  };
  std::vector<std::string> before;
  ASSERT_TRUE(until([&](const auto& p) {
    before = p;
    return true;
  })) << "no frame recorded";
  pad("axis lefty -32768");
  EXPECT_TRUE(until([&](const auto& p) { return p[3] != before[3]; })) << "the left stick walked nobody";
  // Released before the turn, in the same pump at the latest: no frame walks and turns.
  pad("axis lefty 0");
  pad("axis rightx 32767");
  EXPECT_TRUE(until([&](const auto& p) { return p[4] != before[4]; })) << "the right stick turned nobody";
  pad("axis rightx 0");
  // Weapon 1 fires with a chance of one in eleven a frame while the trigger is held.
  pad("axis righttrigger 32767");
  EXPECT_TRUE(WaitFor(game, window, "e2e_pad_play.png", SpentARound)) << "the first weapon spent no rounds";
  pad("axis righttrigger 0");
  pad("button rightshoulder 1");
  EXPECT_TRUE(until([&](const auto& p) { return p[8] == "1"; })) << "the right shoulder selected no weapon";
  pad("button rightshoulder 0");

  pad("button start 1");
  const TPixmapPtr score = WaitFor(game, window, "e2e_pad_score.png", ShowsScore);
  ASSERT_TRUE(score) << "Start did not end play; stderr:\n" << game.Errors();
  pad("button start 0");
  pad("button a 1");
  EXPECT_EQ(game.WaitForExit(30), 0) << game.Errors();
  // Every line of the pad's script was followed.
  EXPECT_EQ(game.Errors().find(script.string()), std::string::npos) << game.Errors();

  // Where the player started: the world tool places the actors of seed 7 as the game does.
  const std::string bin = KESTROVA_BINARY_DIR;
  ASSERT_EQ(
      ShellStatus("'" + bin + "/kestrova-worldgen' --seed 7 --map '" + (folder.Path() / "map.txt").string() +
                  "' --out '" + logs.string() + "' --actors '" + (logs / "actors.txt").string() + "' > /dev/null"),
      0);
  const TReport actors = ReadReport(ReadWholeFile(logs / "actors.txt"));
  ASSERT_EQ(actors.header.count("P"), 1u);
  const std::vector<std::string>& start = actors.header.at("P");
  ASSERT_EQ(start.size(), 2u);
  const TReport played = ReadReport(ReadWholeFile(logs / "played.txt"));
  EXPECT_EQ(played.Num("gameState"), 2) << "Start ended play";
  ASSERT_NE(played.Player(), nullptr) << played.text.substr(0, 300);
  // F id X Y Side HP EP Art weapon w0 .. w4 Time
  const std::vector<std::string> me(played.Player()->begin() + 2, played.Player()->end());
  ASSERT_EQ(me.size(), 13u) << played.text.substr(0, 300);
  EXPECT_EQ(me[0], start[0]) << "the stick walked straight forward, before any turn";
  EXPECT_LT(std::stof(me[1]), std::stof(start[1])) << "the stick walked the player up the screen";
  const int side = std::stoi(me[2]);
  EXPECT_GT(side, 0) << "the right stick turned clockwise";
  EXPECT_EQ(side % 8, 0) << "a full deflection turns 8 degrees a frame";
  EXPECT_EQ(me[6], "1") << "the right shoulder selected weapon 2";
  EXPECT_LT(std::stoi(me[7]), 1000) << "the right trigger fired weapon 1";

  // The demo of the pad's game replays headless to the same report.
  const fs::path replayed = logs / "replayed.txt";
  EXPECT_EQ(ShellStatus("'" + bin + "/kestrova-sim' --replay '" + demo.string() + "' --out '" + replayed.string() +
                        "' 2> /dev/null"),
            0);
  EXPECT_TRUE(ReadWholeFile(replayed) == played.text) << "the headless replay's report differs";
}

}  // namespace

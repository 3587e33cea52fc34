// The whole game, from the loading screen to the score screen, as a player sees
// and drives it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "../support/read_file.h"
#include "../support/report.h"
#include "game_run.h"
#include "screens.h"

namespace {

namespace fs = std::filesystem;

constexpr TRgb kGrey{128, 128, 128};
constexpr TRgb kFullBar{255, 0, 128};

// The bar colours of the sixteen loading screens, red fading toward green.
constexpr std::array<TRgb, 14> kStageColours{{{255, 0, 0},
                                              {248, 7, 0},
                                              {240, 15, 0},
                                              {233, 22, 0},
                                              {222, 33, 0},
                                              {205, 50, 0},
                                              {192, 63, 0},
                                              {166, 89, 0},
                                              {154, 101, 0},
                                              {115, 140, 0},
                                              {77, 178, 0},
                                              {52, 203, 0},
                                              {39, 216, 0},
                                              {31, 224, 0}}};

bool IsStageColour(const TRgb& c) {
  return c == TRgb{26, 229, 0} || std::find(kStageColours.begin(), kStageColours.end(), c) != kStageColours.end();
}

bool IsProgressScreen(const TPixmap& shot) {
  return shot.width == kW && shot.height == kH && PixelAt(shot, 20, kH / 2) == kGrey &&
         IsStageColour(PixelAt(shot, kW / 2, kH / 2));
}

// The player's rounds of the first weapon in a report: the field after "F id X Y Side HP EP
// Art weapon" on the player's line; -1 when the report has none.
int FirstWeaponRounds(const std::string& report) {
  const TReport read = ReadReport(report);
  const TReport::Words* player = read.Player();
  return player != nullptr && player->size() > 9 ? std::stoi((*player)[9]) : -1;
}

// The loading screens pass quickly: the program is held still while one is
// captured.
TPixmapPtr CatchProgressScreen(TGameProcess& game, const std::string& window) {
  TPixmapPtr shot;
  const bool caught = WaitUntil(
      [&] {
        if (!game.Running()) return true;
        game.Pause();
        shot = Screenshot(window, "e2e_progress.png");
        game.Resume();
        return shot && IsProgressScreen(*shot);
      },
      60, 10);
  return caught && shot && IsProgressScreen(*shot) ? shot : nullptr;
}

TEST(EndToEnd, PlaysFromTheLoadingScreenToTheScoreScreen) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("play");
  // A longer walk than the shipped map's, so that the loading screens stay up a
  // while.
  folder.Write("map.txt", "60000\n30\n160\n6\n16\n30\n10\n");
  // A world of its own, where a short walk from the start picks nothing up, and a report of
  // what the rules counted.
  const std::string report = (folder.LogPath() / "report.txt").string();
  const fs::path demo = folder.LogPath() / "play.demo";
  TGameProcess game(folder, false, {"--seed", "7", "--report", report, "--record", demo.string()});
  const std::string window = game.Window(30);
  ASSERT_FALSE(window.empty()) << "no game window; stderr:\n" << game.Errors();

  const TPixmapPtr progress = CatchProgressScreen(game, window);
  ASSERT_TRUE(progress) << "no loading screen seen";
  // A grey border of one pixel around the bar, a grey title at the top left.
  const TRgb bar = PixelAt(*progress, kW / 2, kH / 2);
  EXPECT_EQ(PixelAt(*progress, 21, kH / 2), bar);
  EXPECT_EQ(PixelAt(*progress, kW - 22, kH / 2), bar);
  EXPECT_EQ(PixelAt(*progress, kW - 21, kH / 2), kGrey);
  EXPECT_EQ(PixelAt(*progress, kW / 2, kH / 2 - 20), kGrey);
  EXPECT_EQ(PixelAt(*progress, kW / 2, kH / 2 - 19), bar);
  int title = 0;
  for (int y = 5; y < 21; ++y) {
    for (int x = 5; x < 5 + 16 * 8; ++x) title += PixelAt(*progress, x, y) == kGrey;
  }
  EXPECT_GT(title, 50);

  const TPixmapPtr start = WaitFor(game, window, "e2e_play_start.png", ShowsHud);
  ASSERT_TRUE(start) << "play never began; stderr:\n" << game.Errors();
  // Full hit points and full first weapon: bars of 255 pixels in the full
  // colour.
  for (int x : {20, 150, 274}) {
    EXPECT_EQ(PixelAt(*start, x, 10), kFullBar) << x;
    EXPECT_EQ(PixelAt(*start, x, 30), kFullBar) << x;
  }
  EXPECT_NE(PixelAt(*start, 276, 10), kFullBar);

  // The layer files are written next to the program before play begins.
  for (const char* name : {"mapall.map", "mapcol.map", "maptyp.map", "maphight.map"}) {
    EXPECT_TRUE(fs::exists(folder.Path() / name)) << name;
  }
  EXPECT_EQ(fs::file_size(folder.Path() / "mapcol.map"), 4198400u);
  EXPECT_EQ(fs::file_size(folder.Path() / "maptyp.map"), 4198400u);

  // Walk, turn, then fire the first weapon standing still. A round leaves with a chance of
  // one in eleven a frame, so the button is held until the bar shows one spent, however many
  // frames that takes; the report then says how many went.
  ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
  ASSERT_TRUE(Xdotool("keydown w"));
  SleepMilliseconds(300);
  ASSERT_TRUE(Xdotool("keyup w"));
  ASSERT_TRUE(Xdotool("mousemove_relative -- 90 0"));
  ASSERT_TRUE(Xdotool("mousedown 1"));
  const bool fired = WaitFor(game, window, "e2e_play_firing.png", SpentARound) != nullptr;
  ASSERT_TRUE(Xdotool("mouseup 1"));
  ASSERT_TRUE(fired) << "the first weapon spent no rounds; stderr:\n" << game.Errors();

  // The second weapon has no rounds at the start: firing it does nothing but must not harm.
  // Once the rules, as the demo being recorded shows them, have selected it, they have taken
  // the release before it too: the first weapon's bar stays as it is from that frame on, and
  // the window shows it once a frame more is done.
  ASSERT_TRUE(Xdotool("keydown 2"));
  int64_t selected = -1;
  EXPECT_TRUE(WaitUntil(
      [&] {
        const TReport so = ReadReport(ReplayedSoFar(demo));
        if (so.Player() == nullptr || so.Player()->size() < 9) return false;
        if (selected < 0 && (*so.Player())[8] == "1") selected = so.Num("frames");
        return selected >= 0 && so.Num("frames") > selected;
      },
      60, 100))
      << "2 selected no weapon";
  const TPixmapPtr play = Screenshot(window, "e2e_play.png");
  ASSERT_TRUE(play);
  const TRgb firstWeapon = PixelAt(*play, 22, 30);
  ASSERT_TRUE(Xdotool("mousedown 1"));
  SleepMilliseconds(500);
  ASSERT_TRUE(Xdotool("mouseup 1"));
  ASSERT_TRUE(Xdotool("keyup 2"));

  EndTheGame(game, window, "e2e_score.png");
  EXPECT_EQ(game.Errors().find("warning"), std::string::npos) << game.Errors();

  // The bar showed what the rules counted: (rounds / 1000 * 255) truncated, as red.
  const int rounds = FirstWeaponRounds(ReadWholeFile(report));
  ASSERT_GE(rounds, 0) << "no report";
  EXPECT_LT(rounds, 1000);
  EXPECT_EQ(firstWeapon[0], static_cast<int>(static_cast<float>(rounds / 1000.0 * 255.0)));
}

TEST(EndToEnd, ReadOnlyFolderWarnsAboutTheLayerFilesAndStillPlays) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("readonly");
  fs::permissions(folder.Path(), fs::perms::owner_write, fs::perm_options::remove);
  TGameProcess game(folder, true);
  const std::string window = game.Window(30);
  ASSERT_FALSE(window.empty()) << "no game window; stderr:\n" << game.Errors();
  ASSERT_TRUE(WaitFor(game, window, "e2e_readonly_play.png", ShowsHud)) << game.Errors();
  ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
  EndTheGame(game, window, "e2e_readonly_score.png");

  const std::string errors = game.Errors();
  for (const char* name : {"mapall.map", "mapcol.map", "maptyp.map", "maphight.map"}) {
    EXPECT_NE(errors.find(std::string("cannot write the map layer file ") + name), std::string::npos) << name << "\n"
                                                                                                      << errors;
  }
  // Nothing was left behind in the folder, not even a partial file.
  for (const auto& entry : fs::directory_iterator(folder.Path())) {
    EXPECT_NE(entry.path().extension(), ".map") << entry.path();
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
  }
}

}  // namespace

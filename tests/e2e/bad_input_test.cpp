// Bad settings, world parameters, pictures and sounds given to the real
// program. Each ends in a message naming the file and a non-zero status, or in
// warnings and play going on; never in a crash, a hang or a damaged file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <vector>

#include "../support/read_file.h"
#include "game_run.h"
#include "screens.h"

namespace {

namespace fs = std::filesystem;

struct TOutcome {
  int status = -1;
  std::string errors;
  bool box = false;     // stopped with a message box
  bool played = false;  // reached play and ended it from the score screen
};

// Runs the game of the folder to its end: a stop message is closed with Enter;
// play, once its display shows, is ended with Escape and Enter.
TOutcome RunToEnd(const TGameFolder& folder) {
  TOutcome outcome;
  TGameProcess game(folder, false);
  std::string box;
  std::string window;
  bool playing = false;
  WaitUntil(
      [&] {
        box = TGameProcess::MessageBox();
        if (!box.empty() || !game.Running()) return true;
        if (window.empty()) window = game.Window(0);
        const TPixmapPtr shot = window.empty() ? nullptr : Screenshot(window, "e2e_bad_input.png");
        playing = shot && ShowsHud(*shot);
        return playing;
      },
      120, 200);
  if (!box.empty()) {
    outcome.box = true;
    Xdotool("windowfocus --sync " + box);
    Xdotool("key --window " + box + " Return");
  } else if (playing) {
    Xdotool("windowfocus --sync " + window);
    // Fire until a round is spent, so that shots and their sounds are drawn and played too.
    Xdotool("mousedown 1");
    const bool fired = WaitFor(game, window, "e2e_bad_input_fired.png", SpentARound) != nullptr;
    Xdotool("mouseup 1");
    EXPECT_TRUE(fired) << "the first weapon spent no rounds";
    EndTheGame(game, window, "e2e_bad_input_score.png");
    outcome.played = !::testing::Test::HasFailure();
  }
  outcome.status = game.WaitForExit(30);
  outcome.errors = game.Errors();
  return outcome;
}

// A finished world leaves complete layer files, a stopped one none at all.
void ExpectLayerFiles(const TGameFolder& folder, bool written) {
  for (const char* name : {"mapall.map", "mapcol.map", "maptyp.map", "maphight.map"}) {
    EXPECT_EQ(fs::exists(folder.Path() / name), written) << name;
  }
  if (written) {
    EXPECT_EQ(fs::file_size(folder.Path() / "mapcol.map"), 4198400u);
    EXPECT_EQ(fs::file_size(folder.Path() / "maptyp.map"), 4198400u);
  }
  for (const auto& entry : fs::directory_iterator(folder.Path())) {
    EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();
  }
}

struct TBadFile {
  const char* name;
  std::optional<std::string> text;  // none: the file is missing
  const char* message;              // what stderr must say
};

// Each bad version of the file stops the program with status 1 and its message,
// before any layer file is written; with box, the message also shows in a box.
void ExpectEachStops(const char* file, const std::vector<TBadFile>& cases, bool box) {
  for (const TBadFile& bad : cases) {
    SCOPED_TRACE(bad.name);
    TGameFolder folder("stop");
    if (bad.text) {
      folder.Write(file, *bad.text);
    } else {
      folder.Remove(file);
    }
    const TOutcome outcome = RunToEnd(folder);
    EXPECT_EQ(outcome.status, 1) << outcome.errors;
    EXPECT_NE(outcome.errors.find(bad.message), std::string::npos) << outcome.errors;
    EXPECT_EQ(outcome.box, box);
    EXPECT_FALSE(outcome.played);
    ExpectLayerFiles(folder, false);
  }
}

// A player who started the game from an icon sees these in a box too, though no game window
// ever opened.
TEST(BadSettings, ScreensThatCannotBeOpenedStopBeforeAnyWindow) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  ExpectEachStops(
      "config.txt",
      {
          {"missing", std::nullopt, "cannot read config.txt"},
          {"empty", "", "config.txt asks for a window of 0 x 0 pixels"},
          {"letters only", "wide\nhigh\ndeep\nfast\n", "config.txt asks for a window of 0 x 0 pixels"},
          {"zero size", "0\n0\n0\n60\n", "config.txt asks for a window of 0 x 0 pixels"},
          {"negative size", "-800\n-600\n0\n60\n", "a window of -800 x -600 pixels"},
          {"beyond the desktop", "8000\n6000\n0\n60\n", "larger than the desktop"},
          {"absurdly large", "100000\n100000\n0\n60\n", "a window of 100000 x 100000 pixels"},
          {"largest numbers", "2147483647\n2147483647\n0\n60\n", "a window of 2147483647 x 2147483647"},
          {"full screen mode nobody has", "1234\n567\n32\n60\n",
           "GLGraphicsDriver failed to set display mode\nconfig.txt asks for a full-screen mode of 1234 x 567 pixels, "
           "depth 32, at 60 Hz; the display offers 1280 x 1024, 24 bit"},
      },
      true);
}

TEST(BadSettings, OddButUsableSettingsPlay) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("config_odd");
  // CR LF line ends, a trailing letter, a negative rate (no pacing) and a line
  // too many.
  folder.Write("config.txt", "1024 px\r\n768\r\n0\r\n-60\r\n99\r\n");
  const TOutcome outcome = RunToEnd(folder);
  EXPECT_TRUE(outcome.played) << outcome.errors;
  EXPECT_EQ(outcome.status, 0) << outcome.errors;
  ExpectLayerFiles(folder, true);
}

TEST(BadParameters, WorldsThatCannotBeMadeStopWithAMessageBox) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  ExpectEachStops(
      "map.txt",
      {
          {"missing", std::nullopt, "cannot read map.txt"},
          // All zeros could leave a speck of land from a room; the negative sizes rule that out.
          {"garbage", std::string("garbage\n\x01\x02\xff\n--\n-3 wide\n-3 wide\n-99999 rooms\n", 44),
           "map.txt has no land"},
          {"no segments", "-1\n30\n160\n6\n16\n30\n10\n", "map.txt has no land"},
          {"negative ranges", "-5\n-30\n-160\n-6\n-16\n-30\n-10\n", "map.txt has no land"},
          {"endless walk", "2147483647\n0\n0\n3\n3\n0\n0\n", "map.txt asks for a walk of 2147483647 segments"},
      },
      true);
}

TEST(BadParameters, ExtremeButLandedWorldsPlay) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  const TBadFile cases[] = {
      {"huge stamps", "400\n30\n160\n2000000000\n2000000000\n30\n10\n", ""},
      {"huge lengths", "400\n2000000000\n-2000000000\n6\n16\n30\n10\n", ""},
      {"negative lengths", "400\n-30\n-160\n6\n16\n30\n10\n", ""},
      {"huge rooms every step", "400\n30\n160\n6\n16\n2147483647\n1\n", ""},
  };
  for (const TBadFile& bad : cases) {
    SCOPED_TRACE(bad.name);
    TGameFolder folder("map_extreme");
    folder.Write("map.txt", *bad.text);
    const TOutcome outcome = RunToEnd(folder);
    EXPECT_TRUE(outcome.played) << outcome.errors;
    EXPECT_EQ(outcome.status, 0) << outcome.errors;
    ExpectLayerFiles(folder, true);
  }
}

TEST(BadAssets, BrokenPicturesAndSoundsAreWarnedAboutAndPlayGoesOn) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("assets");
  const fs::path game = folder.Path();
  const std::string png = ReadWholeFile(game / "sand.png");
  const std::string ogg = ReadWholeFile(game / "s3.ogg");
  std::mt19937 noise(7);
  std::string random(3000, '\0');
  for (char& c : random) c = static_cast<char>(noise());
  // Missing, empty, cut short, random bytes and the other format under the
  // right name.
  folder.Remove("wasser.png");
  folder.Write("erde.png", "");
  folder.Write("sand.png", png.substr(0, png.size() / 2));
  folder.Write("gras.png", random);
  folder.Write("baum.png", ogg);
  folder.Write("figur1.png", png.substr(0, 40));
  folder.Write("shoot.png", random);
  folder.Write("blood.png", "not a picture\n");
  folder.Remove("s1.ogg");
  folder.Write("s2.ogg", "");
  folder.Write("s3.ogg", ogg.substr(0, 60));
  folder.Write("s4.ogg", random);
  folder.Write("t.ogg", png);

  const TOutcome outcome = RunToEnd(folder);
  EXPECT_TRUE(outcome.played) << outcome.errors;
  EXPECT_EQ(outcome.status, 0) << outcome.errors;
  for (const char* image :
       {"wasser.png", "erde.png", "sand.png", "gras.png", "baum.png", "figur1.png", "shoot.png", "blood.png"}) {
    EXPECT_NE(outcome.errors.find(std::string("warning: cannot load image ") + image), std::string::npos) << image;
  }
  for (const char* sound : {"s1.ogg", "s2.ogg", "s3.ogg", "s4.ogg", "t.ogg"}) {
    EXPECT_NE(outcome.errors.find(std::string("warning: cannot load sound ") + sound), std::string::npos) << sound;
  }
  EXPECT_EQ(outcome.errors.find("warning: cannot load image figur2.png"), std::string::npos);
  ExpectLayerFiles(folder, true);
}

}  // namespace

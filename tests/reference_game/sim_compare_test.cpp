// Whole simulated games from kestrova-sim compared byte for byte with the plain reference
// transcription of the rules in reference_game.cpp: the game's faster figure lookup, culled
// drawing and remembered trigonometry must not change a single figure, item, shot or decal.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "reference_game.h"

namespace {

namespace fs = std::filesystem;

const char* const kBigMap = "400\n30\n160\n6\n16\n30\n10\n";  // the shipped parameters
const char* const kSmallMap = "40\n10\n40\n2\n4\n6\n12\n";

struct Case {
  int32_t seed = 1;
  std::string map = kSmallMap;
  int32_t frames = 600;
  std::string script;
  int32_t screenW = 1024, screenH = 768;
  int32_t clockStart = 100000, clockStep = 16;
};

struct Outcome {
  refgame::Stats stats;
  int32_t framesRun = 0;
  int32_t gameState = 0;
  bool same = false;
};

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The first line where the two reports differ, for a readable failure.
std::string FirstDifference(const std::string& game, const std::string& ref) {
  std::istringstream a(game), b(ref);
  std::string la, lb;
  for (int line = 1;; ++line) {
    const bool ga = static_cast<bool>(std::getline(a, la));
    const bool gb = static_cast<bool>(std::getline(b, lb));
    if (!ga && !gb) return "reports equal";
    if (!ga || !gb || la != lb) {
      return "line " + std::to_string(line) + "\n  game:      " + (ga ? la : "<end>") +
             "\n  reference: " + (gb ? lb : "<end>");
    }
  }
}

class SimCompare : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("kestrova_simcompare_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  Outcome Compare(const Case& c) {
    std::ofstream(dir_ / "map.txt", std::ios::binary) << c.map;
    std::ofstream(dir_ / "script.txt", std::ios::binary) << c.script;
    const fs::path out = dir_ / "out.txt";
    fs::remove(out);
    const std::string cmd = std::string("'") + KESTROVA_BINARY_DIR + "/kestrova-sim' --seed " +
                            std::to_string(c.seed) + " --map '" + (dir_ / "map.txt").string() +
                            "' --frames " + std::to_string(c.frames) + " --script '" +
                            (dir_ / "script.txt").string() + "' --screen " +
                            std::to_string(c.screenW) + " " + std::to_string(c.screenH) +
                            " --clock " + std::to_string(c.clockStart) + " " +
                            std::to_string(c.clockStep) + " --out '" + out.string() + "'";
    const int raw = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << cmd;
    const std::string game = ReadFile(out);

    Outcome o;
    refgame::Game ref;
    EXPECT_TRUE(ref.Setup((dir_ / "map.txt").string(), c.seed, c.clockStart, c.screenW,
                          c.screenH));
    refgame::ScriptInput input(c.script, c.screenW);
    while (o.framesRun < c.frames && ref.gameState == 0) {
      ref.Frame(input.Next(), refgame::FrameClock(c.clockStart, c.clockStep, o.framesRun));
      ++o.framesRun;
    }
    const std::string expected = ref.Report(o.framesRun);
    o.same = game == expected;
    EXPECT_TRUE(o.same) << "seed " << c.seed << ": " << FirstDifference(game, expected);
    o.stats = ref.stats;
    o.gameState = ref.gameState;
    return o;
  }

  fs::path dir_;
};

std::string Describe(const Outcome& o) {
  const refgame::Stats& s = o.stats;
  std::ostringstream d;
  d << "frames " << o.framesRun << " state " << o.gameState << " deaths " << s.enemyDeaths
    << " hits " << s.hits << " onPlayer " << s.hitsOnPlayer << " pickups " << s.pickups << " [";
  for (int a : s.pickupsByArt) d << a << ' ';
  d << "] shots [";
  for (int a : s.shotsByKind) d << a << ' ';
  d << "] player [";
  for (int a : s.playerShotsByKind) d << a << ' ';
  d << "] throwOffs " << s.throwOffs << " blood " << s.blood << " expired " << s.expiredShots;
  return d.str();
}

TEST_F(SimCompare, Explore) {
  for (int32_t seed = 1; seed <= 5; ++seed) {
    Case c;
    c.seed = seed;
    c.frames = 300;
    Outcome o = Compare(c);
    std::printf("seed %d: %s\n", seed, Describe(o).c_str());
  }
}

}  // namespace

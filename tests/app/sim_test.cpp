// kestrova-sim runs: a scripted game checked against what the rules say must follow from the
// script, a game the player loses, and the tool's handling of bad input.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../support/read_file.h"
#include "../support/report.h"

namespace {

namespace fs = std::filesystem;

struct SimRun {
  int status = -1;
  std::string err;
  TReport report;
};

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(KESTROVA_BINARY_DIR) / "test_sim" / ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    // One segment of length 0 stamps a 61 x 61 block of land around the centre: a small,
    // busy world where the player soon meets enemies and items.
    Write("map.txt", "0\n0\n0\n60\n60\n10\n1000\n");
  }

  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }

  SimRun Sim(const std::string& args) const {
    SimRun run;
    const std::string cmd =
        "cd '" + dir_.string() + "' && '" KESTROVA_BINARY_DIR "/kestrova-sim' " + args + " --out out.txt 2> err.txt";
    fs::remove(dir_ / "out.txt");
    const int raw = std::system(cmd.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.err = Read("err.txt");
    run.report = ReadReport(Read("out.txt"));
    return run;
  }

  std::string Read(const std::string& name) const { return ReadWholeFile(dir_ / name); }

  fs::path dir_;
};

// Field positions of an F line: F id X Y Side HP EP Art weapon w0 w1 w2 w3 w4 Time.
enum { kX = 2, kY = 3, kSide = 4, kHP = 5, kEP = 6, kArt = 7, kWeapon = 8, kW0 = 9, kTime = 14 };

TEST_F(SimTest, ReportListsEveryActorInTheStatedFormat) {
  const SimRun run = Sim("--seed 5 --frames 0");
  ASSERT_EQ(run.status, 0) << run.err;
  const TReport& r = run.report;
  EXPECT_EQ(r.Num("frames"), 0);
  EXPECT_EQ(r.Num("gameState"), 0);
  EXPECT_EQ(r.Num("player"), 3001);
  EXPECT_EQ(r.Num("figures"), 3002);
  EXPECT_EQ(r.figures.size(), 3002u);
  EXPECT_EQ(r.Num("items"), 5001);
  EXPECT_EQ(r.items.size(), 5001u);
  EXPECT_EQ(r.Num("shots"), 0);
  EXPECT_EQ(r.Num("blood"), 0);
  EXPECT_EQ(r.text.find('\r'), std::string::npos);
  for (size_t i = 0; i < r.figures.size(); ++i) {
    ASSERT_EQ(r.figures[i].size(), 15u);
    EXPECT_EQ(std::stoll(r.figures[i][1]), static_cast<int64_t>(i));
  }
  // Enemies stand on cell corners of the stamped block with 100 HP and 100000 rounds.
  for (size_t i = 0; i < 3001; ++i) {
    const auto& f = r.figures[i];
    const int64_t x = std::stoll(f[kX]);
    EXPECT_EQ((x + 32) % 64, 0);
    EXPECT_GE(x, 64 * 1000);
    EXPECT_LE(x, 64 * 1100);
    EXPECT_EQ(f[kHP], "100");
    EXPECT_EQ(f[kW0 + std::stoi(f[kWeapon])], "100000");
  }
  const auto& p = r.figures[3001];
  EXPECT_EQ(p[kHP], "1000");
  EXPECT_EQ(p[kW0], "1000");
  EXPECT_EQ(p[kW0 + 1], "-1");
  EXPECT_EQ(p[kArt], "0");
  EXPECT_EQ(Sim("--seed 5 --frames 0").report.text, r.text);  // the same seed, the same world
  EXPECT_NE(Sim("--seed 6 --frames 0").report.text, r.text);
}

TEST_F(SimTest, ScriptedGameFollowsTheRules) {
  const TReport start = Sim("--seed 5 --frames 0").report;
  Write("script.txt",
        "# walk up for ten frames, turning 30 degrees right after the first step\n"
        "0 down 87\n"
        "0 pointer 30\n"
        "10 up 87\n"
        "\n"
        "# fire weapon 1 with the button, then hold weapon 3 (a laser, rate-limited) on it\n"
        "12 down mouse1\n"
        "20 down 51\n"
        "21 up 51\n"
        "61 up mouse1\n"
        "# weapons 2, 4 and 5 get a frame of fire each, then Enter fires weapon 1\n"
        "62 down 50\n"
        "62 down mouse1\n"
        "63 up 50\n"
        "63 down 52\n"
        "64 up 52\n"
        "64 down 53\n"
        "65 up 53\n"
        "65 up mouse1\n"
        "66 pointer -12\n"
        "66 down 13\n"
        "70 up 13\n"
        "75 down 27\n");
  const SimRun run = Sim("--seed 5 --frames 500 --script script.txt");
  ASSERT_EQ(run.status, 0) << run.err;
  const TReport& r = run.report;

  // Escape in frame 75 ends the game after that frame.
  EXPECT_EQ(r.Num("frames"), 76);
  EXPECT_EQ(r.Num("gameState"), 2);
  const auto* p = r.Figure("3001");
  ASSERT_NE(p, nullptr);
  const auto& p0 = *start.Figure("3001");
  EXPECT_EQ(std::stoll((*p)[kSide]), 30 - 12);
  EXPECT_EQ(std::stoll((*p)[kWeapon]), 4);  // 5 was the last digit held
  // The laser's rate limit: fired at frame 20 (Time 0 passes at once), renewed once more than
  // 500 ms later, at frame 52 (16 ms frames), held until frame 60.
  EXPECT_EQ(std::stoll((*p)[kTime]), 100000 + 16 * 52);
  // The camera centres the player.
  EXPECT_EQ(r.Num("camera", 0), static_cast<int64_t>(std::trunc(std::stod((*p)[kX]) - 512)));
  EXPECT_EQ(r.Num("camera", 1), static_cast<int64_t>(std::trunc(std::stod((*p)[kY]) - 384)));
  // Ten frames of walking move the player by at most 30 pixels, first straight up.
  const double dx = std::stod((*p)[kX]) - std::stod(p0[kX]);
  const double dy = std::stod((*p)[kY]) - std::stod(p0[kY]);
  EXPECT_GT(std::hypot(dx, dy), 0.0);
  EXPECT_LE(std::hypot(dx, dy), 30.0 + 1e-3);
  EXPECT_LT(dy, 0.0);
  // Score: one point per item picked up, ten per enemy that died.
  const int64_t picked = start.Num("items") - r.Num("items");
  const int64_t died = 3001 - (r.Num("figures") - 1);
  EXPECT_GT(picked, 0);
  EXPECT_EQ(std::stoll((*p)[kEP]), picked + 10 * died);
  // Weapon 1 fired on at most 8 + 1 + 4 button frames and 4 Enter frames, and gained 500
  // rounds per shell1 picked up.
  int64_t shell1 = 0;
  std::map<std::string, int> left;
  for (const auto& i : r.items) ++left[i[1] + "," + i[2] + "," + i[3] + "," + i[4]];
  for (const auto& i : start.items) {
    if (left[i[1] + "," + i[2] + "," + i[3] + "," + i[4]]-- <= 0 && i[3] == "2") ++shell1;
  }
  const int64_t w0 = std::stoll((*p)[kW0]);
  EXPECT_LE(w0, 1000 + 500 * shell1);
  EXPECT_GE(w0, 1000 + 500 * shell1 - 17);
  // Every enemy's score stays 0.
  for (const auto& f : r.figures) {
    if (f[1] != "3001") {
      EXPECT_EQ(f[kEP], "0");
    }
  }
}

TEST_F(SimTest, PlayerDiesAmongTheEnemies) {
  const SimRun run = Sim("--seed 5 --frames 3000");
  ASSERT_EQ(run.status, 0) << run.err;
  const TReport& r = run.report;
  EXPECT_EQ(r.Num("gameState"), 1);
  EXPECT_LT(r.Num("frames"), 3000);
  const auto* p = r.Figure("3001");
  ASSERT_NE(p, nullptr);  // still in the list, last
  EXPECT_EQ(&r.figures.back(), p);
  EXPECT_LT(std::stod((*p)[kHP]), 0.0);
  EXPECT_GT(r.Num("blood"), 0);
  // One frame fewer and the game still runs: the figure pass of the last frame was the first
  // to find the player below 0 (a shot may have got it there after the previous one).
  const SimRun before = Sim("--seed 5 --frames " + std::to_string(r.Num("frames") - 1));
  EXPECT_EQ(before.report.Num("gameState"), 0);
  EXPECT_EQ(before.report.Num("frames"), r.Num("frames") - 1);
}

TEST_F(SimTest, ClockAcrossTheWrapKeepsShotsShortLived) {
  // The clock passes from 2147483647 to -2147483648 in the middle of the run.
  const SimRun run = Sim("--seed 5 --frames 200 --clock 2147482000 16");
  ASSERT_EQ(run.status, 0) << run.err;
  const int64_t lastClock =
      static_cast<int32_t>(2147482000u + 16u * static_cast<uint32_t>(run.report.Num("frames") - 1));
  for (const auto& s : run.report.shots) {
    const auto age = static_cast<int32_t>(static_cast<uint32_t>(lastClock) - static_cast<uint32_t>(std::stoll(s[4])));
    EXPECT_GE(age, 0);
    EXPECT_LE(age, 2000);
  }
}

// A busy game recorded in the real program (fire held, every weapon, enemies killed) still
// replays as it was played: the rules, the world and the placement are unchanged.
TEST_F(SimTest, RecordedBusyGameReplaysAsPlayed) {
  const SimRun run = Sim("--replay '" KESTROVA_SOURCE_DIR "/bench/busy_fight.demo'");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.report.Num("frames"), 1163);
  EXPECT_EQ(run.report.Num("gameState"), 2);
}

TEST_F(SimTest, BadInputIsReported) {
  Write("script.txt", "0 down 87\n\n3 jump 87\n");
  SimRun run = Sim("--seed 1 --script script.txt");
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("line 3"), std::string::npos) << run.err;

  Write("script.txt", "0 down 256\n");
  EXPECT_NE(Sim("--seed 1 --script script.txt").status, 0);
  EXPECT_NE(Sim("--frames 3").status, 0);  // no seed
  EXPECT_NE(Sim("--seed 1 --screen 800").status, 0);
  run = Sim("--seed 1 --map missing.txt");
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("missing.txt"), std::string::npos) << run.err;

  // Parameters that carve nothing leave no land: the loading sequence's message, no report.
  Write("none.txt", "-1\n0\n0\n0\n0\n0\n0\n");
  run = Sim("--seed 1 --map none.txt");
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.err.find("no land"), std::string::npos) << run.err;
  EXPECT_TRUE(run.report.text.empty());
}

// A game saved after any frame and continued, any number of times, plays on to the same end
// as the game played straight through: the same report, the same demo, which replays to it.
// Saves that are damaged, cut short, of another version or other rules are refused.
TEST_F(SimTest, SavedAndContinuedGamesEndAsTheGamePlayedStraightThrough) {
  Write("script.txt",
        "0 down 87\n0 pointer 30\n10 up 87\n12 down mouse1\n20 down 51\n21 up 51\n40 pause 5000\n"
        "61 up mouse1\n62 down 50\n62 down mouse1\n63 up 50\n65 up mouse1\n");
  const std::string play = "--frames 3000 --script script.txt";
  const SimRun straight = Sim("--seed 5 " + play + " --record straight.demo");
  ASSERT_EQ(straight.status, 0) << straight.err;
  ASSERT_EQ(straight.report.Num("gameState"), 1) << "the player dies";
  const int64_t death = straight.report.Num("frames");
  const std::string demo = Read("straight.demo");
  // The first frame, shots in flight, just before and after the pause, the last before death.
  for (const int64_t at : {int64_t{1}, int64_t{30}, int64_t{39}, int64_t{40}, death - 1}) {
    const std::string k = std::to_string(at);
    const SimRun saved = Sim("--seed 5 " + play + " --save-at " + k + " save.txt");
    ASSERT_EQ(saved.status, 0) << saved.err;
    EXPECT_EQ(saved.report.Num("frames"), at);
    if (at == 30) {
      EXPECT_FALSE(saved.report.shots.empty()) << "shots in flight";
    }
    const SimRun continued = Sim("--continue save.txt " + play + " --record continued.demo");
    ASSERT_EQ(continued.status, 0) << continued.err;
    EXPECT_EQ(continued.report.text, straight.report.text) << "saved after frame " << k;
    EXPECT_EQ(Read("continued.demo"), demo) << "saved after frame " << k;
  }
  // Saved again after it went on, and continued once more.
  ASSERT_EQ(Sim("--seed 5 " + play + " --save-at 30 save.txt").status, 0);
  ASSERT_EQ(Sim("--continue save.txt " + play + " --save-at 80 again.txt").status, 0);
  const SimRun twice = Sim("--continue again.txt " + play + " --record twice.demo");
  EXPECT_EQ(twice.report.text, straight.report.text);
  Write("game.demo", Read("twice.demo"));
  const SimRun replayed = Sim("--replay game.demo");
  EXPECT_EQ(replayed.status, 0) << replayed.err;
  EXPECT_EQ(replayed.report.text, straight.report.text);

  const std::string good = Read("save.txt");
  const size_t sum = good.rfind("sum ");
  const auto refused = [&](const std::string& text, const std::string& why) {
    Write("bad.txt", text);
    const SimRun run = Sim("--continue bad.txt " + play);
    EXPECT_NE(run.status, 0) << why;
    EXPECT_NE(run.err.find(why), std::string::npos) << run.err;
  };
  std::string flipped = good;
  flipped[sum / 2] ^= 1;
  refused(flipped, "damaged");
  refused(good.substr(0, sum), "damaged");
  refused(good.substr(0, good.size() - 1), "damaged");
  refused("kestrova-demo 1\n", "no saved game");
  refused("kestrova-save 2\n" + good.substr(good.find('\n') + 1), "another version");
  // Other rules, with the sum made right again: only the rules' version speaks.
  std::string rules = good.substr(0, sum);
  rules.replace(rules.find("rules 1"), 7, "rules 9");
  uint64_t hash = 0xcbf29ce484222325u;
  for (const char c : rules) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
  char line[32];
  std::snprintf(line, sizeof line, "sum %016llx\n", static_cast<unsigned long long>(hash));
  refused(rules + line, "other rules");
  EXPECT_EQ(Sim("--continue save.txt " + play).status, 0) << "the good save still continues";
}

// Demos no game recorded are no demos (status 2, the map line named), and an output that is
// the demo, under any name, is a command-line mistake that touches nothing.
TEST_F(SimTest, ForgedMapLinesAndCollidingFilesAreRefused) {
  const std::string head = "kestrova-demo 1\nseed 1\nscreen 64 64 0 60\n";
  Write("huge.demo", head + "map 2147483647 0 0 -1 -1 2 1000000\n");
  Write("noland.demo", head + "map 0 0 0 0 0 2 1000000\nf\n");
  for (const char* demo : {"huge.demo", "noland.demo"}) {
    const SimRun run = Sim(std::string("--replay ") + demo);
    EXPECT_EQ(run.status, 2) << demo;
    EXPECT_NE(run.err.find(std::string(demo) + ": line 4: map values that"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("map.txt"), std::string::npos) << run.err;
  }

  const std::string demo = ReadWholeFile(KESTROVA_SOURCE_DIR "/bench/busy_fight.demo");
  Write("game.demo", demo);
  fs::create_directory(dir_ / "sub");
  fs::create_symlink("game.demo", dir_ / "soft.demo");
  fs::create_hard_link(dir_ / "game.demo", dir_ / "hard.demo");
  fs::create_symlink(dir_ / "sub", dir_ / "via");
  for (const char* args : {"--replay game.demo --out game.demo", "--replay game.demo --out ./game.demo",
                           "--replay game.demo --out sub/../game.demo", "--replay soft.demo --out game.demo",
                           "--replay game.demo --out hard.demo", "--seed 1 --map map.txt --out ./map.txt",
                           "--seed 1 --script new.txt --out via/../sub/../new.txt", "--replay via/x --out sub/x"}) {
    const int raw = std::system(
        ("cd '" + dir_.string() + "' && '" KESTROVA_BINARY_DIR "/kestrova-sim' " + args + " 2> err.txt").c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 2) << args;
    EXPECT_NE(Read("err.txt").find("name the same file"), std::string::npos) << args << ": " << Read("err.txt");
    EXPECT_NE(Read("err.txt").find("usage: kestrova-sim"), std::string::npos) << args;
  }
  EXPECT_EQ(Read("game.demo"), demo);
  EXPECT_FALSE(fs::exists(dir_ / "new.txt"));
  EXPECT_FALSE(fs::exists(dir_ / "sub/x"));
}

}  // namespace

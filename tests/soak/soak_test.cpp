// The scripted heavy fight of heavy_fight.txt on the small world of fight_map.txt, played by
// kestrova-sim: every weapon fires, enemies die, items are picked up, the player lives on,
// and the heap grows only by the blood decals, which the game keeps by design.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../support/read_file.h"
#include "../support/report.h"
#include "actors/tblood.h"
#include "memory_probe.h"
#include "rules/random.h"
#include "state/game.h"

namespace {

namespace fs = std::filesystem;

// Frames from the environment, so that scripts/sanitize can play the fight for longer.
int32_t FramesFrom(const char* variable, int32_t fallback) {
  const char* text = std::getenv(variable);
  if (text == nullptr || *text == '\0') return fallback;
  return std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

struct Report {
  std::map<std::string, std::vector<int64_t>> header;  // the integer lines: frames, figures, ...
  std::vector<int64_t> player;                         // the player's F line, fields as text -> int
  std::vector<std::vector<std::string>> items;
  std::vector<TMemorySample> memory;
};

class FightTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / ("kestrova_soak_" + std::string(info->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Plays the fight; false when kestrova-sim fails (a sanitizer report makes it fail too).
  bool Play(int32_t frames, const std::string& extra, Report& r, std::string& err) const {
    const std::string src = KESTROVA_SOURCE_DIR "/tests/soak/";
    const std::string cmd = "'" SIM_PATH "' --seed 1 --map '" + src + "fight_map.txt' --script '" + src +
                            "heavy_fight.txt' --repeat 1000 --frames " + std::to_string(frames) + " " + extra +
                            " --out '" + (dir_ / "out.txt").string() + "' 2> '" + (dir_ / "err.txt").string() + "'";
    const int raw = std::system(cmd.c_str());
    err = Read("err.txt");
    if (!WIFEXITED(raw) || WEXITSTATUS(raw) != 0) return false;
    Parse(Read("out.txt"), r);
    return true;
  }

  std::string Read(const std::string& name) const { return ReadWholeFile(dir_ / name); }

  static void Parse(const std::string& text, Report& r) {
    const TReport report = ReadReport(text);
    if (const TReport::Words* player = report.Figure("3001")) {
      for (size_t i = 1; i < player->size(); ++i) r.player.push_back(static_cast<int64_t>(std::stod((*player)[i])));
    }
    r.items = report.items;
    for (const TReport::Words& f : report.lines) {
      if (f[0] == "memory") {
        TMemorySample s;
        s.frame = std::stoi(f[1]);
        s.figures = std::stoi(f[2]);
        s.items = std::stoi(f[3]);
        s.shots = std::stoi(f[4]);
        s.blood = std::stoi(f[5]);
        s.heapBytes = std::stoll(f[6]);
        s.rssKb = std::stoll(f[7]);
        r.memory.push_back(s);
      } else if (f[0] == "fired") {
        for (size_t i = 2; i < f.size(); ++i) r.header["fired " + f[1]].push_back(std::stoll(f[i]));
      } else if (f[0] != "F" && f[0] != "I" && f[0] != "S" && f[0] != "B") {
        for (size_t i = 1; i < f.size(); ++i) r.header[f[0]].push_back(std::stoll(f[i]));
      }
    }
  }

  fs::path dir_;
};

// Field positions of the player's line after the leading "F": id X Y Side HP EP Art weapon w0..w4 Time.
enum { kHP = 4, kEP = 5 };

TEST_F(FightTest, EveryWeaponFiresEnemiesDieItemsArePickedUp) {
  const int32_t frames = FramesFrom("KESTROVA_FIGHT_FRAMES", 3000);
  Report r;
  std::string err;
  ASSERT_TRUE(Play(frames, "--tally", r, err)) << err;
  // The player lives through the whole fight: the healing items outweigh the wounds.
  EXPECT_EQ(r.header.at("frames").at(0), frames);
  EXPECT_EQ(r.header.at("gameState").at(0), 0);
  ASSERT_EQ(r.player.size(), 14u);
  EXPECT_GE(r.player[kHP], 0);

  const int64_t died = 3001 - (r.header.at("figures").at(0) - 1);
  const int64_t picked = 5001 - r.header.at("items").at(0);
  EXPECT_GT(died, 0);
  EXPECT_GT(picked, 0);
  EXPECT_EQ(r.player[kEP], picked + 10 * died);
  EXPECT_GT(r.header.at("blood").at(0), 0);
  const auto& byPlayer = r.header.at("fired player");
  const auto& byEnemies = r.header.at("fired enemies");
  ASSERT_EQ(byPlayer.size(), 5u);
  ASSERT_EQ(byEnemies.size(), 5u);
  for (size_t kind = 0; kind < 5; ++kind) {
    EXPECT_GT(byPlayer[kind], 0) << "the player's weapon " << kind + 1;
    EXPECT_GT(byEnemies[kind], 0) << "the enemies' weapon kind " << kind;
  }
  std::cout << "fight: " << frames << " frames, " << died << " enemies died, " << picked << " items picked up, "
            << r.header.at("blood").at(0) << " decals, player HP " << r.player[kHP] << "\n";
}

// Heap bytes that one more decal takes, in this process's allocator: the decal, its list link
// and their reference counts.
double BytesPerDecal() {
  SeedRandom(3);
  const int32_t before = game.bloodList ? game.bloodList->Count() : 0;
  const int64_t heapBefore = HeapBytesInUse();
  for (int32_t i = 0; i < 240000; ++i) Tblood::neu(0, 0);
  const int32_t made = game.bloodList->Count() - before;
  return static_cast<double>(HeapBytesInUse() - heapBefore) / made;
}

TEST_F(FightTest, MemoryGrowsOnlyWithTheDecals) {
  const int32_t frames = FramesFrom("KESTROVA_SOAK_FRAMES", 3000);
  Report r;
  std::string err;
  ASSERT_TRUE(Play(frames, "--memory " + std::to_string(std::max(1, frames / 10)), r, err)) << err;
  ASSERT_GE(r.memory.size(), 2u);
  const TMemorySample& first = r.memory.front();
  const TMemorySample& last = r.memory.back();
  EXPECT_EQ(first.frame, 0);
  EXPECT_EQ(last.frame, frames);

  // The sim and this test share the allocator (both built alike), so a decal costs the same.
  const double perDecal = BytesPerDecal();
  EXPECT_GT(perDecal, 0.0);
  EXPECT_LT(perDecal, 512.0);

  for (size_t i = 1; i < r.memory.size(); ++i) {
    const TMemorySample& a = r.memory[i - 1];
    const TMemorySample& b = r.memory[i];
    EXPECT_LE(b.figures, a.figures);  // nobody is made during play
    EXPECT_LE(b.items, a.items);
    EXPECT_GE(b.blood, a.blood);  // decals stay
    EXPECT_LT(b.shots, 5000) << "frame " << b.frame;
    // Dead figures and picked-up items give their memory back, so whatever the decals do
    // not explain stays small.
    const double unexplained = static_cast<double>(b.heapBytes - first.heapBytes) - perDecal * (b.blood - first.blood);
    EXPECT_LT(unexplained, 1 << 20) << "frame " << b.frame;
  }
  EXPECT_GT(last.blood, first.blood);

  std::cout << "soak: " << frames << " frames, " << last.blood << " decals, " << perDecal << " bytes per decal\n";
  std::cout << "  frame figures items shots decals heap-bytes rss-kB unexplained-bytes\n";
  for (const TMemorySample& s : r.memory) {
    const double unexplained = static_cast<double>(s.heapBytes - first.heapBytes) - perDecal * (s.blood - first.blood);
    std::cout << "  " << s.frame << ' ' << s.figures << ' ' << s.items << ' ' << s.shots << ' ' << s.blood << ' '
              << s.heapBytes << ' ' << s.rssKb << ' ' << static_cast<int64_t>(unexplained) << "\n";
  }
}

}  // namespace

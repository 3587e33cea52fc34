// The best scores kept in the player's data folder: the line format, the ranking, games that
// end at the same moment, damaged lines, a full disk and a file that is no scores file.
#include "app/player/scores.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "tests/platform/support.h"
#include "tests/support/full_disk.h"

namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TScore Game(int32_t score, int32_t seed) { return {"2026-12-08", "11:48:48", score, score / 10, 95, seed}; }

TEST(ScoresTest, LinesRoundTripAndOddLinesAreNoScores) {
  const TScore s = Game(1230, -17);
  EXPECT_EQ(ScoreLine(s), "2026-12-08 11:48:48 1230 123 95 -17");
  TScore back;
  ASSERT_TRUE(ParseScoreLine(ScoreLine(s), back));
  EXPECT_EQ(back, s);
  ASSERT_TRUE(ParseScoreLine("2026-12-08  11:48:48\t1230 123 95 -17\r", back));
  EXPECT_EQ(back, s);
  for (const char* bad :
       {"", "# comment", "2026-12-08 11:48:48 1230 123 95", "2026-12-08 11:48:48 1230 123 95 7 8",
        "2026-12-8 11:48:48 1230 123 95 7", "2026-12-08 11.48.48 1230 123 95 7", "2026-12-08 11:48:48 12x0 123 95 7",
        "2026-12-08 11:48:48 1230 -1 95 7", "2026-12-08 11:48:48 1230 123 95 99999999999"}) {
    EXPECT_FALSE(ParseScoreLine(bad, back)) << bad;
  }
}

TEST(ScoresTest, AddedGamesRankBestFirstAndDamagedLinesAreNamedAndKept) {
  platform_test::TempDir dir;
  const std::string file = dir.File("data/kestrova/scores.txt");
  // Before the first game the list says there is none, and that is no failure.
  testing::internal::CaptureStdout();
  EXPECT_EQ(PrintScores(file), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Noch keine Spiele: ", 0), 0u);
  TScoreRank rank;
  ASSERT_TRUE(AddScore(file, Game(500, 1), rank));
  testing::internal::CaptureStdout();
  EXPECT_EQ(PrintScores(file), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("Platz  Datum", 0), 0u);
  EXPECT_EQ((std::array<int32_t, 3>{rank.best, rank.place, rank.count}), (std::array<int32_t, 3>{500, 1, 1}));
  // A line cut short by hand, and one that is no score at all, between the games.
  std::ofstream(file, std::ios::app) << "2026-12-08 11:50:00 70\nnonsense\n";
  ASSERT_TRUE(AddScore(file, Game(900, 2), rank));
  testing::internal::CaptureStderr();
  ASSERT_TRUE(AddScore(file, Game(500, 3), rank));
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find(file + ":2: not a score line"), std::string::npos) << errors;
  EXPECT_NE(errors.find(file + ":3: not a score line"), std::string::npos) << errors;
  // Equal scores: the earlier game ranks first.
  EXPECT_EQ((std::array<int32_t, 3>{rank.best, rank.place, rank.count}), (std::array<int32_t, 3>{900, 3, 3}));
  EXPECT_EQ(Read(file), ScoreLine(Game(500, 1)) + "\n2026-12-08 11:50:00 70\nnonsense\n" + ScoreLine(Game(900, 2)) +
                            "\n" + ScoreLine(Game(500, 3)) + "\n");

  TScoreFile read;
  std::string problem;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(ReadScores(file, read, problem));
  testing::internal::GetCapturedStderr();
  const std::vector<TScore> ranked = Ranked(read.scores);
  ASSERT_EQ(ranked.size(), 3u);
  EXPECT_EQ(ranked[0].seed, 2);
  EXPECT_EQ(ranked[1].seed, 1);
  EXPECT_EQ(ranked[2].seed, 3);
  ASSERT_TRUE(ReadScores(dir.File("none.txt"), read, problem));
  EXPECT_TRUE(read.lines.empty());
}

TEST(ScoresTest, GamesEndingAtOnceKeepEveryLine) {
  platform_test::TempDir dir;
  const std::string file = dir.File("scores.txt");
  constexpr int kGames = 40;
  std::vector<pid_t> children;
  for (int32_t player = 0; player < 2; ++player) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      TScoreRank rank;
      bool ok = true;
      for (int32_t i = 0; i < kGames; ++i) ok = AddScore(file, Game(i, player * 1000 + i), rank) && ok;
      _exit(ok ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (const pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  TScoreFile read;
  std::string problem;
  ASSERT_TRUE(ReadScores(file, read, problem));
  std::set<int32_t> seeds;
  for (const TScore& s : read.scores) seeds.insert(s.seed);
  EXPECT_EQ(read.lines.size(), 2u * kGames);
  EXPECT_EQ(seeds.size(), 2u * kGames);
}

TEST(ScoresTest, AFullDiskLeavesTheEarlierFileWhole) {
  TFullDisk disk;
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a small file system here";
  const std::string file = disk.Path("scores.txt");
  TScoreRank rank;
  ASSERT_TRUE(AddScore(file, Game(300, 1), rank));
  const std::string before = Read(file);
  disk.Fill();
  testing::internal::CaptureStderr();
  EXPECT_FALSE(AddScore(file, Game(400, 2), rank));
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("cannot keep the score in " + file + ": No space left on device"), std::string::npos) << errors;
  EXPECT_EQ(Read(file), before);
  EXPECT_EQ(disk.Names(), (std::vector<std::string>{"scores.txt", "scores.txt.lock"}));
  // The screen still tells where this game stands among those kept.
  EXPECT_EQ((std::array<int32_t, 3>{rank.best, rank.place, rank.count}), (std::array<int32_t, 3>{400, 1, 2}));
}

// A FIFO that nobody writes, a folder, a file of more than 16 MiB: each is named at once, the
// game's score is not kept, and the file stays as it was.
TEST(ScoresTest, WhatIsNoScoresFileIsNamedAndLeftAsItIs) {
  namespace fs = std::filesystem;
  platform_test::TempDir dir;
  const std::string file = dir.File("scores.txt");
  const auto refused = [&](const std::string& why) {
    TScoreRank rank;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(AddScore(file, Game(700, 1), rank));
    EXPECT_EQ(PrintScores(file), 1);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("cannot keep the score in " + file + ": cannot read it: " + why), std::string::npos)
        << errors;
    EXPECT_NE(errors.find("cannot read the scores in " + file + ": " + why), std::string::npos) << errors;
    EXPECT_EQ(rank.count, 1);
  };
  ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
  refused("it is not a regular file");
  EXPECT_EQ(fs::status(file).type(), fs::file_type::fifo);
  fs::remove(file);
  fs::create_directory(file);
  refused("it is a folder");
  EXPECT_TRUE(fs::is_empty(file));
  fs::remove(file);
  std::ofstream(file) << ScoreLine(Game(500, 2)) << "\n";
  fs::resize_file(file, (16 << 20) + 1);
  refused("it holds 16777217 bytes, more than a scores file does (16777216 at most)");
  EXPECT_EQ(fs::file_size(file), (16u << 20) + 1);
  EXPECT_EQ(Read(file).substr(0, 8), "2026-12-");
}

}  // namespace

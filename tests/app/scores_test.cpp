// The best scores kept in the player's data folder: the line format, the ranking, games that
// end at the same moment, damaged lines, a full disk and a file that is no scores file.
#include "app/player/scores.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
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

TScore Game(int32_t score, int32_t seed) { return {"2026-12-08", "11:48:48", score, score / 10, 95, seed, {}}; }

// A game of version 2: how it went besides.
TScore Counted(int32_t score, int32_t seed, int32_t shots, int32_t hits) {
  TScore s = Game(score, seed);
  TGameCounts c;
  c.end = TGameEnd::Defeated;
  c.seconds = s.seconds;
  c.defeated = {s.kills, 0, 0, 0, 0, 0};
  c.shots = {shots, 0, 0, 1, 0};
  c.hits = {hits, 0, 0, 0, 0};
  c.items = 7;
  s.counts = c;
  return s;
}

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

// Version 2 adds how the game went; lines of version 1 still read, rank among the others and
// stay as they are, and the file names its version once at the top.
TEST(ScoresTest, BothVersionsReadAndRankTogether) {
  const TScore s = Counted(1230, -17, 9, 3);
  EXPECT_EQ(ScoreLine(s), "2026-12-08 11:48:48 1230 123 95 -17 died 123,0,0,0,0,0 9,0,0,1,0 3,0,0,0,0 7");
  TScore back;
  ASSERT_TRUE(ParseScoreLine(ScoreLine(s), back));
  EXPECT_EQ(back, s);
  ASSERT_TRUE(ParseScoreLine("2026-12-08 11:48:48 5 0 61 1 quit 0,0,0,0,0,0 0,0,0,0,0 0,0,0,0,0 0", back));
  EXPECT_EQ(back.counts, TGameCounts{.seconds = 61});
  for (const char* bad : {"2026-12-08 11:48:48 1230 123 95 -17 lost 123,0,0,0,0,0 9,0,0,1,0 3,0,0,0,0 7",
                          "2026-12-08 11:48:48 1230 123 95 -17 died 123,0,0,0,0 9,0,0,1,0 3,0,0,0,0 7",
                          "2026-12-08 11:48:48 1230 123 95 -17 died 123,0,0,0,0,0 9,0,0,1,0, 3,0,0,0,0 7",
                          "2026-12-08 11:48:48 1230 123 95 -17 died 123,0,0,0,0,0 9,0,,1,0 3,0,0,0,0 7",
                          "2026-12-08 11:48:48 1230 123 95 -17 died 123,0,0,0,0,0 9,0,-1,1,0 3,0,0,0,0 7",
                          "2026-12-08 11:48:48 1230 123 95 -17 died 123,0,0,0,0,0 9,0,0,1,0 3,0,0,0,0",
                          "2026-12-08 11:48:48 1230 123 95 -17 died 123,0,0,0,0,0 9,0,0,1,0 3,0,0,0,0 7 8"}) {
    EXPECT_FALSE(ParseScoreLine(bad, back)) << bad;
  }
  // The counts alone, as a game carried on keeps them.
  TGameCounts counts;
  ASSERT_TRUE(ParseCounts(CountsText(*s.counts), counts));
  EXPECT_EQ(counts, *s.counts);
  EXPECT_EQ(CountsText(counts), "died 95 123,0,0,0,0,0 9,0,0,1,0 3,0,0,0,0 7");

  platform_test::TempDir dir;
  const std::string file = dir.File("scores.txt");
  const std::string old = ScoreLine(Game(800, 1)) + "\n" + ScoreLine(Game(100, 2)) + "\n";
  std::ofstream(file) << old;
  TScoreRank rank;
  ASSERT_TRUE(AddScore(file, Counted(500, 3, 9, 3), rank));
  ASSERT_TRUE(AddScore(file, Counted(900, 4, 0, 0), rank));
  EXPECT_EQ((std::array<int32_t, 3>{rank.best, rank.place, rank.count}), (std::array<int32_t, 3>{900, 1, 4}));
  EXPECT_EQ(Read(file), std::string(kScoresHeader) + "\n" + old + ScoreLine(Counted(500, 3, 9, 3)) + "\n" +
                            ScoreLine(Counted(900, 4, 0, 0)) + "\n");
  TScoreFile read;
  std::string problem;
  ASSERT_TRUE(ReadScores(file, read, problem));
  std::vector<int32_t> seeds;
  for (const TScore& r : Ranked(read.scores)) seeds.push_back(r.seed);
  EXPECT_EQ(seeds, (std::vector<int32_t>{4, 1, 3, 2}));
  // The share of shots that hit where a line keeps it.
  testing::internal::CaptureStdout();
  EXPECT_EQ(PrintScores(file), 0);
  std::istringstream rows(testing::internal::GetCapturedStdout());
  std::vector<std::string> accuracy;
  for (std::string row; std::getline(rows, row);) {
    const std::string last = row.substr(row.size() - 7);  // the column's width
    accuracy.push_back(last.substr(last.find_first_not_of(' ')));
  }
  EXPECT_EQ(accuracy, (std::vector<std::string>{"Treffer", "0 %", "-", "30 %", "-"}));
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

// A lock another program holds is waited for a bounded time, and not at all once the game is
// told to stop; a lock file another user left that cannot be opened for writing still locks.
TEST(ScoresTest, AHeldLockIsWaitedForBrieflyAndAForeignLockFileStillLocks) {
  platform_test::TempDir dir;
  const std::string file = dir.File("scores.txt");
  TScoreRank rank;
  ASSERT_TRUE(AddScore(file, Game(500, 1), rank));
  {
    // Another open of the lock file stands for another program holding it.
    const int held = open((file + ".lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    int asked = 0;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(AddScore(file, Game(900, 2), rank, [&] { return ++asked < 3; }));
    EXPECT_EQ(asked, 3) << "the wait ends when told to stop";
    std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors, "Kestrova: another program holds " + file + ".lock; waiting for it up to 1500 ms\n" +
                          "Kestrova: cannot keep the score in " + file + ": cannot lock " + file +
                          ".lock: another program holds it, and the wait for it was given up\n");
    asked = 0;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(AddScore(file, Game(900, 2), rank, [&] { return ++asked > 0; }));
    errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find(".lock: another program holds it\n"), std::string::npos) << errors;
    // Tried again every 5 ms or more, until the wait is over.
    EXPECT_GT(asked, 1) << "the wait lasts";
    EXPECT_LE(asked, kScoresLockWaitMs / 5 + 1) << "and ends";
    close(held);
  }
  EXPECT_EQ(Read(file), ScoreLine(Game(500, 1)) + "\n");
  if (getuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  // The lock file left by root with no write for others; the player is nobody.
  chmod(dir.File("").c_str(), 0777);
  chmod(file.c_str(), 0666);
  chmod((file + ".lock").c_str(), 0444);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) _exit(setuid(65534) == 0 && AddScore(file, Game(700, 3), rank) ? 0 : 1);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_NE(Read(file).find(ScoreLine(Game(700, 3))), std::string::npos) << Read(file);
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

// Playing on without leaving the program: R plays the same world again, N a new one, each game
// as a fresh program plays it; the scores of every game are kept and listed; the corner of the
// window tells of a mistake in settings.txt and of a screenshot saved, and stderr still does.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../support/read_file.h"
#include "app/player/scores.h"
#include "game_run.h"
#include "screens.h"

namespace {

namespace fs = std::filesystem;

// White pixels in the corner's band of rows, between two columns.
int WhiteInCorner(const TPixmap& shot, int fromX, int toX) {
  int white = 0;
  for (int y = 8; y < 40; ++y) {
    for (int x = fromX; x < toX; ++x) white += PixelAt(shot, x, y) == TRgb{255, 255, 255};
  }
  return white;
}

// Notices stay in the right half, at the font's own size when twice would not fit there.
// "settings.txt Zeile 4: unbekannter Name (+1 weitere)": 51 letters, from 608 pixels on.
bool ShowsSettingsNotice(const TPixmap& shot) { return ShowsHud(shot) && WhiteInCorner(shot, 608, 700) > 20; }

// "Bild: kestrova-YYYYMMDD-HHMMSS-mmm.png": 38 letters, from 712 on.
bool ShowsPictureNotice(const TPixmap& shot) {
  return ShowsHud(shot) && WhiteInCorner(shot, 600, 708) < 5 && WhiteInCorner(shot, 712, kW - 8) > 50;
}

// The score, then under it the best score and place, and the keys, all from the centre on.
bool ShowsScoreWithPlayAgain(const TPixmap& shot) {
  if (!ShowsScore(shot)) return false;
  int best = 0;
  int keys = 0;
  for (int x = kW / 2; x < kW; ++x) {
    for (int y = kH / 2 + 96; y < kH / 2 + 128; ++y) best += PixelAt(shot, x, y) == TRgb{255, 255, 255};
    for (int y = kH / 2 + 144; y < kH / 2 + 160; ++y) keys += PixelAt(shot, x, y) == TRgb{255, 255, 255};
  }
  return best > 100 && keys > 100;
}

// The player's line of a report: "F id X Y ...", cut after X and Y; and the items' section.
std::string StartPlace(const std::string& report) {
  std::istringstream in(report);
  std::string line;
  std::string player;
  while (std::getline(in, line)) {
    if (line.rfind("player ", 0) == 0) player = "F " + line.substr(7) + " ";
    if (!player.empty() && line.rfind(player, 0) == 0) {
      std::istringstream f(line);
      std::string word, id, x, y;
      f >> word >> id >> x >> y;
      return x + " " + y;
    }
  }
  return {};
}

std::string Items(const std::string& report) {
  const size_t from = report.find("\nitems ");
  const size_t to = report.find("\nshots ");
  return from == std::string::npos || to == std::string::npos ? std::string() : report.substr(from, to - from);
}

// The visible game window of this process other than `first`; empty if none. With two games on
// one display the title alone does not tell them apart.
std::string WindowOf(const TGameProcess& game, const std::string& first) {
  const std::string search =
      "xdotool search --onlyvisible --pid " + std::to_string(game.Pid()) + " --name '^Kestrova$' 2>/dev/null";
  std::FILE* found = popen(search.c_str(), "r");
  if (found == nullptr) return {};
  std::string other;
  char line[64];
  while (other.empty() && std::fgets(line, sizeof line, found) != nullptr) {
    std::string id(line);
    while (!id.empty() && (id.back() == '\n' || id.back() == '\r')) id.pop_back();
    if (!id.empty() && id != first) other = id;
  }
  pclose(found);
  return other;
}

// Escape, and the score screen with its play-again lines.
void EndPlay(TGameProcess& game, const std::string& window, const std::string& shotName) {
  ASSERT_TRUE(Xdotool("key Escape"));
  ASSERT_TRUE(WaitFor(game, window, shotName, ShowsScoreWithPlayAgain)) << game.Errors();
}

TEST(PlayAgain, SameWorldNewWorldScoresAndNotices) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("again");
  const fs::path logs = folder.LogPath();
  const fs::path config = logs / "config";
  const fs::path data = logs / "data";
  fs::create_directories(config / "kestrova");
  std::ofstream(config / "kestrova" / "settings.txt")
      << "# mine\nvolume = 80\nmute = no\ncolour = blue\nvolume = loud\n";
  const std::vector<std::pair<std::string, std::string>> env = {{"XDG_CONFIG_HOME", config.string()},
                                                                {"XDG_DATA_HOME", data.string()}};
  const std::string report = (logs / "report.txt").string();
  std::string first, second, third;
  int newSeed = 0;
  {
    TGameProcess game(folder, false, {"--seed", "7", "--report", report}, env);
    const std::string window = game.Window(30);
    ASSERT_FALSE(window.empty()) << game.Errors();
    ASSERT_TRUE(WaitFor(game, window, "e2e_again_settings.png", ShowsSettingsNotice)) << game.Errors();
    EXPECT_NE(game.Errors().find("settings.txt:4: unknown setting 'colour'"), std::string::npos) << game.Errors();
    ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
    ASSERT_TRUE(Xdotool("key F12"));
    const std::string saved = game.WaitForErrorLine("Kestrova: screenshot saved as ", 30);
    ASSERT_FALSE(saved.empty()) << game.Errors();
    EXPECT_TRUE(fs::exists(saved)) << saved;
    EXPECT_EQ(fs::path(saved).parent_path(), data / "kestrova" / "screenshots");
    ASSERT_TRUE(WaitFor(game, window, "e2e_again_picture.png", ShowsPictureNotice)) << game.Errors();
    EndPlay(game, window, "e2e_again_score1.png");
    first = ReadWholeFile(report);

    // The same world: the player starts where it started before.
    ASSERT_TRUE(Xdotool("key r"));
    EXPECT_EQ(game.WaitForErrorLine("Kestrova: game 2, ", 60), "the same world, seed 7");
    ASSERT_TRUE(WaitFor(game, window, "e2e_again_play2.png", ShowsHud)) << game.Errors();
    EndPlay(game, window, "e2e_again_score2.png");
    second = ReadWholeFile(report);

    ASSERT_TRUE(Xdotool("key n"));
    const std::string news = game.WaitForErrorLine("Kestrova: game 3, ", 60);
    ASSERT_EQ(news.rfind("a new world, seed ", 0), 0u) << news;
    newSeed = std::stoi(news.substr(18));
    ASSERT_TRUE(WaitFor(game, window, "e2e_again_play3.png", ShowsHud)) << game.Errors();
    EndPlay(game, window, "e2e_again_score3.png");
    third = ReadWholeFile(report);
    ASSERT_TRUE(Xdotool("key Return"));
    EXPECT_EQ(game.WaitForExit(30), 0) << game.Errors();
  }
  ASSERT_EQ(first.rfind("frames ", 0), 0u) << first.substr(0, 200);
  EXPECT_FALSE(StartPlace(first).empty());
  EXPECT_EQ(StartPlace(second), StartPlace(first));
  EXPECT_EQ(Items(second), Items(first));
  EXPECT_NE(Items(third), Items(first));

  // A fresh program on the third game's seed, with a line spoilt in the scores meanwhile.
  const fs::path scores = data / "kestrova" / "scores.txt";
  std::ofstream(scores, std::ios::app) << "2026-12-08 spoilt\n";
  std::string fresh;
  {
    TGameProcess game(folder, false, {"--seed", std::to_string(newSeed), "--report", report}, env);
    const std::string window = game.Window(30);
    ASSERT_FALSE(window.empty()) << game.Errors();
    ASSERT_TRUE(WaitFor(game, window, "e2e_again_fresh.png", ShowsHud)) << game.Errors();
    ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
    EndPlay(game, window, "e2e_again_fresh_score.png");
    fresh = ReadWholeFile(report);
    ASSERT_TRUE(Xdotool("key Return"));
    EXPECT_EQ(game.WaitForExit(30), 0) << game.Errors();
    // Under the line that names the file's version, three games and the spoilt line.
    EXPECT_NE(game.Errors().find(scores.string() + ":5: not a score line"), std::string::npos) << game.Errors();
  }
  // What the seed and the input (standing still, then Escape) fix is the same: the world with
  // its items and where the player starts. The enemies move with every frame and the real clock,
  // which no two runs share (the headless again_test compares whole reports).
  EXPECT_EQ(StartPlace(fresh), StartPlace(third));
  EXPECT_EQ(Items(fresh), Items(third));

  // Four games kept, the spoilt line with them, listed best first.
  const std::string kept = ReadWholeFile(scores);
  EXPECT_NE(kept.find("\n2026-12-08 spoilt\n"), std::string::npos) << kept;
  const TCommand listed =
      RunCommand("env XDG_DATA_HOME='" + data.string() + "' '" + folder.Program().string() + "' --scores", logs);
  EXPECT_EQ(listed.status, 0) << listed.err;
  std::istringstream rows(listed.out);
  std::string row;
  std::getline(rows, row);
  EXPECT_EQ(row.rfind("Platz  Datum", 0), 0u) << listed.out;
  std::vector<long> points;
  std::vector<std::string> seeds;
  int watchable = 0;
  while (std::getline(rows, row)) {
    // Under the list, how to watch the games marked with a star.
    if (row.rfind("* ", 0) == 0) continue;
    watchable += row.ends_with("  *");
    std::istringstream r(row);
    std::string place, date, time, seed;
    long score = 0, kills = 0, seconds = 0;
    r >> place >> date >> time >> score >> kills >> seconds >> seed;
    points.push_back(score);
    seeds.push_back(seed);
  }
  ASSERT_EQ(points.size(), 4u) << listed.out;
  EXPECT_EQ(watchable, 4) << listed.out;
  EXPECT_TRUE(std::is_sorted(points.rbegin(), points.rend())) << listed.out;
  EXPECT_EQ(std::count(seeds.begin(), seeds.end(), "7"), 2) << listed.out;
  EXPECT_EQ(std::count(seeds.begin(), seeds.end(), std::to_string(newSeed)), 2) << listed.out;
}

// The picture under the pause menu's left, away from the menu, the caption and the notices.
bool SameLeftOfTheMenu(const TPixmap& a, const TPixmap& b) {
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < 300; ++x) {
      if (PixelAt(a, x, y) != PixelAt(b, x, y)) return false;
    }
  }
  return true;
}

// What a save holds from its demo line to its sum: the game, without the time it was saved.
std::string SavedDemo(const std::string& save) {
  const size_t demo = save.find("\nkestrova-demo ");
  const size_t sum = save.rfind("sum ");
  return demo == std::string::npos || sum < demo ? std::string() : save.substr(demo, sum - demo);
}

// Sichern und beenden, then the next start goes on paused where it stopped, with the same
// report and picture, and uses the save up; --new leaves a save for later; a damaged or a
// foreign save is named, put aside and a new game starts.
TEST(PlayAgain, ASavedGameGoesOnPausedWhereItStoppedOnce) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("saved");
  const fs::path logs = folder.LogPath();
  const fs::path data = logs / "data";
  const fs::path save = data / "kestrova" / "saved_game.txt";
  const std::vector<std::pair<std::string, std::string>> env = {{"XDG_CONFIG_HOME", (logs / "config").string()},
                                                                {"XDG_DATA_HOME", data.string()}};
  const auto report = [&](const char* name) { return (logs / name).string(); };
  const auto saveAndQuit = [](TGameProcess& game) {
    ASSERT_TRUE(Xdotool("key Up Up Return"));
    EXPECT_EQ(game.WaitForExit(30), 0) << game.Errors();
  };
  TPixmapPtr before;
  {
    TGameProcess game(folder, false, {"--report", report("saved.txt")}, env);
    const std::string window = game.Window(30);
    ASSERT_FALSE(window.empty()) << game.Errors();
    ASSERT_TRUE(WaitFor(game, window, "e2e_saved_play.png", ShowsHud)) << game.Errors();
    ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
    ASSERT_TRUE(Xdotool("key --delay 100 w w w w d d p"));
    before = WaitFor(game, window, "e2e_saved_pause.png", ShowsPause);
    ASSERT_TRUE(before) << game.Errors();
    saveAndQuit(game);
    EXPECT_NE(game.Errors().find("the game is saved in " + save.string()), std::string::npos) << game.Errors();
  }
  const std::string saved = ReadWholeFile(save);
  ASSERT_FALSE(SavedDemo(saved).empty()) << saved.substr(0, 300);
  {
    TGameProcess game(folder, false, {"--report", report("again.txt")}, env);
    const std::string window = game.Window(30);
    ASSERT_FALSE(window.empty()) << game.Errors();
    const TPixmapPtr after = WaitFor(game, window, "e2e_saved_goes_on.png", ShowsPause);
    ASSERT_TRUE(after) << game.Errors();
    EXPECT_TRUE(SameLeftOfTheMenu(*before, *after)) << "another picture under the pause";
    EXPECT_TRUE(WaitUntil([&] { return !fs::exists(save); }, 30)) << "the save is not used up";
    ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
    saveAndQuit(game);
  }
  EXPECT_EQ(ReadWholeFile(report("again.txt")), ReadWholeFile(report("saved.txt")));
  EXPECT_EQ(SavedDemo(ReadWholeFile(save)), SavedDemo(saved)) << "saved again at once, the same game";

  std::string errors;
  const auto freshGame = [&](const std::vector<std::string>& arguments, const std::string& name) {
    TGameProcess game(folder, false, arguments, env);
    errors.clear();
    const std::string window = game.Window(30);
    ASSERT_FALSE(window.empty()) << game.Errors();
    ASSERT_TRUE(WaitFor(game, window, "e2e_saved_" + name + ".png", ShowsHud)) << game.Errors();
    ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
    EndTheGame(game, window, "e2e_saved_" + name + "_score.png");
    errors = game.Errors();
  };
  const std::string kept = ReadWholeFile(save);
  freshGame({"--new"}, "new");
  EXPECT_EQ(ReadWholeFile(save), kept) << "--new leaves the save";

  std::string damaged = kept;
  damaged[damaged.size() / 2] ^= 0x20;
  for (const std::string& bad : {damaged, std::string("not a save\n")}) {
    std::ofstream(save, std::ios::binary | std::ios::trunc) << bad;
    freshGame({}, "bad");
    EXPECT_NE(errors.find("the saved game " + save.string() + " cannot be continued"), std::string::npos) << errors;
    EXPECT_FALSE(fs::exists(save));
    bool aside = false;
    for (const fs::directory_entry& e : fs::directory_iterator(save.parent_path())) {
      aside = aside || (e.path().filename().string().rfind("saved_game.txt.unusable-", 0) == 0 &&
                        ReadWholeFile(e.path()) == bad);
    }
    EXPECT_TRUE(aside) << "the save is not kept aside";
  }
}

// W on the score screen watches the game just played and comes back; --replay last plays it
// to the same report; the last few games are kept, besides those of the ten best scores.
TEST(PlayAgain, FinishedGamesAreKeptToWatchAgain) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("kept");
  const fs::path logs = folder.LogPath();
  const fs::path data = logs / "data";
  const fs::path games = data / "kestrova" / "games";
  fs::create_directories(logs / "config" / "kestrova");
  std::ofstream(logs / "config" / "kestrova" / "settings.txt") << "games_kept = 2\n";
  // Ten better games played before, one of them kept: these stay whatever follows.
  fs::create_directories(games);
  {
    std::ofstream scores(data / "kestrova" / "scores.txt");
    for (int i = 0; i < 10; ++i) scores << "2020-01-0" << i % 9 + 1 << " 10:00:0" << i << " 90000 9 60 " << i << "\n";
  }
  const fs::path best = games / "2020-01-01_10-00-00_0.demo";
  std::ofstream(best) << "kept\n";
  const std::vector<std::pair<std::string, std::string>> env = {{"XDG_CONFIG_HOME", (logs / "config").string()},
                                                                {"XDG_DATA_HOME", data.string()}};
  const std::string report = (logs / "played.txt").string();
  {
    TGameProcess game(folder, false, {"--report", report}, env);
    const std::string window = game.Window(30);
    ASSERT_FALSE(window.empty()) << game.Errors();
    for (int n = 1; n <= 3; ++n) {
      ASSERT_TRUE(WaitFor(game, window, "e2e_kept_play.png", ShowsHud)) << game.Errors();
      ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
      ASSERT_TRUE(Xdotool("key --delay 100 w w a"));
      EndPlay(game, window, "e2e_kept_score.png");
      if (n < 3) {
        ASSERT_TRUE(Xdotool("key n"));
        ASSERT_FALSE(game.WaitForErrorLine("Kestrova: game " + std::to_string(n + 1), 60).empty());
      }
    }
    // Watched from the score screen: play again, then Escape and the score screen is back.
    ASSERT_TRUE(Xdotool("key w"));
    ASSERT_TRUE(WaitFor(game, window, "e2e_kept_watch.png", ShowsHud)) << game.Errors();
    ASSERT_TRUE(Xdotool("key Escape"));
    ASSERT_TRUE(WaitFor(game, window, "e2e_kept_back.png", ShowsScoreWithPlayAgain)) << game.Errors();
    ASSERT_TRUE(Xdotool("key Return"));
    EXPECT_EQ(game.WaitForExit(30), 0) << game.Errors();
  }
  std::vector<std::string> kept;
  for (const fs::directory_entry& e : fs::directory_iterator(games)) kept.push_back(e.path().filename().string());
  std::sort(kept.begin(), kept.end());
  ASSERT_EQ(kept.size(), 3u) << "the best one and the last two";
  EXPECT_EQ(kept[0], best.filename().string());
  EXPECT_EQ(ReadWholeFile(best), "kept\n");

  const fs::path watched = logs / "watched.txt";
  TGameProcess replay(folder, false, {"--replay", "last", "--report", watched.string()}, env);
  const std::string window = replay.Window(30);
  ASSERT_FALSE(window.empty()) << replay.Errors();
  EXPECT_EQ(replay.WaitForExit(120), 0) << replay.Errors();
  EXPECT_EQ(ReadWholeFile(watched), ReadWholeFile(report)) << "the last game watched is not the one played";
}

}  // namespace

namespace {

// Two games closed at the same moment, each while the other writes: both lines are kept.
TEST(PlayAgain, TwoGamesEndingAtOnceKeepBothScores) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("at_once");
  const fs::path data = folder.LogPath() / "data";
  const fs::path scores = data / "kestrova" / "scores.txt";
  const std::vector<std::pair<std::string, std::string>> env = {{"XDG_DATA_HOME", data.string()}};
  TGameProcess one(folder, false, {"--seed", "11"}, env);
  const std::string first = one.Window(30);
  ASSERT_FALSE(first.empty()) << one.Errors();
  ASSERT_TRUE(WaitFor(one, first, "e2e_at_once_one.png", ShowsHud)) << one.Errors();
  // Its demo shows when it plays: a window still loading can look like play in a picture.
  const fs::path demo = folder.LogPath() / "two.demo";
  TGameProcess two(folder, false, {"--seed", "12", "--record", demo.string()}, env);
  std::string second;
  ASSERT_TRUE(WaitUntil([&] { return !(second = WindowOf(two, first)).empty() || !two.Running(); }, 30));
  ASSERT_FALSE(second.empty()) << two.Errors();
  // A window shows what lay under it until its program first draws: apart, the second window
  // cannot pass for one in play with the first one's HUD.
  ASSERT_TRUE(Xdotool("windowmove " + first + " 0 0"));
  ASSERT_TRUE(Xdotool("windowmove " + second + " 256 256"));
  ASSERT_TRUE(WaitFor(two, second, "e2e_at_once_two.png", ShowsHud)) << two.Errors();
  ASSERT_TRUE(WaitUntil([&] { return !PlayerSoFar(demo).empty(); }, 60, 100)) << two.Errors();
  // The close button ends play as Escape does; a second press of it leaves the score screen.
  ASSERT_TRUE(SendCloseRequest(first));
  ASSERT_TRUE(SendCloseRequest(second));
  // Each line is written before its score screen shows.
  std::string kept;
  const auto bothKept = [&] {
    kept = ReadWholeFile(scores);
    return std::count(kept.begin(), kept.end(), '\n') == 3;  // the version's line and two games
  };
  if (!WaitUntil(bothKept, 60)) {
    const TPixmapPtr shot = Screenshot(second, "e2e_at_once_stuck.png");
    ADD_FAILURE() << kept << "second game: hud " << (shot && ShowsHud(*shot)) << " pause "
                  << (shot && ShowsPause(*shot)) << " score " << (shot && ShowsScore(*shot)) << "\n"
                  << two.Errors();
  }
  ASSERT_TRUE(SendCloseRequest(first));
  ASSERT_TRUE(SendCloseRequest(second));
  EXPECT_EQ(one.WaitForExit(30), 0) << one.Errors();
  EXPECT_EQ(two.WaitForExit(30), 0) << two.Errors();
  kept = ReadWholeFile(scores);
  ASSERT_EQ(std::count(kept.begin(), kept.end(), '\n'), 3) << kept;
  std::istringstream lines(kept);
  std::set<std::string> seeds;
  for (std::string line; std::getline(lines, line);) {
    TScore s;
    if (ParseScoreLine(line, s)) seeds.insert(std::to_string(s.seed));
  }
  EXPECT_EQ(seeds, (std::set<std::string>{"11", "12"})) << kept;
}

// Another program holding the scores' lock: the game's end waits for it briefly, then shows
// the score screen with the notice and keeps nothing; a stop signal then ends the game with
// its status, not held by the wait.
TEST(PlayAgain, AHeldScoresLockNeitherFreezesTheEndNorHoldsAStop) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("lock_held");
  const fs::path data = folder.LogPath() / "data";
  const fs::path scores = data / "kestrova" / "scores.txt";
  fs::create_directories(scores.parent_path());
  const int lock = open((scores.string() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(lock, 0);
  ASSERT_EQ(flock(lock, LOCK_EX), 0);
  const std::vector<std::pair<std::string, std::string>> env = {{"XDG_DATA_HOME", data.string()}};
  const std::string refused = "cannot lock " + scores.string() + ".lock: another program holds it";
  {
    TGameProcess game(folder, false, {"--seed", "13"}, env);
    const std::string window = game.Window(30);
    ASSERT_FALSE(window.empty()) << game.Errors();
    ASSERT_TRUE(WaitFor(game, window, "e2e_lock_play.png", ShowsHud)) << game.Errors();
    ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
    ASSERT_TRUE(Xdotool("key Escape"));
    ASSERT_TRUE(WaitFor(game, window, "e2e_lock_score.png", ShowsScoreAndNotice)) << game.Errors();
    EXPECT_NE(game.Errors().find(refused), std::string::npos) << game.Errors();
    ASSERT_TRUE(Xdotool("key Return"));
    EXPECT_EQ(game.WaitForExit(30), 0) << game.Errors();
  }
  TGameProcess game(folder, false, {"--seed", "14"}, env);
  const std::string window = game.Window(30);
  ASSERT_FALSE(window.empty()) << game.Errors();
  ASSERT_TRUE(WaitFor(game, window, "e2e_lock_play2.png", ShowsHud)) << game.Errors();
  ASSERT_TRUE(SendCloseRequest(window));
  ASSERT_FALSE(game.WaitForErrorLine("Kestrova: another program holds ", 30).empty()) << game.Errors();
  game.Signal(SIGTERM);
  EXPECT_EQ(game.WaitForExit(30), 128 + SIGTERM) << game.Errors();
  // Given up at the signal, not run out a second and a half later.
  EXPECT_NE(game.Errors().find(refused + ", and the wait for it was given up"), std::string::npos) << game.Errors();
  EXPECT_FALSE(fs::exists(scores));
  close(lock);
}

}  // namespace

// The game's command line and its demos: a game played in the window with --record and
// --report replays to the same report headless and in the window, and demos that are cut,
// changed or no demo at all end with their own exit status.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../support/read_file.h"
#include "game_run.h"
#include "screens.h"

namespace {

namespace fs = std::filesystem;

// The loading screen of the stage that carves the land: its bar at 20 %.
bool ShowsCarving(const TPixmap& shot) {
  return shot.width == kW && PixelAt(shot, 20, kH / 2) == TRgb{128, 128, 128} &&
         PixelAt(shot, kW / 2, kH / 2) == TRgb{205, 50, 0};
}

std::string Sim(const std::string& args) { return "'" KESTROVA_BINARY_DIR "/kestrova-sim' " + args; }

TEST(CommandLine, HelpVersionAndMistakes) {
  TGameFolder folder("cli");
  const std::string game = (folder.Path() / "kestrova").string();
  const TCommand help = RunCommand(game + " --help", folder.LogPath());
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(
      help.out.find("Aufruf: kestrova [--new] [--seed N] [--record FILE] [--replay FILE|last|best] [--report FILE]"),
      std::string::npos);
  const TCommand version = RunCommand(game + " --version", folder.LogPath());
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "kestrova 1.0.0\n");
  // Mistakes stop before any window opens, so no display is needed here.
  for (const char* args : {"--fast", "--seed", "--seed 12x", "--report", "--replay a.demo --seed 1"}) {
    const TCommand wrong = RunCommand("env -u DISPLAY " + game + " " + args, folder.LogPath());
    EXPECT_EQ(wrong.status, 2) << args;
    EXPECT_NE(wrong.err.find("Aufruf: kestrova"), std::string::npos) << args << ": " << wrong.err;
  }
  // Two options naming one file, however spelt, touch nothing.
  const fs::path logs = folder.LogPath();
  const std::string demo = (logs / "a.demo").string();
  std::ofstream(demo) << "kestrova-demo 1\n";
  fs::create_symlink(demo, logs / "soft.demo");
  fs::create_hard_link(demo, logs / "hard.demo");
  const std::string fresh = (logs / "new.txt").string();
  for (const std::string& args : {"--record " + fresh + " --report " + fresh,
                                  "--record " + fresh + " --report " + (logs / "." / "new.txt").string(),
                                  "--replay " + demo + " --report " + (logs / "soft.demo").string(),
                                  "--replay " + (logs / "hard.demo").string() + " --report " + demo,
                                  "--seed 3 --report " + demo + " --record " + (logs / "x/../a.demo").string()}) {
    const TCommand wrong = RunCommand("env -u DISPLAY " + game + " " + args, logs);
    EXPECT_EQ(wrong.status, 2) << args;
    EXPECT_NE(wrong.err.find("name the same file"), std::string::npos) << args << ": " << wrong.err;
    EXPECT_NE(wrong.err.find("Aufruf: kestrova"), std::string::npos) << args;
  }
  EXPECT_EQ(ReadWholeFile(demo), "kestrova-demo 1\n");
  EXPECT_FALSE(fs::exists(fresh));
  // A demo into a FIFO that no process reads is refused before any window, not waited on.
  const std::string fifo = (logs / "nobody.fifo").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const TCommand unread = RunCommand("env -u DISPLAY timeout 20 " + game + " --seed 3 --record " + fifo, logs);
  EXPECT_EQ(unread.status, 1) << unread.err;
  EXPECT_NE(unread.err.find("cannot write the demo " + fifo + ": it is a FIFO that no process reads"),
            std::string::npos)
      << unread.err;
  // The same with its stderr piped into a reader that has gone: the game still ends with its
  // own status, not killed by the broken pipe.
  const TCommand gone = RunCommand("sh -c 'exec 3>&1; { sleep 0.3; env -u DISPLAY timeout 20 " + game +
                                       " --seed 3 --record " + fifo + "; echo $? >&3; } 2>&1 | true'",
                                   logs);
  EXPECT_EQ(gone.out, "1\n") << gone.err;
  // A forged demo whose world would take hours to carve is refused at once, naming its line.
  const std::string forged = (logs / "forged.demo").string();
  std::ofstream(forged) << "kestrova-demo 1\nseed 7\nscreen 1024 768 0 60\nmap 16000000 1 1 2047 2047 2047 3\n";
  const TCommand heavy =
      RunCommand("timeout 60 " + Sim("--replay '" + forged + "' --out '" + (logs / "x.txt").string() + "'"), logs);
  EXPECT_EQ(heavy.status, 2) << heavy.err;
  EXPECT_NE(heavy.err.find(forged + ": line 4: map values that ask for a walk"), std::string::npos) << heavy.err;
  // --help lists the keys in force, the player's own, in the player's language.
  fs::create_directories(logs / "config" / "kestrova");
  std::ofstream(logs / "config" / "kestrova" / "settings.txt") << "key_forward = I\nkey_weapon2 = F2\n";
  const std::string withConfig = "env XDG_CONFIG_HOME=" + (logs / "config").string() + " ";
  const TCommand own = RunCommand(withConfig + game + " --help", logs);
  EXPECT_EQ(own.status, 0);
  EXPECT_NE(own.out.find("vor / zurück gehen        I / S Down"), std::string::npos) << own.out;
  EXPECT_NE(own.out.find("Waffe 1 .. 5 wählen       1 F2 3 4 5"), std::string::npos) << own.out;
  std::ofstream(logs / "config" / "kestrova" / "settings.txt", std::ios::app) << "language = en\n";
  const TCommand english = RunCommand(withConfig + game + " --help", logs);
  EXPECT_NE(english.out.find("usage: kestrova [--new] [--seed N]"), std::string::npos) << english.out;
  EXPECT_NE(english.out.find("walk forward / back       I / S Down"), std::string::npos) << english.out;
  EXPECT_NE(english.out.find("select weapon 1 .. 5      1 F2 3 4 5"), std::string::npos) << english.out;
  const TCommand englishMistake = RunCommand(withConfig + "env -u DISPLAY " + game + " --fast", logs);
  EXPECT_NE(englishMistake.err.find("unknown option '--fast'\nusage: kestrova"), std::string::npos)
      << englishMistake.err;
  const TCommand missing = RunCommand("env -u DISPLAY " + game + " --replay /nonexistent.demo", folder.LogPath());
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.err.find("cannot read the demo /nonexistent.demo"), std::string::npos) << missing.err;
}

TEST(EndToEnd, RecordedGameReplaysToTheSameReportHeadlessAndInTheWindow) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("demo");
  const fs::path logs = folder.LogPath();
  const std::string demo = (logs / "game.demo").string();
  {
    TGameProcess game(folder, false, {"--seed", "7", "--record", demo, "--report", (logs / "played.txt").string()});
    const std::string window = game.Window(30);
    ASSERT_FALSE(window.empty()) << game.Errors();
    ASSERT_TRUE(WaitFor(game, window, "e2e_demo_play.png", ShowsHud)) << game.Errors();
    ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
    // Walk, turn, strafe, fire, change weapons, turn back and fire again. Each goes on until
    // the rules have taken it, as the demo being recorded, replayed so far, shows: the player's
    // words are F id X Y Side HP EP Art weapon w0 .. w4 Time.
    std::vector<std::string> last;
    const auto until = [&](const std::function<bool(const std::vector<std::string>&)>& seen) {
      return WaitUntil(
          [&] {
            const std::vector<std::string> p = PlayerSoFar(demo);
            if (p.size() < 10 || !seen(p)) return false;
            last = p;
            return true;
          },
          60, 100);
    };
    ASSERT_TRUE(until([](const auto&) { return true; })) << "no frame recorded";
    const std::vector<std::string> start = last;
    ASSERT_TRUE(Xdotool("keydown w"));
    EXPECT_TRUE(until([&](const auto& p) { return p[3] != start[3]; })) << "W walked nobody";
    ASSERT_TRUE(Xdotool("mousemove_relative -- 60 0"));
    EXPECT_TRUE(until([&](const auto& p) { return p[4] != start[4]; })) << "the mouse turned nobody";
    ASSERT_TRUE(Xdotool("keydown a"));
    SleepMilliseconds(300);
    ASSERT_TRUE(Xdotool("keyup a"));
    ASSERT_TRUE(Xdotool("mousedown 1"));
    EXPECT_TRUE(until([&](const auto& p) { return p[9] != start[9]; })) << "weapon 1 spent no rounds";
    ASSERT_TRUE(Xdotool("mouseup 1"));
    ASSERT_TRUE(Xdotool("keyup w"));
    ASSERT_TRUE(Xdotool("keydown 2"));
    EXPECT_TRUE(until([&](const auto& p) { return p[8] == "1"; })) << "the 2 key selected no weapon";
    ASSERT_TRUE(Xdotool("keyup 2"));
    const std::string turned = last[4];
    ASSERT_TRUE(Xdotool("mousemove_relative -- -25 0"));
    EXPECT_TRUE(until([&](const auto& p) { return p[4] != turned; })) << "the mouse turned nobody the other way";
    ASSERT_TRUE(Xdotool("mousedown 1"));
    SleepMilliseconds(300);
    ASSERT_TRUE(Xdotool("mouseup 1"));
    EndTheGame(game, window, "e2e_demo_score.png");
  }
  const std::string played = ReadWholeFile(logs / "played.txt");
  ASSERT_EQ(played.rfind("frames ", 0), 0u) << played.substr(0, 200);
  EXPECT_NE(played.find("\ngameState 2\n"), std::string::npos);
  const std::string recorded = ReadWholeFile(demo);
  ASSERT_EQ(recorded.rfind("kestrova-demo 1\nseed 7\nscreen 1024 768 0 60\nmap 400 30 160 6 16 30 10\nf", 0), 0u);
  // Walking, turning and firing were all recorded as answers.
  for (const char* answer : {"=1", "t"}) EXPECT_NE(recorded.find(answer), std::string::npos) << answer;

  // The seed makes the world kestrova-worldgen makes from it.
  const fs::path world = logs / "world";
  fs::create_directories(world);
  ASSERT_EQ(RunCommand("'" KESTROVA_BINARY_DIR "/kestrova-worldgen' --seed 7 --map '" +
                           (folder.Path() / "map.txt").string() + "' --out '" + world.string() + "'",
                       logs)
                .status,
            0);
  for (const char* name : {"mapall.map", "mapcol.map", "maptyp.map", "maphight.map"}) {
    EXPECT_TRUE(ReadWholeFile(world / name) == ReadWholeFile(folder.Path() / name)) << name;
  }

  const TCommand headless =
      RunCommand(Sim("--replay '" + demo + "' --out '" + (logs / "sim.txt").string() + "'"), logs);
  EXPECT_EQ(headless.status, 0) << headless.err;
  EXPECT_TRUE(ReadWholeFile(logs / "sim.txt") == played) << "the headless replay's report differs";

  {
    TGameProcess watch(folder, false, {"--replay", demo, "--report", (logs / "watched.txt").string()});
    EXPECT_EQ(watch.WaitForExit(90), 0) << watch.Errors();
  }
  EXPECT_TRUE(ReadWholeFile(logs / "watched.txt") == played) << "the window replay's report differs";

  // Cut in the middle of a line, as a kill leaves it: the state of the last whole frame.
  std::ofstream(logs / "cut.demo", std::ios::binary) << recorded.substr(0, recorded.size() / 2);
  const TCommand cut = RunCommand(Sim("--replay '" + (logs / "cut.demo").string() + "'"), logs);
  EXPECT_EQ(cut.status, 4) << cut.err;
  EXPECT_NE(cut.err.find("stops before its end record"), std::string::npos) << cut.err;
  EXPECT_EQ(cut.out.rfind("frames ", 0), 0u);
  EXPECT_NE(cut.out, played);

  std::string changed = recorded;
  const size_t check = changed.find("\nc 20 ");
  ASSERT_NE(check, std::string::npos);
  changed[changed.find(' ', check + 6) - 1] ^= 1;  // the last digit of the generator state
  std::ofstream(logs / "changed.demo", std::ios::binary) << changed;
  const TCommand desync = RunCommand(Sim("--replay '" + (logs / "changed.demo").string() + "'"), logs);
  EXPECT_EQ(desync.status, 3) << desync.err;
  EXPECT_NE(desync.err.find("frame 20: the replay left the recorded game"), std::string::npos) << desync.err;
  EXPECT_EQ(desync.out.rfind("frames ", 0), 0u) << "no report after the desync";

  std::string noise(4000, '\0');
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 2654435761u) >> 13);
  std::ofstream(logs / "noise.demo", std::ios::binary) << noise;
  const TCommand random = RunCommand(Sim("--replay '" + (logs / "noise.demo").string() + "'"), logs);
  EXPECT_EQ(random.status, 2) << random.err;
  EXPECT_NE(random.err.find("noise.demo: line 1: not a Kestrova demo"), std::string::npos) << random.err;
}

// What a desktop sends at logout ends play as the close button does, with the report and a
// demo that has its end record, skips the score screen, and says so in the exit status.
TEST(EndToEnd, SigtermEndsARecordedGameCleanly) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("sigterm");
  const fs::path logs = folder.LogPath();
  const std::string demo = (logs / "game.demo").string();
  {
    TGameProcess game(folder, false, {"--seed", "5", "--record", demo, "--report", (logs / "played.txt").string()});
    const std::string window = game.Window(30);
    ASSERT_FALSE(window.empty()) << game.Errors();
    ASSERT_TRUE(WaitFor(game, window, "e2e_sigterm_play.png", ShowsHud)) << game.Errors();
    game.Signal(SIGTERM);
    EXPECT_EQ(game.WaitForExit(30), 128 + SIGTERM) << game.Errors();
  }
  const std::string played = ReadWholeFile(logs / "played.txt");
  ASSERT_EQ(played.rfind("frames ", 0), 0u) << played.substr(0, 200);
  EXPECT_NE(played.find("\ngameState 2\n"), std::string::npos);
  const std::string recorded = ReadWholeFile(demo);
  EXPECT_NE(recorded.rfind("\nend "), std::string::npos)
      << recorded.substr(recorded.size() - std::min<size_t>(200, recorded.size()));
  const TCommand replay = RunCommand(Sim("--replay '" + demo + "' --out '" + (logs / "sim.txt").string() + "'"), logs);
  EXPECT_EQ(replay.status, 0) << replay.err;
  EXPECT_TRUE(ReadWholeFile(logs / "sim.txt") == played) << "the replay's report differs";
}

// The heaviest carving the cap allows, whatever the seed (4000 steps that each write a quarter
// of the world): Escape, the close button and a signal still end the game while it loads.
TEST(EndToEnd, ALongLoadingEndsOnEscapeCloseAndSignals) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("long_loading");
  folder.Write("map.txt", "3999\n0\n0\n2046\n2046\n2\n1000000\n");
  // A demo asked for is made only when play begins: an earlier file at its path stays.
  const std::string earlier = (folder.LogPath() / "earlier.demo").string();
  std::ofstream(earlier) << "an earlier game\n";
  for (const char* way : {"escape", "close", "sigterm"}) {
    // This machine may carve the world before the first picture of the window is taken: then
    // that game is let go and another started, until one is caught loading.
    std::unique_ptr<TGameProcess> loading;
    std::string window;
    for (int tries = 0; tries < 4 && !loading; ++tries) {
      std::ofstream(earlier) << "an earlier game\n";
      auto game = std::make_unique<TGameProcess>(folder, false, std::vector<std::string>{"--record", earlier});
      window = game->Window(30);
      ASSERT_FALSE(window.empty()) << way << ": " << game->Errors();
      const TPixmapPtr shot = WaitFor(*game, window, std::string("e2e_long_loading_") + way + ".png",
                                      [](const TPixmap& s) { return ShowsCarving(s) || ShowsHud(s); });
      ASSERT_TRUE(shot) << way << ": " << game->Errors();
      if (ShowsCarving(*shot)) loading = std::move(game);
    }
    ASSERT_TRUE(loading) << way << ": four games in a row were loaded before their first picture";
    TGameProcess& game = *loading;
    if (std::string(way) == "escape") {
      ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
      ASSERT_TRUE(Xdotool("key Escape"));
    } else if (std::string(way) == "close") {
      ASSERT_TRUE(SendCloseRequest(window));
    } else {
      game.Signal(SIGTERM);
    }
    EXPECT_EQ(game.WaitForExit(30), std::string(way) == "sigterm" ? 128 + SIGTERM : 0) << way << ": " << game.Errors();
    EXPECT_EQ(ReadWholeFile(earlier), "an earlier game\n") << way;
  }
}

}  // namespace

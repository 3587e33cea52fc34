// Watching a demo in the window like a film: pauses, steps, speeds and jumps change nothing of
// the replayed game, a jump back and forward again lands on the frame it left, and the window
// answers Escape at eight times the speed.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include "../support/read_file.h"
#include "game_run.h"
#include "screens.h"

namespace {

namespace fs = std::filesystem;

const std::string kDemo = KESTROVA_SOURCE_DIR "/bench/busy_fight.demo";
constexpr int kDemoFrames = 1224;

// The time bar's sign of a paused film: two white strokes at its right end.
bool ShowsPausedBar(const TPixmap& shot) {
  const int y = kH - 18;
  const TRgb white{255, 255, 255};
  return shot.width == kW && PixelAt(shot, kW - 30, y) == white && PixelAt(shot, kW - 21, y) == white &&
         PixelAt(shot, kW - 25, y) != white;
}

// The time bar up in full, as it is after a viewer key: the right end of its grey line.
bool ShowsTimeBar(const TPixmap& shot) {
  return shot.width == kW && PixelAt(shot, kW - 18, kH - 37) == TRgb{90, 90, 90};
}

bool SamePicture(const TPixmap& a, const TPixmap& b) {
  return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

// Screenshots until one satisfies `seen`; null when the program ends or a minute passes.
TPixmapPtr WaitUntil(TGameProcess& game, const std::string& window, const std::string& name,
                     const std::function<bool(const TPixmap&)>& seen) {
  for (int i = 0; i < 600 && game.Running(); ++i) {
    TPixmapPtr shot = Screenshot(window, name);
    if (shot && seen(*shot)) return shot;
    SleepMilliseconds(100);
  }
  return nullptr;
}

// As WaitUntil, for a film that stands still: the picture counts once the next one agrees, so
// a picture caught while a swap was half done is never taken for the frame shown.
TPixmapPtr WaitSteady(TGameProcess& game, const std::string& window, const std::string& name,
                      const std::function<bool(const TPixmap&)>& seen) {
  TPixmapPtr previous;
  return WaitUntil(game, window, name, [&](const TPixmap& shot) {
    const bool steady = previous && SamePicture(shot, *previous) && seen(shot);
    previous = std::make_shared<TPixmap>(shot);
    return steady;
  });
}

bool Key(const std::string& keys) { return Xdotool("key " + keys); }

std::string SimReport(const fs::path& logs) {
  const fs::path out = logs / "sim.txt";
  const std::string command = "'" KESTROVA_BINARY_DIR "/kestrova-sim' --replay '" + kDemo + "' --out '" + out.string() +
                              "' 2> '" + (logs / "sim_err.txt").string() + "'";
  const int raw = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << ReadWholeFile(logs / "sim_err.txt");
  return ReadWholeFile(out);
}

TEST(Watch, PausesStepsSpeedsAndJumpsLeaveTheReportAsTheSimulatorsAndJumpsLandOnTheirFrame) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("watch");
  const fs::path logs = folder.LogPath();
  const std::string simulated = SimReport(logs);
  ASSERT_EQ(simulated.rfind("frames ", 0), 0u) << simulated.substr(0, 200);
  {
    TGameProcess watch(folder, false, {"--replay", kDemo, "--report", (logs / "watched.txt").string()});
    const std::string window = watch.Window(30);
    ASSERT_FALSE(window.empty()) << watch.Errors();
    ASSERT_TRUE(WaitFor(watch, window, "e2e_watch_play.png", ShowsHud)) << watch.Errors();
    ASSERT_TRUE(Xdotool("windowfocus --sync " + window));

    // Ten seconds on, then paused. The keys go one at a time: a jump runs its frames unseen,
    // and the picture it leaves up must not be taken for a paused film.
    ASSERT_TRUE(Key("Right"));
    ASSERT_TRUE(WaitUntil(watch, window, "e2e_watch_on.png", [&](const TPixmap& shot) {
      return ShowsTimeBar(shot) && !ShowsPausedBar(shot);
    })) << watch.Errors();
    ASSERT_TRUE(Key("space"));
    const TPixmapPtr paused = WaitSteady(watch, window, "e2e_watch_paused.png", ShowsPausedBar);
    ASSERT_TRUE(paused) << watch.Errors();
    SleepMilliseconds(300);
    const TPixmapPtr still = Screenshot(window, "e2e_watch_still.png");
    ASSERT_TRUE(still);
    EXPECT_TRUE(SamePicture(*paused, *still)) << "the paused film moved";

    // One step, then ten seconds back and forward again: the same frame, the same picture
    // (the world around the player, the display and "Bild N" in the time bar).
    ASSERT_TRUE(Key("period"));
    const TPixmapPtr stepped = WaitSteady(watch, window, "e2e_watch_stepped.png", [&](const TPixmap& shot) {
      return ShowsPausedBar(shot) && !SamePicture(shot, *still);
    });
    ASSERT_TRUE(stepped) << watch.Errors();
    ASSERT_TRUE(Key("Left"));
    ASSERT_TRUE(WaitSteady(watch, window, "e2e_watch_back.png", [&](const TPixmap& shot) {
      return ShowsPausedBar(shot) && !SamePicture(shot, *stepped);
    })) << watch.Errors();
    ASSERT_TRUE(Key("Right"));
    EXPECT_TRUE(WaitSteady(watch, window, "e2e_watch_again.png", [&](const TPixmap& shot) {
      return SamePicture(shot, *stepped);
    })) << "ten seconds back and forward again is another frame";

    // Every speed, a jump to the start and one past the end of play, where the film stops.
    ASSERT_TRUE(Key("space Up Up Up"));
    ASSERT_TRUE(WaitUntil(watch, window, "e2e_watch_fast.png",
                          [&](const TPixmap& shot) { return !ShowsPausedBar(shot) && ShowsHud(shot); }));
    ASSERT_TRUE(Key("Down Down Down Down Down"));
    SleepMilliseconds(500);
    ASSERT_TRUE(Key("Up Up Home"));
    SleepMilliseconds(500);
    ASSERT_TRUE(Key("Next"));
    ASSERT_TRUE(WaitUntil(watch, window, "e2e_watch_end.png", ShowsPausedBar)) << watch.Errors();
    // Going on, the score screen runs as recorded and ends the replay.
    ASSERT_TRUE(Key("space"));
    EXPECT_EQ(watch.WaitForExit(60), 0) << watch.Errors();
  }
  EXPECT_TRUE(ReadWholeFile(logs / "watched.txt") == simulated) << "the watched replay's report differs";
}

TEST(Watch, EscapeEndsWatchingAtEightTimesTheSpeed) {
  if (!HaveDisplay()) GTEST_SKIP() << "no X display";
  TGameFolder folder("watch_fast");
  const fs::path logs = folder.LogPath();
  TGameProcess watch(folder, false, {"--replay", kDemo, "--report", (logs / "watched.txt").string()});
  const std::string window = watch.Window(30);
  ASSERT_FALSE(window.empty()) << watch.Errors();
  const TPixmapPtr first = WaitFor(watch, window, "e2e_watch_fast_play.png", ShowsHud);
  ASSERT_TRUE(first) << watch.Errors();
  ASSERT_TRUE(Xdotool("windowfocus --sync " + window));
  ASSERT_TRUE(Key("Up Up Up"));
  ASSERT_TRUE(WaitUntil(watch, window, "e2e_watch_fast_on.png",
                        [&](const TPixmap& shot) { return ShowsHud(shot) && !SamePicture(shot, *first); }));
  ASSERT_TRUE(Key("Escape"));
  EXPECT_EQ(watch.WaitForExit(30), 0) << watch.Errors();
  // Stopped where Escape came, well before the demo's end.
  const std::string report = ReadWholeFile(logs / "watched.txt");
  ASSERT_EQ(report.rfind("frames ", 0), 0u) << report.substr(0, 200);
  EXPECT_LT(std::stoi(report.substr(7)), kDemoFrames);
}

}  // namespace

// A viewer's jumps through a replay, headless: going back to a frame puts the whole game (every
// actor, the generator, the demo's reading) where playing straight to it puts it.
#include "app/screens/replay_viewer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/demos/report.h"
#include "app/demos/run_watcher.h"
#include "app/demos/session.h"
#include "app/loading/tables.h"
#include "app/play/hud.h"
#include "app/play/placement.h"
#include "app/play/play_session.h"
#include "app/player/settings_in_force.h"
#include "app/tapp.h"
#include "platform/system/clock.h"
#include "platform/video/graphics.h"
#include "platform/video/recording_driver.h"
#include "rules/answers.h"
#include "rules/random.h"
#include "scene.h"
#include "state/game.h"
#include "world/worldgen.h"

namespace {

std::string Report(const TReplayViewer& viewer, const TGameSession& session) {
  return StateReport(viewer.Shown(), session.Place().ids);
}

TEST(ReplayViewer, JumpsBackLandWhereStraightPlayLands) {
  TGameSession session;
  ASSERT_TRUE(session.Replay(KESTROVA_SOURCE_DIR "/bench/busy_fight.demo")) << session.Message();
  const TDemoHeader& demo = session.Header();
  UseFixedClock(0);
  CreateTables();
  game.screenW = demo.screen[0];
  game.screenH = demo.screen[1];
  auto driver = std::make_shared<TRecordingDriver>();
  driver->SetRecording(false);
  ASSERT_TRUE(OpenHeadlessScreen(driver, game.screenW, game.screenH, 0, 0, 0));
  SetBlend(3);
  SeedRandom(demo.seed);
  game.mapParamsGiven = demo.map;
  ASSERT_TRUE(GenerateWorld());
  ASSERT_TRUE(PlaceEnemies() && PlaceItems());
  Tapp::start();
  {
    TReplayViewer viewer(session);
    ASSERT_TRUE(viewer.PlayStarts());
    // Frames in the fight, with shots in flight and decals down, each a different distance
    // past the places the viewer keeps.
    const std::vector<int32_t> targets = {1, 250, 777, 1100};
    std::vector<std::string> straight;
    for (int32_t target : targets) {
      ASSERT_TRUE(viewer.SeekTo(target)) << session.Message();
      ASSERT_EQ(viewer.Shown(), target - 1);
      straight.push_back(Report(viewer, session));
    }
    EXPECT_NE(straight.back().find("\nS "), std::string::npos) << "no shot in flight to put back";
    for (size_t i = targets.size(); i-- > 0;) {
      ASSERT_TRUE(viewer.SeekTo(targets[i])) << session.Message();
      EXPECT_TRUE(Report(viewer, session) == straight[i]) << "back to frame " << targets[i];
    }
    // Past the end of play: just before its last frame, paused, and the same from anywhere.
    ASSERT_TRUE(viewer.SeekTo(INT32_MAX)) << session.Message();
    EXPECT_TRUE(viewer.Paused());
    const std::string end = Report(viewer, session);
    ASSERT_TRUE(viewer.SeekTo(300));
    ASSERT_TRUE(viewer.SeekTo(INT32_MAX));
    EXPECT_TRUE(Report(viewer, session) == end);
    // The frame drawn there carries its own number in the bar, as the still kept of it does.
    const int32_t next = viewer.Shown() + 1;
    // With the extended HUD, whose corner line the bar would cover otherwise.
    TPlayerSettings extended;
    extended.hud = THud::Extended;
    Apply(extended);
    driver->SetRecording(true);
    SetRunWatcher(&viewer);
    Tapp::frame();
    SetRunWatcher(nullptr);
    Apply({});
    const std::vector<std::string> texts = TextsDrawn(driver->Calls());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Pause  Bild " + std::to_string(next)), texts.end())
        << testing::PrintToString(texts);
    const auto w = static_cast<double>(game.screenW);
    int panels = 0;
    for (const TRecordedCall& rect : driver->CallsOf(DrawOp::DrawRect)) {
      if (rect.args[0] != 0.0 || rect.args[2] != w) continue;
      ++panels;
      EXPECT_LE(rect.args[5] + rect.args[3], game.screenH - kHudCornerRise)
          << "the bar's panel reaches down over the HUD";
    }
    EXPECT_EQ(panels, 1);
  }
  SetAnswerTap(nullptr);
}

}  // namespace

// What pauses play and what is kept for the pause screen, from injected window events.
#include "app/pause.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/tapp.h"
#include "platform/input/events.h"
#include "platform/input/input.h"
#include "platform/video/graphics.h"
#include "platform/video/recording_driver.h"
#include "rules/answers.h"
#include "state/game.h"
#include "tests/support/fresh_input.h"

namespace {

class PauseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(OpenFreshInputScreen());
    StartPauseWatch();
    ResetPause();
  }
  void TearDown() override {
    CloseScreen();
    SetGraphicsDriver(nullptr);
  }
  static void Key(int32_t id, int32_t key) { InjectEvent({id, key}); }
};

TEST_F(PauseTest, PauseIsAskedByPOrPauseOrALostFocusAndLeavesTheRulesPressesAlone) {
  TakePauseInput();
  Key(EVENT_KEYDOWN, 80);
  Key(EVENT_KEYREPEAT, 80);
  Key(EVENT_KEYDOWN, 80);  // still held: no second press
  Key(EVENT_KEYDOWN, 27);
  KeyIsDown(0);
  EXPECT_TRUE(PauseAsked());
  EXPECT_EQ(KeyPressesWaiting(27), 1);
  EXPECT_EQ(KeyPressesWaiting(27), 1) << "looking leaves the press for the rules";
  TPauseInput asked = TakePauseInput();
  EXPECT_EQ(asked.keys, 1);
  EXPECT_FALSE(asked.focusLost);
  EXPECT_FALSE(PauseAsked());
  EXPECT_EQ(KeyPressed(27), 1);

  Key(EVENT_KEYDOWN, 19);
  InjectEvent({EVENT_MOUSEDOWN, 1, 5, 5});
  InjectEvent({EVENT_MOUSEDOWN, 2, 5, 5});
  InjectEvent({EVENT_APPSUSPEND});
  asked = TakePauseInput();
  EXPECT_EQ(asked.keys, 1);
  EXPECT_EQ(asked.clicks, 1);
  EXPECT_TRUE(asked.focusLost);
}

// A driver that clicks the left button at the frame asked for, and grabs blank frames.
class TClickingDriver : public TRecordingDriver {
 public:
  void Flip(int32_t sync) override {
    TRecordingDriver::Flip(sync);
    if (++flips == clickAt) InjectEvent({EVENT_MOUSEDOWN, 1, 10, 10});
  }
  TPixmapPtr GrabPixmap(int32_t x, int32_t y, int32_t w, int32_t h) override {
    TRecordingDriver::GrabPixmap(x, y, w, h);
    return TPixmap::Create(w, h, PF_RGBA8888);
  }
  int flips = 0;
  int clickAt = 0;
};

TEST_F(PauseTest, ThePauseShowsTheKeptFrameAndTheClickThatEndsItFiresNothing) {
  auto driver = std::make_shared<TClickingDriver>();
  ASSERT_TRUE(OpenHeadlessScreen(driver, 800, 600, 0, 0, 0));
  game.screenW = 800;
  game.screenH = 600;
  KeepFramesForPause(true);
  Tapp::present();
  EXPECT_TRUE(driver->CallsOf(DrawOp::GrabPixmap).empty()) << "no pause asked, no frame kept";
  Key(EVENT_KEYDOWN, 'P');
  PumpEvents();
  Tapp::present();
  EXPECT_EQ(driver->CallsOf(DrawOp::GrabPixmap).size(), 1u);
  driver->Clear();
  driver->clickAt = driver->flips + 3;
  Tapp::pause();
  KeepFramesForPause(false);
  EXPECT_EQ(driver->flips, driver->clickAt) << "paused until the click";
  bool keptShown = false;
  // A frame as wide as the screen (the pixmap itself is gone with the pause's image).
  for (const TRecordedCall& c : driver->CallsOf(DrawOp::DrawFrame)) keptShown |= c.args[2] - c.args[0] == 800;
  EXPECT_TRUE(keptShown);
  EXPECT_EQ(ButtonIsDown(1), 0);
  InjectEvent({EVENT_MOUSEUP, 1, 10, 10});
  InjectEvent({EVENT_MOUSEDOWN, 1, 10, 10});
  EXPECT_EQ(ButtonIsDown(1), 1) << "the next click fires";
}

}  // namespace

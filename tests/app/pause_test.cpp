// What pauses play and what is kept for the pause screen, from injected window events.
#include "app/pause.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/events.h"
#include "platform/graphics.h"
#include "platform/input.h"
#include "platform/recording_driver.h"

namespace {

class PauseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetEvents();
    ResetInput();
    ASSERT_TRUE(OpenHeadlessScreen(std::make_shared<TRecordingDriver>(), 800, 600, 0, 0, 0));
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

}  // namespace

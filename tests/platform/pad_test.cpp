// Game controllers through SDL's virtual joystick (no hardware): what the rules' input queries
// answer while a pad is held, pressed, plugged in and pulled out.
#include "platform/pad.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <memory>

#include "platform/events.h"
#include "platform/graphics.h"
#include "platform/input.h"
#include "platform/recording_driver.h"
#include "platform/virtual_pad.h"

namespace {

constexpr int32_t kCentreX = 400;

struct TFrameInput {
  int32_t digit = 0;  // highest digit 1..5 held, 0 none
  int32_t turn = 0;
};

class PadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartEventLayer());
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    ASSERT_TRUE(OpenHeadlessScreen(std::make_shared<TRecordingDriver>(), 800, 600, 0, 0, 0));
    ASSERT_TRUE(StartPads());
    InjectEvent({EVENT_APPRESUME});
    MovePointer(kCentreX, 300);
    // The tests plug in their own pads only.
    if (PadConnected()) GTEST_SKIP() << "a real pad is connected";
  }
  void TearDown() override {
    pads.clear();
    PumpEvents();
    CloseScreen();
    SetGraphicsDriver(nullptr);
  }
  TVirtualPad& Plug() {
    pads.push_back(std::make_unique<TVirtualPad>());
    EXPECT_TRUE(pads.back()->Attached()) << SDL_GetError();
    return *pads.back();
  }
  static void Tap(TVirtualPad& pad, int32_t button) {
    pad.SetButton(button, true);
    PumpEvents();
    pad.SetButton(button, false);
    PumpEvents();
  }
  // The input reading of one frame of play: the digits in order, then the pointer, pulled back.
  static TFrameInput Frame() {
    TFrameInput in;
    for (int32_t d = 1; d <= 5; ++d) {
      if (KeyIsDown('0' + d) != 0) in.digit = d;
    }
    in.turn = PointerX() - kCentreX;
    MovePointer(kCentreX, 300);
    return in;
  }
  static int32_t Walking() {
    return KeyIsDown('W') * 1000 + KeyIsDown('S') * 100 + KeyIsDown('A') * 10 + KeyIsDown('D');
  }
  std::vector<std::unique_ptr<TVirtualPad>> pads;
};

TEST_F(PadTest, LeftStickAndDpadWalkBeyondTheDeadZoneBesideTheKeyboard) {
  TVirtualPad& pad = Plug();
  EXPECT_TRUE(PadConnected());
  const std::pair<int32_t, int32_t> moves[] = {{-kPadWalkThreshold, 0},
                                               {-kPadWalkThreshold - 1, 1000},
                                               {kPadWalkThreshold, 0},
                                               {32767, 100},
                                               {kPadWalkThreshold + 1, 100}};
  for (const auto& [value, expected] : moves) {
    pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTY, value);
    EXPECT_EQ(Walking(), expected) << value;
  }
  pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTY, -20000);
  pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
  EXPECT_EQ(Walking(), 1010);
  pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTX, kPadWalkThreshold + 1);
  EXPECT_EQ(Walking(), 1001);
  EXPECT_EQ(KeyIsDown(38), 0);  // the arrows stay the keyboard's
  pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTX, 0);
  pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTY, 0);
  EXPECT_EQ(Walking(), 0);

  const std::pair<int32_t, int32_t> dpad[] = {{SDL_CONTROLLER_BUTTON_DPAD_UP, 1000},
                                              {SDL_CONTROLLER_BUTTON_DPAD_DOWN, 100},
                                              {SDL_CONTROLLER_BUTTON_DPAD_LEFT, 10},
                                              {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 1}};
  for (const auto& [button, expected] : dpad) {
    pad.SetButton(button, true);
    EXPECT_EQ(Walking(), expected) << button;
    pad.SetButton(button, false);
  }

  // Neither lets go of what the other holds.
  InjectEvent({EVENT_KEYDOWN, 'W'});
  pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
  EXPECT_EQ(KeyIsDown('W'), 1);
  pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTY, 0);
  EXPECT_EQ(KeyIsDown('W'), 1);
  pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
  InjectEvent({EVENT_KEYUP, 'W'});
  EXPECT_EQ(KeyIsDown('W'), 1);
  EXPECT_EQ(KeyPressed('W'), 1);  // the keyboard's press; holding a stick is none
}

TEST_F(PadTest, TriggersFireAndButtonsPressEscapeAndEnter) {
  TVirtualPad& pad = Plug();
  pad.SetAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, kPadTriggerThreshold);
  EXPECT_EQ(ButtonIsDown(1), 0);
  pad.SetAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 20000);
  EXPECT_EQ(ButtonIsDown(1), 1);
  EXPECT_EQ(ButtonIsDown(2), 0);
  EXPECT_EQ(KeyIsDown(13), 0);
  InjectEvent({EVENT_MOUSEDOWN, 1, 0, 0});
  pad.SetAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0);
  EXPECT_EQ(ButtonIsDown(1), 1);
  InjectEvent({EVENT_MOUSEUP, 1, 0, 0});
  EXPECT_EQ(ButtonIsDown(1), 0);

  pad.SetAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
  EXPECT_EQ(KeyIsDown(13), 1);
  EXPECT_EQ(ButtonIsDown(1), 0);
  pad.SetAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 0);
  EXPECT_EQ(KeyIsDown(13), 0);
  EXPECT_EQ(KeyPressed(13), 0);

  Tap(pad, SDL_CONTROLLER_BUTTON_A);
  Tap(pad, SDL_CONTROLLER_BUTTON_A);
  InjectEvent({EVENT_KEYDOWN, 13});
  EXPECT_EQ(KeyPressed(13), 3);  // two from the pad, one from the keyboard
  EXPECT_EQ(KeyPressed(27), 0);
  InjectEvent({EVENT_KEYUP, 13});
  Tap(pad, SDL_CONTROLLER_BUTTON_START);
  EXPECT_EQ(KeyIsDown(27), 0);
  EXPECT_EQ(KeyPressed(27), 1);
  EXPECT_EQ(KeyPressed(13), 1);
  Tap(pad, SDL_CONTROLLER_BUTTON_BACK);
  Tap(pad, SDL_CONTROLLER_BUTTON_B);
  Tap(pad, SDL_CONTROLLER_BUTTON_X);
  EXPECT_EQ(KeyPressed(27), 1);
  EXPECT_EQ(KeyPressed(13), 0);
  EXPECT_EQ(KeyPressed(32), 0);
}

TEST_F(PadTest, ShouldersHoldTheNextOrPreviousWeaponDigitForOneFrame) {
  TVirtualPad& pad = Plug();
  EXPECT_EQ(Frame().digit, 0);
  Tap(pad, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
  EXPECT_EQ(Frame().digit, 2);
  EXPECT_EQ(Frame().digit, 0);
  Tap(pad, SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
  EXPECT_EQ(Frame().digit, 1);
  Tap(pad, SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
  EXPECT_EQ(Frame().digit, 5);
  Tap(pad, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
  EXPECT_EQ(Frame().digit, 1);
  // The pad follows the keyboard's choice, and two presses in one frame step twice.
  InjectEvent({EVENT_KEYDOWN, '3'});
  EXPECT_EQ(Frame().digit, 3);
  InjectEvent({EVENT_KEYUP, '3'});
  Tap(pad, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
  Tap(pad, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
  EXPECT_EQ(Frame().digit, 5);
  // A press that comes while the frame reads its digits holds on into the next frame.
  EXPECT_EQ(KeyIsDown('2'), 0);
  Tap(pad, SDL_CONTROLLER_BUTTON_LEFTSHOULDER);
  EXPECT_EQ(PointerX(), kCentreX);
  EXPECT_EQ(Frame().digit, 4);
}

TEST_F(PadTest, RightStickTurnsWithADeadZoneAndAGrowingRate) {
  EXPECT_EQ(PadTurnRate(kPadTurnDeadZone), 0.0);
  EXPECT_EQ(PadTurnRate(32767), kPadMaxTurn);
  EXPECT_EQ(PadTurnRate(-32768), -kPadMaxTurn);
  const int32_t span = 32767 - kPadTurnDeadZone;
  EXPECT_NEAR(PadTurnRate(kPadTurnDeadZone + span / 2), 2.0, 1e-3);
  EXPECT_NEAR(PadTurnRate(-kPadTurnDeadZone - span / 4), -0.5, 1e-3);
  EXPECT_NEAR(PadTurnRate(kPadTurnDeadZone + span / 10), 0.08, 1e-3);

  TVirtualPad& pad = Plug();
  const auto turns = [&](int32_t axis, int frames) {
    pad.SetAxis(SDL_CONTROLLER_AXIS_RIGHTX, axis);
    std::vector<int32_t> seen;
    for (int i = 0; i < frames; ++i) seen.push_back(Frame().turn);
    return seen;
  };
  EXPECT_EQ(turns(kPadTurnDeadZone, 3), (std::vector<int32_t>{0, 0, 0}));
  EXPECT_EQ(turns(32767, 3), (std::vector<int32_t>{8, 8, 8}));
  EXPECT_EQ(turns(-32768, 2), (std::vector<int32_t>{-8, -8}));
  // Under a degree a frame, whole degrees still come, and only whole ones.
  EXPECT_EQ(turns(kPadTurnDeadZone + span / 4 + 1, 5), (std::vector<int32_t>{0, 1, 0, 1, 0}));
  // Letting go drops the half degree carried.
  EXPECT_EQ(turns(0, 1), (std::vector<int32_t>{0}));
  EXPECT_EQ(turns(kPadTurnDeadZone + span / 4 + 1, 1), (std::vector<int32_t>{0}));
  EXPECT_EQ(turns(-kPadTurnDeadZone - span / 2 - 1, 3), (std::vector<int32_t>{-2, -2, -2}));
  // The mouse's offset adds to the stick's.
  InjectEvent({EVENT_MOUSEMOVE, 0, kCentreX + 10, 300});
  EXPECT_EQ(turns(32767, 2), (std::vector<int32_t>{18, 8}));
  EXPECT_EQ(PointerY(), 300);
}

TEST_F(PadTest, PluggingInAndPullingOutMidStickAndTheFirstPadPlays) {
  // Plugged in with the stick already forward: it walks at once.
  auto first = std::make_unique<TVirtualPad>();
  first->SetAxis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
  first->SetAxis(SDL_CONTROLLER_AXIS_RIGHTX, 32767);
  first->SetAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
  EXPECT_EQ(KeyIsDown('W'), 1);
  EXPECT_EQ(ButtonIsDown(1), 1);

  // A second pad is ignored while the first plays.
  TVirtualPad& second = Plug();
  second.SetAxis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
  Tap(second, SDL_CONTROLLER_BUTTON_START);
  EXPECT_EQ(Walking(), 1000);
  EXPECT_EQ(KeyPressed(27), 0);

  // Pulled out mid-stick and mid-turn: all it held lets go, and the second pad takes over.
  EXPECT_EQ(Frame().turn, 8);
  first.reset();
  EXPECT_EQ(Walking(), 1);
  EXPECT_EQ(ButtonIsDown(1), 0);
  EXPECT_EQ(Frame().turn, 0);
  EXPECT_TRUE(PadConnected());
  pads.clear();
  EXPECT_FALSE(PadConnected());
  EXPECT_EQ(Walking(), 0);
}

TEST_F(PadTest, ThePadCountsOnlyWhileTheWindowHasTheFocus) {
  TVirtualPad& pad = Plug();
  pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
  pad.SetAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
  pad.SetAxis(SDL_CONTROLLER_AXIS_RIGHTX, 32767);
  EXPECT_EQ(KeyIsDown('W'), 1);
  Tap(pad, SDL_CONTROLLER_BUTTON_A);
  Tap(pad, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
  InjectEvent({EVENT_APPSUSPEND});
  EXPECT_EQ(KeyIsDown('W'), 0);
  EXPECT_EQ(KeyIsDown(13), 0);
  Tap(pad, SDL_CONTROLLER_BUTTON_START);
  EXPECT_EQ(Frame().turn, 0);
  RumblePad(12.0);
  EXPECT_EQ(pad.TakeRumble(), 0);
  InjectEvent({EVENT_APPRESUME});
  // Presses from before and during the absence are gone; what is held counts again at once.
  EXPECT_EQ(KeyPressed(13), 0);
  EXPECT_EQ(KeyPressed(27), 0);
  const TFrameInput back = Frame();
  EXPECT_EQ(back.digit, 0);
  EXPECT_EQ(back.turn, 8);
  EXPECT_EQ(KeyIsDown('W'), 1);
}

TEST_F(PadTest, RumbleGrowsWithTheHitPointsLost) {
  RumblePad(5.0);  // no pad: nothing to do
  TVirtualPad& pad = Plug();
  PumpEvents();
  RumblePad(0.0);
  EXPECT_EQ(pad.TakeRumble(), 0);
  RumblePad(1.0);
  const uint16_t light = pad.TakeRumble();
  RumblePad(9.0);
  const uint16_t heavy = pad.TakeRumble();
  RumblePad(40.0);
  const uint16_t full = pad.TakeRumble();
  EXPECT_GT(light, 10000);
  EXPECT_GT(heavy, light);
  EXPECT_EQ(full, 65535);
}

TEST_F(PadTest, TheScriptedPadFollowsItsCommandsAndRefusesOthers) {
  std::string error;
  EXPECT_TRUE(RunVirtualPadCommand("attach", error));
  EXPECT_TRUE(RunVirtualPadCommand("  axis lefty -32768 ", error));
  EXPECT_TRUE(RunVirtualPadCommand("axis righttrigger 32767", error));
  EXPECT_EQ(KeyIsDown('W'), 1);
  EXPECT_EQ(ButtonIsDown(1), 1);
  EXPECT_TRUE(RunVirtualPadCommand("button start 1", error));
  EXPECT_EQ(KeyPressed(27), 1);
  for (const char* bad : {"axis lefty", "axis lefty 40000", "axis lefty 12x", "axis nosuch 1", "button a 2",
                          "button a 1 1", "attach now", "jump"}) {
    error.clear();
    EXPECT_FALSE(RunVirtualPadCommand(bad, error)) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
  EXPECT_TRUE(RunVirtualPadCommand("detach", error));
  EXPECT_EQ(KeyIsDown('W'), 0);
  EXPECT_FALSE(PadConnected());
  EXPECT_FALSE(RunVirtualPadCommand("button a 1", error));
  EXPECT_EQ(error, "no pad attached");
}

}  // namespace

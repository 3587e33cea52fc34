// Game controllers through SDL's virtual joystick (no hardware): the rules' input answers while
// a pad is held, pressed, plugged in and pulled out.
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "actors/tfigur.h"
#include "app/play/pad_controls.h"
#include "app/play/play_session.h"
#include "app/tapp.h"
#include "platform/core/events.h"
#include "platform/input/input.h"
#include "platform/input/pad.h"
#include "platform/video/graphics.h"
#include "platform/video/recording_driver.h"
#include "rules/answers.h"
#include "state/game.h"
#include "tests/support/fresh_input.h"
#include "tests/support/virtual_pad.h"

namespace {

class PadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(OpenFreshInputScreen());
    ASSERT_TRUE(StartPads());
    StartControls();
    StartPlaySession();
    InjectEvent({EVENT_APPRESUME});
    MovePointer(400, 300);
    if (PadConnected()) GTEST_SKIP() << "a real pad is connected";
  }
  void TearDown() override {
    pads.clear();
    PumpEvents();
    CloseScreen();
    SetGraphicsDriver(nullptr);
    StartPlaySession();
  }
  TVirtualPad& Plug() {
    pads.push_back(std::make_unique<TVirtualPad>());
    EXPECT_TRUE(pads.back()->Attached()) << SDL_GetError();
    PumpEvents();
    return *pads.back();
  }
  static void Tap(TVirtualPad& pad, int32_t button) {
    pad.SetButton(button, true);
    PumpEvents();
    pad.SetButton(button, false);
    PumpEvents();
  }
  // A frame's reading as the rules do it, after the frame's start: digits 1..5 (the highest held wins), then the
  // pointer, pulled back. Returns the digit (0 none) and the turn.
  static std::pair<int32_t, int32_t> Frame() {
    StartControlsFrame();
    int32_t digit = 0;
    for (int32_t d = 1; d <= 5; ++d) digit = KeyIsDown('0' + d) != 0 ? d : digit;
    const int32_t turn = PointerX() - 400;
    MovePointer(400, 300);
    return {digit, turn};
  }
  // The walk keys held, as the digits of WSAD.
  static int32_t Walking() {
    return KeyIsDown('W') * 1000 + KeyIsDown('S') * 100 + KeyIsDown('A') * 10 + KeyIsDown('D');
  }
  std::vector<std::unique_ptr<TVirtualPad>> pads;
};

TEST_F(PadTest, LeftStickAndDpadWalkBeyondTheDeadZoneBesideTheKeyboard) {
  TVirtualPad& pad = Plug();
  const int32_t x = SDL_CONTROLLER_AXIS_LEFTX;
  const int32_t y = SDL_CONTROLLER_AXIS_LEFTY;
  const int32_t moves[][3] = {
      {y, -kPadWalkThreshold, 0}, {y, -kPadWalkThreshold - 1, 1000}, {y, 32767, 100}, {x, -32768, 10},
      {x, kPadWalkThreshold, 0},  {x, kPadWalkThreshold + 1, 1}};
  for (const auto& [axis, value, walking] : moves) {
    pad.SetAxis(axis, value);
    EXPECT_EQ(Walking(), walking) << axis << " " << value;
    pad.SetAxis(axis, 0);
  }
  const int32_t dpad[] = {1000, 100, 10, 1};  // up, down, left, right
  for (int32_t i = 0; i < 4; ++i) {
    pad.SetButton(SDL_CONTROLLER_BUTTON_DPAD_UP + i, true);
    EXPECT_EQ(Walking(), dpad[i]) << i;
    pad.SetButton(SDL_CONTROLLER_BUTTON_DPAD_UP + i, false);
  }
  EXPECT_EQ(KeyIsDown(38), 0);  // the arrows stay the keyboard's
  // Neither lets go of what the other holds, and holding a stick is no key press.
  InjectEvent({EVENT_KEYDOWN, 'W'});
  pad.SetAxis(y, -32768);
  pad.SetAxis(y, 0);
  EXPECT_EQ(KeyIsDown('W'), 1);
  pad.SetAxis(y, -32768);
  InjectEvent({EVENT_KEYUP, 'W'});
  EXPECT_EQ(KeyIsDown('W'), 1);
  EXPECT_EQ(KeyPressed('W'), 1);
}

TEST_F(PadTest, TriggersFireAndButtonsPressEscapeAndEnter) {
  TVirtualPad& pad = Plug();
  pad.SetAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, kPadTriggerThreshold);
  EXPECT_EQ(ButtonIsDown(1), 0);
  pad.SetAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, kPadTriggerThreshold + 1);
  EXPECT_EQ(ButtonIsDown(1) * 10 + KeyIsDown(13), 10);
  InjectEvent({EVENT_MOUSEDOWN, 1, 0, 0});
  pad.SetAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 0);
  EXPECT_EQ(ButtonIsDown(1), 1);
  InjectEvent({EVENT_MOUSEUP, 1, 0, 0});
  pad.SetAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, kPadTriggerThreshold);
  EXPECT_EQ(KeyIsDown(13), 0);
  pad.SetAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, kPadTriggerThreshold + 1);
  EXPECT_EQ(ButtonIsDown(1) * 10 + KeyIsDown(13), 1);
  pad.SetAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 0);
  EXPECT_EQ(KeyIsDown(13) * 10 + KeyPressed(13), 0);

  Tap(pad, SDL_CONTROLLER_BUTTON_A);
  Tap(pad, SDL_CONTROLLER_BUTTON_A);
  InjectEvent({EVENT_KEYDOWN, 13});
  EXPECT_EQ(KeyPressed(13), 3);  // two from the pad, one from the keyboard
  EXPECT_EQ(KeyPressed(27), 0);
  Tap(pad, SDL_CONTROLLER_BUTTON_START);
  EXPECT_EQ(KeyPressed(27) * 10 + KeyPressed(13), 11);
  EXPECT_EQ(KeyIsDown(27), 0);
  for (int32_t button : {SDL_CONTROLLER_BUTTON_BACK, SDL_CONTROLLER_BUTTON_B, SDL_CONTROLLER_BUTTON_X})
    Tap(pad, button);
  EXPECT_EQ(KeyPressed(27) * 100 + KeyPressed(13) * 10 + KeyPressed(32), 100);
}

TEST_F(PadTest, ShouldersHoldTheNextOrPreviousWeaponDigitForOneFrame) {
  TVirtualPad& pad = Plug();
  const int32_t next = SDL_CONTROLLER_BUTTON_RIGHTSHOULDER;
  const int32_t previous = SDL_CONTROLLER_BUTTON_LEFTSHOULDER;
  EXPECT_EQ(Frame().first, 0);
  const std::pair<int32_t, int32_t> steps[] = {{next, 2}, {previous, 1}, {previous, 5}, {next, 1}};
  for (const auto& [button, digit] : steps) {
    Tap(pad, button);
    EXPECT_EQ(Frame().first, digit);
    EXPECT_EQ(Frame().first, 0);
  }
  // It follows the keyboard's choice, and two presses in one frame step twice.
  InjectEvent({EVENT_KEYDOWN, '3'});
  EXPECT_EQ(Frame().first, 3);
  InjectEvent({EVENT_KEYUP, '3'});
  Tap(pad, next);
  Tap(pad, next);
  EXPECT_EQ(Frame().first, 5);
  // A press that comes after the frame has read its digits holds on into the next frame.
  EXPECT_EQ(KeyIsDown('4'), 0);
  Tap(pad, previous);
  EXPECT_EQ(Frame().first, 4);
}

// A screen that runs a step of the test after each frame it shows.
class SteppingDriver : public TRecordingDriver {
 public:
  int32_t flips = 0;
  std::function<void(int32_t)> step;
  void Flip(int32_t sync) override {
    TRecordingDriver::Flip(sync);
    if (step) step(++flips);
  }
};

TEST_F(PadTest, OnTheScoreScreenXPlaysANewWorldAndYTheSame) {
  TVirtualPad& pad = Plug();
  auto d = std::make_shared<SteppingDriver>();
  CloseScreen();
  ASSERT_TRUE(OpenHeadlessScreen(d, 800, 600, 0, 0, 0));
  StartFreshGame();
  game.screenW = 800;
  game.screenH = 600;
  game.player = Tfigur::neu(0, 0, 0);
  Tapp::launch.playAgain = true;
  const std::pair<int32_t, TNextGame> answers[] = {{SDL_CONTROLLER_BUTTON_X, TNextGame::NewWorld},
                                                   {SDL_CONTROLLER_BUTTON_Y, TNextGame::SameWorld},
                                                   {SDL_CONTROLLER_BUTTON_A, TNextGame::End}};
  for (const auto& [button, next] : answers) {
    // Presses made in play are no answer to the score screen.
    Tap(pad, SDL_CONTROLLER_BUTTON_X);
    Tap(pad, SDL_CONTROLLER_BUTTON_Y);
    d->flips = 0;
    d->step = [&pad, button = button](int32_t flips) {
      if (flips == 2 || flips == 40) pad.SetButton(flips == 2 ? button : SDL_CONTROLLER_BUTTON_A, true);
      if (flips == 3 || flips == 41) pad.SetButton(flips == 3 ? button : SDL_CONTROLLER_BUTTON_A, false);
    };
    Tapp::endscreen();
    EXPECT_GE(d->flips, 2) << button;
    EXPECT_LE(d->flips, 3) << button;
    EXPECT_EQ(PlaySession().next, next) << button;
  }
  d->step = nullptr;
  Tapp::launch = TLaunch{};
  StartFreshGame();
}

TEST_F(PadTest, RightStickTurnsWithADeadZoneAndAGrowingRate) {
  const int32_t span = 32767 - kPadTurnDeadZone;
  EXPECT_EQ(PadTurnRate(kPadTurnDeadZone), 0.0);
  EXPECT_NEAR(PadTurnRate(kPadTurnDeadZone + span / 10), 0.08, 1e-3);
  EXPECT_NEAR(PadTurnRate(-kPadTurnDeadZone - span / 4), -0.5, 1e-3);
  EXPECT_NEAR(PadTurnRate(kPadTurnDeadZone + span / 2), 2.0, 1e-3);
  EXPECT_EQ(PadTurnRate(-32768), -kPadMaxTurn);

  TVirtualPad& pad = Plug();
  const auto turns = [&](int32_t axis, int frames) {
    pad.SetAxis(SDL_CONTROLLER_AXIS_RIGHTX, axis);
    std::vector<int32_t> seen;
    for (int i = 0; i < frames; ++i) seen.push_back(Frame().second);
    return seen;
  };
  using V = std::vector<int32_t>;
  EXPECT_EQ(turns(kPadTurnDeadZone, 2), (V{0, 0}));
  EXPECT_EQ(turns(32767, 2), (V{8, 8}));
  // Under a degree a frame, whole degrees still come; letting go or turning back drops the rest.
  EXPECT_EQ(turns(kPadTurnDeadZone + span / 4 + 1, 5), (V{0, 1, 0, 1, 0}));
  EXPECT_EQ(turns(0, 1), (V{0}));
  EXPECT_EQ(turns(kPadTurnDeadZone + span / 4 + 1, 1), (V{0}));
  EXPECT_EQ(turns(-kPadTurnDeadZone - span / 2 - 1, 2), (V{-2, -2}));
  // The mouse's offset adds to the stick's.
  InjectEvent({EVENT_MOUSEMOVE, 0, 410, 320});
  EXPECT_EQ(turns(32767, 2), (V{18, 8}));
  EXPECT_EQ(PointerY(), 300);
}

TEST_F(PadTest, PluggingInAndPullingOutMidStickAndTheFirstPadPlays) {
  // Plugged in with the stick already forward, it walks at once.
  auto first = std::make_unique<TVirtualPad>();
  first->SetAxis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
  first->SetAxis(SDL_CONTROLLER_AXIS_RIGHTX, 32767);
  first->SetAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
  EXPECT_EQ(Walking() * 10 + ButtonIsDown(1), 10001);
  // A second pad waits while the first plays, and takes over when it is pulled out mid-stick.
  TVirtualPad& second = Plug();
  second.SetAxis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
  Tap(second, SDL_CONTROLLER_BUTTON_START);
  EXPECT_EQ(Walking(), 1000);
  EXPECT_EQ(KeyPressed(27), 0);
  EXPECT_EQ(Frame().second, 8);
  first.reset();
  EXPECT_EQ(Walking() * 10 + ButtonIsDown(1), 10);
  EXPECT_EQ(Frame().second, 0);
  pads.clear();
  EXPECT_FALSE(PadConnected());
  EXPECT_EQ(Walking(), 0);
}

TEST_F(PadTest, ThePadCountsOnlyWhileFocusedAndRumblesHarderForBiggerLosses) {
  RumbleForHit(5.0);  // no pad: nothing to do
  TVirtualPad& pad = Plug();
  RumbleForHit(1.0);
  const uint16_t light = pad.TakeRumble();
  RumbleForHit(9.0);
  const uint16_t heavy = pad.TakeRumble();
  RumbleForHit(40.0);
  EXPECT_EQ(pad.TakeRumble(), 65535);
  EXPECT_GT(light, 10000);
  EXPECT_GT(heavy, light);

  pad.SetAxis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
  pad.SetAxis(SDL_CONTROLLER_AXIS_RIGHTX, 32767);
  Tap(pad, SDL_CONTROLLER_BUTTON_A);
  Tap(pad, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER);
  InjectEvent({EVENT_APPSUSPEND});
  EXPECT_EQ(Walking(), 0);
  Tap(pad, SDL_CONTROLLER_BUTTON_START);
  EXPECT_EQ(Frame().second, 0);
  RumbleForHit(12.0);
  EXPECT_EQ(pad.TakeRumble(), 0);
  // Back in focus, presses from before and during the absence are gone; what is held counts.
  InjectEvent({EVENT_APPRESUME});
  EXPECT_EQ(KeyPressed(13) + KeyPressed(27), 0);
  EXPECT_EQ(Frame(), std::make_pair(0, 8));
  EXPECT_EQ(Walking(), 1000);
}

TEST_F(PadTest, TheScriptedPadFollowsItsCommandsAndRefusesOthers) {
  std::string error;
  for (const char* line : {"attach", " axis lefty -32768 ", "axis righttrigger 32767"}) {
    EXPECT_TRUE(RunVirtualPadCommand(line, error)) << line;
  }
  EXPECT_EQ(Walking() * 10 + ButtonIsDown(1), 10001);
  for (const char* bad : {"axis lefty", "axis lefty 40000", "axis nosuch 1", "button a 2", "button a 1 1", "jump"}) {
    EXPECT_FALSE(RunVirtualPadCommand(bad, error)) << bad;
  }
  EXPECT_TRUE(RunVirtualPadCommand("detach", error));
  EXPECT_FALSE(PadConnected());
  EXPECT_FALSE(RunVirtualPadCommand("button a 1", error));
  EXPECT_EQ(error, "no pad attached");
}

}  // namespace

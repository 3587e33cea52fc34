// The event layer and the polled input state, fed with injected events and with SDL
// events pushed into SDL's own queue (no window needed).
#include "platform/input/input.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "../support/fresh_input.h"
#include "platform/core/events.h"
#include "platform/input/key_names.h"
#include "platform/input/window_input.h"
#include "platform/system/timer.h"
#include "platform/video/graphics.h"
#include "platform/video/letterbox.h"
#include "platform/video/recording_driver.h"
#include "rules/answers.h"

namespace {

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(OpenFreshInputScreen()); }
  void TearDown() override {
    CloseScreen();
    SetEventWindow(nullptr);
    SetGraphicsDriver(nullptr);
    HoldPointer(false);
    HoldPointerByLock(false);
    SetScreenViewport(TViewport{});
  }
  static void Key(int32_t id, int32_t key) { InjectEvent({id, key}); }
  static void PushSdlKey(uint32_t type, SDL_Scancode sc, SDL_Keycode sym, uint8_t repeat = 0) {
    SDL_Event e{};
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat;
    e.key.keysym.scancode = sc;
    e.key.keysym.sym = sym;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  }
};

TEST_F(InputTest, HeldKeyWithAutoRepeatCountsOnePress) {
  Key(EVENT_KEYDOWN, 87);
  for (int i = 0; i < 30; ++i) Key(EVENT_KEYREPEAT, 87);
  EXPECT_EQ(KeyPressed(87), 1);
  EXPECT_EQ(KeyPressed(87), 0);
  EXPECT_EQ(KeyIsDown(87), 1);
  // A second key-down without a release (as some platforms send) is no new press either.
  Key(EVENT_KEYDOWN, 87);
  EXPECT_EQ(KeyPressed(87), 0);
  Key(EVENT_KEYUP, 87);
  EXPECT_EQ(KeyIsDown(87), 0);
}

TEST_F(InputTest, PressesAreCountedUntilAskedAndKeyIsDownLeavesTheCount) {
  for (int i = 0; i < 3; ++i) {
    Key(EVENT_KEYDOWN, 13);
    Key(EVENT_KEYUP, 13);
  }
  EXPECT_EQ(KeyIsDown(13), 0);
  Key(EVENT_KEYDOWN, 13);
  EXPECT_EQ(KeyIsDown(13), 1);
  EXPECT_EQ(KeyPressed(13), 4);
  EXPECT_EQ(KeyPressed(13), 0);
  EXPECT_EQ(KeyPressed(-1), 0);
  EXPECT_EQ(KeyIsDown(256), 0);
}

// A tap shorter than a frame reads as held once, in the next frame that asks; one no frame asks
// for is dropped after a frame. Without quick taps (the simulator's scripts) it reads as it is.
TEST_F(InputTest, QuickTapCountsAsHeldForOneFrame) {
  CountQuickTaps(true);
  StartInputFrame();
  Key(EVENT_KEYDOWN, '3');
  Key(EVENT_KEYUP, '3');
  EXPECT_EQ(KeyIsDown('3'), 1);
  EXPECT_EQ(KeyIsDown('3'), 0);
  // Tapped after this frame asked: the next frame has it.
  Key(EVENT_KEYDOWN, '4');
  Key(EVENT_KEYUP, '4');
  PumpEvents();
  StartInputFrame();
  EXPECT_EQ(KeyIsDown('4'), 1);
  Key(EVENT_KEYDOWN, '5');
  Key(EVENT_KEYUP, '5');
  PumpEvents();
  StartInputFrame();
  StartInputFrame();
  EXPECT_EQ(KeyIsDown('5'), 0);
  // Through a binding too, once.
  BindKey('W', {'I', 'K'});
  Key(EVENT_KEYDOWN, 'K');
  Key(EVENT_KEYUP, 'K');
  EXPECT_EQ(KeyIsDown('W'), 1);
  EXPECT_EQ(KeyIsDown('W'), 0);
  UnbindAllKeys();
  CountQuickTaps(false);
  Key(EVENT_KEYDOWN, '3');
  Key(EVENT_KEYUP, '3');
  EXPECT_EQ(KeyIsDown('3'), 0);
}

TEST_F(InputTest, LosingTheFocusReleasesKeysAndButtonsUntilPressedAgain) {
  Key(EVENT_KEYDOWN, 87);
  InjectEvent({EVENT_MOUSEDOWN, 1, 10, 10});
  EXPECT_EQ(KeyIsDown(87), 1);
  InjectEvent({EVENT_APPSUSPEND});
  EXPECT_EQ(KeyIsDown(87), 0);
  EXPECT_EQ(KeyPressed(87), 0);
  EXPECT_EQ(ButtonIsDown(1), 0);
  EXPECT_EQ(AppSuspended(), 1);
  InjectEvent({EVENT_APPRESUME});
  EXPECT_EQ(KeyIsDown(87), 0);  // still held physically, but reads released
  EXPECT_EQ(AppSuspended(), 0);
  Key(EVENT_KEYDOWN, 87);
  EXPECT_EQ(KeyIsDown(87), 1);
}

TEST_F(InputTest, ButtonsCountPressesAndReleaseClearsThem) {
  InjectEvent({EVENT_MOUSEDOWN, 1, 10, 10});
  InjectEvent({EVENT_MOUSEDOWN, 2, 10, 10});
  EXPECT_EQ(ButtonIsDown(1), 1);
  EXPECT_EQ(ButtonIsDown(2), 1);
  EXPECT_EQ(ButtonIsDown(3), 0);
  // The release arrives even though the pointer has left the window.
  InjectEvent({EVENT_MOUSELEAVE, 0, 10, 10});
  InjectEvent({EVENT_MOUSEUP, 1, -50, 900});
  EXPECT_EQ(ButtonIsDown(1), 0);
  EXPECT_EQ(ButtonIsDown(2), 1);
  EXPECT_EQ(ButtonIsDown(7), 0);
}

TEST_F(InputTest, WarpIsFollowedAtTheNextPump) {
  InjectEvent({EVENT_MOUSEMOVE, 0, 10, 20});
  EXPECT_EQ(PointerX(), 10);
  MovePointer(400, 300);
  EXPECT_EQ(PointerX(), 400);
  EXPECT_EQ(PointerY(), 300);
  // Motion after the warp moves on from there.
  InjectEvent({EVENT_MOUSEMOVE, 0, 407, 300});
  EXPECT_EQ(PointerX(), 407);
}

// Shown twice as large: the locked pointer's motion counts whole, in the window's units; the free
// pointer is read where it is, through the letterbox, and chooses only when the hand moved it.
TEST_F(InputTest, HeldPointerCountsMotionInWindowUnitsAndAFreeOneIsReadWhereItIs) {
  SetScreenViewport(FitViewport(200, 150, 400, 300));
  std::vector<TEvent> moves;
  const int32_t hook = AddEventHook([&moves](const TEvent& ev) {
    if (ev.id == EVENT_MOUSEMOVE) moves.push_back(ev);
  });
  const auto motion = [](int32_t x, int32_t y, int32_t dx, int32_t dy) {
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    e.motion.xrel = dx;
    e.motion.yrel = dy;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  };
  HoldPointerByLock(true);
  HoldPointer(true);
  ASSERT_TRUE(PointerHeld());
  MovePointer(100, 75);
  motion(733, 12, 5, -2);  // where the system pointer is: ignored while held
  motion(733, 12, 3, 0);
  EXPECT_EQ(PointerX(), 108);
  EXPECT_EQ(PointerY(), 73);
  MovePointer(100, 75);
  EXPECT_EQ(PointerX(), 100);
  motion(0, 0, -7, 0);
  EXPECT_EQ(PointerX(), 93);
  EXPECT_EQ(moves.back().data, kPointerMoved);

  HoldPointer(false);
  EXPECT_FALSE(PointerHeld());
  motion(300, 100, 0, 0);
  EXPECT_EQ(PointerX(), 150);
  EXPECT_EQ(PointerY(), 50);
  EXPECT_EQ(moves.back().data, kPointerMoved);
  // The window changing under a resting pointer moves it in the window, but not by the hand.
  SDL_Event resized{};
  resized.type = SDL_WINDOWEVENT;
  resized.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
  resized.window.data1 = 400;
  resized.window.data2 = 300;
  ASSERT_EQ(SDL_PushEvent(&resized), 1);
  motion(100, 100, -200, 0);
  EXPECT_EQ(PointerX(), 50);
  EXPECT_EQ(moves.back().data, 0);
  // A warp is the game's, never the hand's.
  MovePointer(20, 30);
  EXPECT_EQ(PointerX(), 20);
  EXPECT_EQ(moves.back().data, 0);
  RemoveEventHook(hook);
}

TEST_F(InputTest, PointerMotionIsNotTakenWhileAnotherProgramHasTheFocus) {
  const auto push = [](uint32_t type, uint8_t windowEvent, int32_t x) {
    SDL_Event e{};
    e.type = type;
    e.window.event = windowEvent;
    if (type == SDL_MOUSEMOTION) {
      e = {};
      e.type = type;
      e.motion.x = x;
      e.motion.y = 5;
    }
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  };
  std::vector<TEvent> moves;
  const int32_t hook = AddEventHook([&moves](const TEvent& ev) {
    if (ev.id == EVENT_MOUSEMOVE) moves.push_back(ev);
  });
  // In play, which holds the pointer while the window has the focus.
  HoldPointer(true);
  push(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_LOST, 0);
  EXPECT_EQ(AppSuspended(), 1);
  EXPECT_FALSE(WindowFocused());
  // The game still asks for the centre: the stored position takes it, so no turn is read.
  MovePointer(400, 300);
  push(SDL_MOUSEMOTION, 0, 10);
  EXPECT_EQ(PointerX(), 400);
  EXPECT_EQ(PointerY(), 300);
  // Back in focus: the pointer is put where the game last asked, and motion counts again.
  moves.clear();
  push(SDL_WINDOWEVENT, SDL_WINDOWEVENT_FOCUS_GAINED, 0);
  EXPECT_EQ(PointerX(), 400);
  EXPECT_TRUE(WindowFocused());
  ASSERT_EQ(moves.size(), 1u);
  EXPECT_EQ(moves[0].x, 400);
  EXPECT_EQ(moves[0].y, 300);
  push(SDL_MOUSEMOTION, 0, 407);
  EXPECT_EQ(PointerX(), 407);
  RemoveEventHook(hook);
}

TEST_F(InputTest, CloseRequestCountsOnePressOfEachCloseKey) {
  SetCloseRequestKeys({27, 13});
  Key(EVENT_KEYDOWN, 27);
  InjectEvent({EVENT_APPTERMINATE});
  EXPECT_EQ(AppTerminate(), 1);
  EXPECT_EQ(KeyPressed(27), 2);
  EXPECT_EQ(KeyIsDown(13), 0);
  EXPECT_EQ(KeyPressed(13), 1);
  EXPECT_EQ(KeyPressed(13), 0);
  InjectEvent({EVENT_APPTERMINATE});
  EXPECT_EQ(KeyPressed(13), 1);
  EXPECT_EQ(KeyIsDown(27), 1);
  EXPECT_EQ(KeyPressed(27), 1);
  SetCloseRequestKeys({});
  InjectEvent({EVENT_APPTERMINATE});
  EXPECT_EQ(KeyPressed(13), 0);
  EXPECT_EQ(KeyPressed(27), 0);
}

TEST_F(InputTest, SdlKeysBecomeVirtualKeyCodesWithLeftAndRightApart) {
  PushSdlKey(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT);
  PushSdlKey(SDL_KEYDOWN, SDL_SCANCODE_RCTRL, SDLK_RCTRL);
  PushSdlKey(SDL_KEYDOWN, SDL_SCANCODE_RALT, SDLK_RALT);
  EXPECT_EQ(KeyIsDown(160), 1);
  EXPECT_EQ(KeyIsDown(161), 0);
  EXPECT_EQ(KeyIsDown(163), 1);
  EXPECT_EQ(KeyIsDown(165), 1);
  EXPECT_EQ(KeyIsDown(16), 0);
  EXPECT_EQ(KeyIsDown(17), 0);
  EXPECT_EQ(KeyIsDown(18), 0);
  PushSdlKey(SDL_KEYDOWN, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT);
  PushSdlKey(SDL_KEYUP, SDL_SCANCODE_LSHIFT, SDLK_LSHIFT);
  EXPECT_EQ(KeyIsDown(160), 0);
  EXPECT_EQ(KeyIsDown(161), 1);

  // Auto-repeat from SDL counts nothing.
  PushSdlKey(SDL_KEYDOWN, SDL_SCANCODE_W, SDLK_w);
  PushSdlKey(SDL_KEYDOWN, SDL_SCANCODE_W, SDLK_w, 1);
  PushSdlKey(SDL_KEYDOWN, SDL_SCANCODE_W, SDLK_w, 1);
  EXPECT_EQ(KeyPressed('W'), 1);

  EXPECT_EQ(VirtualKeyFromSdl(SDL_SCANCODE_RETURN, SDLK_RETURN), 13);
  EXPECT_EQ(VirtualKeyFromSdl(SDL_SCANCODE_ESCAPE, SDLK_ESCAPE), 27);
  EXPECT_EQ(VirtualKeyFromSdl(SDL_SCANCODE_SPACE, SDLK_SPACE), 32);
  EXPECT_EQ(VirtualKeyFromSdl(SDL_SCANCODE_LEFT, SDLK_LEFT), 37);
  EXPECT_EQ(VirtualKeyFromSdl(SDL_SCANCODE_UP, SDLK_UP), 38);
  EXPECT_EQ(VirtualKeyFromSdl(SDL_SCANCODE_RIGHT, SDLK_RIGHT), 39);
  EXPECT_EQ(VirtualKeyFromSdl(SDL_SCANCODE_DOWN, SDLK_DOWN), 40);
  EXPECT_EQ(VirtualKeyFromSdl(SDL_SCANCODE_1, SDLK_1), 49);
  EXPECT_EQ(VirtualKeyFromSdl(SDL_SCANCODE_5, SDLK_5), 53);
  EXPECT_EQ(VirtualKeyFromSdl(SDL_SCANCODE_A, SDLK_a), 65);
  EXPECT_EQ(VirtualKeyFromSdl(SDL_SCANCODE_F4, SDLK_F4), 115);
  // A layout that puts Z where Y was (German) reports the letter on the key.
  EXPECT_EQ(VirtualKeyFromSdl(SDL_SCANCODE_Y, SDLK_z), 'Z');
  // Letters of a non-Latin layout fall back to the key's position.
  EXPECT_EQ(VirtualKeyFromSdl(SDL_SCANCODE_D, 0x0432), 'D');
}

TEST_F(InputTest, SdlMouseWindowAndTextEventsBecomeGameEvents) {
  std::vector<TEvent> seen;
  const int32_t hook = AddEventHook([&seen](const TEvent& ev) { seen.push_back(ev); });
  SDL_Event e{};
  e.type = SDL_MOUSEBUTTONDOWN;
  e.button.button = SDL_BUTTON_RIGHT;
  e.button.x = 12;
  e.button.y = 34;
  SDL_PushEvent(&e);
  e = {};
  e.type = SDL_TEXTINPUT;
  std::strcpy(e.text.text, "a\xC3\xA9");
  SDL_PushEvent(&e);
  e = {};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&e);
  e = {};
  e.type = SDL_MOUSEWHEEL;
  e.wheel.y = -2;
  SDL_PushEvent(&e);
  EXPECT_EQ(ButtonIsDown(2), 1);  // SDL's right button is the game's button 2
  RemoveEventHook(hook);
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[0].id, EVENT_MOUSEDOWN);
  EXPECT_EQ(seen[0].x, 12);
  EXPECT_EQ(seen[1].id, EVENT_KEYCHAR);
  EXPECT_EQ(seen[1].data, 'a');
  EXPECT_EQ(seen[2].data, 0xE9);
  EXPECT_EQ(seen[3].id, EVENT_APPTERMINATE);
  EXPECT_EQ(seen[4].id, EVENT_MOUSEWHEEL);
  EXPECT_EQ(seen[4].data, -2);
  EXPECT_EQ(AppTerminate(), 1);
  EXPECT_EQ(GetChar(), 'a');
  EXPECT_EQ(GetChar(), 0xE9);
  EXPECT_EQ(GetChar(), 0);
}

TEST_F(InputTest, CharacterQueueHoldsAtMost256) {
  for (int i = 0; i < 300; ++i) InjectEvent({EVENT_KEYCHAR, 1000 + i});
  for (int i = 0; i < 256; ++i) ASSERT_EQ(GetChar(), 1000 + i);
  EXPECT_EQ(GetChar(), 0);
}

TEST_F(InputTest, QueriesFromInsideAHookDoNotPumpAgain) {
  int32_t readInside = -1;
  const int32_t hook = AddEventHook([&readInside](const TEvent& ev) {
    if (ev.id == EVENT_KEYDOWN && ev.data == 65) readInside = KeyIsDown(66);
  });
  Key(EVENT_KEYDOWN, 65);
  Key(EVENT_KEYDOWN, 66);
  EXPECT_EQ(KeyIsDown(66), 1);
  RemoveEventHook(hook);
  // B's press was still waiting in the queue when A's hook asked.
  EXPECT_EQ(readInside, 0);
}

TEST_F(InputTest, StateFollowsEventsOnlyWhileAScreenIsOpen) {
  CloseScreen();
  Key(EVENT_KEYDOWN, 65);
  EXPECT_EQ(KeyIsDown(65), 0);
  ASSERT_TRUE(OpenHeadlessScreen(std::make_shared<TRecordingDriver>(), 800, 600, 0, 0, 0));
  EXPECT_EQ(KeyIsDown(65), 0);
  Key(EVENT_KEYDOWN, 65);
  EXPECT_EQ(KeyIsDown(65), 1);
}

TEST_F(InputTest, FullScreenCentresThePointer) {
  ASSERT_TRUE(OpenHeadlessScreen(std::make_shared<TRecordingDriver>(), 640, 480, 32, 60, 0));
  EXPECT_EQ(PointerX(), 320);
  EXPECT_EQ(PointerY(), 240);
}

TEST_F(InputTest, TickersCountOnTheMainThreadWhenEventsArePumped) {
  std::vector<TEvent> ticks;
  const int32_t hook = AddEventHook([&ticks](const TEvent& ev) {
    if (ev.id == EVENT_TIMERTICK) ticks.push_back(ev);
  });
  auto timer = TTimer::Create(200, std::nullopt);
  ASSERT_TRUE(timer);
  EXPECT_EQ(timer->_cycle, 5);
  EXPECT_EQ(TTimer::Create(50, std::nullopt)->_cycle, 20);
  EXPECT_GE(timer->Wait(), 1);
  EXPECT_GE(timer->Ticks(), 1);
  RemoveEventHook(hook);
  ASSERT_FALSE(ticks.empty());
  EXPECT_EQ(ticks[0].data, 1);
  EXPECT_EQ(ticks[0].source, timer.get());
  timer->Stop();
  const int32_t stopped = timer->Ticks();
  SDL_Delay(20);
  PumpEvents();
  EXPECT_EQ(timer->Ticks(), stopped);

  // Ticks still queued from a ticker stopped unread reach neither it nor the next ticker that
  // takes its place.
  auto fast = TTimer::Create(1000, std::nullopt);
  ASSERT_TRUE(fast);
  const uint32_t type = TickerEventType();
  for (int i = 0; i < 200 && SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, type, type) < 3; ++i) SDL_Delay(1);
  ASSERT_GE(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, type, type), 3);
  fast->Stop();
  auto next = TTimer::Create(1, std::nullopt);
  PumpEvents();
  EXPECT_EQ(fast->Ticks() * 100 + next->Ticks(), 0);
}

TEST_F(InputTest, AtMostSixteenTickersRun) {
  std::vector<std::shared_ptr<TTimer>> timers;
  for (int i = 0; i < kMaxTimers; ++i) {
    timers.push_back(TTimer::Create(1, std::nullopt));
    ASSERT_TRUE(timers.back()) << i;
  }
  EXPECT_FALSE(TTimer::Create(1, std::nullopt));
  timers.back()->Stop();
  EXPECT_TRUE(TTimer::Create(1, std::nullopt));
}

TEST_F(InputTest, HidePointerWorksWithoutAWindow) {
  HidePointer();
  EXPECT_TRUE(PointerHidden());
}

}  // namespace

namespace bindings {

TEST_F(InputTest, BoundCodesAnswerFromThePlayersKeysAndTheRestForThemselves) {
  BindKey(87, {'I', 104});
  Key(EVENT_KEYDOWN, 87);
  Key(EVENT_KEYDOWN, 'I');
  Key(EVENT_KEYUP, 'I');
  Key(EVENT_KEYDOWN, 104);
  EXPECT_EQ(KeyIsDown(87), 1);  // held through keypad 8, not through W
  EXPECT_EQ(KeyPressed(87), 2);
  Key(EVENT_KEYUP, 104);
  EXPECT_EQ(KeyIsDown(87), 0);
  EXPECT_EQ(KeyIsDown('I'), 0);   // I itself answers for itself
  EXPECT_EQ(KeyPressed('I'), 0);  // and its presses went to the binding
  BindKey(38, {});
  Key(EVENT_KEYDOWN, 38);
  EXPECT_EQ(KeyIsDown(38), 0);
  UnbindKey(38);
  UnbindKey(87);
  EXPECT_EQ(KeyIsDown(38), 1);
  EXPECT_EQ(KeyIsDown(87), 1);
  ClearKeys();
}

TEST_F(InputTest, SensitivityScalesTheTurnAndCarriesItsFractions) {
  SetPointerSensitivity(-0.5);
  int32_t turned = 0;
  for (int frame = 0; frame < 4; ++frame) {
    MovePointer(400, 300);
    InjectEvent({EVENT_MOUSEMOVE, 0, 403, 300});
    EXPECT_EQ(PointerX(), PointerX());  // reading twice turns once
    turned += PointerX() - 400;
  }
  MovePointer(400, 300);
  EXPECT_EQ(turned, -6);  // 12 pixels at half a degree each, the other way
  SetPointerSensitivity(1.0);
  InjectEvent({EVENT_MOUSEMOVE, 0, 403, 300});
  EXPECT_EQ(PointerX(), 403);
}

}  // namespace bindings

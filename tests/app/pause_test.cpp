// What pauses play, what is kept for the pause screen, and its menu: choosing, changing and
// binding keys, from plain inputs and from injected window events; and the screenshot key,
// watched beside the pause keys.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include "../support/read_file.h"
#include "app/menu/settings_menu.h"
#include "app/play/notices.h"
#include "app/play/pause_watch.h"
#include "app/play/play_session.h"
#include "app/play/player_keys.h"
#include "app/player/bindings.h"
#include "app/player/settings_in_force.h"
#include "app/tapp.h"
#include "platform/core/events.h"
#include "platform/input/input.h"
#include "platform/input/keys.h"
#include "platform/input/pad.h"
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
    StartPlaySession();
    PlaySession().WatchEvents();
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

TEST_F(PauseTest, TheScreenshotKeyInForceAsksForOnePicturePerPress) {
  TakePlayerSettings({}, {});
  Key(EVENT_KEYDOWN, KEY_F11);
  PumpEvents();
  EXPECT_FALSE(TakeScreenshotRequest());
  Key(EVENT_KEYDOWN, KEY_F12);
  PumpEvents();
  EXPECT_TRUE(TakeScreenshotRequest());
  EXPECT_FALSE(TakeScreenshotRequest());
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
  // The menu stands on a darkened panel drawn before its first line, reaching round it.
  const std::vector<TRecordedCall> calls = driver->Calls();
  const auto panel = std::find_if(calls.begin(), calls.end(), [](const TRecordedCall& c) {
    return c.op == DrawOp::DrawRect && c.state.r == 0 && c.state.alpha < 1.0f;
  });
  ASSERT_NE(panel, calls.end());
  const float menuTop = 300.0f - 120.0f;
  EXPECT_EQ(panel->args[5], menuTop - 8.0f);
  const auto firstLine = std::find_if(panel, calls.end(), [](const TRecordedCall& c) {
    return c.op == DrawOp::DrawFrame && c.args[5] >= 300.0 - 120.0;
  });
  ASSERT_NE(firstLine, calls.end());
  EXPECT_LT(panel->args[4], firstLine->args[4]);
  EXPECT_GT(panel->args[4] + panel->args[2] - panel->args[0], 400.0);
  EXPECT_EQ(CurrentGraphics()->color_alpha, 1.0f) << "the panel leaves the draw state as it found it";
  EXPECT_EQ(ButtonIsDown(1), 0);
  InjectEvent({EVENT_MOUSEUP, 1, 10, 10});
  InjectEvent({EVENT_MOUSEDOWN, 1, 10, 10});
  EXPECT_EQ(ButtonIsDown(1), 1) << "the next click fires";
}

using TResult = TSettingsMenu::TResult;
using TItem = TSettingsMenu::TItem;

size_t Line(TItem item) { return static_cast<size_t>(item); }

TEST(PauseMenu, UpAndDownChooseLeftAndRightChangeEnterActsAndTheKeysThatLeaveAreTold) {
  TSettingsMenu menu({}, false);
  EXPECT_EQ(menu.Lines()[0].text, "Weiter");
  EXPECT_EQ(menu.Key(KEY_DOWN), TResult::Stay);
  EXPECT_EQ(menu.Chosen(), Line(TItem::Volume));
  menu.Key(KEY_LEFT);
  menu.Key(KEY_LEFT);
  EXPECT_EQ(menu.Settings().volume, 60);
  EXPECT_TRUE(menu.TakeChanged());
  EXPECT_FALSE(menu.TakeChanged());
  EXPECT_EQ(menu.Lines()[Line(TItem::Volume)].text, "Lautstärke            60") << "aligned by letters, not bytes";
  for (int i = 0; i < 7; ++i) menu.Key(KEY_LEFT);
  EXPECT_EQ(menu.Settings().volume, 0);
  menu.Key(KEY_ENTER);
  EXPECT_EQ(menu.Settings().volume, 10) << "Enter steps a value on";
  menu.Key(KEY_DOWN);
  ASSERT_EQ(menu.Chosen(), Line(TItem::Music));
  menu.Key(KEY_LEFT);
  EXPECT_EQ(menu.Settings().music, 40);
  EXPECT_EQ(menu.Lines()[Line(TItem::Music)].text, "Musik                 40");
  EXPECT_EQ(menu.Settings().volume, 10) << "the music's volume is its own";
  menu.Key(KEY_DOWN);
  menu.Key(KEY_ENTER);
  EXPECT_TRUE(menu.Settings().mute);
  menu.Key(KEY_DOWN);
  menu.Key(KEY_RIGHT);
  EXPECT_EQ(menu.Settings().mouseSensitivity, 1.25);
  for (TItem item : {TItem::MouseInvert, TItem::FullScreen, TItem::Scaling, TItem::Hud, TItem::Language}) {
    menu.Key(KEY_DOWN);
    ASSERT_EQ(menu.Chosen(), Line(item));
    menu.Key(KEY_RIGHT);
  }
  EXPECT_TRUE(menu.Settings().mouseInvert);
  EXPECT_TRUE(menu.Settings().fullscreen);
  EXPECT_EQ(menu.Settings().scaling, TScaling::Sharp);
  EXPECT_EQ(menu.Settings().hud, THud::Extended);
  EXPECT_EQ(menu.Settings().language, TLanguageChoice::English);
  EXPECT_EQ(menu.Lines()[Line(TItem::Hud)].text, "Anzeige               erweitert");
  // Left steps the other way, round the end as Right does.
  menu.Key(KEY_LEFT);
  menu.Key(KEY_LEFT);
  EXPECT_EQ(menu.Settings().language, TLanguageChoice::Desktop);
  menu.Key(KEY_RIGHT);
  EXPECT_EQ(menu.Settings().language, TLanguageChoice::German);
  menu.Key(KEY_RIGHT);
  // Up from the first line comes round to the last.
  for (size_t i = 0; i <= Line(TItem::Language); ++i) menu.Key(KEY_UP);
  EXPECT_EQ(menu.Chosen(), Line(TItem::EndPlay));
  EXPECT_EQ(menu.Key(KEY_ENTER), TResult::EndPlay);
  EXPECT_EQ(menu.Key(KEY_ESCAPE), TResult::EndPlay);
  EXPECT_EQ(menu.Key('P'), TResult::Resume);
  EXPECT_EQ(menu.Key(KEY_PAUSE), TResult::Resume);
  EXPECT_EQ(menu.Key('W'), TResult::Stay);

  // Pause bound to the menu's own keys leaves them to the menu; another pause key still resumes.
  TPlayerSettings bound;
  bound.keys[static_cast<size_t>(TAction::Pause)] = {KEY_ENTER, KEY_UP, KEY_DOWN, 'P'};
  TSettingsMenu taken(bound, false);
  EXPECT_EQ(taken.Key(KEY_DOWN), TResult::Stay);
  EXPECT_EQ(taken.Key(KEY_ENTER), TResult::Stay);
  EXPECT_EQ(taken.Settings().volume, 90) << "Enter steps the value chosen";
  EXPECT_EQ(taken.Key(KEY_UP), TResult::Stay);
  EXPECT_EQ(taken.Chosen(), Line(TItem::Resume));
  EXPECT_EQ(taken.Key('P'), TResult::Resume);
}

// The ends of the number lines: Right stops at the top and Left at the bottom, while Enter
// goes round from the top to the bottom.
TEST(PauseMenu, NumbersStopAtTheirEndsAndEnterGoesRound) {
  TPlayerSettings top;
  top.volume = 90;
  top.music = 90;
  top.mouseSensitivity = 7.5;
  TSettingsMenu menu(top, false);
  for (const auto value : {&TPlayerSettings::volume, &TPlayerSettings::music}) {
    menu.Key(KEY_DOWN);
    menu.Key(KEY_RIGHT);
    EXPECT_EQ(menu.Settings().*value, 100);
    menu.Key(KEY_RIGHT);
    EXPECT_EQ(menu.Settings().*value, 100);
    menu.Key(KEY_ENTER);
    EXPECT_EQ(menu.Settings().*value, 0);
    menu.Key(KEY_LEFT);
    EXPECT_EQ(menu.Settings().*value, 0);
  }
  menu.Key(KEY_DOWN);
  menu.Key(KEY_DOWN);
  ASSERT_EQ(menu.Chosen(), Line(TItem::MouseSensitivity));
  menu.Key(KEY_RIGHT);
  menu.Key(KEY_RIGHT);
  EXPECT_EQ(menu.Settings().mouseSensitivity, 10.0);
  menu.Key(KEY_ENTER);
  EXPECT_EQ(menu.Settings().mouseSensitivity, 0.1);
  menu.Key(KEY_LEFT);
  EXPECT_EQ(menu.Settings().mouseSensitivity, 0.1);
}

TEST(PauseMenu, KeysAreBoundByPressingThemSwappedAfterASecondEnterAndPutBackByTheDefaultsLine) {
  TSettingsMenu menu({}, false);
  menu.Point(Line(TItem::Keys));
  EXPECT_EQ(menu.Click(Line(TItem::Keys)), TResult::Stay);
  ASSERT_EQ(menu.Page(), TSettingsMenu::TPage::Keys);
  EXPECT_EQ(menu.Lines().size(), kActions + 2);
  EXPECT_EQ(menu.Lines()[0].text, "Vorwärts              W Up");
  menu.Key(KEY_ENTER);
  EXPECT_EQ(menu.Prompt(), "Neue Taste für Vorwärts drücken (Escape bricht ab)");
  EXPECT_EQ(menu.Key('I'), TResult::Stay);
  EXPECT_EQ(menu.Settings().Keys(TAction::Forward), std::vector<int32_t>{'I'});
  EXPECT_TRUE(menu.TakeChanged());
  EXPECT_EQ(menu.Prompt(), "");

  // Back takes I, which forward holds: named, and swapped only after Enter.
  menu.Key(KEY_DOWN);
  menu.Key(KEY_ENTER);
  menu.Key('I');
  EXPECT_EQ(menu.Prompt(), "I gehört zu Vorwärts: Enter tauscht, Escape bricht ab");
  EXPECT_FALSE(menu.TakeChanged());
  menu.Key(KEY_ENTER);
  EXPECT_EQ(menu.Settings().Keys(TAction::Back), std::vector<int32_t>{'I'});
  EXPECT_EQ(menu.Settings().Keys(TAction::Forward), (std::vector<int32_t>{'S', KEY_DOWN}));

  // Escape cancels a key awaited and a swap offered, and the pause keys are bound like any.
  menu.Key(KEY_DOWN);
  menu.Key(KEY_ENTER);
  EXPECT_EQ(menu.Key(KEY_ESCAPE), TResult::Stay);
  menu.Key(KEY_ENTER);
  menu.Key('D');
  menu.Key(KEY_ESCAPE);
  EXPECT_EQ(menu.Settings().Keys(TAction::Left), (std::vector<int32_t>{'A', KEY_LEFT}));
  menu.Key(KEY_ENTER);
  EXPECT_EQ(menu.Key('P'), TResult::Stay);
  EXPECT_EQ(menu.Key(KEY_ENTER), TResult::Stay);
  EXPECT_EQ(menu.Settings().Keys(TAction::Left), std::vector<int32_t>{'P'});
  EXPECT_EQ(menu.Settings().Keys(TAction::Pause), (std::vector<int32_t>{'A', KEY_LEFT, KEY_PAUSE}));

  menu.Point(kActions);
  EXPECT_EQ(menu.Lines()[kActions].text, "Standardbelegung");
  menu.Key(KEY_ENTER);
  EXPECT_EQ(menu.Settings().keys, DefaultKeys());
  EXPECT_EQ(menu.Key(KEY_ESCAPE), TResult::Stay) << "Escape goes back, and play goes on";
  EXPECT_EQ(menu.Page(), TSettingsMenu::TPage::Main);
  EXPECT_EQ(menu.Chosen(), Line(TItem::Keys));
}

TEST(PauseMenu, ThePadAndThePointerWorkItToo) {
  TSettingsMenu menu({}, true);
  menu.PadButton(PAD_BUTTON_DPAD_DOWN);
  menu.PadButton(PAD_BUTTON_DPAD_RIGHT);
  EXPECT_EQ(menu.Settings().volume, 90);
  // The controls list: its lines are only shown, B goes back.
  EXPECT_EQ(menu.Click(Line(TItem::Controls)), TResult::Stay);
  ASSERT_EQ(menu.Page(), TSettingsMenu::TPage::Controls);
  const std::vector<TMenuLine> lines = menu.Lines();
  EXPECT_EQ(lines[0].text, "Gehen           W Up / S Down");
  EXPECT_FALSE(lines[0].selectable);
  EXPECT_EQ(menu.Chosen(), lines.size() - 1);
  menu.Point(0);
  EXPECT_EQ(menu.Chosen(), lines.size() - 1);
  menu.PadButton(PAD_BUTTON_B);
  EXPECT_EQ(menu.Page(), TSettingsMenu::TPage::Main);
  menu.PadButton(PAD_BUTTON_DPAD_DOWN);
  menu.PadButton(PAD_BUTTON_A);
  ASSERT_EQ(menu.Page(), TSettingsMenu::TPage::Keys);
  menu.PadButton(PAD_BUTTON_A);
  menu.PadButton(PAD_BUTTON_B);
  EXPECT_EQ(menu.Prompt(), "");
  menu.PadButton(PAD_BUTTON_B);
  EXPECT_EQ(menu.PadButton(PAD_BUTTON_B), TResult::Resume);
  EXPECT_EQ(menu.Click(Line(TItem::Resume)), TResult::Resume);
}

// A driver that presses (and lets go of) keys and clicks, one a frame, from the pause's second
// frame on.
class TMenuDriver : public TRecordingDriver {
 public:
  void Flip(int32_t sync) override {
    TRecordingDriver::Flip(sync);
    if (++flips < 2 || next >= script.size()) return;
    const TEvent ev = script[next++];
    InjectEvent(ev);
    // x 1 marks a key still held when the pause ends.
    if (ev.id == EVENT_KEYDOWN && ev.x == 0) InjectEvent({EVENT_KEYUP, ev.data});
  }
  TPixmapPtr GrabPixmap(int32_t x, int32_t y, int32_t w, int32_t h) override {
    TRecordingDriver::GrabPixmap(x, y, w, h);
    return TPixmap::Create(w, h, PF_RGBA8888);
  }
  std::vector<TEvent> script;
  size_t next = 0;
  int flips = 0;
};

TEST_F(PauseTest, TheMenusChangesAreInForceAndKeptAndItsKeysReachNothingAfterIt) {
  const std::filesystem::path dir = std::filesystem::path(KESTROVA_BINARY_DIR) / "test_pause_menu";
  std::filesystem::remove_all(dir);
  const std::string file = (dir / "settings.txt").string();
  TakePlayerSettings(file, {});
  Apply({});
  auto driver = std::make_shared<TMenuDriver>();
  ASSERT_TRUE(OpenHeadlessScreen(driver, 800, 600, 0, 0, 0));
  game.screenW = 800;
  game.screenH = 600;
  // Down to the volume, two steps down, the HUD extended, and Enter on Weiter, still held.
  const auto hudY = 300 - 120 + 18 * static_cast<int32_t>(Line(TItem::Hud)) + 9;
  driver->script = {{EVENT_KEYDOWN, KEY_DOWN},       {EVENT_KEYDOWN, KEY_LEFT},
                    {EVENT_KEYDOWN, KEY_LEFT},       {EVENT_MOUSEMOVE, kPointerMoved, 400, hudY},
                    {EVENT_MOUSEDOWN, 1, 400, hudY}, {EVENT_MOUSEUP, 1, 400, hudY},
                    {EVENT_KEYDOWN, KEY_UP}};
  driver->script.push_back({EVENT_MOUSEMOVE, kPointerMoved, 400, 300 - 120 + 9});
  driver->script.push_back({EVENT_KEYDOWN, KEY_ENTER, 1});
  Tapp::pause();
  EXPECT_EQ(driver->next, driver->script.size());
  EXPECT_EQ(PlayerSettings().volume, 60);
  EXPECT_EQ(PlayerSettings().hud, THud::Extended);
  const std::string written = ReadWholeFile(file);
  EXPECT_NE(written.find("\nvolume = 60\n"), std::string::npos) << written;
  EXPECT_NE(written.find("\nhud = extended\n"), std::string::npos) << written;
  EXPECT_EQ(KeyIsDown(KEY_ENTER), 0) << "the Enter that acted fires nothing";
  EXPECT_EQ(ButtonIsDown(1), 0);

  const auto pauseWith = [&](std::vector<TEvent> script) {
    driver->script = std::move(script);
    driver->next = 0;
    driver->flips = 0;
    Tapp::pause();
    EXPECT_EQ(driver->next, driver->script.size());
  };
  // Escape in the keys page goes back; Escape on the main page ends play, through the rules.
  const TEvent up{EVENT_KEYDOWN, KEY_UP};
  const TEvent enter{EVENT_KEYDOWN, KEY_ENTER};
  const TEvent escape{EVENT_KEYDOWN, KEY_ESCAPE};
  pauseWith({up, up, up, enter, escape, escape});
  EXPECT_EQ(KeyPressed(KEY_ESCAPE), 1);
  // A game that cannot be saved says so and stays paused; Spiel beenden below ends play too.
  StartPlaySession();
  pauseWith({up, up, enter, {EVENT_KEYDOWN, KEY_DOWN}, enter});
  EXPECT_EQ(CurrentNotice(), "Nicht gesichert: das Spiel geht weiter");
  EXPECT_FALSE(PlaySession().saved);
  EXPECT_EQ(KeyPressed(KEY_ESCAPE), 1);
  // And the close button, on a page of the menu too.
  pauseWith({up, up, up, enter, {EVENT_APPTERMINATE}});
  EXPECT_GE(KeyPressed(KEY_ESCAPE), 1);
  // F12 pressed as the key to bind is that key only: no picture is saved.
  const char* data = std::getenv("XDG_DATA_HOME");
  const std::string dataWas = data != nullptr ? data : "";
  setenv("XDG_DATA_HOME", dir.c_str(), 1);
  StartPlaySession();
  PlaySession().WatchEvents();
  pauseWith({up, up, up, enter, enter, {EVENT_KEYDOWN, KEY_F12}, enter, escape, escape});
  EXPECT_EQ(PlayerSettings().Keys(TAction::Forward), std::vector<int32_t>{KEY_F12});
  EXPECT_EQ(CurrentNotice(), "");
  EXPECT_FALSE(std::filesystem::exists(dir / "kestrova" / "screenshots"));
  if (data != nullptr) {
    setenv("XDG_DATA_HOME", dataWas.c_str(), 1);
  } else {
    unsetenv("XDG_DATA_HOME");
  }
  TakePlayerSettings({}, {});
  Apply({});
  StartPlaySession();
  std::filesystem::remove_all(dir);
}

}  // namespace

// Playing again: a game that follows another in the same program starts from exactly the state
// a fresh program gives it, whatever the game before left behind, and the score screen says
// how to play again and hears N and R.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "../support/scene.h"
#include "app/demos/report.h"
#include "app/loading/tables.h"
#include "app/play/pad_controls.h"
#include "app/play/placement.h"
#include "app/play/play_session.h"
#include "app/tapp.h"
#include "platform/core/events.h"
#include "platform/core/sdl_start.h"
#include "platform/input/input.h"
#include "platform/input/keys.h"
#include "platform/system/clock.h"
#include "platform/video/graphics.h"
#include "platform/video/recording_driver.h"
#include "rules/random.h"
#include "rules/rules_clock.h"
#include "state/game.h"
#include "world/worldgen.h"

namespace {

// A small world, quick to make.
constexpr TMapParams kWorld = {30, 10, 40, 4, 8, 10, 10};
constexpr int32_t kClock = 100000;

using TScript = std::vector<std::pair<int32_t, TEvent>>;

// A screen that presses a key after a given number of presented frames (Enter after 50, so a
// failing score screen ends the test rather than hanging it).
class PressingDriver : public TRecordingDriver {
 public:
  int32_t flips = 0;
  int32_t pressAt = 0;
  int32_t key = 0;
  void Flip(int32_t sync) override {
    TRecordingDriver::Flip(sync);
    ++flips;
    if (flips == pressAt || flips == 50) {
      InjectEvent({EVENT_KEYDOWN, flips == pressAt ? key : KEY_ENTER});
      InjectEvent({EVENT_KEYUP, flips == pressAt ? key : KEY_ENTER});
    }
  }
};

class AgainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(StartEventLayer());
    driver = std::make_shared<PressingDriver>();
    driver->SetRecording(false);
    ASSERT_TRUE(OpenHeadlessScreen(driver, 1024, 768, 0, 0, 0));
    StartControls();
    StartPlaySession();
    UseFixedClock(kClock);
  }
  void TearDown() override {
    Tapp::launch = TLaunch{};
    CreateTables();
  }

  // The world, the actors and `frames` frames of play with the script's events delivered
  // before their frame; the report when play ends.
  static std::string Play(const TScript& script, int32_t frames) {
    game.mapParamsGiven = kWorld;
    EXPECT_TRUE(GenerateWorld());
    EXPECT_TRUE(PlaceEnemies() && PlaceItems());
    Tapp::start();
    const FigureIds ids = NumberFigures();
    int32_t k = 0;
    for (; k < frames && game.gameState == TGamePhase::Running; ++k) {
      UseFixedClock(kClock + 16 * k);
      for (const auto& [at, event] : script) {
        if (at == k) InjectEvent(event);
      }
      Tapp::frame();
    }
    return StateReport(k, ids);
  }

  std::shared_ptr<PressingDriver> driver;
};

const TScript kWalkTurnFire = {{0, {EVENT_KEYDOWN, 'W'}},
                               {3, {EVENT_MOUSEMOVE, 0, 512 + 30, 384}},
                               {5, {EVENT_MOUSEDOWN, 1, 512, 384}},
                               {20, {EVENT_MOUSEUP, 1, 512, 384}},
                               {30, {EVENT_KEYUP, 'W'}},
                               {32, {EVENT_KEYDOWN, '2'}},
                               {33, {EVENT_KEYUP, '2'}},
                               {39, {EVENT_KEYDOWN, KEY_ESCAPE}},
                               {39, {EVENT_KEYUP, KEY_ESCAPE}}};

TEST_F(AgainTest, ASecondGameIsTheGameOfAFreshProgram) {
  CreateTables();
  game.screenW = 1024;
  game.screenH = 768;
  SeedRandom(77);
  const std::string fresh = Play(kWalkTurnFire, 60);
  ASSERT_NE(fresh.find("\ngameState 2\n"), std::string::npos);

  // Another game that leaves everything it can behind: keys and the mouse button held, a
  // weapon digit held, the rules' clock with paused time, a pause asked for, and the score
  // screen's drawing state.
  StartNextGame(5);
  const TScript messy = {{0, {EVENT_KEYDOWN, 'D'}},
                         {1, {EVENT_KEYDOWN, '4'}},
                         {2, {EVENT_MOUSEDOWN, 1, 512, 384}},
                         {4, {EVENT_KEYDOWN, 'P'}}};
  Play(messy, 10);
  StopRulesClock();
  UseFixedClock(kClock + 5000);
  RunRulesClock();
  SetDrawScale(5.0f, 5.0f);
  SetColor(10, 20, 30);

  StartNextGame(77);
  EXPECT_EQ(Tapp::launch.seed.value_or(0), 77);
  EXPECT_EQ(game.screenW, 1024);
  EXPECT_EQ(CurrentGraphics()->tform_scale_x, 1.0f);
  EXPECT_EQ(CurrentGraphics()->color_red, 255);
  EXPECT_EQ(Play(kWalkTurnFire, 60), fresh);
}

TEST_F(AgainTest, TheScoreScreenOffersAnotherGameAndHearsNAndR) {
  CreateTables();
  game.screenW = 1024;
  game.screenH = 768;
  SeedRandom(3);
  Play({}, 1);
  Tapp::launch.playAgain = true;
  const std::vector<std::pair<int32_t, TNextGame>> answers = {
      {'N', TNextGame::NewWorld}, {'R', TNextGame::SameWorld}, {KEY_ENTER, TNextGame::End}};
  for (const auto& [key, next] : answers) {
    // Presses made in play are no answer.
    InjectEvent({EVENT_KEYDOWN, 'N'});
    InjectEvent({EVENT_KEYUP, 'N'});
    driver->SetRecording(true);
    driver->Clear();
    driver->flips = 0;
    driver->pressAt = 3;
    driver->key = key;
    Tapp::endscreen();
    EXPECT_EQ(driver->flips, 3) << key;
    EXPECT_EQ(PlaySession().next, next) << key;
  }
  // Each frame: "Score: 0" at scale 5, then how the game went, then the keys.
  const std::vector<std::string> texts = TextsDrawn(driver->Calls());
  ASSERT_EQ(texts.size() % 3, 0u);
  const size_t perFrame = texts.size() / 3;
  ASSERT_GT(perFrame, 2u);
  EXPECT_EQ(texts[0], "Score: 0");
  EXPECT_EQ(texts[1], "Spiel vorbei: vom Spieler beendet");
  EXPECT_EQ(texts[perFrame - 1], "Enter: Ende   N: neue Welt   R: gleiche Welt");

  // Without the offer (a demo recorded or watched) the score screen has its one key.
  Tapp::launch.playAgain = false;
  driver->Clear();
  driver->flips = 0;
  driver->pressAt = 2;
  driver->key = 'N';
  Tapp::endscreen();
  EXPECT_EQ(driver->flips, 50);
  EXPECT_EQ(PlaySession().next, TNextGame::End);
  const std::vector<std::string> alone = TextsDrawn(driver->Calls());
  EXPECT_EQ(alone.size(), 50 * perFrame);
  EXPECT_EQ(alone.back(), "Enter: Ende");
}

}  // namespace

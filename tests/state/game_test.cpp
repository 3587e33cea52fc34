// A fresh game is the game a new process starts with, whatever the game before it left.
#include "state/game.h"

#include <gtest/gtest.h>

#include "platform/system/clock.h"
#include "rules/rules_clock.h"

namespace {

TEST(GameState, AFreshGameForgetsEverythingTheGameBeforeLeft) {
  UseFixedClock(1000);
  StartFreshGame();
  const TGameValues start = game;

  game.screenW = 640;
  game.camX = -77;
  game.gameState = TGamePhase::Quit;
  game.loadingStopped = true;
  game.tileImages.assign(6, nullptr);
  game.pathCount = 9;
  game.mapParamsFile = "elsewhere.txt";
  game.mapParamsGiven = TMapParams{1, 2, 3, 4, 5, 6, 7};
  game.figureList = std::make_shared<TList<std::shared_ptr<Tfigur>>>();
  game.mapGrid[0][0] = 0xFF;
  game.mapGrid[2047][2047] = 1;
  StopRulesClock();
  SleepMs(500);

  StartFreshGame();
  EXPECT_EQ(game.screenW, start.screenW);
  EXPECT_EQ(game.camX, 0);
  EXPECT_EQ(game.gameState, TGamePhase::Running);
  EXPECT_FALSE(game.loadingStopped);
  EXPECT_TRUE(game.tileImages.empty());
  EXPECT_EQ(game.pathCount, 0);
  EXPECT_EQ(game.mapParamsFile, "map.txt");
  EXPECT_FALSE(game.mapParamsGiven.has_value());
  EXPECT_EQ(game.figureList, nullptr);
  EXPECT_EQ(game.mapGrid[0][0], 0);
  EXPECT_EQ(game.mapGrid[2047][2047], 0);
  EXPECT_EQ(NowMs(), 1500) << "the rules' clock runs again with no paused time";
  UseSystemClock();
}

}  // namespace

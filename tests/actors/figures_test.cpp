// Figures: life and death, range, the behaviours by kind, moving with slides, drawing.
#include <gtest/gtest.h>

#include "actors/hearing.h"
#include "platform/audio/mixer.h"
#include "state/game.h"
#include "tests/actors/scene.h"
#include "world/tmap.h"

namespace {

using scene::BloodAttempt;
using scene::Land;

class FigureTest : public scene::Scene {
 protected:
  void SetUp() override {
    Scene::SetUp();
    Land(90, 90, 150, 150);  // world pixels 5728 .. 9631 on both axes
  }
};

TEST_F(FigureTest, NeuSetsTheEnemyValuesAndDrawsTheWeapon) {
  SetRandomState(4242);
  const int32_t weapon = RandomInt(0, 4);
  SetRandomState(4242);
  auto f = Tfigur::neu(6368, 6400, 5);
  EXPECT_EQ(f->X, 6368.0f);
  EXPECT_EQ(f->Y, 6400.0f);
  EXPECT_EQ(f->Art, 5);
  EXPECT_EQ(f->HP, 100.0f);
  EXPECT_EQ(f->weapon, weapon);
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(f->weapons[i], i == weapon ? 100000 : 0);
  EXPECT_EQ(f->Side, 0);
  EXPECT_EQ(f->Time, 0);
  EXPECT_EQ(f->EP, 0);
  EXPECT_EQ(Count(game.figureList), 1);
}

TEST_F(FigureTest, HpZeroIsAliveAndBelowZeroDiesInTheNextUpdate) {
  Player(7000, 7000);
  auto e = Enemy(7000, 7400, 0);  // off the screen: no firing
  e->HP = 0.0f;
  e->update();
  EXPECT_EQ(Figures().size(), 2u);
  e->HP = -0.5f;
  e->update();
  EXPECT_EQ(Figures(), (std::vector<Tfigur*>{game.player.get()}));
  EXPECT_EQ(game.player->EP, 10);
}

TEST_F(FigureTest, ThousandPixelsAwayDoesNothingAndIsNotDrawn) {
  Player(6400, 7000);
  game.camX = 6900;  // both enemies stand on the screen
  game.camY = 6616;
  auto far = Enemy(7400, 7000, 3);
  far->update();
  EXPECT_EQ(far->X, 7400.0f);
  EXPECT_EQ(far->Side, 0);
  EXPECT_TRUE(Drawn().empty());

  auto near = Enemy(7399, 7000, 3);
  near->update();
  EXPECT_EQ(near->Side, 270);   // the player lies straight to the left
  EXPECT_EQ(near->X, 7400.0f);  // one pixel back, away from the player
  EXPECT_EQ(Drawn().size(), 1u);
}

TEST_F(FigureTest, EnemiesOffTheScreenActButAreNotDrawn) {
  Player(7000, 7000);
  game.camX = 7000 - 512;
  game.camY = 7000 - 384;
  // 700 pixels right of the player: 188 pixels beyond the screen's edge, out of reach of its
  // 100-pixel marker.
  auto e = Enemy(7700, 7000, 3);
  e->Side = 17;
  SetDrawRotation(33.0f);
  rec->Clear();
  e->update();
  EXPECT_EQ(e->Side, 270);
  EXPECT_EQ(e->X, 7701.0f);
  EXPECT_TRUE(Drawn().empty());
  EXPECT_EQ(rec->Count(DrawOp::DrawLine), 0);
  EXPECT_EQ(CurrentGraphics()->tform_rot, 0.0f);  // as the marker would have left it
  // 88 pixels beyond the edge its marker, pointing at the player, reaches the screen: drawn.
  e->X = 7599;
  e->update();
  EXPECT_EQ(rec->Count(DrawOp::DrawLine), 1);
}

TEST_F(FigureTest, DyingEnemyStillActsOnceAndIsGoneNextFrame) {
  Player(7000, 7000);
  auto e = Enemy(7500, 7000, 3, 2);  // kind-2 weapon: fires at once, no chance drawn
  e->HP = -1.0f;
  game.camX = 7000;
  game.camY = 6616;  // the enemy stands on the screen at (500, 384)
  e.reset();

  const int32_t before = RandomState();
  int32_t decals = 0;
  for (int32_t i = 0; i < 51; ++i) decals += BloodAttempt() ? 1 : 0;
  const int32_t shotAngle = RandomInt(360, 1);
  const int32_t after = RandomState();
  SetRandomState(before);

  Tfigur::all();
  EXPECT_EQ(Figures(), (std::vector<Tfigur*>{game.player.get()}));
  EXPECT_EQ(Count(game.bloodList), decals);
  EXPECT_EQ(game.player->EP, 10);
  EXPECT_EQ(RandomState(), after);
  // It turned toward the player, backed off one pixel and fired once more.
  ASSERT_EQ(Count(game.shotList), 1);
  const tshot* shot = Shots()[0];
  EXPECT_EQ(shot->f->Side, 270);
  EXPECT_EQ(shot->f->X, 7501.0f);
  EXPECT_EQ(shot->f->weapons[2], 99999);
  EXPECT_EQ(shot->r, shotAngle);
  EXPECT_EQ(shot->s, 180.0f - 270.0f);
  // Drawn once more, then the player.
  EXPECT_EQ(Drawn().size(), 2u);
  EXPECT_EQ(rec->Count(DrawOp::DrawLine), 1);

  rec->Clear();
  Tfigur::all();
  EXPECT_EQ(Drawn().size(), 1u);
  EXPECT_EQ(game.player->EP, 10);
}

TEST_F(FigureTest, KindsOneAndTwoHalveTheTurnOnThePlainNumbers) {
  Player(7400, 7000);  // straight to the right of the enemies: the direction is exactly 0
  auto longWay = Enemy(7000, 7000, 1);
  longWay->Side = 350;
  longWay->update();
  EXPECT_EQ(longWay->Side, 220);  // (0 + 350 + 90) / 2, not back through 360 to 90
  EXPECT_EQ(longWay->X, 7000.0f);

  auto half = Enemy(7000, 7000, 1);
  half->Side = -83;  // 7 degrees short of facing the player
  half->update();
  EXPECT_EQ(half->Side, 3);  // trunc of 3.5

  auto backer = Enemy(7000, 7000, 2);
  backer->Side = 90;
  backer->update();
  EXPECT_EQ(backer->Side, 90);
  EXPECT_EQ(backer->X, 6999.0f);  // and one pixel back
}

TEST_F(FigureTest, KindsThreeToFiveFaceThePlayerAndStep) {
  Player(7400, 7000);
  auto three = Enemy(7000, 7000, 3);
  three->update();
  EXPECT_EQ(three->Side, 90);
  EXPECT_EQ(three->X, 6999.0f);  // backs off to the left
  EXPECT_EQ(three->Y, 7000.0f);

  auto four = Enemy(7000, 7000, 4);
  four->update();
  EXPECT_EQ(four->Side, 90);
  EXPECT_EQ(four->X, 7000.0f);
  EXPECT_EQ(four->Y, 6999.0f);  // one step to its left: up the screen

  auto zero = Enemy(7000, 7000, 0);
  zero->Side = 0;
  zero->update();
  EXPECT_EQ(zero->Side, 0);
  EXPECT_EQ(zero->X, 7000.0f);
  EXPECT_EQ(zero->Y, 7000.0f);
}

TEST_F(FigureTest, KindFiveStepsByTheSecondOfTheClockAndRestsOnNegativePhases) {
  Player(7400, 7000);
  struct Case {
    int32_t clock;
    float dx, dy;
  };
  // Facing right (Side 90): phase 0 move(-3, 0) goes up 3; phase 1 move(2, -2) goes back 2 and
  // down 2; phase 2 move(3, 1) goes forward 1 and down 3. Phases -1 and -2 take no step.
  const Case cases[] = {{99000, 0, -3}, {100999, -2, 2}, {101000, 1, 3}, {-1000, 0, 0},
                        {-2999, 0, 0},  {-3000, 0, -3},  {-1, 0, -3}};
  for (const Case& c : cases) {
    UseFixedClock(c.clock);
    auto e = Enemy(7000, 7000, 5);
    e->update();
    EXPECT_EQ(e->Side, 90) << c.clock;
    EXPECT_EQ(e->X, 7000.0f + c.dx) << c.clock;
    EXPECT_EQ(e->Y, 7000.0f + c.dy) << c.clock;
  }
}

TEST_F(FigureTest, KindZeroOnTheScreenFiresStraightUp) {
  Player(7000, 7300);
  auto e = Enemy(7000, 7000, 0);
  game.camX = 6500;
  game.camY = 6700;
  for (int32_t i = 0; i < 200 && Count(game.shotList) == 0; ++i) e->update();
  ASSERT_EQ(Count(game.shotList), 1);
  tshot* shot = Shots()[0];
  EXPECT_EQ(shot->r, 180);
  EXPECT_GE(shot->s, 175.0f);
  EXPECT_LE(shot->s, 185.0f);
  const float y0 = shot->y;
  shot->update();
  EXPECT_LT(shot->y, y0 - 7.9f);
  EXPECT_EQ(e->Side, 0);
}

TEST_F(FigureTest, FiresOnlyInsideTheScreenWidenedBy32) {
  Player(7000, 7000);
  auto e = Enemy(7000, 7100, 0, 2);
  // Screen x of the enemy is X - camX: -32 is outside, -31 inside; likewise at the far edge.
  const struct {
    int32_t camX;
    bool fires;
  } cases[] = {{7032, false}, {7031, true}, {7000 - 1024 - 32, false}, {7000 - 1024 - 31, true}};
  for (const auto& c : cases) {
    game.camX = c.camX;
    game.camY = 7100 - 384;
    e->Time = 0;
    game.shotList.reset();
    e->update();
    EXPECT_EQ(Count(game.shotList), c.fires ? 1 : 0) << c.camX;
  }
}

TEST_F(FigureTest, MoveSlidesAlongXBeforeYAndTakesTargetsOffTheGrid) {
  game.mapGrid.Clear();
  Land(100, 100, 101, 100);
  Land(100, 101, 100, 101);
  auto f = Enemy(6400, 6400, 0);  // centre of cell (100, 100)
  // move(64, -64) with Side 0 aims at cell (101, 101), which is water.
  f->move(64, -64);
  EXPECT_EQ(f->X, 6464.0f);  // both slides possible: x wins
  EXPECT_EQ(f->Y, 6400.0f);

  game.mapGrid[101][100] = 0;
  f->X = 6400;
  f->move(64, -64);
  EXPECT_EQ(f->X, 6400.0f);
  EXPECT_EQ(f->Y, 6464.0f);  // only the y slide is land

  game.mapGrid[100][101] = 0;
  f->Y = 6400;
  f->move(64, -64);
  EXPECT_EQ(f->X, 6400.0f);
  EXPECT_EQ(f->Y, 6400.0f);

  // Cell 0 reaches down to -96 exclusive: x = -90 is still cell 0 (water, blocked) while
  // x = -100 is outside the grid, where the full step is taken.
  Land(1, 100, 1, 100);
  f->X = 40;
  f->move(-130, 0);
  EXPECT_EQ(f->X, 40.0f);
  f->move(-140, 0);
  EXPECT_EQ(f->X, -100.0f);
  EXPECT_EQ(f->Y, 6400.0f);
}

TEST_F(FigureTest, PlayerBelowZeroEndsTheGameButStaysAndIsDrawn) {
  Player(7000, 7000);
  game.camX = 7000 - 512;
  game.camY = 7000 - 384;
  game.player->HP = -0.001f;
  game.player->Side = 30;
  Tfigur::all();
  EXPECT_EQ(game.gameState, TGamePhase::PlayerDied);
  EXPECT_EQ(Figures(), (std::vector<Tfigur*>{game.player.get()}));
  const auto drawn = Drawn();
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].pixmap, game.figureImages[0]->pixmaps[0].get());
  EXPECT_FLOAT_EQ(drawn[0].args[4], 512.0f);
  EXPECT_FLOAT_EQ(drawn[0].args[5], 384.0f);
  EXPECT_NEAR(Rotation(drawn[0]), 30.0, 1e-4);
  EXPECT_EQ(game.player->X, 7000.0f);
  EXPECT_EQ(Count(game.shotList), 0);
}

TEST_F(FigureTest, EnemyIsDrawnByKindWithAMarkerPointingAtThePlayer) {
  Player(7300, 7000);
  auto e = Enemy(7000, 7000, 4, 1);
  e->Side = 0;
  game.camX = 6500;
  game.camY = 6600;
  rec->Clear();
  e->draw(1);
  const auto drawn = Drawn();
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].pixmap, game.figureImages[4]->pixmaps[0].get());
  EXPECT_FLOAT_EQ(drawn[0].args[4], 500.0f);
  EXPECT_FLOAT_EQ(drawn[0].args[5], 400.0f);
  // The stroke runs from radius 70 to 100 toward the player (to the right), unrotated.
  const auto lines = rec->CallsOf(DrawOp::DrawLine);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_FLOAT_EQ(lines[0].args[4], 570.0f);
  EXPECT_FLOAT_EQ(lines[0].args[5], 400.0f);
  EXPECT_NEAR(lines[0].args[2], 30.0, 1e-4);
  EXPECT_NEAR(lines[0].args[3], 0.0, 1e-4);
  EXPECT_NEAR(Rotation(lines[0]), 0.0, 1e-9);
  EXPECT_EQ(rec->Count(DrawOp::Plot), 1);  // the last pixel
}

TEST_F(FigureTest, AllSetsWhiteAndUpdatesInListOrder) {
  Player(7000, 7000);
  SetColor(10, 20, 30);
  game.camX = 7000 - 512;
  game.camY = 7000 - 384;
  auto a = Enemy(7100, 7000, 0, 2);
  Tfigur::all();
  EXPECT_EQ(rec->State().r, 255);
  EXPECT_EQ(rec->State().g, 255);
  const auto drawn = Drawn();
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_FLOAT_EQ(drawn[0].args[4], 512.0f);  // the player, made first
  EXPECT_FLOAT_EQ(drawn[1].args[4], 612.0f);
}

}  // namespace

namespace {

// The mix's left and right peaks of what plays over the next tenth of a second.
std::pair<int, int> Peaks(TMixerAudioDriver& mixer) {
  std::vector<int16_t> out(2 * 4410);
  mixer.Mix(out.data(), 4410);
  std::pair<int, int> peaks;
  for (size_t i = 0; i < out.size(); i += 2) {
    peaks.first = std::max(peaks.first, std::abs(int{out[i]}));
    peaks.second = std::max(peaks.second, std::abs(int{out[i + 1]}));
  }
  return peaks;
}

TEST_F(FigureTest, SoundsAreHeardWhereTheyHappenAndThePlayersOwnInTheCentre) {
  Player(7000, 7000);
  const THearing here = HearingAt(7000, 7000);
  EXPECT_EQ(here.volume, 1.0f);
  EXPECT_EQ(here.pan, 0.0f);
  const THearing edge = HearingAt(7000 + game.screenW / 2, 7000);  // the screen's right edge
  EXPECT_NEAR(edge.volume, 0.39, 0.01);
  EXPECT_NEAR(edge.pan, 0.8, 1e-6);
  EXPECT_NEAR(HearingAt(7000, 7000 - game.screenW / 2).volume, edge.volume, 1e-6);  // as loud above
  EXPECT_EQ(HearingAt(7000, 7000 - game.screenW / 2).pan, 0.0f);
  const THearing far = HearingAt(7000 - 4 * game.screenW, 7000);
  EXPECT_LT(far.volume, 0.01);
  EXPECT_NEAR(far.pan, -0.8, 1e-6);

  // Through the mixer: a dying enemy on the right, then the player's own shot.
  auto mixer = std::make_shared<TMixerAudioDriver>(22050);
  SetAudioDriver(mixer);
  auto tone = std::make_shared<TAudioSample>();
  tone->hertz = 22050;
  tone->format = SF_MONO16LE;
  tone->length = 2205;
  for (int32_t i = 0; i < tone->length; ++i) {
    const auto v = static_cast<int16_t>(i % 50 < 25 ? 8000 : -8000);
    tone->samples.push_back(static_cast<uint8_t>(v & 0xff));
    tone->samples.push_back(static_cast<uint8_t>((v >> 8) & 0xff));
  }
  game.deathSound = mixer->CreateSound(tone, 0);
  for (auto& slot : game.shotSounds) slot = game.deathSound;
  auto e = Enemy(7400, 7000, 3, 2);
  e->HP = -1.0f;
  e.reset();
  Tfigur::all();
  const auto [enemyLeft, enemyRight] = Peaks(*mixer);
  EXPECT_GT(enemyRight, 2 * enemyLeft);
  EXPECT_LT(enemyRight, 8000 * kMixerHeadroom * 2);  // two voices, neither at full volume
  tshot::neu(7000, 7000, 0, 0, game.player);
  while (mixer->ActiveVoices() == 0) tshot::neu(7000, 7000, 0, 0, game.player);  // kind 0 fires by chance
  const auto [playerLeft, playerRight] = Peaks(*mixer);
  EXPECT_EQ(playerLeft, playerRight);
  EXPECT_EQ(playerLeft, 8000 * kMixerHeadroom);
  SetAudioDriver(nullptr);
}

}  // namespace

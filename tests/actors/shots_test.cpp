// Shots and weapons: firing rules, flights, hits, expiry, the wrapped clock, and the shot pass.
#include <gtest/gtest.h>

#include <cmath>

#include "state/game.h"
#include "tests/actors/scene.h"

namespace {

using scene::BloodAttempt;

class ShotTest : public scene::Scene {
 protected:
  // Fires until the weapon's chance comes up; the owner needs ammunition.
  static std::shared_ptr<tshot> FireUntil(int32_t x, int32_t y, int32_t angle, int32_t kind,
                                          const std::shared_ptr<Tfigur>& owner) {
    for (int32_t i = 0; i < 1000; ++i) {
      if (auto s = tshot::neu(x, y, angle, kind, owner)) return s;
    }
    return nullptr;
  }
};

TEST_F(ShotTest, CounterZeroFiresOnceAndMinusOneNever) {
  auto e = Enemy(7000, 7000, 0, 2);
  e->weapons[2] = 0;
  EXPECT_NE(tshot::neu(7000, 7000, 0, 2, e), nullptr);
  EXPECT_EQ(e->weapons[2], -1);
  UseFixedClock(kStartClock + 600);
  EXPECT_EQ(tshot::neu(7000, 7000, 0, 2, e), nullptr);
  EXPECT_EQ(e->weapons[2], -1);
  EXPECT_EQ(e->Time, kStartClock + 600);  // the rate limit was passed and renewed all the same
  EXPECT_EQ(Count(game.shotList), 1);
}

TEST_F(ShotTest, RateLimitsNeedMoreThan500And2000Milliseconds) {
  auto e = Enemy(7000, 7000, 0, 2);
  e->Time = kStartClock - 500;
  EXPECT_EQ(tshot::neu(7000, 7000, 0, 2, e), nullptr);
  EXPECT_EQ(e->Time, kStartClock - 500);
  e->Time = kStartClock - 501;
  EXPECT_NE(tshot::neu(7000, 7000, 0, 2, e), nullptr);
  EXPECT_EQ(e->Time, kStartClock);

  e->weapon = 3;
  e->weapons[3] = 10;
  e->Time = kStartClock - 2000;
  EXPECT_EQ(tshot::neu(7000, 7000, 0, 3, e), nullptr);
  e->Time = kStartClock - 2001;
  EXPECT_NE(tshot::neu(7000, 7000, 0, 3, e), nullptr);
}

TEST_F(ShotTest, NeverFiredFiguresFireAtOnceWhateverTheClockReads) {
  // With a clock in the negative half of its range, "now - 0 > 500" fails; a figure that never
  // fired must still fire its first rate-limited shot at once.
  for (const int32_t clock : {-5, -2000000000, 300, 2147483647}) {
    UseFixedClock(clock);
    for (const int32_t kind : {2, 3}) {
      auto e = Enemy(7000, 7000, 0, kind);
      EXPECT_NE(tshot::neu(7000, 7000, 0, kind, e), nullptr) << clock << " kind " << kind;
      EXPECT_EQ(e->Time, clock);
    }
  }
  // After that the limit counts across the wrap of the clock.
  auto e = Enemy(7000, 7000, 0, 3);
  e->Time = 2147483647 - 1000;
  UseFixedClock(-2147483647 - 1 + 1000);  // 2001 ms later on the wrapping clock
  EXPECT_NE(tshot::neu(7000, 7000, 0, 3, e), nullptr);
  e->Time = 2147483647 - 999;
  EXPECT_EQ(tshot::neu(7000, 7000, 0, 3, e), nullptr);
}

TEST_F(ShotTest, FiringDrawsDecisionThenSpreadOrImageThenAngle) {
  auto e = Enemy(7000, 7000, 0, 4);
  const int32_t before = RandomState();
  std::shared_ptr<tshot> shot;
  int32_t attempts = 0;
  while (!shot) {
    shot = tshot::neu(7000, 7000, 10, 4, e);
    ++attempts;
  }
  const int32_t after = RandomState();
  SetRandomState(before);
  for (int32_t i = 1; i < attempts; ++i) EXPECT_NE(RandomInt(0, 15), 1);
  EXPECT_EQ(RandomInt(0, 15), 1);
  EXPECT_EQ(shot->g, RandomInt(0, 7) + 4);
  EXPECT_EQ(shot->r, RandomInt(360, 1));
  EXPECT_EQ(RandomState(), after);
  EXPECT_EQ(shot->s, 190.0f);
  EXPECT_EQ(shot->hp, 12);
  EXPECT_EQ(shot->art, 4);
  EXPECT_EQ(shot->t, kStartClock);
  EXPECT_EQ(e->weapons[4], 100000 - 1);
}

TEST_F(ShotTest, KindZeroImageAngleIgnoresTheSpread) {
  auto e = Enemy(7000, 7000, 0, 0);
  bool sawSpread = false;
  for (int32_t i = 0; i < 40; ++i) {
    auto shot = FireUntil(7000, 7000, 20, 0, e);
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(shot->r, 200);
    EXPECT_GE(shot->s, 195.0f);
    EXPECT_LE(shot->s, 205.0f);
    EXPECT_EQ(shot->hp, 3);
    sawSpread = sawSpread || shot->s != 200.0f;
  }
  EXPECT_TRUE(sawSpread);
}

TEST_F(ShotTest, NullOwnerMeansThePlayer) {
  Player(7000, 7000);
  game.player->weapon = 3;
  game.player->weapons[3] = 5;
  auto shot = FireUntil(7000, 7000, 0, 0, nullptr);
  ASSERT_NE(shot, nullptr);
  EXPECT_EQ(shot->f, game.player);
  EXPECT_EQ(shot->art, 0);
  EXPECT_EQ(game.player->weapons[3], 4);  // the selected weapon's rounds, not weapon 0's
  EXPECT_EQ(game.player->weapons[0], 1000);
  shot->x = game.player->X;
  shot->y = game.player->Y;
  shot->update();
  EXPECT_EQ(game.player->HP, 1000.0f);
}

TEST_F(ShotTest, OneShotHitsEveryoneWithin32PixelsThenExpires) {
  Player(9000, 9000);
  auto owner = Enemy(7000, 7000, 0, 2);
  auto a = Enemy(7031.9f, 7000, 0);
  auto b = Enemy(7032, 7000, 0);
  auto c = Enemy(7000, 7010, 0);
  // Heading 0 (angle -180): a kind-2 shot fired just now moves 7 pixels straight down.
  auto shot = tshot::neu(7000, 6993, -180, 2, owner);
  ASSERT_NE(shot, nullptr);
  const int32_t before = RandomState();
  int32_t decals = 0;
  for (int32_t i = 0; i < 2; ++i) decals += BloodAttempt() ? 1 : 0;
  const int32_t after = RandomState();
  SetRandomState(before);

  shot->update();
  EXPECT_EQ(shot->x, 7000.0f);
  EXPECT_EQ(shot->y, 7000.0f);
  EXPECT_EQ(a->HP, 91.0f);
  EXPECT_EQ(b->HP, 100.0f);  // exactly 32 pixels away
  EXPECT_EQ(c->HP, 91.0f);
  EXPECT_EQ(owner->HP, 100.0f);
  EXPECT_EQ(shot->t, 0);
  EXPECT_EQ(Count(game.shotList), 0);
  EXPECT_EQ(Count(game.bloodList), decals);
  EXPECT_EQ(RandomState(), after);
}

TEST_F(ShotTest, AHitThatKillsBleeds51TimesMoreAndEveryDeathScores) {
  Player(9000, 9000);
  auto owner = Enemy(7000, 7000, 0, 2);
  auto victim = Enemy(7000, 7007, 0);
  victim->HP = 5.0f;
  auto shot = tshot::neu(7000, 7000, -180, 2, owner);
  const int32_t before = RandomState();
  for (int32_t i = 0; i < 52; ++i) BloodAttempt();
  const int32_t after = RandomState();
  SetRandomState(before);
  shot->update();
  EXPECT_EQ(victim->HP, -4.0f);
  EXPECT_EQ(RandomState(), after);
  // Killed by another enemy's shot, it still scores for the player when it dies.
  victim->update();
  EXPECT_EQ(game.player->EP, 10);
}

TEST_F(ShotTest, ShotsLive2000MillisecondsAcrossTheWrapOfTheClock) {
  auto e = Enemy(7000, 7000, 0, 2);
  UseFixedClock(2147483647 - 1000);
  auto shot = tshot::neu(7000, 7000, 0, 2, e);
  ASSERT_NE(shot, nullptr);
  UseFixedClock(-2147483647 - 1 + 999);  // 2000 ms after firing
  shot->update();
  EXPECT_EQ(Count(game.shotList), 1);
  UseFixedClock(-2147483647 - 1 + 1000);
  shot->update();
  EXPECT_EQ(Count(game.shotList), 0);
}

TEST_F(ShotTest, AShotThatHitIsRemovedAtOnceEvenWithANegativeClock) {
  // With the clock negative, "now - 0 > 2000" is false: the hit shot would fly on for days.
  UseFixedClock(-123456);
  auto owner = Enemy(7000, 7000, 0, 2);
  auto a = Enemy(7000, 7007, 0);
  auto b = Enemy(7000, 7300, 0);
  auto shot = tshot::neu(7000, 7000, -180, 2, owner);
  ASSERT_NE(shot, nullptr);
  shot->update();
  EXPECT_EQ(a->HP, 91.0f);
  EXPECT_EQ(shot->t, 0);
  EXPECT_EQ(Count(game.shotList), 0);
  for (int32_t i = 0; i < 60; ++i) shot->update();  // even if something kept updating it
  EXPECT_EQ(b->HP, 100.0f);
}

TEST_F(ShotTest, KindTwoCurlsByItsAge) {
  auto e = Enemy(7000, 7000, 0, 2);
  auto shot = tshot::neu(7000, 7000, 0, 2, e);
  UseFixedClock(kStartClock + 1000);
  const float s0 = shot->s;
  shot->update();
  EXPECT_FLOAT_EQ(shot->s, s0 - 10.0f);
  shot->update();
  EXPECT_FLOAT_EQ(shot->s, s0 - 20.0f);
}

TEST_F(ShotTest, KindFourSpeedsUpFromFiveToTen) {
  auto e = Enemy(7000, 7000, 0, 4);
  auto shot = FireUntil(7000, 7000, 0, 4, e);
  ASSERT_NE(shot, nullptr);
  EXPECT_GE(shot->g, 4);
  EXPECT_LE(shot->g, 11);
  float x0 = shot->x;
  float y0 = shot->y;
  shot->update();
  EXPECT_NEAR(std::hypot(shot->x - x0, shot->y - y0), 5.0, 1e-3);
  UseFixedClock(kStartClock + 1999);
  x0 = shot->x;
  y0 = shot->y;
  shot->update();
  EXPECT_NEAR(std::hypot(shot->x - x0, shot->y - y0), 5.0 * 3999.0 / 2000.0, 2e-3);
}

TEST_F(ShotTest, KindThreeThrowsOffKindZeroShotsOnTheSelectedWeapon) {
  Player(7000, 7000);
  game.player->weapon = 3;
  game.player->weapons[3] = 10;
  auto thrower = tshot::neu(7000, 7000, 90, 3, game.player);
  ASSERT_NE(thrower, nullptr);
  EXPECT_EQ(game.player->weapons[3], 9);
  game.player->weapon = 0;
  for (int32_t i = 0; i < 20 && Count(game.shotList) == 1; ++i) thrower->update();
  const auto shots = Shots();
  ASSERT_GT(shots.size(), 1u);
  for (size_t i = 1; i < shots.size(); ++i) {
    EXPECT_EQ(shots[i]->art, 0);
    EXPECT_EQ(shots[i]->f, game.player);
  }
  EXPECT_EQ(game.player->weapons[0], 1000 - static_cast<int32_t>(shots.size() - 1));
  EXPECT_EQ(game.player->weapons[3], 9);
}

TEST_F(ShotTest, ThrownOffShotsJoinThePassUnlessTheThrowerWasLast) {
  for (const bool throwerLast : {true, false}) {
    scene::StartFreshScene();
    Player(9000, 9000);
    auto e = Enemy(7000, 7000, 0, 3);
    e->weapons[3] = 100000;
    auto thrower = tshot::neu(7000, 7000, 90, 3, e);
    if (!throwerLast) FireUntil(9500, 9500, 0, 1, Enemy(9500, 9500, 0, 1));
    // Throw-offs spend the thrower owner's selected weapon: give it kind-0 rounds.
    e->weapon = 0;
    e->weapons[0] = 100000;
    for (int32_t i = 0; i < 30 && Count(game.shotList) <= (throwerLast ? 1 : 2); ++i) tshot::all();
    const auto shots = Shots();
    const size_t first = throwerLast ? 1 : 2;
    ASSERT_GT(shots.size(), first);
    for (size_t i = first; i < shots.size(); ++i) {
      // A shot updated in the pass it was born in has already left its muzzle.
      const bool moved = shots[i]->x != std::trunc(shots[i]->x) || shots[i]->y != std::trunc(shots[i]->y) ||
                         std::hypot(shots[i]->x - thrower->x, shots[i]->y - thrower->y) > 6.0;
      EXPECT_EQ(moved, !throwerLast) << i;
    }
  }
}

TEST_F(ShotTest, PassSetsStateAndDrawsShotsThatJustExpired) {
  auto e = Enemy(7000, 7000, 0, 2);
  auto shot = tshot::neu(7000, 7000, 0, 2, e);
  shot->r = 40;
  game.camX = 6500;
  game.camY = 6600;
  UseFixedClock(kStartClock + 2001);
  SetBlend(4);
  SetAlpha(0.5f);
  SetColor(1, 2, 3);
  rec->Clear();
  tshot::all();
  EXPECT_EQ(Count(game.shotList), 0);
  const auto drawn = Drawn();
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0].pixmap, game.shotImages[2]->pixmaps[0].get());
  EXPECT_FLOAT_EQ(drawn[0].args[4], shot->x - 6500.0f);
  EXPECT_FLOAT_EQ(drawn[0].args[5], shot->y - 6600.0f);
  EXPECT_NEAR(Rotation(drawn[0]), -40.0, 1e-4);
  EXPECT_EQ(drawn[0].state.blend, 3);
  EXPECT_EQ(drawn[0].state.alpha, 1.0f);
  EXPECT_EQ(drawn[0].state.r, 255);
  EXPECT_EQ(rec->State().alpha, 1.0f);
}

// The shot pass looks figures up in a snapshot once there are many shots; the result must be
// that of walking the figure list for every shot: same hits, same order, same blood.
struct Outcome {
  std::vector<float> hp;
  std::vector<std::array<float, 3>> shots;
  std::vector<std::array<int32_t, 3>> blood;
  int32_t rng = 0;
  bool operator==(const Outcome&) const = default;
};

Outcome RunCrowd(bool wholePass, int32_t shots, int32_t frames) {
  scene::StartFreshScene();
  SeedRandom(99);
  UseFixedClock(500000);
  auto p = Tfigur::neu(7000, 7000, 0);
  game.player = p;
  p->HP = 1000.0f;
  for (int32_t i = 0; i < 400; ++i) {
    auto f = Tfigur::neu(6800 + RandomInt(0, 400), 6800 + RandomInt(0, 400), 0);
    f->weapons = {100000, 100000, 100000, 100000, 100000};
    f->HP = static_cast<float>(RandomInt(1, 40));
  }
  std::vector<Tfigur*> figures;
  game.figureList->ForEach([&](Tfigur* f) { figures.push_back(f); });
  for (int32_t i = 0; i < shots; ++i) {
    const auto owner = figures[static_cast<size_t>(RandomInt(0, 400))]->shared_from_this();
    owner->weapon = RandomInt(0, 4);
    owner->Time = 0;
    while (!tshot::neu(6800 + RandomInt(0, 400), 6800 + RandomInt(0, 400), RandomInt(0, 359), owner->weapon, owner)) {
    }
  }
  for (int32_t k = 0; k < frames; ++k) {
    UseFixedClock(500000 + 16 * k);
    if (wholePass) {
      tshot::all();
    } else {
      for (auto w = game.shotList->Walk(); w.HasNext();) w.NextObject()->update();
    }
  }
  Outcome out;
  for (Tfigur* f : figures) out.hp.push_back(f->HP);
  game.shotList->ForEach([&](tshot* s) { out.shots.push_back({s->x, s->y, s->s}); });
  if (game.bloodList) game.bloodList->ForEach([&](Tblood* b) { out.blood.push_back({b->X, b->Y, b->R}); });
  out.rng = RandomState();
  return out;
}

TEST_F(ShotTest, FigureLookupGivesTheSameHitsInTheSameOrderAsTheWalk) {
  const Outcome looked = RunCrowd(true, 300, 20);
  const Outcome walked = RunCrowd(false, 300, 20);
  EXPECT_GT(looked.blood.size(), 50u);
  EXPECT_TRUE(looked == walked);
}

}  // namespace

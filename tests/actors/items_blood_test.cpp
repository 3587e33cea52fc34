// Items and blood: pickups and their effects, decals and their drawing state.
#include <gtest/gtest.h>

#include "state/game.h"
#include "tests/actors/scene.h"

namespace {

class ItemTest : public scene::Scene {};

TEST_F(ItemTest, NeuDrawsTheAngleAndKeepsCreationOrder) {
  SetRandomState(31337);
  const int32_t r1 = RandomInt(360, 1);
  const int32_t r2 = RandomInt(360, 1);
  SetRandomState(31337);
  TItem::neu(100, 200, 6);
  TItem::neu(300, 400, 2);
  std::vector<TItem*> items;
  game.itemList->ForEach([&](TItem* i) { items.push_back(i); });
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0]->X, 100);
  EXPECT_EQ(items[0]->Y, 200);
  EXPECT_EQ(items[0]->Art, 6);
  EXPECT_EQ(items[0]->r, r1);
  EXPECT_EQ(items[1]->r, r2);
}

TEST_F(ItemTest, ReachIsBelowSquaredDistance4000) {
  Player(7000, 7000);
  TItem::neu(7063, 7000, 2);  // 3969: picked up
  TItem::neu(7000, 7064, 2);  // 4096: not
  TItem::neu(7020, 7060, 2);  // exactly 4000: not
  TItem::all();
  EXPECT_EQ(Count(game.itemList), 2);
  EXPECT_EQ(game.player->weapons[0], 1500);
  EXPECT_EQ(game.player->EP, 1);
}

TEST_F(ItemTest, EffectsByKindWithIntegerDivisionAndNoLimits) {
  Player(7000, 7000);
  for (int32_t art = 0; art <= 6; ++art) TItem::neu(7000, 7000, art);
  TItem::all();
  EXPECT_EQ(Count(game.itemList), 0);
  EXPECT_EQ(game.player->HP, 1300.0f);  // 1000 + 50 + 250
  EXPECT_EQ(game.player->weapons[0], 1500);
  EXPECT_EQ(game.player->weapons[1], 249);  // -1 + 250: enough for 250 shots
  EXPECT_EQ(game.player->weapons[2], 165);  // -1 + 166, not 166.67
  EXPECT_EQ(game.player->weapons[3], 124);
  EXPECT_EQ(game.player->weapons[4], 99);
  EXPECT_EQ(game.player->EP, 7);
}

TEST_F(ItemTest, EveryItemIsTestedEveryFrameAndDrawnWhereItShows) {
  Player(7000, 7000);
  game.camX = 7000 - 512;
  game.camY = 7000 - 384;
  TItem::neu(7200, 7100, 3);     // on the screen, out of reach
  TItem::neu(100000, 100000, 4);  // far off the screen
  TItem::neu(7010, 7000, 5);     // on the screen, within reach
  auto items = std::vector<TItem*>();
  game.itemList->ForEach([&](TItem* i) { items.push_back(i); });
  const int32_t lastR = items[2]->r;
  TItem::all();
  EXPECT_EQ(Count(game.itemList), 2);
  EXPECT_EQ(game.player->weapons[3], 124);
  const auto drawn = Drawn();
  ASSERT_EQ(drawn.size(), 2u);
  EXPECT_EQ(drawn[0].pixmap, game.itemImages[3]->pixmaps[0].get());
  EXPECT_FLOAT_EQ(drawn[0].args[4], 712.0f);
  EXPECT_FLOAT_EQ(drawn[0].args[5], 484.0f);
  EXPECT_EQ(drawn[1].pixmap, game.itemImages[5]->pixmaps[0].get());
  EXPECT_NEAR(Rotation(drawn[1]), lastR > 180 ? lastR - 360 : lastR, 1e-3);

  // The far item comes last now; the rotation is left as drawing it would have left it.
  TItem::neu(100000, 100000, 4);
  game.itemList->ForEach([&](TItem* i) { items.back() = i; });
  TItem::all();
  EXPECT_EQ(CurrentGraphics()->tform_rot, static_cast<float>(items.back()->r));
}

class BloodTest : public scene::Scene {};

TEST_F(BloodTest, OneCallIn24LeavesADecalAndALosingCallMakesNothing) {
  // Find a state whose first draw loses and one whose first draw wins.
  int32_t losing = 1;
  while ((SetRandomState(losing), RandomInt(24, 1)) == 1) ++losing;
  int32_t winning = 1;
  while ((SetRandomState(winning), RandomInt(24, 1)) != 1) ++winning;

  SetRandomState(losing);
  Tblood::neu(1000, 2000);
  EXPECT_EQ(game.bloodList, nullptr);

  SetRandomState(winning);
  RandomInt(24, 1);
  const double ox = RandomReal(-32.0, 64.0);
  const double oy = RandomReal(-32.0, 64.0);
  const int32_t r = RandomInt(360, 1);
  const double s = RandomReal(static_cast<double>(0.1f), 1.0);
  SetRandomState(winning);
  Tblood::neu(1000, 2000);
  ASSERT_EQ(Count(game.bloodList), 1);
  const Tblood* b = nullptr;
  game.bloodList->ForEach([&](Tblood* d) { b = d; });
  EXPECT_EQ(b->X, static_cast<int32_t>(1000 + ox));
  EXPECT_EQ(b->Y, static_cast<int32_t>(2000 + oy));
  EXPECT_EQ(b->R, r);
  EXPECT_EQ(b->s, static_cast<float>(s));
}

TEST_F(BloodTest, OffsetsRunFromMinus32To64AndScalesFromATenth) {
  int32_t made = 0;
  for (int32_t i = 0; i < 24000; ++i) Tblood::neu(0, 0);
  bool low = false;
  bool high = false;
  game.bloodList->ForEach([&](Tblood* b) {
    ++made;
    EXPECT_GE(b->X, -31);
    EXPECT_LE(b->X, 63);
    EXPECT_GE(b->s, 0.1f);
    EXPECT_LT(b->s, 1.0f);
    EXPECT_GE(b->R, 1);
    EXPECT_LE(b->R, 360);
    low = low || b->X < -25;
    high = high || b->X > 55;
  });
  EXPECT_GT(made, 850);
  EXPECT_LT(made, 1150);
  EXPECT_TRUE(low && high);
}

TEST_F(BloodTest, DrawsAdditivelyInsideTheScreenWidenedBy64AndRestoresTheState) {
  Tblood::draw();  // with no decals at all
  EXPECT_NE(game.bloodList, nullptr);
  EXPECT_EQ(rec->State().blend, 3);
  EXPECT_EQ(rec->State().alpha, 1.0f);
  EXPECT_EQ(CurrentGraphics()->tform_scale_x, 1.0f);
  EXPECT_EQ(CurrentGraphics()->tform_rot, 0.0f);

  // A picture big enough to reach the screen from anywhere in the 64-pixel margin.
  game.bloodImage = scene::TestImage(256, 256);
  game.camX = 1000;
  game.camY = 2000;
  const struct {
    int32_t x, y;
    bool drawn;
  } cases[] = {{1000 - 64, 2100, false}, {1000 - 63, 2100, true},  {1000 + 1024 + 63, 2100, true},
               {1000 + 1024 + 64, 2100, false}, {1100, 2000 - 64, false}, {1100, 2000 + 768 + 63, true}};
  for (const auto& c : cases) game.bloodList->AddLast(Tblood{c.x, c.y, 45, 0.5f});
  rec->Clear();
  Tblood::draw();
  const auto drawn = Drawn();
  ASSERT_EQ(drawn.size(), 3u);
  EXPECT_FLOAT_EQ(drawn[0].args[4], -63.0f);
  EXPECT_FLOAT_EQ(drawn[1].args[4], 1024.0f + 63.0f);
  EXPECT_FLOAT_EQ(drawn[2].args[5], 768.0f + 63.0f);
  for (const auto& d : drawn) {
    EXPECT_EQ(d.pixmap, game.bloodImage->pixmaps[0].get());
    EXPECT_EQ(d.state.blend, 4);
    EXPECT_EQ(d.state.alpha, 0.5f);
    EXPECT_EQ(d.state.r, 255);
    EXPECT_EQ(d.state.g, 0);
    EXPECT_NEAR(std::hypot(d.state.ix, d.state.jx), 0.5, 1e-6);
    EXPECT_NEAR(Rotation(d), 45.0, 1e-4);
  }
  EXPECT_EQ(rec->State().blend, 3);
  EXPECT_EQ(rec->State().alpha, 1.0f);
  EXPECT_EQ(CurrentGraphics()->tform_scale_y, 1.0f);
  EXPECT_EQ(CurrentGraphics()->tform_rot, 0.0f);

  // A small decal in the margin cannot reach the screen: it is left out, the picture is the same.
  game.bloodImage = scene::TestImage(16, 16);
  rec->Clear();
  Tblood::draw();
  EXPECT_EQ(Drawn().size(), 0u);
}

}  // namespace

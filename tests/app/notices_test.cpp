// The notices in the window's corner: one at a time, each for its time from when it first
// shows, later ones in turn; a new state of the sound replaces the one still waiting or showing.
#include "app/play/notices.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/play/play_session.h"
#include "platform/system/clock.h"
#include "platform/video/graphics.h"
#include "platform/video/recording_driver.h"
#include "state/game.h"

namespace {

TEST(Notices, QueueInTurnAndSoundStatesReplaceEachOther) {
  auto rec = std::make_shared<TRecordingDriver>();
  ASSERT_TRUE(OpenHeadlessScreen(rec, 1024, 768, 0, 0, 0));
  StartFreshGame();
  game.screenW = 1024;
  StartPlaySession();
  UseFixedClock(1000);
  PostNotice("settings.txt Zeile 4: unbekannter Name");
  PostSoundNotice("Ton 70 %");
  PostNotice("Bild: a.png");
  PostSoundNotice("Ton 60 %");
  EXPECT_EQ(CurrentNotice(), "");  // nothing has shown yet: posted during loading, say

  // It shows for four seconds from its first frame, wherever the clock stood when it came.
  UseFixedClock(50000);
  rec->Clear();
  SetDrawScale(3.0f, 3.0f);
  DrawNotices();
  EXPECT_EQ(CurrentNotice(), "settings.txt Zeile 4: unbekannter Name");
  // Twice the font's size would reach into the left half: drawn at its own size.
  auto glyphs = rec->CallsOf(DrawOp::DrawFrame);
  ASSERT_EQ(glyphs.size(), 38u);
  EXPECT_FLOAT_EQ(static_cast<float>(glyphs[0].args[4]), 1024.0f - 8.0f - 38 * 8.0f);
  EXPECT_FLOAT_EQ(glyphs[0].state.ix, 1.0f);
  EXPECT_EQ(CurrentGraphics()->tform_scale_x, 3.0f);  // the draw state is left as found
  UseFixedClock(53999);
  DrawNotices();
  EXPECT_EQ(CurrentNotice(), "settings.txt Zeile 4: unbekannter Name");

  // The sound's last state, for two seconds, then the picture.
  UseFixedClock(54000);
  rec->Clear();
  DrawNotices();
  EXPECT_EQ(CurrentNotice(), "Ton 60 %");
  glyphs = rec->CallsOf(DrawOp::DrawFrame);
  ASSERT_EQ(glyphs.size(), 8u);
  EXPECT_FLOAT_EQ(static_cast<float>(glyphs[0].args[4]), 1024.0f - 8.0f - 8 * 16.0f);
  EXPECT_FLOAT_EQ(glyphs[0].state.ix, 2.0f);
  UseFixedClock(56000);
  DrawNotices();
  EXPECT_EQ(CurrentNotice(), "Bild: a.png");
  UseFixedClock(60000);
  rec->Clear();
  DrawNotices();
  EXPECT_EQ(CurrentNotice(), "");
  EXPECT_TRUE(rec->CallsOf(DrawOp::DrawFrame).empty());

  // A notice of the game that ended does not show in the next.
  PostNotice("Bild: b.png");
  StartPlaySession();
  DrawNotices();
  EXPECT_EQ(CurrentNotice(), "");
  CloseScreen();
}

}  // namespace

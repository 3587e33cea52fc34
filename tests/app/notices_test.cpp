// The notices in the window's corner: one at a time, each for its time from when it first
// shows, later ones in turn, a few at most; a new state of the sound replaces the one still
// waiting or showing and goes to the front, as a lost score does; pictures merge into a count.
#include "app/play/notices.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/play/play_session.h"
#include "platform/system/clock.h"
#include "platform/video/graphics.h"
#include "platform/video/recording_driver.h"
#include "state/game.h"

namespace {

TEST(Notices, QueueInTurnBoundedWithSoundAndLostScoresFirstAndPicturesCounted) {
  auto rec = std::make_shared<TRecordingDriver>();
  ASSERT_TRUE(OpenHeadlessScreen(rec, 1024, 768, 0, 0, 0));
  StartFreshGame();
  game.screenW = 1024;
  StartPlaySession();
  UseFixedClock(1000);
  PostNotice("settings.txt Zeile 4: unbekannter Name");
  PostNotice("Ton 70 %", TNoticeKind::Sound);
  PostPictureNotice("a.png");
  PostNotice("Ton 60 %", TNoticeKind::Sound);
  EXPECT_EQ(CurrentNotice(), "");  // nothing has shown yet: posted during loading, say

  // The sound's last state first, for two seconds from its first frame, wherever the clock
  // stood when it came.
  UseFixedClock(50000);
  rec->Clear();
  DrawNotices();
  EXPECT_EQ(CurrentNotice(), "Ton 60 %");
  auto glyphs = rec->CallsOf(DrawOp::DrawFrame);
  ASSERT_EQ(glyphs.size(), 8u);
  EXPECT_FLOAT_EQ(static_cast<float>(glyphs[0].args[4]), 1024.0f - 8.0f - 8 * 16.0f);
  EXPECT_FLOAT_EQ(glyphs[0].state.ix, 2.0f);

  // Then the rest in turn, four seconds each.
  UseFixedClock(52000);
  rec->Clear();
  SetDrawScale(3.0f, 3.0f);
  DrawNotices();
  EXPECT_EQ(CurrentNotice(), "settings.txt Zeile 4: unbekannter Name");
  // Twice the font's size would reach into the left half: drawn at its own size.
  glyphs = rec->CallsOf(DrawOp::DrawFrame);
  ASSERT_EQ(glyphs.size(), 38u);
  EXPECT_FLOAT_EQ(static_cast<float>(glyphs[0].args[4]), 1024.0f - 8.0f - 38 * 8.0f);
  EXPECT_FLOAT_EQ(glyphs[0].state.ix, 1.0f);
  EXPECT_EQ(CurrentGraphics()->tform_scale_x, 3.0f);  // the draw state is left as found
  SetDrawScale(1.0f, 1.0f);
  UseFixedClock(55999);
  DrawNotices();
  EXPECT_EQ(CurrentNotice(), "settings.txt Zeile 4: unbekannter Name");
  UseFixedClock(56000);
  DrawNotices();
  EXPECT_EQ(CurrentNotice(), "Bild: a.png");

  // A hundred screenshots while the first still shows: one count, shown anew from its last.
  for (int i = 0; i < 100; ++i) PostPictureNotice("b.png");
  UseFixedClock(57000);
  DrawNotices();
  EXPECT_EQ(CurrentNotice(), "101 Bilder gespeichert");
  EXPECT_EQ(PlaySession().notices.queue.size(), 1u);

  // A lost score interrupts it, which then shows in full again; the same news twice is one.
  PostNotice("Score nicht gespeichert", TNoticeKind::Urgent);
  PostNotice("Score nicht gespeichert", TNoticeKind::Urgent);
  PostNotice("Pad entfernt");
  PostNotice("Pad entfernt");
  UseFixedClock(58000);
  DrawNotices();
  EXPECT_EQ(CurrentNotice(), "Score nicht gespeichert");
  // Many kinds of news: the oldest plain ones give way, the lost score and the sound stay.
  for (const char* text : {"c", "d", "e", "f", "g"}) PostNotice(text);
  PostNotice("Ton aus", TNoticeKind::Sound);
  std::vector<std::string> held;
  for (const TNotice& n : PlaySession().notices.queue) held.push_back(n.text);
  EXPECT_EQ(held, (std::vector<std::string>{"Score nicht gespeichert", "Ton aus", "f", "g"}));
  EXPECT_EQ(held.size(), kMostNotices);
  UseFixedClock(62000);
  DrawNotices();
  EXPECT_EQ(CurrentNotice(), "Ton aus");
  UseFixedClock(64000);
  DrawNotices();
  EXPECT_EQ(CurrentNotice(), "f");
  UseFixedClock(68000);
  DrawNotices();
  EXPECT_EQ(CurrentNotice(), "g");
  UseFixedClock(72000);
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

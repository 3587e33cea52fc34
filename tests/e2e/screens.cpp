#include "screens.h"

#include <gtest/gtest.h>

#include <cstdlib>

bool HaveDisplay() {
  const char* display = std::getenv("DISPLAY");
  return display != nullptr && *display != 0;
}

bool IsHudColour(const TRgb& c) { return c[2] == 128 && (c[0] + c[1] == 255 || c[0] + c[1] == 254); }

bool ShowsHud(const TPixmap& shot) {
  return shot.width > 280 && shot.height > 40 && IsHudColour(PixelAt(shot, 22, 10)) &&
         IsHudColour(PixelAt(shot, 22, 30));
}

TPixmapPtr WaitFor(TGameProcess& game, const std::string& window, const std::string& name,
                   bool (*seen)(const TPixmap&)) {
  TPixmapPtr shot;
  WaitUntil(
      [&] {
        if (!game.Running()) return true;
        shot = Screenshot(window, name);
        return shot && seen(*shot);
      },
      60, 100);
  return shot && seen(*shot) ? shot : nullptr;
}

bool SpentARound(const TPixmap& shot) {
  const TRgb bar = PixelAt(shot, 22, 30);
  return IsHudColour(bar) && bar[0] < 255;
}

bool ShowsScore(const TPixmap& shot) {
  if (shot.width < 640 || shot.height < 480 || IsHudColour(PixelAt(shot, 22, 10))) return false;
  // "Score: N" at five times the font's size, from the centre to the right and
  // down, in a window of any size.
  int white = 0;
  for (int y = shot.height / 2; y < shot.height / 2 + 80; ++y) {
    for (int x = shot.width / 2; x < shot.width / 2 + 280; ++x) white += PixelAt(shot, x, y) == TRgb{255, 255, 255};
  }
  return white > 200;
}

bool ShowsPause(const TPixmap& shot) {
  // Nothing but the caption is white above the menu, and its first letters stand left of the
  // centre, where the score never reaches.
  int white = 0;
  for (int y = kH / 2 - 200; y < kH / 2 - 136; ++y) {
    for (int x = kW / 2 - 80; x < kW / 2 - 12; ++x) white += PixelAt(shot, x, y) == TRgb{255, 255, 255};
  }
  return white > 20 && !LeftHalfIsBlack(shot);
}

bool ShowsNotice(const TPixmap& shot) {
  int white = 0;
  for (int y = 8; y < 40; ++y) {
    for (int x = kW - 200; x < kW - 8; ++x) white += PixelAt(shot, x, y) == TRgb{255, 255, 255};
  }
  return white > 50;
}

bool ShowsScoreAndNotice(const TPixmap& shot) { return ShowsScore(shot) && ShowsNotice(shot); }

bool LeftHalfIsBlack(const TPixmap& shot) {
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width / 2; ++x) {
      if (PixelAt(shot, x, y) != TRgb{0, 0, 0}) return false;
    }
  }
  return true;
}

void EndTheGame(TGameProcess& game, const std::string& window, const std::string& shotName) {
  ASSERT_TRUE(Xdotool("key Escape"));
  const TPixmapPtr score = WaitFor(game, window, shotName, ShowsScore);
  ASSERT_TRUE(score) << "no score screen; stderr:\n" << game.Errors();
  EXPECT_TRUE(LeftHalfIsBlack(*score));
  ASSERT_TRUE(Xdotool("key Return"));
  EXPECT_EQ(game.WaitForExit(30), 0) << game.Errors();
}

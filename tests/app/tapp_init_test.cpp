// Tapp::init's screen steps, run on a headless screen in a folder with its own config.txt.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "app/tapp.h"
#include "platform/input/input.h"
#include "platform/system/timer.h"
#include "platform/video/graphics.h"
#include "platform/video/image.h"
#include "platform/video/recording_driver.h"
#include "state/game.h"
#include "tests/platform/support.h"

namespace {

TEST(TappInitTest, OpensTheConfiguredScreenWithTheGamesDrawingState) {
  platform_test::TempDir dir;
  std::ofstream(dir.File("config.txt")) << "320\n200\n0\n60\n";
  ASSERT_TRUE(platform_test::Shell("convert -size 20x30 xc:red PNG24:'" + dir.File("a.png") + "'"));
  char old[4096];
  ASSERT_NE(getcwd(old, sizeof old), nullptr);
  ASSERT_EQ(chdir(dir.Path().c_str()), 0);
  auto rec = std::make_shared<TRecordingDriver>();
  SetGraphicsDriver(rec);
  Tapp::init();
  auto image = LoadImageFile("a.png", -1);
  ASSERT_EQ(chdir(old), 0);

  const auto created = rec->CallsOf(DrawOp::CreateGraphics);
  ASSERT_EQ(created.size(), 1u);
  EXPECT_EQ((std::vector<double>(created[0].args.begin(), created[0].args.begin() + 5)),
            (std::vector<double>{320, 200, 0, 60, 2}));
  ASSERT_NE(CurrentGraphics(), nullptr);
  EXPECT_EQ(CurrentGraphics()->blend_mode, 3);
  EXPECT_EQ(rec->State().blend, 3);
  EXPECT_TRUE(FramePacing().softSync);
  EXPECT_EQ(FramePacing().hertz, 60);
  ASSERT_TRUE(game.ticker);
  EXPECT_EQ(game.ticker->_cycle, 20);
  EXPECT_FALSE(game.ticker->_event);
  EXPECT_TRUE(PointerHidden());
  ASSERT_TRUE(image);
  EXPECT_EQ(image->handle_x, 10.0f);
  EXPECT_EQ(image->handle_y, 15.0f);

  game.ticker = nullptr;
  CloseScreen();
  SetGraphicsDriver(nullptr);
  SetAutoMidHandle(0);
}

}  // namespace

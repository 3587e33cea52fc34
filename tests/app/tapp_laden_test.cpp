#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "actors/tfigur.h"
#include "actors/titem.h"
#include "app/loading/loading.h"
#include "app/loading/tables.h"
#include "app/tapp.h"
#include "platform/audio/sound.h"
#include "platform/system/clock.h"
#include "platform/video/graphics.h"
#include "platform/video/image.h"
#include "rules/random.h"
#include "scene.h"
#include "state/game.h"
#include "world/tmap.h"

namespace {

namespace fs = std::filesystem;

// Few segments keep the world small, and stamps of 2 and more survive the smoothing.
constexpr char kSmallWorld[] = "40\n10\n40\n2\n4\n6\n12\n";

// The whole loading sequence, once, on a recording screen in a folder with every asset.
class LoadingTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TScratchFolder("loading", true);
    folder_->Write("map.txt", kSmallWorld);
    CreateTables();
    CreateMapGrid();
    UseFixedClock(100000);
    SetAudioDriver(std::make_shared<TNullAudioDriver>());
    SeedRandom(4242);
    rec_ = OpenRecordedScreen(800, 600).get();
    Tapp::laden();
  }
  static void TearDownTestSuite() {
    CloseScreen();
    SetAudioDriver(nullptr);
    UseSystemClock();
    delete folder_;
  }

  static TScratchFolder* folder_;
  static TRecordingDriver* rec_;
};

TScratchFolder* LoadingTest::folder_ = nullptr;
TRecordingDriver* LoadingTest::rec_ = nullptr;

TEST_F(LoadingTest, SixteenScreensWithTheirBarColours) {
  const int expected[16][2] = {{255, 0},  {248, 7},  {240, 15},  {233, 22},  {222, 33}, {205, 50},
                               {192, 63}, {166, 89}, {154, 101}, {115, 140}, {77, 178}, {52, 203},
                               {39, 216}, {31, 224}, {26, 229},  {26, 229}};
  const auto screens = SplitScreens(rec_->Calls());
  ASSERT_EQ(screens.size(), 16u);
  for (size_t i = 0; i < screens.size(); ++i) {
    std::vector<TRecordedCall> colours;
    for (const auto& c : screens[i]) {
      if (c.op == DrawOp::SetColor) colours.push_back(c);
    }
    ASSERT_EQ(colours.size(), 3u) << i;
    EXPECT_EQ(colours[1].state.r, expected[i][0]) << "screen " << i;
    EXPECT_EQ(colours[1].state.g, expected[i][1]) << "screen " << i;
    EXPECT_EQ(colours[1].state.b, 0) << "screen " << i;
  }
}

TEST_F(LoadingTest, TheTwoNinetyPercentScreensDifferOnlyInTheirCaption) {
  const auto screens = SplitScreens(rec_->Calls());
  ASSERT_EQ(screens.size(), 16u);
  const auto& a = screens[14];
  const auto& b = screens[15];
  // Everything up to the caption's colour is the same call for call.
  size_t i = 0;
  for (; i < a.size() && i < b.size(); ++i) {
    ASSERT_EQ(a[i].op, b[i].op) << i;
    for (int k = 0; k < a[i].argCount; ++k) ASSERT_EQ(a[i].args[k], b[i].args[k]) << i;
    if (a[i].op == DrawOp::SetColor && a[i].state.r == 255 && a[i].state.g == 255) break;
  }
  EXPECT_LT(i, a.size());
  EXPECT_NE(a.size(), b.size());  // "Items werden verloren" and "Maps speichern"
}

TEST_F(LoadingTest, EveryTableSlotIsFilledAsListed) {
  for (size_t i = 0; i < 6; ++i) EXPECT_TRUE(game.tileImages[i]) << i;
  for (size_t i = 0; i < 6; ++i) EXPECT_TRUE(game.figureImages[i]) << i;
  for (size_t i = 0; i < 7; ++i) EXPECT_TRUE(game.itemImages[i]) << i;
  for (size_t i = 0; i < 12; ++i) EXPECT_TRUE(game.shotImages[i]) << i;
  EXPECT_FALSE(game.shotImages[12]);
  for (size_t i = 0; i < 5; ++i) EXPECT_TRUE(game.shotSounds[i]) << i;
  EXPECT_TRUE(game.bloodImage);
  EXPECT_TRUE(game.deathSound);
  // Two separate loads of figur1.png.
  EXPECT_NE(game.figureImages[0], game.figureImages[5]);
  EXPECT_EQ(game.figureImages[0]->pixmaps[0]->pixels, game.figureImages[5]->pixmaps[0]->pixels);
  // The shells go to slots 2..6 in the order 1, 3, 4, 5, 2.
  const char* shells[] = {"shell1.png", "shell3.png", "shell4.png", "shell5.png", "shell2.png"};
  for (size_t i = 0; i < 5; ++i) {
    const auto reference = LoadImageFile(shells[i], -1);
    ASSERT_TRUE(reference);
    EXPECT_EQ(game.itemImages[2 + i]->pixmaps[0]->pixels, reference->pixmaps[0]->pixels) << shells[i];
  }
  const auto fire7 = LoadImageFile("fire7.png", -1);
  EXPECT_EQ(game.shotImages[11]->pixmaps[0]->pixels, fire7->pixmaps[0]->pixels);
  const auto wasser = LoadImageFile("wasser.png", -1);
  EXPECT_EQ(game.tileImages[1]->pixmaps[0]->pixels, wasser->pixmaps[0]->pixels);
}

TEST_F(LoadingTest, ActorsStandOnLandOnly) {
  ASSERT_TRUE(game.figureList);
  ASSERT_TRUE(game.itemList);
  EXPECT_EQ(game.figureList->Count(), 3001);
  EXPECT_EQ(game.itemList->Count(), 5001);
  auto check = [](double px, double py) {
    const int cx = static_cast<int>((px + 32) / 64);
    const int cy = static_cast<int>((py + 32) / 64);
    EXPECT_GE(cx, 1);
    EXPECT_GE(cy, 1);
    EXPECT_EQ(TMap::getpos(cx, cy), 1) << cx << "," << cy;
  };
  int kinds[6] = {};
  game.figureList->ForEach([&](Tfigur* f) {
    check(f->X, f->Y);
    ++kinds[f->Art];
  });
  for (int k = 0; k < 6; ++k) EXPECT_GT(kinds[k], 0) << k;
  game.itemList->ForEach([&](TItem* item) { check(item->X, item->Y); });
}

TEST_F(LoadingTest, WorldToolPlacesTheSameActors) {
  // The world tool's --actors list for the same seed and map.txt names every enemy and item
  // the loading sequence made, in creation order, then a player on land.
  const std::string tool = std::string(KESTROVA_BINARY_DIR) + "/kestrova-worldgen";
  fs::create_directories("tool");
  const std::string command = tool + " --seed 4242 --map map.txt --out tool --actors tool/actors.txt";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream in("tool/actors.txt", std::ios::binary);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 3001u + 5001u + 2u);
  size_t i = 0;
  game.figureList->ForEach([&](Tfigur* f) {
    const std::string expected = "E " + std::to_string(static_cast<int>(f->X)) + " " +
                                 std::to_string(static_cast<int>(f->Y)) + " " + std::to_string(f->Art) + " " +
                                 std::to_string(f->weapon);
    EXPECT_EQ(lines[i++], expected);
  });
  game.itemList->ForEach([&](TItem* item) {
    const std::string expected = "I " + std::to_string(item->X) + " " + std::to_string(item->Y) + " " +
                                 std::to_string(item->Art) + " " + std::to_string(item->r);
    EXPECT_EQ(lines[i++], expected);
  });
  int px = 0;
  int py = 0;
  ASSERT_EQ(std::sscanf(lines[i].c_str(), "P %d %d", &px, &py), 2) << lines[i];
  EXPECT_EQ(TMap::getpos((px + 32) / 64, (py + 32) / 64), 1);
  EXPECT_EQ(lines[i + 1].rfind("rng ", 0), 0u);
  // The same world: its layer file matches the one the game wrote.
  std::ifstream a("mapcol.map", std::ios::binary);
  std::ifstream b("tool/mapcol.map", std::ios::binary);
  EXPECT_TRUE(std::equal(std::istreambuf_iterator<char>(a), {}, std::istreambuf_iterator<char>(b), {}));
}

TEST(WorldTool, ListsNoLandForAWorldWithoutLand) {
  TScratchFolder folder("worldgen_noland", false);
  folder.Write("map.txt", "-1\n");
  const std::string tool = std::string(KESTROVA_BINARY_DIR) + "/kestrova-worldgen";
  const int status = std::system((tool + " --seed 1 --actors actors.txt 2>/dev/null").c_str());
  EXPECT_EQ(WEXITSTATUS(status), 3);
  std::ifstream in("actors.txt", std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(text, "noland\n");
}

TEST_F(LoadingTest, LayerFilesAreWritten) {
  EXPECT_EQ(fs::file_size("mapcol.map"), 4198400u);
  EXPECT_EQ(fs::file_size("maptyp.map"), 4198400u);
  EXPECT_TRUE(fs::exists("mapall.map"));
  EXPECT_TRUE(fs::exists("maphight.map"));
  for (const auto& entry : fs::directory_iterator(".")) {
    EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
  }
}

// Failures stop the program with a message, in a child process.
TEST(LoadingFailure, MissingMapFileStopsWithAMessage) {
  TScratchFolder folder("loading_nomap", false);
  CreateTables();
  EXPECT_EXIT(LoadStages()[5].work(), ::testing::ExitedWithCode(1), "map.txt.*seven lines");
}

TEST(LoadingFailure, EndlessWalkStopsWithAMessage) {
  TScratchFolder folder("loading_endless", false);
  folder.Write("map.txt", "2147483647\n0\n0\n-1\n-1\n2\n1000000\n");
  CreateTables();
  EXPECT_EXIT(LoadStages()[5].work(), ::testing::ExitedWithCode(1), "map.txt asks for a walk of 2147483647 segments");
}

TEST(LoadingFailure, WorldWithoutLandStopsWithAMessage) {
  TScratchFolder folder("loading_noland", false);
  folder.Write("map.txt", "-1\n");
  CreateTables();
  EXPECT_EXIT(
      {
        for (size_t i = 5; i <= 13; ++i) LoadStages()[i].work();
      },
      ::testing::ExitedWithCode(1), "map.txt.*no land");
}

TEST(LoadingFailure, MissingAssetsWarnAndLeaveTheirSlotsEmpty) {
  TScratchFolder folder("loading_noassets", true);
  SetAudioDriver(std::make_shared<TNullAudioDriver>());
  fs::remove("sand.png");
  fs::remove("t.ogg");
  CreateTables();
  ::testing::internal::CaptureStderr();
  LoadStages()[0].work();
  LoadStages()[12].work();
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("sand.png"), std::string::npos) << err;
  EXPECT_NE(err.find("t.ogg"), std::string::npos) << err;
  EXPECT_EQ(err.find("wasser.png"), std::string::npos) << err;
  EXPECT_FALSE(game.tileImages[3]);
  EXPECT_TRUE(game.tileImages[1]);
  EXPECT_FALSE(game.deathSound);
  SetAudioDriver(nullptr);
}

}  // namespace

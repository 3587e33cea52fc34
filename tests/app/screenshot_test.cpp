// The loading screen and a piece of the world drawn by the OpenGL driver in a real window,
// captured from the X server as the player would see them.
#include <gtest/gtest.h>
// After gtest: the X11 headers behind SDL_syswm.h define macros gtest uses as names.
#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>
#undef None
#undef Bool

#include <cstdlib>
#include <filesystem>
#include <random>

#include "actors/tblood.h"
#include "actors/tfigur.h"
#include "actors/titem.h"
#include "actors/tshot.h"
#include "app/loading/loading.h"
#include "app/loading/tables.h"
#include "app/play/placement.h"
#include "app/tapp.h"
#include "platform/system/clock.h"
#include "platform/video/gl_driver.h"
#include "platform/video/graphics.h"
#include "platform/video/image.h"
#include "rules/degrees.h"
#include "rules/random.h"
#include "scene.h"
#include "state/game.h"
#include "world/grid.h"
#include "world/tmap.h"
#include "world/worldgen.h"

namespace {

namespace fs = std::filesystem;

class ScreenshotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == 0) GTEST_SKIP() << "no X display";
    CreateTables();
    SetGraphicsDriver(nullptr);
    ASSERT_TRUE(OpenScreen(800, 600, 0, 0, 0)) << LastScreenError();
    game.screenW = 800;
    game.screenH = 600;
    SetBlend(3);
    SetAutoMidHandle(1);
    fs::create_directories(fs::path(KESTROVA_BINARY_DIR) / "screenshots");
  }
  void TearDown() override { CloseScreen(); }

  // Captures the game window from the X server into build/screenshots/<name> and reads it
  // back unmasked.
  std::shared_ptr<TImage> Capture(const std::string& name) {
    auto* gl = dynamic_cast<TGLVex2DDriver*>(GraphicsDriver().get());
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (gl == nullptr || !SDL_GetWindowWMInfo(gl->Window(), &info) || info.subsystem != SDL_SYSWM_X11) {
      return nullptr;
    }
    const std::string path = (fs::path(KESTROVA_BINARY_DIR) / "screenshots" / name).string();
    const std::string command = "import -window " + std::to_string(info.info.x11.window) + " PNG24:'" + path + "'";
    if (std::system(command.c_str()) != 0) return nullptr;
    return LoadImageFile(path, 0);
  }

  static std::array<int, 3> At(const TImage& shot, int x, int y) {
    uint8_t rgba[4];
    shot.pixmaps[0]->ReadRGBA(x, y, rgba);
    return {rgba[0], rgba[1], rgba[2]};
  }
};

TEST_F(ScreenshotTest, ProgressScreen) {
  Tapp::ladeb(55, "Dekoriere Umgebung");
  const auto shot = Capture("progress.png");
  ASSERT_TRUE(shot);
  ASSERT_EQ(shot->width, 800);
  ASSERT_EQ(shot->height, 600);
  // The bar at 55 %: g = trunc(55 * 2.5499999523) = 140.
  EXPECT_EQ(At(*shot, 400, 300), (std::array<int, 3>{115, 140, 0}));
  // A one-pixel grey border: the frame shows at x 20 and 779, the bar at 21 .. 778.
  EXPECT_EQ(At(*shot, 20, 300), (std::array<int, 3>{128, 128, 128}));
  EXPECT_EQ(At(*shot, 21, 300), (std::array<int, 3>{115, 140, 0}));
  EXPECT_EQ(At(*shot, 779, 300), (std::array<int, 3>{128, 128, 128}));
  EXPECT_EQ(At(*shot, 400, 280), (std::array<int, 3>{128, 128, 128}));
  EXPECT_EQ(At(*shot, 400, 150), (std::array<int, 3>{0, 0, 0}));
}

TEST_F(ScreenshotTest, PieceOfTheWorld) {
  TScratchFolder folder("screens_world", true);
  SeedRandom(99);
  ASSERT_TRUE(GenerateWorld());
  LoadStages()[0].work();  // the tiles
  // The camera on the first land cell of the central square, as the world's seed lies there.
  int cx = 1000;
  int cy = 1000;
  while (TMap::getpos(cx, cy) != 1 && cx < 1100) {
    if (++cy > 1100) {
      cy = 1000;
      ++cx;
    }
  }
  ASSERT_EQ(TMap::getpos(cx, cy), 1);
  game.camX = cx * 64 - 400;
  game.camY = cy * 64 - 300;
  Cls();
  SetDrawRotation(0);
  TMap::draw(game.camX, game.camY, game.screenW, game.screenH);
  Flip(0);
  const auto shot = Capture("world.png");
  ASSERT_TRUE(shot);
  // Tiles cover every pixel, and no tile holds pure black.
  int black = 0;
  for (int y = 0; y < 600; ++y) {
    for (int x = 0; x < 800; ++x) black += At(*shot, x, y) == std::array<int, 3>{0, 0, 0};
  }
  EXPECT_EQ(black, 0);
  // The land cell at the centre is lit: its shade is height * 8 + 30 with a height above 0.
  const auto centre = At(*shot, 400, 300);
  EXPECT_GT(centre[0] + centre[1] + centre[2], 60);
}

// A crowded frame of the game's own pictures (enemies, items, shots of every weapon, blood,
// the HUD), drawn on a screen of its own so every picture is made afresh; `draws` counts the
// draws OpenGL is handed for all but the ground.
TPixmapPtr DrawCrowdedFrame(bool sheets, int64_t& draws) {
  CloseScreen();
  if (!OpenScreen(800, 600, 0, 0, 0)) return nullptr;
  SetBlend(3);
  auto* gl = dynamic_cast<TGLVex2DDriver*>(GraphicsDriver().get());
  if (gl == nullptr) return nullptr;
  gl->UseSheets(sheets);
  const int64_t pictures = gl->Stats().sheetPictures;
  ForgetActors();
  SeedRandom(2);
  UseFixedClock(1000);  // the weapons' rate limits read it
  if (!PlaceEnemies() || !PlaceItems()) return nullptr;
  Tapp::start();
  game.player->weapons.fill(1000);
  const int32_t px = TruncToInt(game.player->X);
  const int32_t py = TruncToInt(game.player->Y);
  for (int32_t k = 0; k < 60; ++k) {
    tshot::neu(px, py, k * 37, k % 5, game.player);
    Tblood::neu(px - 300 + k * 11, py - 200 + k * 7);
  }
  game.camX = px - 400;
  game.camY = py - 300;
  Cls();
  SetDrawRotation(0.0f);
  TMap::draw(game.camX, game.camY, game.screenW, game.screenH);
  const int64_t before = gl->Stats().batches;
  Tblood::draw();
  SetColor(255, 255, 255);
  TItem::all();
  Tfigur::all();
  tshot::all();
  Tapp::drawhub();
  TPixmapPtr shot = GrabPixmap(0, 0, 800, 600);
  draws = gl->Stats().batches - before;
  EXPECT_EQ(gl->Stats().sheetPictures > pictures, sheets);
  gl->UseSheets(true);
  Flip(0);
  return shot;
}

// The game's pictures in the OpenGL driver's sheets, their quads batched across pictures,
// give the same pixels as with a texture each, and reach OpenGL in fewer draws: what is left
// is about one a figure, whose marker line is drawn between it and the next, and one for each
// picture's quads that reach beyond the screen.
TEST_F(ScreenshotTest, CrowdedFrameInSheetsHasTheSamePixelsInFewerDraws) {
  TScratchFolder folder("screens_crowd", true);
  SeedRandom(1);
  game.mapParamsGiven = TMapParams{0, 0, 0, 100, 100, 10, 1000};
  ASSERT_TRUE(GenerateWorld());
  const std::vector<TLoadStage>& stages = LoadStages();
  for (size_t i = 0; i < 5; ++i) stages[i].work();
  int64_t draws[2] = {0, 0};
  const TPixmapPtr own = DrawCrowdedFrame(false, draws[0]);
  const TPixmapPtr shared = DrawCrowdedFrame(true, draws[1]);
  ASSERT_TRUE(own && shared);
  size_t differ = 0;
  while (differ < own->pixels.size() && own->pixels[differ] == shared->pixels[differ]) ++differ;
  EXPECT_EQ(differ, own->pixels.size()) << "pixel " << differ / 4 % 800 << ", " << differ / 4 / 800;
  EXPECT_LT(draws[1] * 5, draws[0] * 4) << draws[1] << " draws in sheets, " << draws[0] << " with a texture each";
}

// The ground from the OpenGL driver's cached blocks against the same frame drawn cell by
// cell, read back pixel for pixel, with what is drawn after it on the state it leaves.
class GroundCacheTest : public ScreenshotTest {
 protected:
  TPixmapPtr DrawFrame(bool keep, int32_t x, int32_t y) {
    gl_->KeepGround(keep);
    game.camX = x;
    game.camY = y;
    Cls();
    SetDrawRotation(0);
    TMap::draw(game.camX, game.camY, game.screenW, game.screenH);
    DrawRect(10, 10, 40, 40);  // in the last cell's shade
    SetAlpha(0.5f);
    DrawRect(30, 30, 40, 40);
    SetAlpha(1.0f);
    SetColor(200, 120, 60);
    DrawImageFrame(game.tileImages[2], 100, 100, 0);
    SetDrawRotation(30);
    DrawImageFrame(game.tileImages[3], 200, 100, 0);
    SetDrawRotation(0);
    TPixmapPtr shot = GrabPixmap(0, 0, game.screenW, game.screenH);
    Flip(0);
    return shot;
  }

  // Every camera first with the cache, whose blocks carry over from frame to frame, then
  // cell by cell; the first differing pixel is named.
  void ExpectSameFrames(const std::vector<std::pair<int32_t, int32_t>>& cameras) {
    for (const auto& [x, y] : cameras) {
      const TPixmapPtr cached = DrawFrame(true, x, y);
      const TPixmapPtr direct = DrawFrame(false, x, y);
      ASSERT_TRUE(cached && direct);
      size_t differ = 0;
      while (differ < direct->pixels.size() && cached->pixels[differ] == direct->pixels[differ]) ++differ;
      EXPECT_EQ(differ, direct->pixels.size()) << "camera " << x << ", " << y << ": pixel " << differ / 4 % game.screenW
                                               << ", " << differ / 4 / game.screenW;
    }
  }

  void SetUpGround() {
    gl_ = dynamic_cast<TGLVex2DDriver*>(GraphicsDriver().get());
    ASSERT_NE(gl_, nullptr);
    LoadStages()[0].work();
    // Every kind, height and land bit, in no order, so all edges between them appear.
    std::mt19937 random(24);
    for (int32_t x = 0; x < kMapSize; ++x) {
      for (int32_t y = 0; y < kMapSize; ++y) game.mapGrid[x][y] = static_cast<uint8_t>(random());
    }
  }
  void TearDown() override {
    if (gl_ != nullptr) gl_->KeepGround(true);
    ScreenshotTest::TearDown();
  }

  TGLVex2DDriver* gl_ = nullptr;
};

TEST_F(GroundCacheTest, CachedGroundHasTheSamePixelsAsEveryCellDrawn) {
  TScratchFolder folder("screens_ground", true);
  SetUpGround();
  const int32_t end = kMapSize * 64;
  ExpectSameFrames({{6400, 6400},        // blocks built
                    {6403, 6398},        // and reused at odd offsets
                    {6403 + 257, 6398},  // a new column of blocks
                    {-301, -157},        // beyond the top-left corner
                    {-3, 5},
                    {end - 531, end - 77},  // the bottom-right corner
                    {end - 800, 99999}});   // the right edge
  // A changed cell draws its block again.
  game.mapGrid[100][100] ^= 0x61;
  ExpectSameFrames({{6403, 6398}});
  gl_->KeepGround(true);
  EXPECT_GT(gl_->GroundCache()->Blocks(), 0);
}

TEST_F(GroundCacheTest, OddScreenSizeAndClearColour) {
  CloseScreen();
  ASSERT_TRUE(OpenScreen(1001, 703, 0, 0, 0)) << LastScreenError();
  game.screenW = 1001;
  game.screenH = 703;
  SetBlend(3);
  TScratchFolder folder("screens_ground_odd", true);
  SetUpGround();
  SetClsColor(30, 60, 90);
  ExpectSameFrames({{-77, -1}, {131011, 130001}, {5000, 7001}});
  // The screen shows 5 x 4 blocks, more than one of the driver's textures holds.
  gl_->KeepGround(true);
  EXPECT_GE(gl_->GroundCache()->Blocks(), 20);
  game.screenW = 800;
  game.screenH = 600;
}

// Drawn at the screen's size and scaled as a whole, a larger window keeps the blocks, pixel
// for pixel.
TEST_F(GroundCacheTest, ScaledWindowKeepsTheBlocks) {
  TScratchFolder folder("screens_ground_scaled", true);
  SetUpGround();
  SDL_SetWindowSize(gl_->Window(), 1000, 700);
  for (int i = 0; i < 200 && gl_->ScalePath() == TScalePath::None; ++i) {
    SDL_Delay(10);
    Flip(0);
  }
  ASSERT_NE(gl_->ScalePath(), TScalePath::None);
  const int64_t built = gl_->GroundCache()->Built();
  ExpectSameFrames({{6400, 6400}, {6403, 6398}});
  gl_->KeepGround(true);
  EXPECT_GT(gl_->GroundCache()->Built(), built);
}

// The loading screen's last stage makes the blocks around the player's start, so the first
// frame of play draws none, and the rules' generator stands where it stood.
TEST_F(ScreenshotTest, FirstFrameOfPlayFindsItsGroundMade) {
  TScratchFolder folder("screens_first_frame", true);
  auto* gl = dynamic_cast<TGLVex2DDriver*>(GraphicsDriver().get());
  ASSERT_NE(gl, nullptr);
  SeedRandom(99);
  ASSERT_TRUE(GenerateWorld());
  for (size_t i = 0; i < 5; ++i) LoadStages()[i].work();
  ASSERT_TRUE(PlaceEnemies() && PlaceItems());
  const int32_t drawn = RandomState();
  PrepareFirstFrame();
  EXPECT_EQ(RandomState(), drawn);
  const int64_t made = gl->GroundCache()->Built();
  EXPECT_GE(made, 20);  // 4 x 3 blocks under the screen, and their ring
  Tapp::start();
  Tapp::frame();
  EXPECT_EQ(gl->GroundCache()->Built(), made);
  ForgetActors();
}

}  // namespace

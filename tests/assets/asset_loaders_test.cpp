// Every picture and sound of the loading sequence, loaded through the game's own loaders the
// way the game loads them: they decode, with the sizes and formats the drawing and the
// mixer count on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/sound.h"
#include "platform/files/pixmap.h"
#include "platform/video/image.h"

namespace fs = std::filesystem;

namespace {

const fs::path kAssets = fs::path(KESTROVA_SOURCE_DIR) / "assets";

std::shared_ptr<TImage> Load(const std::string& name) {
  // The game switches centred handles on before it loads anything.
  SetAutoMidHandle(1);
  return LoadImageFile((kAssets / name).string(), -1);
}

uint8_t AlphaAt(const TImage& img, int x, int y) {
  uint8_t rgba[4];
  img.pixmaps[0]->ReadRGBA(x, y, rgba);
  return rgba[3];
}

// The files of the game's loading tables, in their table order.
std::vector<std::string> ShotFiles() {
  std::vector<std::string> v = {"shoot.png", "plasma.png", "laser.png", "letzter.png"};
  for (int k = 0; k < 8; ++k) v.push_back("fire" + std::to_string(k) + ".png");
  return v;
}

}  // namespace

TEST(AssetLoaders, TilesLoadAs64x64WithNothingMaskedAway) {
  for (const char* name :
       {"wasser.png", "erde.png", "sand.png", "gras.png", "baum.png", "blatt.png"}) {
    SCOPED_TRACE(name);
    auto img = Load(name);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width, 64);
    EXPECT_EQ(img->height, 64);
    EXPECT_FLOAT_EQ(img->handle_x, 32.0f);
    EXPECT_FLOAT_EQ(img->handle_y, 32.0f);
    ASSERT_EQ(img->pixmaps.size(), 1u);
    // A hole would show the screen's black through the ground.
    int holes = 0;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) holes += AlphaAt(*img, x, y) != 255;
    EXPECT_EQ(holes, 0);
  }
}

TEST(AssetLoaders, FiguresShotsAndBloodLoadWithTheirOwnAlpha) {
  std::vector<std::string> names = {"figur1.png", "figur2.png", "figur3.png", "figur4.png",
                                    "figur5.png", "blood.png"};
  for (const std::string& s : ShotFiles()) names.push_back(s);
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    auto img = Load(name);
    ASSERT_TRUE(img);
    ASSERT_EQ(img->pixmaps.size(), 1u);
    EXPECT_EQ(img->pixmaps[0]->format, PF_RGBA8888);
    EXPECT_EQ(img->pixmaps[0]->width, img->width);
    EXPECT_FLOAT_EQ(img->handle_x, img->width * 0.5f);
    EXPECT_FLOAT_EQ(img->handle_y, img->height * 0.5f);
    EXPECT_EQ(AlphaAt(*img, 0, 0), 0);
    EXPECT_GT(AlphaAt(*img, img->width / 2, img->height / 2), 128);
    if (name.rfind("figur", 0) == 0) {
      EXPECT_GE(img->width, 40);
      EXPECT_LE(img->width, 56);
      EXPECT_GE(img->height, 40);
      EXPECT_LE(img->height, 56);
    }
  }
}

TEST(AssetLoaders, ItemsLoseTheirBlackBackgroundAndKeepTheirBody) {
  for (const char* name : {"firstaid.png", "secaid.png", "shell1.png", "shell3.png",
                           "shell4.png", "shell5.png", "shell2.png"}) {
    SCOPED_TRACE(name);
    auto img = Load(name);
    ASSERT_TRUE(img);
    ASSERT_EQ(img->pixmaps.size(), 1u);
    // The RGB file has been turned into a masked RGBA copy.
    EXPECT_EQ(img->pixmaps[0]->format, PF_RGBA8888);
    EXPECT_EQ(AlphaAt(*img, 0, 0), 0);
    EXPECT_EQ(AlphaAt(*img, img->width - 1, img->height - 1), 0);
    EXPECT_EQ(AlphaAt(*img, img->width / 2, img->height / 2), 255);
  }
}

TEST(AssetLoaders, TheSameFileLoadsTwiceAsTwoImages) {
  auto a = Load("figur1.png"), b = Load("figur1.png");
  ASSERT_TRUE(a && b);
  EXPECT_NE(a, b);
  EXPECT_EQ(a->width, b->width);
}

TEST(AssetLoaders, SoundsDecodeAsShortMono16Bit) {
  // The silent driver: no audio device is needed to load.
  SetAudioDriver(std::make_shared<TNullAudioDriver>());
  for (const char* name : {"s1.ogg", "s2.ogg", "s3.ogg", "s4.ogg", "s5.ogg", "t.ogg"}) {
    SCOPED_TRACE(name);
    auto snd = LoadSoundFile((kAssets / name).string(), 0);
    ASSERT_TRUE(snd);
    ASSERT_TRUE(snd->sample);
    const TAudioSample& s = *snd->sample;
    EXPECT_EQ(s.format, SF_MONO16LE);
    EXPECT_TRUE(s.hertz == 22050 || s.hertz == 44100) << s.hertz;
    ASSERT_GT(s.hertz, 0);
    EXPECT_EQ(s.samples.size(), static_cast<size_t>(s.length) * 2);
    double seconds = static_cast<double>(s.length) / s.hertz;
    EXPECT_GT(seconds, 0.1);
    EXPECT_LT(seconds, std::string(name) == "t.ogg" ? 2.0 : 0.5);
    int peak = 0;
    for (int32_t i = 0; i < s.length; ++i) peak = std::max(peak, std::abs(int{s.At(i, 0)}));
    EXPECT_GT(peak, 8000);
    EXPECT_LT(peak, 32000);
  }
  SetAudioDriver(nullptr);
}

// Images decoded from PNG files that ImageMagick writes at test time.
#include "platform/video/image.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/video/gl_driver.h"
#include "platform/video/graphics.h"
#include "platform/video/recording_driver.h"
#include "support.h"

namespace {

using platform_test::Shell;
using platform_test::TempDir;

class ImageTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetAutoMidHandle(0);
    CloseScreen();
    SetGraphicsDriver(nullptr);
  }
  // Writes an image with ImageMagick's convert; format forces the PNG colour type.
  std::string Make(const std::string& name, const std::string& args, const std::string& format = "") {
    const std::string path = dir_.File(name);
    EXPECT_TRUE(Shell("convert " + args + " '" + (format.empty() ? "" : format + ":") + path + "'")) << args;
    return path;
  }
  // The pixel's bytes in memory order; components the format lacks read as -1 (an RGB pixel
  // has three bytes, and the last pixel of a pixmap has nothing after it).
  static std::array<int, 4> Pixel(const TImage& image, int32_t x, int32_t y) {
    const TPixmap& pm = *image.pixmaps[0];
    const uint8_t* p = pm.PixelPtr(x, y);
    std::array<int, 4> v{-1, -1, -1, -1};
    for (int32_t i = 0; i < TPixmap::BytesPerPixel(pm.format); ++i) v[i] = p[i];
    return v;
  }
  TempDir dir_;
};

TEST_F(ImageTest, RgbBlackIsMaskedAndRgbaKeepsItsOwnAlpha) {
  // Two reds and a black in a row; ImageMagick's PNG24 and PNG32 force the colour type.
  const std::string shape = "-size 3x1 xc:red -fill black -draw 'point 1,0'";
  auto rgb = LoadImageFile(Make("rgb.png", shape, "PNG24"), -1);
  ASSERT_TRUE(rgb);
  EXPECT_EQ(rgb->flags, 3);
  EXPECT_EQ(rgb->pixmaps[0]->format, PF_RGBA8888);
  EXPECT_EQ(Pixel(*rgb, 0, 0), (std::array<int, 4>{255, 0, 0, 255}));
  EXPECT_EQ(Pixel(*rgb, 1, 0), (std::array<int, 4>{255, 0, 0, 0}));

  auto rgba = LoadImageFile(Make("rgba.png", shape, "PNG32"), -1);
  ASSERT_TRUE(rgba);
  EXPECT_EQ(rgba->pixmaps[0]->format, PF_RGBA8888);
  EXPECT_EQ(Pixel(*rgba, 1, 0), (std::array<int, 4>{0, 0, 0, 255}));

  // Without the mask flag black stays black and opaque.
  auto plain = LoadImageFile(dir_.File("rgb.png"), FILTEREDIMAGE);
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->pixmaps[0]->format, PF_RGB888);
}

TEST_F(ImageTest, MaskedPixelsTakeTheAverageOfTheirUnmaskedNeighbours) {
  // Red in the top-left corner, black elsewhere, one white pixel bottom-left.
  Make("m.png", "-size 3x3 xc:black -fill red -draw 'point 0,0' -fill white -draw 'point 0,2'", "PNG24");
  auto image = LoadImageFile(dir_.File("m.png"), -1);
  ASSERT_TRUE(image);
  EXPECT_EQ(Pixel(*image, 1, 0), (std::array<int, 4>{255, 0, 0, 0}));       // next to red only
  EXPECT_EQ(Pixel(*image, 1, 1), (std::array<int, 4>{255, 127, 127, 0}));   // red and white
  EXPECT_EQ(Pixel(*image, 2, 2), (std::array<int, 4>{0, 0, 0, 0}));         // no unmasked neighbour
  EXPECT_EQ(Pixel(*image, 0, 2), (std::array<int, 4>{255, 255, 255, 255}));
}

TEST_F(ImageTest, SixteenBitPaletteGreyAndGreyAlphaDecode) {
  const std::string red = "-size 2x2 xc:'rgb(200,10,20)'";
  auto deep = LoadImageFile(Make("d.png", red, "PNG48"), 0);
  ASSERT_TRUE(deep);
  EXPECT_EQ(deep->pixmaps[0]->format, PF_RGB888);
  EXPECT_EQ(Pixel(*deep, 1, 1)[0], 200);
  EXPECT_EQ(Pixel(*deep, 1, 1)[2], 20);

  auto palette = LoadImageFile(Make("p.png", red, "PNG8"), 0);
  ASSERT_TRUE(palette);
  EXPECT_EQ(palette->pixmaps[0]->format, PF_RGB888);
  EXPECT_EQ(Pixel(*palette, 0, 0)[0], 200);

  auto grey = LoadImageFile(
      Make("g.png", "-size 2x2 xc:'gray(77)' -define png:color-type=0 -define png:bit-depth=8"),
      0);
  ASSERT_TRUE(grey);
  EXPECT_EQ(grey->pixmaps[0]->format, PF_I8);
  EXPECT_EQ(grey->pixmaps[0]->PixelPtr(1, 1)[0], 77);
  // Grey is masked like RGB: its black is transparent.
  auto greyBlack = LoadImageFile(
      Make("gb.png", "-size 2x1 xc:black -define png:color-type=0 -define png:bit-depth=8"),
      -1);
  ASSERT_TRUE(greyBlack);
  EXPECT_EQ(Pixel(*greyBlack, 0, 0)[3], 0);

  auto greyAlpha = LoadImageFile(Make("ga.png", "-size 2x1 xc:'graya(77,0.5)' -define png:color-type=4"),
                                 -1);
  ASSERT_TRUE(greyAlpha);
  EXPECT_EQ(greyAlpha->pixmaps[0]->format, PF_RGBA8888);
  const auto ga = Pixel(*greyAlpha, 1, 0);
  EXPECT_EQ(ga[0], 77);
  EXPECT_EQ(ga[1], 77);
  EXPECT_EQ(ga[2], 77);
  EXPECT_NEAR(ga[3], 128, 1);

  // Two-bit grey and a palette with transparency expand as well.
  auto lowGrey = LoadImageFile(Make("lg.png", "-size 2x1 xc:white -define png:color-type=0 -define png:bit-depth=2"),
                               0);
  ASSERT_TRUE(lowGrey);
  EXPECT_EQ(lowGrey->pixmaps[0]->PixelPtr(0, 0)[0], 255);
}

TEST_F(ImageTest, AutomaticMidHandleCentresImagesLoadedAfterwards) {
  const std::string a = Make("a.png", "-size 20x30 xc:red", "PNG24");
  const std::string b = Make("b.png", "-size 65x3 xc:red", "PNG24");
  auto before = LoadImageFile(a, -1);
  ASSERT_TRUE(before);
  EXPECT_EQ(before->handle_x, 0.0f);
  SetAutoMidHandle(1);
  auto centred = LoadImageFile(a, -1);
  ASSERT_TRUE(centred);
  EXPECT_EQ(centred->handle_x, 10.0f);
  EXPECT_EQ(centred->handle_y, 15.0f);
  auto odd = LoadImageFile(b, -1);
  ASSERT_TRUE(odd);
  EXPECT_EQ(odd->handle_x, 32.5f);
  EXPECT_EQ(odd->handle_y, 1.5f);
}

TEST_F(ImageTest, MissingOrBrokenFilesGiveNull) {
  EXPECT_FALSE(LoadImageFile(dir_.File("missing.png"), -1));
  std::ofstream(dir_.File("text.png")) << "not a picture at all";
  EXPECT_FALSE(LoadImageFile(dir_.File("text.png"), -1));
  // A PNG cut short after its header.
  Make("whole.png", "-size 40x40 plasma:", "PNG24");
  std::ifstream in(dir_.File("whole.png"), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  ASSERT_GT(bytes.size(), 100u);
  std::ofstream(dir_.File("cut.png"), std::ios::binary) << bytes.substr(0, bytes.size() / 2);
  EXPECT_FALSE(LoadImageFile(dir_.File("cut.png"), -1));
  // A folder where the file should be.
  std::filesystem::create_directory(dir_.File("folder.png"));
  EXPECT_FALSE(LoadImageFile(dir_.File("folder.png"), -1));
}

TEST_F(ImageTest, HundredBySixtyGetsAPowerOfTwoTexture) {
  auto rec = std::make_shared<TRecordingDriver>();
  ASSERT_TRUE(OpenHeadlessScreen(rec, 320, 200, 0, 0, 0));
  auto image = LoadImageFile(Make("t.png", "-size 100x60 xc:blue", "PNG24"), -1);
  ASSERT_TRUE(image);
  EXPECT_FALSE(image->frames[0]);  // no texture before the first draw
  DrawImageFrame(image, 10, 10, 0);
  auto* frame = dynamic_cast<TRecordedFrame*>(image->frames[0].get());
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->texWidth, 128);
  EXPECT_EQ(frame->texHeight, 64);
  EXPECT_EQ(frame->u1, 0.78125f);
  EXPECT_EQ(frame->v1, 0.9375f);
  // A device that cannot hold 128 wide halves both sides.
  rec->SetMaxTextureSize(64);
  ASSERT_TRUE(OpenHeadlessScreen(rec, 320, 200, 0, 0, 0));
  DrawImageFrame(image, 10, 10, 0);
  frame = dynamic_cast<TRecordedFrame*>(image->frames[0].get());
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->texWidth, 64);
  EXPECT_EQ(frame->texHeight, 32);
}

TEST_F(ImageTest, PixmapConversionsKeepColours) {
  auto bgr = TPixmap::Create(2, 1, PF_BGR888);
  bgr->PixelPtr(1, 0)[0] = 30;  // blue
  bgr->PixelPtr(1, 0)[2] = 200;  // red
  auto rgba = ConvertPixmap(*bgr, PF_RGBA8888);
  const uint8_t* p = rgba->PixelPtr(1, 0);
  EXPECT_EQ((std::array<int, 4>{p[0], p[1], p[2], p[3]}), (std::array<int, 4>{200, 0, 30, 255}));
  auto half = ResizePixmap(*rgba, 1, 1);
  EXPECT_EQ(half->PixelPtr(0, 0)[0], 100);
  EXPECT_EQ(half->PixelPtr(0, 0)[2], 15);
}

TEST_F(ImageTest, TexturePaddingRepeatsTheLastColumnRowAndCorner) {
  auto src = TPixmap::Create(2, 2, PF_RGBA8888);
  for (int i = 0; i < 4; ++i) src->pixels[static_cast<size_t>(i) * 4] = static_cast<uint8_t>(10 * (i + 1));
  const TPixmapPtr padded = PadPixmap(*src, 4, 4);
  EXPECT_EQ(padded->PixelPtr(2, 0)[0], 20);  // last column repeated
  EXPECT_EQ(padded->PixelPtr(0, 2)[0], 30);  // last row repeated
  EXPECT_EQ(padded->PixelPtr(2, 2)[0], 40);  // corner
  EXPECT_EQ(padded->PixelPtr(3, 3)[3], 0);   // beyond: transparent
  int32_t tw = 0, th = 0;
  EXPECT_TRUE(ChooseTextureSize(300, 5, [](int32_t w, int32_t) { return w <= 128; }, tw, th));
  EXPECT_EQ(tw, 128);
  EXPECT_EQ(th, 2);
  EXPECT_FALSE(ChooseTextureSize(3, 3, [](int32_t, int32_t) { return false; }, tw, th));
}

}  // namespace

// The committed pictures and sounds, decoded straight with libpng and libvorbisfile: their
// sizes, kinds and formats are what the drawing and the mixer count on.
#include <gtest/gtest.h>
#include <png.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kAssets = fs::path(KESTROVA_SOURCE_DIR) / "assets";

struct Png {
  int w = 0, h = 0;
  bool alpha = false;         // the file has an alpha channel
  std::vector<uint8_t> rgba;  // decoded, 4 bytes a pixel
  const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * w + x) * 4]; }
};

Png ReadPng(const fs::path& path) {
  Png out;
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&img, path.c_str())) {
    ADD_FAILURE() << path << ": " << img.message;
    return out;
  }
  out.w = static_cast<int>(img.width);
  out.h = static_cast<int>(img.height);
  out.alpha = (img.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  img.format = PNG_FORMAT_RGBA;
  out.rgba.resize(PNG_IMAGE_SIZE(img));
  if (!png_image_finish_read(&img, nullptr, out.rgba.data(), 0, nullptr)) {
    ADD_FAILURE() << path << ": " << img.message;
    out.rgba.clear();
    out.w = out.h = 0;
  }
  return out;
}

bool Black(const uint8_t* p) { return p[0] == 0 && p[1] == 0 && p[2] == 0; }

struct Ogg {
  int channels = 0;
  long rate = 0;
  std::vector<int16_t> pcm;
};

Ogg ReadOgg(const fs::path& path) {
  Ogg out;
  OggVorbis_File vf;
  if (ov_fopen(path.c_str(), &vf) != 0) {
    ADD_FAILURE() << path << ": not an Ogg Vorbis file";
    return out;
  }
  vorbis_info* vi = ov_info(&vf, -1);
  out.channels = vi->channels;
  out.rate = vi->rate;
  char buf[4096];
  int section = 0;
  for (;;) {
    long n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section);
    if (n < 0) {
      ADD_FAILURE() << path << ": decoding error " << n;
      break;
    }
    if (n == 0) break;
    const int16_t* s = reinterpret_cast<const int16_t*>(buf);
    out.pcm.insert(out.pcm.end(), s, s + n / 2);
  }
  ov_clear(&vf);
  return out;
}

const char* const kTiles[] = {"erde.png", "wasser.png", "gras.png", "sand.png", "baum.png", "blatt.png"};
const char* const kFigures[] = {"figur1.png", "figur2.png", "figur3.png", "figur4.png", "figur5.png"};
const char* const kItems[] = {"firstaid.png", "secaid.png", "shell1.png", "shell2.png",
                              "shell3.png",   "shell4.png", "shell5.png"};

std::vector<std::string> Shots() {
  std::vector<std::string> v = {"shoot.png", "plasma.png", "laser.png", "letzter.png"};
  for (int k = 0; k < 8; ++k) v.push_back("fire" + std::to_string(k) + ".png");
  return v;
}

// Mean absolute difference between two columns (or rows) of a 64 x 64 tile, each smoothed
// along its length over 7 pixels so that fine grain does not hide a step in the shading.
double LineDiff(const Png& p, bool columns, int a, int b) {
  auto at = [&](int line, int i, int c) {
    i = (i + 64) % 64;
    return static_cast<double>((columns ? p.At(line, i) : p.At(i, line))[c]);
  };
  double sum = 0;
  for (int i = 0; i < 64; ++i)
    for (int c = 0; c < 3; ++c) {
      double da = 0, db = 0;
      for (int k = -3; k <= 3; ++k) {
        da += at(a, i + k, c);
        db += at(b, i + k, c);
      }
      sum += std::abs(da - db) / 7;
    }
  return sum / (64 * 3);
}

}  // namespace

TEST(AssetFiles, TilesAreOpaque64x64WithoutPureBlackAndWrapSeamlessly) {
  for (const char* name : kTiles) {
    SCOPED_TRACE(name);
    Png p = ReadPng(kAssets / name);
    ASSERT_EQ(p.w, 64);
    ASSERT_EQ(p.h, 64);
    // Without alpha the game masks pure black, which would punch holes in the ground.
    EXPECT_FALSE(p.alpha);
    int black = 0;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) black += Black(p.At(x, y));
    EXPECT_EQ(black, 0);
    // Across the wrap the picture changes no more than between any two neighbouring lines
    // inside it.
    for (bool columns : {true, false}) {
      double inner = 0;
      for (int i = 0; i < 63; ++i) inner = std::max(inner, LineDiff(p, columns, i, i + 1));
      EXPECT_LE(LineDiff(p, columns, 63, 0), inner) << (columns ? "columns" : "rows");
    }
  }
}

TEST(AssetFiles, FiguresAreRgbaOfTheirSizeRange) {
  for (const char* name : kFigures) {
    SCOPED_TRACE(name);
    Png p = ReadPng(kAssets / name);
    EXPECT_TRUE(p.alpha);
    EXPECT_GE(p.w, 40);
    EXPECT_LE(p.w, 56);
    EXPECT_GE(p.h, 40);
    EXPECT_LE(p.h, 56);
  }
}

TEST(AssetFiles, MaskedItemsShowABodyOnBlackThatTheGameMakesTransparent) {
  for (const char* name : kItems) {
    SCOPED_TRACE(name);
    Png p = ReadPng(kAssets / name);
    ASSERT_GT(p.w, 0);
    EXPECT_FALSE(p.alpha);
    EXPECT_LE(std::max(p.w, p.h), 40);
    int black = 0;
    for (int y = 0; y < p.h; ++y)
      for (int x = 0; x < p.w; ++x) black += Black(p.At(x, y));
    // Rounded corners are cut out; the body covers most of the picture.
    EXPECT_TRUE(Black(p.At(0, 0)));
    EXPECT_TRUE(Black(p.At(p.w - 1, p.h - 1)));
    EXPECT_GT(black, 0);
    EXPECT_LT(black, p.w * p.h / 2);
  }
}

TEST(AssetFiles, ShotsAreSmallRgbaWithSoftEdges) {
  for (const std::string& name : Shots()) {
    SCOPED_TRACE(name);
    Png p = ReadPng(kAssets / name);
    EXPECT_TRUE(p.alpha);
    EXPECT_LE(std::max(p.w, p.h), 40);
    int partial = 0, clear = 0;
    for (int y = 0; y < p.h; ++y)
      for (int x = 0; x < p.w; ++x) {
        uint8_t a = p.At(x, y)[3];
        partial += a > 0 && a < 255;
        clear += a == 0;
      }
    EXPECT_GT(partial, 0);
    EXPECT_GT(clear, 0);
  }
}

TEST(AssetFiles, FlameFramesAllDiffer) {
  std::vector<std::vector<uint8_t>> frames;
  for (int k = 0; k < 8; ++k) frames.push_back(ReadPng(kAssets / ("fire" + std::to_string(k) + ".png")).rgba);
  for (size_t i = 0; i < frames.size(); ++i)
    for (size_t j = i + 1; j < frames.size(); ++j) EXPECT_NE(frames[i], frames[j]) << i << " " << j;
}

TEST(AssetFiles, BloodIsAGreySplashWithAlpha) {
  Png p = ReadPng(kAssets / "blood.png");
  ASSERT_TRUE(p.alpha);
  EXPECT_EQ(p.w, 64);
  EXPECT_EQ(p.h, 64);
  int covered = 0;
  for (int y = 0; y < p.h; ++y)
    for (int x = 0; x < p.w; ++x) {
      const uint8_t* c = p.At(x, y);
      if (c[3] == 0) continue;
      ++covered;
      // The game tints it red: any colour of its own would shift the tint.
      EXPECT_EQ(c[0], c[1]);
      EXPECT_EQ(c[1], c[2]);
    }
  EXPECT_GT(covered, 64 * 64 / 10);
  EXPECT_EQ(p.At(0, 0)[3], 0);
}

TEST(AssetFiles, SoundsAreShortMono16BitAndDoNotClip) {
  for (const char* name : {"s1.ogg", "s2.ogg", "s3.ogg", "s4.ogg", "s5.ogg", "t.ogg"}) {
    SCOPED_TRACE(name);
    Ogg s = ReadOgg(kAssets / name);
    EXPECT_EQ(s.channels, 1);
    EXPECT_TRUE(s.rate == 22050 || s.rate == 44100) << s.rate;
    ASSERT_GT(s.rate, 0);
    double seconds = static_cast<double>(s.pcm.size()) / s.rate;
    EXPECT_GT(seconds, 0.1);
    EXPECT_LT(seconds, std::string(name) == "t.ogg" ? 2.0 : 0.5);
    int peak = 0;
    for (int16_t v : s.pcm) peak = std::max(peak, std::abs(static_cast<int>(v)));
    EXPECT_LT(peak, 32000);  // headroom left: no sample at full scale
    EXPECT_GT(peak, 8000);   // and clearly audible
  }
}

// The music streams in a loop behind the game: long, never silent for long, at the level the
// mixer expects, and with no click where the end runs into the start.
TEST(AssetFiles, MusicLoopsSeamlesslyAtHalfScaleAndIsNeverSilentForLong) {
  for (const std::string name : {"musik.ogg", "ende.ogg"}) {
    SCOPED_TRACE(name);
    Ogg m = ReadOgg(kAssets / name);
    EXPECT_EQ(m.channels, 1);
    ASSERT_EQ(m.rate, 22050);
    const std::vector<int16_t>& s = m.pcm;
    const size_t n = s.size(), rate = static_cast<size_t>(m.rate);
    ASSERT_GT(n, 2 * rate);
    if (name == "musik.ogg") {
      EXPECT_GE(n, 120 * rate);
    } else {
      EXPECT_LT(n, 30 * rate);
    }

    int peak = 0;
    for (int16_t v : s) peak = std::max(peak, std::abs(static_cast<int>(v)));
    EXPECT_LT(peak, static_cast<int>(0.99 * 32768));
    // Normalised to -6 dBFS; Vorbis may overshoot that a little.
    EXPECT_LE(peak, static_cast<int>(0.55 * 32768));
    EXPECT_GE(peak, static_cast<int>(0.45 * 32768));

    int quiet = 0;
    const size_t seconds = n / rate;
    for (size_t k = 0; k < seconds; ++k) {
      double sum = 0;
      for (size_t i = k * rate; i < (k + 1) * rate; ++i) sum += static_cast<double>(s[i]) * s[i];
      // -50 dBFS RMS: a mean square of 1e-5 of full scale's.
      quiet += sum / rate < 1e-5 * 32768.0 * 32768.0;
    }
    EXPECT_LE(quiet * 20, static_cast<int>(seconds)) << quiet << " of " << seconds << " seconds near silent";

    // From the last sample to the first the wave moves no more than it does anywhere near them.
    int step = 0;
    for (size_t i = 1; i < rate / 20; ++i)
      step = std::max({step, std::abs(s[i] - s[i - 1]), std::abs(s[n - i] - s[n - i - 1])});
    EXPECT_LE(std::abs(s[0] - s[n - 1]), step);
  }
}

TEST(AssetFiles, AllTogetherUnderTwoMebibytes) {
  uintmax_t total = 0;
  int count = 0;
  for (const auto& e : fs::directory_iterator(kAssets)) {
    std::string ext = e.path().extension().string();
    if (ext == ".png" || ext == ".ogg") {
      total += e.file_size();
      ++count;
    }
  }
  EXPECT_EQ(count, 40);
  EXPECT_LT(total, 2u * 1024 * 1024);
}

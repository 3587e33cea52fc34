#include "platform/files/textio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "rules/degrees.h"

namespace {

namespace fs = std::filesystem;

class TextFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("kestrova_textio_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  static std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  static std::vector<std::string> AllLines(const std::string& path, int count) {
    TStreamPtr s = OpenReadStream(path);
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) lines.push_back(ReadLine(s));
    return lines;
  }

  fs::path dir_;
};

TEST_F(TextFileTest, LineEndsAndCarriageReturns) {
  const auto crlf = AllLines(Write("a.txt", "1024\r\n768\r\n0\r\n60\r\n"), 5);
  const auto lf = AllLines(Write("b.txt", "1024\n768\n0\n60\n"), 5);
  EXPECT_EQ(crlf, lf);
  EXPECT_EQ(lf, (std::vector<std::string>{"1024", "768", "0", "60", ""}));
  EXPECT_EQ(AllLines(Write("c.txt", "ab\rcd\n"), 1)[0], "abcd");
  const std::string withNul("y\0z\n", 4);
  EXPECT_EQ(AllLines(Write("e.txt", withNul), 3), (std::vector<std::string>{"y", "z", ""}));
}

TEST_F(TextFileTest, LastLineWithoutEndAndReadsPastTheEnd) {
  TStreamPtr s = OpenReadStream(Write("a.txt", "one\ntwo"));
  EXPECT_EQ(s->ReadLine(), "one");
  EXPECT_EQ(s->ReadLine(), "two");
  EXPECT_EQ(s->ReadLine(), "");
  EXPECT_EQ(s->ReadLine(), "");
}

TEST_F(TextFileTest, LongLinesAndLatin1Bytes) {
  std::string longLine(5000, 'q');
  longLine[4999] = 'z';
  std::string high;
  for (int c = 128; c < 256; ++c) high.push_back(static_cast<char>(c));
  const auto lines = AllLines(Write("a.txt", longLine + "\r\n" + high + "\n"), 2);
  EXPECT_EQ(lines[0], longLine);
  EXPECT_EQ(lines[1], high);
}

TEST_F(TextFileTest, StreamFieldsTrackPositionAndSize) {
  const std::string path = Write("a.txt", "12345\n");
  auto s = std::dynamic_pointer_cast<TCStream>(OpenReadStream(path));
  ASSERT_TRUE(s);
  EXPECT_EQ(s->Mode(), MODE_READ);
  EXPECT_EQ(s->Pos(), 0);
  EXPECT_EQ(s->Size(), 6);
  s->ReadLine();
  EXPECT_EQ(s->Pos(), 6);
  EXPECT_TRUE(s->Eof());
  s->Close();
  EXPECT_EQ(s->Pos(), 0);
  EXPECT_EQ(s->Size(), 0);
  s->Close();  // a second close does nothing
  EXPECT_EQ(s->ReadLine(), "");
}

TEST_F(TextFileTest, WritingLinesAndEmptyingExistingFiles) {
  const std::string path = Write("out.txt", "old contents that must vanish");
  TStreamPtr w = OpenWriteStream(path);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->Size(), 0);
  EXPECT_EQ(w->WriteLine("abc"), 1);
  EXPECT_EQ(w->WriteLine(""), 1);
  EXPECT_EQ(w->Size(), 7);
  CloseStream(w);
  EXPECT_EQ(Slurp(path), "abc\r\n\r\n");
}

TEST_F(TextFileTest, BackslashesOpenTheSameFile) {
  Write("same.txt", "via slashes\n");
  std::string path = (dir_ / "same.txt").string();
  std::replace(path.begin(), path.end(), '/', '\\');
  EXPECT_EQ(ReadLine(OpenReadStream(path)), "via slashes");
}

TEST_F(TextFileTest, NullStreamsReadEmptyAndIgnoreWrites) {
  TStreamPtr missing = OpenReadStream((dir_ / "missing.txt").string());
  EXPECT_EQ(missing, nullptr);
  EXPECT_EQ(ReadLine(missing), "");
  EXPECT_EQ(WriteLine(missing, "x"), 0);
  CloseStream(missing);
  EXPECT_EQ(OpenWriteStream((dir_ / "no/such/folder/f.txt").string()), nullptr);
}

TEST(TextToIntTest, Examples) {
  EXPECT_EQ(TextToInt("  42"), 42);
  EXPECT_EQ(TextToInt("-17abc"), -17);
  EXPECT_EQ(TextToInt("+"), 0);
  EXPECT_EQ(TextToInt("-"), 0);
  EXPECT_EQ(TextToInt("abc"), 0);
  EXPECT_EQ(TextToInt(""), 0);
  EXPECT_EQ(TextToInt("$ff"), 255);
  EXPECT_EQ(TextToInt("$FF"), 255);
  EXPECT_EQ(TextToInt("%101"), 5);
  EXPECT_EQ(TextToInt("%102"), 2);
  EXPECT_EQ(TextToInt("4 2"), 4);
  EXPECT_EQ(TextToInt("\t 7\r"), 7);
  EXPECT_EQ(TextToInt("800 x"), 800);
  EXPECT_EQ(TextToInt("-$10"), -16);
  EXPECT_EQ(TextToInt("   "), 0);
}

TEST(TextToIntTest, WrapsModulo2To32) {
  EXPECT_EQ(TextToInt("2147483647"), 2147483647);
  EXPECT_EQ(TextToInt("2147483648"), static_cast<int32_t>(-2147483647 - 1));
  EXPECT_EQ(TextToInt("4294967297"), 1);
  EXPECT_EQ(TextToInt("-2147483648"), static_cast<int32_t>(-2147483647 - 1));
  EXPECT_EQ(TextToInt("$FFFFFFFF"), -1);
}

TEST(IntToTextTest, PlainDecimal) {
  EXPECT_EQ(IntToText(0), "0");
  EXPECT_EQ(IntToText(-42), "-42");
  EXPECT_EQ(IntToText(2147483647), "2147483647");
  EXPECT_EQ(IntToText(-2147483647 - 1), "-2147483648");
  EXPECT_EQ("fire" + IntToText(7) + ".png", "fire7.png");
}

TEST(NumberTest, TruncationTowardZero) {
  EXPECT_EQ(TruncToInt(2.7), 2);
  EXPECT_EQ(TruncToInt(-2.7), -2);
  EXPECT_EQ(TruncToInt(2.5), 2);
  EXPECT_EQ(TruncToInt(-3.5), -3);
  EXPECT_EQ(TruncToInt(0.9999999999999999), 0);
}

TEST(NumberTest, DegreesInAllQuadrants) {
  EXPECT_EQ(ATan2Deg(0, -1), 180.0);
  EXPECT_EQ(ATan2Deg(-1, 0), -90.0);
  EXPECT_EQ(ATan2Deg(1, 0), 90.0);
  EXPECT_EQ(ATan2Deg(0, 1), 0.0);
  EXPECT_NEAR(ATan2Deg(1, 1), 45.0, 1e-12);
  EXPECT_NEAR(ATan2Deg(1, -1), 135.0, 1e-12);
  EXPECT_NEAR(ATan2Deg(-1, -1), -135.0, 1e-12);
  EXPECT_NEAR(ATan2Deg(-1, 1), -45.0, 1e-12);
  EXPECT_EQ(SinDeg(90), 1.0);
  EXPECT_EQ(CosDeg(180), -1.0);
  EXPECT_EQ(SinDeg(0), 0.0);

  // The paired form must give exactly the single ones: headings, facings and rotations of
  // every size the game reaches, whole and fractional.
  for (int32_t i = -400000; i <= 400000; i += 7) {
    for (const double deg : {static_cast<double>(i), i * 0.37, i * 1234.5678}) {
      double s = 0.0;
      double c = 0.0;
      SinCosDeg(deg, s, c);
      ASSERT_EQ(s, SinDeg(deg)) << deg;
      ASSERT_EQ(c, CosDeg(deg)) << deg;
    }
  }
}

}  // namespace

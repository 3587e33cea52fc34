// Pictures and sounds whose headers claim more than they hold: they must not make the loader
// take memory by the claim.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <zlib.h>

#include <fstream>
#include <string>

#include "platform/audio/ogg.h"
#include "platform/files/pixmap.h"
#include "platform/video/image.h"
#include "support.h"

namespace {

using platform_test::TempDir;

long PeakResidentKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

void PutBigEndian(std::string& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((v >> shift) & 0xff));
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
  PutBigEndian(out, static_cast<uint32_t>(data.size()));
  const std::string body = std::string(type, 4) + data;
  out += body;
  PutBigEndian(out, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size())));
}

std::string Deflate(const std::string& raw) {
  uLongf size = compressBound(raw.size());
  std::string packed(size, '\0');
  compress(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()), raw.size());
  packed.resize(size);
  return packed;
}

// An 8-bit RGB PNG of the given size whose rows are all black; `rows` of them are stored.
std::string Png(uint32_t width, uint32_t height, uint32_t rows) {
  std::string out("\x89PNG\r\n\x1a\n", 8);
  std::string ihdr;
  PutBigEndian(ihdr, width);
  PutBigEndian(ihdr, height);
  ihdr += std::string("\x08\x02\x00\x00\x00", 5);
  PutChunk(out, "IHDR", ihdr);
  PutChunk(out, "IDAT", Deflate(std::string(static_cast<size_t>(width * 3 + 1) * rows, '\0')));
  PutChunk(out, "IEND", "");
  return out;
}

TEST(HostileFiles, PicturesLargerThanAnyTextureAreRefusedBeforeTheirPixels) {
  TempDir dir;
  const auto write = [&](const std::string& name, const std::string& bytes) {
    std::ofstream(dir.File(name), std::ios::binary) << bytes;
    return dir.File(name);
  };
  const long before = PeakResidentKiB();
  // 30000 x 30000 claimed, one row stored: 2.7 GB if the claim were believed.
  EXPECT_FALSE(LoadImageFile(write("huge.png", Png(30000, 30000, 1)), 0));
  EXPECT_LT(PeakResidentKiB() - before, 64 * 1024);
  EXPECT_FALSE(LoadImageFile(write("wide.png", Png(16385, 1, 1)), 0));
  const auto widest = LoadImageFile(write("widest.png", Png(16384, 1, 1)), 0);
  ASSERT_TRUE(widest);
  EXPECT_EQ(widest->width, 16384);
}

// A 4 x 3 mid-grey RGB picture; `extra` is put between its header and its pixel data.
std::string GreyPngWith(const std::string& extra) {
  std::string out("\x89PNG\r\n\x1a\n", 8);
  std::string ihdr;
  PutBigEndian(ihdr, 4);
  PutBigEndian(ihdr, 3);
  ihdr += std::string("\x08\x02\x00\x00\x00", 5);
  PutChunk(out, "IHDR", ihdr);
  out += extra;
  std::string rows;
  for (int y = 0; y < 3; ++y) rows += std::string(1, '\0') + std::string(12, '\x80');
  PutChunk(out, "IDAT", Deflate(rows));
  PutChunk(out, "IEND", "");
  return out;
}

// A chunk whose length field claims `claimed` bytes while `data` is all it holds.
std::string ClaimingChunk(const char* type, uint32_t claimed, const std::string& data) {
  std::string out;
  PutBigEndian(out, claimed);
  out += std::string(type, 4) + data;
  PutBigEndian(out, 0);
  return out;
}

TEST(HostileFiles, MetadataChunksClaimingGigabytesTakeNoMemory) {
  TempDir dir;
  const long before = PeakResidentKiB();
  // Found by fuzzing: 66 bytes whose tEXt chunk claims 1.6 GB, which libpng zero-filled.
  EXPECT_FALSE(LoadImageFile(std::string(KESTROVA_SOURCE_DIR) + "/tests/fuzz/regressions/png/text_chunk_length_claim.png", -1));
  for (const char* type : {"tEXt", "zTXt", "iTXt", "iCCP", "sPLT", "eXIf", "pCAL", "sCAL"}) {
    SCOPED_TRACE(type);
    const std::string path = dir.File(std::string(type) + ".png");
    std::ofstream(path, std::ios::binary) << GreyPngWith(ClaimingChunk(type, 0x60000000, std::string("key\0abcd", 8)));
    EXPECT_FALSE(LoadImageFile(path, -1));
  }
  EXPECT_LT(PeakResidentKiB() - before, 64 * 1024);
}

TEST(HostileFiles, PicturesWithMetadataChunksKeepTheirPixels) {
  TempDir dir;
  std::string text;
  PutChunk(text, "tEXt", std::string("Comment\0made for the test", 25));
  PutChunk(text, "zTXt", std::string("Title\0\0", 7) + Deflate("a compressed comment"));
  const std::string path = dir.File("text.png");
  std::ofstream(path, std::ios::binary) << GreyPngWith(text);
  const auto image = LoadImageFile(path, -1);
  ASSERT_TRUE(image);
  ASSERT_EQ(image->width, 4);
  ASSERT_EQ(image->height, 3);
  uint8_t rgba[4];
  image->pixmaps[0]->ReadRGBA(3, 2, rgba);
  EXPECT_EQ(rgba[0], 0x80);
  EXPECT_EQ(rgba[1], 0x80);
  EXPECT_EQ(rgba[2], 0x80);
  EXPECT_EQ(rgba[3], 255);
}

// One second of a 16-channel tone at 8000 Hz whose last page claims 268435440 frames: the
// decoder used to size its buffer by that claim, 8.6 GB for a 10 KB file.
TEST(HostileFiles, SoundsTakeMemoryByWhatDecodesNotByTheirClaimedLength) {
  const long before = PeakResidentKiB();
  const auto sample =
      LoadAudioSampleFile(std::string(KESTROVA_SOURCE_DIR) + "/tests/fuzz/regressions/ogg/length_claim_16ch.ogg");
  EXPECT_LT(PeakResidentKiB() - before, 64 * 1024);
  ASSERT_TRUE(sample);
  EXPECT_EQ(sample->format, SF_STEREO16LE);
  EXPECT_EQ(sample->hertz, 8000);
  // The second of audio and at most the padding of its last blocks, not the claim.
  EXPECT_GE(sample->length, 8000);
  EXPECT_LT(sample->length, 16000);
  EXPECT_EQ(sample->samples.size(), static_cast<size_t>(sample->length) * 4);
  EXPECT_EQ(sample->capacity, static_cast<int32_t>(sample->samples.size()));
}

// Found by fuzzing: a Vorbis header whose rate field reads 4293678626 Hz, which used to become
// a sample with a negative rate that the mixer never finishes playing.
TEST(HostileFiles, SoundsWithRatesNoSampleCanHoldAreRefused) {
  EXPECT_FALSE(LoadAudioSampleFile(std::string(KESTROVA_SOURCE_DIR) + "/tests/fuzz/regressions/ogg/rate_out_of_range.ogg"));
}

}  // namespace

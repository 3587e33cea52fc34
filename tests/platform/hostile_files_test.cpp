// Pictures and sounds whose headers claim more than they hold: they must not make the loader
// take memory by the claim.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <zlib.h>

#include <fstream>
#include <string>

#include "platform/image.h"
#include "platform/pixmap.h"
#include "platform/sound.h"
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

// An 8-bit RGB PNG of the given size whose rows are all black; `rows` of them are stored.
std::string Png(uint32_t width, uint32_t height, uint32_t rows) {
  std::string out("\x89PNG\r\n\x1a\n", 8);
  std::string ihdr;
  PutBigEndian(ihdr, width);
  PutBigEndian(ihdr, height);
  ihdr += std::string("\x08\x02\x00\x00\x00", 5);
  PutChunk(out, "IHDR", ihdr);
  const std::string raw(static_cast<size_t>(width * 3 + 1) * rows, '\0');
  uLongf size = compressBound(raw.size());
  std::string packed(size, '\0');
  compress(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()), raw.size());
  packed.resize(size);
  PutChunk(out, "IDAT", packed);
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

}  // namespace

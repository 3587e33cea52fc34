// Pictures and sounds whose headers claim more than they hold: they must not make the loader
// take memory by the claim. Files written where something else stands (a device, a FIFO, a
// link, a file of another mode or owner), writers killed midway, and one folder reached two
// ways: what the game writes must respect them. What it reads is a regular file of a bounded
// size, never waited on.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "../support/read_file.h"
#include "platform/audio/ogg.h"
#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/files/pixmap.h"
#include "platform/files/textio.h"
#include "platform/files/whole_file.h"
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
  EXPECT_FALSE(
      LoadImageFile(std::string(KESTROVA_SOURCE_DIR) + "/tests/fuzz/regressions/png/text_chunk_length_claim.png", -1));
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
  EXPECT_FALSE(
      LoadAudioSampleFile(std::string(KESTROVA_SOURCE_DIR) + "/tests/fuzz/regressions/ogg/rate_out_of_range.ogg"));
}

}  // namespace

namespace {

namespace fs = std::filesystem;

void Put(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

struct stat Stat(const std::string& path) {
  struct stat st {};
  lstat(path.c_str(), &st);
  return st;
}

TEST(HostileTargets, DevicesAndFifosAreWrittenThroughAndLinksStayLinks) {
  TempDir dir;
  // A device node: written through, still the node afterwards.
  const std::string node = dir.File("null");
  ASSERT_EQ(mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
  EXPECT_EQ(WriteFileAtomically(node, "report\n"), "");
  EXPECT_TRUE(S_ISCHR(Stat(node).st_mode));

  // A FIFO with a reader gets the bytes; one without fails at once instead of hanging.
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_NE(WriteFileAtomically(fifo, "x"), "");
  const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_EQ(WriteFileAtomically(fifo, "through"), "");
  char got[16] = {};
  EXPECT_EQ(read(reader, got, sizeof got), 7);
  EXPECT_STREQ(got, "through");
  close(reader);
  EXPECT_TRUE(S_ISFIFO(Stat(fifo).st_mode));

  // A descriptor's link (/dev/stdout is one) leads to a file already open: a pipe, or a file
  // the shell opened, which must stay the file it holds.
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  EXPECT_EQ(WriteFileAtomically("/dev/fd/" + std::to_string(pipeEnds[1]), "piped"), "");
  char piped[16] = {};
  EXPECT_EQ(read(pipeEnds[0], piped, sizeof piped), 5);
  EXPECT_STREQ(piped, "piped");
  close(pipeEnds[0]);
  close(pipeEnds[1]);
  const std::string opened = dir.File("opened.txt");
  Put(opened, "old text\n");
  const int held = open(opened.c_str(), O_WRONLY);
  EXPECT_EQ(WriteFileAtomically("/proc/self/fd/" + std::to_string(held), "new\n"), "");
  struct stat heldStat {};
  fstat(held, &heldStat);
  EXPECT_EQ(heldStat.st_ino, Stat(opened).st_ino);
  EXPECT_EQ(ReadWholeFile(opened), "new\n");
  close(held);

  // A link, relative and into another folder: the link stays, its target gets the text.
  fs::create_directory(dir.Path() / "real");
  Put(dir.File("real/settings.txt"), "old\n");
  fs::create_symlink("real/settings.txt", dir.Path() / "settings.txt");
  EXPECT_EQ(WriteFileAtomically(dir.File("settings.txt"), "new\n"), "");
  EXPECT_TRUE(fs::is_symlink(dir.Path() / "settings.txt"));
  EXPECT_EQ(ReadWholeFile(dir.File("real/settings.txt")), "new\n");
  // A link to what is not there yet makes its target.
  fs::create_symlink("real/later.txt", dir.Path() / "later.txt");
  EXPECT_EQ(WriteFileAtomically(dir.File("later.txt"), "made\n"), "");
  EXPECT_TRUE(fs::is_symlink(dir.Path() / "later.txt"));
  EXPECT_EQ(ReadWholeFile(dir.File("real/later.txt")), "made\n");
  // Links in a loop lead nowhere: refused, as a folder is, and the link stays.
  fs::create_symlink("loop", dir.Path() / "loop");
  EXPECT_EQ(WriteFileAtomically(dir.File("loop"), "x"), std::strerror(ELOOP));
  EXPECT_TRUE(fs::is_symlink(dir.Path() / "loop"));
  fs::create_directory(dir.Path() / "folder");
  EXPECT_EQ(WriteFileAtomically(dir.File("folder"), "x"), std::strerror(EISDIR));
}

TEST(HostileSources, OnlyRegularFilesUpToTheirLimitAreReadAndNothingIsWaitedOn) {
  TempDir dir;
  std::string text = "old";
  std::string why;
  const auto read = [&](const std::string& path) { return ReadFileWhole(path, 10, "a test file", text, why); };
  // Nothing there: no text and no reason.
  EXPECT_FALSE(read(dir.File("missing")));
  EXPECT_EQ(why, "");
  EXPECT_EQ(text, "");
  // A FIFO that nobody writes, a folder, a device: refused at once.
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(read(fifo));
  EXPECT_EQ(why, "it is not a regular file");
  EXPECT_FALSE(read(dir.Path().string()));
  EXPECT_EQ(why, "it is a folder");
  fs::create_symlink("/dev/zero", dir.Path() / "zero");
  EXPECT_FALSE(read(dir.File("zero")));
  EXPECT_EQ(why, "it is not a regular file");
  // The limit is read whole; one byte more is refused.
  Put(dir.File("ten"), "0123456789");
  EXPECT_TRUE(read(dir.File("ten")));
  EXPECT_EQ(text, "0123456789");
  EXPECT_EQ(why, "");
  Put(dir.File("eleven"), "0123456789a");
  EXPECT_FALSE(read(dir.File("eleven")));
  EXPECT_EQ(why, "it holds 11 bytes, more than a test file does (10 at most)");
  EXPECT_EQ(text, "");
  // The system's reason for the rest.
  Put(dir.File("locked"), "x");
  ASSERT_EQ(chmod(dir.File("locked").c_str(), 0), 0);
  if (geteuid() != 0) {
    EXPECT_FALSE(read(dir.File("locked")));
    EXPECT_EQ(why, "Permission denied");
  }
  // The text streams (config.txt, map.txt, pictures, sounds) open the same way.
  EXPECT_EQ(OpenReadStream(fifo, &why), nullptr);
  EXPECT_EQ(why, "it is not a regular file");
  EXPECT_EQ(OpenReadStream(dir.File("missing"), &why), nullptr);
  EXPECT_EQ(why, "No such file or directory");
  const TStreamPtr ten = OpenReadStream(dir.File("ten"), &why);
  ASSERT_NE(ten, nullptr);
  EXPECT_EQ(ten->ReadLine(), "0123456789");
}

TEST(HostileTargets, ReplacedFilesKeepTheirModeAndOwner) {
  TempDir dir;
  const std::string file = dir.File("settings.txt");
  Put(file, "old\n");
  ASSERT_EQ(chmod(file.c_str(), 0600), 0);
  ASSERT_EQ(chown(file.c_str(), 65534, 65534), 0);
  EXPECT_EQ(WriteFileAtomically(file, "new\n"), "");
  EXPECT_EQ(ReadWholeFile(file), "new\n");
  EXPECT_EQ(Stat(file).st_mode & 07777, 0600u);
  EXPECT_EQ(Stat(file).st_uid, 65534u);
  EXPECT_EQ(Stat(file).st_gid, 65534u);
}

TEST(HostileTargets, AWriterKilledMidwayLeavesNoTemporaryBehind) {
  TempDir dir;
  const std::string file = dir.File("shot.png");
  const std::string big(8 << 20, 'x');
  for (int round = 0; round < 12; ++round) {
    const pid_t writer = fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
      for (;;) WriteFileAtomically(file, big);
    }
    usleep(static_cast<useconds_t>(3000 + 4000 * round));
    kill(writer, SIGKILL);
    waitpid(writer, nullptr, 0);
    // The next write clears whatever a killed one could have left.
    ASSERT_EQ(WriteFileAtomically(file, "whole\n"), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), {}), 1) << "round " << round;
  }
  EXPECT_EQ(ReadWholeFile(file), "whole\n");
  // A temporary of a process still running is its write in progress, and stays.
  const std::string running = AtomicTempName(file, getppid());
  Put(running, "");
  EXPECT_EQ(WriteFileAtomically(file, "again\n"), "");
  EXPECT_TRUE(fs::exists(running));
}

TEST(HostileTargets, FilesNotMadeYetCollideThroughABindMount) {
  TempDir dir;
  fs::create_directories(dir.Path() / "a");
  fs::create_directories(dir.Path() / "b");
  if (mount(dir.File("a").c_str(), dir.File("b").c_str(), nullptr, MS_BIND, nullptr) != 0) {
    GTEST_SKIP() << "cannot bind-mount here: " << std::strerror(errno);
  }
  const bool same = SameFile(dir.File("a/n.demo"), dir.File("b/n.demo"));
  const bool other = SameFile(dir.File("a/n.demo"), dir.File("b/m.demo"));
  std::string error;
  const bool apart = FilesApart({{"--record", dir.File("a/n.demo")}, {"--report", dir.File("b/n.demo")}}, error);
  umount(dir.File("b").c_str());
  EXPECT_TRUE(same);
  EXPECT_FALSE(other);
  EXPECT_FALSE(apart);
  EXPECT_NE(error.find("name the same file"), std::string::npos) << error;
}

}  // namespace

// The demo file: what the recorder writes comes back answer for answer, unchanged answers cost
// next to nothing, and the reader names what is wrong with a file that is no demo.
#include "app/demos/demo.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../support/full_disk.h"
#include "../support/read_file.h"
#include "app/demos/session.h"
#include "platform/core/events.h"
#include "platform/files/atomic_file.h"
#include "platform/input/keys.h"
#include "platform/video/graphics.h"
#include "platform/video/recording_driver.h"
#include "rules/answers.h"

namespace {

struct Asked {
  TQuery query;
  int32_t code;
  int32_t answer;
};

// A file in memory with the given bytes, for the reader.
std::FILE* Bytes(const std::string& text) {
  std::FILE* file = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), file);
  std::rewind(file);
  return file;
}

std::string Record(const std::vector<std::vector<Asked>>& frames) {
  char* bytes = nullptr;
  size_t size = 0;
  {
    TDemoWriter writer(open_memstream(&bytes, &size));
    writer.WriteHeader({-5, {640, 480, 0, 60}, {400, 30, 160, 6, 16, 30, 10}});
    for (const auto& frame : frames) {
      for (const Asked& a : frame) EXPECT_EQ(writer.Answer(a.query, a.code, a.answer), a.answer);
      writer.EndFrame();
    }
    writer.WriteEnd({static_cast<int32_t>(frames.size()), 99, 1.5f, -0.1f, 3002});
  }
  std::string text(bytes, size);
  std::free(bytes);
  return text;
}

TEST(Demo, AnswersComeBackInTheOrderAskedAndUnchangedOnesCostNothing) {
  const int32_t wrapEdge = 2147483640;
  const std::vector<std::vector<Asked>> frames = {
      {{TQuery::KeyIsDown, 87, 1}, {TQuery::PointerX, 0, 530}, {TQuery::Clock, 0, wrapEdge}},
      // Unchanged: held key, pointer and clock as before.
      {{TQuery::KeyIsDown, 87, 1}, {TQuery::PointerX, 0, 530}, {TQuery::Clock, 0, wrapEdge}},
      // A key released in the middle of a frame, the clock across the 32-bit wrap, a press.
      {{TQuery::KeyIsDown, 87, 1},
       {TQuery::KeyIsDown, 87, 0},
       {TQuery::Clock, 0, -2147483640},
       {TQuery::Clock, 0, -2147483641},
       {TQuery::KeyPressed, 27, 2},
       {TQuery::ButtonIsDown, 1, 1},
       {TQuery::PointerY, 0, -7}},
      {},
  };
  const std::string text = Record(frames);
  EXPECT_NE(text.find("\nf\nf 1=0 2t16 3t-1 4=2 5=1 6=-7\nf\nend 4 99 1.5 -0.100000001 3002\n"), std::string::npos)
      << text;

  TDemoReader reader(Bytes(text), "d.demo");
  TDemoHeader header;
  ASSERT_TRUE(reader.ReadHeader(header)) << reader.Error();
  EXPECT_EQ(header.seed, -5);
  EXPECT_EQ(header.screen[1], 480);
  EXPECT_EQ(header.map[6], 10);
  for (const auto& frame : frames) {
    ASSERT_EQ(reader.ReadNext(), TDemoReader::Next::Frame);
    // The live answers are ignored: the recorded ones count.
    for (const Asked& a : frame) EXPECT_EQ(reader.Answer(a.query, a.code, 12345), a.answer);
    EXPECT_TRUE(reader.FrameUsedUp());
  }
  ASSERT_EQ(reader.ReadNext(), TDemoReader::Next::End);
  EXPECT_EQ(reader.Check(), (TDemoCheck{4, 99, 1.5f, -0.1f, 3002}));
  EXPECT_EQ(reader.ReadNext(), TDemoReader::Next::Cut);
}

TEST(Demo, AReplayThatAsksOtherwiseIsNoticed) {
  const std::string head = "kestrova-demo 1\nseed 1\nscreen 8 8 0 0\nmap 0 0 0 0 0 0 0\n";
  // Fewer questions than the line answers; a key asked where a clock reading was recorded;
  // a question after the end.
  for (const std::string& rest : {std::string("f 3=1\n"), std::string("f 0t5\n"), std::string("end 0 0 0 0 0\n")}) {
    TDemoReader reader(Bytes(head + rest), "d");
    TDemoHeader header;
    ASSERT_TRUE(reader.ReadHeader(header));
    reader.ReadNext();
    reader.Answer(TQuery::KeyIsDown, 38, 0);
    EXPECT_FALSE(reader.FrameUsedUp()) << rest;
  }
}

TEST(Demo, FilesThatAreNoDemoAreNamedWithTheirLine) {
  const std::string head = "kestrova-demo 1\nseed 1\nscreen 8 8 0 0\nmap 0 0 0 0 0 0 0\n";
  const struct {
    std::string text;
    bool header;  // whether the header reads
    TDemoReader::Next next;
    std::string error;
  } cases[] = {
      {"", false, {}, "d: not a Kestrova demo"},
      {"PNG\nseed 1\n", false, {}, "d: line 1: not a Kestrova demo"},
      {"kestrova-demo 2\n", false, {}, "d: line 1: a demo of format version 2"},
      {"kestrova-demo 1\nseed x\n", false, {}, "d: line 2: expected \"seed S\""},
      {"kestrova-demo 1\nseed 1\n", false, {}, "d: the demo ends inside its header"},
      {"kestrova-demo 1\nseed 1\nscreen 100000 8 0 0\n", false, {}, "d: line 3: a screen of 100000 x 8 pixels"},
      // A walk past the cap is refused as map.txt's would be, before anything is carved.
      {"kestrova-demo 1\nseed 1\nscreen 8 8 0 0\nmap 2147483647 9 9 9 9 9 9\n",
       false,
       {},
       "d: line 4: map values that ask for a walk of more than 16777216 steps"},
      // So is one of few steps that each stamp the whole world: hours of carving.
      {"kestrova-demo 1\nseed 1\nscreen 8 8 0 0\nmap 16000000 1 1 2047 2047 2047 3\n",
       false,
       {},
       "d: line 4: map values that ask for a walk of more than 16777216 steps or 4294967296 cells"},
      {head + "f 3=1 2=0\n", true, TDemoReader::Next::Bad, "d: line 5: \"2=0\" is no answer"},
      {head + "f 2=1 2=0\n", true, TDemoReader::Next::Bad, "d: line 5: \"2=0\" is no answer"},
      {head + "f 0=1 1t-5 2=0\n", true, TDemoReader::Next::Frame, ""},
      {head + "f 99999999999=1\n", true, TDemoReader::Next::Bad, "is no answer"},
      {head + "c 1 2 3\n", true, TDemoReader::Next::Bad, "d: line 5: expected \"c FRAME RNG X Y FIGURES\""},
      {head + "zz\n", true, TDemoReader::Next::Bad, "d: line 5: \"zz\" is no demo record"},
      {head + std::string(kDemoMaxLine + 1, 'f') + "\n", true, TDemoReader::Next::Bad, "d: line 5 is longer"},
      {head + "f 1=1", true, TDemoReader::Next::Cut, ""},  // cut in the middle of its last line
  };
  for (const auto& c : cases) {
    TDemoReader reader(Bytes(c.text), "d");
    TDemoHeader header;
    EXPECT_EQ(reader.ReadHeader(header), c.header) << c.text.substr(0, 80);
    if (c.header) {
      EXPECT_EQ(reader.ReadNext(), c.next) << c.text.substr(0, 80);
    }
    if (c.error.empty()) {
      EXPECT_EQ(reader.Error(), "");
    } else {
      EXPECT_NE(reader.Error().find(c.error), std::string::npos) << reader.Error();
    }
  }
}

TEST(Demo, EscapeStopsWatchingAReplayWhereTheRulesAskForNoEscape) {
  ASSERT_TRUE(OpenHeadlessScreen(std::make_shared<TRecordingDriver>(), 8, 8, 0, 0, 0));
  const std::string path = ::testing::TempDir() + "kestrova_escape.demo";
  const std::string demo = "kestrova-demo 1\nseed 1\nscreen 8 8 0 0\nmap 0 0 0 0 0 0 0\nf\nf\nf\n";
  std::ofstream(path) << demo << "end 3 1 0 0 0\n";
  TGameSession session;
  EXPECT_EQ(session.DemoEndFrame(), std::nullopt);
  ASSERT_TRUE(session.Replay(path)) << session.Message();
  // The demo is opened once: its length comes from the file being replayed, never from
  // whatever the name holds now (a FIFO there would hold the game for ever).
  std::ofstream(path + ".new") << demo << "end 9 1 0 0 0\n";
  std::filesystem::rename(path + ".new", path);
  EXPECT_EQ(session.DemoEndFrame(), 3);
  ASSERT_TRUE(session.PlayStarts());
  EXPECT_TRUE(session.FrameDone(false)) << "nothing pressed: the replay goes on";
  InjectEvent({EVENT_KEYDOWN, KEY_ESCAPE});
  EXPECT_FALSE(session.FrameDone(false));
  EXPECT_EQ(session.Result(), TGameSession::kDone);
  SetAnswerTap(nullptr);
  CloseScreen();
  SetGraphicsDriver(nullptr);
}

TEST(Demo, AReportOnAFullDiskLeavesTheEarlierOneWhole) {
  const TFullDisk disk;
  if (!disk.Mounted()) GTEST_SKIP() << "cannot mount a file system here";
  const std::string path = disk.Path("report.txt");
  ASSERT_EQ(WriteFileAtomically(path, "the earlier report\n"), "");
  disk.Fill();
  TGameSession session;
  session.ReportTo(path);
  session.PlayEnds(true);
  EXPECT_EQ(session.Result(), TGameSession::kFileFailed);
  EXPECT_EQ(session.Message(), "cannot write the report " + path + ": No space left on device");
  EXPECT_EQ(ReadWholeFile(path), "the earlier report\n");
  EXPECT_EQ(disk.Names(), std::vector<std::string>{"report.txt"}) << "no partial file is left";
}

TEST(Demo, AFileThatCannotBeWrittenEndsTheRecordingNotTheGame) {
  TDemoWriter full(std::fopen("/dev/full", "w"));
  full.WriteHeader({});
  EXPECT_EQ(full.Answer(TQuery::KeyIsDown, 87, 1), 1);
  full.EndFrame();
  EXPECT_EQ(full.Failed(), "No space left on device");

  TGameSession session;
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(session.CheckRecordTarget("/nonexistent/game.demo"));
  session.Record("/nonexistent/game.demo", 1);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "Kestrova: warning: cannot write the demo /nonexistent/game.demo: No such file or directory; the game goes "
            "on without it\n");
  EXPECT_EQ(session.Result(), TGameSession::kDone);
}

}  // namespace

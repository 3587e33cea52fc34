// Demos: a recorded game that plays back exactly. A demo holds what the run took from outside
// the game rules: the seed, the screen settings, the seven world parameters and, frame by
// frame, the answer of every input query and every clock reading the rules made, in the order
// they were asked. Check values every few frames let a replay notice the first frame where it
// leaves the recorded game.
//
// The file is text with LF line ends:
//   kestrova-demo 1
//   seed S
//   screen W H DEPTH HERTZ
//   map P1 P2 P3 P4 P5 P6 P7
//   f [TOKEN ...]            one line per frame, see below
//   c FRAME RNG X Y FIGURES  after every kCheckEvery-th frame
//   end FRAME RNG X Y FIGURES
// A frame line lists only the answers that differ from what the reader predicts: for an input
// query, the last answer to the same query (0 at first; always 0 for KeyPressed); for a clock
// reading, the reading before it. Answers are numbered from 0 in the order asked within the
// frame; "I=V" says answer I was V, "ItD" says clock reading I was the previous one plus D.
#pragma once
#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rules/answers.h"

inline constexpr const char* kDemoFormat = "kestrova-demo";
inline constexpr int32_t kDemoVersion = 1;
inline constexpr int32_t kCheckEvery = 10;
// The header's lines come first, in this order, so the map line is always this one.
inline constexpr int32_t kDemoMapLine = 4;

struct TDemoHeader {
  int32_t seed = 0;
  std::array<int32_t, 4> screen{};  // width, height, depth, hertz
  std::array<int32_t, 7> map{};
};

// What a replay compares after a frame: the generator's state, the player's position and the
// number of figures. Positions are compared as written, to the last bit of their floats.
struct TDemoCheck {
  int32_t frame = 0;
  int32_t rng = 0;
  float x = 0;
  float y = 0;
  int32_t figures = 0;
  bool operator==(const TDemoCheck&) const = default;
};

// The predictions both sides make, so a frame line holds only the surprises.
class TAnswerPredictor {
 public:
  int32_t Predict(TQuery query, int32_t code) const;
  void Learn(TQuery query, int32_t code, int32_t answer);

 private:
  static int Slot(TQuery query, int32_t code);
  std::array<int32_t, 5 * 256> last_{};
  int32_t clock_ = 0;
};

// Writes a demo as the game goes: the header, then each frame's answers as the tap sees them.
// The whole text is kept in memory (a game's demo is some 90 KB a minute), to be kept among
// the games or saved with the game; a file, if given, gets every frame flushed, so a crash or
// a kill leaves a demo that replays up to there. When a write fails, the file is given up and
// Failed() says why; the text in memory and the game go on.
class TDemoWriter : public TAnswerTap {
 public:
  // Takes an open file (closed by the writer), or none.
  explicit TDemoWriter(std::FILE* file);
  ~TDemoWriter() override;
  TDemoWriter(const TDemoWriter&) = delete;
  TDemoWriter& operator=(const TDemoWriter&) = delete;

  void WriteHeader(const TDemoHeader& header);
  int32_t Answer(TQuery query, int32_t code, int32_t live) override;
  void EndFrame();
  void WriteCheck(const TDemoCheck& check);
  void WriteEnd(const TDemoCheck& check);
  // Empty while all went well; else the reason the file could not be written.
  const std::string& Failed() const { return failed_; }
  // The demo so far.
  const std::string& Text() const { return text_; }

 private:
  void Put(const std::string& line);
  std::FILE* file_;
  std::string text_;
  TAnswerPredictor predictor_;
  std::string line_ = "f";
  int32_t index_ = 0;
  std::string failed_;
};

// Reads a demo line by line, so a long or hostile file never takes more memory than its
// longest allowed line. Serves the recorded answers to the rules as a tap.
class TDemoReader : public TAnswerTap {
 public:
  enum class Next { Frame, Check, End, Cut, Bad };

  // Takes an open file (closed by the reader). `name` is used in messages.
  TDemoReader(std::FILE* file, std::string name);
  ~TDemoReader() override;
  TDemoReader(const TDemoReader&) = delete;
  TDemoReader& operator=(const TDemoReader&) = delete;

  // Reads the four header lines; false with Error() set when the file is no demo of ours.
  bool ReadHeader(TDemoHeader& header);
  // Reads the next record. Frame: its answers are served from now on. Check and End: Check()
  // holds the values. Cut: the file ends before its end record (a crash or a kill). Bad: a
  // malformed line, Error() says which.
  Next ReadNext();
  const TDemoCheck& Check() const { return check_; }
  const std::string& Error() const { return error_; }

  int32_t Answer(TQuery query, int32_t code, int32_t live) override;
  // True when the frame's rules asked for every answer its line holds and no answer beyond
  // the frame was asked for; a replay that took another path leaves some unused.
  bool FrameUsedUp() const;
  // The descriptor of the file read; -1 for a demo read from memory.
  int Descriptor() const { return fileno(file_); }
  // Whether the replay's own window saw Escape asked for during play (the viewer's stop).
  bool ViewerPressedEscape() const { return viewerEscape_; }

 private:
  struct TToken {
    int32_t index;
    bool clock;
    int32_t value;
  };
  bool ReadLine(std::string& line);
  bool Bad(const std::string& why);
  bool ParseFrame(const std::string& line);
  bool ParseCheck(const std::string& body, TDemoCheck& check);

 public:
  // Where the reading stands between two frames, to come back to (a viewer going back).
  struct TPlace {
    long offset = 0;
    int64_t lineNumber = 0;
    TAnswerPredictor predictor;
    std::vector<TToken> tokens;
    size_t nextToken = 0;
    int32_t index = 0;
    bool inFrame = false;
    bool overrun = false;
    TDemoCheck check;
  };
  TPlace Place() const;
  // Reads on from a place of this file; false when the file cannot go back there.
  bool Resume(const TPlace& place);

 private:
  std::FILE* file_;
  std::string name_;
  int64_t lineNumber_ = 0;
  TAnswerPredictor predictor_;
  std::vector<TToken> tokens_;
  size_t nextToken_ = 0;
  int32_t index_ = 0;
  bool inFrame_ = false;
  bool overrun_ = false;
  bool viewerEscape_ = false;
  TDemoCheck check_;
  std::string error_;
};

// The file's lines may be no longer than this.
inline constexpr size_t kDemoMaxLine = 1 << 20;
// Nor may the whole file be larger: a busy game's demo takes some 25 bytes a frame, 4.5 MB an
// hour at 50 frames a second, so this is some 200 hours of play.
inline constexpr int64_t kDemoMostBytes = int64_t{1} << 30;
// Nor may its screen be wider or higher than any texture the game makes.
inline constexpr int32_t kDemoMaxScreenSide = 16384;

// The frame count of the demo's end record, its last line; none for a demo cut short (or no
// demo at all). From the demo's text or its end, or from the file open on `file`, of which
// only the tail is read, and only when it is a regular file.
std::optional<int32_t> DemoEndFrame(std::string_view tail);
std::optional<int32_t> DemoEndFrame(int file);

// Why a demo whose map line leaves no land is refused: the game stops before play in such a
// world, so no game was ever recorded in it.
std::string DemoWithoutLand(const std::string& name);

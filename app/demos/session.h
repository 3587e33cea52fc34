// One run of the game with what its command line asked for: a fixed seed, a demo recorded or
// replayed, and a report of the state when play ends. Watches the game loop from outside the
// rules (app/run_watcher.h), so a run without options is the plain game.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/demos/demo.h"
#include "app/demos/report.h"
#include "app/demos/run_watcher.h"

class TGameSession : public TRunWatcher {
 public:
  // Exit statuses of a replay (and of a run whose report could not be written).
  enum Status : int { kDone = 0, kFileFailed = 1, kNotADemo = 2, kDesync = 3, kCut = 4 };

  TGameSession() = default;
  TGameSession(const TGameSession&) = delete;
  TGameSession& operator=(const TGameSession&) = delete;
  ~TGameSession() override;

  // Looks at a demo's target before any window opens: false (kFileFailed, Message() saying
  // why) for one nothing can be written to without waiting for ever, a FIFO no process reads.
  // A target that is no regular file is opened here; a file is made only when play begins,
  // and one whose place cannot take it gets the warning of Record at once.
  bool CheckRecordTarget(const std::string& path);
  // Records into the file from the start of play; the file is created or emptied then, so a
  // game ended while loading leaves an earlier file as it was. A file that cannot be opened
  // or written gives one warning on stderr, and the game goes on without its demo.
  void Record(const std::string& path, int32_t seed);
  // The seed the demo of the game played names (Record's, unless told here).
  void Seed(int32_t seed) { header_.seed = seed; }
  // Opens a demo and reads its header; false when it is no demo (Message() says why).
  bool Replay(const std::string& path);
  // Goes on with a saved game: its first `frames` frames are played again from its demo, then
  // the game goes on live, its demo written on (see DemoText). `name` is used in messages.
  // False when the demo is no demo (Message() says why).
  bool Continue(const std::string& demo, int32_t frames, const std::string& name);
  // True once a continued game has run its saved frames again (at once for any other).
  bool CaughtUp() const { return !reader_ || replaying_; }
  // The demo of the game played (not replayed) so far; empty before play.
  std::string DemoText() const { return writer_ ? writer_->Text() : std::string(); }
  // The game was saved to be continued: no end record goes into its demo.
  void MarkSaved() { saved_ = true; }
  const TDemoHeader& Header() const { return header_; }
  const std::string& DemoPath() const { return demoPath_; }
  // The frame count of the replayed demo's end record; none for a demo cut short or no replay.
  std::optional<int32_t> DemoEndFrame() const;
  bool Replaying() const { return reader_ != nullptr; }
  // Writes the report to the file when play ends.
  void ReportTo(const std::string& path) { reportPath_ = path; }
  // The report as play ended (empty before).
  const std::string& ReportText() const { return report_; }

  // Where a replay stands between two frames of play: the demo's reading, the counts and
  // the figures' ids, to come back to with a copy of the game as it was there.
  struct TPlace {
    TDemoReader::TPlace reader;
    int32_t frames = 0;
    int32_t playFrames = 0;
    FigureIds ids;
  };
  TPlace Place() const;
  // Replays on from the place, the game having been put back as it was there (the place's ids
  // naming its figures); false when the demo cannot be read from there again.
  bool GoBack(const TPlace& place);
  // The frames run so far, of play and of the score screen.
  int32_t Frames() const { return frames_; }

  bool PlayStarts() override;
  bool FrameDone(bool lastFrame) override;
  void PlayEnds(bool scoreScreen) override;

  // kDone, or why the run ended otherwise, with Message() saying so.
  Status Result() const { return status_; }
  const std::string& Message() const { return message_; }

 private:
  TDemoCheck Current() const;
  bool Advance(bool lastFrame);
  bool Stop(Status status, const std::string& message);
  void WarnDemoFailed(const std::string& why);
  void WarnIfDemoFailed();
  std::FILE* OpenDemo();
  bool FinishCatchUp();

  // While a saved game's frames run again: the saved demo's answers, written down anew.
  struct TCatchUp : TAnswerTap {
    TCatchUp() = default;
    TCatchUp(TDemoReader* r, TDemoWriter* w) : reader(r), writer(w) {}
    int32_t Answer(TQuery query, int32_t code, int32_t live) override;
    TDemoReader* reader = nullptr;
    TDemoWriter* writer = nullptr;
  };

  std::string demoPath_;
  bool replaying_ = false;
  std::string savedDemo_;  // a continued game's saved demo, read from memory
  int32_t continueAt_ = 0;
  TCatchUp catchUp_;
  bool saved_ = false;
  bool demoWarned_ = false;
  bool recording_ = false;
  bool demoRefused_ = false;  // the demo's target was found unwritable and named
  int demoTarget_ = -1;       // the demo's target opened in place (no regular file), else -1
  std::unique_ptr<TDemoWriter> writer_;
  std::unique_ptr<TDemoReader> reader_;
  TDemoHeader header_;
  std::string reportPath_;
  std::string report_;
  FigureIds ids_;
  int32_t frames_ = 0;
  int32_t playFrames_ = 0;
  bool playing_ = false;
  Status status_ = kDone;
  std::string message_;
};

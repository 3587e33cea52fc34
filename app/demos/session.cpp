#include "app/demos/session.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "actors/tfigur.h"
#include "platform/files/atomic_file.h"
#include "platform/files/whole_file.h"
#include "platform/input/input.h"
#include "platform/input/keys.h"
#include "rules/answers.h"
#include "rules/random.h"
#include "state/game.h"
#include "world/tmap.h"

void TGameSession::WarnDemoFailed(const std::string& why) {
  std::fprintf(stderr, "Kestrova: warning: cannot write the demo %s: %s; the game goes on without it\n",
               demoPath_.c_str(), why.c_str());
}

TGameSession::~TGameSession() {
  if (demoTarget_ >= 0) close(demoTarget_);
}

bool TGameSession::CheckRecordTarget(const std::string& path) {
  demoPath_ = path;
  struct stat st {};
  const bool exists = stat(path.c_str(), &st) == 0;
  if (!exists || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) {
    // The file is made when play begins; a place that cannot take it is named at once.
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    if (exists && S_ISDIR(st.st_mode)) errno = EISDIR;
    if ((exists && S_ISDIR(st.st_mode)) || access(exists ? path.c_str() : folder.c_str(), W_OK) != 0) {
      WarnDemoFailed(std::strerror(errno));
      demoRefused_ = true;
    }
    return true;
  }
  // Opened without waiting: a FIFO that no process reads would hold the game before its window.
  demoTarget_ = open(path.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (demoTarget_ < 0) {
    const std::string why =
        errno == ENXIO && S_ISFIFO(st.st_mode) ? "it is a FIFO that no process reads" : std::strerror(errno);
    return Stop(kFileFailed, "cannot write the demo " + path + ": " + why);
  }
  fcntl(demoTarget_, F_SETFL, fcntl(demoTarget_, F_GETFL) & ~O_NONBLOCK);
  return true;
}

void TGameSession::Record(const std::string& path, int32_t seed) {
  demoPath_ = path;
  header_.seed = seed;
  recording_ = !demoRefused_;
}

// The demo's file, if one was asked for and can be had; the demo is kept in memory anyway.
std::FILE* TGameSession::OpenDemo() {
  if (!recording_) return nullptr;
  recording_ = false;
  std::FILE* file = demoTarget_ >= 0 ? fdopen(demoTarget_, "wb") : std::fopen(demoPath_.c_str(), "wb");
  if (file == nullptr) {
    WarnDemoFailed(std::strerror(errno));
    return nullptr;
  }
  demoTarget_ = -1;
  return file;
}

bool TGameSession::Replay(const std::string& path) {
  demoPath_ = path;
  std::string why;
  const int fd = OpenFileToRead(path, kDemoMostBytes, "a demo", why);
  std::FILE* file = fd < 0 ? nullptr : fdopen(fd, "rb");
  replaying_ = true;
  if (file == nullptr) {
    if (fd >= 0) {
      why = std::strerror(errno);
      close(fd);
    }
    return Stop(kNotADemo, "cannot read the demo " + path + ": " + (why.empty() ? std::strerror(ENOENT) : why));
  }
  reader_ = std::make_unique<TDemoReader>(file, path);
  if (!reader_->ReadHeader(header_)) return Stop(kNotADemo, reader_->Error());
  return true;
}

std::optional<int32_t> TGameSession::DemoEndFrame() const {
  if (!reader_) return std::nullopt;
  if (!savedDemo_.empty()) return ::DemoEndFrame(std::string_view(savedDemo_));
  return ::DemoEndFrame(reader_->Descriptor());
}

bool TGameSession::Continue(const std::string& demo, int32_t frames, const std::string& name) {
  demoPath_ = name;
  savedDemo_ = demo;
  continueAt_ = frames;
  std::FILE* file = fmemopen(savedDemo_.data(), savedDemo_.size(), "rb");
  if (file == nullptr) return Stop(kFileFailed, "cannot read the saved game " + name + ": " + std::strerror(errno));
  reader_ = std::make_unique<TDemoReader>(file, name);
  if (!reader_->ReadHeader(header_)) return Stop(kNotADemo, reader_->Error());
  return true;
}

int32_t TGameSession::TCatchUp::Answer(TQuery query, int32_t code, int32_t live) {
  return writer->Answer(query, code, reader->Answer(query, code, live));
}

TGameSession::TPlace TGameSession::Place() const {
  return {reader_ ? reader_->Place() : TDemoReader::TPlace{}, frames_, playFrames_, ids_};
}

bool TGameSession::GoBack(const TPlace& place) {
  if (!reader_ || !reader_->Resume(place.reader)) {
    return Stop(kNotADemo, "cannot read the demo " + demoPath_ + " again");
  }
  frames_ = place.frames;
  playFrames_ = place.playFrames;
  ids_ = place.ids;
  playing_ = true;
  return true;
}

TDemoCheck TGameSession::Current() const {
  return {frames_, RandomState(), game.player->X, game.player->Y, game.figureList ? game.figureList->Count() : 0};
}

bool TGameSession::Stop(Status status, const std::string& message) {
  status_ = status;
  message_ = message;
  return false;
}

bool TGameSession::PlayStarts() {
  ids_ = NumberFigures();
  playing_ = true;
  if (!replaying_) {
    writer_ = std::make_unique<TDemoWriter>(OpenDemo());
    header_.screen = {game.screenW, game.screenH, game.screenDepth, game.screenHertz};
    header_.map = {game.pathCount,  game.pathLengthA, game.pathLengthB, game.pathWidthA,
                   game.pathWidthB, game.roomSizeMax, game.roomChance};
    writer_->WriteHeader(header_);
    SetAnswerTap(writer_.get());
  }
  if (!reader_) return true;
  if (!replaying_) {
    // A saved game: its frames again from the saved demo, written down anew as they are served.
    catchUp_ = {reader_.get(), writer_.get()};
    SetAnswerTap(&catchUp_);
    if (continueAt_ == 0) return FinishCatchUp();
  } else {
    SetAnswerTap(reader_.get());
  }
  return Advance(false);
}

// The saved game's last frame has run: what follows the saved frames must be no more of them,
// and the game goes on live from here.
bool TGameSession::FinishCatchUp() {
  const std::string at = demoPath_ + ": frame " + std::to_string(frames_) + ": ";
  for (;;) {
    const TDemoReader::Next next = reader_->ReadNext();
    if (next == TDemoReader::Next::Cut) break;
    if (next == TDemoReader::Next::Bad) return Stop(kNotADemo, reader_->Error());
    if (next != TDemoReader::Next::Check) return Stop(kNotADemo, at + "the saved game holds more frames than it says");
    if (reader_->Check() != Current()) return Stop(kDesync, at + "the continued game left the saved one");
  }
  reader_.reset();
  SetAnswerTap(writer_.get());
  return true;
}

// Reads the records after a frame up to the next frame's answers; false when the replay ends
// here, with the status saying whether it ended as recorded.
bool TGameSession::Advance(bool lastFrame) {
  const std::string at = demoPath_ + ": frame " + std::to_string(frames_) + ": ";
  for (;;) {
    const TDemoReader::Next next = reader_->ReadNext();
    switch (next) {
      case TDemoReader::Next::Frame:
        if (lastFrame) return Stop(kDesync, at + "the replayed game ended, but the demo goes on");
        return true;
      case TDemoReader::Next::Check:
      case TDemoReader::Next::End: {
        const TDemoCheck& want = reader_->Check();
        const TDemoCheck have = Current();
        if (want != have) {
          char text[320];
          std::snprintf(text, sizeof text,
                        "the replay left the recorded game: recorded frame %d rng %d player %.9g %.9g figures %d, "
                        "replayed frame %d rng %d player %.9g %.9g figures %d",
                        want.frame, want.rng, static_cast<double>(want.x), static_cast<double>(want.y), want.figures,
                        have.frame, have.rng, static_cast<double>(have.x), static_cast<double>(have.y), have.figures);
          return Stop(kDesync, at + text);
        }
        if (next == TDemoReader::Next::Check) break;
        // A game ended by a stop signal has its end record right after play: no score screen.
        // On the score screen the player may have left by a key past the rules (another game,
        // watching this one): the end record says when.
        const bool playOver = playing_ && game.gameState != TGamePhase::Running;
        if (!lastFrame && !playOver && playing_) {
          return Stop(kDesync, at + "the demo ends here, but the replayed game goes on");
        }
        return Stop(kDone, "");
      }
      case TDemoReader::Next::Cut:
        return Stop(kCut, at + "the demo stops before its end record (cut short by a crash or a kill); the state is "
                               "that of its last complete frame");
      case TDemoReader::Next::Bad:
        return Stop(kNotADemo, reader_->Error());
    }
  }
}

bool TGameSession::FrameDone(bool lastFrame) {
  ++frames_;
  if (playing_) playFrames_ = frames_;
  if (writer_) {
    writer_->EndFrame();
    if (frames_ % kCheckEvery == 0) writer_->WriteCheck(Current());
    if (lastFrame) writer_->WriteEnd(Current());
    WarnIfDemoFailed();
  }
  if (!reader_) return true;
  if (!reader_->FrameUsedUp()) {
    return Stop(kDesync, demoPath_ + ": frame " + std::to_string(frames_) +
                             ": the replay left the recorded game (it asked for other input than the demo holds)");
  }
  if (!replaying_) return frames_ < continueAt_ ? Advance(false) : FinishCatchUp();
  // The viewer of a replay in the window stops it with Escape or the close button.
  if (reader_->ViewerPressedEscape() || KeyPressedLive(KEY_ESCAPE) != 0 || AppTerminate() != 0) return Stop(kDone, "");
  return Advance(lastFrame);
}

void TGameSession::WarnIfDemoFailed() {
  if (writer_->Failed().empty() || demoWarned_) return;
  WarnDemoFailed(writer_->Failed());
  demoWarned_ = true;
}

void TGameSession::PlayEnds(bool scoreScreen) {
  playing_ = false;
  // A saved game is not over: its demo goes on when it is continued.
  if (writer_ && !scoreScreen && !saved_) {
    writer_->WriteEnd(Current());
    WarnIfDemoFailed();
  }
  report_ = StateReport(playFrames_, ids_);
  if (reportPath_.empty()) return;
  const std::string problem = WriteFileAtomically(reportPath_, report_);
  if (!problem.empty() && status_ == kDone)
    Stop(kFileFailed, "cannot write the report " + reportPath_ + ": " + problem);
}

#include "app/demos/demo.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "platform/files/whole_file.h"
#include "platform/input/keys.h"
#include "platform/system/clock.h"
#include "platform/text/words.h"
#include "rules/answers.h"
#include "rules/random.h"
#include "world/tmap.h"

namespace {

std::string Real(float v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(v));
  return buf;
}

std::string CheckText(const TDemoCheck& c) {
  return std::to_string(c.frame) + ' ' + std::to_string(c.rng) + ' ' + Real(c.x) + ' ' + Real(c.y) + ' ' +
         std::to_string(c.figures);
}

// The text in double quotes.
std::string Quoted(std::string_view text) {
  std::string quoted(1, '"');
  quoted += text;
  quoted += '"';
  return quoted;
}

// A demo's words are separated by spaces alone.
constexpr std::string_view kSpace = " ";

bool ToFloat(std::string_view text, float& value) {
  const std::string copy(text);
  char* end = nullptr;
  errno = 0;
  value = std::strtof(copy.c_str(), &end);
  return !copy.empty() && end == copy.c_str() + copy.size() && errno == 0;
}

// "NAME v1 v2 ...", exactly `count` whole numbers after the name.
template <size_t N>
bool ParseInts(std::string_view line, std::string_view name, std::array<int32_t, N>& out) {
  const auto w = Words(line, kSpace);
  if (w.size() != N + 1 || w[0] != name) return false;
  for (size_t i = 0; i < N; ++i) {
    if (!ParseInt(w[i + 1], out[i])) return false;
  }
  return true;
}

}  // namespace

int TAnswerPredictor::Slot(TQuery query, int32_t code) {
  if (query == TQuery::Clock || code < 0 || code > 255) return -1;
  return static_cast<int>(query) * 256 + code;
}

int32_t TAnswerPredictor::Predict(TQuery query, int32_t code) const {
  if (query == TQuery::Clock) return clock_;
  // Presses are rare: a count of none is the likely answer whatever came before.
  if (query == TQuery::KeyPressed) return 0;
  const int slot = Slot(query, code);
  return slot < 0 ? 0 : last_[static_cast<size_t>(slot)];
}

void TAnswerPredictor::Learn(TQuery query, int32_t code, int32_t answer) {
  if (query == TQuery::Clock) {
    clock_ = answer;
    return;
  }
  const int slot = Slot(query, code);
  if (slot >= 0) last_[static_cast<size_t>(slot)] = answer;
}

// --- Writing ---

TDemoWriter::TDemoWriter(std::FILE* file) : file_(file) {}

TDemoWriter::~TDemoWriter() {
  if (file_ != nullptr) std::fclose(file_);
}

void TDemoWriter::Put(const std::string& line) {
  text_ += line;
  if (file_ == nullptr) return;
  if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0) {
    failed_ = std::strerror(errno);
    std::fclose(file_);
    file_ = nullptr;
  }
}

void TDemoWriter::WriteHeader(const TDemoHeader& h) {
  std::string text = std::string(kDemoFormat) + ' ' + std::to_string(kDemoVersion) + '\n';
  text += "seed " + std::to_string(h.seed) + '\n';
  text += "screen";
  for (int32_t v : h.screen) text += ' ' + std::to_string(v);
  text += "\nmap";
  for (int32_t v : h.map) text += ' ' + std::to_string(v);
  text += '\n';
  Put(text);
}

int32_t TDemoWriter::Answer(TQuery query, int32_t code, int32_t live) {
  const int32_t predicted = predictor_.Predict(query, code);
  if (live != predicted) {
    const bool clock = query == TQuery::Clock;
    line_ += ' ';
    line_ += std::to_string(index_);
    line_ += clock ? 't' : '=';
    line_ += std::to_string(clock ? ClockDiff(live, predicted) : live);
  }
  predictor_.Learn(query, code, live);
  ++index_;
  return live;
}

void TDemoWriter::EndFrame() {
  line_ += '\n';
  Put(line_);
  line_.assign(1, 'f');
  index_ = 0;
}

void TDemoWriter::WriteCheck(const TDemoCheck& check) { Put("c " + CheckText(check) + '\n'); }

void TDemoWriter::WriteEnd(const TDemoCheck& check) { Put("end " + CheckText(check) + '\n'); }

// --- Reading ---

TDemoReader::TDemoReader(std::FILE* file, std::string name) : file_(file), name_(std::move(name)) {}

TDemoReader::~TDemoReader() {
  if (file_ != nullptr) std::fclose(file_);
}

bool TDemoReader::ReadLine(std::string& line) {
  line.clear();
  for (;;) {
    const int c = std::getc(file_);
    if (c == EOF) return false;  // a last line without its LF was cut short
    if (c == '\n') break;
    if (line.size() >= kDemoMaxLine) {
      error_ = name_ + ": line " + std::to_string(lineNumber_ + 1) + " is longer than any demo line";
      return false;
    }
    line.push_back(static_cast<char>(c));
  }
  ++lineNumber_;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

bool TDemoReader::Bad(const std::string& why) {
  error_ = name_ + ": line " + std::to_string(lineNumber_) + ": " + why;
  return false;
}

bool TDemoReader::ReadHeader(TDemoHeader& header) {
  std::string line;
  if (!ReadLine(line)) {
    if (error_.empty()) error_ = name_ + ": not a Kestrova demo (it holds no complete first line)";
    return false;
  }
  const auto w = Words(line, kSpace);
  if (w.size() != 2 || w[0] != kDemoFormat)
    return Bad("not a Kestrova demo (the first line is not \"kestrova-demo 1\")");
  if (w[1] != std::to_string(kDemoVersion)) {
    return Bad("a demo of format version " + std::string(w[1]) + "; this game plays version " +
               std::to_string(kDemoVersion));
  }
  std::array<int32_t, 1> seed{};
  const char* const expected[] = {"seed S", "screen WIDTH HEIGHT DEPTH HERTZ", "map and its seven values"};
  for (int i = 0; i < 3; ++i) {
    if (!ReadLine(line)) {
      if (error_.empty()) error_ = name_ + ": the demo ends inside its header, before " + Quoted(expected[i]);
      return false;
    }
    const bool ok = i == 0   ? ParseInts(line, "seed", seed)
                    : i == 1 ? ParseInts(line, "screen", header.screen)
                             : ParseInts(line, "map", header.map);
    if (!ok) return Bad("expected " + Quoted(expected[i]));
    // Kept at once: a header refused for its map still tells which seed its walk was counted with.
    if (i == 0) header.seed = seed[0];
    // A replay draws every frame at this size: a forged one must not take hours a frame.
    const auto side = [](int32_t v) { return v >= 1 && v <= kDemoMaxScreenSide; };
    if (i == 1 && !(side(header.screen[0]) && side(header.screen[1]))) {
      return Bad("a screen of " + std::to_string(header.screen[0]) + " x " + std::to_string(header.screen[1]) +
                 " pixels, which no game opens (1 to " + std::to_string(kDemoMaxScreenSide) + " a side)");
    }
    // Nor may its world take days to carve: the bounds map.txt has, decided before carving.
    if (i == 2 && !WalkFits(header.map, SeededState(seed[0]))) {
      return Bad("map values that ask for a walk of more than " + std::to_string(kMaxCarveSteps) + " steps or " +
                 std::to_string(kMaxCarveCells) + " cells, which no game carves");
    }
  }
  return true;
}

bool TDemoReader::ParseFrame(const std::string& line) {
  const auto w = Words(line, kSpace);
  tokens_.clear();
  int64_t previous = -1;
  for (size_t i = 1; i < w.size(); ++i) {
    const size_t op = w[i].find_first_of("=t");
    TToken t{};
    if (op == std::string_view::npos || !ParseInt(w[i].substr(0, op), t.index) ||
        !ParseInt(w[i].substr(op + 1), t.value) || t.index <= previous) {
      return Bad(Quoted(w[i]) + " is no answer (INDEX=VALUE or INDEXtDELTA, indices rising)");
    }
    t.clock = w[i][op] == 't';
    previous = t.index;
    tokens_.push_back(t);
  }
  nextToken_ = 0;
  index_ = 0;
  inFrame_ = true;
  return true;
}

bool TDemoReader::ParseCheck(const std::string& body, TDemoCheck& check) {
  const auto w = Words(body, kSpace);
  return w.size() == 5 && ParseInt(w[0], check.frame) && ParseInt(w[1], check.rng) && ToFloat(w[2], check.x) &&
         ToFloat(w[3], check.y) && ParseInt(w[4], check.figures);
}

TDemoReader::Next TDemoReader::ReadNext() {
  // The previous frame's answers are over, whatever comes next.
  inFrame_ = false;
  std::string line;
  if (!ReadLine(line)) return error_.empty() ? Next::Cut : Next::Bad;
  const std::string_view head = std::string_view(line).substr(0, line.find(' '));
  if (head == "f") return ParseFrame(line) ? Next::Frame : Next::Bad;
  if (head == "c" || head == "end") {
    if (!ParseCheck(line.substr(head.size()), check_)) {
      Bad("expected " + Quoted(std::string(head) + " FRAME RNG X Y FIGURES"));
      return Next::Bad;
    }
    return head == "c" ? Next::Check : Next::End;
  }
  Bad(Quoted(head) + " is no demo record (f, c or end)");
  return Next::Bad;
}

int32_t TDemoReader::Answer(TQuery query, int32_t code, int32_t live) {
  if (query == TQuery::KeyPressed && code == KEY_ESCAPE && live != 0) viewerEscape_ = true;
  int32_t answer = predictor_.Predict(query, code);
  if (!inFrame_) {
    overrun_ = true;
  } else if (nextToken_ < tokens_.size() && tokens_[nextToken_].index == index_) {
    const TToken& t = tokens_[nextToken_++];
    // The recorded game asked another kind of question here: the replay has left it.
    if (t.clock != (query == TQuery::Clock)) overrun_ = true;
    answer = query == TQuery::Clock ? ClockAdd(answer, t.value) : t.value;
  }
  predictor_.Learn(query, code, answer);
  ++index_;
  return answer;
}

TDemoReader::TPlace TDemoReader::Place() const {
  return {std::ftell(file_), lineNumber_, predictor_, tokens_, nextToken_, index_, inFrame_, overrun_, check_};
}

bool TDemoReader::Resume(const TPlace& place) {
  if (place.offset < 0 || std::fseek(file_, place.offset, SEEK_SET) != 0) return false;
  lineNumber_ = place.lineNumber;
  predictor_ = place.predictor;
  tokens_ = place.tokens;
  nextToken_ = place.nextToken;
  index_ = place.index;
  inFrame_ = place.inFrame;
  overrun_ = place.overrun;
  check_ = place.check;
  return true;
}

bool TDemoReader::FrameUsedUp() const { return !overrun_ && nextToken_ == tokens_.size(); }

std::optional<int32_t> DemoEndFrame(std::string_view tail) {
  if (tail.empty() || tail.back() != '\n') return std::nullopt;
  tail.remove_suffix(1);
  const size_t start = tail.rfind('\n');
  const std::string_view last = tail.substr(start == std::string_view::npos ? 0 : start + 1);
  const auto w = Words(last, kSpace);
  int32_t frame = 0;
  if (w.size() != 6 || w[0] != "end" || !ParseInt(w[1], frame) || frame < 0) return std::nullopt;
  return frame;
}

std::optional<int32_t> DemoEndFrame(int file) {
  // Only a regular file has a tail to read without waiting for a writer.
  struct stat st {};
  if (file < 0 || fstat(file, &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  // An end record is far shorter than this.
  constexpr off_t kTail = 256;
  std::string tail(kTail, '\0');
  const ssize_t got = pread(file, tail.data(), tail.size(), std::max<off_t>(st.st_size - kTail, 0));
  tail.resize(got < 0 ? 0 : static_cast<size_t>(got));
  return DemoEndFrame(std::string_view(tail));
}

std::string DemoWithoutLand(const std::string& name) {
  return name + ": line " + std::to_string(kDemoMapLine) +
         ": map values that leave no land, where no game can have been recorded; this is no demo of a game";
}

// Demo files are read line by line as a replay goes. Checks that any bytes end in a frame, a
// check, the end, a cut or a named bad line without crashing or taking memory beyond a line,
// and that the answers read back, recorded again and read once more, come out the same. The
// map values read also go through the world generator's bound check (steps and cells), which
// must agree with the reader and with the work counted draw by draw, and leave the generator
// as it was.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/demos/demo.h"
#include "memory_file.h"
#include "rules/answers.h"
#include "rules/random.h"
#include "world/tmap.h"

namespace {

using fuzz::Require;

constexpr int kQueriesPerFrame = 24;
constexpr int kMostRecords = 4096;

// A fixed mix of questions, the same for every frame, so a second reading asks alike.
TQuery QueryAt(int i) { return static_cast<TQuery>(i % 6); }
int32_t CodeAt(int i) { return QueryAt(i) == TQuery::Clock ? 0 : (i * 37) % 260; }

std::FILE* ReadOnly(const uint8_t* data, size_t size) {
  std::FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (file == nullptr) std::abort();
  return file;
}

// Every frame's answers, in order; the reader's state after the last record. The bound check
// is compared on the first reading only: the second reads a header already checked.
std::vector<int32_t> ReadAnswers(std::FILE* file, TDemoHeader& header, bool& headerRead, bool compareBound) {
  std::vector<int32_t> answers;
  TDemoReader reader(file, "fuzz.demo");
  headerRead = reader.ReadHeader(header);
  const bool mapRefused = reader.Error().find("fuzz.demo: line 4: map values") == 0;
  if (compareBound && (headerRead || mapRefused)) {
    SetRandomState(12345);
    const bool fits = WalkFits(header.map, SeededState(header.seed));
    Require(RandomState() == 12345, "the bound check leaves the generator alone");
    Require(fits == !mapRefused, "the reader refuses exactly the walks the generator would");
    // The verdict, often settled from the values alone, agrees with the work counted draw by draw.
    const TCarveWork work = CountCarveWork(header.map, SeededState(header.seed));
    Require(RandomState() == 12345, "the count leaves the generator alone");
    Require(fits == (work.steps <= kMaxCarveSteps && work.cells <= kMaxCarveCells), "the counted work decides");
  }
  if (!headerRead) {
    Require(!reader.Error().empty(), "a refused header says why");
    return answers;
  }
  for (int record = 0; record < kMostRecords; ++record) {
    const TDemoReader::Next next = reader.ReadNext();
    if (next == TDemoReader::Next::Cut) {
      Require(reader.Error().empty(), "a cut demo is no error");
      break;
    }
    if (next == TDemoReader::Next::Bad) {
      Require(reader.Error().find("fuzz.demo: line ") == 0, "a bad line is named");
      break;
    }
    if (next != TDemoReader::Next::Frame) continue;
    for (int i = 0; i < kQueriesPerFrame; ++i) answers.push_back(reader.Answer(QueryAt(i), CodeAt(i), -1));
  }
  return answers;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TDemoHeader header;
  bool headerRead = false;
  const std::vector<int32_t> answers = ReadAnswers(ReadOnly(data, size), header, headerRead, true);
  if (!headerRead) return 0;

  char* bytes = nullptr;
  size_t written = 0;
  {
    TDemoWriter writer(open_memstream(&bytes, &written));
    writer.WriteHeader(header);
    for (size_t i = 0; i < answers.size(); ++i) {
      const int q = static_cast<int>(i % kQueriesPerFrame);
      Require(writer.Answer(QueryAt(q), CodeAt(q), answers[i]) == answers[i], "the writer passes answers on");
      if (q == kQueriesPerFrame - 1) writer.EndFrame();
    }
    writer.WriteEnd({});
  }
  TDemoHeader again;
  bool againRead = false;
  const std::vector<int32_t> reread =
      ReadAnswers(ReadOnly(reinterpret_cast<const uint8_t*>(bytes), written), again, againRead, false);
  Require(againRead && again.seed == header.seed && again.screen == header.screen && again.map == header.map,
          "a written header reads back");
  Require(reread == answers, "recorded answers read back the same");
  std::free(bytes);
  return 0;
}

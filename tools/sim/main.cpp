// kestrova-sim: runs the game's own code without a window, for tests, replays and benchmarks.
//   kestrova-sim --seed N [--map FILE] [--frames F] [--script FILE] [--repeat P] [--screen W H]
//                [--clock START STEP] [--tally] [--memory N] [--out FILE]
//                [--record DEMO] [--save-at K SAVE] [--continue SAVE]
//   kestrova-sim --replay DEMO [--out FILE]
// The world and the actors are made as the loading sequence makes them (no assets, no layer
// files), then frames of the real game loop run on a fixed clock with scripted input, drawing
// into a driver that only counts. The report of the final state goes to FILE or stdout.
// For long runs: --repeat plays the script's frames 0..P-1 over and over, --tally adds the
// shots fired by kind, --memory the heap and the list sizes every N frames.
// --record writes the run's demo (ended as a game ends, if it ends); --save-at saves the game
// after frame K as the pause menu does and ends the run there; --continue goes on with a saved
// game (its seed, screen and world, its frames played again) with the script's frames from
// the one after the save, on the same clock.
// --replay plays a demo the game recorded, as fast as it goes, and reports the state as the
// game's --report does. Exit status: 0 the demo ended as recorded, 2 not a demo, 3 the replay
// left the recorded game, 4 the demo stops before its end.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/demos/report.h"
#include "app/demos/session.h"
#include "app/loading/tables.h"
#include "app/play/placement.h"
#include "app/play/play_session.h"
#include "app/player/saved_game.h"
#include "app/tapp.h"
#include "memory_probe.h"
#include "platform/core/events.h"
#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/files/whole_file.h"
#include "platform/system/clock.h"
#include "platform/system/options.h"
#include "platform/text/words.h"
#include "platform/video/graphics.h"
#include "platform/video/recording_driver.h"
#include "rules/answers.h"
#include "rules/random.h"
#include "rules/rules_clock.h"
#include "shot_tally.h"
#include "sim_script.h"
#include "state/game.h"
#include "world/tmap.h"
#include "world/worldgen.h"

namespace {

struct Options {
  bool haveSeed = false;
  int32_t seed = 0;
  std::string map = "map.txt";
  int32_t frames = 600;
  std::string script;
  int32_t repeat = 0;  // 0: the script plays once
  int32_t width = 1024;
  int32_t height = 768;
  int32_t clockStart = 100000;
  int32_t clockStep = 16;
  bool tally = false;
  int32_t memoryEvery = 0;  // 0: no memory lines
  std::string out;
  std::string replay;
  std::string record;
  int32_t saveAt = -1;  // -1: no save
  std::string save;
  std::string continueFrom;
};

const char* const kUsage =
    "usage: kestrova-sim --seed N [--map FILE] [--frames F] [--script FILE] [--repeat P]\n"
    "                    [--screen W H] [--clock START STEP] [--tally] [--memory N] [--out FILE]\n"
    "                    [--record DEMO] [--save-at K SAVE] [--continue SAVE]\n"
    "       kestrova-sim --replay DEMO [--out FILE]\n";

// A script larger than this is no script of frames a run plays.
constexpr int64_t kMostScriptBytes = 64 << 20;

bool ParseArgs(int argc, char** argv, Options& o, std::string& error) {
  static const option options[] = {{"seed", required_argument, nullptr, 's'},
                                   {"map", required_argument, nullptr, 'm'},
                                   {"frames", required_argument, nullptr, 'f'},
                                   {"script", required_argument, nullptr, 'c'},
                                   {"repeat", required_argument, nullptr, 'p'},
                                   {"tally", no_argument, nullptr, 't'},
                                   {"memory", required_argument, nullptr, 'y'},
                                   {"screen", required_argument, nullptr, 'w'},
                                   {"clock", required_argument, nullptr, 'k'},
                                   {"out", required_argument, nullptr, 'o'},
                                   {"replay", required_argument, nullptr, 'r'},
                                   {"record", required_argument, nullptr, 'd'},
                                   {"save-at", required_argument, nullptr, 'a'},
                                   {"continue", required_argument, nullptr, 'n'},
                                   {nullptr, 0, nullptr, 0}};
  TOptionReader reader(argc, argv, options);
  for (int code = 0; (code = reader.Next()) != TOptionReader::kEnd;) {
    const std::string a = reader.Argument();
    if (code == TOptionReader::kUnknown) {
      error = "unknown argument '" + a + "'";
      return false;
    }
    // --screen, --clock and --save-at take two values, the others one.
    const int count = code == 'w' || code == 'k' || code == 'a' ? 2 : 1;
    const char* const first = reader.Value();
    const char* const second = count == 2 && first != nullptr ? reader.NextValue() : nullptr;
    if (code == TOptionReader::kMissing || (count == 2 && second == nullptr)) {
      error = a + " needs " + std::to_string(count) + (count == 1 ? " value" : " values");
      return false;
    }
    const auto number = [&](const char* text, int32_t& v, int32_t min) {
      if (!ParseInt(text, v, min)) {
        error = a + ": '" + text + "' is not a whole number" +
                (min > INT32_MIN ? " of at least " + std::to_string(min) : "");
        return false;
      }
      return true;
    };
    switch (code) {
      case 's':
        if (!number(first, o.seed, INT32_MIN)) return false;
        o.haveSeed = true;
        break;
      case 'm':
        o.map = first;
        break;
      case 'f':
        if (!number(first, o.frames, 0)) return false;
        break;
      case 'c':
        o.script = first;
        break;
      case 'p':
        if (!number(first, o.repeat, 1)) return false;
        break;
      case 't':
        o.tally = true;
        break;
      case 'y':
        if (!number(first, o.memoryEvery, 1)) return false;
        break;
      case 'w':
        if (!number(first, o.width, 1) || !number(second, o.height, 1)) return false;
        break;
      case 'k':
        if (!number(first, o.clockStart, INT32_MIN) || !number(second, o.clockStep, INT32_MIN)) return false;
        break;
      case 'o':
        o.out = first;
        break;
      case 'd':
        o.record = first;
        break;
      case 'a':
        if (!number(first, o.saveAt, 1)) return false;
        o.save = second;
        break;
      case 'n':
        o.continueFrom = first;
        break;
      default:
        o.replay = first;
    }
  }
  if (!o.replay.empty()) {
    if (argc != (o.out.empty() ? 3 : 5)) {
      error = "--replay takes only --out: the demo holds the seed, the screen, the world and the input";
      return false;
    }
    return FilesApart({{"--replay", o.replay}, {"--out", o.out}}, error);
  }
  if (!o.haveSeed && o.continueFrom.empty()) {
    error = "--seed is required";
    return false;
  }
  if (o.haveSeed && !o.continueFrom.empty()) {
    error = "--continue plays the saved game's seed and world; it takes no --seed";
    return false;
  }
  // The inputs may be one file; the output must be neither.
  return FilesApart({{"--map", o.map}, {"--out", o.out}}, error) &&
         FilesApart({{"--script", o.script}, {"--out", o.out}, {"--record", o.record}, {"--save-at", o.save}}, error) &&
         FilesApart({{"--continue", o.continueFrom}, {"--out", o.out}, {"--record", o.record}}, error);
}

int Fail(const std::string& message) {
  std::cerr << "kestrova-sim: " << message << '\n';
  return 1;
}

// The clock of frame k: START + STEP * k on the wrapping 32-bit clock.
int32_t FrameClock(const Options& o, int32_t k) {
  return static_cast<int32_t>(static_cast<uint32_t>(o.clockStart) +
                              static_cast<uint32_t>(o.clockStep) * static_cast<uint32_t>(k));
}

void Deliver(const SimEvent& e) {
  const int32_t cx = game.screenW / 2;
  const int32_t cy = game.screenH / 2;
  switch (e.kind) {
    case SimEvent::kDown:
      if (e.code == 0) {
        InjectEvent({EVENT_MOUSEDOWN, 1, cx, cy});
      } else {
        InjectEvent({EVENT_KEYDOWN, e.code});
      }
      break;
    case SimEvent::kUp:
      if (e.code == 0) {
        InjectEvent({EVENT_MOUSEUP, 1, cx, cy});
      } else {
        InjectEvent({EVENT_KEYUP, e.code});
      }
      break;
    case SimEvent::kPointer:
      // Queued after the warp to the centre that the previous frame asked for, so it wins.
      InjectEvent({EVENT_MOUSEMOVE, 0, cx + e.code, cy});
      break;
    case SimEvent::kPause: {
      // The real clock runs on while the rules' clock stands; then the frame's time again.
      const int32_t now = RealNowMs();
      StopRulesClock();
      UseFixedClock(ClockAdd(now, e.code));
      RunRulesClock();
      UseFixedClock(now);
      break;
    }
  }
}

// The report to FILE, or to stdout without one.
int WriteReport(const Options& o, const std::string& report) {
  if (o.out.empty()) {
    std::fwrite(report.data(), 1, report.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : Fail("cannot write the report to stdout");
  }
  const std::string problem = WriteFileAtomically(o.out, report);
  return problem.empty() ? 0 : Fail("cannot write the report to " + o.out + ": " + problem);
}

// Headless, as fast as it goes: the demo's seed, screen size and world, the game loop with
// the demo's answers, the score screen included.
int Replay(const Options& o) {
  TGameSession session;
  if (!session.Replay(o.replay)) {
    std::cerr << "kestrova-sim: " << session.Message() << '\n';
    return session.Result();
  }
  const TDemoHeader& demo = session.Header();
  UseFixedClock(0);
  CreateTables();
  game.screenW = demo.screen[0];
  game.screenH = demo.screen[1];
  auto driver = std::make_shared<TRecordingDriver>();
  driver->SetRecording(false);
  if (!OpenHeadlessScreen(driver, game.screenW, game.screenH, 0, 0, 0)) {
    return Fail(o.replay + ": cannot open a headless screen of " + std::to_string(game.screenW) + " x " +
                std::to_string(game.screenH) + " pixels");
  }
  SetBlend(3);
  SeedRandom(demo.seed);
  game.mapParamsGiven = demo.map;
  std::string problem;
  if (!GenerateWorld(&problem)) return Fail(o.replay + ": " + problem);
  if (!PlaceEnemies() || !PlaceItems()) {
    std::cerr << "kestrova-sim: " << DemoWithoutLand(o.replay) << '\n';
    return TGameSession::kNotADemo;
  }
  game.gameState = TGamePhase::Running;
  SetRunWatcher(&session);
  Tapp::run();
  SetRunWatcher(nullptr);
  SetAnswerTap(nullptr);
  if (session.Result() != TGameSession::kDone) std::cerr << "kestrova-sim: " << session.Message() << '\n';
  const int written = WriteReport(o, session.ReportText());
  return session.Result() != TGameSession::kDone ? session.Result() : written;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  std::string error;
  if (!ParseArgs(argc, argv, o, error)) {
    std::cerr << "kestrova-sim: " << error << '\n' << kUsage;
    return 2;
  }
  if (!o.replay.empty()) return Replay(o);

  std::vector<SimEvent> events;
  if (!o.script.empty()) {
    std::string text;
    if (!ReadFileWhole(o.script, kMostScriptBytes, "a script", text, error)) {
      return Fail("cannot read the script " + o.script + (error.empty() ? "" : ": " + error));
    }
    if (!ParseSimScript(text, events, error)) return Fail(o.script + ": " + error);
  }
  if (o.repeat > 0) {
    for (const SimEvent& e : events) {
      if (e.frame >= o.repeat) {
        return Fail(o.script + ": line " + std::to_string(e.line) + ": frame " + std::to_string(e.frame) +
                    " lies beyond the repeat period of " + std::to_string(o.repeat) + " frames");
      }
    }
  }
  // Within a frame, events keep their order in the script.
  std::stable_sort(events.begin(), events.end(),
                   [](const SimEvent& a, const SimEvent& b) { return a.frame < b.frame; });

  // A saved game brings its seed, its screen and its world.
  TGameSession session;
  std::optional<TSavedGame> save;
  if (!o.continueFrom.empty()) {
    TSavedGame read;
    if (ReadSavedGame(o.continueFrom, read, error) != TSaveFound::Usable) {
      return Fail("cannot continue " + o.continueFrom + ": " + (error.empty() ? "there is no such file" : error));
    }
    if (!session.Continue(read.demo, read.frames, o.continueFrom)) return Fail(session.Message());
    save = std::move(read);
    o.seed = session.Header().seed;
    o.width = session.Header().screen[0];
    o.height = session.Header().screen[1];
  }
  // What the run records, it records as the game does: through its session.
  const bool recording = save || o.saveAt > 0 || !o.record.empty();
  if (!save) session.Seed(o.seed);

  UseFixedClock(o.clockStart);
  CreateTables();
  game.screenW = o.width;
  game.screenH = o.height;
  auto driver = std::make_shared<TRecordingDriver>();
  driver->SetRecording(false);
  if (!OpenHeadlessScreen(driver, game.screenW, game.screenH, 0, 0, 0)) return Fail("cannot open the headless screen");
  SetBlend(3);
  SeedRandom(o.seed);

  game.mapParamsFile = o.map;
  if (save) game.mapParamsGiven = session.Header().map;
  std::string problem;
  if (!GenerateWorld(&problem)) return Fail(problem);
  if (!PlaceEnemies() || !PlaceItems()) return Fail(kNoLandMessage);

  game.gameState = TGamePhase::Running;
  Tapp::start();
  const FigureIds ids = NumberFigures();
  if (recording && !session.PlayStarts()) return Fail(session.Message());
  if (save && session.CaughtUp()) SetRulesClock(save->clock);

  TShotTally tally;
  TMemoryLog memory;
  int32_t framesRun = 0;
  size_t next = 0;
  while (framesRun < o.frames) {
    if (o.memoryEvery > 0 && framesRun % o.memoryEvery == 0) memory.Sample(framesRun);
    UseFixedClock(FrameClock(o, framesRun));
    const int32_t scriptFrame = o.repeat > 0 ? framesRun % o.repeat : framesRun;
    if (scriptFrame == 0) next = 0;
    // A saved game's frames take their answers from its demo; the script's input still comes,
    // so the keys held when it goes on are those held at the save.
    const bool live = session.CaughtUp();
    for (; next < events.size() && events[next].frame <= scriptFrame; ++next) {
      if (events[next].frame == scriptFrame) Deliver(events[next]);
    }
    Tapp::frame();
    ++framesRun;
    if (recording && !session.FrameDone(false)) return Fail(session.Message());
    if (!live && session.CaughtUp()) SetRulesClock(save->clock);
    if (framesRun == o.saveAt) break;
    if (o.tally) tally.Frame();
    if (game.gameState != TGamePhase::Running) break;
  }
  if (o.memoryEvery > 0) memory.Sample(framesRun);
  if (recording) {
    if (framesRun == o.saveAt) session.MarkSaved();
    session.PlayEnds(false);
  }
  if (framesRun == o.saveAt) {
    const TSavedGame saved{LocalTimeText("%Y-%m-%d %H:%M:%S"), session.Frames(), 0, RulesClockReading(),
                           session.DemoText()};
    problem = WriteSavedGame(o.save, saved);
    if (!problem.empty()) return Fail("cannot save the game to " + o.save + ": " + problem);
  }
  if (!o.record.empty()) {
    problem = WriteFileAtomically(o.record, session.DemoText());
    if (!problem.empty()) return Fail("cannot write the demo " + o.record + ": " + problem);
  }

  std::string report = StateReport(framesRun, ids);
  if (o.tally) report += tally.Report();
  if (o.memoryEvery > 0) report += memory.Report();
  return WriteReport(o, report);
}

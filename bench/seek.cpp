// A viewer's jump back in a five-minute replay: from the end of play 10 to 15 seconds back,
// which puts the game back as it stood at the last place the viewer kept before there and
// runs it unseen up to there. The demo is recorded first, headless, on the shipped map.txt:
// the player walks in circles with fire held and changes weapons every few seconds, and lives
// the five minutes through (frames_of_play says so).
// And going on with that game saved a frame before its end: its frames run again unseen from
// the saved demo, as behind the loading screen, the world's creation left out.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/demos/session.h"
#include "app/loading/continue_game.h"
#include "app/loading/tables.h"
#include "app/play/placement.h"
#include "app/play/play_session.h"
#include "app/screens/replay_viewer.h"
#include "app/tapp.h"
#include "platform/core/events.h"
#include "platform/input/input.h"
#include "platform/input/keys.h"
#include "platform/system/clock.h"
#include "platform/video/graphics.h"
#include "platform/video/recording_driver.h"
#include "rules/answers.h"
#include "rules/random.h"
#include "state/game.h"
#include "world/worldgen.h"

namespace {

constexpr int32_t kSeed = 42;
constexpr int32_t kHertz = 60;
constexpr int32_t kPlayFrames = 5 * 60 * kHertz;
constexpr int32_t kJumpFrames = 10 * kHertz;
constexpr int32_t kClockStart = 100000;

const std::string& DemoPath() {
  static const std::string path = (std::filesystem::temp_directory_path() / "kestrova_bench_seek.demo").string();
  return path;
}

// A fresh game up to the player's placement, headless, on a fixed clock.
void MakeGame(int32_t seed, const TMapParams& map) {
  UseFixedClock(kClockStart);
  CreateTables();
  game.screenW = 1024;
  game.screenH = 768;
  game.screenHertz = kHertz;
  auto driver = std::make_shared<TRecordingDriver>();
  driver->SetRecording(false);
  OpenHeadlessScreen(driver, game.screenW, game.screenH, 0, 0, 0);
  SetBlend(3);
  SeedRandom(seed);
  game.mapParamsGiven = map;
  if (!GenerateWorld() || !PlaceEnemies() || !PlaceItems()) std::abort();
}

// Plays the scripted game into the demo: each frame's input is queued as the frame before ends.
class TScriptedPlay : public TRunWatcher {
 public:
  explicit TScriptedPlay(TGameSession& session) : session_(session) {}
  bool PlayStarts() override {
    InjectEvent({EVENT_KEYDOWN, KEY_ENTER});
    InjectEvent({EVENT_KEYDOWN, 'W'});
    return session_.PlayStarts();
  }
  bool FrameDone(bool lastFrame) override {
    ++frames_;
    UseFixedClock(ClockAdd(kClockStart, 16 * frames_));
    const int32_t cx = game.screenW / 2;
    InjectEvent({EVENT_MOUSEMOVE, 0, cx + 2, game.screenH / 2});
    if (frames_ % 300 == 0) {
      const int32_t digit = '1' + (frames_ / 300) % 5;
      InjectEvent({EVENT_KEYUP, digit == '1' ? '5' : digit - 1});
      InjectEvent({EVENT_KEYDOWN, digit});
    }
    if (frames_ == kPlayFrames) InjectEvent({EVENT_KEYDOWN, KEY_ESCAPE});
    // The score screen drops the presses made during play; this one ends it.
    if (!playing_) InjectEvent({EVENT_KEYDOWN, KEY_SPACE});
    const bool going = session_.FrameDone(lastFrame);
    if (frames_ == kPlayFrames - 1) saved_ = session_.DemoText();
    return going;
  }
  void PlayEnds(bool scoreScreen) override {
    playing_ = false;
    session_.PlayEnds(scoreScreen);
  }
  // The demo as a save after the last frame but one of play would hold it.
  const std::string& Saved() const { return saved_; }

 private:
  std::string saved_;
  TGameSession& session_;
  int32_t frames_ = 0;
  bool playing_ = true;
};

// Returns the demo a save a frame before the end of play would hold.
std::string RecordDemo() {
  MakeGame(kSeed, {400, 30, 160, 6, 16, 30, 10});
  TGameSession session;
  session.Record(DemoPath(), kSeed);
  TScriptedPlay play(session);
  SetRunWatcher(&play);
  Tapp::run();
  SetRunWatcher(nullptr);
  SetAnswerTap(nullptr);
  // What the script held is no input of the replay.
  ClearKeys();
  ClearButtons();
  return play.Saved();
}

void BM_JumpBackInFiveMinuteReplay(benchmark::State& state) {
  RecordDemo();
  TGameSession session;
  if (!session.Replay(DemoPath())) {
    state.SkipWithError(session.Message().c_str());
    return;
  }
  MakeGame(session.Header().seed, session.Header().map);
  Tapp::start();
  TReplayViewer viewer(session);
  if (!viewer.PlayStarts() || !viewer.SeekTo(INT32_MAX)) {
    state.SkipWithError("the replay did not reach the end of play");
    return;
  }
  const int32_t end = viewer.Shown() + 1;
  // From the end 10 seconds back, and up to five seconds more, so the frames run unseen after
  // the place gone back to are anywhere from none to all but one of those between two places.
  int32_t extra = 0;
  for (auto _ : state) {
    extra = (extra + 97) % kViewerPlaceEvery;
    if (!viewer.SeekTo(end - kJumpFrames - extra)) state.SkipWithError("the jump back failed");
    state.PauseTiming();
    if (!viewer.SeekTo(end)) state.SkipWithError("the jump forward failed");
    state.ResumeTiming();
  }
  state.counters["frames_of_play"] = end;
  SetAnswerTap(nullptr);
  std::remove(DemoPath().c_str());
}
BENCHMARK(BM_JumpBackInFiveMinuteReplay)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);

void BM_ContinueFiveMinuteGame(benchmark::State& state) {
  TSavedGame save;
  save.demo = RecordDemo();
  save.frames = kPlayFrames - 1;
  std::remove(DemoPath().c_str());
  for (auto _ : state) {
    state.PauseTiming();
    TGameSession session;
    if (!session.Continue(save.demo, save.frames, "five minutes")) state.SkipWithError(session.Message().c_str());
    MakeGame(session.Header().seed, session.Header().map);
    Tapp::start();
    TContinuedGame continued(session, "/nonexistent/saved_game.txt", save);
    state.ResumeTiming();
    bool going = continued.PlayStarts();
    while (going && !continued.Resumed()) {
      Tapp::frame();
      going = continued.FrameDone(false);
    }
    if (!continued.Resumed()) state.SkipWithError(session.Message().c_str());
    state.PauseTiming();
    SetAnswerTap(nullptr);
    StartPlaySession();
    state.ResumeTiming();
  }
  state.counters["frames_of_play"] = save.frames;
  state.counters["saved_demo_bytes"] = static_cast<double>(save.demo.size());
}
BENCHMARK(BM_ContinueFiveMinuteGame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

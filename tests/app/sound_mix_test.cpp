// The sound of a busy fight: the committed busy demo replayed headlessly with its sounds
// mixed by the game's own mixer, frame by frame at the demo's rate, as a player would hear it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/demos/session.h"
#include "app/loading/tables.h"
#include "app/play/placement.h"
#include "app/play/play_session.h"
#include "app/tapp.h"
#include "platform/audio/mixer.h"
#include "platform/audio/ogg.h"
#include "platform/system/clock.h"
#include "platform/video/graphics.h"
#include "platform/video/recording_driver.h"
#include "rules/answers.h"
#include "rules/random.h"
#include "state/game.h"
#include "world/tmap.h"
#include "world/worldgen.h"

namespace {

constexpr int32_t kHertz = 44100;

// Passes the session's calls on and pulls one frame's worth of sound after each frame.
class MixingWatcher : public TRunWatcher {
 public:
  MixingWatcher(TGameSession& session, TMixerAudioDriver& mixer, int32_t frameHertz)
      : session_(session), mixer_(mixer), frameHertz_(frameHertz) {}
  bool PlayStarts() override { return session_.PlayStarts(); }
  bool FrameDone(bool lastFrame) override {
    ++frames_;
    const auto due = static_cast<size_t>(int64_t{frames_} * kHertz / frameHertz_);
    const size_t have = out.size() / 2;
    out.resize(due * 2);
    mixer_.Mix(out.data() + have * 2, static_cast<int32_t>(due - have));
    return session_.FrameDone(lastFrame);
  }
  void PlayEnds(bool scoreScreen) override { session_.PlayEnds(scoreScreen); }

  std::vector<int16_t> out;  // stereo

 private:
  TGameSession& session_;
  TMixerAudioDriver& mixer_;
  int32_t frameHertz_;
  int32_t frames_ = 0;
};

std::vector<int16_t> RenderBusyFight() {
  TGameSession session;
  EXPECT_TRUE(session.Replay(KESTROVA_SOURCE_DIR "/bench/busy_fight.demo")) << session.Message();
  const TDemoHeader& demo = session.Header();
  UseFixedClock(0);
  CreateTables();
  auto mixer = std::make_shared<TMixerAudioDriver>(kHertz);
  SetAudioDriver(mixer);
  for (int k = 0; k < 5; ++k) {
    game.shotSounds[k] = LoadSoundFile(KESTROVA_SOURCE_DIR "/assets/s" + std::to_string(k + 1) + ".ogg", 0);
  }
  game.deathSound = LoadSoundFile(KESTROVA_SOURCE_DIR "/assets/t.ogg", 0);
  game.screenW = demo.screen[0];
  game.screenH = demo.screen[1];
  auto driver = std::make_shared<TRecordingDriver>();
  driver->SetRecording(false);
  EXPECT_TRUE(OpenHeadlessScreen(driver, game.screenW, game.screenH, 0, 0, 0));
  SetBlend(3);
  SeedRandom(demo.seed);
  game.mapParamsGiven = demo.map;
  EXPECT_TRUE(GenerateWorld());
  EXPECT_TRUE(PlaceEnemies() && PlaceItems());
  game.gameState = TGamePhase::Running;
  MixingWatcher watcher(session, *mixer, demo.screen[3]);
  SetRunWatcher(&watcher);
  Tapp::run();
  SetRunWatcher(nullptr);
  SetAnswerTap(nullptr);
  game.mapParamsGiven.reset();
  CreateTables();
  SetAudioDriver(nullptr);
  EXPECT_EQ(session.Result(), TGameSession::kDone) << session.Message();
  return watcher.out;
}

TEST(SoundMix, ABusyFightNeverReachesFullScaleAndStaysAtAFightsLevel) {
  const std::vector<int16_t> out = RenderBusyFight();
  ASSERT_GT(out.size(), size_t{kHertz} * 2 * 10);  // the demo is over 20 s long
  int32_t peak = 0;
  double loudest = 0;
  double quietest = 1;
  const size_t second = size_t{kHertz} * 2;
  for (size_t start = 0; start + second <= out.size(); start += second) {
    double sum = 0;
    for (size_t i = start; i < start + second; ++i) {
      peak = std::max(peak, std::abs(int32_t{out[i]}));
      sum += static_cast<double>(out[i]) * out[i];
    }
    const double rms = std::sqrt(sum / second) / 32768.0;
    loudest = std::max(loudest, rms);
    quietest = std::min(quietest, rms);
  }
  RecordProperty("peak", peak);
  std::printf("peak %d, RMS per second %.3f .. %.3f of full scale\n", peak, quietest, loudest);
  EXPECT_LT(peak, 32767);
  EXPECT_LE(loudest, 0.35);
  EXPECT_GE(quietest, 0.05);
}

}  // namespace

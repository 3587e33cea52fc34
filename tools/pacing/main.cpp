// kestrova-pacing: how evenly the game's frames reach the screen. Opens a window as the game
// does, draws a light frame and presents it with Flip(-1) again and again, and reports the
// time from one buffer swap to the next.
//   kestrova-pacing [--size W H] [--hertz H] [--frames N]
//   kestrova-pacing --busy DEMO
// Prints the 5th, 50th and 95th percentile of the intervals in milliseconds, and whether
// frames are paced by the display's vertical sync or by the timer. With --busy the game
// itself replays DEMO in its window (the demo's size and rate) and only the frames of play
// count: the time from the end of one buffer swap to the end of the next, which is when a
// player sees each frame, with all the drawing of a crowded game behind it.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/program/command_line.h"
#include "app/tapp.h"
#include "platform/audio/sound.h"
#include "platform/system/clock.h"
#include "platform/system/options.h"
#include "platform/text/words.h"
#include "platform/video/gl_driver.h"
#include "platform/video/graphics.h"
#include "state/game.h"

namespace {

// Every option with its values, or false for a command line to be refused.
bool ParseArguments(int argc, char** argv, int32_t& width, int32_t& height, int32_t& hertz, int32_t& frames,
                    std::string& busy) {
  static const option options[] = {{"size", required_argument, nullptr, 's'},
                                   {"hertz", required_argument, nullptr, 'h'},
                                   {"frames", required_argument, nullptr, 'f'},
                                   {"busy", required_argument, nullptr, 'b'},
                                   {nullptr, 0, nullptr, 0}};
  TOptionReader reader(argc, argv, options);
  for (int code = 0; (code = reader.Next()) != TOptionReader::kEnd;) {
    const char* value = reader.Value();
    const bool ok = (code == 's' && ParseInt(value, width, 1) && (value = reader.NextValue()) != nullptr &&
                     ParseInt(value, height, 1)) ||
                    (code == 'h' && ParseInt(value, hertz, 1)) || (code == 'f' && ParseInt(value, frames, 2)) ||
                    (code == 'b' && *(busy = value).c_str() != 0);
    if (!ok) return false;
  }
  return true;
}

double Percentile(const std::vector<double>& sorted, double p) {
  return sorted[static_cast<size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5)];
}

// The game's OpenGL driver, noting when each swap of a frame of play has ended.
class TTimedSwaps : public TGLVex2DDriver {
 public:
  void Flip(int32_t sync) override {
    TGLVex2DDriver::Flip(sync);
    if (game.player != nullptr && game.gameState == TGamePhase::Running) ends.push_back(RealNowUs());
  }
  std::vector<int64_t> ends;
};

// Replays the demo in the game's window and keeps the swap ends of its frames of play.
bool ReplayBusy(const std::string& demo, std::vector<double>& gaps) {
  TCommandLine line;
  std::error_code error;
  line.replay = std::filesystem::absolute(demo, error).string();
  if (chdir(KESTROVA_GAME_DIR) != 0) {
    std::fprintf(stderr, "kestrova-pacing: cannot enter the game's folder %s\n", KESTROVA_GAME_DIR);
    return false;
  }
  auto timed = std::make_shared<TTimedSwaps>();
  SetGraphicsDriver(timed);
  SetAudioDriver(std::make_shared<TNullAudioDriver>());
  const int status = RunEntry(line);
  CloseScreen();
  if (status != 0 || timed->ends.size() < 3) {
    std::fprintf(stderr, "kestrova-pacing: the demo %s did not replay (status %d)\n", demo.c_str(), status);
    return false;
  }
  for (size_t k = 1; k < timed->ends.size(); ++k) {
    gaps.push_back(static_cast<double>(timed->ends[k] - timed->ends[k - 1]) / 1000.0);
  }
  std::printf("busy: %s replayed at %d x %d, %d Hz, %zu frames of play\n", demo.c_str(), game.screenW, game.screenH, game.screenHertz,
              timed->ends.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int32_t width = 1024, height = 768, hertz = 60, frames = 600;
  std::string busy;
  if (!ParseArguments(argc, argv, width, height, hertz, frames, busy)) {
    std::fprintf(stderr,
                 "usage: kestrova-pacing [--size W H] [--hertz H] [--frames N]\n"
                 "       kestrova-pacing --busy DEMO\n");
    return 2;
  }
  std::vector<double> gaps;
  if (!busy.empty()) {
    if (!ReplayBusy(busy, gaps)) return 1;
  } else {
    if (!OpenScreen(width, height, 0, hertz, 0)) {
      std::fprintf(stderr, "kestrova-pacing: cannot open the window: %s\n", LastScreenError().c_str());
      return 1;
    }
    int64_t last = 0;
    for (int32_t k = 0; k <= frames; ++k) {
      Cls();
      SetColor(255, 255, 255);
      DrawRect(static_cast<float>(k % width), 10, 20, 20);
      Flip(-1);
      const int64_t now = RealNowUs();
      if (k > 0) gaps.push_back(static_cast<double>(now - last) / 1000.0);
      last = now;
    }
    CloseScreen();
    std::printf("pacing: %s at %d Hz, %d frames\n", FramePacing().hardSync ? "vertical sync" : "timer", hertz, frames);
  }
  std::sort(gaps.begin(), gaps.end());
  std::printf("swap to swap: 5th %.2f ms, median %.2f ms, 95th %.2f ms\n", Percentile(gaps, 0.05),
              Percentile(gaps, 0.5), Percentile(gaps, 0.95));
  return 0;
}

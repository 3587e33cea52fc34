// kestrova-pacing: how evenly the game's frames reach the screen. Opens a window as the game
// does, draws a light frame and presents it with Flip(-1) again and again, and reports the
// time from one buffer swap to the next.
//   kestrova-pacing [--size W H] [--hertz H] [--frames N]
// Prints the 5th, 50th and 95th percentile of the intervals in milliseconds, and whether
// frames are paced by the display's vertical sync or by the timer.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/graphics.h"

namespace {

bool ToInt(const char* text, int32_t& value) {
  const std::string_view s(text);
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() && end == s.data() + s.size() && value > 0;
}

double Percentile(const std::vector<double>& sorted, double p) {
  return sorted[static_cast<size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5)];
}

}  // namespace

int main(int argc, char** argv) {
  int32_t width = 1024, height = 768, hertz = 60, frames = 600;
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    const bool ok = (a == "--size" && i + 2 < argc && ToInt(argv[i + 1], width) && ToInt(argv[i + 2], height)) ||
                    (a == "--hertz" && i + 1 < argc && ToInt(argv[i + 1], hertz)) ||
                    (a == "--frames" && i + 1 < argc && ToInt(argv[i + 1], frames) && frames >= 2);
    if (!ok) {
      std::fprintf(stderr, "usage: kestrova-pacing [--size W H] [--hertz H] [--frames N]\n");
      return 2;
    }
    i += a == "--size" ? 2 : 1;
  }
  if (!OpenScreen(width, height, 0, hertz, 0)) {
    std::fprintf(stderr, "kestrova-pacing: cannot open the window: %s\n", LastScreenError().c_str());
    return 1;
  }
  std::vector<double> gaps;
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
  std::sort(gaps.begin(), gaps.end());
  std::printf("pacing: %s at %d Hz, %d frames\n", FramePacing().hardSync ? "vertical sync" : "timer", hertz, frames);
  std::printf("swap to swap: 5th %.2f ms, median %.2f ms, 95th %.2f ms\n", Percentile(gaps, 0.05),
              Percentile(gaps, 0.5), Percentile(gaps, 0.95));
  return 0;
}

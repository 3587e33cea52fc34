#include "app/command_line.h"

#include <charconv>
#include <string_view>

#include "platform/files/paths.h"

const char* const kUsage =
    "usage: kestrova [--seed N] [--record FILE] [--replay FILE] [--report FILE] [--scores] [--help] [--version]\n"
    "  --seed N         build the world from seed N instead of the clock\n"
    "  --record FILE    write a demo of the game to FILE as it is played\n"
    "  --replay FILE    watch the demo in FILE (Escape or closing the window stops it)\n"
    "  --report FILE    write the state of the game to FILE when play ends (each game's, in turn)\n"
    "  --scores         list the best scores, best first\n"
    "  --help           show this text\n"
    "  --version        show the version\n";

bool ParseCommandLine(int argc, const char* const* argv, TCommandLine& line, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--help") {
      line.help = true;
      continue;
    }
    if (a == "--version") {
      line.version = true;
      continue;
    }
    if (a == "--scores") {
      line.scores = true;
      continue;
    }
    if (a != "--seed" && a != "--record" && a != "--replay" && a != "--report") {
      error = "unknown option '" + std::string(a) + "'";
      return false;
    }
    if (i + 1 >= argc || std::string_view(argv[i + 1]).empty()) {
      error = std::string(a) + " needs a value";
      return false;
    }
    const std::string_view value = argv[++i];
    if (a == "--seed") {
      int32_t seed = 0;
      const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), seed);
      if (ec != std::errc() || end != value.data() + value.size()) {
        error = "--seed: '" + std::string(value) + "' is not a whole number from -2147483648 to 2147483647";
        return false;
      }
      line.seed = seed;
    } else {
      (a == "--record" ? line.record : a == "--replay" ? line.replay : line.report) = value;
    }
  }
  if (!line.replay.empty() && (line.seed || !line.record.empty())) {
    error = "--replay plays the seed and the input of its demo; it takes no --seed or --record";
    return false;
  }
  return FilesApart({{"--record", line.record}, {"--replay", line.replay}, {"--report", line.report}}, error);
}

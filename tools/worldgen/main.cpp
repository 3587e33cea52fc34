// kestrova-worldgen: creates the game's world without a screen, from the same code and in
// the same order as the game's loading sequence, and writes its four layer files.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "actors/tfigur.h"
#include "actors/titem.h"
#include "app/play/placement.h"
#include "platform/system/options.h"
#include "platform/text/words.h"
#include "rules/random.h"
#include "state/game.h"
#include "world/grid.h"
#include "world/tmap.h"
#include "world/worldgen.h"
#include "world_png.h"

namespace {

constexpr int kBadUsage = 2;
constexpr int kNoLand = 3;
constexpr int kWriteFailed = 1;

constexpr char kUsage[] =
    "Usage: kestrova-worldgen --seed N [--map FILE] [--out DIR] [--png FILE] [--actors FILE]\n"
    "\n"
    "Creates the Kestrova world for seed N (a signed 32-bit decimal integer) as the game\n"
    "does and writes mapall.map, mapcol.map, maptyp.map and maphight.map.\n"
    "\n"
    "  --seed N     seed of the random generator (required)\n"
    "  --map FILE   generator parameters (default: map.txt in the current directory)\n"
    "  --out DIR    folder for the layer files (default: the current directory)\n"
    "  --png FILE   also write a picture of the world, one pixel per cell\n"
    "  --actors FILE  also place the enemies, items and player as the game does and list\n"
    "               them: 'E x y art weapon', 'I x y art r', 'P x y', then 'rng STATE'\n"
    "               ('noland' alone for a world without land)\n"
    "  --help       show this text\n"
    "\n"
    "Exit status: 0 done, 1 a file could not be written, 2 bad arguments or unreadable\n"
    "parameters file, 3 the world has no land (the layer files are still written).\n";

struct TOptions {
  bool help = false;
  std::optional<int32_t> seed;
  std::string mapFile = "map.txt";
  std::string outDir;
  std::string pngFile;
  std::string actorsFile;
};

// Fills options from the arguments; on a bad argument returns the message that says why.
std::optional<std::string> ParseArguments(int argc, char** argv, TOptions& options) {
  static const option known[] = {{"help", no_argument, nullptr, 'h'},
                                 {"seed", required_argument, nullptr, 's'},
                                 {"map", required_argument, nullptr, 'm'},
                                 {"out", required_argument, nullptr, 'o'},
                                 {"png", required_argument, nullptr, 'p'},
                                 {"actors", required_argument, nullptr, 'a'},
                                 {nullptr, 0, nullptr, 0}};
  TOptionReader reader(argc, argv, known, "h");
  for (int code = 0; (code = reader.Next()) != TOptionReader::kEnd;) {
    const std::string arg = reader.Argument();
    if (code == 'h') {
      options.help = true;
      return std::nullopt;
    }
    if (code == TOptionReader::kUnknown) return "unknown argument '" + arg + "'";
    if (code == TOptionReader::kMissing) return arg + " needs a value";
    const char* value = reader.Value();
    if (code == 's') {
      int32_t seed = 0;
      if (!ParseInt(value, seed)) {
        return "--seed needs a decimal signed 32-bit integer, not '" + std::string(value) + "'";
      }
      options.seed = seed;
    } else if (code == 'm') {
      options.mapFile = value;
    } else if (code == 'o') {
      options.outDir = value;
    } else if (code == 'a') {
      options.actorsFile = value;
    } else {
      options.pngFile = value;
    }
  }
  if (!options.seed) return "--seed N is required";
  std::error_code error;
  if (!options.outDir.empty() && !std::filesystem::is_directory(options.outDir, error)) {
    return "--out: '" + options.outDir + "' is not a folder";
  }
  return std::nullopt;
}

// The world creation of the game's loading sequence, from the parameters file to the
// finished grid. False, with the reason in *problem, when the parameters file cannot be read
// or asks for too long a walk.
bool CreateWorld(const TOptions& options, std::string* problem) {
  CreateMapGrid();
  SeedRandom(*options.seed);
  game.mapParamsFile = options.mapFile;
  return GenerateWorld(problem);
}

// Places the enemies and items as the loading sequence does, then the player as the game
// loop's start does, and lists them with the generator's state after the player.
bool WriteActors(const std::string& path) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) {
    std::fprintf(stderr, "kestrova-worldgen: cannot write '%s': %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  int32_t x = 0;
  int32_t y = 0;
  if (!PlaceEnemies() || !PlaceItems()) {
    std::fputs("noland\n", out);
  } else {
    // Figures and items stand on whole world pixels, so their fields print exactly.
    game.figureList->ForEach([&](const Tfigur* f) {
      std::fprintf(out, "E %d %d %d %d\n", static_cast<int>(f->X), static_cast<int>(f->Y), f->Art, f->weapon);
    });
    game.itemList->ForEach(
        [&](const TItem* item) { std::fprintf(out, "I %d %d %d %d\n", item->X, item->Y, item->Art, item->r); });
    static_cast<void>(FindLandCell(x, y));  // there is land: the enemies found it
    Tfigur::neu(64 * x - 32, 64 * y - 32, 0);
    std::fprintf(out, "P %d %d\n", 64 * x - 32, 64 * y - 32);
    std::fprintf(out, "rng %d\n", RandomState());
  }
  const bool ok = std::ferror(out) == 0;
  if (std::fclose(out) != 0 || !ok) {
    std::fprintf(stderr, "kestrova-worldgen: cannot write '%s'\n", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  TOptions options;
  if (const auto problem = ParseArguments(argc, argv, options)) {
    std::fprintf(stderr, "kestrova-worldgen: %s\n%s", problem->c_str(), kUsage);
    return kBadUsage;
  }
  if (options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  std::string problem;
  if (!CreateWorld(options, &problem)) {
    std::fprintf(stderr, "kestrova-worldgen: %s\n", problem.c_str());
    return kBadUsage;
  }
  // The loading sequence places figures and items before the layer files; they leave the
  // grid as it is.
  bool written = options.actorsFile.empty() || WriteActors(options.actorsFile);
  written = SaveLayerFiles(options.outDir) && written;
  if (!options.pngFile.empty()) written = WriteWorldPng(options.pngFile) && written;
  if (!WorldHasLand()) {
    std::fprintf(stderr,
                 "kestrova-worldgen: the world has no land: the parameters in '%s' carve no "
                 "land that survives in the central square 1000..1100\n",
                 options.mapFile.c_str());
    return written ? kNoLand : kWriteFailed;
  }
  return written ? 0 : kWriteFailed;
}

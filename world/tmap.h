// The world generator and the world's layer files: a class of class-level functions over
// mapGrid and the seven generator parameters read from map.txt.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "state/game.h"
#include "world/grid.h"

// Map kinds and cell values of the carver.
constexpr int32_t CDungeon = 0;  // the random-walk world, the only kind the game builds
constexpr int32_t CMapWand = 0;  // uncarved cell
constexpr int32_t CMapWeg = 1;   // carved cell

// The generator parameters in force (game.pathCount ... game.roomChance), in the order of
// map.txt's lines; Loadtype sets them.
TMapParams MapParams();

// The most walk steps the carver takes. The walk costs pathCount + 1 segments of up to
// 2045 steps each, so a hostile map.txt could keep the loading screen up for days; no
// sensible world needs a fraction of this (the shipped one takes about 40,000).
constexpr int64_t kMaxCarveSteps = int64_t{1} << 24;
// The most cells the carver writes, counting every cell of every stamp and room (a cell
// written twice counts twice). A step may stamp the whole inside of the world, so the step
// cap alone still allows hours of carving; the shipped map.txt writes about 16 million
// cells, and this many take about a second.
constexpr int64_t kMaxCarveCells = int64_t{1} << 32;

// The work a walk takes: its steps and the cells its stamps and rooms write.
struct TCarveWork {
  int64_t steps = 0;
  int64_t cells = 0;
};

// Whether the walk these parameters ask for, from this state of the random generator, takes
// at most kMaxCarveSteps steps and writes at most kMaxCarveCells cells: exactly the walks
// Createdungeon carves, decided before any carving. The parameters alone settle most; the
// rest are walked through their draws without stamping, which stops as soon as either cap is
// passed. The generator's state is left as it was.
bool WalkFits(const TMapParams& params, int32_t rngState);
// The work of that walk counted without carving, up to the draw that passes a cap (the
// counts then stand just past it). The generator's state is left as it was.
TCarveWork CountCarveWork(const TMapParams& params, int32_t rngState);

// Results of Createdungeon besides 0.
constexpr int32_t kCarveTooLong = -1;
constexpr int32_t kCarveStopped = -2;
// Asked now and then while land is carved, which an allowed but heavy map.txt can make take
// hours: the loading screen keeps its window answering, and false stops the carving.
void SetCarveHeartbeat(bool (*beat)());

class TMap {
 public:
  // Clears the grid, reads the parameters and carves land. *paramsRead (when given) tells
  // whether the parameters file could be opened; without it nothing is carved. The result
  // is that of Createdungeon.
  static int32_t Create(int32_t kind, bool* paramsRead = nullptr);
  // The random walk that stamps land (cells become 1) along straight segments. 0, or
  // kCarveTooLong (nothing carved, nothing drawn) when WalkFits refuses the parameters, or
  // kCarveStopped when the heartbeat said stop, leaving the land carved so far.
  static int32_t Createdungeon();
  // Heights: a land cell gets (window sum of getpos) div 3, at least 0.
  static int32_t dekoratemap(int32_t radius);
  // Terrain kind per 64 x 64 block: sand, grass or earth by its ocean and land counts.
  static int32_t bereichmap(int32_t ignored);
  // Majority smoothing, in place: later cells see the values already rewritten.
  static int32_t smoothmap(int32_t radius, int32_t passes);
  // Keeps only the land 4-connected to the first land cell of the central square.
  static int32_t checkmap();
  // Marks every cell 4-connected to (x, y) through cells whose getpos equals target.
  static int32_t Checkpoint(int32_t x, int32_t y, int32_t target);
  // Non-land connected to the corner becomes ocean (value 2).
  static int32_t fillwatermap();
  // 1 for land, -1 for other cells of the grid, 0 outside it.
  static int32_t getpos(int32_t x, int32_t y) {
    if (x < 0 || x > kMapSize - 1 || y < 0 || y > kMapSize - 1) return 0;
    return (game.mapGrid[x][y] & kLandMask) != 0 ? 1 : -1;
  }
  // Writes the bit positions first..last of every cell as one decimal value per cell, one
  // line per column. The file is replaced only once written in full; on failure a warning
  // goes to stderr, the old file stays, and *written (when given) is false.
  static int32_t Savemap(const std::string& path, int32_t first, int32_t last, bool* written = nullptr);
  // Reads the seven parameters; kind is not used. *opened (when given) tells whether the
  // file could be opened; when not, every parameter reads as 0.
  static int32_t Loadtype(int32_t kind, bool* opened = nullptr);
  // Draws the cells under the screen rectangle at camera (x, y), size w x h, plus two cells
  // on every side.
  static int32_t draw(int32_t x, int32_t y, int32_t w, int32_t h);
  // Makes the ground blocks the driver keeps (platform/video/ground_cache.h) for a camera at
  // (x, y), size w x h, and the ring of blocks around them, as the first frame there would:
  // that frame then draws none. Shows nothing, leaves the draw state as it found it, and
  // does nothing where no blocks are kept (the recording driver sees no call).
  static void prepare(int32_t x, int32_t y, int32_t w, int32_t h);
};

// Writes a layer file as Savemap does, saying nothing: empty when written, else what kept it
// from being written (the old file then stays as it was).
std::string WriteLayerFile(const std::string& path, int32_t first, int32_t last);
// The warning on stderr for a layer file that could not be written.
void WarnLayerFileLost(const std::string& path, const std::string& problem);

// Where a walk segment from (wx, wy) with this angle (degrees, 0 along +y, 90 along +x) and
// length ends: mirrored inwards where it would leave the world from its edge row or column,
// then clamped to 1..2046.
Tpoint SegmentTarget(int32_t wx, int32_t wy, int32_t angle, int32_t len);

// Whether any cell is land. The placement of figures and items needs at least one.
bool WorldHasLand();

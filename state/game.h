// One game: everything the rules read and change from the start of loading to the end
// screen. The world and the actors read it; the application sets it up. Starting a fresh
// game makes every part as a new process has it, so a second game in one process, or a test,
// begins from exactly the same state.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/files/textio.h"
#include "state/map_grid.h"
#include "state/tlist.h"

class TImage;
class TSound;
class TTimer;
class Tfigur;
class tshot;
class TItem;
class Tblood;

enum class TGamePhase : int32_t {
  Running = 0,
  PlayerDied = 1,
  Quit = 2,
};

// The world generator's seven parameters in the order of map.txt's lines.
using TMapParams = std::array<int32_t, 7>;

// Everything of a game but its grid, which is cleared in place rather than made anew.
struct TGameValues {
  // The screen config.txt asks for: the screen the rules see, whatever the window shows.
  int32_t screenW = 0;
  int32_t screenH = 0;
  int32_t screenDepth = 0;
  int32_t screenHertz = 0;
  // config.txt stays open for the whole game, as the settings reader leaves it.
  TStreamPtr configStream;
  std::shared_ptr<TTimer> ticker;

  // The world pixel at the screen's top-left corner.
  int32_t camX = 0;
  int32_t camY = 0;
  std::shared_ptr<Tfigur> player;
  TGamePhase gameState = TGamePhase::Running;
  // Escape or a close request during loading: the game ends before play.
  bool loadingStopped = false;

  // The asset tables, filled by loading.
  std::vector<std::shared_ptr<TImage>> tileImages;    // 6
  std::vector<std::shared_ptr<TImage>> figureImages;  // 6
  std::vector<std::shared_ptr<TImage>> itemImages;    // 7
  std::vector<std::shared_ptr<TImage>> shotImages;    // 13
  std::vector<std::shared_ptr<TSound>> shotSounds;    // 5
  std::shared_ptr<TImage> bloodImage;
  std::shared_ptr<TSound> deathSound;

  // The world generator's parameters in force (TMap::Loadtype).
  int32_t pathCount = 0;    // the walk runs pathCount + 1 segments (none when negative)
  int32_t pathLengthA = 0;  // bounds of a segment's length in cells, either order
  int32_t pathLengthB = 0;
  int32_t pathWidthA = 0;  // bounds of the stamp size, either order
  int32_t pathWidthB = 0;
  int32_t roomSizeMax = 0;  // bound of a room's half-size; the other bound is 2
  int32_t roomChance = 0;   // a room is stamped when RandomInt(roomChance, 1) gives 1
  // The parameters file Loadtype reads, relative to the current directory. The game keeps
  // "map.txt"; the world tool points it wherever it is told.
  std::string mapParamsFile = "map.txt";
  // The seven parameters given directly instead (a replayed demo carries its own); Loadtype
  // then reads no file.
  std::optional<TMapParams> mapParamsGiven;

  // The actor lists, each made empty by its class's first use, in creation order.
  std::shared_ptr<TList<std::shared_ptr<Tfigur>>> figureList;
  std::shared_ptr<TList<TItem>> itemList;
  std::shared_ptr<TList<std::shared_ptr<tshot>>> shotList;
  std::shared_ptr<TList<Tblood>> bloodList;
};

struct TGame : TGameValues {
  TMapGrid mapGrid;
};

// The game being played. It lives in static storage, so the grid's cells have a fixed address.
extern TGame game;

// Makes `game` a fresh game: every value as at the start of a process, the grid all zero, the
// rules' clock running with no paused time.
void StartFreshGame();

// Lets the actors go (player, enemies, items, shots, blood) and keeps the world, as the
// world stands before anyone is placed in it.
void ForgetActors();

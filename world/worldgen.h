// World creation as the loading sequence runs it: the generator's stages in their binding
// order, each with the progress percent and caption that announce it, and the four layer
// files. The game's loading screen and the world tool share these.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct TWorldStage {
  int32_t percent;
  const char* caption;
  // Does the stage's work. Empty, or what kept the stage from doing it, naming the file.
  std::string (*work)();
};

// TMap::Create(CDungeon), smoothmap(1, 1), checkmap(), fillwatermap(), dekoratemap(4),
// bereichmap(20). Only the first can fail: when the parameters file cannot be opened, or
// when its walk is too long to carve.
extern const std::array<TWorldStage, 6> worldStages;

// Runs every stage in order; stops and gives false when a stage fails, with *problem (when
// given) saying why.
bool GenerateWorld(std::string* problem = nullptr);

struct TLayerFile {
  const char* name;
  int32_t first;
  int32_t last;
};

// mapall.map, mapcol.map, maptyp.map, maphight.map, in the order they are written.
extern const std::array<TLayerFile, 4> layerFiles;

// Writes the four layer files into folder ("" for the current directory). True when all
// four were written; each failure is reported on stderr and the others are still written.
bool SaveLayerFiles(const std::string& folder);

// Writes the four layer files beside the program (into the current directory). One that
// cannot be written there goes to the player's cache folder instead, which stderr names once;
// only when that fails too is it reported lost. An installed game writes them to the player's
// cache folder alone, saying nothing unless one is lost. Layer files an earlier version left
// in the player's data folder are removed. The names of those lost.
std::vector<std::string> SaveGameLayerFiles();

#include "world/worldgen.h"

#include <cstdio>
#include <filesystem>

#include "platform/files/paths.h"
#include "platform/files/textio.h"
#include "platform/text/language.h"
#include "state/game.h"
#include "world/tmap.h"

namespace {

std::string CreateStage() {
  bool paramsRead = false;
  const int32_t carved = TMap::Create(CDungeon, &paramsRead);
  if (!paramsRead) {
    return "cannot read " + game.mapParamsFile +
           ". It holds seven lines: the number of walk segments, the two bounds of a "
           "segment's length, the two bounds of the stamp size, the largest room half-size "
           "and the room chance.";
  }
  if (carved == kCarveStopped) return "the world was not finished: its carving was stopped";
  if (carved != 0) {
    return game.mapParamsFile + " asks for a walk of " + IntToText(game.pathCount) +
           " segments that would take more than " + std::to_string(kMaxCarveSteps) + " steps or write more than " +
           std::to_string(kMaxCarveCells) +
           " cells to carve. Lower its first three lines (the number of segments and the bounds "
           "of their length) or its stamp and room sizes (lines 4 to 6).";
  }
  return {};
}

// The shaping passes always do their work.
template <int32_t (*pass)()>
std::string Always() {
  pass();
  return {};
}

int32_t Smooth() { return TMap::smoothmap(1, 1); }
int32_t Decorate() { return TMap::dekoratemap(4); }
int32_t Forests() { return TMap::bereichmap(20); }

}  // namespace

const std::array<TWorldStage, 6> worldStages = {{
    {20, TrLater("Erstelle Map"), CreateStage},
    {25, TrLater("Runde Ecken"), Always<Smooth>},
    {35, TrLater("Begehe Map"), Always<TMap::checkmap>},
    {40, TrLater("Fuelle Ozeane"), Always<TMap::fillwatermap>},
    {55, TrLater("Dekoriere Umgebung"), Always<Decorate>},
    {70, TrLater("Suche Waelder"), Always<Forests>},
}};

bool GenerateWorld(std::string* problem) {
  for (const TWorldStage& stage : worldStages) {
    std::string why = stage.work();
    if (!why.empty()) {
      if (problem != nullptr) *problem = std::move(why);
      return false;
    }
  }
  return true;
}

const std::array<TLayerFile, 4> layerFiles = {{
    {"mapall.map", 0, 7},
    {"mapcol.map", 7, 7},
    {"maptyp.map", 5, 6},
    {"maphight.map", 0, 4},
}};

bool SaveLayerFiles(const std::string& folder) {
  bool all = true;
  for (const TLayerFile& layer : layerFiles) {
    const std::string path = folder.empty() ? layer.name : folder + "/" + layer.name;
    bool written = false;
    TMap::Savemap(path, layer.first, layer.last, &written);
    all = all && written;
  }
  return all;
}

namespace {

// Earlier versions kept the layer files with the player's data; they are a cache, made again at
// every launch.
void RemoveLayerFilesFromDataFolder() {
  const std::string data = UserDataFolder();
  if (data.empty()) return;
  for (const TLayerFile& layer : layerFiles) {
    std::error_code error;
    const std::filesystem::path old = std::filesystem::path(data) / layer.name;
    if (std::filesystem::is_regular_file(std::filesystem::symlink_status(old, error))) {
      std::filesystem::remove(old, error);
    }
  }
}

}  // namespace

std::vector<std::string> SaveGameLayerFiles() {
  RemoveLayerFilesFromDataFolder();
  std::vector<std::string> lost;
  const bool installed = RunsInstalled();
  const std::string folder = UserCacheFolder();
  bool told = false;
  for (const TLayerFile& layer : layerFiles) {
    std::string beside;
    if (!installed) {
      beside = WriteLayerFile(layer.name, layer.first, layer.last);
      if (beside.empty()) continue;
    }
    const std::string own = folder + "/" + layer.name;
    std::string problem;
    if (MakeFolders(folder, &problem)) problem = WriteLayerFile(own, layer.first, layer.last);
    if (problem.empty()) {
      // The player's folder is where an installed game's files belong; only a game whose own
      // folder refused them says where they went.
      if (!installed && !told) {
        std::fprintf(stderr,
                     "Kestrova: the map layer files cannot be written beside the program (%s); "
                     "they are written to %s instead\n",
                     beside.c_str(), folder.c_str());
        told = true;
      }
      continue;
    }
    if (installed) {
      WarnLayerFileLost(folder.empty() ? layer.name : own, problem);
    } else {
      // Each place's own reason: the player can act only on the one that tells what went wrong.
      WarnLayerFileLost(layer.name,
                        beside + "; nor in " + (folder.empty() ? "the cache folder" : folder) + ": " + problem);
    }
    lost.push_back(layer.name);
  }
  return lost;
}

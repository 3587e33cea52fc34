#include "world/worldgen.h"

#include "world/tmap.h"

const std::array<TWorldStage, 6> worldStages = {{
    {20, "Erstelle Map",
     [] {
       bool paramsRead = false;
       TMap::Create(CDungeon, &paramsRead);
       return paramsRead;
     }},
    {25, "Runde Ecken", [] { return TMap::smoothmap(1, 1) == 0; }},
    {35, "Begehe Map", [] { return TMap::checkmap() == 0; }},
    {40, "Fuelle Ozeane", [] { return TMap::fillwatermap() == 0; }},
    {55, "Dekoriere Umgebung", [] { return TMap::dekoratemap(4) == 0; }},
    {70, "Suche Waelder", [] { return TMap::bereichmap(20) == 0; }},
}};

bool GenerateWorld() {
  for (const TWorldStage& stage : worldStages) {
    if (!stage.work()) return false;
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

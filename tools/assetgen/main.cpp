// kestrova-assetgen ASSET_FOLDER [CONTACT_SHEET.png]
// Writes every picture and sound of the game into ASSET_FOLDER and, when named, the contact
// sheet. The output depends on nothing but this program: running it again gives the same
// bytes. The settings files in the folder are left alone.
#include <cstdio>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "art.h"
#include "ogg.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s ASSET_FOLDER [CONTACT_SHEET.png]\n", argv[0]);
    return 2;
  }
  std::string dir = argv[1];
  try {
    std::vector<Picture> pictures;
    for (auto* make : {MakeTiles, MakeFigures, MakeShots, MakeItems})
      for (Picture& p : make()) pictures.push_back(std::move(p));
    pictures.push_back(MakeBlood());
    for (const Picture& p : pictures) WritePng(dir + "/" + p.file, p.image);

    uint32_t serial = 0x4B455300;  // fixed, so the Ogg pages repeat byte for byte
    std::vector<Sound> sounds = MakeSounds();
    for (const Sound& s : sounds) WriteOgg(dir + "/" + s.file, s.samples, kSoundRate, ++serial);

    if (argc == 3) WritePng(argv[2], MakeContactSheet(pictures));
    std::printf("wrote %zu pictures and %zu sounds to %s\n", pictures.size(), sounds.size(),
                dir.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kestrova-assetgen: %s\n", e.what());
    return 1;
  }
  return 0;
}

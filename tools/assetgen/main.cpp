// kestrova-assetgen ASSET_FOLDER [CONTACT_SHEET.png]
// kestrova-assetgen --icons ICON_FOLDER NAME
// Writes every picture and sound of the game and the window's icon into ASSET_FOLDER and,
// when named, the contact sheet; or the desktop icons NAME.png into the hicolor theme's size
// folders of ICON_FOLDER. The output depends on nothing but this program: running it again
// gives the same bytes. The settings files in the folder are left alone.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "art.h"
#include "ogg.h"

namespace {

int WriteIcons(const std::string& dir, const std::string& name) {
  for (const Picture& icon : MakeIcons(name)) {
    const std::string path = dir + "/" + icon.file;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WritePng(path, icon.image);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--icons") {
    try {
      return WriteIcons(argv[2], argv[3]);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "kestrova-assetgen: %s\n", e.what());
      return 1;
    }
  }
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s ASSET_FOLDER [CONTACT_SHEET.png]\n       %s --icons ICON_FOLDER NAME\n", argv[0],
                 argv[0]);
    return 2;
  }
  std::string dir = argv[1];
  try {
    std::vector<Picture> pictures;
    for (auto* make : {MakeTiles, MakeFigures, MakeShots, MakeItems})
      for (Picture& p : make()) pictures.push_back(std::move(p));
    pictures.push_back(MakeBlood());
    for (const Picture& p : pictures) WritePng(dir + "/" + p.file, p.image);
    // Not on the contact sheet: it is the desktop icon's art, not the game's.
    const Picture icon = MakeWindowIcon();
    WritePng(dir + "/" + icon.file, icon.image);

    uint32_t serial = 0x4B455300;  // fixed, so the Ogg pages repeat byte for byte
    std::vector<Sound> sounds = MakeSounds();
    for (const Sound& s : sounds) WriteOgg(dir + "/" + s.file, s.samples, kSoundRate, ++serial);
    // After the sounds, so their serial numbers and bytes stay as they were.
    std::vector<Sound> music = MakeMusic();
    for (const Sound& s : music) WriteOgg(dir + "/" + s.file, s.samples, kSoundRate, ++serial);

    if (argc == 3) WritePng(argv[2], MakeContactSheet(pictures));
    std::printf("wrote %zu pictures, %zu sounds and %zu pieces of music to %s\n", pictures.size() + 1, sounds.size(),
                music.size(), dir.c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kestrova-assetgen: %s\n", e.what());
    return 1;
  }
  return 0;
}

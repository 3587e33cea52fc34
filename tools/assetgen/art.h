// The game's pictures and sounds, each made from code with fixed seeds.
#pragma once
#include <string>
#include <vector>

#include "image8.h"

struct Picture {
  std::string file;   // name in the game's folder
  std::string group;  // heading on the contact sheet
  Image8 image;
};

struct Sound {
  std::string file;
  std::vector<float> samples;  // mono, -1..1
};

constexpr int kTileSize = 64;
constexpr int kSoundRate = 22050;

std::vector<Picture> MakeTiles();
std::vector<Picture> MakeFigures();
std::vector<Picture> MakeShots();
std::vector<Picture> MakeItems();
Picture MakeBlood();
std::vector<Sound> MakeSounds();
// The play piece musik.ogg and the end screen's ende.ogg, each a seamless loop.
std::vector<Sound> MakeMusic();

// The desktop icon at 48, 64, 128 and 256 pixels, as hicolor/NxN/apps/<name>.png.
std::vector<Picture> MakeIcons(const std::string& name);
// The same icon at 64 pixels as the window's own, icon.png in the game's folder.
Picture MakeWindowIcon();

// Every picture at 1:1 on mid-grey with its file name, plus the tiles repeated and shaded
// the way the map draws them.
Image8 MakeContactSheet(const std::vector<Picture>& pictures);

#include <cstdio>
#include <string>

#include "app/demos/demo.h"
#include "app/demos/session.h"
#include "app/loading/loading.h"
#include "app/play/notices.h"
#include "app/play/placement.h"
#include "app/tapp.h"
#include "platform/audio/sound.h"
#include "platform/files/paths.h"
#include "platform/files/textio.h"
#include "platform/input/input.h"
#include "platform/input/keys.h"
#include "platform/system/fatal.h"
#include "platform/text/language.h"
#include "platform/video/draw_state_kept.h"
#include "platform/video/graphics.h"
#include "platform/video/image.h"
#include "rules/answers.h"
#include "rules/degrees.h"
#include "rules/random.h"
#include "state/game.h"
#include "world/tmap.h"
#include "world/worldgen.h"

namespace {

// The credit line under the title.
constexpr const char* kCredit = TrLater("Eine Welt aus Zufall, gebaut von der Kestrova-Werkstatt");

// The nearest single-precision value to 2.55, as the bar colour is defined with.
constexpr double kBarFactor = static_cast<double>(2.55f);

// prefix + number + suffix, for the numbered asset files.
std::string Numbered(const char* prefix, int32_t number, const char* suffix) {
  std::string name = prefix;
  name += IntToText(number);
  name += suffix;
  return name;
}

std::shared_ptr<TImage> LoadImage(const std::string& path) {
  auto image = LoadImageFile(path, -1);
  if (!image) std::fprintf(stderr, "Kestrova: warning: cannot load image %s\n", path.c_str());
  return image;
}

std::shared_ptr<TSound> LoadSound(const std::string& path) {
  auto sound = LoadSoundFile(path, 0);
  if (!sound) std::fprintf(stderr, "Kestrova: warning: cannot load sound %s\n", path.c_str());
  return sound;
}

void LoadTiles() {
  game.tileImages[1] = LoadImage("wasser.png");
  game.tileImages[0] = LoadImage("erde.png");
  game.tileImages[3] = LoadImage("sand.png");
  game.tileImages[2] = LoadImage("gras.png");
  game.tileImages[4] = LoadImage("baum.png");
  game.tileImages[5] = LoadImage("blatt.png");
}

void LoadFigures() {
  for (int k = 0; k < 5; ++k) game.figureImages[k] = LoadImage(Numbered("figur", k + 1, ".png"));
  game.figureImages[5] = LoadImage("figur1.png");
}

void LoadShots() {
  game.shotImages[0] = LoadImage("shoot.png");
  game.shotImages[1] = LoadImage("plasma.png");
  game.shotImages[2] = LoadImage("laser.png");
  game.shotImages[3] = LoadImage("letzter.png");
  for (int k = 0; k < 8; ++k) game.shotImages[4 + k] = LoadImage(Numbered("fire", k, ".png"));
}

void LoadItems() {
  game.itemImages[0] = LoadImage("firstaid.png");
  game.itemImages[1] = LoadImage("secaid.png");
  game.itemImages[2] = LoadImage("shell1.png");
  game.itemImages[3] = LoadImage("shell3.png");
  game.itemImages[4] = LoadImage("shell4.png");
  game.itemImages[5] = LoadImage("shell5.png");
  game.itemImages[6] = LoadImage("shell2.png");
}

void LoadShotSounds() {
  for (int k = 0; k < 5; ++k) game.shotSounds[k] = LoadSound(Numbered("s", k + 1, ".ogg"));
}

void LoadDeathSound() { game.deathSound = LoadSound("t.ogg"); }

void LoadBlood() { game.bloodImage = LoadImage("blood.png"); }

// Between stages and while the carver works: the window keeps answering, and Escape, the
// close button or a stop signal end the game here as they would end play.
bool KeepLoading() {
  if (KeyPressedLive(KEY_ESCAPE) != 0 || AppTerminate() != 0) game.loadingStopped = true;
  return !game.loadingStopped;
}

// Runs one world generator stage; the game cannot go on without its world.
void GenerateStage(const TWorldStage& stage) {
  const std::string problem = stage.work();
  if (!problem.empty() && !game.loadingStopped) Fatal(problem);
}

// The figures and items need land; a world without any ends the game here. A replayed
// demo's world comes from its map line, and no game with such a world was ever recorded.
void PlaceOrStop(bool (*place)()) {
  if (place()) return;
  if (Tapp::launch.demo.empty()) Fatal(kNoLandMessage);
  Fatal(DemoWithoutLand(Tapp::launch.demo), TGameSession::kNotADemo);
}

// stderr says where and why; the corner which.
void SaveMaps() {
  const std::vector<std::string> lost = SaveGameLayerFiles();
  if (lost.size() == 1) PostNotice(TrFill("Karte nicht gespeichert: %s", {lost[0]}));
  if (lost.size() > 1) PostNotice(TrFill("%s Karten nicht gespeichert", {std::to_string(lost.size())}));
}

// A software renderer makes its code for each way of drawing (blend, texture, filter) the
// first time it is used: each way play draws is used once here, in the back buffer, which the
// ground's blocks clear again and the first frame of play clears before it is shown.
void RehearseDrawing() {
  const TDrawStateKept kept;
  Cls();
  SetBlend(ALPHABLEND);
  SetColor(255, 255, 255);
  DrawImageFrame(game.figureImages[0], 100, 100, 0);
  DrawImageFrame(game.shotImages[0], 100, 100, 0);
  DrawImageFrame(game.itemImages[0], 100, 100, 0);
  DrawRect(100, 100, 10, 10);
  DrawLine(100, 100, 110, 110, 1);
  DrawString("0", 100, 100);
  SetBlend(LIGHTBLEND);
  SetAlpha(0.5f);
  DrawImageFrame(game.bloodImage, 100, 100, 0);
  Cls();
}

}  // namespace

const std::vector<TLoadStage>& LoadStages() {
  static const std::vector<TLoadStage> stages = {
      {0, TrLater("Tiles"), LoadTiles},
      {3, TrLater("Figuren"), LoadFigures},
      {6, TrLater("Schuesse"), LoadShots},
      {9, TrLater("Blut wird abgezapft"), LoadBlood},
      {13, TrLater("Item"), LoadItems},
      {worldStages[0].percent, worldStages[0].caption, [] { GenerateStage(worldStages[0]); }},
      {worldStages[1].percent, worldStages[1].caption, [] { GenerateStage(worldStages[1]); }},
      {worldStages[2].percent, worldStages[2].caption, [] { GenerateStage(worldStages[2]); }},
      {worldStages[3].percent, worldStages[3].caption, [] { GenerateStage(worldStages[3]); }},
      {worldStages[4].percent, worldStages[4].caption, [] { GenerateStage(worldStages[4]); }},
      {worldStages[5].percent, worldStages[5].caption, [] { GenerateStage(worldStages[5]); }},
      {80, TrLater("Sounds werden aufgenommen"), LoadShotSounds},
      {85, TrLater("Leute sterben nicht lautlos!"), LoadDeathSound},
      {88, TrLater("Gegner werden geboren"), [] { PlaceOrStop(PlaceEnemies); }},
      {90, TrLater("Items werden verloren"), [] { PlaceOrStop(PlaceItems); }},
      {90, TrLater("Maps speichern"),
       [] {
         SaveMaps();
         PrepareFirstFrame();
       }},
  };
  return stages;
}

int32_t Tapp::ladeb(int32_t percent, const std::string& text) {
  Cls();
  SetColor(128, 128, 128);
  DrawString(Tr("Loading Kestrova"), 5, 5);
  DrawString(Tr(kCredit), 5, 25);
  DrawRect(20, static_cast<float>(game.screenH / 2 - 20), static_cast<float>(game.screenW - 40), 40);
  const int32_t g = TruncToInt(percent * kBarFactor);
  SetColor(255 - g, g, 0);
  DrawRect(21, static_cast<float>(game.screenH / 2 - 19), static_cast<float>(game.screenW - 42), 38);
  SetColor(255, 255, 255);
  DrawString(TrFill("Lade: %s", {Tr(text)}), static_cast<float>(game.screenW / 2 - 100),
             static_cast<float>(game.screenH / 2 + 25));
  present();
  return 0;
}

int32_t Tapp::laden() {
  game.mapParamsFile = SettingsFile("map.txt");
  SetCarveHeartbeat(KeepLoading);
  for (const TLoadStage& stage : LoadStages()) {
    ladeb(stage.percent, stage.caption);
    stage.work();
    if (!KeepLoading()) break;
  }
  SetCarveHeartbeat(nullptr);
  return 0;
}

bool LoadingStopped() { return game.loadingStopped; }

// The start cell is found as Tapp::start finds it and the generator put back, so the rules
// draw what they always did.
void PrepareFirstFrame() {
  const TVex2DGraphics* g = CurrentGraphics();
  if (g == nullptr || g->_driver->GroundCache() == nullptr || DrawingSkipped()) return;
  const auto makeTextures = [g](const std::shared_ptr<TImage>& image) {
    if (!image) return;
    for (size_t i = 0; i < image->frames.size(); ++i) image->Frame(static_cast<int32_t>(i), *g->_driver, GraphicsSeq());
  };
  for (const auto* images : {&game.figureImages, &game.shotImages, &game.itemImages}) {
    for (const std::shared_ptr<TImage>& image : *images) makeTextures(image);
  }
  makeTextures(game.bloodImage);
  RehearseDrawing();
  const int32_t drawn = RandomState();
  int32_t x = 0;
  int32_t y = 0;
  const bool found = FindLandCell(x, y);
  SetRandomState(drawn);
  if (!found) return;
  const auto playerX = static_cast<double>(static_cast<float>(64 * x - 32));
  const auto playerY = static_cast<double>(static_cast<float>(64 * y - 32));
  TMap::prepare(TruncToInt(playerX - game.screenW / 2), TruncToInt(playerY - game.screenH / 2), game.screenW,
                game.screenH);
}

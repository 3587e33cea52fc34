#include "state/globals.h"

int32_t screenW = 0;
int32_t screenH = 0;
int32_t screenDepth = 0;
int32_t screenHertz = 0;
std::shared_ptr<TTimer> ticker;
int32_t camX = 0;
int32_t camY = 0;
std::shared_ptr<Tfigur> player;
int32_t gameState = 0;

TStreamPtr configStream;

std::vector<std::shared_ptr<TImage>> tileImages;
std::vector<std::shared_ptr<TImage>> figureImages;
std::vector<std::shared_ptr<TImage>> itemImages;
std::vector<std::shared_ptr<TImage>> shotImages;
std::vector<std::shared_ptr<TSound>> shotSounds;
std::shared_ptr<TImage> bloodImage;
std::shared_ptr<TSound> deathSound;

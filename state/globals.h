// Process-wide state of the game: screen settings, camera, the player, the game state and
// the asset tables that the loading sequence fills. It sits below the world and the actors,
// which read it, and the application, which sets it up.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/files/textio.h"

class TImage;
class TSound;
class TTimer;
class Tfigur;

extern int32_t screenW;
extern int32_t screenH;
extern int32_t screenDepth;
extern int32_t screenHertz;
extern std::shared_ptr<TTimer> ticker;
extern int32_t camX;
extern int32_t camY;
extern std::shared_ptr<Tfigur> player;
// 0 while the game runs, 1 once the player has died, 2 once the user has quit.
extern int32_t gameState;

// config.txt stays open for the whole run, as the settings reader leaves it.
extern TStreamPtr configStream;

extern std::vector<std::shared_ptr<TImage>> tileImages;    // 6
extern std::vector<std::shared_ptr<TImage>> figureImages;  // 6
extern std::vector<std::shared_ptr<TImage>> itemImages;    // 7
extern std::vector<std::shared_ptr<TImage>> shotImages;    // 13
extern std::vector<std::shared_ptr<TSound>> shotSounds;    // 5
extern std::shared_ptr<TImage> bloodImage;
extern std::shared_ptr<TSound> deathSound;

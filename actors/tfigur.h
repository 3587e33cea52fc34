// A figure: the player or an enemy, a body on the world that turns, walks, fires and dies.
#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "actors/actor_copy.h"
#include "state/tlist.h"

class Tfigur : public std::enable_shared_from_this<Tfigur> {
 public:
  float HP = 0.0f;  // dead once below 0; 0 is still alive
  float X = 0.0f;   // world pixels
  float Y = 0.0f;
  int32_t T = 0;     // carried, never used
  int32_t Time = 0;  // clock reading at the last shot of a rate-limited weapon
  int32_t EP = 0;    // points: the player's score
  int32_t Art = 0;   // kind 0..5: image and enemy behaviour
  int32_t Side = 0;  // facing in whole degrees, 0 up the screen, clockwise, never wrapped
  std::array<int32_t, 5> weapons{};  // ammunition per weapon kind; -1: not available
  int32_t weapon = 0;                // selected weapon kind 0..4

  // Makes a figure at world pixel (x, y) and appends it to figureList. Enemies get 100 HP and
  // 100000 rounds of one random weapon; the game loop gives the player its own values.
  static std::shared_ptr<Tfigur> neu(int32_t x, int32_t y, int32_t art);
  // Updates (and so draws) every figure, in list order.
  static int32_t all();

  int32_t update();
  // Draws the figure; flag 1 adds the stroke that points an enemy at the player.
  int32_t draw(int32_t flag);
  // Steps a pixels to the right and b pixels forward, sliding along land where blocked.
  int32_t move(int32_t a, int32_t b);

 private:
  // Copies keep their own list links (actors/actor_copy.h).
  friend TActors CopyActors(const TActors& from, TFigureCopies& copies);
  TListLink<std::shared_ptr<Tfigur>>* link_ = nullptr;
};


// Pickups lying on the land: first-aid kits and ammunition for the player.
#pragma once
#include <cstdint>
#include <memory>

#include "state/tlist.h"

class TItem {
 public:
  int32_t X = 0;  // world pixels of the centre
  int32_t Y = 0;
  int32_t Art = 0;  // kind 0..6: 0, 1 heal; k >= 2 refills weapon k - 2
  int32_t r = 0;    // drawing angle 1..360

  static int32_t neu(int32_t x, int32_t y, int32_t art);
  // Draws every item and lets the player pick up those within reach.
  static int32_t all();
};


// Blood decals: red splashes left by hits and deaths, kept for the rest of the game.
#pragma once
#include <cstdint>
#include <memory>

#include "state/tlist.h"

class Tblood {
 public:
  int32_t X = 0;  // world pixels of the centre
  int32_t Y = 0;
  int32_t R = 0;     // drawing angle 1..360
  float s = 0.0f;    // drawing scale, 0.1 up to 1

  // One call in 24 leaves a decal near (x, y).
  static int32_t neu(int32_t x, int32_t y);
  // Draws the decals near the screen additively, then restores the normal drawing state.
  static int32_t draw();
};


// A shot of one of the five weapon kinds, and the weapons' firing rules.
#pragma once
#include <cstdint>
#include <memory>

#include "actors/actor_copy.h"
#include "state/tlist.h"

class Tfigur;

class tshot {
 public:
  float x = 0.0f;  // world pixels
  float y = 0.0f;
  float s = 0.0f;   // heading: each update moves by (SinDeg(s), CosDeg(s)) times the speed
  int32_t t = 0;    // clock reading when fired; 0 after a hit
  int32_t art = 0;  // weapon kind 0..4: the flight
  int32_t g = 0;    // slot of the image in shotImages
  int32_t r = 0;    // the image is drawn turned by -r degrees
  int32_t hp = 0;   // damage to each figure hit
  std::shared_ptr<Tfigur> f;  // the owner, never hit by its own shot

  // Fires weapon `kind` from (x, y) heading angle + 180, if the weapon's chance or rate
  // limit and the owner's ammunition allow it; null when nothing leaves. A null owner
  // stands for the player.
  static std::shared_ptr<tshot> neu(int32_t x, int32_t y, int32_t angle, int32_t kind,
                                    std::shared_ptr<Tfigur> owner);
  int32_t draw();
  int32_t update();
  // Updates and draws every shot, in list order, including shots fired during the pass.
  static int32_t all();

 private:
  // Copies keep their own list links (actors/actor_copy.h).
  friend TActors CopyActors(const TActors& from, TFigureCopies& copies);
  void step(double speed);
  void hitFigures(bool& hit);
  void hitFigure(Tfigur& figure, bool& hit);
  TListLink<std::shared_ptr<tshot>>* link_ = nullptr;
  // SinDeg and CosDeg of the heading they were computed for: most kinds fly straight.
  uint32_t trigFor_ = 0x7fc00000u;  // no heading: a NaN pattern the heading never holds
  double sin_ = 0.0;
  double cos_ = 0.0;
};


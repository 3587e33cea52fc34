#include "actors/tshot.h"

#include <bit>
#include <vector>

#include "actors/figure_grid.h"
#include "actors/hearing.h"
#include "actors/tblood.h"
#include "actors/tfigur.h"
#include "platform/audio/sound.h"
#include "platform/system/clock.h"
#include "platform/video/graphics.h"
#include "rules/degrees.h"
#include "rules/random.h"
#include "rules/rules_clock.h"
#include "state/game.h"

namespace {

// The figures' positions during the current shot pass, when there are enough shots to make
// the lookup pay; null otherwise, and outside the pass.
const FigureGrid* passGrid = nullptr;
constexpr int32_t kShotsForGrid = 16;

// Kinds 2 and 3 fire when more than `gap` ms have passed since the owner's last shot of
// either. A figure that has never fired (Time 0) may fire at once: its Time says nothing
// about the clock, which can be negative or small.
int32_t RateLimit(Tfigur& owner, int32_t gap) {
  if (owner.Time != 0 && ClockDiff(NowMs(), owner.Time) <= gap) return 0;
  owner.Time = NowMs();
  return 1;
}

}  // namespace

std::shared_ptr<tshot> tshot::neu(int32_t x, int32_t y, int32_t angle, int32_t kind, std::shared_ptr<Tfigur> owner) {
  if (!game.shotList) game.shotList = std::make_shared<TList<std::shared_ptr<tshot>>>();
  if (!owner) owner = game.player;

  int32_t d = 0;
  switch (kind) {
    case 0:
      d = RandomInt(0, 10);
      break;
    case 1:
    case 4:
      d = RandomInt(0, 15);
      break;
    case 2:
      d = RateLimit(*owner, 500);
      break;
    case 3:
      d = RateLimit(*owner, 2000);
      break;
    default:
      break;
  }
  // Ammunition and sound are those of the owner's selected weapon, whatever kind is fired.
  int32_t& rounds = owner->weapons[owner->weapon];
  if (rounds < 0) {
    d = 0;
  } else if (d == 1) {
    rounds = rounds - 1;
  }
  if (d != 1) return nullptr;

  // The player's own shots sound at full volume in the centre, everyone else's where they are.
  if (owner == game.player) {
    PlaySound(game.shotSounds[owner->weapon]);
  } else {
    PlaySoundAt(game.shotSounds[owner->weapon], x, y);
  }
  auto shot = std::make_shared<tshot>();
  shot->link_ = game.shotList->AddLast(shot);
  shot->f = std::move(owner);
  shot->x = static_cast<float>(x);
  shot->y = static_cast<float>(y);
  shot->s = static_cast<float>(angle + 180);
  shot->r = TruncToInt(shot->s);
  shot->t = NowMs();
  shot->art = kind;
  shot->g = kind;
  switch (kind) {
    case 0:
      shot->s = static_cast<float>(static_cast<double>(shot->s) + RandomInt(-5, 5));
      shot->hp = 3;
      break;
    case 1:
      shot->r = RandomInt(360, 1);
      shot->hp = 6;
      break;
    case 2:
      shot->r = RandomInt(360, 1);
      shot->hp = 9;
      break;
    case 3:
      shot->r = RandomInt(360, 1);
      shot->hp = 1;
      break;
    case 4:
      shot->g = RandomInt(0, 7) + 4;
      shot->r = RandomInt(360, 1);
      shot->hp = 12;
      break;
    default:
      break;
  }
  return shot;
}

int32_t tshot::draw() {
  SetDrawRotation(static_cast<float>(-r));
  DrawImageFrame(game.shotImages[g], static_cast<float>(static_cast<double>(x) - game.camX),
                 static_cast<float>(static_cast<double>(y) - game.camY), 0);
  return 0;
}

void tshot::step(double speed) {
  const auto bits = std::bit_cast<uint32_t>(s);
  if (bits != trigFor_) {
    trigFor_ = bits;
    SinCosDeg(s, sin_, cos_);
  }
  x = static_cast<float>(x + sin_ * speed);
  y = static_cast<float>(y + cos_ * speed);
}

int32_t tshot::update() {
  switch (art) {
    case 0:
      step(8.0);
      break;
    case 1:
      step(3.0);
      break;
    case 2:
      // The heading falls by a hundredth of a degree per millisecond of age: the shot curls.
      s = static_cast<float>(s + ClockDiff(t, NowMs()) / 100.0);
      step(7.0);
      break;
    case 3:
      step(3.0);
      for (int32_t i = 0; i < 13; ++i) {
        const int32_t ix = TruncToInt(x);
        const int32_t iy = TruncToInt(y);
        const int32_t angle = RandomInt(360, 1);
        neu(ix, iy, angle, 0, f);
      }
      break;
    case 4: {
      // Wanders and speeds up with age: 5 pixels at firing, 10 at the end of its life.
      s = static_cast<float>(s + RandomReal(-2.0, 2.0));
      double sin = 0.0;
      double cos = 0.0;
      SinCosDeg(s, sin, cos);
      auto k = static_cast<float>(2000.0 - ClockDiff(t, NowMs()));
      x = static_cast<float>(x + sin * k / 2000.0 * 5.0);
      k = static_cast<float>(2000.0 - ClockDiff(t, NowMs()));
      y = static_cast<float>(y + cos * k / 2000.0 * 5.0);
      break;
    }
    default:
      break;
  }

  bool hit = false;
  hitFigures(hit);
  // A hit ends the shot in this update whatever the clock reads (its t is 0 now, and a
  // negative clock would otherwise keep it flying); else it lives 2000 ms.
  if (hit || ClockDiff(NowMs(), t) > 2000) {
    if (game.shotList) game.shotList->RemoveLink(link_);
  }
  return 0;
}

void tshot::hitFigures(bool& hit) {
  if (!game.figureList) return;
  static std::vector<Tfigur*> hits;
  hits.clear();
  if (passGrid != nullptr && passGrid->collect(x, y, f.get(), hits)) {
    for (Tfigur* figure : hits) hitFigure(*figure, hit);
    return;
  }
  // Nothing is added to or removed from the figure list while a shot hits.
  game.figureList->ForEach([&](Tfigur* figure) {
    if (figure != f.get() && FigureGrid::inReach(x, y, *figure)) hitFigure(*figure, hit);
  });
}

void tshot::hitFigure(Tfigur& figure, bool& hit) {
  figure.HP = static_cast<float>(static_cast<double>(figure.HP) - hp);
  if (figure.HP < 0.0f) {
    for (int32_t i = 0; i <= 50; ++i) Tblood::neu(TruncToInt(figure.X), TruncToInt(figure.Y));
  }
  t = 0;
  hit = true;
  Tblood::neu(TruncToInt(x), TruncToInt(y));
}

int32_t tshot::all() {
  SetBlend(3);
  SetAlpha(1.0f);
  SetColor(255, 255, 255);
  if (game.shotList) {
    static FigureGrid grid;  // kept to reuse its storage from frame to frame
    if (game.figureList && game.shotList->Count() >= kShotsForGrid && grid.build(*game.figureList)) passGrid = &grid;
    for (auto walk = game.shotList->Walk(); walk.HasNext();) {
      const std::shared_ptr<tshot>& shot = walk.NextObject();
      shot->update();
      shot->draw();
    }
    passGrid = nullptr;
  }
  SetAlpha(1.0f);
  return 0;
}

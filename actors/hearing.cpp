#include "actors/hearing.h"

#include <algorithm>
#include <cmath>

#include "actors/tfigur.h"
#include "platform/audio/sound.h"
#include "state/game.h"

namespace {

// The distance at which a sound is heard at half its power, in half screen widths.
constexpr double kHalfPowerDistance = 0.8;
// Even a sound far to one side keeps a little of itself in the other ear.
constexpr double kWidestPan = 0.8;

}  // namespace

THearing HearingAt(double x, double y) {
  if (!game.player) return {};
  const double reach = std::max(game.screenW / 2, 1);
  const double dx = (x - game.player->X) / reach;
  const double dy = (y - game.player->Y) / reach;
  const double d = std::hypot(dx, dy) / kHalfPowerDistance;
  return {static_cast<float>(1.0 / (1.0 + d * d)), static_cast<float>(std::clamp(dx, -1.0, 1.0) * kWidestPan)};
}

void PlaySoundAt(const std::shared_ptr<TSound>& sound, double x, double y) {
  const THearing heard = HearingAt(x, y);
  PlaySound(sound, heard.volume, heard.pan);
}

// Where the player hears what happens in the world: a sound made at a world pixel is panned
// by its horizontal place relative to the player and fainter with its distance. Only what the
// speakers give out changes; the rules never read it.
#pragma once
#include <memory>

class TSound;

struct THearing {
  float volume = 1.0f;  // 1 at the player
  float pan = 0.0f;     // -1 left .. 1 right
};

// Full at the player, about 0.4 at the screen's side edge, below 0.15 a screen width away.
THearing HearingAt(double x, double y);
// Plays the sound as heard from world pixel (x, y); null plays nothing.
void PlaySoundAt(const std::shared_ptr<TSound>& sound, double x, double y);

// The player's keys past the rules, during play and on the score screen: full screen
// (key_fullscreen, F11, or Alt+Enter), the sound (key_mute, key_volume_down, key_volume_up),
// the screenshot (key_screenshot, F12); and news of a pad that came or went. The rules never
// read these keys, so recorded games are unaffected.
#pragma once
#include <cstdint>
#include <string>

#include "app/player/settings.h"
#include "platform/core/events.h"

// What a game keeps of these keys between frames.
class TPlayerKeys {
 public:
  void OnEvent(const TEvent& ev);

  // Alt+Enter presses, told apart as the events come: by the time a frame looks, a quick
  // press may have let go of Alt already.
  int32_t altEnters = 0;
  bool altHeld[2] = {false, false};
  bool screenshotAsked = false;
  // The pause menu waits for a key to bind: the key pressed is that, and nothing else.
  bool keyAwaited = false;
  // Whether a pad was there at the last look; -1 before the first, whose pad is no news.
  int32_t padSeen = -1;
};

// After a frame is drawn: takes the window's and the sound's keys, then draws the notice due.
void RunPlayerKeys();
// The sound's state for the corner: "Ton 70 %", "Ton 70 % (aus)".
std::string SoundNotice(const TPlayerSettings& settings);
// True once after each press of the screenshot key: the next frame presented is saved.
bool TakeScreenshotRequest();

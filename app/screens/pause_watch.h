// When play pauses: presses of P or Pause, clicks of the left button and losses of the focus,
// counted from the window's events for the game loop, which looks at them between frames; and
// the last frame of play, kept for the pause screen (Tapp::pause draws it).
#pragma once
#include <cstdint>
#include <vector>

#include "platform/core/events.h"
#include "platform/files/pixmap.h"

struct TPauseInput {
  int32_t keys = 0;
  int32_t clicks = 0;
  bool focusLost = false;
};

// Starts counting; again does nothing.
void StartPauseWatch();
// The keys that pause and go on (the player's key_pause; P and Pause until set).
void SetPauseKeys(const std::vector<int32_t>& keys);
// What came since the last call; clears it. Pumps first.
TPauseInput TakePauseInput();
// Whether P, Pause or a loss of the focus is waiting there. Does not pump, so it tells what
// the events taken during the frame just shown asked for.
bool PauseAsked();

// While the pause menu is open its input is kept in order: key presses (first presses, not
// repeats), pointer moves, presses of the left button and close requests.
void OpenPauseMenu(bool open);
// What came since the last call; clears it. Pumps first.
std::vector<TEvent> TakeMenuInput();

// While on, a frame presented (KeepFrameIfPausing before Flip(-1)) after which the game will
// pause keeps a copy of itself first, for the pause to show. On only during play.
void KeepFramesForPause(bool on);
void KeepFrameIfPausing();
// The frame kept at the last such present, if any; taken.
TPixmapPtr TakeKeptFrame();

// Forgets what was counted and kept; for tests.
void ResetPause();

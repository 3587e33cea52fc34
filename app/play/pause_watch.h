// When play pauses: presses of P or Pause, clicks of the left button and losses of the focus,
// counted from the window's events for the game loop, which looks at them between frames; and
// the last frame of play, kept for the pause screen (Tapp::pause draws it).
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "platform/core/events.h"
#include "platform/files/pixmap.h"

struct TPauseInput {
  int32_t keys = 0;
  int32_t clicks = 0;
  bool focusLost = false;
  bool asked = false;  // by the game itself (a saved game goes on paused)
};

// A game's watch: the pause keys are the player's key_pause (P and Pause unless bound).
class TPauseWatch {
 public:
  void OnEvent(const TEvent& ev);

  TPauseInput input;
  // A key or button held down counts once, however often the window repeats its press.
  std::array<bool, 256> keyHeld{};
  bool buttonHeld = false;
  bool keepFrames = false;
  TPixmapPtr keptFrame;
  bool menuOpen = false;
  std::vector<TEvent> menuInput;
};

// What came since the last call; clears it. Pumps first.
TPauseInput TakePauseInput();
// Whether P, Pause or a loss of the focus is waiting there. Does not pump, so it tells what
// the events taken during the frame just shown asked for.
bool PauseAsked();
// Play pauses after the next frame, as if P had been pressed.
void AskPause();

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

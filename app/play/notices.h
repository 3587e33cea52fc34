// News for the player in the top right corner of the window, during play and on the score
// screen: the sound's new state, a screenshot saved, a mistake in settings.txt, a pad that came
// or went, a file the game could not write. One shows at a time, each for a few seconds from
// when it first shows; later ones wait their turn. Their text is the game's language, in ASCII
// (the font has no other letters); stderr keeps the full messages.
#pragma once
#include <cstdint>
#include <deque>
#include <string>

struct TNotice {
  std::string text;
  bool sound = false;
  bool shown = false;
  int32_t since = 0;  // when it first showed
};

// A game's notices, the one showing first.
struct TNotices {
  std::deque<TNotice> queue;
};

// Queues a notice.
void PostNotice(const std::string& text);
// The sound's state: replaces a sound notice that shows or waits, so quick steps show the last.
void PostSoundNotice(const std::string& text);
// Draws the notice due, if any, leaving the draw state as it found it; once a frame, after the
// rules of the frame have run.
void DrawNotices();
// The notice showing, or empty.
std::string CurrentNotice();

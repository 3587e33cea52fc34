// News for the player in the top right corner of the window, during play and on the score
// screen: the sound's new state, a screenshot saved, a mistake in settings.txt, a pad that came
// or went, a file the game could not write. One shows at a time, each for a few seconds from
// when it first shows; later ones wait their turn, a few at most, so a held key cannot bury
// what matters behind minutes of news. Their text is the game's language, in ASCII (the font
// has no other letters); stderr keeps the full messages.
#pragma once
#include <cstdint>
#include <deque>
#include <string>

// What a notice tells decides its place.
enum class TNoticeKind {
  Plain,    // in turn; one already showing or waiting with the same text is not repeated
  Picture,  // a screenshot saved: those showing or waiting merge into one count
  Sound,    // the sound's new state: to the front, replacing the last one
  Urgent,   // something the player loses (a score or a game not saved): to the front
};

struct TNotice {
  std::string text;
  TNoticeKind kind = TNoticeKind::Plain;
  bool shown = false;
  int32_t since = 0;  // when it first showed
  int32_t count = 1;  // pictures merged into it
};

// A game's notices, the one showing first.
struct TNotices {
  std::deque<TNotice> queue;
};

// The most notices held, the one showing included; the oldest plain one waiting gives way.
inline constexpr size_t kMostNotices = 4;

// Queues a notice. A sound notice replaces one that shows or waits (quick steps show the
// last); a sound or urgent one interrupts a plain one showing, which shows again in full after.
void PostNotice(const std::string& text, TNoticeKind kind = TNoticeKind::Plain);
// A screenshot saved as `file`: "Bild: file", or with others not yet gone "3 Bilder gespeichert".
void PostPictureNotice(const std::string& file);
// Draws the notice due, if any, leaving the draw state as it found it; once a frame, after the
// rules of the frame have run.
void DrawNotices();
// The notice showing, or empty.
std::string CurrentNotice();

// The simulator's input script: one event per line, "k down CODE", "k up CODE",
// "k pointer DX" or "k pause MS", delivered before frame k's first input query. A pause keeps
// the rules' clock standing for MS milliseconds of the real clock.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct SimEvent {
  enum Kind { kDown, kUp, kPointer, kPause };
  int32_t frame = 0;
  Kind kind = kDown;
  int32_t code = 0;  // key code 1..255, or 0 for the left mouse button; DX for kPointer; MS for kPause
  int32_t line = 0;  // line of the script, for messages
};

// Parses the whole script text. On a malformed line returns false with `error` naming the line.
bool ParseSimScript(const std::string& text, std::vector<SimEvent>& events, std::string& error);

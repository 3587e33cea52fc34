// What a desktop sends to end a program (SIGTERM at logout, SIGINT from a terminal, SIGHUP when
// the terminal goes): the first such signal becomes a close request at the next event pump, so
// play ends as the close button ends it and the demo and report are written; a second one while
// that runs ends the process at once, as that signal does by default.
#pragma once
#include <string>

// The exit status of a game whose display went away (its X server or Wayland compositor ended).
inline constexpr int kDisplayLostStatus = 5;

void InstallStopSignals();
// A write to a pipe nobody reads any more (stderr piped into a closed reader, a display
// connection dropped by its server) fails with EPIPE for its writer to report, instead of
// ending the game without a word.
void IgnoreBrokenPipes();
// The first stop signal that arrived, 0 while none did.
int StopSignal();

// The display the window was on has gone: said once on stderr, then play ends as on a stop
// signal. Nothing may be drawn or asked of the display any more.
void StopForLostDisplay(const std::string& display);
// Asked before every drawing, so read in place.
inline bool displayLost = false;
inline bool DisplayLost() { return displayLost; }
// What the game ends with when stopped from outside: 128 + the stop signal, or
// kDisplayLostStatus; 0 while nothing stopped it.
int StopStatus();

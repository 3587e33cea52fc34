// How the program stops when it cannot go on: a message on stderr, a message box once a
// window exists, the screen closed, and a non-zero exit status.
#pragma once
#include <string>

// The screen layer registers its window and its close routine here when it opens.
void SetMessageBoxWindow(void* sdlWindow);
void SetScreenCloser(void (*closer)());
bool HasMessageBoxWindow();

// A modal box with an OK button, over the game window when there is one. A process the box
// runs in ends with the game's.
void ShowMessageBox(const char* title, const char* text);
// For stop signal sig: while a box is up, ends the game at once with status 128 + sig, since
// the box holds the program where no close request is seen. Safe in a signal handler.
void EndIfMessageBoxUp(int sig);
// Closes the screen if one is open; safe to call more than once.
void CloseScreenForExit();

// Breaks the text at blanks into lines of at most `width` characters where it can.
std::string WrapLines(const std::string& text, size_t width);

// The game itself shows its stop messages in a box even before its window exists, so that a
// player who started it from a desktop icon sees why it did not come up. Off by default, for
// tools and tests.
void ShowBoxesWithoutWindow(bool on);

// Prints "Kestrova: <message>" to stderr and shows it in a box when a window exists (or, with
// ShowBoxesWithoutWindow, whenever a display can show one).
void ReportProblem(const std::string& message);
// ReportProblem, then closes the screen and exits with the status (128 + N after stop signal N).
[[noreturn]] void Fatal(const std::string& message, int status = 1);

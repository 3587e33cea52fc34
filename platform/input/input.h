// Polled keyboard and mouse state, built from the window's events. Key codes are those of
// platform/input/keys.h. Every query pumps the pending window events first
// (platform/core/events.h), except the Current* reads, which give the state as of the last
// pump; drawing, Flip and the clock never pump. The state follows events only while a
// screen is open.
#pragma once
#include <cstdint>
#include <vector>

// The player's mouse sensitivity: CurrentPointerX answers the pointer's horizontal offset
// from where MovePointer last put it times this (negative turns the other way), the fraction
// carried to the next offset. 1, the start, answers the pointer as it is.
void SetPointerSensitivity(double scale);

// What a close request (the window's close button) counts as: one press of each of these
// keys, besides AppTerminate. None at the start.
void SetCloseRequestKeys(const std::vector<int32_t>& keys);

// The physical state as of the last pump. Taking a key's presses resets its count.
int32_t TakeCurrentKeyPresses(int32_t key);
int32_t CurrentKeyDown(int32_t key);
// With quick taps counted: a key pressed and let go again before a frame asked for it counts
// as held once, in the frame that asks next (or none, if two frames begin before one asks),
// so a tap shorter than a frame is not lost. Without them, the same as CurrentKeyDown.
int32_t TakeCurrentKeyHeld(int32_t key);
void CountQuickTaps(bool on);
// A frame begins: taps not asked for since the frame before are dropped.
void StartInputFrame();
// 1 left, 2 right, 3 middle.
int32_t CurrentButtonDown(int32_t button);
// With the player's sensitivity applied.
int32_t CurrentPointerX();
int32_t CurrentPointerY();

// Moves the system pointer while the window has the focus; the stored position follows at
// the next pump either way.
void MovePointer(int32_t x, int32_t y);
// Hides the system pointer over the window while play holds it.
void HidePointer();
// Shows or hides the system pointer over the window as HidePointer and the hold say.
void ShowOrHidePointer();
// Play holds the pointer (while the window has the focus: platform/input/window_input.h) or lets it
// go: in the pause, on the loading and end screens it is the user's, shown and free. Taken
// again, it is put where the game last asked for it, so wherever the user moved it turns
// nobody.
void HoldPointerForPlay(bool on);
// Leaves the system pointer to the user from now on: shown, never held and never moved by the
// game (MovePointer still sets the position the game reads). For watching a replay.
void ReleasePointer();

// Presses of the key counted and not yet taken; leaves them for the next taker.
int32_t KeyPressesWaiting(int32_t key);

// The next typed character from the queue, 0 when none waits.
int32_t GetChar();
// 1 while another program is active; 1 once the user has asked to close the window.
int32_t AppSuspended();
int32_t AppTerminate();
bool PointerHidden();

// A key a menu of the game has used: let go, its presses forgotten, until pressed again.
void ReleaseKey(int32_t key);
// Counts one press of the key, as pressing and letting go would; for a menu line that does
// what a key does.
void CountKeyPress(int32_t key);

// Empties the character queue and releases every key; pumps first.
void ClearKeys();
// Releases every button and zeroes the wheel; pumps first.
void ClearButtons();

// Opening a screen switches polled input on (clearing keys, buttons and any close request);
// closing it, off.
void EnablePolledInput();
void DisablePolledInput();

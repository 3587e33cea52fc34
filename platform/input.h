// Polled keyboard and mouse state, built from the window's events. Key codes are those of
// platform/keys.h. Every query pumps the pending window events first (platform/events.h);
// drawing, Flip and NowMs never do. The state follows events only while a screen is open.
#pragma once
#include <cstdint>
#include <vector>

// The player's bindings: the rules' question about a key code is answered from these
// physical keys instead (none: never held). Codes never bound answer for themselves.
void BindKey(int32_t code, const std::vector<int32_t>& keys);
void UnbindKey(int32_t code);
// The player's mouse sensitivity: PointerX answers the pointer's horizontal offset from where
// MovePointer last put it times this (negative turns the other way), the fraction carried to
// the next offset. 1, the start, answers the pointer as it is.
void SetPointerSensitivity(double scale);

#include "platform/answer_tap.h"

// Presses of the key since it was last asked for (or cleared); resets the count.
int32_t KeyPressed(int32_t key);
// KeyPressed as the window counted it, past any answer tap: for controls outside the game
// rules, such as stopping a replay.
int32_t KeyPressedLive(int32_t key);
// 1 while the key is held; leaves the press count alone.
int32_t KeyIsDown(int32_t key);
// 1 left, 2 right, 3 middle.
int32_t ButtonIsDown(int32_t button);
int32_t PointerX();
int32_t PointerY();
// Moves the system pointer while the window has the focus; the stored position follows at
// the next pump either way.
void MovePointer(int32_t x, int32_t y);
// Hides the system pointer while it is over the window and the window has the focus.
void HidePointer();
// Shows or hides the system pointer over the window as HidePointer and the focus say.
void ShowOrHidePointer();
// Leaves the system pointer to the user from now on: shown, and never moved by the game
// (MovePointer still sets the position the game reads). For watching a replay.
void ReleasePointer();
// The same while the game is paused; afterwards the pointer is taken back and put where the
// game last asked for it, so that wherever the user moved it turns nobody.
void FreePointerWhilePaused(bool on);

// Presses of the key counted and not yet asked for; leaves them for the next KeyPressed.
int32_t KeyPressesWaiting(int32_t key);

// The next typed character from the queue, 0 when none waits.
int32_t GetChar();
// 1 while another program is active; 1 once the user has asked to close the window.
int32_t AppSuspended();
int32_t AppTerminate();
bool PointerHidden();

// Empties the character queue and releases every key; pumps first.
void ClearKeys();
// Releases every button and zeroes the wheel; pumps first.
void ClearButtons();

// What the application adds to the window's answers before any answer tap sees them (a pad
// mapped onto keys, buttons and the pointer): given the live answer of the keyboard or the
// mouse, the joined one. Asked only for the input queries, never for the clock, and it may
// keep state (presses it hands out once); reading PointerX or PointerY changes nothing here.
class TInputJoin {
 public:
  virtual ~TInputJoin() = default;
  virtual int32_t Join(TQuery query, int32_t code, int32_t live) = 0;
};
// Null: the answers are the keyboard's and the mouse's alone.
void SetInputJoin(TInputJoin* join);

// Forgets every key, button, character, the pointer's position and its hiding, as at start;
// for tests, which share one process.
void ResetInput();

// Opening a screen switches polled input on (clearing keys, buttons and any close request);
// closing it, off.
void EnablePolledInput();
void DisablePolledInput();

// What the game's rules see of the player's inputs, and the one place where that view can be
// watched or replaced. Each answer is built in steps: the window's keys and mouse (through
// the player's key bindings), joined with what the application adds (a pad mapped onto keys,
// buttons and the pointer), then passed through the answer tap, if one is set. Live play sets
// no tap; a recording tap writes the answers down; a replaying tap gives recorded answers
// instead of the live ones. The rules never know which. The clock the rules read
// (rules/rules_clock.h) passes the same tap.
#pragma once
#include <cstdint>
#include <vector>

enum class TQuery : uint8_t { KeyPressed, KeyIsDown, ButtonIsDown, PointerX, PointerY, Clock };

// Presses of the key since it was last asked for (or cleared); resets the count.
int32_t KeyPressed(int32_t key);
// KeyPressed before any answer tap: for controls outside the game rules, such as stopping a
// replay.
int32_t KeyPressedLive(int32_t key);
// 1 while the key is held; leaves the press count alone.
int32_t KeyIsDown(int32_t key);
// 1 left, 2 right, 3 middle.
int32_t ButtonIsDown(int32_t button);
int32_t PointerX();
int32_t PointerY();

// The player's bindings: the rules' question about a key code is answered from these
// physical keys instead (none: never held). Codes never bound answer for themselves.
void BindKey(int32_t code, const std::vector<int32_t>& keys);
void UnbindKey(int32_t code);
void UnbindAllKeys();

// What the application adds to the window's answers before any answer tap sees them: given
// the live answer of the keyboard or the mouse, the joined one. Asked only for the input
// queries, never for the clock. What it keeps (presses it hands out once) is the application's,
// so one join serves game after game; reading PointerX or PointerY changes nothing there.
class TInputJoin {
 public:
  virtual ~TInputJoin() = default;
  virtual int32_t Join(TQuery query, int32_t code, int32_t live) const = 0;
};
// Null: the answers are the keyboard's and the mouse's alone.
void SetInputJoin(const TInputJoin* join);

class TAnswerTap {
 public:
  virtual ~TAnswerTap() = default;
  // The answer the rules get, given the live one. `code` is the key or button asked for
  // (0 for the pointer and the clock).
  virtual int32_t Answer(TQuery query, int32_t code, int32_t live) = 0;
};
// Null: the rules get the live answers.
void SetAnswerTap(TAnswerTap* tap);
TAnswerTap* AnswerTap();

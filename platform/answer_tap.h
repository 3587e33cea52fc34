// The one place where the game rules' view of the outside world can be watched or replaced:
// every answer of an input query (KeyPressed, KeyIsDown, ButtonIsDown, PointerX, PointerY)
// and every clock reading (NowMs) passes through the tap, when one is set. Live play sets
// none; a recording tap writes the answers down; a replaying tap gives recorded answers
// instead of the live ones. The rules never know which.
#pragma once
#include <cstdint>

enum class TQuery : uint8_t { KeyPressed, KeyIsDown, ButtonIsDown, PointerX, PointerY, Clock };

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

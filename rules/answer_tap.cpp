// The tap apart from the input answers: the rules' clock passes it too, and a program that
// reads only the clock (the world tool) links no window input.
#include "rules/answers.h"

namespace {

TAnswerTap* answerTap = nullptr;

}  // namespace

void SetAnswerTap(TAnswerTap* tap) { answerTap = tap; }

TAnswerTap* AnswerTap() { return answerTap; }

#include "platform/answer_tap.h"

namespace {

TAnswerTap* answerTap = nullptr;

}  // namespace

void SetAnswerTap(TAnswerTap* tap) { answerTap = tap; }

TAnswerTap* AnswerTap() { return answerTap; }

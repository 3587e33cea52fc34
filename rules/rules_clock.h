// The clock the game's rules read. It stands still while the game is paused and goes on
// from where it stood afterwards, the paused time left out, so rate limits and lifetimes
// behave as if no time had passed; an answer tap (rules/answers.h) may watch or replace it.
#pragma once
#include <cstdint>

// Milliseconds as a signed 32-bit count that wraps.
int32_t NowMs();
void StopRulesClock();
void RunRulesClock();
// Running, with no paused time: for a fresh game.
void ResetRulesClock();

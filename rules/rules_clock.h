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
// From now on the clock reads `reading` and goes on (or stands) from there: for a saved game
// going on where its clock stood.
void SetRulesClock(int32_t reading);
// What the clock reads now, past any answer tap: what a saved game keeps to go on from.
int32_t RulesClockReading();

// The game's one process-wide pseudo-random generator: Park-Miller with multiplier
// 48271, stepped with Schrage's method so every intermediate fits in 32 bits.
#pragma once
#include <array>
#include <cstdint>

void SeedRandom(int32_t seed);
double RandomUnit();
int32_t RandomInt(int32_t a, int32_t b);
double RandomReal(double a, double b);

// The raw state, for tools that report or restore where the sequence stands.
// Draws x = RandomInt(2048, 1), then y = RandomInt(2048, 1), until accept(x, y) holds. The
// draws and the generator's final state are exactly those of that plain loop, but a try
// whose x falls in a column that `possible` rules out (possible[x] false; x is 1..2048) is
// passed over with one multiplication instead of four draws, so that a search for one of a
// few cells among four million takes seconds, not minutes.
void RandomCellUntil(const std::array<bool, 2049>& possible, bool (*accept)(int32_t x, int32_t y), int32_t& x,
                     int32_t& y);

int32_t RandomState();
void SetRandomState(int32_t state);

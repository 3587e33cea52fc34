// The game's one process-wide pseudo-random generator: Park-Miller with multiplier
// 48271, stepped with Schrage's method so every intermediate fits in 32 bits.
#pragma once
#include <cstdint>
#include <span>

void SeedRandom(int32_t seed);
double RandomUnit();
int32_t RandomInt(int32_t a, int32_t b);
double RandomReal(double a, double b);

// Draws x = RandomInt(n, 1), then y = RandomInt(n, 1), until accept(x, y) holds, where n is
// possibleX.size() - 1. The draws and the generator's final state are exactly those of that
// plain loop, but when n is a power of two a try whose x is ruled out (possibleX[x] false; x
// is 1..n) is passed over with one multiplication instead of four draws, so that a search for
// one of a few pairs among millions takes seconds, not minutes.
void RandomPairUntil(std::span<const bool> possibleX, bool (*accept)(int32_t x, int32_t y), int32_t& x, int32_t& y);

// The raw state, for tools that report or restore where the sequence stands.
int32_t RandomState();
void SetRandomState(int32_t state);
// The state SeedRandom(seed) would set, leaving the generator alone.
int32_t SeededState(int32_t seed);

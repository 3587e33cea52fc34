// The game's one process-wide pseudo-random generator: Park-Miller with multiplier
// 48271, stepped with Schrage's method so every intermediate fits in 32 bits.
#pragma once
#include <cstdint>

void SeedRandom(int32_t seed);
double RandomUnit();
int32_t RandomInt(int32_t a, int32_t b);
double RandomReal(double a, double b);

// The raw state, for tools that report or restore where the sequence stands.
int32_t RandomState();
void SetRandomState(int32_t state);

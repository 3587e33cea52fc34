// Angles in degrees and the real-to-integer conversion the game's arithmetic is written in.
#pragma once
#include <cstdint>

// Truncation toward zero; the game never converts values outside the 32-bit range.
inline int32_t TruncToInt(double v) { return static_cast<int32_t>(v); }

// Computed in extended precision and rounded once to double, so results match the
// x87 arithmetic the game's numbers were defined with.
double SinDeg(double deg);
double CosDeg(double deg);
// SinDeg(deg) and CosDeg(deg) from one reduction of the argument: the same values, at about
// half the cost of asking for both.
void SinCosDeg(double deg, double& sin, double& cos);
double ATan2Deg(double y, double x);

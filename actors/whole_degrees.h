// SinDeg and CosDeg of whole degrees, remembered: figures face whole degrees and step with
// the same few angles frame after frame. The values are those of SinDeg and CosDeg.
#pragma once
#include <cstdint>

double SinDegWhole(int32_t degrees);
double CosDegWhole(int32_t degrees);

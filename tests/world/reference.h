// Straightforward cell-by-cell transcriptions of the generator passes and the layer writer,
// kept next to the tests as the yardstick the optimised library passes must match byte for
// byte.
#pragma once
#include <cstdint>
#include <string>

namespace reference {

int32_t Getpos(int32_t x, int32_t y);
void Createdungeon();
void Smoothmap(int32_t radius, int32_t passes);
void Checkpoint(int32_t x, int32_t y, int32_t target);
void Checkmap();
void Fillwatermap();
void Dekoratemap(int32_t radius);
void Bereichmap();
// One formatted value per cell through the game's text conversion and line writer.
void Savemap(const std::string& path, int32_t first, int32_t last);

}  // namespace reference

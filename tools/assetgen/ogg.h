// Mono Ogg Vorbis files from synthesised samples.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Encodes samples (-1..1) at the given rate. The stream serial number is fixed by the
// caller, so the same samples always give the same bytes. Throws std::runtime_error naming
// the file on failure.
void WriteOgg(const std::string& path, const std::vector<float>& samples, int rate,
              uint32_t serial);

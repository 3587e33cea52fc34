// Reading UTF-8 text one code point at a time, as the game's texts are written.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

// The code point that starts at text[at], with `at` moved past it; -1 for a byte that starts
// no well-formed sequence (overlong, a surrogate, beyond U+10FFFF, cut short), with `at`
// moved past that one byte.
int32_t NextCodePoint(std::string_view text, size_t& at);

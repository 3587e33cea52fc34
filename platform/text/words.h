// The words of a line and the whole numbers in them, as the player's files, the demos and
// the command lines are read. (config.txt keeps the classic runtime's lenient conversion,
// TextToInt in platform/files/textio.h.)
#pragma once
#include <cstdint>
#include <limits>
#include <string_view>
#include <vector>

// The runs of text between blanks (space and tab unless `blanks` says otherwise); no empty
// words, whatever blanks lead, trail or repeat.
std::vector<std::string_view> Words(std::string_view text, std::string_view blanks = " \t");

// A decimal whole number that is the whole text, '-' allowed before it, '+', blanks and other
// bases not, from `low` to `high`. `value` is set only when the text is one.
bool ParseInt(std::string_view text, int32_t& value, int32_t low = std::numeric_limits<int32_t>::min(),
              int32_t high = std::numeric_limits<int32_t>::max());

#include "platform/text/words.h"

#include <algorithm>
#include <charconv>

std::vector<std::string_view> Words(std::string_view text, std::string_view blanks) {
  std::vector<std::string_view> words;
  size_t at = 0;
  while ((at = text.find_first_not_of(blanks, at)) != std::string_view::npos) {
    const size_t end = std::min(text.find_first_of(blanks, at), text.size());
    words.push_back(text.substr(at, end - at));
    at = end;
  }
  return words;
}

bool ParseInt(std::string_view text, int32_t& value, int32_t low, int32_t high) {
  if (text.empty()) return false;
  int32_t parsed = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), parsed);
  if (ec != std::errc() || end != text.data() + text.size() || parsed < low || parsed > high) {
    return false;
  }
  value = parsed;
  return true;
}

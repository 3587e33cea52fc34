#include "app/player/game_counts.h"

#include <numeric>

#include "platform/text/words.h"

namespace {

template <size_t N>
int32_t Sum(const std::array<int32_t, N>& counts) {
  return std::accumulate(counts.begin(), counts.end(), 0);
}

template <size_t N>
std::string List(const std::array<int32_t, N>& counts) {
  std::string text;
  for (size_t i = 0; i < N; ++i) {
    if (i != 0) text += ',';
    text += std::to_string(counts[i]);
  }
  return text;
}

// Exactly N counts of at least 0, by commas.
template <size_t N>
bool ParseList(std::string_view text, std::array<int32_t, N>& counts) {
  if (text.empty() || text.front() == ',' || text.back() == ',' || text.find(",,") != std::string_view::npos) {
    return false;
  }
  const auto parts = Words(text, ",");
  if (parts.size() != N) return false;
  for (size_t i = 0; i < N; ++i) {
    if (parts[i][0] == '-' || !ParseInt(parts[i], counts[i], 0)) return false;
  }
  return true;
}

}  // namespace

int32_t TGameCounts::Defeated() const { return Sum(defeated); }
int32_t TGameCounts::Shots() const { return Sum(shots); }
int32_t TGameCounts::Hits() const { return Sum(hits); }

std::string CountsFields(const TGameCounts& c) {
  return std::string(c.end == TGameEnd::Defeated ? "died" : "quit") + " " + List(c.defeated) + " " + List(c.shots) +
         " " + List(c.hits) + " " + std::to_string(c.items);
}

bool ParseCountsFields(const std::vector<std::string_view>& w, TGameCounts& counts) {
  TGameCounts c = counts;
  if (w.size() != 5 || (w[0] != "died" && w[0] != "quit")) return false;
  c.end = w[0] == "died" ? TGameEnd::Defeated : TGameEnd::ByPlayer;
  if (!ParseList(w[1], c.defeated) || !ParseList(w[2], c.shots) || !ParseList(w[3], c.hits)) return false;
  if (w[4][0] == '-' || !ParseInt(w[4], c.items, 0)) return false;
  counts = c;
  return true;
}

std::string CountsText(const TGameCounts& c) {
  const std::string fields = CountsFields(c);
  const size_t end = fields.find(' ');
  return fields.substr(0, end) + " " + std::to_string(c.seconds) + fields.substr(end);
}

bool ParseCounts(std::string_view text, TGameCounts& counts) {
  auto w = Words(text);
  TGameCounts c;
  if (w.size() != 6 || w[1][0] == '-' || !ParseInt(w[1], c.seconds, 0)) return false;
  w.erase(w.begin() + 1);
  if (!ParseCountsFields(w, c)) return false;
  counts = c;
  return true;
}

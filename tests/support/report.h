// A game's report (kestrova --report, kestrova-sim --out) or the world tool's actor list, read
// into words: the figures', items', shots' and blood's lines (F, I, S, B) by kind, every other
// line by its first word (the last of a kind wins there; `lines` keeps them all, in order).
#pragma once
#include <cstdint>
#include <map>
#include <sstream>
#include <string>
#include <vector>

struct TReport {
  using Words = std::vector<std::string>;
  std::string text;
  std::map<std::string, Words> header;  // frames, gameState, rng, camera, player, ...: the words after the first
  std::vector<Words> figures, items, shots, blood, lines;

  int64_t Num(const std::string& key, size_t i = 0) const { return std::stoll(header.at(key).at(i)); }
  // The whole F line of the figure, null when there is none.
  const Words* Figure(const std::string& id) const {
    for (const Words& f : figures) {
      if (f.size() > 1 && f[1] == id) return &f;
    }
    return nullptr;
  }
  // The player's F line: F id X Y Side HP EP Art weapon w0 .. w4 Time.
  const Words* Player() const {
    const auto player = header.find("player");
    return player == header.end() || player->second.empty() ? nullptr : Figure(player->second[0]);
  }
};

inline TReport ReadReport(const std::string& text) {
  TReport r;
  r.text = text;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    TReport::Words f;
    for (std::string w; words >> w;) f.push_back(w);
    if (f.empty()) continue;
    r.lines.push_back(f);
    if (f[0] == "F") {
      r.figures.push_back(f);
    } else if (f[0] == "I") {
      r.items.push_back(f);
    } else if (f[0] == "S") {
      r.shots.push_back(f);
    } else if (f[0] == "B") {
      r.blood.push_back(f);
    } else {
      r.header[f[0]] = TReport::Words(f.begin() + 1, f.end());
    }
  }
  return r;
}

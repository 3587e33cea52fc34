#include "app/player/scores.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

#include "app/player/kept_games.h"
#include "platform/files/atomic_file.h"
#include "platform/files/file_lock.h"
#include "platform/files/paths.h"
#include "platform/files/whole_file.h"
#include "platform/system/clock.h"
#include "platform/text/language.h"
#include "platform/text/words.h"

namespace {

// The largest scores file read: some 400000 games. A bigger one is no file the game wrote; it
// is named and left as it is, and the game's score is not kept.
constexpr int64_t kMostScoresBytes = 16 << 20;

bool Digits(std::string_view text, size_t count) {
  return text.size() == count && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// YYYY-MM-DD or HH:MM:SS: digits in pairs (the year four) around their separator.
bool DateOrTime(std::string_view text, char separator) {
  const bool date = separator == '-';
  if (text.size() != (date ? 10u : 8u)) return false;
  const size_t first = date ? 4 : 2;
  return Digits(text.substr(0, first), first) && text[first] == separator && Digits(text.substr(first + 1, 2), 2) &&
         text[first + 3] == separator && Digits(text.substr(first + 4, 2), 2);
}

// A count may not even be written "-0".
bool Number(std::string_view text, int32_t& value, bool maySign) {
  return (maySign || text.empty() || text[0] != '-') && ParseInt(text, value);
}

bool Comment(std::string_view line) {
  const auto words = Words(line);
  return words.empty() || words[0][0] == '#';
}

std::string Folder(const std::string& file) {
  const size_t slash = file.rfind('/');
  return slash == std::string::npos ? std::string(".") : file.substr(0, slash);
}

TScoreRank RankOf(const std::vector<TScore>& earlier, const TScore& score) {
  TScoreRank rank;
  rank.best = score.score;
  rank.place = 1;
  rank.count = static_cast<int32_t>(earlier.size()) + 1;
  for (const TScore& s : earlier) {
    rank.best = std::max(rank.best, s.score);
    if (s.score >= score.score) ++rank.place;
  }
  return rank;
}

}  // namespace

const char* const kScoresHeader =
    "# kestrova scores 2: date time score kills seconds seed end kills-by-kind shots hits items";

std::string ScoresFile() {
  const std::string folder = UserDataFolder();
  return folder.empty() ? std::string() : folder + "/scores.txt";
}

std::string ScoreLine(const TScore& s) {
  std::string line = s.date + " " + s.time + " " + std::to_string(s.score) + " " + std::to_string(s.kills) + " " +
                     std::to_string(s.seconds) + " " + std::to_string(s.seed);
  if (s.counts) {
    line += ' ';
    line += CountsFields(*s.counts);
  }
  return line;
}

bool ParseScoreLine(std::string_view line, TScore& score) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const auto w = Words(line);
  TScore s;
  // Version 1 has six fields, version 2 five more.
  if ((w.size() != 6 && w.size() != 11) || !DateOrTime(w[0], '-') || !DateOrTime(w[1], ':') ||
      !Number(w[2], s.score, true) || !Number(w[3], s.kills, false) || !Number(w[4], s.seconds, false) ||
      !Number(w[5], s.seed, true)) {
    return false;
  }
  if (w.size() == 11) {
    TGameCounts counts;
    if (!ParseCountsFields({w.begin() + 6, w.end()}, counts)) return false;
    counts.seconds = s.seconds;
    s.counts = counts;
  }
  s.date = w[0];
  s.time = w[1];
  score = s;
  return true;
}

bool ReadScores(const std::string& file, TScoreFile& read, std::string& problem) {
  read = {};
  std::string text;
  if (!ReadFileWhole(file, kMostScoresBytes, "a scores file", text, problem)) return problem.empty();
  int32_t number = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    read.lines.push_back(line);
    TScore score;
    if (ParseScoreLine(line, score)) {
      read.scores.push_back(score);
    } else if (!Comment(line)) {
      std::fprintf(stderr,
                   "Kestrova: %s:%d: not a score line (date, time, score, kills, seconds, seed, and since "
                   "version 2 end, kills by kind, shots, hits, items); skipped\n",
                   file.c_str(), number);
    }
  }
  return true;
}

std::vector<TScore> Ranked(const std::vector<TScore>& scores) {
  std::vector<TScore> ranked = scores;
  std::stable_sort(ranked.begin(), ranked.end(), [](const TScore& a, const TScore& b) { return a.score > b.score; });
  return ranked;
}

bool AddScore(const std::string& file, const TScore& score, TScoreRank& rank,
              const std::function<bool()>& keepWaiting) {
  std::string problem;
  rank = RankOf({}, score);
  if (file.empty()) {
    std::fprintf(stderr, "Kestrova: the score is not kept: there is no data folder (neither XDG_DATA_HOME nor HOME)\n");
    return false;
  }
  if (!MakeFolders(Folder(file), &problem)) {
    std::fprintf(stderr, "Kestrova: cannot keep the score in %s: %s\n", file.c_str(), problem.c_str());
    return false;
  }
  // A player kept waiting is told why.
  bool told = false;
  const auto waiting = [&] {
    if (!told) {
      std::fprintf(stderr, "Kestrova: another program holds %s.lock; waiting for it up to %d ms\n", file.c_str(),
                   kScoresLockWaitMs);
      told = true;
    }
    return !keepWaiting || keepWaiting();
  };
  const TFileLock lock(file + ".lock", kScoresLockWaitMs, waiting);
  if (!lock.Held()) {
    std::fprintf(stderr, "Kestrova: cannot keep the score in %s: cannot lock %s.lock: %s\n", file.c_str(), file.c_str(),
                 lock.Problem().c_str());
    return false;
  }
  TScoreFile read;
  if (!ReadScores(file, read, problem)) {
    // What cannot be read is not written over: the scores in it would be lost.
    std::fprintf(stderr, "Kestrova: cannot keep the score in %s: cannot read it: %s\n", file.c_str(), problem.c_str());
    return false;
  }
  rank = RankOf(read.scores, score);
  std::string text;
  // The file names its version once it holds lines of version 2.
  if (score.counts && std::find(read.lines.begin(), read.lines.end(), kScoresHeader) == read.lines.end()) {
    text += std::string(kScoresHeader) + "\n";
  }
  for (const std::string& line : read.lines) text += line + "\n";
  text += ScoreLine(score) + "\n";
  problem = WriteFileAtomically(file, text);
  if (!problem.empty()) {
    std::fprintf(stderr, "Kestrova: cannot keep the score in %s: %s\n", file.c_str(), problem.c_str());
    return false;
  }
  return true;
}

int PrintScores(const std::string& file) {
  TScoreFile read;
  std::string problem;
  if (!file.empty() && !ReadScores(file, read, problem)) {
    std::fprintf(stderr, "Kestrova: cannot read the scores in %s: %s\n", file.c_str(), problem.c_str());
    return 1;
  }
  std::string out;
  int32_t place = 0;
  bool watchable = false;
  for (const TScore& s : Ranked(read.scores)) {
    // A game whose demo is kept is marked: it can be watched again.
    const bool kept = access(KeptGameFile(s).c_str(), F_OK) == 0;
    watchable = watchable || kept;
    // The share of the player's shots that hit, where the line keeps it.
    std::string accuracy = "-";
    if (s.counts && s.counts->Shots() > 0) {
      accuracy = std::to_string(int64_t{s.counts->Hits()} * 100 / s.counts->Shots()) + " %";
    }
    char row[192];
    std::snprintf(row, sizeof row, "%4d  %s %s  %8d  %6d  %6d  %-11d  %7s%s\n", ++place, s.date.c_str(), s.time.c_str(),
                  s.score, s.kills, s.seconds, s.seed, accuracy.c_str(), kept ? "  *" : "");
    out += row;
  }
  if (watchable) out += Tr("* ansehen mit kestrova --replay last (das letzte Spiel) oder --replay best") + "\n";
  // Before the first game there is nothing to rank, which is no failure but is worth saying.
  out = out.empty()
            ? Tr("Noch keine Spiele: die besten Punktestände erscheinen hier, sobald ein Spiel zu Ende ist.") + "\n"
            : Tr("Platz  Datum      Zeit        Punkte Besiegt  Dauer  Startwert    Treffer") + "\n" + out;
  std::fwrite(out.data(), 1, out.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

std::string KeepFinishedGame(int32_t score, const TGameCounts& counts, int32_t seed, bool& kept, TScore* line,
                             const std::function<bool()>& keepWaiting) {
  TScore s;
  // Read at once, so the date and the time are of one moment.
  const std::string now = LocalTimeText("%Y-%m-%d %H:%M:%S");
  s.date = now.substr(0, 10);
  s.time = now.substr(11);
  s.score = score;
  s.kills = counts.Defeated();
  s.seconds = counts.seconds;
  s.seed = seed;
  s.counts = counts;
  TScoreRank rank;
  kept = AddScore(ScoresFile(), s, rank, keepWaiting);
  if (line != nullptr) *line = s;
  // A game not kept has no place among the kept ones.
  if (!kept) return Tr("Dieses Spiel ist nicht unter den Punkteständen gespeichert");
  return TrFill("Bester: %s   Platz %s von %s",
                {std::to_string(rank.best), std::to_string(rank.place), std::to_string(rank.count)});
}

// The best scores: every finished game played (not a demo watched) keeps a line in the
// player's data folder, $XDG_DATA_HOME/kestrova/scores.txt (~/.local/share/kestrova without
// it). A line holds, separated by blanks, the date and local time the game ended, the score,
// the enemies killed, the seconds played (pauses left out) and the world's seed, and since
// version 2 of the file how the game went (app/player/game_counts.h): how it ended, the
// enemies killed by kind, the player's shots and hits by weapon, the items picked up:
//
//   # kestrova scores 2: date time score kills seconds seed end kills-by-kind shots hits items
//   2026-12-08 11:48:48 1230 123 95 1765194528 quit 20,21,20,22,20,20 310,0,12,1,0 120,0,5,1,0 14
//
// A line of the first six fields alone is of version 1, as games kept before wrote them, and
// still counts. The comment line naming the version is put at the top when the game first
// adds a line of version 2. Lines starting with '#' are comments. Lines are added in the
// order the games end; a line that is no score line is named on stderr, left out of the
// ranking and kept in the file.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/player/game_counts.h"

// The comment line that names the file's version.
extern const char* const kScoresHeader;

struct TScore {
  std::string date;  // YYYY-MM-DD
  std::string time;  // HH:MM:SS
  int32_t score = 0;
  int32_t kills = 0;
  int32_t seconds = 0;
  int32_t seed = 0;
  std::optional<TGameCounts> counts;  // a line of version 2; its seconds are those above
  bool operator==(const TScore&) const = default;
};

// Where the scores are kept; empty when there is no data folder.
std::string ScoresFile();
std::string ScoreLine(const TScore& score);
// False for a line that is no score line (comments and blank lines included).
bool ParseScoreLine(std::string_view line, TScore& score);

// The file's scores and its lines as read. Lines neither comment nor blank that are no score
// line are named on stderr as "FILE:LINE: ...".
struct TScoreFile {
  std::vector<TScore> scores;      // in the file's order
  std::vector<std::string> lines;  // every line, without its line end
};
// False when the file is there but cannot be read, or is no regular file of at most 16 MiB
// (`problem` says why); a missing file is empty.
bool ReadScores(const std::string& file, TScoreFile& read, std::string& problem);
// Best first; equal scores in the order they were played.
std::vector<TScore> Ranked(const std::vector<TScore>& scores);

// How a game stands among all kept, itself included.
struct TScoreRank {
  int32_t best = 0;
  int32_t place = 0;
  int32_t count = 0;
};
// Adds the game to the file under a lock on FILE.lock: read, add, written beside and renamed
// over it, so two games ending at once both keep their line and a failed write leaves the
// earlier file whole. The lock is waited for at most kScoresLockWaitMs, and only while
// `keepWaiting` (if given) says yes. False with a message on stderr when it cannot be kept; the
// rank is then that among the scores read, if any.
inline constexpr int kScoresLockWaitMs = 1500;
bool AddScore(const std::string& file, const TScore& score, TScoreRank& rank,
              const std::function<bool()>& keepWaiting = nullptr);

// kestrova --scores: the list, best first, on stdout, or a line saying that no game has ended
// yet. The exit status: 0, or 1 when the file cannot be read.
int PrintScores(const std::string& file);

// The game that has just ended is added, with its counts; `kept` says whether the file took
// it, `line` gets its line. What the score screen shows of it: "Bester: 1234   Platz 3 von 17",
// or that it was not kept.
std::string KeepFinishedGame(int32_t score, const TGameCounts& counts, int32_t seed, bool& kept, TScore* line = nullptr,
                             const std::function<bool()>& keepWaiting = nullptr);

// A game saved to be continued at the next start: "Sichern und beenden" in the pause menu
// writes it to $XDG_DATA_HOME/kestrova/saved_game.txt (~/.local/share/kestrova without it),
// and the next start plays its demo again up to where it stopped and goes on from there. The
// demo holds everything the rules took from outside, so the game continues exactly; a game
// saved and continued any number of times keeps one demo.
//
// The file is text with LF line ends, written atomically:
//   kestrova-save 1
//   rules 1                       the rules' version the demo was played with
//   saved 2026-12-09 22:10:05     local date and time of the save
//   frames 5021                   frames of play in the demo
//   played 83412                  milliseconds played, pauses left out
//   clock 1234567                 the rules' clock when saved, to go on from
//   demo 123456                   bytes of the demo that follows
//   <the demo, as a --record file holds it, without its end record>
//   sum 0123456789abcdef          FNV-1a (64 bits) of every byte before this line
#pragma once
#include <cstdint>
#include <string>

inline constexpr const char* kSaveFormat = "kestrova-save";
inline constexpr int32_t kSaveVersion = 1;
// Raised whenever the rules change so that an earlier demo would play another game: a save of
// other rules cannot be continued.
inline constexpr int32_t kSaveRules = 1;
// A save holds a demo, and no more than a demo may hold.
inline constexpr int64_t kSaveMostBytes = (int64_t{1} << 30) + 4096;

struct TSavedGame {
  std::string saved;  // "YYYY-MM-DD HH:MM:SS"
  int32_t frames = 0;
  int32_t playedMs = 0;
  int32_t clock = 0;
  std::string demo;
};

// Where the game is saved; empty when there is no data folder.
std::string SavedGameFile();
std::string SavedGameText(const TSavedGame& save);
// False with `why` saying what is wrong: damaged, cut short, no save, another version.
bool ParseSavedGame(const std::string& text, TSavedGame& save, std::string& why);

enum class TSaveFound { None, Usable, Unusable };
// The save at `path`: none, one to continue, or one that cannot be (`why` says why).
TSaveFound ReadSavedGame(const std::string& path, TSavedGame& save, std::string& why);
// Writes the save, its folder made if need be; empty on success, else why not.
std::string WriteSavedGame(const std::string& path, const TSavedGame& save);
// Puts an unusable save aside under a name of its own beside it, never over another file;
// the new name, or empty when it could not be moved (`why` says why).
std::string SetSaveAside(const std::string& path, std::string& why);

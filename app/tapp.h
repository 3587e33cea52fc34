// The application: settings and screen, the loading sequence, the game loop and its HUD.
// A class of functions only; the state it works on is the one game state (state/game.h).
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

struct TCommandLine;

// What the command line fixed before init. Unset, init seeds from the clock and reads the
// screen settings from config.txt.
struct TLaunch {
  std::optional<int32_t> seed;  // init leaves the seed in force here
  std::optional<std::array<int32_t, 4>> screen;
  std::string screenSource = "config.txt";  // where the screen settings came from, for messages
  std::string demo;                         // the demo replayed, whose world this is; empty in play
  // The score screen offers another game (not while a demo is recorded or watched).
  bool playAgain = false;
  // A game played to its end is kept among the scores (not a demo watched: it was played before).
  bool keepScores = false;
};

// What the score screen was left for: the end of the program, another game, or watching the
// game just played (after which its score screen comes back).
enum class TNextGame { End, NewWorld, SameWorld, Watch };

class Tapp {
 public:
  static int32_t init();
  static int32_t laden();
  static int32_t ladeb(int32_t percent, const std::string& text);
  static int32_t run();
  static int32_t drawhub();
  // The pieces of run: the player's placement and starting values, one frame of the game
  // loop, and the score screen shown until Enter or Space (with the kept game's place, if any).
  static int32_t start();
  static int32_t frame();
  static int32_t endscreen(const std::string& place = {});
  // Between frames of play, when P, Pause or a loss of the focus asked for it: the last frame
  // dimmed under "Pause", no rules run and their clock stands still, until P, Pause, a click
  // or Escape (which then ends play in the next frame, as it does in play).
  static int32_t pause();

  static TLaunch launch;

  // Reads the four screen settings from the open config.txt stream.
  static void readSettings();
  // Opens the screen the settings describe, or stops with a message naming the values.
  static void openScreen();
  // Shows what was drawn (Flip(-1)); a picture that could not be drawn at all stops the game.
  static void present();
};

// Makes the game that follows a finished one start exactly as in a fresh program: a fresh game
// state and play session on the open screen, the services a game changes back as at start,
// seeded with `seed`.
void StartNextGame(int32_t seed);

// The program's entry: plays one game after another for as long as the score screen asks for
// another. Returns the exit status: 0, or
// what ended a replay early or kept the report from being written.
int RunEntry(const TCommandLine& line);

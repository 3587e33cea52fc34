// What the application keeps for one game besides the game state: the notices in the corner,
// what asked for a pause, the pad's presses, the keys past the rules, who watches the loop, the
// tally of how the game goes and what the score screen asked for. Made fresh for each game, as
// the game state is, so nothing of a game that ended reaches the next.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/demos/run_watcher.h"
#include "app/demos/session.h"
#include "app/play/game_tally.h"
#include "app/play/notices.h"
#include "app/play/pad_controls.h"
#include "app/play/pause_watch.h"
#include "app/play/player_keys.h"
#include "app/player/scores.h"
#include "app/tapp.h"

class TPlaySession {
 public:
  TPlaySession();
  TPlaySession(const TPlaySession&) = delete;
  TPlaySession& operator=(const TPlaySession&) = delete;

  // Starts taking the window's events for the pause and the player's keys; again does nothing.
  void WatchEvents();
  bool WatchingEvents() const { return hook_ != 0; }
  // Gives the hook back. Not left to a destructor: the last session outlives the event layer
  // at the program's exit.
  void StopWatchingEvents();

  TNotices notices;
  TPauseWatch pause;
  TPadState pad;
  TPlayerKeys keys;
  // The demo or the report watching the loop from outside its rules; none in the plain game.
  TRunWatcher* watcher = nullptr;
  TGameTally tally;
  // What the score screen was left for.
  TNextGame next = TNextGame::End;
  // The session recording the game played, whose demo is kept and saved; none while a demo
  // is watched.
  TGameSession* recorder = nullptr;
  // Milliseconds played before this start (a continued game), and on the real clock since
  // playSinceMs with pausedMs of pauses left out.
  int32_t playedBeforeMs = 0;
  int32_t playSinceMs = 0;
  int32_t pausedMs = 0;
  // Saved from the pause menu: play ends there, with no score screen.
  bool saved = false;
  // The finished game's line among the scores, once kept, and its place as the score screen
  // shows it.
  std::optional<TScore> finished;
  std::string place;

 private:
  int32_t hook_ = 0;
};

// The session of the game being played; one is made at the first use.
TPlaySession& PlaySession();
// A fresh session for the game about to start; it watches the window's events if the one
// before did.
void StartPlaySession();
// Puts `session` in place of the one in force, which is given back: a game watched from a
// score screen plays in a session of its own and leaves the finished game's as it was.
std::unique_ptr<TPlaySession> SwapPlaySession(std::unique_ptr<TPlaySession> session);

// Milliseconds the game has been played, pauses left out.
int32_t PlayedMs();

void SetRunWatcher(TRunWatcher* watcher);
TRunWatcher* RunWatcher();

// What the application keeps for one game besides the game state: the notices in the corner,
// what asked for a pause, the pad's presses, the keys past the rules, who watches the loop and
// what the score screen asked for. Made fresh for each game, as the game state is, so nothing
// of a game that ended reaches the next.
#pragma once
#include <cstdint>

#include "app/demos/run_watcher.h"
#include "app/play/notices.h"
#include "app/play/pad_controls.h"
#include "app/play/pause_watch.h"
#include "app/play/player_keys.h"
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
  // What the score screen was left for.
  TNextGame next = TNextGame::End;

 private:
  int32_t hook_ = 0;
};

// The session of the game being played; one is made at the first use.
TPlaySession& PlaySession();
// A fresh session for the game about to start; it watches the window's events if the one
// before did.
void StartPlaySession();

void SetRunWatcher(TRunWatcher* watcher);
TRunWatcher* RunWatcher();

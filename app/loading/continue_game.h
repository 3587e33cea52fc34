// Going on with a saved game: after the loading sequence has built its world again, its frames
// run again unseen and unheard from its demo, the progress bar showing how far, until the game
// stands where it was saved. The last saved frame is drawn, play pauses over it with a notice
// saying when the game was saved, and the save is used up.
#pragma once
#include <cstdint>
#include <string>

#include "app/demos/run_watcher.h"
#include "app/demos/session.h"
#include "app/player/saved_game.h"

class TContinuedGame : public TRunWatcher {
 public:
  // The session goes on with the save (TGameSession::Continue); `file` is the save's file.
  TContinuedGame(TGameSession& session, std::string file, TSavedGame save);
  ~TContinuedGame() override;
  TContinuedGame(const TContinuedGame&) = delete;
  TContinuedGame& operator=(const TContinuedGame&) = delete;

  bool PlayStarts() override;
  void FrameDrawn() override;
  bool FrameDone(bool lastFrame) override;
  void PlayEnds(bool scoreScreen) override { session_.PlayEnds(scoreScreen); }

  // Whether the game went on from where it was saved.
  bool Resumed() const { return resumed_; }

 private:
  void Unseen(bool on);
  bool CatchUp();
  void Resume();
  void ShowProgress();

  TGameSession& session_;
  std::string file_;
  TSavedGame save_;
  bool unseen_ = false;
  bool resumed_ = false;
  int32_t shownMs_ = 0;
};

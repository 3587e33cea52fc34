// Something that watches the game loop from outside its rules: the demo recorder or player
// and the final report. The plain game has none, and then the loop runs exactly as specified.
#pragma once

class TRunWatcher {
 public:
  virtual ~TRunWatcher() = default;
  // The player has been placed; the first frame comes next, unless this says false.
  virtual bool PlayStarts() = 0;
  // A frame of play is drawn and about to be shown: a watcher may draw over it.
  virtual void FrameDrawn() {}
  // After each frame of play and of the score screen; lastFrame when the score screen is
  // about to close. False: the run must end here (a replay that is over or went astray).
  virtual bool FrameDone(bool lastFrame) = 0;
  // Play is over, before the score screen (also when the run ended during play). Without
  // scoreScreen the run ends here (a stop signal skips the score screen).
  virtual void PlayEnds(bool scoreScreen) = 0;
};

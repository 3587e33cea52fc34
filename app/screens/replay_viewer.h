// Watching a replay in the window like a film, outside the rules: Space (or a pad's A) pauses
// and goes on, "." steps one frame while paused, Up and Down (the shoulders) change the speed
// through 1/4, 1/2, 1, 2, 4 and 8, Left and Right (the triggers) jump 10 seconds, Page Up and
// Page Down 60, Home to the start; a time bar at the bottom says where the film stands.
//
// The viewer keys are read past the answer tap, so the demo's answers, and with them the
// game and its report, are the same whatever the viewer does. Frames shown faster than
// recorded are run unseen in between (no drawing, no sound). Going back puts the game back as
// it stood at a place kept on the way (a copy of the actors, the generator's state and the
// demo's reading, every few seconds of play from its start) and runs it unseen up to the
// frame asked for; the world itself never changes during play.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "actors/actor_copy.h"
#include "app/demos/run_watcher.h"
#include "app/demos/session.h"
#include "app/play/game_tally.h"

class TImage;

// The speeds, slowest first; the viewer starts at the recorded one.
inline constexpr int32_t kViewerSpeeds = 6;
inline constexpr int32_t kViewerNormalSpeed = 2;
// After the last viewer input the time bar stays this long, then fades out.
inline constexpr int32_t kViewerBarMs = 2000;
inline constexpr int32_t kViewerFadeMs = 500;
// Frames of play between two places kept to go back to (5 seconds at 60 Hz), at first; past
// this many places, every other one goes and the distance doubles.
inline constexpr int32_t kViewerPlaceEvery = 300;
inline constexpr size_t kViewerPlacesKept = 64;
// Height of the time bar at the bottom of the screen, in screen pixels.
inline constexpr int32_t kViewerBarHeight = 44;

class TReplayViewer : public TRunWatcher {
 public:
  // Watches the session's replay; the session must replay a demo.
  explicit TReplayViewer(TGameSession& session);
  ~TReplayViewer() override;

  bool PlayStarts() override;
  void FrameDrawn() override;
  bool FrameDone(bool lastFrame) override;
  void PlayEnds(bool scoreScreen) override;

  // Brings the game to just before frame `target` (counted from 1), so that the next frame
  // of play is that one: forward by running frames unseen, back by putting the game back as it
  // was at the last place kept before it first. A target past the end of play stops before the last frame of
  // play. False when the replay ended on the way (see the session's Result()).
  bool SeekTo(int32_t target);
  // The frame of play shown last (0 before the first).
  int32_t Shown() const;
  bool Paused() const { return paused_; }

 private:
  bool Between();
  bool RunUnseen();
  void KeepPlace();
  bool GoBackTo(int32_t frames);
  void TakeInput();
  bool StopAsked();
  void ShowStill();
  void DrawBar(int32_t shown);
  void KeepPicture();
  void ApplySound();

  // The game as it stood at the start of play and after every placeEvery_-th frame of play
  // reached: a jump back starts from the last one before its frame.
  struct TSnapshot {
    TGameSession::TPlace place;  // its ids name the figures of `actors`
    TActors actors;
    int32_t camX = 0;
    int32_t camY = 0;
    int32_t rng = 0;
    TGameTally::TPlace tally;
  };
  std::vector<TSnapshot> snapshots_;
  int32_t placeEvery_ = kViewerPlaceEvery;

  TGameSession& session_;
  int32_t hertz_ = 60;
  std::optional<int32_t> endFrame_;  // the demo's length in frames, from its end record
  std::optional<int32_t> playEnd_;   // the last frame of play, once reached
  bool playing_ = false;
  bool paused_ = false;
  int32_t speed_ = kViewerNormalSpeed;
  int32_t steps_ = 0;
  bool seekHome_ = false;
  int32_t seekSeconds_ = 0;
  std::array<bool, 2> triggerHeld_{};
  int32_t lastInputMs_ = 0;
  std::shared_ptr<TImage> still_;
  int32_t stillFrame_ = -1;  // the frame still_ holds
  bool soundPaused_ = false;
};

#include "app/screens/replay_viewer.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "actors/actor_copy.h"
#include "actors/tfigur.h"
#include "app/demos/session.h"
#include "app/play/hud.h"
#include "app/play/pad_controls.h"
#include "app/play/play_session.h"
#include "app/player/settings_in_force.h"
#include "app/tapp.h"
#include "platform/audio/sound.h"
#include "platform/core/events.h"
#include "platform/input/input.h"
#include "platform/input/keys.h"
#include "platform/input/pad.h"
#include "platform/system/clock.h"
#include "platform/text/language.h"
#include "platform/video/draw_state_kept.h"
#include "platform/video/graphics.h"
#include "platform/video/image.h"
#include "rules/answers.h"
#include "rules/random.h"
#include "state/game.h"

namespace {

struct TSpeed {
  int32_t times;  // frames run per frame shown
  int32_t hold;   // frame times each frame shown stays up
  const char* label;
};

constexpr TSpeed kSpeeds[kViewerSpeeds] = {{1, 4, "x1/4"}, {1, 2, "x1/2"}, {1, 1, "x1"},
                                           {2, 1, "x2"},   {4, 1, "x4"},   {8, 1, "x8"}};

// Frames run while this lives are run unseen and unheard.
class TUnseen {
 public:
  TUnseen() : drawing_(!DrawingSkipped()) {
    SkipDrawing(true);
    SilenceSounds(true);
  }
  ~TUnseen() {
    if (drawing_) SkipDrawing(false);
  }
  // The sound is put right by the viewer afterwards (ApplySound).
  TUnseen(const TUnseen&) = delete;
  TUnseen& operator=(const TUnseen&) = delete;

 private:
  bool drawing_;
};

// "m:ss" of a frame count.
std::string Clock(int64_t frames, int32_t hertz) {
  const int64_t seconds = frames / hertz;
  char text[32];
  std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                static_cast<long long>(seconds % 60));
  return text;
}

int32_t Presses(int32_t key) { return TakeCurrentKeyPresses(key); }

}  // namespace

TReplayViewer::TReplayViewer(TGameSession& session) : session_(session) {}

TReplayViewer::~TReplayViewer() {
  LeavePadToViewer(false);
  SilenceSounds(false);
}

bool TReplayViewer::PlayStarts() {
  const int32_t hertz = session_.Header().screen[3];
  hertz_ = hertz > 0 ? hertz : 60;
  endFrame_ = session_.DemoEndFrame();
  LeavePadToViewer(true);
  // The bar waits for the viewer's first key.
  lastInputMs_ = ClockAdd(RealNowMs(), -(kViewerBarMs + kViewerFadeMs));
  playing_ = true;
  if (!session_.PlayStarts()) return false;
  KeepPlace();
  return true;
}

void TReplayViewer::PlayEnds(bool scoreScreen) {
  playing_ = false;
  paused_ = false;
  speed_ = kViewerNormalSpeed;
  still_ = nullptr;
  ApplySound();
  LeavePadToViewer(false);
  session_.PlayEnds(scoreScreen);
}

int32_t TReplayViewer::Shown() const { return session_.Frames(); }

void TReplayViewer::FrameDrawn() {
  if (DrawingSkipped() || !playing_) return;
  TakeInput();
  if (paused_) {
    KeepPicture();
    stillFrame_ = Shown() + 1;
  }
  DrawBar(Shown() + 1);
}

bool TReplayViewer::FrameDone(bool lastFrame) {
  if (!session_.FrameDone(lastFrame)) return false;
  if (!playing_) return true;
  if (Shown() % placeEvery_ == 0 && game.gameState == TGamePhase::Running) KeepPlace();
  return Between();
}

void TReplayViewer::TakeInput() {
  PumpEvents();
  const int32_t pauses = Presses(KEY_SPACE) + PadPresses(PAD_BUTTON_A);
  const int32_t steps = Presses(KEY_PERIOD);
  const int32_t faster = Presses(KEY_UP) + PadPresses(PAD_BUTTON_RIGHTSHOULDER);
  const int32_t slower = Presses(KEY_DOWN) + PadPresses(PAD_BUTTON_LEFTSHOULDER);
  int32_t seconds = 10 * (Presses(KEY_RIGHT) - Presses(KEY_LEFT)) + 60 * (Presses(KEY_PAGEDOWN) - Presses(KEY_PAGEUP));
  // A trigger pulled past the point where it fires jumps once, until it is let go.
  const int32_t triggers[2] = {PAD_AXIS_TRIGGERLEFT, PAD_AXIS_TRIGGERRIGHT};
  for (size_t i = 0; i < 2; ++i) {
    const bool held = PadAxis(triggers[i]) > kPadTriggerThreshold;
    if (held && !triggerHeld_[i]) seconds += i == 0 ? -10 : 10;
    triggerHeld_[i] = held;
  }
  const int32_t home = Presses(KEY_HOME);
  if (pauses + steps + faster + slower + home != 0 || seconds != 0) lastInputMs_ = RealNowMs();
  if (pauses % 2 != 0) paused_ = !paused_;
  if (paused_) steps_ += steps;
  speed_ = std::clamp(speed_ + faster - slower, 0, kViewerSpeeds - 1);
  if (home != 0) {
    seekHome_ = true;
    seekSeconds_ = 0;
  }
  seekSeconds_ += seconds;
  ApplySound();
}

// Sound plays at the recorded speed only, and holds while paused.
void TReplayViewer::ApplySound() {
  SilenceSounds(playing_ && speed_ != kViewerNormalSpeed);
  if (paused_ != soundPaused_) PauseSounds(paused_);
  soundPaused_ = paused_;
}

// Escape, a pad's Start or Back, or the close button: watching ends here.
bool TReplayViewer::StopAsked() { return KeyPressedLive(KEY_ESCAPE) != 0 || AppTerminate() != 0; }

// Between two frames of play: held while paused or slowed down, jumps, and frames run unseen
// when faster than recorded.
bool TReplayViewer::Between() {
  const int32_t holdUntil = ClockAdd(RealNowMs(), (kSpeeds[speed_].hold - 1) * 1000 / hertz_);
  for (;;) {
    if (StopAsked()) return false;
    TakeInput();
    if (seekHome_ || seekSeconds_ != 0) {
      const int64_t from = seekHome_ ? 1 : Shown();
      const int64_t target = std::clamp<int64_t>(from + int64_t{seekSeconds_} * hertz_, 1, INT32_MAX);
      seekHome_ = false;
      seekSeconds_ = 0;
      // The next frame drawn is the one asked for; at the end of play there is none further.
      const bool over = game.gameState != TGamePhase::Running;
      if (target < Shown() || (target > Shown() && !over)) return SeekTo(static_cast<int32_t>(target));
    }
    if (paused_ && stillFrame_ != Shown()) {
      // Paused after the frame was shown: the next one is kept as it is drawn.
      if (game.gameState == TGamePhase::Running) return true;
      paused_ = false;
      ApplySound();
    }
    if (paused_) {
      if (steps_ > 0 && game.gameState == TGamePhase::Running) {
        --steps_;
        return true;
      }
      steps_ = 0;
      ShowStill();
      continue;
    }
    if (ClockDiff(holdUntil, RealNowMs()) <= 0) break;
    SleepMs(1);
  }
  if (game.gameState != TGamePhase::Running) return true;
  const TUnseen unseen;
  for (int32_t i = 1; i < kSpeeds[speed_].times; ++i) {
    if (!RunUnseen()) return false;
    if (game.gameState != TGamePhase::Running) break;
  }
  ApplySound();
  return true;
}

bool TReplayViewer::RunUnseen() {
  Tapp::frame();
  if (!session_.FrameDone(false)) return false;
  if (Shown() % placeEvery_ == 0 && game.gameState == TGamePhase::Running) KeepPlace();
  return true;
}

bool TReplayViewer::SeekTo(int32_t target) {
  if (target > Shown() && game.gameState != TGamePhase::Running) return true;  // at the end of play already
  if (playEnd_ && target >= *playEnd_) {
    target = *playEnd_;
    paused_ = true;
  }
  stillFrame_ = -1;
  {
    const TUnseen unseen;
    if (target - 1 < Shown() && !GoBackTo(target - 1)) return false;
    while (Shown() < target - 1) {
      if (!RunUnseen()) return false;
      if (game.gameState == TGamePhase::Running) continue;
      // Play ended on the way: back to just before its last frame, which is shown paused.
      playEnd_ = Shown();
      paused_ = true;
      if (!GoBackTo(*playEnd_ - 1)) return false;
      while (Shown() < *playEnd_ - 1) {
        if (!RunUnseen()) return false;
      }
      break;
    }
  }
  lastInputMs_ = RealNowMs();
  ApplySound();
  return true;
}

void TReplayViewer::KeepPlace() {
  const int32_t frames = Shown();
  if (!snapshots_.empty() && snapshots_.back().place.frames >= frames) return;
  TSnapshot snap;
  TFigureCopies copies;
  snap.actors = CopyActors({game.figureList, game.itemList, game.shotList, game.bloodList, game.player}, copies);
  snap.place = session_.Place();
  FigureIds ids;
  for (const auto& [figure, id] : snap.place.ids) {
    const auto copy = copies.find(figure);
    if (copy != copies.end()) ids.emplace(copy->second.get(), id);
  }
  snap.place.ids = std::move(ids);
  snap.camX = game.camX;
  snap.camY = game.camY;
  snap.rng = RandomState();
  snap.tally = PlaySession().tally.Place();
  snapshots_.push_back(std::move(snap));
  // A long demo keeps every other place, twice as far apart from then on.
  if (snapshots_.size() <= kViewerPlacesKept) return;
  for (size_t i = 1; i < snapshots_.size(); ++i) snapshots_.erase(snapshots_.begin() + static_cast<ptrdiff_t>(i));
  placeEvery_ *= 2;
}

// The game as it stood at the last place kept at or before the frame, copied afresh so the
// place can be gone back to again.
bool TReplayViewer::GoBackTo(int32_t frames) {
  auto snap = std::find_if(snapshots_.rbegin(), snapshots_.rend(),
                           [frames](const TSnapshot& s) { return s.place.frames <= frames; });
  if (snap == snapshots_.rend()) return false;
  TFigureCopies copies;
  const TActors actors = CopyActors(snap->actors, copies);
  game.figureList = actors.figureList;
  game.itemList = actors.itemList;
  game.shotList = actors.shotList;
  game.bloodList = actors.bloodList;
  game.player = actors.player;
  game.camX = snap->camX;
  game.camY = snap->camY;
  game.gameState = TGamePhase::Running;
  SetRandomState(snap->rng);
  PlaySession().tally.Resume(snap->tally);
  TGameSession::TPlace place = snap->place;
  place.ids.clear();
  for (const auto& [figure, id] : snap->place.ids) place.ids.emplace(copies.at(figure).get(), id);
  return session_.GoBack(place);
}

void TReplayViewer::KeepPicture() {
  const TVex2DGraphics* g = CurrentGraphics();
  TPixmapPtr picture = g != nullptr ? GrabPixmap(0, 0, g->g_width, g->g_height) : nullptr;
  if (!picture) return;
  still_ = TImage::Create(picture->width, picture->height, 1, 0, 0, 0, 0);
  still_->SetPixmap(0, std::move(picture));
}

// The frame kept when the pause began (or the last step), under the time bar.
void TReplayViewer::ShowStill() {
  {
    const TDrawStateKept kept;
    Cls();
    SetColor(255, 255, 255);
    SetAlpha(1.0f);
    SetBlend(SOLIDBLEND);
    SetDrawRotation(0.0f);
    SetDrawScale(1.0f, 1.0f);
    DrawImageFrame(still_, 0.0f, 0.0f, 0);
  }
  DrawBar(Shown());
  Tapp::present();
}

// Along the bottom: time shown and the demo's length, the speed, the progress and "Pause";
// shown on input, faded out after a while without, always while paused. `shown` is the frame
// on the screen: while a frame is drawn, it is not counted yet.
void TReplayViewer::DrawBar(int32_t shown) {
  const int32_t since = ClockDiff(RealNowMs(), lastInputMs_);
  float shade = 1.0f;
  if (!paused_ && since >= kViewerBarMs) {
    shade = 1.0f - static_cast<float>(since - kViewerBarMs) / kViewerFadeMs;
    if (shade <= 0.0f) return;
  }
  const TDrawStateKept kept;
  const auto w = static_cast<float>(game.screenW);
  const auto h = static_cast<float>(game.screenH);
  // Over the extended HUD the bar stands clear above its corner line, which it would cover.
  const float rise = PlayerSettings().hud == THud::Extended ? static_cast<float>(kHudCornerRise + 4) : 0.0f;
  const float top = h - kViewerBarHeight - rise;
  SetDrawRotation(0.0f);
  SetDrawScale(1.0f, 1.0f);
  SetBlend(ALPHABLEND);
  SetColor(0, 0, 0);
  SetAlpha(0.7f * shade);
  DrawRect(0.0f, top, w, kViewerBarHeight);
  SetAlpha(shade);
  const float lineX = 16.0f;
  const float lineW = w - 32.0f;
  SetColor(90, 90, 90);
  DrawRect(lineX, top + 6.0f, lineW, 4.0f);
  if (endFrame_ && *endFrame_ > 0) {
    SetColor(255, 255, 255);
    DrawRect(lineX, top + 6.0f, lineW * std::min(1.0f, static_cast<float>(shown) / *endFrame_), 4.0f);
  }
  SetColor(255, 255, 255);
  const float textY = top + 18.0f;
  DrawString(Clock(shown, hertz_) + " / " + (endFrame_ ? Clock(*endFrame_, hertz_) : "?"), lineX, textY);
  const std::string speed = TrFill("Tempo %s", {kSpeeds[speed_].label});
  DrawString(speed, w / 2 - 4.0f * static_cast<float>(TextColumns(speed)), textY);
  if (paused_) {
    const std::string caption = TrFill("Pause  Bild %s", {std::to_string(shown)});
    DrawString(caption, w - 48.0f - 8.0f * static_cast<float>(TextColumns(caption)), textY);
    // Two upright strokes, the sign of a film that stands still.
    DrawRect(w - 32.0f, textY, 5.0f, 16.0f);
    DrawRect(w - 23.0f, textY, 5.0f, 16.0f);
  }
}

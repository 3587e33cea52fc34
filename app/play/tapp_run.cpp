#include <cstdint>
#include <cstdio>
#include <string>

#include "actors/tblood.h"
#include "actors/tfigur.h"
#include "actors/titem.h"
#include "actors/tshot.h"
#include "app/player/bindings.h"
#include "app/play/pad_controls.h"
#include "app/screens/notices.h"
#include "app/screens/pause_watch.h"
#include "app/loading/placement.h"
#include "app/play/run_watcher.h"
#include "app/player/scores.h"
#include "app/player/settings_in_force.h"
#include "app/tapp.h"
#include "platform/files/textio.h"
#include "platform/input/input.h"
#include "platform/input/keys.h"
#include "platform/input/pad.h"
#include "platform/system/clock.h"
#include "platform/system/fatal.h"
#include "platform/system/stop_signal.h"
#include "platform/text/language.h"
#include "platform/video/graphics.h"
#include "platform/video/sdl_window.h"
#include "rules/answers.h"
#include "rules/degrees.h"
#include "state/game.h"
#include "world/tmap.h"

namespace {

constexpr const char* kPlayAgainKeys = TrLater("Enter: Ende   N: neue Welt   R: gleiche Welt");

// A pad that comes or goes is news; the one there at start is not.
void WatchPad() {
  static int32_t had = -1;
  const int32_t has = PadConnected() ? 1 : 0;
  if (had >= 0 && has != had) {
    std::fprintf(stderr, "Kestrova: %s\n", has != 0 ? "a pad is connected" : "the pad was removed");
    PostNotice(has != 0 ? Tr("Pad verbunden") : Tr("Pad entfernt"));
  }
  had = has;
}

// Keys outside the rules, taken after a frame is drawn: the window's and the sound's; then the
// notice due over the frame.
void RunPlayerKeys() {
  if (FullScreenAsked()) KeepFullScreen(!DesktopFullScreen());
  RunSoundControls();
  WatchPad();
  DrawNotices();
}

// N or the pad's X for a new world, R or Y for the same one; read past the rules.
TNextGame PlayAgainAsked() {
  const int32_t newWorld = KeyPressedLive('N') + PadPresses(PAD_BUTTON_X);
  const int32_t sameWorld = KeyPressedLive('R') + PadPresses(PAD_BUTTON_Y);
  if (newWorld != 0) return TNextGame::NewWorld;
  if (sameWorld != 0) return TNextGame::SameWorld;
  return TNextGame::End;
}

// Presses made during play are no answer to the score screen.
void DropPlayAgainPresses() { PlayAgainAsked(); }

// Under the score, from the centre to the right like the score itself: the best score and this
// game's place, when kept, and the keys.
void DrawPlayAgainLines(const std::string& best) {
  const auto x = static_cast<float>(game.screenW / 2);
  const float y = static_cast<float>(game.screenH / 2) + 96.0f;
  SetDrawScale(2.0f, 2.0f);
  if (!best.empty()) DrawString(best, x, y);
  SetDrawScale(1.0f, 1.0f);
  DrawString(Tr(kPlayAgainKeys), x, y + 48.0f);
}

// Beside the classic HUD: each bar's number ("-" for a weapon not available), a frame round
// the selected weapon's bar, and the score and the enemies left in the bottom left corner.
// The colour is left as the classic HUD leaves it.
void DrawHudNumbers() {
  const TVex2DGraphics* g = CurrentGraphics();
  if (g == nullptr) return;
  const int32_t red = g->color_red;
  const int32_t green = g->color_green;
  const int32_t blue = g->color_blue;
  constexpr float kNumbersX = 20.0f + 255.0f + 8.0f;
  SetColor(255, 255, 255);
  DrawString(IntToText(TruncToInt(game.player->HP)), kNumbersX, 2.0f);
  for (int32_t i = 0; i < 5; ++i) {
    const int32_t ammo = game.player->weapons[static_cast<size_t>(i)];
    DrawString(ammo < 0 ? std::string("-") : IntToText(ammo), kNumbersX, static_cast<float>(22 + 20 * i));
  }
  const auto top = static_cast<float>(20 + 20 * game.player->weapon);
  const float bottom = top + 19.0f;
  DrawLine(19.0f, top, 276.0f, top, 1);
  DrawLine(276.0f, top, 276.0f, bottom, 1);
  DrawLine(276.0f, bottom, 19.0f, bottom, 1);
  DrawLine(19.0f, bottom, 19.0f, top, 1);
  const std::string corner =
      Tr("Score: ") + IntToText(game.player->EP) + "   " + Tr("Gegner: ") + IntToText(game.figureList->Count() - 1);
  DrawString(corner, 8.0f, static_cast<float>(game.screenH - 24));
  SetColor(red, green, blue);
}

// The arrow key is asked first; its letter only when the arrow is not held.
bool Held(int32_t arrow, int32_t letter) { return KeyIsDown(arrow) != 0 || KeyIsDown(letter) != 0; }

}  // namespace

int32_t Tapp::run() {
  // The pointer is play's while it runs, and the player's on the screens around it.
  HoldPointerForPlay(true);
  start();
  // A watcher (demo, report) sees the loop from outside; without one the loop runs alone.
  TRunWatcher* watcher = RunWatcher();
  bool going = watcher == nullptr || watcher->PlayStarts();
  UsePlayBindings(true);
  KeepFramesForPause(true);
  // For the scores, on the real clock, so the rules' answers stay as they are.
  const int32_t enemies = game.figureList->Count() - 1;
  const int32_t started = RealNowMs();
  int32_t paused = 0;
  while (going) {
    const float hp = game.player->HP;
    frame();
    if (game.player->HP < hp) RumbleForHit(static_cast<double>(hp) - game.player->HP);
    if (watcher != nullptr) going = watcher->FrameDone(false);
    if (game.gameState != TGamePhase::Running) break;
    if (going && PauseAsked()) {
      const int32_t pausedAt = RealNowMs();
      pause();
      paused = ClockAdd(paused, ClockDiff(RealNowMs(), pausedAt));
    }
  }
  KeepFramesForPause(false);
  HoldPointerForPlay(false);
  // A stop signal or a lost display ends the game as the close button does, but nobody is
  // there to read the score.
  const bool scoreScreen = going && StopStatus() == 0;
  if (watcher != nullptr) watcher->PlayEnds(scoreScreen);
  std::string place;
  if (scoreScreen && launch.keepScores) {
    const int32_t seconds = ClockDiff(ClockDiff(RealNowMs(), started), paused) / 1000;
    place =
        KeepFinishedGame(game.player->EP, enemies - (game.figureList->Count() - 1), seconds, launch.seed.value_or(0));
  }
  if (scoreScreen) endscreen(place);
  return 0;
}

int32_t Tapp::start() {
  int32_t x = 0;
  int32_t y = 0;
  if (!FindLandCell(x, y)) Fatal(kNoLandMessage);
  game.player = Tfigur::neu(64 * x - 32, 64 * y - 32, 0);
  game.player->HP = 1000.0f;
  game.player->weapons.fill(-1);
  game.player->weapons[0] = 1000;
  game.player->weapon = 0;
  MovePointer(game.screenW / 2, game.screenH / 2);
  return 0;
}

int32_t Tapp::frame() {
  StartControlsFrame();
  Cls();

  // Moves are relative to the facing; opposite keys both apply.
  if (Held(KEY_UP, 'W')) game.player->move(0, 3);
  if (Held(KEY_DOWN, 'S')) game.player->move(0, -2);
  if (Held(KEY_LEFT, 'A')) game.player->move(-3, 0);
  if (Held(KEY_RIGHT, 'D')) game.player->move(3, 0);

  for (int32_t i = 0; i < 5; ++i) {
    if (KeyIsDown('1' + i) != 0) game.player->weapon = i;
  }

  if (ButtonIsDown(1) != 0) {
    tshot::neu(TruncToInt(game.player->X), TruncToInt(game.player->Y), -game.player->Side, game.player->weapon,
               game.player);
  }
  if (KeyIsDown(KEY_ENTER) != 0)
    tshot::neu(TruncToInt(game.player->X), TruncToInt(game.player->Y), -game.player->Side, 0, nullptr);

  if (KeyPressed(KEY_ESCAPE) != 0) game.gameState = TGamePhase::Quit;

  // The pointer is pulled back to the centre every frame; its offset since then turns the player.
  game.player->Side = game.player->Side + PointerX() - game.screenW / 2;
  MovePointer(game.screenW / 2, game.screenH / 2);

  game.camX = TruncToInt(static_cast<double>(game.player->X) - game.screenW / 2);
  game.camY = TruncToInt(static_cast<double>(game.player->Y) - game.screenH / 2);

  SetDrawRotation(0.0f);
  TMap::draw(game.camX, game.camY, game.screenW, game.screenH);
  Tblood::draw();
  SetColor(255, 255, 255);
  TItem::all();
  Tfigur::all();
  tshot::all();
  drawhub();
  RunPlayerKeys();
  if (TRunWatcher* watcher = RunWatcher()) watcher->FrameDrawn();
  present();
  return 0;
}

TNextGame Tapp::next = TNextGame::End;

int32_t Tapp::endscreen(const std::string& place) {
  UsePlayBindings(false);
  // Presses of Enter made while firing, or of Space, during play are still counted; dropped
  // here so the score stays up until a fresh press.
  KeyPressed(KEY_ENTER);
  KeyPressed(KEY_SPACE);
  const bool offer = launch.playAgain;
  if (offer) DropPlayAgainPresses();
  next = TNextGame::End;
  const std::string score = Tr("Score: ") + IntToText(game.player->EP);
  for (;;) {
    Cls();
    SetColor(255, 255, 255);
    SetDrawScale(5.0f, 5.0f);
    DrawString(score, static_cast<float>(game.screenW / 2), static_cast<float>(game.screenH / 2));
    if (offer) DrawPlayAgainLines(place);
    RunPlayerKeys();
    present();
    const bool quit = KeyPressed(KEY_ENTER) != 0 || KeyPressed(KEY_SPACE) != 0;
    if (!quit && offer) next = PlayAgainAsked();
    const bool leave = quit || next != TNextGame::End;
    TRunWatcher* watcher = RunWatcher();
    if (watcher != nullptr && !watcher->FrameDone(leave)) break;
    if (leave) break;
  }
  return 0;
}

int32_t Tapp::drawhub() {
  SetDrawRotation(0.0f);
  // A bar of 255 pixels holds 1000; its colour runs from (0, 255, 128) empty to (255, 0, 128) full.
  const auto bar = [](double value, float y) {
    const auto v = static_cast<float>(value / 1000.0 * 255.0);
    SetColor(TruncToInt(v), TruncToInt(255.0 - v), 128);
    DrawRect(20.0f, y, v, 18.0f);
  };
  bar(game.player->HP, 1.0f);
  for (int32_t i = 0; i < 5; ++i) {
    bar(game.player->weapons[i], static_cast<float>(21 + 20 * i));
    std::string label = "W";
    label += IntToText(i + 1);
    label += ':';
    DrawString(label, 0.0f, static_cast<float>(22 + 20 * i));
  }
  DrawString(Tr("HP:"), 0.0f, 0.0f);
  if (Bindings().hud == THud::Extended) DrawHudNumbers();
  return 0;
}

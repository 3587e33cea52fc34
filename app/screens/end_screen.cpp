#include <cstdint>
#include <string>

#include "actors/tfigur.h"
#include "app/play/play_session.h"
#include "app/play/player_keys.h"
#include "app/player/settings_in_force.h"
#include "app/tapp.h"
#include "platform/input/input.h"
#include "platform/input/keys.h"
#include "platform/input/pad.h"
#include "platform/text/language.h"
#include "platform/video/graphics.h"
#include "rules/answers.h"
#include "state/game.h"

namespace {

constexpr const char* kPlayAgainKeys = TrLater("Enter: Ende   N: neue Welt   R: gleiche Welt");
// A recorded game's demo holds that game alone, so its score screen offers no other.
constexpr const char* kEndKey = TrLater("Enter: Ende");
constexpr const char* kWatchKey = TrLater("W: dieses Spiel ansehen");

// W or the pad's B, past the rules, when the game's demo is kept to watch.
bool WatchAsked() { return KeyPressedLive('W') + PadPresses(PAD_BUTTON_B) != 0; }

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
void DrawEndLines(const std::string& best, bool offer, bool watch) {
  const auto x = static_cast<float>(game.screenW / 2);
  const float y = static_cast<float>(game.screenH / 2) + 96.0f;
  SetDrawScale(2.0f, 2.0f);
  if (!best.empty()) DrawString(best, x, y);
  SetDrawScale(1.0f, 1.0f);
  DrawString(Tr(offer ? kPlayAgainKeys : kEndKey), x, y + 48.0f);
  if (watch) DrawString(Tr(kWatchKey), x, y + 66.0f);
}

}  // namespace

int32_t Tapp::endscreen(const std::string& place) {
  UsePlayBindings(false);
  // Presses of Enter made while firing, or of Space, during play are still counted; dropped
  // here so the score stays up until a fresh press.
  KeyPressed(KEY_ENTER);
  KeyPressed(KEY_SPACE);
  const bool offer = launch.playAgain;
  if (offer) DropPlayAgainPresses();
  const bool watch = PlaySession().finished.has_value() && PlayerSettings().gamesKept > 0;
  if (watch) WatchAsked();
  TNextGame& next = PlaySession().next;
  next = TNextGame::End;
  const std::string score = TrFill("Score: %s", {IntToText(game.player->EP)});
  for (;;) {
    Cls();
    SetColor(255, 255, 255);
    SetDrawScale(5.0f, 5.0f);
    DrawString(score, static_cast<float>(game.screenW / 2), static_cast<float>(game.screenH / 2));
    // A game kept among the scores shows its place, with the keys, whether or not another follows.
    if (offer || !place.empty()) DrawEndLines(place, offer, watch);
    RunPlayerKeys();
    present();
    const bool quit = KeyPressed(KEY_ENTER) != 0 || KeyPressed(KEY_SPACE) != 0;
    if (!quit && offer) next = PlayAgainAsked();
    if (!quit && watch && next == TNextGame::End && WatchAsked()) next = TNextGame::Watch;
    const bool leave = quit || next != TNextGame::End;
    TRunWatcher* watcher = RunWatcher();
    if (watcher != nullptr && !watcher->FrameDone(leave)) break;
    if (leave) break;
  }
  return 0;
}

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "actors/tfigur.h"
#include "app/play/game_tally.h"
#include "app/play/play_session.h"
#include "app/play/player_keys.h"
#include "app/player/settings_in_force.h"
#include "app/tapp.h"
#include "platform/audio/sound.h"
#include "platform/input/input.h"
#include "platform/input/keys.h"
#include "platform/input/pad.h"
#include "platform/text/language.h"
#include "platform/video/graphics.h"
#include "rules/answers.h"
#include "state/game.h"

namespace {

// The end piece crosses over from the play piece.
constexpr char kEndMusic[] = "ende.ogg";
constexpr int32_t kEndMusicCrossMs = 1000;

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

// "m:ss", or "h:mm:ss" from an hour on.
std::string PlayedTime(int32_t seconds) {
  char text[32];
  if (seconds >= 3600) {
    std::snprintf(text, sizeof text, "%d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
  } else {
    std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
  }
  return text;
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) {
    if (!text.empty()) text += ", ";
    text += part;
  }
  return text;
}

struct TTallyLine {
  std::string text;
  bool detail;  // left out first when the screen has no room for all
};

// How the game went, a sentence a line.
std::vector<TTallyLine> TallyLines(const TGameTally& tally) {
  const TGameCounts& c = tally.Counts();
  std::vector<TTallyLine> lines;
  lines.push_back(
      {c.end == TGameEnd::Defeated ? Tr("Spiel vorbei: besiegt") : Tr("Spiel vorbei: vom Spieler beendet"), false});
  lines.push_back({TrFill("Gespielt: %s", {PlayedTime(c.seconds)}), false});
  lines.push_back(
      {TrFill("Gegner besiegt: %s von %s", {std::to_string(c.Defeated()), std::to_string(tally.Enemies())}), false});
  std::vector<std::string> kinds;
  for (const int32_t n : c.defeated) kinds.push_back(std::to_string(n));
  lines.push_back({TrFill("Art 1 bis 6: %s", {Joined(kinds)}), true});
  if (c.Shots() == 0) {
    lines.push_back({Tr("Keine Schüsse abgegeben"), false});
  } else {
    const std::string percent = std::to_string(int64_t{c.Hits()} * 100 / c.Shots());
    lines.push_back(
        {TrFill("Schüsse: %s, Treffer: %s (%s %)", {std::to_string(c.Shots()), std::to_string(c.Hits()), percent}),
         false});
    std::vector<std::string> weapons;
    for (size_t i = 0; i < TGameCounts::kWeapons; ++i) {
      if (c.shots[i] == 0) continue;
      // "W3 12/5", as the HUD names the weapons.
      std::string part = "W";
      part += std::to_string(i + 1) + " " + std::to_string(c.shots[i]) + "/" + std::to_string(c.hits[i]);
      weapons.push_back(part);
    }
    lines.push_back({TrFill("Je Waffe Schüsse/Treffer: %s", {Joined(weapons)}), true});
  }
  lines.push_back({TrFill("Gegenstände aufgenommen: %s", {std::to_string(c.items)}), false});
  return lines;
}

// A line too wide for `columns` goes on in the next, broken after a blank.
std::vector<TTallyLine> Wrapped(const std::vector<TTallyLine>& lines, size_t columns) {
  std::vector<TTallyLine> out;
  for (const TTallyLine& line : lines) {
    std::string rest = line.text;
    while (TextColumns(rest) > columns) {
      size_t cut = rest.rfind(' ', columns);
      if (cut == std::string::npos || cut == 0) cut = columns;
      out.push_back({rest.substr(0, cut), line.detail});
      rest.replace(0, rest[cut] == ' ' ? cut + 1 : cut, "  ");
    }
    out.push_back({rest, line.detail});
  }
  return out;
}

// Under the score, from the centre to the right like the score itself: the best score and this
// game's place, when kept, how the game went, and the keys. The lines of the tally are drawn
// twice as large where they fit so, and where not even the small ones all fit, the details go.
void DrawEndLines(const std::string& best, const std::vector<TTallyLine>& tally, bool offer, bool watch) {
  const auto x = static_cast<float>(game.screenW / 2);
  float y = static_cast<float>(game.screenH / 2) + 96.0f;
  const float width = static_cast<float>(game.screenW) - x - 16.0f;
  if (!best.empty()) {
    const float scale = static_cast<float>(TextColumns(best)) * 16.0f <= width ? 2.0f : 1.0f;
    SetDrawScale(scale, scale);
    DrawString(best, x, y);
  }
  y += 48.0f;
  if (!tally.empty()) {
    // The keys below (and the key to watch the game), and a margin.
    const float room = static_cast<float>(game.screenH) - (watch ? 50.0f : 32.0f) - y;
    std::vector<TTallyLine> lines;
    float scale = 2.0f;
    for (; scale >= 1.0f; scale -= 1.0f) {
      lines = Wrapped(tally, static_cast<size_t>(width / (8.0f * scale)));
      if (static_cast<float>(lines.size()) * 18.0f * scale <= room) break;
    }
    scale = std::max(scale, 1.0f);
    if (static_cast<float>(lines.size()) * 18.0f > room)
      std::erase_if(lines, [](const TTallyLine& l) { return l.detail; });
    lines.resize(std::min(lines.size(), static_cast<size_t>(std::max(0.0f, room / (18.0f * scale)))));
    SetDrawScale(scale, scale);
    for (const TTallyLine& line : lines) {
      DrawString(line.text, x, y);
      y += 18.0f * scale;
    }
    y += 6.0f;
  }
  SetDrawScale(1.0f, 1.0f);
  DrawString(Tr(offer ? kPlayAgainKeys : kEndKey), x, y);
  if (watch) DrawString(Tr(kWatchKey), x, y + 18.0f);
}

}  // namespace

int32_t Tapp::endscreen(const std::string& place) {
  UsePlayBindings(false);
  PlayMusic(kEndMusic, kEndMusicCrossMs);
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
  // How the game went, when it was counted (a game played, not a score screen alone).
  const TGameTally& tally = PlaySession().tally;
  const std::vector<TTallyLine> lines =
      tally.Counting(game.player.get()) ? TallyLines(tally) : std::vector<TTallyLine>{};
  for (;;) {
    Cls();
    SetColor(255, 255, 255);
    SetDrawScale(5.0f, 5.0f);
    DrawString(score, static_cast<float>(game.screenW / 2), static_cast<float>(game.screenH / 2));
    // A game kept among the scores shows its place, with the keys, whether or not another follows.
    if (offer || !place.empty() || !lines.empty()) DrawEndLines(place, lines, offer, watch);
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
  StopMusic(kMusicStopMs);
  return 0;
}

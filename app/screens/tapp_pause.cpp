#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/menu/settings_menu.h"
#include "app/play/notices.h"
#include "app/play/pause_watch.h"
#include "app/play/play_session.h"
#include "app/play/player_keys.h"
#include "app/play/save_play.h"
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
#include "platform/video/letterbox.h"
#include "platform/video/sdl_window.h"
#include "rules/rules_clock.h"
#include "state/game.h"

namespace {

constexpr float kCaptionScale = 4.0f;
// The last frame of play shows at this brightness under the caption.
constexpr int32_t kDimmed = 96;

// The frame kept when the pause was asked for, as an image to draw; null if none was kept.
std::shared_ptr<TImage> LastFrame() {
  TPixmapPtr kept = TakeKeptFrame();
  if (!kept) return nullptr;
  auto image = TImage::Create(kept->width, kept->height, 1, 0, 0, 0, 0);
  image->SetPixmap(0, std::move(kept));
  return image;
}

constexpr float kLineHeight = 18.0f;
constexpr float kPanelMargin = 8.0f;
constexpr float kPanelAlpha = 0.75f;
// The caption's top and the menu's first line, above and below the screen's middle.
constexpr float kCaptionAbove = 200.0f;
constexpr float kMenuAbove = 120.0f;

// Where the menu's lines are on the screen, for the pointer.
struct TMenuPlace {
  float x = 0.0f;
  float y = 0.0f;
  float width = 0.0f;
  size_t lines = 0;
};

// A darkened panel the menu stands on: the figures of the frame behind show through none of
// its text, and the frame stays readable around it.
void DrawPanel(float x, float y, float width, float height) {
  const TDrawStateKept kept;
  SetBlend(ALPHABLEND);
  SetColor(0, 0, 0);
  SetAlpha(kPanelAlpha);
  DrawRect(x, y, width, height);
}

// The menu's lines in small print under the caption, as a block centred on the screen, the
// chosen line marked, and what to press while a key is awaited.
TMenuPlace DrawMenu(const TSettingsMenu& menu) {
  const std::vector<TMenuLine> lines = menu.Lines();
  size_t longest = 0;
  for (const TMenuLine& line : lines) longest = std::max(longest, TextColumns(line.text) + 2);
  TMenuPlace place;
  place.width = 8.0f * static_cast<float>(longest);
  place.x = static_cast<float>(game.screenW / 2) - place.width / 2;
  place.y = static_cast<float>(game.screenH / 2) - kMenuAbove;
  place.lines = lines.size();
  const std::string prompt = menu.Prompt();
  const float promptWidth = 8.0f * static_cast<float>(TextColumns(prompt));
  const float left = std::min(place.x, static_cast<float>(game.screenW / 2) - promptWidth / 2) - kPanelMargin;
  const float right =
      std::max(place.x + place.width, static_cast<float>(game.screenW / 2) + promptWidth / 2) + kPanelMargin;
  const float bottom = place.y + kLineHeight * static_cast<float>(lines.size() + (prompt.empty() ? 0 : 2));
  DrawPanel(left, place.y - kPanelMargin, right - left, bottom - place.y + 2.0f * kPanelMargin);
  float y = place.y;
  for (size_t i = 0; i < lines.size(); ++i) {
    const bool chosen = i == menu.Chosen();
    if (chosen) {
      SetColor(255, 220, 0);
    } else if (lines[i].selectable) {
      SetColor(255, 255, 255);
    } else {
      SetColor(200, 200, 200);
    }
    DrawString((chosen ? "> " : "  ") + lines[i].text, place.x, y);
    y += kLineHeight;
  }
  if (!prompt.empty()) {
    SetColor(255, 220, 0);
    DrawString(prompt, static_cast<float>(game.screenW / 2) - 4.0f * static_cast<float>(TextColumns(prompt)),
               y + kLineHeight);
  }
  SetColor(255, 255, 255);
  return place;
}

// The line under a point of the screen; none outside the menu.
std::optional<size_t> LineAt(const TMenuPlace& place, int32_t x, int32_t y) {
  const auto fx = static_cast<float>(x);
  const auto fy = static_cast<float>(y);
  if (fx < place.x || fx >= place.x + place.width || fy < place.y) return std::nullopt;
  const auto line = static_cast<size_t>((fy - place.y) / kLineHeight);
  if (line >= place.lines) return std::nullopt;
  return line;
}

// Leaves the draw state as the end of a frame of play leaves it.
TMenuPlace DrawPauseScreen(const std::shared_ptr<TImage>& last, const TSettingsMenu& menu) {
  const std::string caption = Tr("Pause");
  Cls();
  SetColor(kDimmed, kDimmed, kDimmed);
  DrawImageFrame(last, 0.0f, 0.0f, 0);
  SetColor(255, 255, 255);
  SetDrawScale(kCaptionScale, kCaptionScale);
  const float width = 8.0f * kCaptionScale * static_cast<float>(TextColumns(caption));
  DrawString(caption, static_cast<float>(game.screenW / 2) - width / 2,
             static_cast<float>(game.screenH / 2) - kCaptionAbove);
  SetDrawScale(1.0f, 1.0f);
  const TMenuPlace place = DrawMenu(menu);
  DrawNotices();
  Tapp::present();
  return place;
}

// What the menu took while the game was paused, so none of it reaches the rules afterwards.
struct TMenuUse {
  std::vector<int32_t> keys;
  bool clicked = false;
};

// Every change takes effect at once and is kept in the settings file.
void PutInForce(const TPlayerSettings& to) {
  const TPlayerSettings from = PlayerSettings();
  Apply(to);
  KeepPlayerSettings();
  if (to.volume != from.volume || to.mute != from.mute) {
    PostNotice(SoundNotice(to), TNoticeKind::Sound);
  }
}

// The window's input and the pad's presses since the last frame of the pause, in the menu.
TSettingsMenu::TResult FeedMenu(TSettingsMenu& menu, const TMenuPlace& place, TMenuUse& use) {
  using TResult = TSettingsMenu::TResult;
  TResult result = TResult::Stay;
  for (const TEvent& ev : TakeMenuInput()) {
    if (result != TResult::Stay) break;
    if (ev.id == EVENT_KEYDOWN) {
      result = menu.Key(ev.data);
      use.keys.push_back(ev.data);
    } else if (ev.id == EVENT_APPTERMINATE) {
      // The close button and the stop signals end play as they do in play.
      result = TResult::EndPlay;
    } else if (ev.id == EVENT_MOUSEMOVE) {
      // Only the player's hand chooses: a window that changed under a resting pointer does not.
      if (ev.data != kPointerMoved) continue;
      if (const std::optional<size_t> line = LineAt(place, ev.x, ev.y)) menu.Point(*line);
    } else {
      use.clicked = true;
      // A click beside the menu goes on.
      const std::optional<size_t> line = LineAt(place, ev.x, ev.y);
      result = line ? menu.Click(*line) : TResult::Resume;
    }
  }
  for (int32_t button : {PAD_BUTTON_DPAD_UP, PAD_BUTTON_DPAD_DOWN, PAD_BUTTON_DPAD_LEFT, PAD_BUTTON_DPAD_RIGHT,
                         PAD_BUTTON_A, PAD_BUTTON_B}) {
    for (int32_t n = PadPresses(button); n > 0 && result == TResult::Stay; --n) result = menu.PadButton(button);
  }
  return result;
}

// The game saved, play ends; else the notice says why not and the menu stays.
TSettingsMenu::TResult SaveAndQuit() {
  const std::string problem = SaveGameBeingPlayed();
  if (problem.empty()) return TSettingsMenu::TResult::SaveAndQuit;
  std::fprintf(stderr, "Kestrova: the game is not saved: %s\n", problem.c_str());
  PostNotice(Tr("Nicht gesichert: das Spiel geht weiter"), TNoticeKind::Urgent);
  return TSettingsMenu::TResult::Stay;
}

}  // namespace

int32_t Tapp::pause() {
  const std::shared_ptr<TImage> last = LastFrame();
  TakePauseInput();
  StopRulesClock();
  PauseSounds(true);
  HoldPointerForPlay(false);
  // The menu shows the window as it is, whatever F11 did since the start.
  TPlayerSettings shown = PlayerSettings();
  shown.fullscreen = DesktopFullScreen();
  TSettingsMenu menu(shown, PadConnected());
  OpenPauseMenu(true);
  TMenuUse use;
  TSettingsMenu::TResult result = TSettingsMenu::TResult::Stay;
  while (result == TSettingsMenu::TResult::Stay) {
    const TMenuPlace place = DrawPauseScreen(last, menu);
    result = FeedMenu(menu, place, use);
    PlaySession().keys.keyAwaited = !menu.Prompt().empty();
    if (menu.TakeChanged()) PutInForce(menu.Settings());
    if (result == TSettingsMenu::TResult::SaveAndQuit) result = SaveAndQuit();
    // The pause keys reach the menu as keys; what pause.h counted of them is done with.
    TakePauseInput();
  }
  OpenPauseMenu(false);
  PlaySession().keys.keyAwaited = false;
  // Keys and clicks the menu took reach nothing after it: Enter that acted does not fire.
  for (int32_t key : use.keys) ReleaseKey(key);
  if (use.clicked) ClearButtons();
  // Play ends as Escape ends it, in the next frame, through the rules' own question.
  if (result == TSettingsMenu::TResult::EndPlay) CountKeyPress(KEY_ESCAPE);
  HoldPointerForPlay(true);
  PauseSounds(false);
  RunRulesClock();
  return 0;
}

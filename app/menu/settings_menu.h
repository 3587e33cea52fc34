// The menu of the pause screen: the player's settings changed in the game, keys bound by
// pressing them, and the controls list. What it is told (keys, pad buttons, the pointer over a
// line, clicks) and what it shows (lines, the chosen one, a prompt) are plain values, so it
// knows neither the window nor the drawing; the pause screen (Tapp::pause) feeds and draws it
// and puts its settings in force.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/player/settings.h"

struct TMenuLine {
  std::string text;
  bool selectable = true;
};

class TSettingsMenu {
 public:
  enum class TResult { Stay, Resume, SaveAndQuit, EndPlay };
  enum class TPage { Main, Controls, Keys };
  // The lines of the main page, top to bottom.
  enum class TItem {
    Resume,
    Volume,
    Music,
    Sound,
    MouseSensitivity,
    MouseInvert,
    FullScreen,
    Scaling,
    Hud,
    Language,
    Controls,
    Keys,
    SaveAndQuit,
    EndPlay,
  };

  // `pad`: whether the controls list names the pad.
  TSettingsMenu(const TPlayerSettings& settings, bool pad);

  // Up and Down choose, Left and Right change a value, Enter acts, Escape goes back (and on
  // the main page ends play), the pause keys go on; while a key is awaited, the key pressed.
  TResult Key(int32_t key);
  // The pad's D-pad, A (Enter) and B (back; on the main page, go on).
  TResult PadButton(int32_t button);
  // The pointer rests on a line: a selectable one is chosen.
  void Point(size_t line);
  // The left button on a line: chosen and acted on. A click while a key is awaited cancels it.
  TResult Click(size_t line);

  std::vector<TMenuLine> Lines() const;
  size_t Chosen() const { return chosen_; }
  TPage Page() const { return page_; }
  // While a key is awaited, what to press; empty otherwise.
  std::string Prompt() const;
  const TPlayerSettings& Settings() const { return settings_; }
  // Whether the settings changed since last asked.
  bool TakeChanged();

 private:
  TResult Navigate(int32_t key);
  TResult AwaitedKey(int32_t key);
  void Move(int32_t step);
  void Change(int32_t step, bool wrap);
  TResult Act();
  void Open(TPage page, size_t line);
  void Bind(int32_t key);

  TPlayerSettings settings_;
  bool pad_ = false;
  TPage page_ = TPage::Main;
  size_t chosen_ = 0;
  bool changed_ = false;
  bool awaiting_ = false;
  // A key pressed for the chosen action that another action holds, until Enter swaps them.
  std::optional<int32_t> clash_;
};

// "Vorwärts", ...: the name of an action as the menu lists it.
std::string ActionLabel(TAction action);

#include "app/menu/settings_menu.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

#include "app/menu/controls_help.h"
#include "platform/input/key_names.h"
#include "platform/input/keys.h"
#include "platform/input/pad.h"
#include "platform/text/language.h"
#include "platform/video/graphics.h"

namespace {

using TItem = TSettingsMenu::TItem;

constexpr size_t kMainLines = static_cast<size_t>(TItem::EndPlay) + 1;
// On the keys page, the actions come first, then these two lines.
constexpr size_t kDefaultsLine = kActions;
constexpr size_t kKeysBackLine = kActions + 1;
constexpr size_t kLabelWidth = 22;
constexpr int32_t kVolumeStep = 10;
constexpr std::array<double, 13> kSensitivities = {0.1, 0.25, 0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0, 5.0, 7.5, 10.0};

std::string Column(const std::string& label, const std::string& value) {
  std::string line = label;
  for (size_t n = TextColumns(label); n < kLabelWidth; ++n) line += ' ';
  return line + value;
}

std::string OnOff(bool on) { return on ? Tr("an") : Tr("aus"); }

std::string Real(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

std::string LanguageName(TLanguageChoice language) {
  if (language == TLanguageChoice::English) return "English";
  if (language == TLanguageChoice::Desktop) return Tr("automatisch");
  return "Deutsch";
}

// The values a line steps through, in order; Right steps on, Left back, both round.
constexpr std::array<TLanguageChoice, 3> kLanguages = {TLanguageChoice::German, TLanguageChoice::English,
                                                       TLanguageChoice::Desktop};
constexpr std::array<TScaling, 3> kScalings = {TScaling::Smooth, TScaling::Sharp, TScaling::Whole};

template <typename T, size_t N>
T Cycled(T value, const std::array<T, N>& values, int32_t step) {
  const auto at = static_cast<int32_t>(std::find(values.begin(), values.end(), value) - values.begin());
  const auto n = static_cast<int32_t>(N);
  return values[static_cast<size_t>(((at + (step < 0 ? -1 : 1)) % n + n) % n)];
}

std::string ScalingName(TScaling scaling) {
  if (scaling == TScaling::Sharp) return Tr("scharf");
  if (scaling == TScaling::Whole) return Tr("ganzzahlig");
  return Tr("weich");
}

// The next sensitivity of the steps in the direction asked, from any value the file set.
double StepSensitivity(double from, int32_t step, bool wrap) {
  if (step > 0) {
    const auto next = std::upper_bound(kSensitivities.begin(), kSensitivities.end(), from);
    if (next != kSensitivities.end()) return *next;
    return wrap ? kSensitivities.front() : kSensitivities.back();
  }
  const auto below = std::lower_bound(kSensitivities.begin(), kSensitivities.end(), from);
  if (below != kSensitivities.begin()) return *(below - 1);
  return kSensitivities.front();
}

std::string MainLabel(TItem item) {
  switch (item) {
    case TItem::Resume:
      return Tr("Weiter");
    case TItem::Volume:
      return Tr("Lautstärke");
    case TItem::Music:
      return Tr("Musik");
    case TItem::Sound:
      return Tr("Ton");
    case TItem::MouseSensitivity:
      return Tr("Maus-Empfindlichkeit");
    case TItem::MouseInvert:
      return Tr("Maus umkehren");
    case TItem::FullScreen:
      return Tr("Vollbild");
    case TItem::Scaling:
      return Tr("Skalierung");
    case TItem::Hud:
      return Tr("Anzeige");
    case TItem::Language:
      return Tr("Sprache");
    case TItem::Controls:
      return Tr("Steuerung");
    case TItem::Keys:
      return Tr("Tasten belegen");
    case TItem::SaveAndQuit:
      return Tr("Sichern und beenden");
    case TItem::EndPlay:
      return Tr("Spiel beenden");
  }
  return {};
}

std::string MainValue(TItem item, const TPlayerSettings& s) {
  switch (item) {
    case TItem::Volume:
      return std::to_string(s.volume);
    case TItem::Music:
      return std::to_string(s.music);
    case TItem::Sound:
      return OnOff(!s.mute);
    case TItem::MouseSensitivity:
      return Real(s.mouseSensitivity);
    case TItem::MouseInvert:
      return s.mouseInvert ? Tr("ja") : Tr("nein");
    case TItem::FullScreen:
      return OnOff(s.fullscreen);
    case TItem::Scaling:
      return ScalingName(s.scaling);
    case TItem::Hud:
      return s.hud == THud::Extended ? Tr("erweitert") : Tr("klassisch");
    case TItem::Language:
      return LanguageName(s.language);
    default:
      return {};
  }
}

// The action that holds the key, other than `except`.
std::optional<size_t> Holder(const TPlayerSettings& s, int32_t key, size_t except) {
  for (size_t a = 0; a < kActions; ++a) {
    if (a != except && std::find(s.keys[a].begin(), s.keys[a].end(), key) != s.keys[a].end()) return a;
  }
  return std::nullopt;
}

}  // namespace

std::string ActionLabel(TAction action) {
  switch (action) {
    case TAction::Forward:
      return Tr("Vorwärts");
    case TAction::Back:
      return Tr("Rückwärts");
    case TAction::Left:
      return Tr("Seitwärts links");
    case TAction::Right:
      return Tr("Seitwärts rechts");
    case TAction::FireWeapon1:
      return Tr("Feuer Waffe 1");
    case TAction::Weapon1:
    case TAction::Weapon2:
    case TAction::Weapon3:
    case TAction::Weapon4:
    case TAction::Weapon5:
      return TrFill("Waffe %s",
                    {std::to_string(static_cast<int32_t>(action) - static_cast<int32_t>(TAction::Weapon1) + 1)});
    case TAction::Pause:
      return Tr("Pause");
    case TAction::Screenshot:
      return Tr("Bildschirmfoto");
    case TAction::FullScreen:
      return Tr("Vollbild");
    case TAction::Mute:
      return Tr("Ton aus/an");
    case TAction::VolumeDown:
      return Tr("Leiser");
    case TAction::VolumeUp:
      return Tr("Lauter");
  }
  return {};
}

TSettingsMenu::TSettingsMenu(const TPlayerSettings& settings, bool pad) : settings_(settings), pad_(pad) {}

std::vector<TMenuLine> TSettingsMenu::Lines() const {
  std::vector<TMenuLine> lines;
  switch (page_) {
    case TPage::Main:
      for (size_t i = 0; i < kMainLines; ++i) {
        const auto item = static_cast<TItem>(i);
        const std::string value = MainValue(item, settings_);
        lines.push_back({value.empty() ? MainLabel(item) : Column(MainLabel(item), value)});
      }
      break;
    case TPage::Controls:
      for (const std::string& line : ControlsInForce(settings_, pad_)) lines.push_back({line, false});
      lines.push_back({Tr("Zurück")});
      break;
    case TPage::Keys:
      for (size_t a = 0; a < kActions; ++a) {
        lines.push_back({Column(ActionLabel(static_cast<TAction>(a)), KeyListText(settings_.keys[a]))});
      }
      lines.push_back({Tr("Standardbelegung")});
      lines.push_back({Tr("Zurück")});
      break;
  }
  return lines;
}

std::string TSettingsMenu::Prompt() const {
  if (!awaiting_) return {};
  const std::string action = ActionLabel(static_cast<TAction>(chosen_));
  if (clash_) {
    const size_t other = *Holder(settings_, *clash_, chosen_);
    return TrFill("%s gehört zu %s: Enter tauscht, Escape bricht ab",
                  {KeyName(*clash_), ActionLabel(static_cast<TAction>(other))});
  }
  return TrFill("Neue Taste für %s drücken (Escape bricht ab)", {action});
}

bool TSettingsMenu::TakeChanged() { return std::exchange(changed_, false); }

TSettingsMenu::TResult TSettingsMenu::Key(int32_t key) {
  if (awaiting_) return AwaitedKey(key);
  // The menu's own keys act as the menu says, whatever is bound to pause play.
  for (const int32_t own : {KEY_UP, KEY_DOWN, KEY_LEFT, KEY_RIGHT, KEY_ENTER, KEY_ESCAPE}) {
    if (key == own) return Navigate(key);
  }
  const std::vector<int32_t>& pause = settings_.Keys(TAction::Pause);
  if (std::find(pause.begin(), pause.end(), key) != pause.end()) return TResult::Resume;
  return Navigate(key);
}

TSettingsMenu::TResult TSettingsMenu::PadButton(int32_t button) {
  if (awaiting_) {
    if (button == PAD_BUTTON_B) {
      awaiting_ = false;
      clash_.reset();
    } else if (button == PAD_BUTTON_A && clash_) {
      Bind(*clash_);
    }
    return TResult::Stay;
  }
  switch (button) {
    case PAD_BUTTON_DPAD_UP:
      return Navigate(KEY_UP);
    case PAD_BUTTON_DPAD_DOWN:
      return Navigate(KEY_DOWN);
    case PAD_BUTTON_DPAD_LEFT:
      return Navigate(KEY_LEFT);
    case PAD_BUTTON_DPAD_RIGHT:
      return Navigate(KEY_RIGHT);
    case PAD_BUTTON_A:
      return Act();
    case PAD_BUTTON_B:
      if (page_ == TPage::Main) return TResult::Resume;
      return Navigate(KEY_ESCAPE);
    default:
      return TResult::Stay;
  }
}

void TSettingsMenu::Point(size_t line) {
  if (awaiting_) return;
  const std::vector<TMenuLine> lines = Lines();
  if (line < lines.size() && lines[line].selectable) chosen_ = line;
}

TSettingsMenu::TResult TSettingsMenu::Click(size_t line) {
  if (awaiting_) {
    awaiting_ = false;
    clash_.reset();
    return TResult::Stay;
  }
  const std::vector<TMenuLine> lines = Lines();
  if (line >= lines.size() || !lines[line].selectable) return TResult::Stay;
  chosen_ = line;
  return Act();
}

TSettingsMenu::TResult TSettingsMenu::Navigate(int32_t key) {
  switch (key) {
    case KEY_UP:
      Move(-1);
      return TResult::Stay;
    case KEY_DOWN:
      Move(1);
      return TResult::Stay;
    case KEY_LEFT:
      Change(-1, false);
      return TResult::Stay;
    case KEY_RIGHT:
      Change(1, false);
      return TResult::Stay;
    case KEY_ENTER:
      return Act();
    case KEY_ESCAPE:
      if (page_ == TPage::Main) return TResult::EndPlay;
      Open(TPage::Main, static_cast<size_t>(page_ == TPage::Keys ? TItem::Keys : TItem::Controls));
      return TResult::Stay;
    default:
      return TResult::Stay;
  }
}

TSettingsMenu::TResult TSettingsMenu::AwaitedKey(int32_t key) {
  if (key == KEY_ESCAPE) {
    awaiting_ = false;
    clash_.reset();
  } else if (clash_ && key == KEY_ENTER) {
    Bind(*clash_);
  } else if (!KeyName(key).empty()) {
    // A key of its own binds at once; one another action holds waits for Enter.
    clash_.reset();
    if (Holder(settings_, key, chosen_)) {
      clash_ = key;
    } else {
      Bind(key);
    }
  }
  return TResult::Stay;
}

void TSettingsMenu::Bind(int32_t key) {
  // The other action takes this one's keys in place of the key, so no key is lost.
  if (const std::optional<size_t> other = Holder(settings_, key, chosen_)) {
    std::vector<int32_t>& theirs = settings_.keys[*other];
    std::vector<int32_t> swapped;
    for (int32_t k : theirs) {
      if (k != key) {
        swapped.push_back(k);
        continue;
      }
      for (int32_t mine : settings_.keys[chosen_]) {
        if (std::find(theirs.begin(), theirs.end(), mine) == theirs.end()) swapped.push_back(mine);
      }
    }
    theirs = swapped;
  }
  settings_.keys[chosen_] = {key};
  changed_ = true;
  awaiting_ = false;
  clash_.reset();
}

void TSettingsMenu::Move(int32_t step) {
  const std::vector<TMenuLine> lines = Lines();
  const auto n = static_cast<int32_t>(lines.size());
  auto at = static_cast<int32_t>(chosen_);
  for (int32_t tries = 0; tries < n; ++tries) {
    at = ((at + step) % n + n) % n;
    if (lines[static_cast<size_t>(at)].selectable) break;
  }
  chosen_ = static_cast<size_t>(at);
}

void TSettingsMenu::Change(int32_t step, bool wrap) {
  if (page_ != TPage::Main) return;
  const TPlayerSettings before = settings_;
  switch (static_cast<TItem>(chosen_)) {
    case TItem::Volume: {
      int32_t v = settings_.volume + kVolumeStep * step;
      if (wrap && v > 100) v = 0;
      settings_.volume = std::clamp(v, 0, 100);
      break;
    }
    case TItem::Music: {
      int32_t v = settings_.music + kVolumeStep * step;
      if (wrap && v > 100) v = 0;
      settings_.music = std::clamp(v, 0, 100);
      break;
    }
    case TItem::Sound:
      settings_.mute = !settings_.mute;
      break;
    case TItem::MouseSensitivity:
      settings_.mouseSensitivity = StepSensitivity(settings_.mouseSensitivity, step, wrap);
      break;
    case TItem::MouseInvert:
      settings_.mouseInvert = !settings_.mouseInvert;
      break;
    case TItem::FullScreen:
      settings_.fullscreen = !settings_.fullscreen;
      break;
    case TItem::Hud:
      settings_.hud = settings_.hud == THud::Extended ? THud::Classic : THud::Extended;
      break;
    case TItem::Scaling:
      settings_.scaling = Cycled(settings_.scaling, kScalings, step);
      break;
    case TItem::Language:
      settings_.language = Cycled(settings_.language, kLanguages, step);
      break;
    default:
      break;
  }
  changed_ = changed_ || !(settings_ == before);
}

TSettingsMenu::TResult TSettingsMenu::Act() {
  switch (page_) {
    case TPage::Controls:
      Open(TPage::Main, static_cast<size_t>(TItem::Controls));
      return TResult::Stay;
    case TPage::Keys:
      if (chosen_ == kDefaultsLine) {
        changed_ = changed_ || settings_.keys != DefaultKeys();
        settings_.keys = DefaultKeys();
      } else if (chosen_ == kKeysBackLine) {
        Open(TPage::Main, static_cast<size_t>(TItem::Keys));
      } else {
        awaiting_ = true;
      }
      return TResult::Stay;
    case TPage::Main:
      break;
  }
  switch (static_cast<TItem>(chosen_)) {
    case TItem::Resume:
      return TResult::Resume;
    case TItem::Controls:
      Open(TPage::Controls, 0);
      chosen_ = Lines().size() - 1;
      return TResult::Stay;
    case TItem::Keys:
      Open(TPage::Keys, 0);
      return TResult::Stay;
    case TItem::SaveAndQuit:
      return TResult::SaveAndQuit;
    case TItem::EndPlay:
      return TResult::EndPlay;
    default:
      // Enter or a click steps a value on, round to the start after the last.
      Change(1, true);
      return TResult::Stay;
  }
}

void TSettingsMenu::Open(TPage page, size_t line) {
  page_ = page;
  chosen_ = line;
}

#include "app/player/bindings.h"

#include <utility>
#include <vector>

#include "app/play/pad_controls.h"
#include "app/screens/pause_watch.h"
#include "platform/core/events.h"
#include "platform/input/input.h"
#include "platform/input/keys.h"
#include "rules/answers.h"

namespace {

struct BindingsState {
  TPlayerSettings bindings;
  // Alt+Enter presses, told apart as the events come: by the time a frame looks, a quick
  // press may have let go of Alt already.
  int32_t altEnters = 0;
  bool altHeld[2] = {false, false};
  int32_t hookId = 0;
};

BindingsState state;

void OnEvent(const TEvent& ev) {
  if (ev.id != EVENT_KEYDOWN && ev.id != EVENT_KEYUP) return;
  const bool down = ev.id == EVENT_KEYDOWN;
  if (ev.data == KEY_LEFTALT || ev.data == KEY_RIGHTALT) state.altHeld[ev.data == KEY_RIGHTALT] = down;
  if (down && ev.data == KEY_ENTER && (state.altHeld[0] || state.altHeld[1])) ++state.altEnters;
}

// The key codes the rules ask about in play for each action, the arrow before its letter;
// Enter, asked on the score screen too, is bound by UsePlayBindings.
const std::vector<std::pair<TAction, std::vector<int32_t>>>& RuleKeys() {
  static const std::vector<std::pair<TAction, std::vector<int32_t>>> keys = {
      {TAction::Forward, {KEY_UP, 'W'}},  {TAction::Back, {KEY_DOWN, 'S'}}, {TAction::Left, {KEY_LEFT, 'A'}},
      {TAction::Right, {KEY_RIGHT, 'D'}}, {TAction::FireWeapon1, {13}},     {TAction::Weapon1, {'1'}},
      {TAction::Weapon2, {'2'}},          {TAction::Weapon3, {'3'}},        {TAction::Weapon4, {'4'}},
      {TAction::Weapon5, {'5'}},
  };
  return keys;
}

}  // namespace

void ApplyBindings(const TPlayerSettings& settings) {
  state.bindings = settings;
  if (state.hookId == 0) state.hookId = AddEventHook(OnEvent);
  const TKeyLists defaults = DefaultKeys();
  for (const auto& [action, codes] : RuleKeys()) {
    const std::vector<int32_t>& keys = settings.Keys(action);
    for (int32_t code : codes) {
      // Each code the rules ask answers for all the player's keys: Held(Up, W) is then any of them.
      if (keys != defaults[static_cast<size_t>(action)]) {
        BindKey(code, keys);
      } else {
        UnbindKey(code);
      }
    }
  }
  SetPauseKeys(settings.Keys(TAction::Pause));
  SetScreenshotKeys(settings.Keys(TAction::Screenshot));
  const double sign = settings.mouseInvert ? -1.0 : 1.0;
  SetPointerSensitivity(sign * settings.mouseSensitivity);
}

void UsePlayBindings(bool play) {
  const std::vector<int32_t>& fire = state.bindings.Keys(TAction::FireWeapon1);
  if (play && fire != DefaultKeys()[static_cast<size_t>(TAction::FireWeapon1)]) {
    BindKey(KEY_ENTER, fire);
  } else {
    UnbindKey(KEY_ENTER);
  }
}

int32_t ActionPresses(TAction action) {
  int32_t presses = 0;
  for (int32_t key : state.bindings.Keys(action)) presses += KeyPressedLive(key);
  return presses;
}

bool FullScreenAsked() {
  bool asked = ActionPresses(TAction::FullScreen) % 2 != 0;
  if (state.altEnters % 2 != 0) asked = !asked;
  // Its Enter is no press the score screen should see.
  if (state.altEnters != 0) KeyPressedLive(KEY_ENTER);
  state.altEnters = 0;
  return asked;
}

const TPlayerSettings& Bindings() { return state.bindings; }

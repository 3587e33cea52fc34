#include "app/bindings.h"

#include <utility>
#include <vector>

#include "platform/input.h"

namespace {

TPlayerSettings bindings;

// The key codes the rules ask about in play for each action, the arrow before its letter;
// Enter, asked on the score screen too, is bound by UsePlayBindings.
const std::vector<std::pair<TAction, std::vector<int32_t>>>& RuleKeys() {
  static const std::vector<std::pair<TAction, std::vector<int32_t>>> keys = {
      {TAction::Forward, {38, 'W'}}, {TAction::Back, {40, 'S'}},   {TAction::Left, {37, 'A'}},
      {TAction::Right, {39, 'D'}},   {TAction::FireWeapon1, {13}}, {TAction::Weapon1, {'1'}},
      {TAction::Weapon2, {'2'}},     {TAction::Weapon3, {'3'}},    {TAction::Weapon4, {'4'}},
      {TAction::Weapon5, {'5'}},
  };
  return keys;
}

}  // namespace

void ApplyBindings(const TPlayerSettings& settings) {
  bindings = settings;
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
  const double sign = settings.mouseInvert ? -1.0 : 1.0;
  SetPointerSensitivity(sign * settings.mouseSensitivity);
}

void UsePlayBindings(bool play) {
  const std::vector<int32_t>& fire = bindings.Keys(TAction::FireWeapon1);
  if (play && fire != DefaultKeys()[static_cast<size_t>(TAction::FireWeapon1)]) {
    BindKey(13, fire);
  } else {
    UnbindKey(13);
  }
}

int32_t ActionPresses(TAction action) {
  int32_t presses = 0;
  for (int32_t key : bindings.Keys(action)) presses += KeyPressedLive(key);
  return presses;
}

bool FullScreenAsked() {
  bool asked = ActionPresses(TAction::FullScreen) % 2 != 0;
  constexpr int32_t kEnter = 13;
  constexpr int32_t kLeftAlt = 164;
  constexpr int32_t kRightAlt = 165;
  if ((KeyIsDownLive(kLeftAlt) != 0 || KeyIsDownLive(kRightAlt) != 0) && KeyPressesWaiting(kEnter) != 0) {
    asked = asked != (KeyPressedLive(kEnter) % 2 != 0);
  }
  return asked;
}

const TPlayerSettings& Bindings() { return bindings; }

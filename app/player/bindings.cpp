#include "app/player/bindings.h"

#include <utility>
#include <vector>

#include "platform/input/input.h"
#include "platform/input/keys.h"
#include "rules/answers.h"

namespace {

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

#include "app/play/pad_controls.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "app/play/play_session.h"
#include "platform/core/events.h"
#include "platform/input/input.h"
#include "platform/input/keys.h"
#include "platform/input/pad.h"
#include "rules/answers.h"

namespace {

constexpr int32_t kDigit1 = '1';
constexpr int32_t kDigit5 = '5';

// The pad can only add to what the keyboard and the mouse answer; what it keeps is the game's.
class TPadJoin : public TInputJoin {
 public:
  int32_t Join(TQuery query, int32_t code, int32_t live) const override;
};

const TPadJoin kPadJoin;

// The pad's presses since the last look, in the keys they stand for; what was waiting is dropped
// when the platform says the focus or the pad changed.
void TakePadPresses() {
  TPadState& state = PlaySession().pad;
  if (state.epoch != PadEpoch()) {
    state.epoch = PadEpoch();
    state.enterPresses = 0;
    state.escapePresses = 0;
    state.shoulderDigit = 0;
    state.shoulderDigitRead = false;
    state.turnCarry = 0.0;
  }
  const int32_t start = PadPresses(PAD_BUTTON_START);
  state.enterPresses += (state.viewerHasPad ? 0 : PadPresses(PAD_BUTTON_A)) + start;
  state.escapePresses += PadPresses(PAD_BUTTON_BACK) + start;
  if (state.viewerHasPad) return;
  const int32_t next = PadPresses(PAD_BUTTON_RIGHTSHOULDER);
  const int32_t previous = PadPresses(PAD_BUTTON_LEFTSHOULDER);
  if (next + previous == 0) return;
  // The digit after (next) or before (previous) the selected weapon's, 1..5 and round.
  const int32_t from = (state.shoulderDigit != 0 ? state.shoulderDigit : state.weaponDigit) - kDigit1;
  state.shoulderDigit = kDigit1 + ((from + next - previous) % 5 + 5) % 5;
  state.shoulderDigitRead = false;
}

bool PadHolds(int32_t key) {
  TPadState& state = PlaySession().pad;
  if (key >= kDigit1 && key <= kDigit5) {
    if (key != state.shoulderDigit) return false;
    state.shoulderDigitRead = true;
    return true;
  }
  switch (key) {
    case 'W':
      return PadAxis(PAD_AXIS_LEFTY) < -kPadWalkThreshold || PadButton(PAD_BUTTON_DPAD_UP);
    case 'S':
      return PadAxis(PAD_AXIS_LEFTY) > kPadWalkThreshold || PadButton(PAD_BUTTON_DPAD_DOWN);
    case 'A':
      return PadAxis(PAD_AXIS_LEFTX) < -kPadWalkThreshold || PadButton(PAD_BUTTON_DPAD_LEFT);
    case 'D':
      return PadAxis(PAD_AXIS_LEFTX) > kPadWalkThreshold || PadButton(PAD_BUTTON_DPAD_RIGHT);
    case KEY_ENTER:
      return PadAxis(PAD_AXIS_TRIGGERLEFT) > kPadTriggerThreshold;
    default:
      return false;
  }
}

int32_t TPadJoin::Join(TQuery query, int32_t code, int32_t live) const {
  TakePadPresses();
  TPadState& state = PlaySession().pad;
  switch (query) {
    case TQuery::KeyIsDown: {
      const int32_t held = live != 0 || PadHolds(code) ? 1 : 0;
      // The digits seen held tell which weapon the rules selected (the highest held wins).
      if (held != 0 && code >= kDigit1 && code <= kDigit5) state.weaponDigit = code;
      return held;
    }
    case TQuery::ButtonIsDown:
      if (live != 0) return live;
      return code == 1 && PadAxis(PAD_AXIS_TRIGGERRIGHT) > kPadTriggerThreshold ? 1 : 0;
    case TQuery::KeyPressed:
      if (code == KEY_ENTER) return live + std::exchange(state.enterPresses, 0);
      if (code == KEY_ESCAPE) return live + std::exchange(state.escapePresses, 0);
      return live;
    case TQuery::PointerX:
      return live + state.frameTurn;
    default:
      return live;
  }
}

}  // namespace

void StartControls() {
  SetInputJoin(&kPadJoin);
  // Closing the window ends play as Escape does and leaves the score screen as Enter does.
  SetCloseRequestKeys({KEY_ESCAPE, KEY_ENTER});
}

void StartControlsFrame() {
  StartInputFrame();
  PumpEvents();
  TakePadPresses();
  TPadState& state = PlaySession().pad;
  if (state.shoulderDigitRead) {
    state.shoulderDigit = 0;
    state.shoulderDigitRead = false;
  }
  const double rate = PadTurnRate(PadAxis(PAD_AXIS_RIGHTX));
  // Each push of the stick, and each change of direction, starts afresh.
  if (rate * state.turnCarry <= 0.0) state.turnCarry = 0.0;
  state.turnCarry += rate;
  const double whole = std::trunc(state.turnCarry);
  state.turnCarry -= whole;
  state.frameTurn = static_cast<int32_t>(whole);
}

double PadTurnRate(int32_t axis) {
  const double beyond = std::abs(static_cast<double>(axis)) - kPadTurnDeadZone;
  if (beyond <= 0.0) return 0.0;
  const double t = std::min(1.0, beyond / (32767.0 - kPadTurnDeadZone));
  return std::copysign(kPadMaxTurn * t * t, static_cast<double>(axis));
}

void RumbleForHit(double hitPointsLost) {
  if (!(hitPointsLost > 0.0)) return;
  // A hit takes 1 to 12 points; the strongest shots, or several hits at once, rumble fully.
  const double strength = std::min(1.0, 0.2 + 0.8 * hitPointsLost / 12.0);
  const auto low = static_cast<uint16_t>(strength * 65535.0);
  RumblePad(low, static_cast<uint16_t>(low / 2), kPadRumbleMs);
}

void LeavePadToViewer(bool on) { PlaySession().pad.viewerHasPad = on; }

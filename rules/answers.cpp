#include "rules/answers.h"

#include <array>
#include <cstddef>

#include "platform/core/events.h"
#include "platform/input/input.h"

namespace {

constexpr int32_t kKeyCount = 256;

struct TAnswerChain {
  // The physical keys that answer for a bound key code.
  std::array<std::vector<int32_t>, kKeyCount> boundKeys;
  std::array<bool, kKeyCount> keyBound{};
  const TInputJoin* join = nullptr;
};

TAnswerChain chain;

bool Bound(int32_t key) { return key >= 0 && key < kKeyCount && chain.keyBound[static_cast<size_t>(key)]; }

const std::vector<int32_t>& BoundKeys(int32_t key) { return chain.boundKeys[static_cast<size_t>(key)]; }

int32_t Joined(TQuery query, int32_t code, int32_t live) {
  return chain.join != nullptr ? chain.join->Join(query, code, live) : live;
}

// What the rules get: the live answer, unless a tap watches or replaces it.
int32_t Tapped(TQuery query, int32_t code, int32_t live) {
  TAnswerTap* tap = AnswerTap();
  return tap != nullptr ? tap->Answer(query, code, live) : live;
}

// The live answers: the window's events through the player's bindings, joined with what the
// application adds. Events are pumped by the caller, once a query.
int32_t LiveKeyPressed(int32_t key) {
  int32_t n = 0;
  if (Bound(key)) {
    for (int32_t k : BoundKeys(key)) n += TakeCurrentKeyPresses(k);
  } else {
    n = TakeCurrentKeyPresses(key);
  }
  return Joined(TQuery::KeyPressed, key, n);
}

int32_t KeyboardKeyIsDown(int32_t key) {
  if (!Bound(key)) return TakeCurrentKeyHeld(key);
  int32_t held = 0;
  // Each bound key's tap is taken, so none of them answers again in a later frame.
  for (int32_t k : BoundKeys(key)) held |= TakeCurrentKeyHeld(k);
  return held;
}

}  // namespace

int32_t KeyPressed(int32_t key) {
  PumpEvents();
  return Tapped(TQuery::KeyPressed, key, LiveKeyPressed(key));
}

int32_t KeyPressedLive(int32_t key) {
  PumpEvents();
  return LiveKeyPressed(key);
}

int32_t KeyIsDown(int32_t key) {
  PumpEvents();
  return Tapped(TQuery::KeyIsDown, key, Joined(TQuery::KeyIsDown, key, KeyboardKeyIsDown(key)));
}

int32_t ButtonIsDown(int32_t button) {
  PumpEvents();
  return Tapped(TQuery::ButtonIsDown, button, Joined(TQuery::ButtonIsDown, button, CurrentButtonDown(button)));
}

int32_t PointerX() {
  PumpEvents();
  return Tapped(TQuery::PointerX, 0, Joined(TQuery::PointerX, 0, CurrentPointerX()));
}

int32_t PointerY() {
  PumpEvents();
  return Tapped(TQuery::PointerY, 0, Joined(TQuery::PointerY, 0, CurrentPointerY()));
}

void BindKey(int32_t code, const std::vector<int32_t>& keys) {
  if (code < 0 || code >= kKeyCount) return;
  std::vector<int32_t>& bound = chain.boundKeys[static_cast<size_t>(code)];
  bound.clear();
  for (int32_t k : keys) {
    if (k >= 0 && k < kKeyCount) bound.push_back(k);
  }
  chain.keyBound[static_cast<size_t>(code)] = true;
}

void UnbindKey(int32_t code) {
  if (Bound(code)) chain.keyBound[static_cast<size_t>(code)] = false;
}

void UnbindAllKeys() { chain.keyBound.fill(false); }

void SetInputJoin(const TInputJoin* join) { chain.join = join; }

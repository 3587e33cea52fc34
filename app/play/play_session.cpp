#include "app/play/play_session.h"

#include <memory>

#include "platform/core/events.h"
#include "platform/input/pad.h"
#include "platform/system/clock.h"

namespace {

std::unique_ptr<TPlaySession> current;

}  // namespace

TPlaySession::TPlaySession() { pad.epoch = PadEpoch(); }

void TPlaySession::StopWatchingEvents() {
  if (hook_ != 0) RemoveEventHook(hook_);
  hook_ = 0;
}

void TPlaySession::WatchEvents() {
  if (hook_ != 0) return;
  hook_ = AddEventHook([this](const TEvent& ev) {
    pause.OnEvent(ev);
    keys.OnEvent(ev);
  });
}

TPlaySession& PlaySession() {
  if (!current) current = std::make_unique<TPlaySession>();
  return *current;
}

void StartPlaySession() {
  const bool watching = current && current->WatchingEvents();
  if (current) current->StopWatchingEvents();
  current = std::make_unique<TPlaySession>();
  if (watching) current->WatchEvents();
}

int32_t PlayedMs() {
  const TPlaySession& s = PlaySession();
  return ClockAdd(s.playedBeforeMs, ClockDiff(ClockDiff(RealNowMs(), s.playSinceMs), s.pausedMs));
}

void SetRunWatcher(TRunWatcher* watcher) { PlaySession().watcher = watcher; }

TRunWatcher* RunWatcher() { return PlaySession().watcher; }

std::unique_ptr<TPlaySession> SwapPlaySession(std::unique_ptr<TPlaySession> session) {
  const bool watching = current && current->WatchingEvents();
  if (current) current->StopWatchingEvents();
  std::swap(current, session);
  if (watching) current->WatchEvents();
  return session;
}

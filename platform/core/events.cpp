#include "platform/core/events.h"

#include <SDL2/SDL.h>

#include <cstddef>
#include <deque>
#include <utility>
#include <vector>

#include "platform/core/sdl_start.h"

namespace {

// An event on its way to the hooks, or a service's work in its place.
struct Pending {
  TEvent event;
  void (*work)(const TEvent& event) = nullptr;
};

struct EventState {
  std::deque<Pending> pending;
  std::vector<std::pair<int32_t, TEventHook>> hooks;
  int32_t nextHookId = 1;
  bool pumping = false;
};

EventState state;

// Built on first use: the input adds its part before main runs.
std::vector<TPumpPart>& Parts() {
  static std::vector<TPumpPart> parts;
  return parts;
}

}  // namespace

void AddPumpPart(const TPumpPart& part) { Parts().push_back(part); }

void QueueWork(void (*work)(const TEvent&), const TEvent& event) { state.pending.push_back({event, work}); }

void InjectEvent(const TEvent& event) { state.pending.push_back({event}); }

void PumpEvents() {
  if (state.pumping) return;
  state.pumping = true;
  if (EventLayerStarted()) {
    SDL_Event e;
    while (SDL_PollEvent(&e) != 0) {
      for (size_t i = 0; i < Parts().size(); ++i) {
        if (Parts()[i].read != nullptr) Parts()[i].read(e);
      }
    }
  }
  for (size_t i = 0; i < Parts().size(); ++i) {
    if (Parts()[i].taken != nullptr) Parts()[i].taken();
  }
  while (!state.pending.empty()) {
    const Pending next = state.pending.front();
    state.pending.pop_front();
    if (next.work != nullptr) {
      next.work(next.event);
      continue;
    }
    for (size_t i = 0; i < Parts().size(); ++i) {
      if (Parts()[i].passing != nullptr) Parts()[i].passing(next.event);
    }
    EmitEvent(next.event);
  }
  state.pumping = false;
}

void WaitForEvents(int32_t timeoutMs) {
  if (!state.pending.empty()) return;
  if (EventLayerStarted()) {
    SDL_WaitEventTimeout(nullptr, timeoutMs);
  } else {
    SDL_Delay(static_cast<uint32_t>(timeoutMs));
  }
}

void EmitEvent(const TEvent& event) {
  // A hook may add or remove hooks; walk a copy.
  const auto snapshot = state.hooks;
  for (const auto& [id, hook] : snapshot) hook(event);
}

int32_t AddEventHook(TEventHook hook) {
  state.hooks.emplace_back(state.nextHookId, std::move(hook));
  return state.nextHookId++;
}

void RemoveEventHook(int32_t id) {
  std::erase_if(state.hooks, [id](const auto& h) { return h.first == id; });
}

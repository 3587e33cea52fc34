#include "platform/system/stop_signal.h"

#include <signal.h>

#include <cstdio>
#include <initializer_list>

#include "platform/system/fatal.h"

namespace {

volatile sig_atomic_t received = 0;

// The second signal takes its default course, ending the process at once as if no handler
// were there (the signal stays blocked until the handler returns, then kills).
void OnStopSignal(int sig) {
  // A message box holds the program in a wait that no close request reaches: the game ends
  // here with the status the signal gives elsewhere, and the box's process ends with it.
  EndIfMessageBoxUp(sig);
  if (received != 0) {
    signal(sig, SIG_DFL);
    raise(sig);
    return;
  }
  received = sig;
}

}  // namespace

void InstallStopSignals() {
  struct sigaction sa {};
  sa.sa_handler = OnStopSignal;
  sigemptyset(&sa.sa_mask);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaction(sig, &sa, nullptr);
}

void IgnoreBrokenPipes() { signal(SIGPIPE, SIG_IGN); }

int StopSignal() { return received; }

void StopForLostDisplay(const std::string& display) {
  if (displayLost) return;
  displayLost = true;
  std::fprintf(stderr, "Kestrova: the display %s is gone (its X server or Wayland compositor ended); the game ends\n",
               display.c_str());
}

int StopStatus() {
  if (received != 0) return 128 + received;
  return displayLost ? kDisplayLostStatus : 0;
}

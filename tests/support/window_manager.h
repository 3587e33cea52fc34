// A real window manager (openbox, from Debian) in the tests' X display, for what only a
// window manager does: resizing windows and taking them to full screen and back.
#pragma once
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

class TWindowManager {
 public:
  TWindowManager() { Spawn(); }
  ~TWindowManager() {
    Stop();
    // Gone once the root window no longer names a live one.
    Wait([] { return !Running(); }, 200);
  }
  TWindowManager(const TWindowManager&) = delete;
  TWindowManager& operator=(const TWindowManager&) = delete;

  static bool Available() { return std::system("command -v openbox >/dev/null") == 0; }
  // Whether a window manager has taken the display, waiting for it to do so. Now and then
  // one started right after another has gone never takes it: it is started again.
  bool Started() {
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (pid_ > 0 && Wait([] { return Running(); }, 200)) return true;
      Stop();
      Spawn();
    }
    return false;
  }

 private:
  void Spawn() {
    pid_ = fork();
    if (pid_ == 0) {
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, STDOUT_FILENO);
      dup2(null, STDERR_FILENO);
      // --replace: a window manager an earlier test left behind gives way.
      execlp("openbox", "openbox", "--sm-disable", "--replace", static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  // The root window names a window that still exists: a window manager that went away may
  // leave the name behind.
  static bool Running() {
    return std::system(
               "id=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -o '0x[0-9a-f]*') && "
               "xprop -id \"$id\" >/dev/null 2>&1") == 0;
  }
  // Up to `tries` times 50 ms.
  template <typename Condition>
  static bool Wait(Condition condition, int tries) {
    for (int i = 0; i < tries; ++i) {
      if (condition()) return true;
      usleep(50000);
    }
    return condition();
  }
  pid_t pid_ = -1;
};

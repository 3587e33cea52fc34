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
  TWindowManager() {
    pid_ = fork();
    if (pid_ == 0) {
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, STDOUT_FILENO);
      dup2(null, STDERR_FILENO);
      execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~TWindowManager() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    // Gone once the root window no longer names it.
    Wait([] { return !Running(); });
  }
  TWindowManager(const TWindowManager&) = delete;
  TWindowManager& operator=(const TWindowManager&) = delete;

  static bool Available() { return std::system("command -v openbox >/dev/null") == 0; }
  // Whether a window manager has taken the display, waiting for it to do so.
  bool Started() const {
    return pid_ > 0 && Wait([] { return Running(); });
  }

 private:
  static bool Running() {
    return std::system("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'") == 0;
  }
  // Up to ten seconds.
  template <typename Condition>
  static bool Wait(Condition condition) {
    for (int i = 0; i < 200; ++i) {
      if (condition()) return true;
      usleep(50000);
    }
    return condition();
  }
  pid_t pid_ = -1;
};

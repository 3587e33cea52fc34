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
      // --replace: a window manager an earlier test left behind gives way.
      execlp("openbox", "openbox", "--sm-disable", "--replace", static_cast<char*>(nullptr));
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
  // The root window names a window that still exists: a window manager that went away may
  // leave the name behind.
  static bool Running() {
    return std::system(
               "id=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -o '0x[0-9a-f]*') && "
               "xprop -id \"$id\" >/dev/null 2>&1") == 0;
  }
  // Up to thirty seconds: a loaded machine starts it slowly.
  template <typename Condition>
  static bool Wait(Condition condition) {
    for (int i = 0; i < 600; ++i) {
      if (condition()) return true;
      usleep(50000);
    }
    return condition();
  }
  pid_t pid_ = -1;
};

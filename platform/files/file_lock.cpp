#include "platform/files/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace {

constexpr int kTryEveryMs = 5;

int64_t NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

TFileLock::TFileLock(const std::string& path, int waitMs, const std::function<bool()>& keepWaiting) {
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  // flock needs only a descriptor: one to read serves a lock file another user left.
  if (fd < 0 && (errno == EACCES || errno == EROFS)) fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    problem_ = std::strerror(errno);
    return;
  }
  const int64_t until = NowMs() + waitMs;
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
      fd_ = fd;
      return;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) {
      problem_ = std::strerror(errno);
      break;
    }
    if (NowMs() >= until) {
      problem_ = "another program holds it";
      break;
    }
    if (keepWaiting && !keepWaiting()) {
      problem_ = "another program holds it, and the wait for it was given up";
      break;
    }
    const timespec pause{0, kTryEveryMs * 1000000L};
    nanosleep(&pause, nullptr);
  }
  close(fd);
}

TFileLock::~TFileLock() {
  if (fd_ < 0) return;
  flock(fd_, LOCK_UN);
  close(fd_);
}

// A lock that processes sharing a file take in turn: held on a lock file beside it from
// construction to destruction, so read, change and write by one never interleave with another.
#pragma once
#include <functional>
#include <string>

class TFileLock {
 public:
  // Asks for the lock on `path` (made when missing) without blocking, again every few
  // milliseconds for at most `waitMs`, while `keepWaiting` (if given) says yes: a program's
  // window keeps answering and a stop ends the wait at once. A lock file that cannot be opened
  // for writing (left by another user) is locked through a read-only descriptor. Without the
  // lock, Held() is false and Problem() says why, and whether the wait ran out or was given up.
  TFileLock(const std::string& path, int waitMs, const std::function<bool()>& keepWaiting = nullptr);
  ~TFileLock();
  TFileLock(const TFileLock&) = delete;
  TFileLock& operator=(const TFileLock&) = delete;

  bool Held() const { return fd_ >= 0; }
  const std::string& Problem() const { return problem_; }

 private:
  int fd_ = -1;
  std::string problem_;
};

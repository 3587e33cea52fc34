// A lock that processes sharing a file take in turn: held on a lock file beside it from
// construction to destruction, so read, change and write by one never interleave with another.
#pragma once
#include <string>

class TFileLock {
 public:
  // Waits for the lock on `path` (made when missing). Without it, Held() is false and Problem()
  // says why.
  explicit TFileLock(const std::string& path);
  ~TFileLock();
  TFileLock(const TFileLock&) = delete;
  TFileLock& operator=(const TFileLock&) = delete;

  bool Held() const { return fd_ >= 0; }
  const std::string& Problem() const { return problem_; }

 private:
  int fd_ = -1;
  std::string problem_;
};

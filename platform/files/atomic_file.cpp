#include "platform/files/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/files/paths.h"

namespace fs = std::filesystem;

std::string AtomicTempName(const std::string& path, long pid) { return path + "." + std::to_string(pid) + ".tmp"; }

namespace {

std::string FolderOf(const std::string& path) {
  const fs::path folder = fs::path(path).parent_path();
  return folder.empty() ? "." : folder.string();
}

// Removes the temporaries of earlier writes of `path` whose process has ended (killed in the
// middle of a write, say). A temporary of a process still running is its write in progress.
void RemoveStaleTemps(const std::string& path) {
  const std::string folder = FolderOf(path);
  const std::string prefix = fs::path(path).filename().string() + ".";
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name.size() <= prefix.size() + 4 || name.substr(0, prefix.size()) != prefix || !name.ends_with(".tmp"))
      continue;
    const std::string_view digits = name.substr(prefix.size(), name.size() - prefix.size() - 4);
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string_view::npos) continue;
    const long pid = std::stol(std::string(digits));
    if (pid <= 0 || pid == getpid() || kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    unlinkat(dirfd(dir), entry->d_name, 0);
  }
  closedir(dir);
}

// Whether the path leads through a link to an open descriptor (/dev/stdout, /proc/self/fd/N):
// it names a file already open, wherever that lies, not a place to put a file.
bool LeadsToDescriptor(const std::string& path) {
  std::error_code error;
  fs::path p = fs::absolute(path, error);
  for (int hops = 0; hops < 40; ++hops) {
    const std::string text = p.lexically_normal().string();
    if (text.starts_with("/proc/") || text.starts_with("/dev/fd/")) return true;
    if (!fs::is_symlink(fs::symlink_status(p, error))) return false;
    const fs::path target = fs::read_symlink(p, error);
    if (error) return false;
    p = target.is_absolute() ? target : p.parent_path() / target;
  }
  return false;
}

}  // namespace

TAtomicFile::TAtomicFile(std::string path) : target_(std::move(path)) {
  if (!Open()) problem_ = std::strerror(errno);
}

TAtomicFile::~TAtomicFile() { Discard(); }

bool TAtomicFile::Open() {
  struct stat was {};
  bool exists = stat(target_.c_str(), &was) == 0;
  // Links that lead round in a loop name no place to write: replacing the link would put a
  // file where the player has a link.
  if (!exists && errno == ELOOP) return false;
  int fd = -1;
  if (exists && (!S_ISREG(was.st_mode) || LeadsToDescriptor(target_))) {
    // Opened without waiting: a FIFO that no process reads fails at once instead of hanging.
    through_ = true;
    const int empty = S_ISREG(was.st_mode) ? O_TRUNC : 0;
    fd = open(target_.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC | empty);
    if (fd < 0) return false;
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  } else {
    // What a link leads to is replaced, beside it, and the link stays.
    target_ = FollowLinks(target_);
    exists = stat(target_.c_str(), &was) == 0;
    RemoveStaleTemps(target_);
    // An unnamed file vanishes with the process that writes it, whatever ends that process.
    fd = open(FolderOf(target_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    unnamed_ = fd >= 0;
    if (!unnamed_) {
      temp_ = AtomicTempName(target_, getpid());
      fd = open(temp_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666);
      if (fd < 0) {
        temp_.clear();
        return false;
      }
    }
    if (exists) {
      // The owner first: changing it may clear set-id bits that the mode then puts back.
      // The owner is kept only where the process may give files away; else the file is its own.
      [[maybe_unused]] const int owned = fchown(fd, was.st_uid, was.st_gid);
      [[maybe_unused]] const int moded = fchmod(fd, was.st_mode & 07777);
    }
  }
  out_ = fdopen(fd, "wb");
  if (out_ == nullptr) close(fd);
  return out_ != nullptr;
}

bool TAtomicFile::Write(const void* data, size_t size) {
  if (out_ == nullptr || !problem_.empty()) return false;
  if (size > 0 && std::fwrite(data, 1, size, out_) != size) problem_ = std::strerror(errno);
  return problem_.empty();
}

std::string TAtomicFile::Place() {
  if (through_) return {};
  if (unnamed_) {
    // The unnamed file gets a name for the moment of the rename only.
    temp_ = AtomicTempName(target_, getpid());
    unlink(temp_.c_str());
    const std::string self = "/proc/self/fd/" + std::to_string(fileno(out_));
    if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp_.c_str(), AT_SYMLINK_FOLLOW) != 0 &&
        linkat(fileno(out_), "", AT_FDCWD, temp_.c_str(), AT_EMPTY_PATH) != 0) {
      temp_.clear();
      return std::strerror(errno);
    }
  }
  if (std::rename(temp_.c_str(), target_.c_str()) != 0) return std::strerror(errno);
  temp_.clear();
  return {};
}

std::string TAtomicFile::Commit() {
  if (out_ == nullptr) return problem_.empty() ? "already written" : problem_;
  // A full disk often shows only when the buffer is flushed, so the flush is checked.
  if (std::fflush(out_) != 0 && problem_.empty()) problem_ = std::strerror(errno);
  if (problem_.empty()) problem_ = Place();
  const int closed = std::fclose(out_);
  out_ = nullptr;
  if (closed != 0 && problem_.empty()) problem_ = std::strerror(errno);
  if (!temp_.empty()) std::remove(temp_.c_str());
  temp_.clear();
  return problem_;
}

void TAtomicFile::Discard() {
  if (out_ == nullptr) return;
  std::fclose(out_);
  out_ = nullptr;
  if (!temp_.empty()) std::remove(temp_.c_str());
}

std::string WriteFileAtomically(const std::string& path, std::string_view contents) {
  TAtomicFile file(path);
  file.Write(contents);
  return file.Commit();
}

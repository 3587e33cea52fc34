#include "platform/files/whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

int OpenFileToRead(const std::string& path, int64_t mostBytes, std::string_view kind, std::string& why) {
  why.clear();
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT) why = std::strerror(errno);
    return -1;
  }
  struct stat st {};
  const int flags = fcntl(fd, F_GETFL);
  if (fstat(fd, &st) != 0) {
    why = std::strerror(errno);
  } else if (S_ISDIR(st.st_mode)) {
    why = "it is a folder";
  } else if (!S_ISREG(st.st_mode)) {
    why = "it is not a regular file";
  } else if (st.st_size > mostBytes) {
    why = "it holds " + std::to_string(st.st_size) + " bytes, more than " + std::string(kind) + " does (" +
          std::to_string(mostBytes) + " at most)";
  } else if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    why = std::strerror(errno);
  }
  if (why.empty()) return fd;
  close(fd);
  return -1;
}

bool ReadFileWhole(const std::string& path, int64_t mostBytes, std::string_view kind, std::string& text,
                   std::string& why) {
  text.clear();
  const int fd = OpenFileToRead(path, mostBytes, kind, why);
  if (fd < 0) return false;
  char buffer[65536];
  ssize_t got = 0;
  while ((got = read(fd, buffer, sizeof buffer)) > 0 && static_cast<int64_t>(text.size()) <= mostBytes) {
    text.append(buffer, static_cast<size_t>(got));
  }
  if (got < 0) why = std::strerror(errno);
  if (static_cast<int64_t>(text.size()) > mostBytes) why = "it grows beyond " + std::to_string(mostBytes) + " bytes";
  close(fd);
  if (!why.empty()) text.clear();
  return why.empty();
}

#include "platform/system/startup.h"

#include <unistd.h>

#include <climits>

std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return {};
  std::string exe(path, static_cast<size_t>(n));
  const size_t slash = exe.rfind('/');
  if (slash == std::string::npos) return {};
  return slash == 0 ? std::string("/") : exe.substr(0, slash);
}

bool EnterProgramFolder() {
  const std::string folder = ProgramFolder();
  return !folder.empty() && chdir(folder.c_str()) == 0;
}

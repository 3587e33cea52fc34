// A small file system of its own, filled to the last byte, so that every write to it fails
// with "No space left on device" the way a full disk does. Mounting needs root; where it is
// refused, Mounted() is false and the test skips.
#pragma once
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

class TFullDisk {
 public:
  TFullDisk() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrova-full-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return;
    root_ = pattern;
    mounted_ = mount("tmpfs", root_.c_str(), "tmpfs", 0, "size=1m") == 0;
  }
  ~TFullDisk() {
    if (mounted_) umount(root_.c_str());
    if (!root_.empty()) rmdir(root_.c_str());
  }
  TFullDisk(const TFullDisk&) = delete;
  TFullDisk& operator=(const TFullDisk&) = delete;

  bool Mounted() const { return mounted_; }
  std::string Path(const std::string& name) const { return root_ + "/" + name; }
  // Writes a filler file until the file system has no byte left.
  void Fill() const {
    const int fd = open(Path(".filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::vector<char> block(4096, 'x');
    while (write(fd, block.data(), block.size()) > 0) {
    }
    close(fd);
  }
  // The names in a folder of the file system, sorted, the filler left out.
  std::vector<std::string> Names(const std::string& folder = "") const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(Path(folder))) {
      if (entry.path().filename() != ".filler") names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::string root_;
  bool mounted_ = false;
};

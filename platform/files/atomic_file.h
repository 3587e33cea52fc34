// A file that readers see either as it was or complete: written beside the target and
// put in its place once whole. A failed or abandoned write leaves the earlier file as it was
// and no partial file. What is replaced is what the path leads to: a symbolic link is
// followed and stays a link; a replaced file keeps its mode, and its owner where the process
// may set it; a target that is no regular file (a device, a FIFO, a socket, a terminal), or
// that a descriptor's link leads to (/dev/stdout), is written through in place, as nothing
// can be put beside it.
#pragma once
#include <cstdio>
#include <string>
#include <string_view>

class TAtomicFile {
 public:
  explicit TAtomicFile(std::string path);
  ~TAtomicFile();  // an uncommitted write is thrown away
  TAtomicFile(const TAtomicFile&) = delete;
  TAtomicFile& operator=(const TAtomicFile&) = delete;

  // Appends bytes; after the first failure writes are ignored and Problem() says why.
  bool Write(const void* data, size_t size);
  bool Write(std::string_view text) { return Write(text.data(), text.size()); }
  // Closes and puts the file in place; empty on success, else the reason (the system's text).
  std::string Commit();
  const std::string& Problem() const { return problem_; }

 private:
  void Discard();
  bool Open();
  std::string Place();

  std::string target_;  // the path; with its links followed once a file is put beside it
  std::string temp_;    // the named temporary, when the file system offers no unnamed one
  bool unnamed_ = false;
  bool through_ = false;  // written in place: the target is no regular file
  FILE* out_ = nullptr;
  std::string problem_;
};

// The whole file at once; empty on success, else the reason.
std::string WriteFileAtomically(const std::string& path, std::string_view contents);

// The temporary a write of path uses when the file system has no unnamed files: path, the
// writer's process id and ".tmp". One left by a process that no longer runs is removed at
// the next write of the same path.
std::string AtomicTempName(const std::string& path, long pid);

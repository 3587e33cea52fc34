// A file that readers see either as it was or complete: written beside the target and
// renamed over it once whole. A failed or abandoned write leaves the earlier file as it was
// and no partial file.
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
  // Closes and renames into place; empty on success, else the reason (the system's text).
  std::string Commit();
  const std::string& Problem() const { return problem_; }

 private:
  void Discard();

  std::string path_;
  std::string temp_;
  FILE* out_ = nullptr;
  std::string problem_;
};

// The whole file at once; empty on success, else the reason.
std::string WriteFileAtomically(const std::string& path, std::string_view contents);

#include "platform/files/atomic_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

TAtomicFile::TAtomicFile(std::string path) : path_(std::move(path)) {
  temp_ = path_ + "." + std::to_string(getpid()) + ".tmp";
  out_ = std::fopen(temp_.c_str(), "wb");
  if (out_ == nullptr) problem_ = std::strerror(errno);
}

TAtomicFile::~TAtomicFile() { Discard(); }

bool TAtomicFile::Write(const void* data, size_t size) {
  if (out_ == nullptr || !problem_.empty()) return false;
  if (size > 0 && std::fwrite(data, 1, size, out_) != size) problem_ = std::strerror(errno);
  return problem_.empty();
}

std::string TAtomicFile::Commit() {
  if (out_ == nullptr) return problem_.empty() ? "already written" : problem_;
  // A full disk often shows only when the buffer is flushed, so the close is checked too.
  if (std::fflush(out_) != 0 && problem_.empty()) problem_ = std::strerror(errno);
  const int closed = std::fclose(out_);
  out_ = nullptr;
  if (closed != 0 && problem_.empty()) problem_ = std::strerror(errno);
  if (problem_.empty() && std::rename(temp_.c_str(), path_.c_str()) != 0) problem_ = std::strerror(errno);
  if (!problem_.empty()) std::remove(temp_.c_str());
  return problem_;
}

void TAtomicFile::Discard() {
  if (out_ == nullptr) return;
  std::fclose(out_);
  out_ = nullptr;
  std::remove(temp_.c_str());
}

std::string WriteFileAtomically(const std::string& path, std::string_view contents) {
  TAtomicFile file(path);
  file.Write(contents);
  return file.Commit();
}

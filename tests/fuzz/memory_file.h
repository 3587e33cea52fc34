// The fuzz input as a read-only file: a C stream over the bytes, wrapped in the game's own
// TCStream, so the loaders read it exactly as they read a file from disk.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "platform/files/textio.h"

namespace fuzz {

inline std::shared_ptr<TCStream> OpenMemoryFile(const uint8_t* data, size_t size) {
  // fmemopen wants a writable pointer even for reading; the bytes are never changed.
  FILE* handle = fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (handle == nullptr) std::abort();
  return std::make_shared<TCStream>(handle, MODE_READ);
}

// A broken invariant is a finding: abort, so libFuzzer keeps the input.
inline void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

}  // namespace fuzz

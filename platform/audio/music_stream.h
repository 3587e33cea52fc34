// A piece of music decoded a little at a time as it plays, and from its start again at its
// end: minutes of music cost the decoder's state and one chunk, not the decoded piece.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/files/textio.h"

struct OggVorbis_File;

class TMusicStream {
 public:
  // Null when the file cannot be read or is no Ogg Vorbis, with `why` saying so.
  static std::unique_ptr<TMusicStream> Open(const std::string& path, std::string& why);
  ~TMusicStream();
  TMusicStream(const TMusicStream&) = delete;
  TMusicStream& operator=(const TMusicStream&) = delete;

  int32_t Hertz() const { return hertz_; }
  // The next sample (-1..1; the channels' mean), looping; silence once decoding failed.
  float Next() {
    if (at_ == chunk_.size() && !Decode()) return 0.0f;
    return chunk_[at_++];
  }

 private:
  TMusicStream() = default;
  bool Decode();

  TStreamPtr file_;
  std::unique_ptr<OggVorbis_File> vf_;
  int32_t hertz_ = 0;
  std::vector<float> chunk_;
  size_t at_ = 0;
  bool failed_ = false;
};

// A decoded sound: signed 16-bit PCM, mono or stereo, at its own rate.
#pragma once
#include <cstdint>
#include <vector>

// Sample formats.
enum : int32_t { SF_MONO16LE = 2, SF_STEREO16LE = 5 };

class TAudioSample {
 public:
  std::vector<uint8_t> samples;  // signed 16-bit little-endian, interleaved
  int32_t length = 0;            // sample frames
  int32_t hertz = 0;
  int32_t format = 0;
  int32_t capacity = 0;  // bytes

  int32_t Channels() const { return format == SF_STEREO16LE ? 2 : 1; }
  int16_t At(int32_t frame, int32_t channel) const {
    const size_t i = (static_cast<size_t>(frame) * Channels() + channel) * 2;
    return static_cast<int16_t>(samples[i] | (samples[i + 1] << 8));
  }
};

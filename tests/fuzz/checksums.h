// Mutated files almost never keep their checksums right, and the decoders drop a chunk or
// page with a wrong one before looking inside. The targets therefore also decode a copy
// whose checksums are made right again, so the fuzzer's changes reach the parsers.
#pragma once
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace fuzz {

inline uint32_t BigEndian32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// PNG: signature, then chunks of length, type, data and a CRC-32 of type and data.
// Returns true when any CRC was changed.
inline bool RepairPngChecksums(std::vector<uint8_t>& png) {
  bool changed = false;
  size_t at = 8;
  while (at + 12 <= png.size()) {
    const uint32_t length = BigEndian32(&png[at]);
    if (length > png.size() - at - 12) break;
    const uint8_t* typeAndData = &png[at + 4];
    const auto crc = static_cast<uint32_t>(crc32(0, typeAndData, length + 4));
    uint8_t* stored = &png[at + 8 + length];
    const uint8_t want[4] = {static_cast<uint8_t>(crc >> 24), static_cast<uint8_t>(crc >> 16),
                             static_cast<uint8_t>(crc >> 8), static_cast<uint8_t>(crc)};
    if (std::memcmp(stored, want, 4) != 0) {
      std::memcpy(stored, want, 4);
      changed = true;
    }
    at += 12 + length;
  }
  return changed;
}

// The Ogg page checksum: CRC-32 with polynomial 0x04c11db7, not reflected, starting at 0,
// over the whole page with its checksum field set to zero.
inline uint32_t OggCrc(const uint8_t* data, size_t size) {
  static const auto table = [] {
    std::vector<uint32_t> t(256);
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t r = i << 24;
      for (int k = 0; k < 8; ++k) r = (r & 0x80000000u) ? (r << 1) ^ 0x04c11db7u : r << 1;
      t[i] = r;
    }
    return t;
  }();
  uint32_t crc = 0;
  for (size_t i = 0; i < size; ++i) crc = (crc << 8) ^ table[((crc >> 24) ^ data[i]) & 0xff];
  return crc;
}

// Every complete page that starts with the capture pattern "OggS", wherever it stands.
inline bool RepairOggChecksums(std::vector<uint8_t>& ogg) {
  bool changed = false;
  for (size_t at = 0; at + 27 <= ogg.size(); ++at) {
    if (std::memcmp(&ogg[at], "OggS", 4) != 0) continue;
    const size_t segments = ogg[at + 26];
    if (at + 27 + segments > ogg.size()) break;
    size_t body = 0;
    for (size_t s = 0; s < segments; ++s) body += ogg[at + 27 + s];
    const size_t size = 27 + segments + body;
    if (at + size > ogg.size()) break;
    uint8_t stored[4];
    std::memcpy(stored, &ogg[at + 22], 4);
    std::memset(&ogg[at + 22], 0, 4);
    const uint32_t crc = OggCrc(&ogg[at], size);
    const uint8_t want[4] = {static_cast<uint8_t>(crc), static_cast<uint8_t>(crc >> 8),
                             static_cast<uint8_t>(crc >> 16), static_cast<uint8_t>(crc >> 24)};
    std::memcpy(&ogg[at + 22], want, 4);
    if (std::memcmp(stored, want, 4) != 0) changed = true;
    at += size - 1;
  }
  return changed;
}

}  // namespace fuzz

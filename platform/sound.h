// Decoded sounds and their playback.
#pragma once
#include <cstdint>
#include <memory>
#include <string_view>

class TChannel;

class TSound {
 public:
  // Plays the sound from its start at full volume, centred; any number may overlap.
  std::shared_ptr<TChannel> Play(const std::shared_ptr<TChannel>& channel);
  // (decoded samples and format: defined with the decoder)
};

// Plays a sound that may be null (a file that failed to load): null plays nothing.
void PlaySound(const std::shared_ptr<TSound>& sound);

// Null when the file is missing or cannot be decoded.
std::shared_ptr<TSound> LoadSoundFile(std::string_view path, int32_t flags);

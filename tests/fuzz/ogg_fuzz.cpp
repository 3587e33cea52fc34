// Sound files: any bytes handed to the Ogg Vorbis decoder must give null or a well-formed
// sample, which the silent driver accepts and the mixer can play without a device.
#include <cstdint>
#include <vector>

#include "checksums.h"
#include "memory_file.h"
#include "platform/audio/mixer.h"
#include "platform/audio/ogg.h"

namespace {

void Decode(const uint8_t* data, size_t size) {
  using fuzz::Require;
  auto stream = fuzz::OpenMemoryFile(data, size);
  std::shared_ptr<TAudioSample> sample = LoadAudioSampleOgg(*stream);
  CloseStream(stream);
  if (!sample) return;

  Require(sample->format == SF_MONO16LE || sample->format == SF_STEREO16LE, "mono or stereo");
  Require(sample->length >= 0 && sample->hertz > 0, "length and rate");
  Require(sample->samples.size() == static_cast<size_t>(sample->length) * sample->Channels() * 2, "buffer");
  Require(sample->capacity == static_cast<int32_t>(sample->samples.size()), "capacity");

  auto silent = std::make_shared<TNullAudioDriver>();
  auto quiet = silent->CreateSound(sample, 0);
  Require(quiet && quiet->sample == sample, "silent driver takes the sound");
  PlaySound(quiet);

  // Two overlapping voices, one looping, mixed for a few buffers at the usual output rate.
  auto mixer = std::make_shared<TMixerAudioDriver>(44100);
  mixer->CreateSound(sample, 0)->Play(nullptr);
  mixer->CreateSound(sample, SOUND_LOOP)->Play(nullptr);
  std::vector<int16_t> out(2 * 512);
  for (int i = 0; i < 4; ++i) mixer->Mix(out.data(), 512);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Decode(data, size);
  std::vector<uint8_t> repaired(data, data + size);
  if (fuzz::RepairOggChecksums(repaired)) Decode(repaired.data(), repaired.size());
  return 0;
}

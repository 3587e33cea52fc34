// Ogg Vorbis files decoded into samples.
#pragma once
#include <vorbis/vorbisfile.h>

#include <memory>
#include <string_view>

#include "platform/audio/audio_sample.h"
#include "platform/files/textio.h"

// libvorbisfile's reads, seeks and tells on a stream (the stream is the data source).
ov_callbacks StreamCallbacks();

// Decodes an Ogg Vorbis stream from the stream's current position; null when it is not
// one or decoding fails. One channel gives format 2, more give format 5 (front left/right).
std::shared_ptr<TAudioSample> LoadAudioSampleOgg(TStream& stream);
std::shared_ptr<TAudioSample> LoadAudioSampleFile(std::string_view path);

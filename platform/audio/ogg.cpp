#include "platform/audio/ogg.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

size_t OggRead(void* ptr, size_t size, size_t count, void* source) {
  if (size == 0) return 0;
  auto* stream = static_cast<TStream*>(source);
  const size_t want = std::min<size_t>(size * count, 0x7fffffff);
  return static_cast<size_t>(stream->Read(ptr, static_cast<int32_t>(want))) / size;
}

int OggSeek(void* source, ogg_int64_t offset, int whence) {
  auto* stream = static_cast<TStream*>(source);
  ogg_int64_t target = offset;
  if (whence == SEEK_CUR) target += stream->Pos();
  if (whence == SEEK_END) target += stream->Size();
  if (target < 0 || target > 0x7fffffff) return -1;
  return stream->Seek(static_cast<int32_t>(target)) == target ? 0 : -1;
}

long OggTell(void* source) { return static_cast<TStream*>(source)->Pos(); }

// Vorbis channel orders: mono; L R; L C R; FL FR RL RR; FL C FR RL RR; FL C FR RL RR LFE; ...
int32_t RightChannel(int32_t channels) { return channels == 3 || channels >= 5 ? 2 : 1; }

}  // namespace

ov_callbacks StreamCallbacks() { return {OggRead, OggSeek, nullptr, OggTell}; }

std::shared_ptr<TAudioSample> LoadAudioSampleOgg(TStream& stream) {
  OggVorbis_File vf;
  if (ov_open_callbacks(&stream, &vf, nullptr, 0, StreamCallbacks()) < 0) return nullptr;
  std::shared_ptr<TAudioSample> result;
  const vorbis_info* info = ov_info(&vf, -1);
  const ogg_int64_t total = ov_pcm_total(&vf, -1);
  // libvorbis takes the rate as an unsigned 32-bit field, so a damaged header can give rates
  // no sample can hold; such a file is not decodable.
  if (info != nullptr && info->channels > 0 && info->rate > 0 && info->rate <= INT32_MAX && total >= 0 &&
      total <= 0x0fffffff) {
    const int32_t outChannels = info->channels == 1 ? 1 : 2;
    const size_t frameBytes = static_cast<size_t>(outChannels) * 2;
    auto sample = std::make_shared<TAudioSample>();
    sample->hertz = static_cast<int32_t>(info->rate);
    sample->format = outChannels == 1 ? SF_MONO16LE : SF_STEREO16LE;
    // The length in the header is only a claim (the last page's position): memory is taken as
    // frames actually decode, and more than two channels are narrowed to front left and right
    // on the way, so a damaged or hostile file cannot make the loader ask for gigabytes.
    std::vector<uint8_t>& out = sample->samples;
    out.reserve(std::min(static_cast<size_t>(total) * frameBytes, size_t{1} << 24));
    std::vector<char> chunk(1 << 16);
    size_t frames = 0;
    // libvorbisfile can leave a chained stream at its last link after opening it.
    bool ok = ov_pcm_tell(&vf) == 0 || ov_pcm_seek(&vf, 0) == 0;
    int link = 0;
    while (ok && frames < static_cast<size_t>(total)) {
      const long got = ov_read(&vf, chunk.data(), static_cast<int>(chunk.size()), 0, 2, 1, &link);
      if (got == 0) break;
      // Each link of a chained stream has its own channel count.
      const vorbis_info* linkInfo = ov_info(&vf, link);
      if (got < 0 || linkInfo == nullptr || linkInfo->channels <= 0) {
        ok = false;
        break;
      }
      const int32_t channels = linkInfo->channels;
      const size_t n =
          std::min(static_cast<size_t>(got) / (static_cast<size_t>(channels) * 2), static_cast<size_t>(total) - frames);
      if (channels == outChannels) {
        out.insert(out.end(), chunk.data(), chunk.data() + n * frameBytes);
      } else {
        const int32_t right = channels == 1 ? 0 : RightChannel(channels);
        for (size_t f = 0; f < n; ++f) {
          const char* src = chunk.data() + f * static_cast<size_t>(channels) * 2;
          out.insert(out.end(), src, src + 2);
          if (outChannels == 2) out.insert(out.end(), src + right * 2, src + right * 2 + 2);
        }
      }
      frames += n;
    }
    if (ok) {
      sample->length = static_cast<int32_t>(frames);
      sample->capacity = static_cast<int32_t>(out.size());
      result = sample;
    }
  }
  ov_clear(&vf);
  return result;
}

std::shared_ptr<TAudioSample> LoadAudioSampleFile(std::string_view path) {
  TStreamPtr stream = OpenReadStream(path);
  if (!stream) return nullptr;
  auto sample = LoadAudioSampleOgg(*stream);
  CloseStream(stream);
  return sample;
}

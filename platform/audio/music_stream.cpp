#include "platform/audio/music_stream.h"

#include "platform/audio/ogg.h"

namespace {

// About a tenth of a second at the usual rates: one chunk is all the piece takes in memory.
constexpr int kChunkFrames = 2048;

}  // namespace

std::unique_ptr<TMusicStream> TMusicStream::Open(const std::string& path, std::string& why) {
  std::unique_ptr<TMusicStream> music(new TMusicStream());
  music->file_ = OpenReadStream(path, &why);
  if (!music->file_) return nullptr;
  music->vf_ = std::make_unique<OggVorbis_File>();
  if (ov_open_callbacks(music->file_.get(), music->vf_.get(), nullptr, 0, StreamCallbacks()) < 0) {
    music->vf_.reset();
    why = "it is no Ogg Vorbis file";
    return nullptr;
  }
  const vorbis_info* info = ov_info(music->vf_.get(), -1);
  if (info == nullptr || info->channels <= 0 || info->rate <= 0 || info->rate > 192000) {
    why = "it is no Ogg Vorbis file the game can play";
    return nullptr;
  }
  music->hertz_ = static_cast<int32_t>(info->rate);
  return music;
}

TMusicStream::~TMusicStream() {
  if (vf_) ov_clear(vf_.get());
  if (file_) CloseStream(file_);
}

bool TMusicStream::Decode() {
  chunk_.clear();
  at_ = 0;
  // At the end the piece starts over; twice nothing in a row is a piece with nothing in it.
  for (int tries = 0; !failed_ && tries < 2; ++tries) {
    float** pcm = nullptr;
    int link = 0;
    const long got = ov_read_float(vf_.get(), &pcm, kChunkFrames, &link);
    if (got == OV_HOLE) continue;
    if (got < 0) {
      failed_ = true;
      break;
    }
    if (got == 0) {
      failed_ = ov_pcm_seek(vf_.get(), 0) != 0;
      continue;
    }
    const vorbis_info* info = ov_info(vf_.get(), link);
    const int channels = info != nullptr && info->channels > 0 ? info->channels : 1;
    chunk_.resize(static_cast<size_t>(got));
    for (long i = 0; i < got; ++i) {
      float sum = 0.0f;
      for (int c = 0; c < channels; ++c) sum += pcm[c][i];
      chunk_[static_cast<size_t>(i)] = sum / static_cast<float>(channels);
    }
    return true;
  }
  return false;
}

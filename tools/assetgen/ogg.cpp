#include "ogg.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {

// Owns the encoder state so every exit path releases it.
struct Encoder {
  vorbis_info vi;
  vorbis_comment vc;
  vorbis_dsp_state vd;
  vorbis_block vb;
  ogg_stream_state os;
  bool analysis = false, stream = false;
  Encoder() {
    vorbis_info_init(&vi);
    vorbis_comment_init(&vc);
  }
  ~Encoder() {
    if (stream) ogg_stream_clear(&os);
    if (analysis) {
      vorbis_block_clear(&vb);
      vorbis_dsp_clear(&vd);
    }
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
  }
};

void Put(FILE* f, const ogg_page& page, const std::string& path) {
  if (std::fwrite(page.header, 1, page.header_len, f) != static_cast<size_t>(page.header_len) ||
      std::fwrite(page.body, 1, page.body_len, f) != static_cast<size_t>(page.body_len))
    throw std::runtime_error(path + ": cannot write the sound data");
}

}  // namespace

void WriteOgg(const std::string& path, const std::vector<float>& samples, int rate,
              uint32_t serial) {
  Encoder e;
  if (vorbis_encode_init_vbr(&e.vi, 1, rate, 0.3f) != 0)
    throw std::runtime_error(path + ": the encoder refuses the format");
  vorbis_comment_add_tag(&e.vc, "ENCODER", "kestrova-assetgen");
  vorbis_analysis_init(&e.vd, &e.vi);
  vorbis_block_init(&e.vd, &e.vb);
  e.analysis = true;
  ogg_stream_init(&e.os, static_cast<int>(serial));
  e.stream = true;

  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
  if (!file) throw std::runtime_error(path + ": cannot open for writing");

  ogg_packet header, comments, codebooks;
  vorbis_analysis_headerout(&e.vd, &e.vc, &header, &comments, &codebooks);
  ogg_stream_packetin(&e.os, &header);
  ogg_stream_packetin(&e.os, &comments);
  ogg_stream_packetin(&e.os, &codebooks);
  ogg_page page;
  // The audio starts on a fresh page, as players expect.
  while (ogg_stream_flush(&e.os, &page)) Put(file.get(), page, path);

  const size_t chunk = 1024;
  for (size_t at = 0;; at += chunk) {
    size_t n = at < samples.size() ? std::min(chunk, samples.size() - at) : 0;
    if (n > 0) {
      float** buf = vorbis_analysis_buffer(&e.vd, static_cast<int>(n));
      for (size_t i = 0; i < n; ++i) buf[0][i] = samples[at + i];
    }
    vorbis_analysis_wrote(&e.vd, static_cast<int>(n));  // 0 marks the end of the stream
    bool eos = false;
    while (vorbis_analysis_blockout(&e.vd, &e.vb) == 1) {
      vorbis_analysis(&e.vb, nullptr);
      vorbis_bitrate_addblock(&e.vb);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&e.vd, &packet)) {
        ogg_stream_packetin(&e.os, &packet);
        while (ogg_stream_pageout(&e.os, &page)) {
          Put(file.get(), page, path);
          if (ogg_page_eos(&page)) eos = true;
        }
      }
    }
    if (n == 0 || eos) break;
  }
  while (ogg_stream_flush(&e.os, &page)) Put(file.get(), page, path);
  if (std::fflush(file.get()) != 0 || std::ferror(file.get()))
    throw std::runtime_error(path + ": cannot write the sound data");
}

#include "platform/audio/audio_sdl.h"

#include <SDL2/SDL.h>

#include "platform/core/sdl_start.h"

namespace {

void FillAudio(void* userdata, Uint8* stream, int len) {
  static_cast<TMixerAudioDriver*>(userdata)->Mix(reinterpret_cast<int16_t*>(stream), len / 4);
}

}  // namespace

TSDLAudioDriver::TSDLAudioDriver() : TMixerAudioDriver(44100) {}

TSDLAudioDriver::~TSDLAudioDriver() { Shutdown(); }

bool TSDLAudioDriver::Startup() {
  if (device_ != 0) return true;
  // The event layer first: it keeps SDL from taking over Ctrl+C.
  if (!StartEventLayer() || SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec want{};
  want.freq = 44100;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = FillAudio;
  want.userdata = static_cast<TMixerAudioDriver*>(this);
  SDL_AudioSpec have{};
  device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (device_ == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  SetOutputHertz(have.freq);
  SDL_PauseAudioDevice(device_, 0);
  return true;
}

void TSDLAudioDriver::Shutdown() {
  if (device_ == 0) return;
  if (MusicPieces() > 0) {
    StopMusic(kMusicStopMs);
    // The fade and the device's buffer of about 23 ms.
    SDL_Delay(static_cast<Uint32>(kMusicStopMs + 30));
  }
  SDL_CloseAudioDevice(device_);
  device_ = 0;
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

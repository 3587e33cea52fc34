// SDL's default audio output, fed by the mixer from SDL's audio thread.
#pragma once
#include <cstdint>
#include <string>

#include "platform/audio/mixer.h"

class TSDLAudioDriver : public TMixerAudioDriver {
 public:
  TSDLAudioDriver();
  ~TSDLAudioDriver() override;
  std::string Name() override { return "SDL"; }
  bool Startup() override;
  // Music still playing fades out first: a device closed on it would click.
  void Shutdown() override;

 private:
  uint32_t device_ = 0;
};

// The draw state (colour, alpha, blend, rotation, scale) as found, given back when this goes:
// what an overlay draws changes nothing of what is drawn after it.
#pragma once

#include <cstdint>

class TDrawStateKept {
 public:
  TDrawStateKept();
  ~TDrawStateKept();
  TDrawStateKept(const TDrawStateKept&) = delete;
  TDrawStateKept& operator=(const TDrawStateKept&) = delete;

 private:
  bool kept_ = false;
  int32_t red_ = 0, green_ = 0, blue_ = 0, blend_ = 0;
  float alpha_ = 1.0f, rotation_ = 0.0f, scaleX_ = 1.0f, scaleY_ = 1.0f;
};

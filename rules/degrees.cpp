#include "rules/degrees.h"

#include <cmath>

namespace {
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 57.29577951308232;
}  // namespace

double SinDeg(double deg) {
  return static_cast<double>(sinl(static_cast<long double>(deg) * kDegToRad));
}

double CosDeg(double deg) {
  return static_cast<double>(cosl(static_cast<long double>(deg) * kDegToRad));
}

void SinCosDeg(double deg, double& sin, double& cos) {
  long double s = 0.0L;
  long double c = 0.0L;
  sincosl(static_cast<long double>(deg) * kDegToRad, &s, &c);
  sin = static_cast<double>(s);
  cos = static_cast<double>(c);
}

double ATan2Deg(double y, double x) {
  return static_cast<double>(atan2l(static_cast<long double>(y), static_cast<long double>(x)) *
                             static_cast<long double>(kRadToDeg));
}

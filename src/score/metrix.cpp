#include "score/metrix.h"

#include <algorithm>
#include <cmath>

namespace qs {

namespace {
long double TenthsPerUnit(TQSMetrix metrix) {
  switch (metrix) {
    case TQSMetrix::rmInches:
      return 254.0L;
    case TQSMetrix::rmPixels:
      return 254.0L / ScreenPixelsPerInch();
    case TQSMetrix::rmMM:
    default:
      return 10.0L;
  }
}
}  // namespace

long double TenthsToMetrix(TQSMetrix metrix, long double value) { return value / TenthsPerUnit(metrix); }

long double MetrixToTenths(TQSMetrix metrix, long double value) { return value * TenthsPerUnit(metrix); }

int RoundPixels(long double pixels, long double limit) {
  if (!std::isfinite(pixels)) return 0;
  return static_cast<int>(std::nearbyintl(std::clamp(pixels, -limit, limit)));
}

}  // namespace qs

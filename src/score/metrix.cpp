#include "score/metrix.h"

namespace qs {

namespace {
int gPixelsPerInch = 96;

long double TenthsPerUnit(TQSMetrix metrix) {
  switch (metrix) {
    case TQSMetrix::rmInches:
      return 254.0L;
    case TQSMetrix::rmPixels:
      return 254.0L / gPixelsPerInch;
    case TQSMetrix::rmMM:
    default:
      return 10.0L;
  }
}
}  // namespace

void SetScreenPixelsPerInch(int pixelsPerInch) {
  if (pixelsPerInch > 0) gPixelsPerInch = pixelsPerInch;
}

int ScreenPixelsPerInch() { return gPixelsPerInch; }

long double TenthsToMetrix(TQSMetrix metrix, long double value) { return value / TenthsPerUnit(metrix); }

long double MetrixToTenths(TQSMetrix metrix, long double value) { return value * TenthsPerUnit(metrix); }

}  // namespace qs

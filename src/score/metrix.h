#pragma once
// Page lengths: kept in tenths of a millimetre, shown in millimetres,
// inches or screen pixels. One screen pixel is 254 / PixelsPerInch tenths
// of a millimetre, with the screen's pixels per inch set once at start-up.
#include <cstdint>

#include "platform/gui.h"

namespace qs {

enum class TQSMetrix : uint8_t { rmMM, rmInches, rmPixels };

// ScreenPixelsPerInch() (platform/gui.h) is the screen's logical resolution,
// read once; every unit conversion of the model uses it.

// A length in tenths of a millimetre in the given unit, and back.
long double TenthsToMetrix(TQSMetrix metrix, long double value);
long double MetrixToTenths(TQSMetrix metrix, long double value);

}  // namespace qs

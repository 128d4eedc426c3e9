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

// A length in screen pixels rounded to whole pixels (halves to even) and
// kept within -limit..limit; a value that is not a number gives 0. Page
// lengths come from files and may be anything, and an integer conversion
// of a value out of its range is undefined.
int RoundPixels(long double pixels, long double limit);
// The limit for page lengths and the distances derived from them: far
// beyond any paper, small enough for the arithmetic done with them.
constexpr long double kMaxPagePixels = 1000000;

}  // namespace qs

#pragma once
// Page lengths: kept in tenths of a millimetre, shown in millimetres,
// inches or screen pixels. One screen pixel is 254 / PixelsPerInch tenths
// of a millimetre, with the screen's pixels per inch set once at start-up.
#include <cstdint>

namespace qs {

enum class TQSMetrix : uint8_t { rmMM, rmInches, rmPixels };

// The screen's logical resolution used by the score model (96 until the
// application sets it from the platform). Values below 1 are ignored.
void SetScreenPixelsPerInch(int pixelsPerInch);
int ScreenPixelsPerInch();

// A length in tenths of a millimetre in the given unit, and back.
long double TenthsToMetrix(TQSMetrix metrix, long double value);
long double MetrixToTenths(TQSMetrix metrix, long double value);

}  // namespace qs

#include "base/extended.h"

#include <cmath>
#include <limits>

namespace qs {

// Layout: bytes 0-7 the 64-bit significand with an explicit integer bit
// (bit 63), bytes 8-9 the 15-bit biased exponent (bias 16383) and the sign.
std::array<uint8_t, 10> Extended::Encode(long double v) {
  std::array<uint8_t, 10> b{};
  uint16_t signExp = 0;
  uint64_t mant = 0;
  if (std::signbit(v)) signExp = 0x8000;
  long double a = std::fabs(v);
  if (std::isnan(v)) {
    signExp |= 0x7FFF;
    mant = 0xC000000000000000ull;
  } else if (std::isinf(v)) {
    signExp |= 0x7FFF;
    mant = 0x8000000000000000ull;
  } else if (a != 0) {
    int e = 0;
    long double m = std::frexp(a, &e);  // a = m * 2^e, m in [0.5, 1)
    int biased = e - 1 + 16383;
    if (biased <= 0) {  // denormal: exponent field 0 stands for 2^-16382
      mant = static_cast<uint64_t>(std::ldexp(a, 16382 + 63));
      biased = 0;
    } else if (biased >= 0x7FFF) {
      biased = 0x7FFF;
      mant = 0x8000000000000000ull;
    } else {
      mant = static_cast<uint64_t>(std::ldexp(m, 64));
    }
    signExp |= static_cast<uint16_t>(biased);
  }
  for (int i = 0; i < 8; ++i) b[i] = static_cast<uint8_t>(mant >> (8 * i));
  b[8] = static_cast<uint8_t>(signExp);
  b[9] = static_cast<uint8_t>(signExp >> 8);
  return b;
}

long double Extended::Decode(const std::array<uint8_t, 10>& b) {
  uint64_t mant = 0;
  for (int i = 0; i < 8; ++i) mant |= static_cast<uint64_t>(b[i]) << (8 * i);
  uint16_t signExp = static_cast<uint16_t>(b[8] | (b[9] << 8));
  bool negative = signExp & 0x8000;
  int exp = signExp & 0x7FFF;
  long double r;
  if (exp == 0x7FFF) {
    r = (mant << 1) == 0 ? std::numeric_limits<long double>::infinity()
                         : std::numeric_limits<long double>::quiet_NaN();
  } else if (exp == 0) {
    r = std::ldexp(static_cast<long double>(mant), 1 - 16383 - 63);
  } else {
    r = std::ldexp(static_cast<long double>(mant), exp - 16383 - 63);
  }
  return negative ? -r : r;
}

}  // namespace qs

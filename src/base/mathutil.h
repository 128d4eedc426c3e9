#pragma once
// Numeric conventions used throughout the program, each in one place.
#include <cstdint>

namespace qs {

// Rounds to the nearest integer; halves go to the even neighbour
// (2.5 -> 2, 3.5 -> 4, -2.5 -> -2).
int Round(double x);
int64_t Round64(long double x);

// Truncates toward zero.
int Trunc(double x);

// Integer division truncating toward zero. A zero divisor raises
// EDivByZero instead of crashing, so a pass over damaged data can stop
// cleanly where it meets one.
int IDiv(int a, int b);
int IMod(int a, int b);

// a * b / c with a 64-bit intermediate, rounded half away from zero;
// -1 when c is 0 or the result does not fit in 32 bits.
int MulDiv(int a, int b, int c);

template <class T>
constexpr T Clamp(T v, T lo, T hi) { return v < lo ? lo : (v > hi ? hi : v); }

// A 64-bit value limited to the int range: widths and positions saturate
// instead of wrapping over (a 50 MB text is as wide as an int can say).
constexpr int SaturateInt(int64_t v) {
  return static_cast<int>(Clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace qs

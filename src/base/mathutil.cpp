#include "base/mathutil.h"

#include <cmath>
#include <limits>

#include "base/exceptions.h"

namespace qs {

int Round(double x) { return static_cast<int>(std::nearbyint(x)); }

int64_t Round64(long double x) { return static_cast<int64_t>(std::nearbyintl(x)); }

int Trunc(double x) { return static_cast<int>(std::trunc(x)); }

int IDiv(int a, int b) {
  if (b == 0) throw EDivByZero();
  if (a == std::numeric_limits<int>::min() && b == -1) return a;  // wraps as the CPU would
  return a / b;
}

int IMod(int a, int b) {
  if (b == 0) throw EDivByZero();
  if (b == -1) return 0;
  return a % b;
}

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  int64_t p = static_cast<int64_t>(a) * b;
  bool negative = (p < 0) != (c < 0);
  uint64_t num = p < 0 ? 0 - static_cast<uint64_t>(p) : static_cast<uint64_t>(p);
  uint64_t den = c < 0 ? 0 - static_cast<uint64_t>(static_cast<int64_t>(c)) : static_cast<uint64_t>(c);
  uint64_t q = (num + den / 2) / den;
  if (q > static_cast<uint64_t>(std::numeric_limits<int>::max()) + (negative ? 1u : 0u)) return -1;
  return negative ? static_cast<int>(-static_cast<int64_t>(q)) : static_cast<int>(q);
}

}  // namespace qs

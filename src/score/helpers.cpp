#include "score/helpers.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <random>
#include <vector>

#include "base/exceptions.h"

namespace qs {

std::string IntToRoman(int n) {
  static const char* const kUnits[] = {"", "I", "II", "III", "IV", "V", "VI", "VII", "VIII", "IX"};
  if (n <= 0) return "";
  return std::string(static_cast<size_t>(n / 10), 'X') + kUnits[n % 10];
}

std::string IntToLetters(int n) {
  if (n < 0) return "";
  std::string s;
  while (n > 25) {
    s.insert(s.begin(), static_cast<char>('A' + n % 26));
    n = n / 26 - 1;
  }
  s.insert(s.begin(), static_cast<char>('A' + n));
  return s;
}

TRect NormalizeRect(const TRect& src) {
  return TRect{std::min(src.Left, src.Right), std::min(src.Top, src.Bottom), std::max(src.Left, src.Right),
               std::max(src.Top, src.Bottom)};
}

TRect RectToBounds(const TRect& src) {
  return TRect{std::min(src.Left, src.Right), std::min(src.Top, src.Bottom), std::abs(src.Right - src.Left),
               std::abs(src.Bottom - src.Top)};
}

namespace {
// At least two digits, as the pattern "00" gives them.
std::string TwoDigits(int64_t v) {
  std::string digits = std::to_string(v < 0 ? -v : v);
  if (digits.size() < 2) digits.insert(0, 2 - digits.size(), '0');
  return v < 0 ? "-" + digits : digits;
}
}  // namespace

std::string MsToTimeStr(int64_t ms) {
  return TwoDigits(ms / 3600000) + ":" + TwoDigits(ms / 60000 % 60) + ":" + TwoDigits(ms / 1000 % 60);
}

std::string MakeTempFileName(const std::string& folder, const std::string& ext) {
  // Each of the hundred names is tried once, in random order: a folder
  // that already holds all of them gets an error instead of an endless
  // search.
  std::vector<int> order(100);
  std::iota(order.begin(), order.end(), 0);
  std::mt19937 random(std::random_device{}());
  std::shuffle(order.begin(), order.end(), random);
  for (int number : order) {
    std::string name = "md" + std::to_string(number);
    std::string path = folder + name + ext;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) throw EFCreateError("Cannot create file \"" + path + "\". " + std::strerror(errno));
  }
  throw EFCreateError("Cannot create a temporary file in \"" + folder + "\": the names md0" + ext + " to md99" +
                      ext + " are all taken");
}

std::string MakeUniqueFileName(const std::string& folder, const std::string& ext) {
  return MakeTempFileName(folder, ext);
}

}  // namespace qs

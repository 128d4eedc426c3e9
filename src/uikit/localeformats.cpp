#include "uikit/localeformats.h"

#include <cerrno>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "base/strings.h"

namespace qs {

TFormatSettings& FormatSettings() {
  static TFormatSettings settings;
  return settings;
}

void LoadSystemFormatSettings() { FormatSettings() = ReadSystemLocale(); }

void UseLanguageDateNames(const std::string& languageCode) {
  static constexpr const char* kLocales[][2] = {
      {"ENU", "en_US"}, {"DEU", "de_DE"}, {"FRA", "fr_FR"}, {"ITA", "it_IT"}, {"RUS", "ru_RU"}};
  for (const auto& [code, locale] : kLocales) {
    if (UpperCase(languageCode) != code) continue;
    const TFormatSettings names = ReadLocale(locale);
    FormatSettings().ShortDayNames = names.ShortDayNames;
    FormatSettings().LongMonthNames = names.LongMonthNames;
    return;
  }
}

namespace {

// Days from 1 January of year 1 (day 0) to 30 December 1899.
constexpr long kEpochDays = 693593;

long DaysBeforeYear(int year) {
  long y = year - 1;
  return y * 365 + y / 4 - y / 100 + y / 400;
}

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// Splits at Sep; each field must be digits only.
bool DigitFields(std::string_view text, char sep, std::vector<int>& out) {
  std::string t = Trim(text);
  for (const std::string& f : SplitString(t, sep)) {
    if (!AllDigits(f) || f.size() > 4) return false;
    out.push_back(std::atoi(f.c_str()));
  }
  return true;
}

}  // namespace

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& date) {
  if (year < 1 || year > 9999 || day < 1 || day > DaysInMonth(year, month)) return false;
  long n = DaysBeforeYear(year);
  for (int m = 1; m < month; ++m) n += DaysInMonth(year, m);
  n += day - 1;
  date = static_cast<double>(n - kEpochDays);
  return true;
}

void DecodeDate(TDateTime date, int& year, int& month, int& day) {
  long n = static_cast<long>(std::floor(date)) + kEpochDays;
  year = static_cast<int>(n / 366) + 1;
  while (DaysBeforeYear(year + 1) <= n) ++year;
  n -= DaysBeforeYear(year);
  month = 1;
  while (n >= DaysInMonth(year, month)) n -= DaysInMonth(year, month++);
  day = static_cast<int>(n) + 1;
}

bool TryEncodeTime(int hour, int minute, int second, TDateTime& time) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return false;
  time = (hour * 3600 + minute * 60 + second) / 86400.0;
  return true;
}

void DecodeTime(TDateTime time, int& hour, int& minute, int& second) {
  double frac = std::fabs(time - std::floor(time));
  long s = std::lround(frac * 86400.0) % 86400;
  hour = static_cast<int>(s / 3600);
  minute = static_cast<int>(s / 60 % 60);
  second = static_cast<int>(s % 60);
}

int DayOfWeek(TDateTime date) {
  // 30 December 1899 was a Saturday.
  long n = static_cast<long>(std::floor(date));
  return static_cast<int>(((n + 6) % 7 + 7) % 7) + 1;
}

TDateTime Today() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  TDateTime d = 0;
  TryEncodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, d);
  return d;
}

TDateTime TimeOfDay() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  TDateTime t = 0;
  TryEncodeTime(tm.tm_hour, tm.tm_min, tm.tm_sec % 60, t);
  return t;
}

std::string FloatToText(double value, int precision) {
  if (value == 0) value = 0;  // no "-0"
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*G", precision, value);
  std::string s = buf;
  auto e = s.find('E');
  if (e != std::string::npos) {
    std::string mant = s.substr(0, e), exp = s.substr(e + 1);
    bool neg = !exp.empty() && exp[0] == '-';
    if (!exp.empty() && (exp[0] == '+' || exp[0] == '-')) exp.erase(0, 1);
    while (exp.size() > 1 && exp[0] == '0') exp.erase(0, 1);
    s = mant + "E" + (neg ? "-" : "") + exp;
  }
  for (char& c : s)
    if (c == '.') c = FormatSettings().DecimalSeparator;
  return s;
}

bool TryTextToFloat(std::string_view text, double& value) {
  std::string t = Trim(text);
  const char dec = FormatSettings().DecimalSeparator;
  size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  int digits = 0;
  bool sep = false;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      ++digits;
    } else if ((c == dec || c == '.') && !sep) {
      sep = true;
      t[i] = '.';
    } else {
      break;
    }
  }
  if (digits == 0) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t start = i;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i]))) ++i;
    if (i == start) return false;
  }
  if (i != t.size()) return false;
  errno = 0;
  double v = std::strtod(t.c_str(), nullptr);
  if (errno == ERANGE && std::isinf(v)) return false;
  value = v;
  return true;
}

bool TryTextToInteger(std::string_view text, int& value) {
  std::string t = Trim(text);
  size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  if (!AllDigits(std::string_view(t).substr(i))) return false;
  errno = 0;
  long long v = std::strtoll(t.c_str(), nullptr, 10);
  if (errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return false;
  value = static_cast<int>(v);
  return true;
}

std::string DateToText(TDateTime date) {
  int y, m, d;
  DecodeDate(date, y, m, d);
  const TFormatSettings& fs = FormatSettings();
  std::string out;
  const std::string& f = fs.ShortDateFormat;
  for (size_t i = 0; i < f.size();) {
    char c = static_cast<char>(std::tolower(static_cast<unsigned char>(f[i])));
    size_t n = 1;
    while (i + n < f.size() && std::tolower(static_cast<unsigned char>(f[i + n])) == c) ++n;
    if (c == 'd') out += Format(n >= 2 ? "%02d" : "%d", d);
    else if (c == 'm') out += Format(n >= 2 ? "%02d" : "%d", m);
    else if (c == 'y') out += n <= 2 ? Format("%02d", y % 100) : Format("%04d", y);
    else if (c == '/') out.append(n, fs.DateSeparator);
    else out.append(f, i, n);
    i += n;
  }
  return out;
}

bool TryTextToDate(std::string_view text, TDateTime& date) {
  const TFormatSettings& fs = FormatSettings();
  // The order of day, month and year follows the short date format.
  std::string order;
  for (char c : fs.ShortDateFormat) {
    char l = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if ((l == 'd' || l == 'm' || l == 'y') && order.find(l) == std::string::npos) order += l;
  }
  if (order.size() != 3) order = "dmy";
  std::vector<int> f;
  if (!DigitFields(text, fs.DateSeparator, f) || f.size() != 3) return false;
  int d = f[order.find('d')], m = f[order.find('m')], y = f[order.find('y')];
  if (y < 100) y += 2000;
  return TryEncodeDate(y, m, d, date);
}

std::string TimeToText(TDateTime time) {
  int h, m, s;
  DecodeTime(time, h, m, s);
  char sep = FormatSettings().TimeSeparator;
  std::string out = Format("%d%c%02d", h, sep, m);
  if (FormatSettings().LongTimeSeconds) out += Format("%c%02d", sep, s);
  return out;
}

bool TryTextToTime(std::string_view text, TDateTime& time) {
  std::vector<int> f;
  if (!DigitFields(text, FormatSettings().TimeSeparator, f) || f.size() < 2 || f.size() > 3) return false;
  return TryEncodeTime(f[0], f[1], f.size() == 3 ? f[2] : 0, time);
}

}  // namespace qs

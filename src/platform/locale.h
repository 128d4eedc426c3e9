#pragma once
// The user's locale as the system states it (LC_ALL, LC_NUMERIC, LC_TIME,
// LANG ...): separators, the short date and long time formats, and the
// names of days and months, read through the toolkit's locale data.
#include <array>
#include <string>

namespace qs {

struct TSystemLocale {
  char DecimalSeparator = '.';
  char DateSeparator = '/';
  char TimeSeparator = ':';
  // Tokens d, dd, m, mm, yy, yyyy with "/" standing for DateSeparator.
  std::string ShortDateFormat = "dd/mm/yyyy";
  bool LongTimeSeconds = true;
  std::string CurrencyString = "$";
  // Sunday first.
  std::array<std::string, 7> ShortDayNames;
  std::array<std::string, 12> LongMonthNames;
};

// The locale the system is set to.
TSystemLocale ReadSystemLocale();
// A named locale ("de_DE", "en_US"); the "C" locale for an unknown name.
TSystemLocale ReadLocale(const std::string& name);

}  // namespace qs

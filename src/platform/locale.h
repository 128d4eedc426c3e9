#pragma once
// The separators, date and time formats and names of days and months that
// typed values are shown and read with, and the user's locale as the system
// states it (LC_ALL, LC_NUMERIC, LC_TIME, LANG ...), read through the
// toolkit's locale data.
#include <array>
#include <string>

namespace qs {

struct TFormatSettings {
  char DecimalSeparator = '.';
  char DateSeparator = '/';
  char TimeSeparator = ':';
  // Tokens d, dd, m, mm, yy, yyyy; the separator between fields is "/",
  // which stands for DateSeparator.
  std::string ShortDateFormat = "dd/mm/yyyy";
  bool LongTimeSeconds = true;
  std::string CurrencyString = "$";
  // Sunday first.
  std::array<std::string, 7> ShortDayNames = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::array<std::string, 12> LongMonthNames = {"January", "February", "March",     "April",   "May",      "June",
                                                "July",    "August",   "September", "October", "November", "December"};
};

// The locale the system is set to; a name the toolkit leaves empty keeps
// its English default.
TFormatSettings ReadSystemLocale();
// A named locale ("de_DE", "en_US"); the "C" locale for an unknown name.
TFormatSettings ReadLocale(const std::string& name);

}  // namespace qs

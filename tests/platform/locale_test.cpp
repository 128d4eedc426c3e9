// The system's locale as the program reads it: separators, the short date
// format in the program's own tokens, whether times show seconds, and the
// names of days and months.
#include <gtest/gtest.h>

#include "platform/locale.h"

namespace qs {
namespace {

TEST(SystemLocale, FormatsOfKnownLocales) {
  const struct {
    const char* name;
    char decimal, dateSep, timeSep;
    const char* shortDate;
    const char* sunday;
    const char* march;
  } cases[] = {
      {"en_US", '.', '/', ':', "m/d/yy", "Sun", "March"},
      {"de_DE", ',', '.', ':', "dd/mm/yy", "So.", "März"},
      {"fr_FR", ',', '/', ':', "dd/mm/yyyy", "dim.", "mars"},
      {"it_IT", ',', '/', ':', "dd/mm/yy", "dom", "marzo"},
      {"ru_RU", ',', '.', ':', "dd/mm/yyyy", "вс", "март"},
  };
  for (const auto& c : cases) {
    const TFormatSettings l = ReadLocale(c.name);
    EXPECT_EQ(l.DecimalSeparator, c.decimal) << c.name;
    EXPECT_EQ(l.DateSeparator, c.dateSep) << c.name;
    EXPECT_EQ(l.TimeSeparator, c.timeSep) << c.name;
    EXPECT_EQ(l.ShortDateFormat, c.shortDate) << c.name;
    EXPECT_TRUE(l.LongTimeSeconds) << c.name;
    EXPECT_EQ(l.ShortDayNames[0], c.sunday) << c.name;
    EXPECT_EQ(l.LongMonthNames[2], c.march) << c.name;
  }
}

}  // namespace
}  // namespace qs

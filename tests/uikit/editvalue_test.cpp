// The typed edit box's conversions: what each type accepts as typed keys,
// which texts become values, and which are refused (the text is kept).
#include <gtest/gtest.h>

#include <string>

#include "base/exceptions.h"
#include "uikit/editvalue.h"
#include "uikit/localeformats.h"

namespace qs {
namespace {

// Fixed separators and formats for the tests, whatever the machine's.
class EditValue : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = FormatSettings();
    FormatSettings() = TFormatSettings{};
    FormatSettings().DecimalSeparator = ',';
    FormatSettings().DateSeparator = '.';
    FormatSettings().ShortDateFormat = "dd/mm/yyyy";
  }
  void TearDown() override { FormatSettings() = saved_; }
  TFormatSettings saved_;
};

TDateValue Date(int y, int m, int d) {
  TDateTime v = 0;
  EXPECT_TRUE(TryEncodeDate(y, m, d, v));
  return {v};
}

TDateValue Time(int h, int m, int s) {
  TDateTime v = 0;
  EXPECT_TRUE(TryEncodeTime(h, m, s, v));
  return {v};
}

TEST_F(EditValue, TypedKeysByType) {
  struct {
    TEditType type;
    const char* valid;
    const char* refused;
  } cases[] = {
      {etInteger, "+-0123456789", ",.eE a/:"},
      {etReal, "+-0189,", ".eE a/:"},
      {etCurrency, "+-0189,", ".$ a"},
      {etDate, "0189.", ",/:-+ a"},
      {etTime, "0189:", ",./-+ a"},
      {etString, "a Z,.:/-+$", ""},
  };
  for (const auto& c : cases) {
    for (const char* k = c.valid; *k; ++k)
      EXPECT_TRUE(EditTypeValidChar(c.type, *k)) << "type " << c.type << " key " << *k;
    for (const char* k = c.refused; *k; ++k)
      EXPECT_FALSE(EditTypeValidChar(c.type, *k)) << "type " << c.type << " key " << *k;
  }
}

TEST_F(EditValue, TextsThatConvert) {
  struct {
    TEditType type;
    const char* text;
    TEditValue value;
  } cases[] = {
      {etInteger, "42", 42},
      {etInteger, " -17 ", -17},
      {etInteger, "+2147483647", 2147483647},
      {etReal, "12,5", 12.5},
      {etReal, "12.5", 12.5},
      {etReal, "-1,5E3", -1500.0},
      {etCurrency, "3", 3.0},
      {etDate, "29.02.2024", Date(2024, 2, 29)},
      {etDate, "1.3.24", Date(2024, 3, 1)},
      {etDate, "31.12.1899", Date(1899, 12, 31)},
      {etTime, "13:05", Time(13, 5, 0)},
      {etTime, "0:00:59", Time(0, 0, 59)},
      {etTime, "23:59:59", Time(23, 59, 59)},
      {etString, "", std::string()},
      {etString, " any text ", std::string(" any text ")},
  };
  for (const auto& c : cases) EXPECT_EQ(EditTextToValue(c.type, c.text), c.value) << c.text;
}

TEST_F(EditValue, TextsThatAreRefused) {
  struct {
    TEditType type;
    const char* text;
  } cases[] = {
      {etInteger, ""},         {etInteger, "12a"},        {etInteger, "1,5"},
      {etInteger, "2147483648"}, {etInteger, "0x10"},     {etInteger, "$10"},
      {etReal, "abc"},         {etReal, "inf"},           {etReal, "nan"},
      {etReal, "1,2,3"},       {etReal, "1E999"},         {etReal, "0x1p3"},
      {etCurrency, "$5"},      {etReal, ""},
      {etDate, "31.02.2024"},  {etDate, "29.02.2023"},    {etDate, "29.02.1900"},
      {etDate, "1.13.2024"},   {etDate, "0.1.2024"},      {etDate, "1.1"},
      {etDate, "a.b.c"},       {etDate, "1/1/2024"},
      {etTime, "24:00"},       {etTime, "12:60"},         {etTime, "1:2:60"},
      {etTime, "12"},          {etTime, "1:2:3:4"},       {etTime, "-1:00"},
  };
  for (const auto& c : cases) {
    try {
      EditTextToValue(c.type, c.text);
      ADD_FAILURE() << "accepted " << c.text;
    } catch (const EConvertError& e) {
      EXPECT_NE(std::string(e.what()).find(std::string("'") + c.text + "'"), std::string::npos) << e.what();
    }
  }
}

TEST_F(EditValue, ValuesShownAsText) {
  EXPECT_EQ(EditValueToText(etInteger, 7), "7");
  EXPECT_EQ(EditValueToText(etReal, 12.5), "12,5");
  EXPECT_EQ(EditValueToText(etReal, 0.1 + 0.2), "0,3");
  EXPECT_EQ(EditValueToText(etDate, Date(2024, 2, 9)), "09.02.2024");
  EXPECT_EQ(EditValueToText(etTime, Time(7, 5, 3)), "7:05:03");
  EXPECT_EQ(EditValueToText(etString, std::string("x")), "x");
  EXPECT_EQ(EditValueToText(etString, TEditValue{}), "");
  // A date-time value in a text: its date, its time alone on day 0, or both.
  EXPECT_EQ(EditValueToText(etString, Date(2024, 2, 9)), "09.02.2024");
  EXPECT_EQ(EditValueToText(etString, Time(7, 5, 3)), "7:05:03");
  EXPECT_EQ(EditValueToText(etString, TDateValue{Date(2024, 2, 9).Value + Time(7, 5, 3).Value}),
            "09.02.2024 7:05:03");
  FormatSettings().LongTimeSeconds = false;
  EXPECT_EQ(EditValueToText(etTime, Time(7, 5, 3)), "7:05");
  FormatSettings().ShortDateFormat = "yyyy/m/d";
  EXPECT_EQ(EditValueToText(etDate, Date(2024, 2, 9)), "2024.2.9");
  EXPECT_EQ(EditTextToValue(etDate, "2024.2.9"), TEditValue(Date(2024, 2, 9)));
}

TEST(Dates, CalendarArithmetic) {
  EXPECT_TRUE(IsLeapYear(2024));
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_FALSE(IsLeapYear(2023));
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(2100, 2), 28);
  EXPECT_EQ(DaysInMonth(2024, 13), 0);
  TDateTime d = 0;
  ASSERT_TRUE(TryEncodeDate(1899, 12, 30, d));
  EXPECT_EQ(d, 0);
  ASSERT_TRUE(TryEncodeDate(2000, 1, 1, d));
  EXPECT_EQ(d, 36526);
  EXPECT_EQ(DayOfWeek(d), 7);  // a Saturday
  ASSERT_TRUE(TryEncodeDate(2024, 9, 1, d));
  EXPECT_EQ(DayOfWeek(d), 1);  // a Sunday
  // Every day of four years decodes to itself, across leap days.
  for (int n = 45000; n < 45000 + 4 * 366; ++n) {
    int y, m, day;
    DecodeDate(n, y, m, day);
    TDateTime back = -1;
    ASSERT_TRUE(TryEncodeDate(y, m, day, back));
    ASSERT_EQ(back, n);
  }
  ASSERT_TRUE(TryEncodeDate(1850, 6, 1, d));  // before the epoch
  int y, m, day;
  DecodeDate(d, y, m, day);
  EXPECT_EQ(y * 10000 + m * 100 + day, 18500601);
}

}  // namespace
}  // namespace qs

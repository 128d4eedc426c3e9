// The calendar's month sheet: where day 1 lands for each first weekday,
// and the month, year and day steps across month ends, year ends and leap
// days.
#include <gtest/gtest.h>

#include "uikit/calendarmodel.h"
#include "uikit_fixture.h"

namespace qs {
namespace {

using uikit_test::D;

int Ymd(const TECCalendarModel& c) { return c.Year() * 10000 + c.Month() * 100 + c.Day(); }

TEST(CalendarModel, FirstDayLandsUnderItsWeekday) {
  struct {
    TDayOfWeekName start;
    TDateTime date;
    int offset, col1;  // MonthOffset, column of day 1 in row 1
  } cases[] = {
      {Mon, D(2024, 1, 15), 1, 0},   // January 2024 starts on a Monday
      {Mon, D(2024, 9, 30), -5, 6},  // September 2024 on a Sunday
      {Mon, D(2024, 2, 1), -2, 3},   // a Thursday
      {Sun, D(2024, 9, 1), 1, 0},
      {Sun, D(2024, 6, 1), -5, 6},   // a Saturday
  };
  for (const auto& c : cases) {
    TECCalendarModel cal;
    cal.SetStartOfWeek(c.start);
    cal.SetCalendarDate(c.date);
    EXPECT_EQ(cal.MonthOffset(), c.offset);
    EXPECT_EQ(cal.CellDay(c.col1, 1), 1);
    if (c.col1 > 0) {
      EXPECT_EQ(cal.CellDay(c.col1 - 1, 1), 0);
    }
  }
  TECCalendarModel cal;
  cal.SetStartOfWeek(Mon);
  cal.SetCalendarDate(D(2024, 2, 29));
  EXPECT_EQ(cal.CellDay(cal.CurrentCol(), cal.CurrentRow()), 29);
  EXPECT_EQ(cal.CellDay(cal.CurrentCol() + 1, cal.CurrentRow()), 0);  // no 30th
  EXPECT_EQ(cal.ColumnWeekday(6), Sun);
  EXPECT_TRUE(cal.IsWeekendColumn(6));
  EXPECT_FALSE(cal.IsWeekendColumn(5));
}

TEST(CalendarModel, StepsClipTheDayToTheMonth) {
  struct {
    TDateTime from;
    void (TECCalendarModel::*step)();
    int to;
  } cases[] = {
      {D(2023, 1, 31), &TECCalendarModel::NextMonth, 20230228},
      {D(2024, 1, 31), &TECCalendarModel::NextMonth, 20240229},
      {D(2024, 3, 31), &TECCalendarModel::PrevMonth, 20240229},
      {D(2100, 3, 31), &TECCalendarModel::PrevMonth, 21000228},
      {D(2024, 12, 15), &TECCalendarModel::NextMonth, 20250115},
      {D(2024, 1, 15), &TECCalendarModel::PrevMonth, 20231215},
      {D(2024, 2, 29), &TECCalendarModel::NextYear, 20250228},
      {D(2024, 2, 29), &TECCalendarModel::PrevYear, 20230228},
      {D(2023, 2, 28), &TECCalendarModel::NextYear, 20240228},
      {D(2024, 1, 31), &TECCalendarModel::NextDay, 20240201},
      {D(2024, 12, 31), &TECCalendarModel::NextDay, 20250101},
      {D(2024, 3, 1), &TECCalendarModel::PrevDay, 20240229},
      {D(2025, 1, 1), &TECCalendarModel::PrevDay, 20241231},
  };
  for (const auto& c : cases) {
    TECCalendarModel cal;
    cal.SetCalendarDate(c.from);
    (cal.*c.step)();
    EXPECT_EQ(Ymd(cal), c.to);
  }
}

TEST(CalendarModel, SettingParts) {
  TECCalendarModel cal;
  int changes = 0;
  cal.OnChange = [&] { ++changes; };
  cal.SetCalendarDate(D(2024, 3, 31));
  EXPECT_TRUE(cal.UseCurrentDate());  // a whole date leaves it on
  cal.SetMonth(4);                    // April has 30 days
  EXPECT_EQ(Ymd(cal), 20240430);
  EXPECT_FALSE(cal.UseCurrentDate());
  cal.SetDay(31);   // refused: April has no 31st
  cal.SetDay(0);    // refused
  cal.SetMonth(13); // refused
  cal.SetYear(0);   // refused
  EXPECT_EQ(Ymd(cal), 20240430);
  EXPECT_EQ(changes, 2);
  cal.SetDay(30);   // equal: no change
  EXPECT_EQ(changes, 2);
  cal.SetUseCurrentDate(true);
  EXPECT_EQ(cal.CalendarDate(), Today());
}

}  // namespace
}  // namespace qs

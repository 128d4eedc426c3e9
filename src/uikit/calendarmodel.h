#pragma once
// The month sheet behind the calendar grid: the current date, which day
// each of the 7 x 6 week cells shows, and the day, month and year steps.
// Steps never produce a day the month does not have; the day is clipped
// to the month's length.
#include <functional>

#include "uikit/localeformats.h"

namespace qs {

enum TDayOfWeekName { Sun, Mon, Tue, Wed, Thu, Fri, Sat };
using TDaysOfWeek = unsigned;  // bit (1 << TDayOfWeekName)

class TECCalendarModel {
 public:
  TECCalendarModel();

  TDateTime CalendarDate() const { return date_; }
  void SetCalendarDate(TDateTime date);
  int Day() const { return day_; }
  int Month() const { return month_; }
  int Year() const { return year_; }
  void SetDay(int day);
  void SetMonth(int month);
  void SetYear(int year);

  TDayOfWeekName StartOfWeek() const { return startOfWeek_; }
  void SetStartOfWeek(TDayOfWeekName day);
  bool UseCurrentDate() const { return useCurrentDate_; }
  void SetUseCurrentDate(bool use);
  TDaysOfWeek Weekends() const { return weekends_; }
  void SetWeekends(TDaysOfWeek days) { weekends_ = days; }

  // The day number shown in column 0 of the first week row (may be below 1).
  int MonthOffset() const { return monthOffset_; }
  // The day a cell shows (row 0 is the title row); 0 for none.
  int CellDay(int col, int row) const;
  // The weekday of a column, 0 = Sunday.
  int ColumnWeekday(int col) const { return (col + startOfWeek_) % 7; }
  bool IsWeekendColumn(int col) const { return (weekends_ >> ColumnWeekday(col)) & 1u; }
  // The cell of the current day.
  int CurrentCol() const { return (day_ - monthOffset_) % 7; }
  int CurrentRow() const { return (day_ - monthOffset_) / 7 + 1; }

  void PrevMonth() { ChangeMonth(-1); }
  void NextMonth() { ChangeMonth(1); }
  void PrevYear();
  void NextYear();
  // One day back or on, across month and year ends.
  void PrevDay() { SetCalendarDate(date_ - 1); }
  void NextDay() { SetCalendarDate(date_ + 1); }

  std::function<void()> OnChange;

 private:
  void ChangeMonth(int delta);
  void SetParts(int year, int month, int day);
  void Layout();

  TDateTime date_ = 0;
  int year_ = 1899, month_ = 12, day_ = 30;
  int monthOffset_ = 0;
  TDayOfWeekName startOfWeek_ = Mon;
  bool useCurrentDate_ = true;
  TDaysOfWeek weekends_ = 1u << Sun;
};

}  // namespace qs

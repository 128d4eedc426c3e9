#include "uikit/calendarmodel.h"

#include <cmath>

namespace qs {

TECCalendarModel::TECCalendarModel() {
  date_ = Today();
  Layout();
}

void TECCalendarModel::Layout() {
  DecodeDate(date_, year_, month_, day_);
  TDateTime first = 0;
  TryEncodeDate(year_, month_, 1, first);
  // DayOfWeek counts from 1 = Sunday, so a is one more than the column of
  // the first day; a = 0 is a month starting on the last column.
  int a = (DayOfWeek(first) - startOfWeek_ + 7) % 7;
  monthOffset_ = a == 0 ? -5 : 2 - a;
}

void TECCalendarModel::SetCalendarDate(TDateTime date) {
  date = std::floor(date);
  if (date == date_) return;
  date_ = date;
  Layout();
  if (OnChange) OnChange();
}

void TECCalendarModel::SetStartOfWeek(TDayOfWeekName day) {
  startOfWeek_ = day;
  Layout();
}

void TECCalendarModel::SetUseCurrentDate(bool use) {
  useCurrentDate_ = use;
  if (use) SetCalendarDate(Today());
}

void TECCalendarModel::SetParts(int year, int month, int day) {
  TDateTime d = 0;
  if (!TryEncodeDate(year, month, day, d)) return;
  useCurrentDate_ = false;
  SetCalendarDate(d);
}

void TECCalendarModel::SetDay(int day) {
  if (day < 1 || day == day_ || day > DaysInMonth(year_, month_)) return;
  SetParts(year_, month_, day);
}

void TECCalendarModel::SetMonth(int month) {
  if (month < 1 || month > 12 || month == month_) return;
  int days = DaysInMonth(year_, month);
  SetParts(year_, month, day_ > days ? days : day_);
}

void TECCalendarModel::SetYear(int year) {
  if (year < 1 || year == year_) return;
  // A 29 February that the new year lacks becomes the 28th.
  int days = DaysInMonth(year, month_);
  SetParts(year, month_, day_ > days ? days : day_);
}

int TECCalendarModel::CellDay(int col, int row) const {
  if (row < 1 || col < 0 || col > 6) return 0;
  int d = col + monthOffset_ + (row - 1) * 7;
  return d >= 1 && d <= DaysInMonth(year_, month_) ? d : 0;
}

void TECCalendarModel::ChangeMonth(int delta) {
  int y = year_, m = month_ + delta;
  while (m < 1) { m += 12; --y; }
  while (m > 12) { m -= 12; ++y; }
  int days = DaysInMonth(y, m);
  TDateTime d = 0;
  if (TryEncodeDate(y, m, day_ < days ? day_ : days, d)) SetCalendarDate(d);
}

void TECCalendarModel::PrevYear() { SetYear(year_ - 1); }
void TECCalendarModel::NextYear() { SetYear(year_ + 1); }

}  // namespace qs

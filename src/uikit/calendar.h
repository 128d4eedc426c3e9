#pragma once
// The month grid (a title row of day names over six week rows), its
// variant inside the calendar drop-down that never takes the focus, the
// drop-down window with its month and year buttons, and the adapter that
// edit controls reach the drop-down through.
#include <functional>
#include <string>

#include "platform/extctrls.h"
#include "uikit/calendarmodel.h"
#include "uikit/grid.h"
#include "uikit/picker.h"
#include "uikit/popupwindow.h"

namespace qs {

class TECCalendar : public TCustomGrid {
 public:
  explicit TECCalendar(TComponent* owner);
  const char* ClassName() const override { return "TECCalendar"; }

  TDateTime CalendarDate() const { return model_.CalendarDate(); }
  void SetCalendarDate(TDateTime date) { model_.SetCalendarDate(date); }
  int Day() const { return model_.Day(); }
  int Month() const { return model_.Month(); }
  int Year() const { return model_.Year(); }
  void SetDay(int v) { model_.SetDay(v); }
  void SetMonth(int v) { model_.SetMonth(v); }
  void SetYear(int v) { model_.SetYear(v); }
  bool ReadOnly = false;
  TDayOfWeekName StartOfWeek() const { return model_.StartOfWeek(); }
  void SetStartOfWeek(TDayOfWeekName v);
  bool UseCurrentDate() const { return model_.UseCurrentDate(); }
  void SetUseCurrentDate(bool v) { model_.SetUseCurrentDate(v); }
  TColor WeekendColor = clRed;
  TDaysOfWeek Weekends() const { return model_.Weekends(); }
  void SetWeekends(TDaysOfWeek v);
  const TECCalendarModel& Model() const { return model_; }
  // The text of a cell: a short day name in the title row, a day number
  // in a week row, or nothing.
  std::string CellText(int col, int row) const;

  void PrevMonth() { model_.PrevMonth(); }
  void NextMonth() { model_.NextMonth(); }
  void PrevYear() { model_.PrevYear(); }
  void NextYear() { model_.NextYear(); }
  // Lays the grid out for the current date.
  virtual void UpdateCalendar();

  TNotifyEvent OnChange;
  TECResultEvent OnResultClick;

  void Click() override;
  void DblClick() override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void Resize() override;

 protected:
  virtual void Change();
  void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
  bool SelectCell(int col, int row) override;
  void Result(int result);

  TECCalendarModel model_;
  bool updating_ = false;
};

// The month grid of the drop-down: no border and never the focus; today's
// cell is framed.
class TECLocCalendar : public TECCalendar {
 public:
  explicit TECLocCalendar(TComponent* owner);
  const char* ClassName() const override { return "TECLocCalendar"; }
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

 protected:
  void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
};

class TECTimerSpeedButton : public TSpeedButton {
 public:
  using TSpeedButton::TSpeedButton;
  const char* ClassName() const override { return "TECTimerSpeedButton"; }
};

// The month title of the drop-down; a click on it goes to today.
class TECCalendarTitle : public TCustomControl {
 public:
  explicit TECCalendarTitle(TComponent* owner);
  const char* ClassName() const override { return "TECCalendarTitle"; }
  void Paint() override;
};

class TECPopupCalendar : public TEcPopupWindow {
 public:
  explicit TECPopupCalendar(TControl* ownerControl);
  const char* ClassName() const override { return "TECPopupCalendar"; }
  TECLocCalendar& Calendar() { return *calendar_; }
  TECTimerSpeedButton& PrevYearButton() { return *buttons_[0]; }
  TECTimerSpeedButton& PrevMonthButton() { return *buttons_[1]; }
  TECTimerSpeedButton& NextMonthButton() { return *buttons_[2]; }
  TECTimerSpeedButton& NextYearButton() { return *buttons_[3]; }
  TECCalendarTitle& Title() { return *title_; }
  TEditValue GetValue() override { return TDateValue{calendar_->CalendarDate()}; }
  // A date, or a text read as one; anything else, or a text that is not a
  // date, today.
  void SetValue(const TEditValue& value) override;
  void CloseUp(bool accept) override;
  // Keys the edit control forwards while the drop-down is open.
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;

 private:
  void UpdateTitle();
  TECLocCalendar* calendar_;
  TECCalendarTitle* title_;
  TECTimerSpeedButton* buttons_[4];
};

class TECOverCalendar : public TECOverPopupEditor<TECPopupCalendar> {
 public:
  explicit TECOverCalendar(TComponent* owner);
  const char* ClassName() const override { return "TECOverCalendar"; }
  const TBitmap* GetButtonGlyph() override;
  // Empty until the window exists.
  void GetPopupText(std::string& text) override;
  // A text that is not a date is ignored.
  void SetPopupText(const std::string& text) override;
  TEcPopupWindow* GetPopupWindow() override;
  // The short date format as an edit mask.
  const std::string& EditMask() const { return editMask_; }

 protected:
  void ConnectHandlers() override;

 private:
  std::string editMask_;
};

// The calendar drop-down for formshot.
void RegisterCalendarForms();

}  // namespace qs

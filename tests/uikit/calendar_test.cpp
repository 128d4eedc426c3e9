// The month grid and its drop-down through real keys and clicks: day,
// month and year steps across month ends, year ends and leap days, the
// read-only grid, and the drop-down's buttons, title and closing click.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/forms.h"
#include "platform/testdriver.h"
#include "uikit/calendar.h"
#include "uikit/language.h"
#include "uikit/localeformats.h"
#include "uikit_fixture.h"

namespace qs {
namespace {

using uikit_test::D;

namespace td = testdriver;

class CalendarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBounds(100, 100, 260, 200);
    cal_ = new TECCalendar(form_.get());
    cal_->SetParent(form_.get());
    cal_->SetBounds(0, 0, 250, 180);
    cal_->OnResultClick = [this](TObject*, int r) { results_.push_back(r); };
    td::ShowAndWait(*form_);
    cal_->SetFocus();
    td::ProcessMessages();
  }
  void ClickDay(int day) {
    for (int row = 1; row < 7; ++row)
      for (int col = 0; col < 7; ++col)
        if (cal_->Model().CellDay(col, row) == day) {
          const TRect r = cal_->CellRect(col, row);
          td::Click(*cal_, r.Left + 3, r.Top + 3);
          return;
        }
    ADD_FAILURE() << "no cell shows day " << day;
  }
  std::unique_ptr<TForm> form_;
  TECCalendar* cal_ = nullptr;
  std::vector<int> results_;
};

TEST_F(CalendarTest, KeysStepAcrossMonthsYearsAndLeapDays) {
  const struct {
    TDateTime from;
    uint16_t key;
    TDateTime to;
  } cases[] = {
      {D(2024, 1, 31), VK_RIGHT, D(2024, 2, 1)},     {D(2024, 3, 1), VK_LEFT, D(2024, 2, 29)},
      {D(2023, 3, 1), VK_LEFT, D(2023, 2, 28)},      {D(2024, 12, 31), VK_ADD, D(2025, 1, 1)},
      {D(2024, 1, 1), VK_SUBTRACT, D(2023, 12, 31)}, {D(2024, 2, 10), VK_DOWN, D(2024, 2, 17)},
      {D(2024, 2, 10), VK_UP, D(2024, 2, 3)},        {D(2024, 2, 29), VK_DOWN, D(2024, 2, 29)},  // no day below
  };
  for (const auto& c : cases) {
    cal_->SetCalendarDate(c.from);
    td::PressKey(*cal_, c.key);
    EXPECT_EQ(cal_->CalendarDate(), c.to) << c.from << " key " << c.key;
    // The current cell is the day's.
    EXPECT_EQ(cal_->Model().CellDay(cal_->Col(), cal_->Row()), cal_->Day());
  }
  td::TypeText(*cal_, "t");
  EXPECT_EQ(cal_->CalendarDate(), Today());
  td::PressKey(*cal_, VK_RETURN);
  td::PressKey(*cal_, VK_ESCAPE);
  EXPECT_EQ(results_, (std::vector<int>{1, 2}));
}

TEST_F(CalendarTest, ClicksChooseADayUnlessReadOnly) {
  cal_->SetCalendarDate(D(2024, 2, 10));
  ClickDay(21);
  EXPECT_EQ(cal_->CalendarDate(), D(2024, 2, 21));
  EXPECT_FALSE(cal_->UseCurrentDate());
  const TRect empty = cal_->CellRect(6, 6);  // after 29 February
  td::Click(*cal_, empty.Left + 3, empty.Top + 3);
  EXPECT_EQ(cal_->CalendarDate(), D(2024, 2, 21));
  cal_->ReadOnly = true;
  ClickDay(5);
  td::PressKey(*cal_, VK_DOWN);
  EXPECT_EQ(cal_->CalendarDate(), D(2024, 2, 21));
  td::PressKey(*cal_, VK_RIGHT);  // the day keys still work
  EXPECT_EQ(cal_->CalendarDate(), D(2024, 2, 22));
  cal_->ReadOnly = false;
  const TRect r = cal_->CellRect(cal_->Col(), cal_->Row());
  td::DoubleClick(*cal_, r.Left + 3, r.Top + 3);
  EXPECT_EQ(results_, std::vector<int>{1});
}

TEST_F(CalendarTest, TitleRowFollowsTheFirstDayOfTheWeek) {
  EXPECT_EQ(cal_->CellText(0, 0), "Mon");
  EXPECT_EQ(cal_->CellText(6, 0), "Sun");
  cal_->SetStartOfWeek(Sun);
  EXPECT_EQ(cal_->CellText(0, 0), "Sun");
  cal_->SetCalendarDate(D(2024, 9, 1));  // a Sunday
  EXPECT_EQ(cal_->CellText(0, 1), "1");
  EXPECT_EQ(cal_->Col(), 0);
  EXPECT_EQ(cal_->Row(), 1);
}

TEST_F(CalendarTest, DayAndMonthNamesSpeakTheInterfaceLanguage) {
  TComponent owner(nullptr);
  auto* engine = new TECLanguage(&owner);
  engine->SetLanguage("DEU");
  EXPECT_EQ(FormatSettings().LongMonthNames[0], "Januar");
  EXPECT_EQ(FormatSettings().LongMonthNames[2], "März");
  cal_->Invalidate();
  EXPECT_EQ(cal_->CellText(0, 0), FormatSettings().ShortDayNames[1]);
  EXPECT_NE(cal_->CellText(0, 0), "Mon");
  engine->SetLanguage("RUS");
  EXPECT_EQ(FormatSettings().LongMonthNames[0], "январь");
  engine->SetLanguage("ENU");
  EXPECT_EQ(cal_->CellText(0, 0), "Mon");
}

TEST(PopupCalendar, ButtonsTitleAndClosingClick) {
  TForm owner(nullptr);
  owner.SetBounds(100, 100, 200, 60);
  td::ShowAndWait(owner);
  TECPopupCalendar popup(&owner);
  std::vector<int> results;
  popup.Calendar().OnResultClick = [&](TObject*, int r) { results.push_back(r); };
  popup.SetValue(std::string("29/02/2024"));
  popup.SetBounds(100, 160, 187, 124);
  popup.SetVisible(true);
  td::ProcessMessages();
  EXPECT_EQ(popup.Title().Caption(), "February, 2024");
  const struct {
    TECTimerSpeedButton& button;
    TDateTime to;
    const char* title;
  } steps[] = {{popup.NextYearButton(), D(2025, 2, 28), "February, 2025"},
               {popup.PrevMonthButton(), D(2025, 1, 28), "January, 2025"},
               {popup.PrevYearButton(), D(2024, 1, 28), "January, 2024"},
               {popup.NextMonthButton(), D(2024, 2, 28), "February, 2024"}};
  for (const auto& s : steps) {
    td::Click(s.button, 5, 5);
    EXPECT_EQ(popup.Calendar().CalendarDate(), s.to);
    EXPECT_EQ(popup.Title().Caption(), s.title);
  }
  // Page keys forwarded from an edit box: months, and years with Ctrl.
  uint16_t key = VK_NEXT;
  popup.KeyDown(key, ssCtrl);
  EXPECT_EQ(popup.Calendar().CalendarDate(), D(2025, 2, 28));
  td::Click(popup.Title(), 5, 5);
  EXPECT_EQ(popup.Calendar().CalendarDate(), Today());
  // A text that is not a date gives today.
  popup.SetValue(std::string("31/02/2024"));
  EXPECT_EQ(std::get<TDateValue>(popup.GetValue()).Value, Today());
  popup.SetValue(TDateValue{D(2024, 3, 1)});
  TECLocCalendar& cal = popup.Calendar();
  const TRect r = cal.CellRect(3, 3);  // 14 March 2024, a Thursday
  td::Click(cal, r.Left + 3, r.Top + 3);
  EXPECT_EQ(cal.CalendarDate(), D(2024, 3, 14));
  EXPECT_EQ(results, std::vector<int>{1});
  EXPECT_TRUE(owner.Active());  // the drop-down never took the focus
  popup.SetVisible(false);
}

}  // namespace
}  // namespace qs

// The time drop-down stepped by real clicks on its up-down arrows: wrapping,
// the change reaction, the "=" button, and a locale without seconds.
#include <gtest/gtest.h>

#include <string>

#include "platform/testdriver.h"
#include "uikit/editvalue.h"
#include "uikit/timepicker.h"

namespace qs {
namespace {

namespace td = testdriver;

std::string Shown(TECPopupTime& popup) { return EditValueToText(etTime, popup.GetValue()); }

void Up(TUpDown& u) { td::Click(u, u.Width() / 2, 2); }
void Down(TUpDown& u) { td::Click(u, u.Width() / 2, u.Height() - 3); }

TEST(TimePicker, UpDownsStepAndWrap) {
  TFormatSettings saved = FormatSettings();
  FormatSettings().LongTimeSeconds = true;
  TECPopupTime popup(nullptr);
  EXPECT_EQ(popup.Width(), 68);
  popup.SetValue(std::string("23:59:58"));
  popup.SetBounds(40, 40, 68, 54);
  popup.SetVisible(true);
  td::ProcessMessages();
  int changes = 0, results = 0;
  popup.Panel().OnChange = [&] { ++changes; };
  popup.Panel().OnResult = [&](int r) { results += r; };
  Up(popup.Panel().Hours());
  EXPECT_EQ(Shown(popup), "0:59:58");
  Up(popup.Panel().Minutes());
  EXPECT_EQ(Shown(popup), "0:00:58");
  Down(*popup.Panel().Seconds());
  EXPECT_EQ(Shown(popup), "0:00:57");
  Down(popup.Panel().Hours());
  EXPECT_EQ(Shown(popup), "23:00:57");
  EXPECT_EQ(changes, 4);
  TSpeedButton& ok = popup.Panel().OkButton();
  td::Click(ok, ok.Width() / 2, ok.Height() / 2);
  EXPECT_EQ(results, 1);
  popup.SetValue(std::string("25:00"));  // not a time: midnight
  EXPECT_EQ(Shown(popup), "0:00:00");
  popup.SetVisible(false);
  FormatSettings() = saved;
}

TEST(TimePicker, WithoutSecondsInTheLocale) {
  TFormatSettings saved = FormatSettings();
  FormatSettings().LongTimeSeconds = false;
  TECPopupTime popup(nullptr);
  EXPECT_EQ(popup.Width(), 48);
  EXPECT_EQ(popup.Panel().Seconds(), nullptr);
  popup.SetValue(std::string("7:45:30"));
  int h, m, s;
  DecodeTime(std::get<TDateValue>(popup.GetValue()).Value, h, m, s);
  EXPECT_EQ(h * 10000 + m * 100 + s, 74500);
  FormatSettings() = saved;
}

}  // namespace
}  // namespace qs

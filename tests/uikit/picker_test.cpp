// The picker adapter between an edit control and the calculator drop-down:
// text in and out, and the change and result handlers reaching the edit
// control from real clicks in the drop-down.
#include <gtest/gtest.h>

#include <string>

#include "platform/forms.h"
#include "platform/testdriver.h"
#include "platform/gui.h"
#include "uikit/picker.h"

namespace qs {
namespace {

namespace td = testdriver;

TEST(CalculatorAdapter, TextAndHandlersCrossTheAdapter) {
  TForm form(nullptr);
  TECOverCalculator adapter(&form);
  std::string text = "unchanged";
  adapter.GetPopupText(text);
  EXPECT_EQ(text, "");  // no window yet
  EXPECT_EQ(adapter.GetButtonGlyph()->Width() + 6, 20);
  EXPECT_TRUE(adapter.AcceptKey('7'));
  EXPECT_FALSE(adapter.AcceptKey('x'));

  int changes = 0;
  std::string results;
  adapter.SetChangeHandler([&](TObject*) { ++changes; });
  adapter.SetResultHandler([&](TObject*, int r) { results += std::to_string(r); });
  TEcPopupWindow* popup = adapter.GetPopupWindow();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(adapter.GetPopupWindow(), popup);
  EXPECT_TRUE(adapter.IsPopupControl(popup));
  EXPECT_TRUE(adapter.AcceptKey('*'));  // a key with a button
  EXPECT_FALSE(adapter.AcceptKey('q'));  // no square-root button in the drop-down

  adapter.SetPopupText("12.5");
  adapter.GetPopupText(text);
  EXPECT_EQ(text, "12.5");
  popup->SetBounds(50, 50, 104, 127);
  popup->SetVisible(true);
  td::ProcessMessages();
  auto& calc = static_cast<TECPopupCalculator*>(popup)->Calculator();
  calc.SetBeepOnError(false);
  for (char k : std::string("3*2=")) {
    TECCalcButton* b = calc.FindButton(k);
    td::Click(*b, 5, 5);
  }
  adapter.GetPopupText(text);
  EXPECT_EQ(text, "6");
  EXPECT_GE(changes, 2);
  EXPECT_EQ(results, "1");
  for (char k : std::string("/0=")) td::Click(*calc.FindButton(k), 5, 5);
  adapter.GetPopupText(text);
  EXPECT_EQ(text, "0");  // an error hands out 0
  popup->SetVisible(false);
}

TEST(CalculatorAdapter, AFinerScreenGetsALargerDropDown) {
  SetScreenPixelsPerInch(120);
  TForm form(nullptr);
  TECOverCalculator adapter(&form);
  TEcPopupWindow* popup = adapter.GetPopupWindow();
  SetScreenPixelsPerInch(96);
  EXPECT_EQ(popup->Width(), 130);  // 104 x 1.25
  EXPECT_EQ(popup->Height(), 158);
  EXPECT_TRUE(popup->Font().Bold());
  EXPECT_EQ(popup->Font().Size(), 8);
  TECCalcButton* seven = static_cast<TECPopupCalculator*>(popup)->Calculator().FindButton('7');
  EXPECT_EQ(seven->Width(), 26);  // 21 x 1.25
}

}  // namespace
}  // namespace qs

namespace qs {
namespace {

TEST(TimeAdapter, TextAndHandlersCrossTheAdapter) {
  TFormatSettings saved = FormatSettings();
  FormatSettings().LongTimeSeconds = true;
  TForm form(nullptr);
  TECOverTime adapter(&form);
  std::string text = "unchanged";
  adapter.GetPopupText(text);
  EXPECT_EQ(text, "");
  EXPECT_EQ(adapter.GetButtonGlyph()->Width() + 6, 20);
  EXPECT_TRUE(adapter.IsValidChar(':'));
  EXPECT_FALSE(adapter.IsValidChar('.'));
  int changes = 0, results = 0;
  adapter.SetChangeHandler([&](TObject*) { ++changes; });
  adapter.SetResultHandler([&](TObject*, int r) { results += r; });
  auto* popup = static_cast<TECPopupTime*>(adapter.GetPopupWindow());
  adapter.SetPopupText("10:20:30");
  popup->SetBounds(40, 40, 68, 54);
  popup->SetVisible(true);
  testdriver::ProcessMessages();
  TUpDown& minutes = popup->Panel().Minutes();
  testdriver::Click(minutes, minutes.Width() / 2, 2);
  adapter.GetPopupText(text);
  EXPECT_EQ(text, "10:21:30");
  EXPECT_EQ(changes, 1);
  TSpeedButton& ok = popup->Panel().OkButton();
  testdriver::Click(ok, ok.Width() / 2, ok.Height() / 2);
  EXPECT_EQ(results, 1);
  popup->SetVisible(false);
  FormatSettings() = saved;
}

}  // namespace
}  // namespace qs

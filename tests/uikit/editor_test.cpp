// The typed edit box through real key and mouse events: what each value
// type lets through, the value it hands out, its drop-down list and
// pickers, and when it reports a committed change.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/exceptions.h"
#include "platform/clipboard.h"
#include "platform/forms.h"
#include "platform/testdriver.h"
#include "uikit/calculator.h"
#include "uikit/calendar.h"
#include "uikit/editor.h"
#include "uikit/messagebox.h"
#include "uikit/picker.h"
#include "uikit/timepicker.h"
#include "uikit_fixture.h"

namespace qs {
namespace {

using uikit_test::D;

namespace td = testdriver;

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = FormatSettings();
    FormatSettings() = TFormatSettings();
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetBounds(100, 100, 300, 200);
    edit_ = new TECEditor(form_.get());
    edit_->SetParent(form_.get());
    edit_->SetBounds(10, 10, 140, 22);
    other_ = new TEdit(form_.get());
    other_->SetParent(form_.get());
    other_->SetBounds(10, 60, 100, 22);
    edit_->OnChangeData = [this](TObject* sender) {
      EXPECT_EQ(sender, edit_);
      ++changes_;
    };
    td::ShowAndWait(*form_);
    edit_->SetFocus();
    td::ProcessMessages();
  }
  void TearDown() override { FormatSettings() = saved_; }
  // A press and release in the middle of the button.
  void ClickButton() {
    TEditButtonArea& b = edit_->ButtonArea();
    td::MouseDown(b, b.Width() / 2, b.Height() / 2);
    td::MouseUp(b, b.Width() / 2, b.Height() / 2);
  }
  TFormatSettings saved_;
  std::unique_ptr<TForm> form_;
  TECEditor* edit_ = nullptr;
  TEdit* other_ = nullptr;
  int changes_ = 0;
};

TEST_F(EditorTest, TypedCharactersPassByType) {
  struct {
    TEditType type;
    const char* typed;
    const char* shown;
  } cases[] = {
      {etInteger, "+12a.5", "+125"}, {etReal, "-1.5e3", "-1.53"},   {etCurrency, "9,99$", "999"},
      {etDate, "1/2x/2024", "1/2/2024"}, {etTime, "12:3a0", "12:30"}, {etString, "a.b:c", "a.b:c"},
  };
  for (const auto& c : cases) {
    edit_->SetEditType(c.type);
    edit_->SetText("");
    td::TypeText(*edit_, c.typed);
    EXPECT_EQ(edit_->Text(), c.shown) << c.typed;
  }
  // A filter of the box's own replaces the type's.
  edit_->SetEditType(etString);
  edit_->SetText("");
  edit_->OnValidChar = [](TObject*, char16_t key) { return key >= 'A' && key <= 'Z'; };
  td::TypeText(*edit_, "aBc7D");
  EXPECT_EQ(edit_->Text(), "BD");
}

TEST_F(EditorTest, ValueOfTheTextOrTheConversionError) {
  edit_->SetEditType(etInteger);
  edit_->SetText("42");
  EXPECT_EQ(edit_->GetValue(), TEditValue(42));
  edit_->SetText("4-2");
  EXPECT_THROW(edit_->GetValue(), EConvertError);
  EXPECT_EQ(edit_->Text(), "4-2");
  edit_->SetEditType(etDate);
  edit_->SetValue(TDateValue{D(2024, 2, 29)});
  EXPECT_EQ(edit_->Text(), "29/02/2024");
  EXPECT_EQ(edit_->CommittedText(), "29/02/2024");
  EXPECT_EQ(edit_->GetValue(), TEditValue(TDateValue{D(2024, 2, 29)}));
  edit_->SetText("31/02/2024");
  EXPECT_THROW(edit_->GetValue(), EConvertError);
}

TEST_F(EditorTest, TheTypeChoosesThePicker) {
  // A new box: an integer box with an empty text and the calculator.
  EXPECT_EQ(edit_->EditType(), etInteger);
  EXPECT_EQ(edit_->Text(), "");
  ASSERT_NE(dynamic_cast<TECOverCalculator*>(edit_->Picker()), nullptr);
  EXPECT_EQ(edit_->ButtonWidth(), 20);
  EXPECT_TRUE(edit_->ButtonArea().Visible());
  edit_->SetEditType(etDate);
  EXPECT_EQ(edit_->Text(), DateToText(Today()));
  ASSERT_NE(dynamic_cast<TECOverCalendar*>(edit_->Picker()), nullptr);
  edit_->SetEditType(etInteger);
  EXPECT_EQ(edit_->Text(), "0");
  ASSERT_NE(dynamic_cast<TECOverCalculator*>(edit_->Picker()), nullptr);
  EXPECT_EQ(edit_->ButtonWidth(), 20);
  edit_->SetEditType(etString);
  EXPECT_FALSE(edit_->PickerActive());
  EXPECT_FALSE(edit_->ButtonArea().Visible());
}

TEST_F(EditorTest, CalculatorDropDown) {
  edit_->SetValue(12);
  ClickButton();
  ASSERT_TRUE(edit_->ListVisible());
  EXPECT_TRUE(edit_->Focused());  // the drop-down never takes the focus
  td::TypeText(*edit_, "7*6");
  EXPECT_EQ(edit_->Text(), "6");  // the text follows the calculator
  EXPECT_EQ(changes_, 0);
  td::TypeText(*edit_, "=");
  EXPECT_FALSE(edit_->ListVisible());
  EXPECT_EQ(edit_->Text(), "42");
  EXPECT_EQ(changes_, 1);
  // Backspace forwarded to the calculator takes one character away.
  ClickButton();
  td::TypeText(*edit_, "123");
  td::PressKey(*edit_, VK_BACK);
  EXPECT_EQ(edit_->Text(), "12");
  td::PressKey(*edit_, VK_RETURN);
  EXPECT_FALSE(edit_->ListVisible());
  EXPECT_EQ(changes_, 2);  // accepting always reports
}

TEST_F(EditorTest, ACalculatorClosedWithoutAcceptingLeavesTheText) {
  edit_->SetValue(12);
  ClickButton();
  td::TypeText(*edit_, "7*6");
  EXPECT_EQ(edit_->Text(), "6");
  td::PressKey(*edit_, VK_ESCAPE);
  EXPECT_FALSE(edit_->ListVisible());
  EXPECT_EQ(edit_->Text(), "12");
  // A division by zero shows "Error" and keeps the drop-down open; Enter
  // then closes it without taking anything.
  ClickButton();
  auto* popup = static_cast<TECPopupCalculator*>(edit_->PopupControl());
  popup->Calculator().SetBeepOnError(false);
  td::TypeText(*edit_, "1/0=");
  ASSERT_TRUE(edit_->ListVisible());
  EXPECT_EQ(popup->Calculator().Text(), "Error");
  td::PressKey(*edit_, VK_RETURN);
  EXPECT_FALSE(edit_->ListVisible());
  EXPECT_EQ(edit_->Text(), "12");
  // Leaving the box closes the drop-down the same way.
  ClickButton();
  td::TypeText(*edit_, "5");
  td::Click(*other_, 5, 5);
  EXPECT_FALSE(edit_->ListVisible());
  EXPECT_EQ(edit_->Text(), "12");
  EXPECT_EQ(changes_, 0);
}

TEST_F(EditorTest, TheOpenCalculatorCopiesAndPastesItsNumber) {
  edit_->SetValue(12);
  ClickButton();
  td::TypeText(*edit_, "42");
  td::PressKey(*edit_, 'C', ssCtrl);
  TClipboard clipboard;
  EXPECT_EQ(clipboard.AsText(), "42");
  clipboard.SetAsText(" $7.5 ");  // the currency symbol and blanks go
  td::PressKey(*edit_, 'V', ssCtrl);
  EXPECT_EQ(edit_->Text(), "7.5");
  clipboard.SetAsText("seven");
  td::PressKey(*edit_, 'V', ssCtrl);
  EXPECT_EQ(edit_->Text(), "0");
  td::PressKey(*edit_, VK_ESCAPE);
  EXPECT_EQ(edit_->Text(), "12");
}

TEST_F(EditorTest, CalendarDropDown) {
  edit_->SetEditType(etDate);
  edit_->SetValue(TDateValue{D(2024, 1, 31)});
  ClickButton();
  ASSERT_TRUE(edit_->ListVisible());
  auto* popup = static_cast<TECPopupCalendar*>(edit_->PopupControl());
  EXPECT_EQ(popup->Calendar().CalendarDate(), D(2024, 1, 31));
  td::PressKey(*edit_, VK_NEXT);  // the next month: the day clipped to 29
  EXPECT_EQ(popup->Calendar().CalendarDate(), D(2024, 2, 29));
  EXPECT_EQ(edit_->Text(), "31/01/2024");  // the calendar hands its date over on closing
  td::PressKey(*edit_, VK_RETURN);
  EXPECT_FALSE(edit_->ListVisible());
  EXPECT_EQ(edit_->Text(), "29/02/2024");
  EXPECT_EQ(changes_, 1);
  // Accepting the same date again reports nothing.
  ClickButton();
  td::PressKey(*edit_, VK_RETURN);
  EXPECT_EQ(changes_, 1);
  // Esc closes without taking the date.
  ClickButton();
  td::PressKey(*edit_, VK_RIGHT);
  td::PressKey(*edit_, VK_ESCAPE);
  EXPECT_FALSE(edit_->ListVisible());
  EXPECT_EQ(edit_->Text(), "29/02/2024");
}

TEST_F(EditorTest, TimeDropDown) {
  FormatSettings().LongTimeSeconds = false;
  edit_->SetEditType(etTime);
  edit_->SetText("9:30");
  ClickButton();
  ASSERT_TRUE(edit_->ListVisible());
  auto* popup = static_cast<TECPopupTime*>(edit_->PopupControl());
  TUpDown& hours = popup->Panel().Hours();
  td::Click(hours, hours.Width() / 2, 2);  // one hour on
  EXPECT_EQ(edit_->Text(), "10:30");  // the text follows the time
  EXPECT_EQ(changes_, 0);
  TSpeedButton& ok = popup->Panel().OkButton();
  td::Click(ok, ok.Width() / 2, ok.Height() / 2);
  EXPECT_FALSE(edit_->ListVisible());
  EXPECT_EQ(edit_->Text(), "10:30");
  EXPECT_EQ(edit_->GetValue(), TEditValue(TDateValue{10.5 / 24}));
}

TEST_F(EditorTest, ListOnlyBox) {
  edit_->SetEditType(etString);
  edit_->SetEditStyle(esDropDownList);
  edit_->SetDropDownList({"C", "C#", "D", "Eb", "E"});
  td::TypeText(*edit_, "x");
  td::PressKey(*edit_, VK_DELETE);
  EXPECT_EQ(edit_->Text(), "");
  td::PressKey(*edit_, VK_DOWN, ssAlt);
  ASSERT_TRUE(edit_->ListVisible());
  TPopupListbox* list = edit_->PickList();
  td::TypeText(*edit_, "e");  // incremental search
  EXPECT_EQ(list->ItemIndex(), 3);
  td::PressKey(*edit_, VK_DOWN);
  EXPECT_EQ(list->ItemIndex(), 4);
  td::PressKey(*edit_, VK_RETURN);
  EXPECT_FALSE(edit_->ListVisible());
  EXPECT_EQ(edit_->Text(), "E");
  EXPECT_EQ(changes_, 1);
  // A button handler takes the place of the list for the mouse only.
  int clicks = 0;
  edit_->OnEditButtonClick = [&](TObject*) { ++clicks; };
  ClickButton();
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(edit_->ListVisible());
  td::PressKey(*edit_, VK_DOWN, ssAlt);
  EXPECT_TRUE(edit_->ListVisible());
  td::PressKey(*edit_, VK_ESCAPE);
  EXPECT_EQ(edit_->Text(), "E");
}

TEST_F(EditorTest, EllipsisButtonByMouseAndKeys) {
  edit_->SetEditType(etString);
  edit_->SetEditStyle(esEllipsis);
  int clicks = 0;
  edit_->OnEditButtonClick = [&](TObject* sender) {
    EXPECT_EQ(sender, edit_);
    ++clicks;
  };
  ClickButton();
  td::PressKey(*edit_, VK_RETURN, ssCtrl);
  td::PressKey(*edit_, VK_DOWN, ssAlt);
  EXPECT_EQ(clicks, 3);
  EXPECT_FALSE(edit_->ListVisible());
  // A press that leaves the button before the release is no click.
  TEditButtonArea& b = edit_->ButtonArea();
  td::MouseDown(b, b.Width() / 2, b.Height() / 2);
  td::MouseMove(b, -30, b.Height() / 2);
  td::MouseUp(b, -30, b.Height() / 2);
  EXPECT_EQ(clicks, 3);
}

TEST_F(EditorTest, LongListsShow24Rows) {
  edit_->SetEditType(etString);
  edit_->SetEditStyle(esDropDown);
  ClickButton();  // an empty list opens nothing
  EXPECT_FALSE(edit_->ListVisible());
  TStringList items;
  for (int i = 0; i < 30; ++i) items.Add("Item " + std::to_string(i));
  edit_->SetDropDownList(items);
  ClickButton();
  ASSERT_TRUE(edit_->ListVisible());
  EXPECT_EQ(edit_->PickList()->VisibleItems(), 24);
  td::PressKey(*edit_, VK_END);
  EXPECT_EQ(edit_->PickList()->TopIndex(), 6);
  td::PressKey(*edit_, VK_ESCAPE);
}

TEST_F(EditorTest, LongListsScrollByTheirBar) {
  edit_->SetEditType(etString);
  edit_->SetEditStyle(esDropDown);
  TStringList items;
  for (int i = 0; i < 30; ++i) items.Add("Item " + std::to_string(i));
  edit_->SetDropDownList(items);
  ClickButton();
  ASSERT_TRUE(edit_->ListVisible());
  TPopupListbox& list = *edit_->PickList();
  TScrollBar& bar = *list.ScrollBar();
  ASSERT_TRUE(bar.Visible());
  EXPECT_EQ(bar.Left() + bar.Width(), list.ClientWidth() - 1);
  EXPECT_EQ(list.ItemAt(bar.Left() + 2, 10), -1);  // the bar is no item
  td::Click(bar, bar.Width() / 2, bar.Height() - 4);  // the arrow at the bottom
  EXPECT_EQ(list.TopIndex(), 1);
  EXPECT_TRUE(edit_->ListVisible());
  td::PressKey(*edit_, VK_END);
  EXPECT_EQ(bar.Position(), 6);
  td::PressKey(*edit_, VK_ESCAPE);
  // A list that fits shows no bar.
  edit_->SetDropDownList({"One", "Two"});
  ClickButton();
  ASSERT_TRUE(edit_->ListVisible());
  EXPECT_FALSE(list.ScrollBar()->Visible());
  td::PressKey(*edit_, VK_ESCAPE);
}

TEST_F(EditorTest, LeavingWithATextThatIsNoValueKeepsTheCommittedOne) {
  const struct {
    TEditType type;
    const char* typed;
    const char* message;
  } cases[] = {
      {etInteger, "1-", "'1-' is not a valid integer value."},
      {etInteger, "99999999999", "'99999999999' is not a valid integer value."},
      {etReal, "1.2.", "'1.2.' is not a valid number."},
      {etDate, "31/02/2024", "'31/02/2024' is not a valid date."},
      {etTime, "24:00", "'24:00' is not a valid time."},
  };
  for (const auto& c : cases) {
    edit_->SetEditType(c.type);
    edit_->SetValue(c.type == etDate ? TEditValue(TDateValue{D(2024, 2, 28)}) : c.type == etTime ? TEditValue(std::string("9:30")) : TEditValue(5));
    const std::string committed = edit_->CommittedText();
    td::Click(*edit_, 5, 5);
    edit_->SelectAll();
    td::TypeText(*edit_, c.typed);
    std::string message;
    td::Later([&message] {
      ASSERT_TRUE(td::WaitForModal());
      if (auto* box = dynamic_cast<TFMessageBlock*>(Screen().ActiveForm())) message = box->MMessageBlock->Caption();
      td::KeyToModal(VK_RETURN);
    });
    td::Click(*other_, 5, 5);
    std::replace(message.begin(), message.end(), '\n', ' ');  // as wrapped in the box
    EXPECT_EQ(message, c.message);
    EXPECT_EQ(edit_->Text(), committed) << c.typed;
    EXPECT_EQ(changes_, 0) << c.typed;
  }
}

TEST_F(EditorTest, LeavingReportsAChangedTextOnce) {
  edit_->SetEditType(etInteger);
  td::TypeText(*edit_, "12");
  EXPECT_EQ(changes_, 0);
  td::Click(*other_, 5, 5);
  EXPECT_EQ(changes_, 1);
  td::Click(*edit_, 5, 5);
  td::Click(*other_, 5, 5);
  EXPECT_EQ(changes_, 1);  // a text once reported is not reported again
}

}  // namespace
}  // namespace qs

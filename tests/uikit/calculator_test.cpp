// The calculator drop-down driven by real clicks on its buttons, and by
// the characters an edit control forwards to it.
#include <gtest/gtest.h>

#include <string>

#include "platform/testdriver.h"
#include "uikit/calculator.h"
#include "uikit_fixture.h"

namespace qs {
namespace {

namespace td = testdriver;

class PopupCalculator : public ::testing::Test {
 protected:
  void SetUp() override {
    owner_ = std::make_unique<TForm>(nullptr);
    owner_->SetBounds(100, 100, 200, 100);
    popup_ = std::make_unique<TECPopupCalculator>(owner_.get());
    popup_->Calculator().SetBeepOnError(false);
    popup_->SetBounds(100, 200, 104, 127);
    popup_->SetVisible(true);
    td::ProcessMessages();
  }
  void Press(const std::string& keys) {
    for (char k : keys) {
      TECCalcButton* b = popup_->Calculator().FindButton(k);
      ASSERT_NE(b, nullptr) << k;
      td::Click(*b, b->Width() / 2, b->Height() / 2);
    }
  }
  const std::string& Shown() { return popup_->Calculator().Text(); }
  std::unique_ptr<TForm> owner_;
  std::unique_ptr<TECPopupCalculator> popup_;
};

TEST_F(PopupCalculator, ClicksOnButtons) {
  EXPECT_EQ(popup_->Width(), 104);
  popup_->SetValue(12.5);
  EXPECT_EQ(Shown(), "12.5");
  Press("3");  // the first digit replaces a given value
  EXPECT_EQ(Shown(), "3");
  Press("C2+3+");
  EXPECT_EQ(Shown(), "5");
  Press("4=");
  EXPECT_EQ(Shown(), "9");
  EXPECT_EQ(popup_->GetValue(), TEditValue(9.0));
  Press("C1/0=");
  EXPECT_EQ(Shown(), "Error");
  EXPECT_EQ(popup_->GetValue(), TEditValue(std::string("0")));
  Press("5");
  EXPECT_EQ(Shown(), "Error");
  Press("C");
  EXPECT_EQ(Shown(), "0");
  Press("12\b");
  EXPECT_EQ(Shown(), "1");
}

TEST_F(PopupCalculator, ForwardedCharacters) {
  int accepted = 0;
  popup_->OnCloseUp = [&](TObject*, bool accept) { accepted += accept ? 1 : 100; };
  // Square root, percent and reciprocal have no buttons here but still work.
  for (char k : std::string("9q")) popup_->PopupKey(k);
  EXPECT_EQ(Shown(), "3");
  for (char k : std::string("\x1b" "200+10%")) popup_->PopupKey(k);
  EXPECT_EQ(Shown(), "220");
  EXPECT_EQ(accepted, 1);  // "%" gives a result and closes the drop-down
  for (char k : std::string("4r")) popup_->PopupKey(k);
  EXPECT_EQ(Shown(), "0.25");
  for (char k : std::string(",5\r")) popup_->PopupKey(k);  // a new number after a result
  EXPECT_EQ(Shown(), "0.5");
  EXPECT_EQ(accepted, 2);
  popup_->SetValue(std::string("not a number"));
  EXPECT_EQ(Shown(), "0");
  popup_->SetValue(TEditValue{});
  EXPECT_EQ(Shown(), "0");
}

TEST_F(PopupCalculator, ATypedKeyShowsItsButtonPressedForAMoment) {
  TECCalcButton* seven = popup_->Calculator().FindButton('7');
  TECCalcButton* eight = popup_->Calculator().FindButton('8');
  popup_->PopupKey('7');
  EXPECT_EQ(Shown(), "7");
  EXPECT_EQ(popup_->FlashedButton(), seven);
  EXPECT_TRUE(seven->Down());
  popup_->PopupKey('8');  // the next key lets the first one up at once
  EXPECT_FALSE(seven->Down());
  EXPECT_TRUE(eight->Down());
  EXPECT_EQ(Shown(), "78");
  EXPECT_TRUE(uikit_test::WaitFor([&] { return !eight->Down(); }));
  EXPECT_EQ(popup_->FlashedButton(), nullptr);
  EXPECT_EQ(eight->GroupIndex, 0);  // an ordinary button again
  td::Click(*eight, eight->Width() / 2, eight->Height() / 2);
  EXPECT_FALSE(eight->Down());
  EXPECT_EQ(Shown(), "788");
}

TEST(CalculatorPanel, FullLayoutMemoryAndButtons) {
  TForm form(nullptr);
  form.SetBounds(100, 100, 250, 140);
  TECCalculatorPanel panel(&form, kCalcLayoutFull);
  panel.SetParent(&form);
  panel.SetBeepOnError(false);
  EXPECT_EQ(panel.Width(), 240);
  td::ShowAndWait(form);
  int oks = 0, cancels = 0;
  panel.OnOk = [&] { ++oks; };
  panel.OnCancel = [&] { ++cancels; };
  auto press = [&](int kind) {
    for (int i = 0; i < panel.ControlCount(); ++i)
      if (auto* b = dynamic_cast<TECCalcButton*>(panel.Controls(i)); b && b->Kind() == kind) {
        td::Click(*b, b->Width() / 2, b->Height() / 2);
        return b;
      }
    ADD_FAILURE() << "no button of kind " << kind;
    return static_cast<TECCalcButton*>(nullptr);
  };
  enum { kSqrt = 17, kPercent, kReciprocal, kPlus = 16, kMemPlus = 23, kMemStore, kMemRecall, kMemClear, kOk, kCancel };
  press(10);  // 9
  press(kSqrt);
  EXPECT_EQ(panel.Text(), "3");
  EXPECT_EQ(panel.MemoryLabel()->Caption(), "");
  press(kMemStore);
  EXPECT_EQ(panel.MemoryLabel()->Caption(), "M");
  press(kMemPlus);
  press(kMemRecall);
  EXPECT_EQ(panel.Text(), "6");
  press(kReciprocal);
  press(kPlus);
  EXPECT_TRUE(press(kOk)->Caption().empty());  // a picture, no caption
  EXPECT_EQ(oks, 1);
  press(kCancel);
  EXPECT_EQ(cancels, 1);
  press(kMemClear);
  EXPECT_EQ(panel.MemoryLabel()->Caption(), "");
  for (char k : std::string("C1/0=")) panel.CalcKey(k);
  press(kOk);  // refused while the display reads "Error"
  EXPECT_EQ(oks, 1);
}

}  // namespace
}  // namespace qs

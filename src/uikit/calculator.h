#pragma once
// The calculator panel (its buttons drive the calculator engine), its
// compact variant that never takes the focus, the drop-down window that
// holds it, and the base of every picker's drop-down window.
#include <functional>
#include <string>

#include "platform/extctrls.h"
#include "platform/forms.h"
#include "uikit/calcengine.h"
#include "uikit/editvalue.h"

namespace qs {

// A picker's drop-down: a pop-up that never takes activation, so the edit
// control under it keeps the focus while the user clicks in it.
class TEcPopupWindow : public TCustomForm {
 public:
  explicit TEcPopupWindow(TControl* ownerControl);
  const char* ClassName() const override { return "TEcPopupWindow"; }
  TControl* OwnerControl() const { return ownerControl_; }
  virtual TEditValue GetValue() = 0;
  virtual void SetValue(const TEditValue& value) = 0;
  virtual void CloseUp(bool accept);
  virtual std::string GetPopupText() { return ""; }
  // Repaints the owner control at once, so it follows the value.
  void InvalidateOwner();
  std::function<void(TObject* sender, bool accept)> OnCloseUp;
  void Paint() override;

 private:
  TControl* ownerControl_;
};

enum { kCalcLayoutFull = 0, kCalcLayoutCompact = 1 };

class TECCalcButton : public TSpeedButton {
 public:
  TECCalcButton(TComponent* owner, int kind);
  const char* ClassName() const override { return "TECCalcButton"; }
  int Kind() const { return kind_; }

 private:
  int kind_;
};

class TECCalculatorPanel : public TPanel, public TECCalculatorEngine {
 public:
  TECCalculatorPanel(TComponent* owner, int layout);
  const char* ClassName() const override { return "TECCalculatorPanel"; }
  // Performs what a press of a button of that kind does.
  void ButtonClick(int kind);
  // The button a typed character stands for; nullptr when there is none.
  TECCalcButton* FindButton(char key) const;
  // A control whose caption follows the shown number.
  TControl* DisplayControl = nullptr;
  std::function<void()> OnOk;
  std::function<void()> OnCancel;

 protected:
  void TextChanged() override;
};

class TECLocCalculator : public TECCalculatorPanel {
 public:
  explicit TECLocCalculator(TComponent* owner);
  const char* ClassName() const override { return "TECLocCalculator"; }
};

class TECPopupCalculator : public TEcPopupWindow {
 public:
  explicit TECPopupCalculator(TControl* ownerControl);
  const char* ClassName() const override { return "TECPopupCalculator"; }
  TECLocCalculator& Calculator() { return *calc_; }
  // The shown number; 0 (with a beep) while it reads "Error".
  TEditValue GetValue() override;
  // Texts and numbers are shown; anything else, or a text that is not a
  // number, shows 0. The first digit typed then replaces the value.
  void SetValue(const TEditValue& value) override;
  void CloseUp(bool accept) override;
  std::string GetPopupText() override { return calc_->Text(); }
  // A character the edit control forwards while the drop-down is open.
  void PopupKey(char key);
  // A key-down the edit control forwards (Backspace, Esc).
  void PopupKeyDown(uint16_t key);

 private:
  TECLocCalculator* calc_;
  bool closing_ = false;
};

// The calculator drop-down for formshot.
void RegisterCalculatorForms();

}  // namespace qs

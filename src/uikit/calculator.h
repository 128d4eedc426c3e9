#pragma once
// The calculator panel (its buttons drive the calculator engine), its
// compact variant that never takes the focus, and the drop-down window
// that holds it.
#include <functional>
#include <memory>
#include <string>

#include "platform/extctrls.h"
#include "platform/stdctrls.h"
#include "uikit/calcengine.h"
#include "uikit/editvalue.h"
#include "uikit/popupwindow.h"

namespace qs {

class TTimer;

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
  // The full layout's memory indicator (null in the compact one).
  TLabel* MemoryLabel() const { return memoryLabel_; }

 protected:
  void TextChanged() override;

 private:
  TPanel* memoryPanel_ = nullptr;
  TLabel* memoryLabel_ = nullptr;
};

class TECLocCalculator : public TECCalculatorPanel {
 public:
  explicit TECLocCalculator(TComponent* owner);
  const char* ClassName() const override { return "TECLocCalculator"; }
};

class TECPopupCalculator : public TEcPopupWindow {
 public:
  explicit TECPopupCalculator(TControl* ownerControl);
  ~TECPopupCalculator() override;
  const char* ClassName() const override { return "TECPopupCalculator"; }
  TECLocCalculator& Calculator() { return *calc_; }
  // The shown number; 0 (with a beep) while it reads "Error".
  TEditValue GetValue() override;
  // Texts and numbers are shown; anything else, or a text that is not a
  // number, shows 0. The first digit typed then replaces the value.
  void SetValue(const TEditValue& value) override;
  void CloseUp(bool accept) override;
  std::string GetPopupText() override { return calc_->Text(); }
  // A character the edit control forwards while the drop-down is open;
  // the key's button shows pressed for kFlashMs.
  void PopupKey(char key);
  static constexpr int kFlashMs = 20;
  // The button a typed key shows pressed; null when none is.
  TECCalcButton* FlashedButton() const { return flashed_; }
  // A key-down the edit control forwards (Backspace, Esc).
  void PopupKeyDown(uint16_t key);
  // Keys the edit control forwards while the drop-down is open.
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;

 private:
  // The group a flashed button joins alone, so that it can show down.
  static constexpr int kFlashGroup = 1;
  void FlashUp();
  TECLocCalculator* calc_;
  bool closing_ = false;
  TECCalcButton* flashed_ = nullptr;
  std::unique_ptr<TTimer> flashTimer_;
};

// The calculator drop-down for formshot.
void RegisterCalculatorForms();

}  // namespace qs

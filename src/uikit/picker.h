#pragma once
// The adapters through which edit controls reach their pickers: each
// supplies the button glyph, creates its drop-down window on first need,
// turns the window's value into text and back, and passes the window's
// change and result notifications to the handlers the edit control
// installs. Edit controls never talk to a drop-down window directly.
#include <functional>
#include <memory>
#include <string>

#include "platform/bitmap.h"
#include "platform/components.h"
#include "platform/controls.h"
#include "uikit/calculator.h"
#include "uikit/editvalue.h"
#include "uikit/timepicker.h"

namespace qs {

// Scales the control's bounds, those of every control on it and their own
// fonts by multiplier / divisor.
void ScaleControl(TControl& control, int multiplier, int divisor);
int ScreenPixelsPerInchForPickers();

// 1 = OK, 2 = Cancel.
using TECResultEvent = std::function<void(TObject* sender, int result)>;

class TECOverEditor : public TComponent {
 public:
  explicit TECOverEditor(TComponent* owner) : TComponent(owner) {}
  ~TECOverEditor() override;
  const char* ClassName() const override { return "TECOverEditor"; }
  virtual const TBitmap* GetButtonGlyph() { return glyph_.get(); }
  virtual void SetChangeHandler(TNotifyEvent handler) { changeHandler_ = std::move(handler); }
  virtual void SetResultHandler(TECResultEvent handler) { resultHandler_ = std::move(handler); }
  virtual void GetPopupText(std::string&) {}
  virtual void SetPopupText(const std::string&) {}
  virtual TEditValue GetPopupValue() { return {}; }
  // False while the drop-down shows no value to take (the calculator's
  // "Error"): accepting it then takes nothing.
  virtual bool PopupHasValue() { return true; }
  virtual void SetPopupValue(const TEditValue&) {}
  // Every character is valid while ValidChars is empty.
  virtual bool IsValidChar(char key) const { return ValidChars.empty() || ValidChars.find(key) != std::string::npos; }
  virtual bool AcceptKey(char key) { return IsValidChar(key); }
  virtual bool IsPopupControl(const TControl*) const { return false; }
  virtual TEcPopupWindow* GetPopupWindow() { return nullptr; }

  std::string ValidChars;

 protected:
  std::unique_ptr<TBitmap> glyph_;
  TNotifyEvent changeHandler_;
  TECResultEvent resultHandler_;
};

// The behaviour the adapters share: the window is created on first need
// with the edit control as its owner control, text and values go to it
// only once it exists, and the handlers are connected again whenever one
// is installed.
template <class TPopup>
class TECOverPopupEditor : public TECOverEditor {
 public:
  using TECOverEditor::TECOverEditor;
  void SetChangeHandler(TNotifyEvent handler) override {
    TECOverEditor::SetChangeHandler(std::move(handler));
    Connect();
  }
  void SetResultHandler(TECResultEvent handler) override {
    TECOverEditor::SetResultHandler(std::move(handler));
    Connect();
  }
  void SetPopupText(const std::string& text) override {
    if (popup_) popup_->SetValue(text);
  }
  TEditValue GetPopupValue() override { return popup_ ? popup_->GetValue() : TEditValue(std::string()); }
  void SetPopupValue(const TEditValue& value) override {
    if (popup_) popup_->SetValue(value);
  }
  bool IsPopupControl(const TControl* control) const override { return control && control == popup_.get(); }
  TEcPopupWindow* GetPopupWindow() override {
    if (!popup_) {
      popup_ = std::make_unique<TPopup>(dynamic_cast<TControl*>(Owner()));
      // Drawn for 96 pixels per inch; larger on a finer screen.
      const int ppi = ScreenPixelsPerInchForPickers();
      if (ppi != 96) {
        ScaleControl(*popup_, ppi, 96);
        Scaled();
      }
      Connect();
    }
    return popup_.get();
  }

 protected:
  // Hands the installed handlers to the window's inner control.
  virtual void ConnectHandlers() = 0;
  // After the window was scaled for the screen.
  virtual void Scaled() {}
  std::unique_ptr<TPopup> popup_;

 private:
  void Connect() {
    if (popup_) ConnectHandlers();
  }
};

class TECOverCalculator : public TECOverPopupEditor<TECPopupCalculator> {
 public:
  explicit TECOverCalculator(TComponent* owner);
  const char* ClassName() const override { return "TECOverCalculator"; }
  const TBitmap* GetButtonGlyph() override;
  // Empty until the window exists.
  void GetPopupText(std::string& text) override;
  bool AcceptKey(char key) override;
  bool PopupHasValue() override;

 protected:
  // An accept while the calculator shows "Error" is held back: the
  // drop-down stays open until the error is cleared.
  void ConnectHandlers() override;
  // A scaled calculator keeps its bold 8-point font.
  void Scaled() override;
};

class TECOverTime : public TECOverPopupEditor<TECPopupTime> {
 public:
  explicit TECOverTime(TComponent* owner);
  const char* ClassName() const override { return "TECOverTime"; }
  const TBitmap* GetButtonGlyph() override;
  // Empty until the window exists.
  void GetPopupText(std::string& text) override;

 protected:
  void ConnectHandlers() override;
};

}  // namespace qs

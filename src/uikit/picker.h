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

class TECOverCalculator : public TECOverEditor {
 public:
  explicit TECOverCalculator(TComponent* owner);
  ~TECOverCalculator() override;
  const char* ClassName() const override { return "TECOverCalculator"; }
  const TBitmap* GetButtonGlyph() override;
  void SetChangeHandler(TNotifyEvent handler) override;
  void SetResultHandler(TECResultEvent handler) override;
  // Empty until the window exists.
  void GetPopupText(std::string& text) override;
  void SetPopupText(const std::string& text) override;
  TEditValue GetPopupValue() override;
  void SetPopupValue(const TEditValue& value) override;
  bool AcceptKey(char key) override;
  bool IsPopupControl(const TControl* control) const override { return control && control == popup_.get(); }
  TEcPopupWindow* GetPopupWindow() override;

 private:
  void Connect();
  std::unique_ptr<TECPopupCalculator> popup_;
};

class TECOverTime : public TECOverEditor {
 public:
  explicit TECOverTime(TComponent* owner);
  ~TECOverTime() override;
  const char* ClassName() const override { return "TECOverTime"; }
  const TBitmap* GetButtonGlyph() override;
  void SetChangeHandler(TNotifyEvent handler) override;
  void SetResultHandler(TECResultEvent handler) override;
  // Empty until the window exists.
  void GetPopupText(std::string& text) override;
  void SetPopupText(const std::string& text) override;
  TEditValue GetPopupValue() override;
  void SetPopupValue(const TEditValue& value) override;
  bool IsPopupControl(const TControl* control) const override { return control && control == popup_.get(); }
  TEcPopupWindow* GetPopupWindow() override;

 private:
  void Connect();
  std::unique_ptr<TECPopupTime> popup_;
};

}  // namespace qs

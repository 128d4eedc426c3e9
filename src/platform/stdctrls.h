#pragma once
// The standard controls the window system offers, behind the same control
// interface as the program's own.
#include <string>

#include "platform/controls.h"
#include "platform/forms.h"

namespace qs {

class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* owner);
  const char* ClassName() const override { return "TButton"; }
  const TPropTable& Published() const override;
  // Clicking the button sets its form's ModalResult to this (when not
  // mrNone) before OnClick.
  TModalResult ModalResult = mrNone;
  // Enter (Default) or Esc (Cancel) anywhere on the form click the button.
  bool Default() const { return default_; }
  void SetDefault(bool v);
  bool Cancel = false;
  void Click() override;

 protected:
  void CaptionChanged() override;

 private:
  bool default_ = false;
};

// A one-line text box.
class TEdit : public TWinControl {
 public:
  explicit TEdit(TComponent* owner);
  const char* ClassName() const override { return "TEdit"; }
  const TPropTable& Published() const override;
  // UTF-8.
  std::string Text() const;
  void SetText(const std::string& v);
  int MaxLength() const;
  void SetMaxLength(int v);
  bool ReadOnly() const;
  void SetReadOnly(bool v);
  int SelStart() const;
  void SetSelStart(int v);
  int SelLength() const;
  void SetSelLength(int v);
  void SelectAll();
  TNotifyEvent OnChange;
};

}  // namespace qs

#pragma once
// The base of every picker's drop-down window.
#include <functional>
#include <string>

#include "platform/forms.h"
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

}  // namespace qs

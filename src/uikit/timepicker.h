#pragma once
// The time drop-down: up-down pairs for hours, minutes and (when the
// locale's time format shows them) seconds, and an "=" button that
// confirms. The edit control's text follows every step.
#include <functional>

#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "uikit/localeformats.h"
#include "uikit/popupwindow.h"

namespace qs {

class TECTimePanel : public TPanel {
 public:
  explicit TECTimePanel(TComponent* owner);
  const char* ClassName() const override { return "TECTimePanel"; }
  TDateTime Time() const { return time_; }
  // Sets the up-downs from the time's hours, minutes and seconds.
  void SetTime(TDateTime time);
  TUpDown& Hours() { return *hours_; }
  TUpDown& Minutes() { return *minutes_; }
  // nullptr when the time format has no seconds.
  TUpDown* Seconds() { return seconds_; }
  TSpeedButton& OkButton() { return *ok_; }
  std::function<void()> OnChange;
  std::function<void(int)> OnResult;

 protected:
  void AlignControls(TRect& clientRect) override;

 private:
  void TimeChanged();
  TDateTime time_ = 0;
  TUpDown* hours_;
  TUpDown* minutes_;
  TUpDown* seconds_ = nullptr;
  TSpeedButton* ok_;
};

class TECPopupTime : public TEcPopupWindow {
 public:
  explicit TECPopupTime(TControl* ownerControl);
  const char* ClassName() const override { return "TECPopupTime"; }
  TECTimePanel& Panel() { return *panel_; }
  TEditValue GetValue() override { return TDateValue{panel_->Time()}; }
  // A text or date-time value sets the time; anything else, or a text that
  // is not a time, 00:00:00.
  void SetValue(const TEditValue& value) override;
  // Only the "=" button or the edit control closes the time drop-down.
  void CloseUp(bool) override {}

 private:
  TECTimePanel* panel_;
};

// The time drop-down for formshot.
void RegisterTimePickerForms();

}  // namespace qs

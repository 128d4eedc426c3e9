#include "uikit/timepicker.h"

#include <cmath>

#include "platform/canvas.h"

namespace qs {

namespace {

TUpDown* MakeUpDown(TWinControl* parent, int max) {
  auto* u = new TUpDown(parent);
  u->SetParent(parent);
  u->Min = 0;
  u->Max = max;
  u->Wrap = true;
  u->SetTabStop(false);
  return u;
}

}  // namespace

TECTimePanel::TECTimePanel(TComponent* owner) : TPanel(owner) {
  SetBevelInner(bvNone);
  hours_ = MakeUpDown(this, 23);
  minutes_ = MakeUpDown(this, 59);
  if (FormatSettings().LongTimeSeconds) seconds_ = MakeUpDown(this, 59);
  for (TUpDown* u : {hours_, minutes_, seconds_})
    if (u) u->OnClick = [this](TObject*, TUDBtnType) { TimeChanged(); };
  ok_ = new TSpeedButton(this);
  ok_->SetParent(this);
  ok_->SetCaption("=");
  TFont f = Font();
  f.Style = fsBold;
  ok_->SetFont(f);
  ok_->OnClick = [this](TObject*) {
    if (OnResult) OnResult(1);
  };
}

void TECTimePanel::AlignControls(TRect& clientRect) {
  TPanel::AlignControls(clientRect);
  const int n = seconds_ ? 3 : 2;
  const int w = (Width() - 8) / n;
  int x = 4;
  for (TUpDown* u : {hours_, minutes_, seconds_}) {
    if (!u) continue;
    u->SetBounds(x, 4, w, Height() - 28);
    x += w;
  }
  ok_->SetBounds(7, Height() - 22, Width() - 14, 17);
}

void TECTimePanel::TimeChanged() {
  TDateTime t = 0;
  TryEncodeTime(hours_->Position(), minutes_->Position(), seconds_ ? seconds_->Position() : 0, t);
  if (t == time_) return;
  time_ = t;
  if (OnChange) OnChange();
}

void TECTimePanel::SetTime(TDateTime time) {
  time = time - std::floor(time);
  if (!seconds_) time = std::floor(time * 1440 + 1e-9) / 1440;
  if (time == time_) return;
  time_ = time;
  int h, m, s;
  DecodeTime(time, h, m, s);
  hours_->SetPosition(h);
  minutes_->SetPosition(m);
  if (seconds_) seconds_->SetPosition(s);
}

TECPopupTime::TECPopupTime(TControl* ownerControl) : TEcPopupWindow(ownerControl) {
  SetColor(clBtnFace);
  SetBounds(0, 0, FormatSettings().LongTimeSeconds ? 68 : 48, 54);
  panel_ = new TECTimePanel(this);
  panel_->SetParent(this);
  panel_->SetAlign(alClient);
  panel_->SetBevelOuter(bvRaised);
  // Until an edit control installs its own reactions.
  panel_->OnChange = [this] { InvalidateOwner(); };
  panel_->OnResult = [this](int) { CloseUp(true); };
}

void TECPopupTime::SetValue(const TEditValue& value) {
  TDateTime t = 0;
  if (const auto* s = std::get_if<std::string>(&value)) {
    if (!TryTextToTime(*s, t)) t = 0;
  } else if (const auto* d = std::get_if<TDateValue>(&value)) {
    t = d->Value;
  } else if (const auto* f = std::get_if<double>(&value)) {
    t = *f;
  }
  panel_->SetTime(t);
}

void RegisterTimePickerForms() {
  RegisterForm("ECPopupTime", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto popup = std::make_unique<TECPopupTime>(nullptr);
    popup->SetValue(std::string("9:30:15"));
    return popup;
  });
}

}  // namespace qs

#include "uikit/buttonscroll.h"

#include "platform/forms.h"
#include "platform/timers.h"
#include "uikit/frames.h"

namespace qs {

TECButtonScroll::TECButtonScroll(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 14, 14);
  SetVisible(false);
}

TECButtonScroll::~TECButtonScroll() = default;

void TECButtonScroll::SetDirection(int v) {
  if (v == direction_) return;
  direction_ = v;
  Invalidate();
}

void TECButtonScroll::SetVisible(bool v) {
  if (!v && timer_) {
    // A repeat that scrolled to the end hides the button from inside the
    // timer's own tick: the timer goes after it.
    timer_->SetEnabled(false);
    ReleaseComponent(timer_.release());
  }
  if (!v) repeated_ = false;
  TCustomControl::SetVisible(v);
}

void TECButtonScroll::Paint() {
  static constexpr TECArrowStyle kStyles[] = {asLeft, asUp, asRight, asDown};
  DrawScrollArrow(Canvas(), ClientRect(), kStyles[direction_ & 3], pressed_, Enabled());
}

void TECButtonScroll::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  pressed_ = true;
  Invalidate();
  timer_ = std::make_unique<TTimer>(nullptr);
  timer_->SetInterval(RepeatInterval);
  timer_->OnTimer = [this](TObject*) {
    repeated_ = true;
    pressed_ = false;
    Fire(ClickAction, this);
  };
  timer_->SetEnabled(true);
}

void TECButtonScroll::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  timer_.reset();
  pressed_ = false;
  Invalidate();
  // A click released before the first repeat acts once.
  if (!repeated_) Fire(ClickAction, this);
  repeated_ = false;
}

}  // namespace qs

#pragma once
// The small arrow button that scrolls a page control's tab strip or a
// scroll panel's content: it acts once on a click and repeats while held.
#include <memory>

#include "platform/controls.h"

namespace qs {

class TTimer;

class TECButtonScroll : public TCustomControl {
 public:
  // 14 x 14 and hidden until its owner places it.
  explicit TECButtonScroll(TComponent* owner);
  ~TECButtonScroll() override;
  const char* ClassName() const override { return "TECButtonScroll"; }
  // 0 left, 1 up, 2 right, 3 down.
  int Direction() const { return direction_; }
  void SetDirection(int v);
  bool Pressed() const { return pressed_; }
  // Milliseconds between two repeats while the button is held.
  int RepeatInterval = 20;
  // What the button does, once per click or per repeat; the sender is the
  // button.
  TNotifyEvent ClickAction;

  void SetVisible(bool v) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  int direction_ = 0;
  bool pressed_ = false, repeated_ = false;
  std::unique_ptr<TTimer> timer_;
};

}  // namespace qs

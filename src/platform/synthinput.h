#pragma once
// Input the program gives itself: a lesson demonstrating the program moves
// a pointer drawn over the windows (the user's own pointer is never moved)
// and posts mouse and key input to the controls it points at, as the
// window system posts a user's. Posted input is handled after the caller
// returns, so a click that opens a modal window does not hold the caller.
#include <cstdint>
#include <memory>
#include <string>

#include "base/geometry.h"
#include "platform/controls.h"

namespace qs::platform {

// A press or release of a mouse button at a point in control's client
// coordinates.
void PostMouseButton(TControl& control, int x, int y, bool down, TMouseButton button = mbLeft);
// The pointer moved to a point in control's client coordinates (with no
// button held, or the buttons of an earlier press).
void PostMouseMove(TControl& control, int x, int y, bool buttonHeld = false);
// A key pressed and let go, to the control that has the focus in
// control's window.
void PostKeyPress(TControl& control, uint16_t vk);
// One character typed (UTF-8), to the focused control of control's window.
void PostCharacter(TControl& control, const std::string& utf8Character);

// A pointer arrow drawn above every window; it takes no input.
class TDrawnPointer {
 public:
  TDrawnPointer();
  ~TDrawnPointer();
  TDrawnPointer(const TDrawnPointer&) = delete;
  TDrawnPointer& operator=(const TDrawnPointer&) = delete;

  // Screen coordinates of the arrow's tip.
  TPoint Position() const { return position_; }
  void MoveTo(TPoint screen);
  void Hide();
  bool Visible() const;

 private:
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
  TPoint position_;
};

// Where the user's pointer is, in screen coordinates.
TPoint PointerPosition();

}  // namespace qs::platform

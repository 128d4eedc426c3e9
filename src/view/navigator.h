#pragma once
// Texts of the timeline navigator.
#include <cstdint>
#include <string>

namespace qs {

// "mm:ss"; hours are dropped (3 723 000 ms give "02:03").
std::string FormatPlayTime(int64_t milliseconds);
// A rehearsal mark's label: the number as digits when the style's two top
// bits are 1 and 0, else letters (1 "A", 26 "Z", 27 "AA").
std::string RehearsalLabel(uint8_t style, int number);

}  // namespace qs

#include "platform/controls.h"

namespace qs {

class TQSWindow;

// A panel that shows the timeline of a view's score: it paints through the
// view and a click takes the cursor to the measure under it.
class TQSNavigatorPanel : public TCustomControl {
 public:
  explicit TQSNavigatorPanel(TComponent* owner) : TCustomControl(owner) {}
  // The score forgets the panel it registered.
  ~TQSNavigatorPanel() override;
  const char* ClassName() const override { return "TQSNavigatorPanel"; }
  TQSWindow* View = nullptr;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
};

}  // namespace qs

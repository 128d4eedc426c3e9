#pragma once
// The velocity editor: the velocity of each note of one voice as a bar
// over a scale of 0 to 127. The selected notes' velocities step by one,
// a bar's top is dragged or clicked into place, and the notes between the
// first and the last selected one are aligned on a straight line.
#include <cstdint>
#include <vector>

#include "playback/voiceeditor.h"

namespace qs {

class TQSVelocityEditor : public TQSVoiceEditor {
 public:
  static constexpr int kMinHeight = 143;

  explicit TQSVelocityEditor(TComponent* owner);
  const char* ClassName() const override { return "TQSVelocityEditor"; }

  void IncreaseVelocity();
  void DecreaseVelocity();
  void AlignVelocity();

  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void Resize() override;

 private:
  void Layout() override;
  int FixedPanelWidth() const override { return panelWidth_; }
  // The outline of the bar being dragged, in XOR: shows or hides it.
  void DrawDragOutline();
  int HitTest(int x, int y) const;
  void SetVelocity(TQSVoiceEntry& e, int velocity);

  bool dragging_ = false;
  int anchorY_ = 0, currentY_ = 0;
};

}  // namespace qs

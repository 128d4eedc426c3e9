#pragma once
// A panel without scroll bars: when its controls reach past its edges,
// small arrow buttons appear at those edges and move the controls by a
// step while held; the content can also be dragged with the mouse.
#include <array>
#include <memory>

#include "platform/extctrls.h"
#include "uikit/buttonscroll.h"

namespace qs {

class TECScrollPanel : public TPanel {
 public:
  explicit TECScrollPanel(TComponent* owner);
  ~TECScrollPanel() override;
  const char* ClassName() const override { return "TECScrollPanel"; }

  bool HorzScroll() const { return horzScroll_; }
  void SetHorzScroll(bool v);
  bool VertScroll() const { return vertScroll_; }
  void SetVertScroll(bool v);
  // Repeat interval of the arrow buttons in milliseconds.
  int TimeOut = 20;
  // 0 means 6.
  int ButtonOffset() const { return buttonOffset_; }
  void SetButtonOffset(int v);
  // 0 means 14; a button keeps the size it was made with.
  int ButtonSize() const { return buttonSize_; }
  void SetButtonSize(int v);
  int RightBottomSpace() const { return rightBottomSpace_; }
  void SetRightBottomSpace(int v);
  bool BlackBorder() const { return blackBorder_; }
  void SetBlackBorder(bool v);
  TColor BorderColor() const { return borderColor_; }
  void SetBorderColor(TColor v);
  // Pixels of one arrow action; values below 1 are ignored.
  int Step() const { return step_; }
  void SetStep(int v);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int v);
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int v);
  // A background picture, tiled; setting copies it, an empty one clears it.
  const TBitmap* WallPaper() const { return wallPaper_.get(); }
  void SetWallPaper(const TBitmap* picture);
  // OnPaint (inherited) runs at the end of every paint.

  // How far the content has been moved left and up from where it was laid
  // out.
  int OffsetX() const { return offsetX_; }
  int OffsetY() const { return offsetY_; }
  // The arrow button of a direction, null until first needed.
  TECButtonScroll* ArrowButton(int direction) const { return buttons_[size_t(direction)]; }
  // How often the buttons were laid out (for checking that changes do not
  // lay out more than once).
  int LayoutCount() const { return layoutCount_; }

  // Shows, hides and places the arrow buttons after controls were added,
  // removed or moved by code.
  void UpdateScrollButtons();
  // Moves the content (positive: right and down), no further than its
  // start and no further than one step past its end.
  void ScrollContent(int dx, int dy);

  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 protected:
  void AlignControls(TRect& clientRect) override;
  void ControlListChanged(TControl* child, bool inserted) override;
  void Resize() override;

 private:
  bool IsArrow(const TControl* c) const;
  void Extent(int& minLeft, int& minTop, int& maxRight, int& maxBottom) const;
  TECButtonScroll* Button(int direction);
  void Relayout(bool& field, bool v);

  bool horzScroll_ = true, vertScroll_ = true;
  int buttonOffset_ = 0, buttonSize_ = 0, rightBottomSpace_ = 0;
  bool blackBorder_ = false;
  TColor borderColor_ = clBlack;
  int step_ = 1, bevelWidth_ = 1, borderWidth_ = 0;
  std::unique_ptr<TBitmap> wallPaper_;
  std::array<TECButtonScroll*, 4> buttons_{};
  int offsetX_ = 0, offsetY_ = 0;
  bool layingOut_ = false;
  bool dragging_ = false;
  TPoint last_;
  int layoutCount_ = 0;
};

}  // namespace qs

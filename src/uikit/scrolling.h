#pragma once
// A bordered scroll box with flat scroll bars of its own drawing, whose
// scroll ranges follow its child controls.
#include <cstdint>
#include <memory>

#include "platform/controls.h"
#include "platform/forms.h"
#include "platform/stdctrls.h"

namespace qs {

class TECScrolling;
class TECFlatScrollBar;
class TTimer;

enum TScrollBarStyle : uint8_t { ssRegular, ssFlat, ssHotTrack };
// The standard arrow size and thickness of a scroll bar.
inline constexpr int kScrollBarMetric = 16;

// One scroll bar of a scrolling container: its range, position and look.
class TItemScrollBar {
 public:
  TItemScrollBar(TECScrolling& control, TScrollBarKind kind);
  TScrollBarKind Kind() const { return kind_; }
  // Copies Visible, Range, Position and Increment, in that order.
  void Assign(const TItemScrollBar& other);

  // 0 stores the standard size.
  int ButtonSize() const { return buttonSize_; }
  void SetButtonSize(int v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool v);
  // Line step in pixels, 1 .. 32767.
  int Increment() const { return increment_; }
  void SetIncrement(int v);
  int Margin() const { return margin_; }
  void SetMargin(int v);
  int Position() const { return position_; }
  void SetPosition(int v);
  // Content size in pixels; assigning switches the container's AutoScroll
  // off.
  int Range() const { return range_; }
  void SetRange(int v);
  bool Smooth() const { return smooth_; }
  void SetSmooth(bool v);
  // 0 stores the standard thickness.
  int Size() const { return size_; }
  void SetSize(int v);
  TScrollBarStyle Style() const { return style_; }
  void SetStyle(TScrollBarStyle v);
  // 0: proportional to the visible part.
  int ThumbSize() const { return thumbSize_; }
  void SetThumbSize(int v);
  bool Tracking() const { return tracking_; }
  void SetTracking(bool v) { tracking_ = v; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v);

  // Range less the visible extent (0 while not Visible).
  int ScrollLimit() const { return limit_; }
  int PageIncrement() const { return pageIncrement_; }
  // Whether the bar shows now.
  bool IsScrollBarVisible() const;
  // The bar on the screen.
  TECFlatScrollBar& Bar() const { return *bar_; }

  // A scroll request from the bar or the wheel; pos for the thumb codes.
  void ScrollMessage(TScrollCode code, int pos = 0);

 private:
  friend class TECScrolling;
  // The client size along the bar.
  int PlainExtent() const;
  // Along the bar, with the other bar taken as shown or hidden.
  int VisibleExtent(bool otherShown) const;
  void Update(int extent);
  void SetRangeOnly(int v);
  void LookChanged();

  TECScrolling& control_;
  TScrollBarKind kind_;
  TECFlatScrollBar* bar_ = nullptr;
  int buttonSize_ = kScrollBarMetric, increment_ = 8, margin_ = 0, position_ = 0, range_ = 0;
  int size_ = kScrollBarMetric, thumbSize_ = 0;
  TColor color_ = clBtnHighlight;
  bool parentColor_ = true, smooth_ = false, tracking_ = false, visible_ = true;
  TScrollBarStyle style_ = ssRegular;
  int pageIncrement_ = 80, limit_ = 0;
};

// The drawn bar: arrows, track and thumb; it turns clicks and drags into
// scroll requests.
class TECFlatScrollBar : public TCustomControl {
 public:
  TECFlatScrollBar(TComponent* owner, TItemScrollBar& item);
  ~TECFlatScrollBar() override;
  const char* ClassName() const override { return "TECFlatScrollBar"; }
  // A held arrow or track part repeats its step: first after FirstDelay,
  // then every RepeatDelay milliseconds.
  int FirstDelay = 300;
  int RepeatDelay = 50;
  // The platform side: range Min .. Max, a page, the position.
  void SetParams(int max, int page, int position);
  int Max() const { return max_; }
  int Page() const { return page_; }
  int BarPosition() const { return position_; }
  // Along the bar: arrow size, the thumb's start and length.
  int ArrowSize() const;
  int ThumbStart() const;
  int ThumbLength() const;
  bool Dragging() const { return dragging_; }

  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseLeave() override;

 private:
  int Length() const;
  int Along(int x, int y) const { return item_.Kind() == sbHorizontal ? x : y; }
  // The position a thumb start gives.
  int PositionAt(int thumbStart) const;
  enum THot : uint8_t { hNone, hFirst, hSecond, hThumb };
  THot PartAt(int p) const;
  void Repeat();
  TItemScrollBar& item_;
  std::unique_ptr<TTimer> repeat_;
  TScrollCode repeatCode_ = scEndScroll;
  int lastP_ = 0;
  int max_ = 0, page_ = 1, position_ = 0;
  bool dragging_ = false;
  int grab_ = 0, dragPos_ = 0;
  THot hot_ = hNone, pressed_ = hNone;
};

class TECScrolling : public TCustomControl {
 public:
  explicit TECScrolling(TComponent* owner);
  ~TECScrolling() override;
  const char* ClassName() const override { return "TECScrolling"; }
  TItemScrollBar& HorzScrollBar() { return horz_; }
  TItemScrollBar& VertScrollBar() { return vert_; }
  void SetHorzScrollBar(const TItemScrollBar& v) { horz_.Assign(v); }
  void SetVertScrollBar(const TItemScrollBar& v) { vert_.Assign(v); }
  // Whether ranges may be computed from the children.
  virtual bool CanAutoScroll() const { return true; }
  bool AutoScroll() const { return autoScroll_; }
  void SetAutoScroll(bool v);

  int ClientWidth() const override;
  int ClientHeight() const override;
  // Recomputes the ranges from the children (while AutoScroll) and the bars.
  void UpdateScrollRanges();
  void UpdateScrollBars();
  // Moves the children (not the bars) by (dx, dy).
  void ScrollBy(int dx, int dy);
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;

 protected:
  void AlignControls(TRect& clientRect) override;
  void ControlListChanged(TControl* child, bool inserted) override;
  bool IsBar(const TControl* c) const;
  void LayoutBars();
  // The width of the frame round the client area, the bars and the
  // children, which stay inside it.
  virtual int FrameWidth() const { return 0; }

 private:
  friend class TItemScrollBar;
  TItemScrollBar horz_, vert_;
  bool autoScroll_ = true;
  bool updating_ = false;
  bool aligning_ = false;
};

class TECScrollWinControl : public TECScrolling {
 public:
  explicit TECScrollWinControl(TComponent* owner);
  const char* ClassName() const override { return "TECScrollWinControl"; }
  // bsNone or bsSingle (a sunken edge); other styles are ignored.
  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle v);
  void Paint() override;

 protected:
  int FrameWidth() const override { return borderStyle_ == bsSingle ? 1 : 0; }

 private:
  TFormBorderStyle borderStyle_ = bsSingle;
};

}  // namespace qs

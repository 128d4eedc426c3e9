#pragma once
// More controls the program's windows are made of: panels and bevels,
// pictures, splitters, speed buttons and a scrolling box.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/controls.h"

namespace qs {

class TBitmap;

enum TBevelCut : uint8_t { bvNone, bvLowered, bvRaised };

// Draws a raised or lowered 3-D edge inside r (one pixel wide).
void Frame3D(TCanvas& canvas, const TRect& r, TBevelCut cut);

// A container with bevelled edges and a centred caption.
class TPanel : public TCustomControl {
 public:
  explicit TPanel(TComponent* owner);
  const char* ClassName() const override { return "TPanel"; }
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut v);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut v);
  void Paint() override;

 private:
  TBevelCut bevelOuter_ = bvRaised, bevelInner_ = bvNone;
};

enum TBevelShape : uint8_t { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };

class TBevel : public TGraphicControl {
 public:
  explicit TBevel(TComponent* owner);
  const char* ClassName() const override { return "TBevel"; }
  TBevelShape Shape = bsBox;
  TBevelCut Style = bvLowered;
  void Paint() override;
};

// A picture, at its size (or centred, or stretched), transparent where it
// has its transparent colour when Transparent is set.
class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* owner);
  ~TImage() override;
  const char* ClassName() const override { return "TImage"; }
  // The picture; changing it, call Invalidate.
  TBitmap& Picture();
  bool Stretch = false;
  bool Center = false;
  void Paint() override;

 private:
  std::unique_ptr<TBitmap> picture_;
};

// A bar between two aligned controls that the user drags to resize the
// control it is aligned against.
class TSplitter : public TGraphicControl {
 public:
  explicit TSplitter(TComponent* owner);
  const char* ClassName() const override { return "TSplitter"; }
  int MinSize = 30;
  TNotifyEvent OnMoved;
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  // The control the splitter resizes: the neighbour on its aligned side.
  TControl* ResizedControl() const;

 private:
  bool dragging_ = false;
  TPoint start_;
  int startSize_ = 0;
};

// A flat button without a window: with a GroupIndex it stays down, and one
// of its group is down at a time.
class TSpeedButton : public TGraphicControl {
 public:
  explicit TSpeedButton(TComponent* owner);
  ~TSpeedButton() override;
  const char* ClassName() const override { return "TSpeedButton"; }
  int GroupIndex = 0;
  bool AllowAllUp = false;
  bool Flat = false;
  bool Down() const { return down_; }
  void SetDown(bool v);
  // Drawn beside the caption, transparent in its bottom-left colour.
  TBitmap& Glyph();
  bool HasGlyph() const { return glyph_ != nullptr; }
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void Click() override;
  void MouseEnter() override;
  void MouseLeave() override;

 private:
  bool down_ = false, pressed_ = false;
  std::unique_ptr<TBitmap> glyph_;
};

// A box whose controls scroll when they do not fit: the scroll bars appear
// as needed and move every control (ScrollBy).
class TScrollBox : public TWinControl {
 public:
  explicit TScrollBox(TComponent* owner);
  const char* ClassName() const override { return "TScrollBox"; }
  int ClientWidth() const override;
  int ClientHeight() const override;
  // Moves every control by (dx, dy).
  void ScrollBy(int dx, int dy);
  int HorzPosition() const { return horz_; }
  int VertPosition() const { return vert_; }
  void SetPositions(int horz, int vert);
  // Recomputes the scroll ranges after controls moved or changed size.
  void UpdateScrollBars();
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;

 protected:
  void AlignControls(TRect& clientRect) override;

 private:
  struct TBars;
  std::shared_ptr<TBars> bars_;
  int horz_ = 0, vert_ = 0;
  bool scrolling_ = false;
};

}  // namespace qs

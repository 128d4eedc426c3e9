#pragma once
// A slider drawn entirely from pictures: a track of a first, a tiled
// centre and a last picture, and a button picture that moves along it.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/controls.h"

namespace qs {

class TBitmap;

enum TTrackOrientation : uint8_t { toHorizontal, toVertical };
// itsTrack: Position is a value of Min..Max; itsScroll: Position is the
// button's centre in pixels.
enum TImageTrackStyle : uint8_t { itsTrack, itsScroll };
// Draws on the finished picture of the control before it is shown.
using TOnPaintEvent = std::function<void(TObject* sender, TBitmap& bitmap)>;
using TTrackPicture = std::shared_ptr<TBitmap>;

// The program's own slider pictures: a sunken groove and a thumb strip
// of four frames (normal, hot, unused, disabled), 11 x 18 pixels each
// (18 x 11 for a vertical track), keyed by magenta corners.
struct TTrackPictures {
  TTrackPicture First, Center, Last, Button;
  int ButtonWidth = 0, ButtonHeight = 0;
};
TTrackPictures DrawTrackPictures(TTrackOrientation orientation);
// Gives a track the pictures and button size.
void ApplyTrackPictures(class TECImageTrack& track, const TTrackPictures& pictures);

class TECImageTrack : public TCustomControl {
 public:
  explicit TECImageTrack(TComponent* owner);
  ~TECImageTrack() override;
  const char* ClassName() const override { return "TECImageTrack"; }

  // Track pictures left to right (or top to bottom), drawn without their
  // transparent colour (set on the picture when it is given).
  const TTrackPicture& FirstTrackPicture() const { return first_; }
  void SetFirstTrackPicture(TTrackPicture v);
  const TTrackPicture& CenterTrackPicture() const { return center_; }
  void SetCenterTrackPicture(TTrackPicture v);
  const TTrackPicture& LastTrackPicture() const { return last_; }
  void SetLastTrackPicture(TTrackPicture v);
  // A strip of button frames, each ButtonWidth wide: normal, hot, (unused),
  // disabled.
  const TTrackPicture& ButtonPicture() const { return button_; }
  void SetButtonPicture(TTrackPicture v);

  TTrackOrientation Orientation() const { return orientation_; }
  void SetOrientation(TTrackOrientation v);
  int Position() const { return position_; }
  void SetPosition(int v);
  int Min() const { return min_; }
  void SetMin(int v);
  int Max() const { return max_; }
  void SetMax(int v);
  int ButtonWidth() const { return buttonWidth_; }
  void SetButtonWidth(int v);
  int ButtonHeight() const { return buttonHeight_; }
  void SetButtonHeight(int v);
  int LeftOffset() const { return leftOffset_; }
  void SetLeftOffset(int v);
  int RightOffset() const { return rightOffset_; }
  void SetRightOffset(int v);
  int TopOffset() const { return topOffset_; }
  void SetTopOffset(int v);
  int BottomOffset() const { return bottomOffset_; }
  void SetBottomOffset(int v);
  bool DrawProgress() const { return drawProgress_; }
  void SetDrawProgress(bool v) { drawProgress_ = v; }
  TImageTrackStyle Style() const { return style_; }
  void SetStyle(TImageTrackStyle v);

  TNotifyEvent OnChange;
  TOnPaintEvent OnPaint;

  // The button's rectangle in client coordinates (hit tests, repaints).
  TRect ButtonRect() const;
  // Whether the point is on an opaque pixel of the button.
  bool PointOnButton(int x, int y) const;
  // 0 normal, 1 hot.
  int ButtonState() const { return state_; }
  bool Dragging() const { return dragging_; }

  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  // Arrows step by one, Page Up and Down by a tenth of the range, Home and
  // End go to Min and Max (while the control has the focus).
  void KeyDown(uint16_t& key, TShiftState shift) override;

 private:
  int TrackLength() const;
  // The length the value range is spread over (at least 1).
  int RangeLength() const;
  int ScaledCenter() const;
  int ButtonCenter() const;
  int FrameIndex() const;
  int ValueAt(int p) const;
  void SetState(int state);
  void PictureChanged(TTrackPicture& slot, TTrackPicture v);

  TTrackPicture first_, center_, last_, button_;
  TTrackOrientation orientation_ = toHorizontal;
  TImageTrackStyle style_ = itsTrack;
  int position_ = 0, min_ = 0, max_ = 100;
  int buttonWidth_ = 0, buttonHeight_ = 0;
  int leftOffset_ = 0, rightOffset_ = 0, topOffset_ = 0, bottomOffset_ = 0;
  bool drawProgress_ = false;
  int state_ = 0;
  bool inside_ = false;
  bool dragging_ = false;
  TPoint lastPoint_;
  // The button centre minus the press point along the track.
  int grab_ = 0;
};

}  // namespace qs

#include "uikit/imagetrack.h"

#include <algorithm>
#include <functional>

#include "platform/bitmap.h"
#include "platform/keys.h"
#include "uikit/pictures.h"

namespace qs {

namespace {

constexpr TColor kKey = RGB(255, 0, 255);

// Pictures are drawn lying (horizontal track); a vertical track gets them
// turned, x for y.
std::shared_ptr<TBitmap> Picture(int w, int h, bool turned, const std::function<TColor(int x, int y)>& pixel) {
  auto b = std::make_shared<TBitmap>(turned ? h : w, turned ? w : h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (turned)
        b->SetPixel(y, x, pixel(x, y));
      else
        b->SetPixel(x, y, pixel(x, y));
    }
  return b;
}

}  // namespace

TTrackPictures DrawTrackPictures(TTrackOrientation orientation) {
  const bool turned = orientation == toVertical;
  const TColor shadow = ColorToRGB(clBtnShadow), light = ColorToRGB(clBtnHighlight);
  const TColor dark = ColorToRGB(cl3DDkShadow), face = ColorToRGB(clBtnFace);
  constexpr int kGroove = 8, kTop = 2, kBottom = 5;  // the groove's rows within 8
  // The groove: shadow above, dark inside, light below; the ends round off.
  auto groove = [&](int x, int y, int w, bool start, bool end) -> TColor {
    if (y < kTop || y > kBottom) return kKey;
    if ((start && x == 0) || (end && x == w - 1)) return y == kTop || y == kBottom ? kKey : shadow;
    if (y == kTop) return shadow;
    if (y == kBottom) return light;
    return dark;
  };
  TTrackPictures p;
  p.First = Picture(3, kGroove, turned, [&](int x, int y) { return groove(x, y, 3, true, false); });
  p.Center = Picture(8, kGroove, turned, [&](int x, int y) { return groove(x, y, 8, false, false); });
  p.Last = Picture(3, kGroove, turned, [&](int x, int y) { return groove(x, y, 3, false, true); });
  constexpr int kW = 11, kH = 18;
  p.Button = Picture(4 * kW, kH, turned, [&](int x, int y) -> TColor {
    const int frame = x / kW, fx = x % kW;
    const bool cornerX = fx == 0 || fx == kW - 1, cornerY = y == 0 || y == kH - 1;
    if (cornerX && cornerY) return kKey;  // rounded corners let the groove show
    const TColor body = frame == 1 ? light : frame == 3 ? face : RGB(200, 200, 196);
    if (cornerX || cornerY) return frame == 3 ? shadow : (fx == 0 || y == 0 ? light : dark);
    if (frame != 3 && (y == kH / 2 - 2 || y == kH / 2 + 1) && fx > 2 && fx < kW - 3) return shadow;  // grip lines
    return body;
  });
  p.ButtonWidth = turned ? kH : kW;
  p.ButtonHeight = turned ? kW : kH;
  return p;
}

void ApplyTrackPictures(TECImageTrack& track, const TTrackPictures& pictures) {
  track.SetFirstTrackPicture(pictures.First);
  track.SetCenterTrackPicture(pictures.Center);
  track.SetLastTrackPicture(pictures.Last);
  track.SetButtonPicture(pictures.Button);
  track.SetButtonWidth(pictures.ButtonWidth);
  track.SetButtonHeight(pictures.ButtonHeight);
}

TECImageTrack::TECImageTrack(TComponent* owner) : TCustomControl(owner) {
  color_ = clWindow;
  WantArrows = true;
  SetBounds(0, 0, 100, 20);
}

TECImageTrack::~TECImageTrack() = default;

void TECImageTrack::PictureChanged(TTrackPicture& slot, TTrackPicture v) {
  if (slot == v) return;
  slot = std::move(v);
  if (slot) slot->Transparent = true;
  Invalidate();
}

void TECImageTrack::SetFirstTrackPicture(TTrackPicture v) { PictureChanged(first_, std::move(v)); }
void TECImageTrack::SetCenterTrackPicture(TTrackPicture v) { PictureChanged(center_, std::move(v)); }
void TECImageTrack::SetLastTrackPicture(TTrackPicture v) { PictureChanged(last_, std::move(v)); }
void TECImageTrack::SetButtonPicture(TTrackPicture v) {
  if (button_ == v) return;
  button_ = std::move(v);  // frames are cut out of it, keyed by their own corner
  Invalidate();
}

void TECImageTrack::SetOrientation(TTrackOrientation v) {
  if (v == orientation_) return;
  orientation_ = v;
  Invalidate();
}

void TECImageTrack::SetStyle(TImageTrackStyle v) {
  if (v == style_) return;
  style_ = v;
  Invalidate();
}

#define QS_INT_SETTER(Name, field) \
  void TECImageTrack::Set##Name(int v) { \
    if (v == field) return;            \
    field = v;                         \
    Invalidate();                      \
  }
QS_INT_SETTER(ButtonWidth, buttonWidth_)
QS_INT_SETTER(ButtonHeight, buttonHeight_)
QS_INT_SETTER(LeftOffset, leftOffset_)
QS_INT_SETTER(RightOffset, rightOffset_)
QS_INT_SETTER(TopOffset, topOffset_)
QS_INT_SETTER(BottomOffset, bottomOffset_)
#undef QS_INT_SETTER

void TECImageTrack::SetMin(int v) {
  if (v == min_ || v > max_) return;
  min_ = v;
  SetPosition(std::clamp(position_, min_, max_));
  Invalidate();
}

void TECImageTrack::SetMax(int v) {
  if (v == max_ || v < min_) return;
  max_ = v;
  SetPosition(std::clamp(position_, min_, max_));
  Invalidate();
}

int TECImageTrack::TrackLength() const {
  return orientation_ == toHorizontal ? ClientWidth() : ClientHeight();
}

int TECImageTrack::RangeLength() const {
  // Offsets that take the whole track leave no room for values; one pixel
  // keeps the mapping defined (every point then maps to an end).
  return std::max(1, TrackLength() - leftOffset_ - rightOffset_);
}

int TECImageTrack::ScaledCenter() const {
  if (max_ == min_) return leftOffset_;
  return leftOffset_ + int(int64_t(RangeLength()) * (position_ - min_) / (max_ - min_));
}

int TECImageTrack::ButtonCenter() const {
  if (style_ == itsScroll) return position_;
  return ScaledCenter();
}

int TECImageTrack::ValueAt(int p) const {
  return int(int64_t(max_ - min_ + 1) * (p - leftOffset_) / RangeLength()) + min_;
}

TRect TECImageTrack::ButtonRect() const {
  const int c = ButtonCenter();
  const bool horz = orientation_ == toHorizontal;
  const int along = horz ? buttonWidth_ : buttonHeight_;
  const int a0 = c - along / 2 - 1, a1 = c + along / 2 + 1;
  int b0, b1;
  if (button_) {
    const int pic = horz ? button_->Height() : button_->Width();
    const int cross = horz ? ClientHeight() : ClientWidth();
    b0 = (cross - pic) / 2;
    b1 = b0 + pic;
  } else {
    b0 = topOffset_;
    b1 = (horz ? ClientHeight() : ClientWidth()) - bottomOffset_;
  }
  return horz ? TRect{a0, b0, a1, b1} : TRect{b0, a0, b1, a1};
}

// Frames lie side by side in the strip of a horizontal track and one
// under the other in the strip of a vertical one.
int TECImageTrack::FrameIndex() const {
  if (!button_) return 0;
  const bool horz = orientation_ == toHorizontal;
  const int frame = horz ? buttonWidth_ : buttonHeight_;
  const int strip = horz ? button_->Width() : button_->Height();
  if (!Enabled()) return frame > 0 && strip >= 4 * frame ? 3 : 0;
  if (state_ == 1 && strip > frame) return 1;
  return 0;
}

bool TECImageTrack::PointOnButton(int x, int y) const {
  const TRect r = ButtonRect();
  if (x < r.Left || x >= r.Right || y < r.Top || y >= r.Bottom) return false;
  if (!button_) return true;
  const bool horz = orientation_ == toHorizontal;
  const int c = ButtonCenter();
  const int k = FrameIndex();
  int fx, fy, fw, fh;
  if (horz) {
    fw = buttonWidth_, fh = button_->Height();
    fx = x - (c - fw / 2) + k * buttonWidth_;
    fy = y - (ClientHeight() - fh) / 2;
  } else {
    fw = button_->Width(), fh = buttonHeight_;
    fx = x - (ClientWidth() - fw) / 2;
    fy = y - (c - fh / 2) + k * buttonHeight_;
  }
  const int x0 = horz ? k * buttonWidth_ : 0, y0 = horz ? 0 : k * buttonHeight_;
  if (fx < x0 || fx >= x0 + fw || fy < y0 || fy >= y0 + fh) return false;
  // The frame's bottom-left pixel is its transparent colour.
  return button_->Pixel(fx, fy) != button_->Pixel(x0, y0 + fh - 1);
}

void TECImageTrack::SetPosition(int v) {
  if (v == position_) return;
  if (v >= max_ && position_ == max_) return;
  if (v <= min_ && position_ == min_) return;
  const TRect before = ButtonRect();
  position_ = std::clamp(v, min_, max_);
  const TRect after = ButtonRect();
  if (drawProgress_) {
    const bool horz = orientation_ == toHorizontal;
    const int b0 = horz ? before.Left : before.Top, a0 = horz ? after.Left : after.Top;
    if (b0 != a0) {
      TRect span = before;
      span.Left = std::min(before.Left, after.Left);
      span.Top = std::min(before.Top, after.Top);
      span.Right = std::max(before.Right, after.Right);
      span.Bottom = std::max(before.Bottom, after.Bottom);
      InvalidateRect(span, false);
    }
  } else {
    InvalidateRect(before, false);
    InvalidateRect(after, false);
  }
  Fire(OnChange, this);
}

void TECImageTrack::SetState(int state) {
  if (state == state_) return;
  state_ = state;
  InvalidateRect(ButtonRect(), false);
}

void TECImageTrack::Paint() {
  const int w = ClientWidth(), h = ClientHeight();
  TBitmap buffer(w, h);
  TCanvas& c = buffer.Canvas();
  c.Brush().Color = ColorToRGB(Color());
  c.Brush().Style = bsSolid;
  c.FillRect(ClientRect());
  const bool horz = orientation_ == toHorizontal;
  // Along the track: start and length of a picture; across: centred.
  auto along = [&](const TBitmap& b) { return horz ? b.Width() : b.Height(); };
  auto place = [&](const TBitmap& b, int a) {
    if (horz)
      c.Draw(a, (h - b.Height()) / 2, b);
    else
      c.Draw((w - b.Width()) / 2, a, b);
  };
  const int length = horz ? w : h;
  int a = 0;
  if (first_) {
    place(*first_, 0);
    a = along(*first_);
  }
  const int reserved = length - (last_ ? along(*last_) : 0);
  if (center_ && along(*center_) > 0)
    for (; a < reserved; a += along(*center_)) place(*center_, a);
  if (last_) place(*last_, reserved);

  if (button_ && buttonWidth_ > 0 && (horz || buttonHeight_ > 0)) {
    const int k = FrameIndex();
    std::unique_ptr<TBitmap> frame =
        horz ? CopyPicture(*button_, Bounds(k * buttonWidth_, 0, buttonWidth_, button_->Height()))
             : CopyPicture(*button_, Bounds(0, k * buttonHeight_, button_->Width(), buttonHeight_));
    frame->Transparent = true;
    frame->SetTransparentColor(frame->Pixel(0, frame->Height() - 1));
    const int center = max_ == min_ && style_ == itsTrack ? 0 : ButtonCenter();
    place(*frame, center - along(*frame) / 2);
  }
  Fire(OnPaint, this, std::ref(buffer));
  Canvas().Draw(0, 0, buffer);
}

void TECImageTrack::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  const int p = orientation_ == toHorizontal ? x : y;
  if (button == mbLeft && Enabled()) {
    if (TabStop() && CanFocus() && !Focused()) SetFocus();
    if (style_ == itsTrack) {
      SetPosition(ValueAt(p));
    } else {
      const int half = (orientation_ == toHorizontal ? buttonWidth_ : buttonHeight_) / 2;
      if (p < position_ - half)
        SetPosition(p + half - leftOffset_);
      else if (p > position_ + half)
        SetPosition(p - half - leftOffset_);
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
  if (button == mbLeft && Enabled() && PointOnButton(x, y)) {
    dragging_ = true;
    lastPoint_ = TPoint{x, y};
    grab_ = ButtonCenter() - p;
    SetState(1);
  }
}

void TECImageTrack::MouseMove(TShiftState shift, int x, int y) {
  if (Enabled()) {
    SetState(dragging_ || (inside_ && PointOnButton(x, y)) ? 1 : 0);
    const bool horz = orientation_ == toHorizontal;
    const int buttonAlong = horz ? buttonWidth_ : buttonHeight_;
    if (dragging_ && TrackLength() != buttonAlong) {
      const int p = horz ? x : y, lastP = horz ? lastPoint_.X : lastPoint_.Y;
      if (style_ == itsScroll)
        SetPosition(position_ + p - lastP);
      else if (p != lastP)
        // The point of the button that was grabbed stays under the pointer.
        SetPosition(ValueAt(p + grab_));
      lastPoint_ = TPoint{x, y};
    }
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TECImageTrack::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    dragging_ = false;
    SetState(PointOnButton(x, y) ? 1 : 0);
  }
  TCustomControl::MouseUp(button, shift, x, y);
}

void TECImageTrack::MouseEnter() {
  TCustomControl::MouseEnter();
  if (!Enabled()) return;
  // The window system follows an enter with a move, which sets the state.
  inside_ = true;
}

void TECImageTrack::MouseLeave() {
  TCustomControl::MouseLeave();
  inside_ = false;
  if (!dragging_) SetState(0);
}

void TECImageTrack::KeyDown(uint16_t& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  const int page = std::max(1, (max_ - min_) / 10);
  switch (key) {
    case VK_LEFT: case VK_UP: SetPosition(position_ - 1); break;
    case VK_RIGHT: case VK_DOWN: SetPosition(position_ + 1); break;
    case VK_PRIOR: SetPosition(position_ - page); break;
    case VK_NEXT: SetPosition(position_ + page); break;
    case VK_HOME: SetPosition(min_); break;
    case VK_END: SetPosition(max_); break;
    default: return;
  }
  key = 0;
}

}  // namespace qs

#include "uikit/scrolling.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/keys.h"
#include "platform/timers.h"
#include "uikit/frames.h"

namespace qs {

namespace {
// Smooth scrolling: milliseconds between steps, steps of a line and of a
// page.
constexpr uint32_t kSmoothDelay = 10;
constexpr int kLineSteps = 4, kPageSteps = 12;
constexpr int kMinThumb = 8;
}  // namespace

// ----------------------------------------------------------- TItemScrollBar

TItemScrollBar::TItemScrollBar(TECScrolling& control, TScrollBarKind kind) : control_(control), kind_(kind) {}

void TItemScrollBar::Assign(const TItemScrollBar& other) {
  SetVisible(other.visible_);
  SetRange(other.range_);
  SetPosition(other.position_);
  SetIncrement(other.increment_);
}

void TItemScrollBar::LookChanged() {
  if (bar_) bar_->Invalidate();
  control_.LayoutBars();
}

void TItemScrollBar::SetButtonSize(int v) {
  if (v == 0) v = kScrollBarMetric;
  if (v == buttonSize_) return;
  buttonSize_ = v;
  LookChanged();
}

void TItemScrollBar::SetColor(TColor v) {
  parentColor_ = false;
  if (v == color_) return;
  color_ = v;
  LookChanged();
}

void TItemScrollBar::SetParentColor(bool v) {
  if (v == parentColor_) return;
  parentColor_ = v;
  if (v) {
    color_ = clBtnHighlight;
    LookChanged();
  }
}

void TItemScrollBar::SetSmooth(bool v) {
  if (v == smooth_) return;
  smooth_ = v;
  control_.UpdateScrollBars();  // a smooth line is a tenth of the page
}

void TItemScrollBar::SetIncrement(int v) { increment_ = std::clamp(v, 1, 32767); }

void TItemScrollBar::SetMargin(int v) {
  v = std::clamp(v, 0, 65535);
  if (v == margin_) return;
  margin_ = v;
  control_.UpdateScrollRanges();
}

void TItemScrollBar::SetSize(int v) {
  if (v == 0) v = kScrollBarMetric;
  if (v == size_) return;
  size_ = v;
  LookChanged();
  control_.UpdateScrollBars();
}

void TItemScrollBar::SetStyle(TScrollBarStyle v) {
  if (v == style_) return;
  style_ = v;
  LookChanged();
}

void TItemScrollBar::SetThumbSize(int v) {
  if (v == thumbSize_ || v < 0) return;
  thumbSize_ = v;
  LookChanged();
}

void TItemScrollBar::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  control_.UpdateScrollBars();
}

void TItemScrollBar::SetRangeOnly(int v) {
  v = std::max(0, v);
  if (v == range_) return;
  range_ = v;
}

void TItemScrollBar::SetRange(int v) {
  control_.autoScroll_ = false;
  SetRangeOnly(v);
  control_.UpdateScrollBars();
}

bool TItemScrollBar::IsScrollBarVisible() const { return bar_ && bar_->Visible(); }

int TItemScrollBar::PlainExtent() const {
  return kind_ == sbHorizontal ? control_.ClientWidth() : control_.ClientHeight();
}

int TItemScrollBar::VisibleExtent(bool otherShown) const {
  const TItemScrollBar& other = kind_ == sbHorizontal ? control_.vert_ : control_.horz_;
  const int thickness = other.size_;
  const bool shown = other.IsScrollBarVisible();
  int e = PlainExtent();
  if (otherShown && !shown) e -= thickness;
  if (!otherShown && shown) e += thickness;
  return e;
}

void TItemScrollBar::Update(int extent) {
  limit_ = visible_ ? std::max(0, range_ - extent) : 0;
  const bool show = visible_ && limit_ >= 1;
  if (bar_) {
    bar_->SetParams(limit_ < 1 ? 0 : range_, extent + 1, position_);
    if (bar_->Visible() != show) {
      bar_->SetVisible(show);
      control_.LayoutBars();
    }
  }
  SetPosition(position_);
  pageIncrement_ = PlainExtent() * 9 / 10;
  if (smooth_) increment_ = std::max(1, pageIncrement_ / 10);
}

void TItemScrollBar::SetPosition(int v) {
  v = std::clamp(v, 0, limit_);
  if (v != position_) {
    const int delta = position_ - v;
    position_ = v;
    if (kind_ == sbHorizontal)
      control_.ScrollBy(delta, 0);
    else
      control_.ScrollBy(0, delta);
  }
  if (bar_ && bar_->BarPosition() != position_) bar_->SetParams(bar_->Max(), bar_->Page(), position_);
}

void TItemScrollBar::ScrollMessage(TScrollCode code, int pos) {
  if (!visible_) return;
  const bool line = code == scLineUp || code == scLineDown;
  const bool page = code == scPageUp || code == scPageDown;
  if (smooth_ && (line || page)) {
    const int total = line ? increment_ : pageIncrement_;
    const int steps = line ? kLineSteps : kPageSteps;
    const int sign = code == scLineUp || code == scPageUp ? -1 : 1;
    const int step = total / steps, rest = total % steps;
    uint64_t began = 0;
    for (int i = 0; i < steps; ++i) {
      if (i > 0)
        while (GetTickCount() - began < kSmoothDelay) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      began = GetTickCount();
      SetPosition(position_ + sign * step);
      control_.Update();
    }
    if (rest >= 1) SetPosition(position_ + sign * rest);
    return;
  }
  switch (code) {
    case scLineUp: SetPosition(position_ - increment_); break;
    case scLineDown: SetPosition(position_ + increment_); break;
    case scPageUp: SetPosition(position_ - PlainExtent()); break;
    case scPageDown: SetPosition(position_ + PlainExtent()); break;
    case scPosition: SetPosition(pos); break;
    case scTrack:
      if (tracking_) SetPosition(pos);
      break;
    case scTop: SetPosition(0); break;
    case scBottom: SetPosition(limit_); break;
    default: break;
  }
}

// --------------------------------------------------------- TECFlatScrollBar

TECFlatScrollBar::TECFlatScrollBar(TComponent* owner, TItemScrollBar& item) : TCustomControl(owner), item_(item) {
  SetVisible(false);
}

TECFlatScrollBar::~TECFlatScrollBar() = default;

void TECFlatScrollBar::Repeat() {
  if (repeat_->Interval() != RepeatDelay) repeat_->SetInterval(RepeatDelay);
  // A held track part stops once the thumb has reached the pointer.
  if (repeatCode_ == scPageUp && lastP_ >= ThumbStart()) return;
  if (repeatCode_ == scPageDown && lastP_ < ThumbStart() + ThumbLength()) return;
  item_.ScrollMessage(repeatCode_);
}

void TECFlatScrollBar::SetParams(int max, int page, int position) {
  if (max == max_ && page == page_ && position == position_) return;
  max_ = max, page_ = std::max(1, page), position_ = position;
  Invalidate();
}

int TECFlatScrollBar::Length() const { return item_.Kind() == sbHorizontal ? Width() : Height(); }

int TECFlatScrollBar::ArrowSize() const { return std::min(item_.ButtonSize(), Length() / 2); }

int TECFlatScrollBar::ThumbLength() const {
  const int track = std::max(0, Length() - 2 * ArrowSize());
  int t = item_.ThumbSize();
  if (t <= 0) t = std::max(kMinThumb, int(int64_t(track) * page_ / std::max(1, max_ + 1)));
  return std::min(t, track);
}

int TECFlatScrollBar::ThumbStart() const {
  const int track = std::max(0, Length() - 2 * ArrowSize());
  const int limit = std::max(1, max_ - page_ + 1);
  return ArrowSize() + int(int64_t(track - ThumbLength()) * std::clamp(position_, 0, limit) / limit);
}

int TECFlatScrollBar::PositionAt(int thumbStart) const {
  const int free = std::max(1, Length() - 2 * ArrowSize() - ThumbLength());
  const int limit = std::max(0, max_ - page_ + 1);
  return std::clamp(int((int64_t(thumbStart - ArrowSize()) * limit + free / 2) / free), 0, limit);
}

TECFlatScrollBar::THot TECFlatScrollBar::PartAt(int p) const {
  if (p < ArrowSize()) return hFirst;
  if (p >= Length() - ArrowSize()) return hSecond;
  if (p >= ThumbStart() && p < ThumbStart() + ThumbLength()) return hThumb;
  return hNone;
}

void TECFlatScrollBar::Paint() {
  TCanvas& c = Canvas();
  const bool horz = item_.Kind() == sbHorizontal;
  const int len = Length(), a = ArrowSize();
  auto span = [&](int from, int to) {
    return horz ? TRect{from, 0, to, Height()} : TRect{0, from, Width(), to};
  };
  c.Brush().Style = bsSolid;
  c.Brush().Color = ColorToRGB(item_.Color());
  c.FillRect(ClientRect());
  const TScrollBarStyle style = item_.Style();
  // Flat parts: the face with a thin shadow line; hot-track parts rise
  // under the mouse.
  auto part = [&](const TRect& r, THot which) {
    const bool pressed = pressed_ == which && which != hThumb;
    if (style == ssRegular || (style == ssHotTrack && hot_ == which)) {
      DrawButtonFrame(c, r, pressed);
    } else {
      c.Brush().Color = ColorToRGB(clBtnFace);
      c.FillRect(r);
      c.Pen() = TPen{ColorToRGB(clBtnShadow), 1, psSolid, pmCopy};
      c.Brush().Style = bsClear;
      c.Rectangle(r);
      c.Brush().Style = bsSolid;
    }
  };
  const TRect first = span(0, a), second = span(len - a, len);
  part(first, hFirst);
  part(second, hSecond);
  const TColor arrow = Enabled() ? clBtnText : clGrayText;
  DrawArrow(c, first, horz ? asLeft : asUp, arrow);
  DrawArrow(c, second, horz ? asRight : asDown, arrow);
  if (ThumbLength() > 0) part(span(ThumbStart(), ThumbStart() + ThumbLength()), hThumb);
}

void TECFlatScrollBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  const int p = Along(x, y);
  lastP_ = p;
  pressed_ = PartAt(p);
  if (pressed_ == hThumb) {
    dragging_ = true;
    grab_ = p - ThumbStart();
    dragPos_ = position_;
  } else {
    repeatCode_ = pressed_ == hFirst ? scLineUp : pressed_ == hSecond ? scLineDown
                                                : p < ThumbStart() ? scPageUp : scPageDown;
    item_.ScrollMessage(repeatCode_);
    repeat_ = std::make_unique<TTimer>(nullptr);
    repeat_->SetInterval(FirstDelay);
    repeat_->OnTimer = [this](TObject*) { Repeat(); };
  }
  Invalidate();
}

void TECFlatScrollBar::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  const int p = Along(x, y);
  lastP_ = p;
  if (dragging_) {
    dragPos_ = PositionAt(p - grab_);
    item_.ScrollMessage(scTrack, dragPos_);
    return;
  }
  const THot hot = PartAt(p);
  if (hot != hot_) {
    hot_ = hot;
    if (item_.Style() == ssHotTrack) Invalidate();
  }
}

void TECFlatScrollBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  repeat_.reset();
  if (dragging_) {
    dragging_ = false;
    item_.ScrollMessage(scPosition, PositionAt(Along(x, y) - grab_));
  }
  pressed_ = hNone;
  Invalidate();
}

void TECFlatScrollBar::MouseLeave() {
  TCustomControl::MouseLeave();
  hot_ = hNone;
  if (item_.Style() == ssHotTrack) Invalidate();
}

// ------------------------------------------------------------- TECScrolling

TECScrolling::TECScrolling(TComponent* owner)
    : TCustomControl(owner), horz_(*this, sbHorizontal), vert_(*this, sbVertical) {
  horz_.bar_ = new TECFlatScrollBar(this, horz_);
  horz_.bar_->SetParent(this);
  vert_.bar_ = new TECFlatScrollBar(this, vert_);
  vert_.bar_->SetParent(this);
}

TECScrolling::~TECScrolling() { BeginDestroy(); }

bool TECScrolling::IsBar(const TControl* c) const { return c == horz_.bar_ || c == vert_.bar_; }

int TECScrolling::ClientWidth() const {
  return Width() - 2 * FrameWidth() - (vert_.IsScrollBarVisible() ? vert_.size_ : 0);
}

int TECScrolling::ClientHeight() const {
  return Height() - 2 * FrameWidth() - (horz_.IsScrollBarVisible() ? horz_.size_ : 0);
}

void TECScrolling::LayoutBars() {
  if (!horz_.bar_ || !vert_.bar_) return;
  const bool h = horz_.IsScrollBarVisible(), v = vert_.IsScrollBarVisible();
  const int f = FrameWidth(), w = Width() - 2 * f, ht = Height() - 2 * f;
  horz_.bar_->SetBounds(f, f + ht - horz_.size_, w - (v ? vert_.size_ : 0), horz_.size_);
  vert_.bar_->SetBounds(f + w - vert_.size_, f, vert_.size_, ht - (h ? horz_.size_ : 0));
  horz_.bar_->BringToFront();
  vert_.bar_->BringToFront();
}

void TECScrolling::SetAutoScroll(bool v) {
  if (v == autoScroll_) return;
  autoScroll_ = v;
  if (v) {
    UpdateScrollRanges();
  } else {
    horz_.SetRangeOnly(0);
    vert_.SetRangeOnly(0);
    UpdateScrollBars();
  }
}

void TECScrolling::UpdateScrollRanges() {
  if (autoScroll_) {
    for (TItemScrollBar* bar : {&horz_, &vert_}) {
      const bool h = bar->kind_ == sbHorizontal;
      int extent = 0, aligned = 0;
      // Children stand in the control's coordinates; the range counts from
      // the client area's start inside the frame.
      const int f = FrameWidth();
      if (CanAutoScroll()) {
        for (int i = 0; i < ControlCount(); ++i) {
          const TControl* c = Controls(i);
          if (IsBar(c) || !c->Visible()) continue;
          const TAlign a = c->Align();
          if (a == alNone || a == (h ? alLeft : alTop))
            extent = std::max(extent, bar->position_ - f + (h ? c->Left() + c->Width() : c->Top() + c->Height()));
          else if (a == (h ? alRight : alBottom))
            aligned += h ? c->Width() : c->Height();
        }
      }
      bar->SetRangeOnly(extent + aligned + bar->margin_);
    }
  }
  UpdateScrollBars();
}

void TECScrolling::UpdateScrollBars() {
  if (updating_ || !horz_.bar_ || !vert_.bar_ || Destroying()) return;
  updating_ = true;
  if (vert_.range_ > vert_.VisibleExtent(false)) {
    horz_.Update(horz_.VisibleExtent(true));
    vert_.Update(vert_.PlainExtent());
  } else {
    const bool horzNeeded = horz_.range_ > horz_.VisibleExtent(false);
    vert_.Update(vert_.VisibleExtent(horzNeeded));
    horz_.Update(horz_.PlainExtent());
  }
  LayoutBars();
  updating_ = false;
}

void TECScrolling::ScrollBy(int dx, int dy) {
  if (dx == 0 && dy == 0) return;
  aligning_ = true;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!IsBar(c)) c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
  }
  aligning_ = false;
  Invalidate();
}

void TECScrolling::AlignControls(TRect& clientRect) {
  if (aligning_) return;
  aligning_ = true;
  UpdateScrollRanges();
  // Aligned children fill the whole scrolled area.
  TRect r{FrameWidth() - horz_.position_, FrameWidth() - vert_.position_, 0, 0};
  r.Right = r.Left + std::max(horz_.range_, ClientWidth());
  r.Bottom = r.Top + std::max(vert_.range_, ClientHeight());
  TCustomControl::AlignControls(r);
  clientRect = r;
  aligning_ = false;
  UpdateScrollBars();
}

void TECScrolling::ControlListChanged(TControl* child, bool inserted) {
  TCustomControl::ControlListChanged(child, inserted);
  if (IsBar(child) || Destroying() || !horz_.bar_ || !vert_.bar_) return;
  Realign();
}

bool TECScrolling::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  if (TCustomControl::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
  // A notch scrolls three lines, the vertical bar first.
  TItemScrollBar& bar = vert_.IsScrollBarVisible() || !horz_.IsScrollBarVisible() ? vert_ : horz_;
  if (!bar.IsScrollBarVisible()) return false;
  const int lines = std::max(1, 3 * std::abs(wheelDelta) / WHEEL_DELTA);
  for (int i = 0; i < lines; ++i) bar.ScrollMessage(wheelDelta > 0 ? scLineUp : scLineDown);
  return true;
}

// ------------------------------------------------------ TECScrollWinControl

TECScrollWinControl::TECScrollWinControl(TComponent* owner) : TECScrolling(owner) {
  SetParentColor(true);
  SetBounds(0, 0, 185, 41);
}

void TECScrollWinControl::SetBorderStyle(TFormBorderStyle v) {
  if (v == borderStyle_ || (v != bsNone && v != bsSingle)) return;
  borderStyle_ = v;
  UpdateScrollBars();
  Realign();
  Invalidate();
}

void TECScrollWinControl::Paint() {
  TCanvas& c = Canvas();
  c.Brush().Style = bsSolid;
  c.Brush().Color = ColorToRGB(Color());
  c.FillRect(ClientRect());
  if (borderStyle_ == bsSingle) DrawEdge(c, TRect{0, 0, Width(), Height()}, TEdgeKind::Sunken);
  TCustomControl::Paint();
}

}  // namespace qs

#include "uikit/scrollpanel.h"

#include <algorithm>

#include "platform/bitmap.h"
#include "platform/forms.h"
#include "platform/timers.h"
#include "uikit/frames.h"
#include "uikit/pictures.h"

namespace qs {

// ---------------------------------------------------------- TECScrollPanel

TECScrollPanel::TECScrollPanel(TComponent* owner) : TPanel(owner) { SetBounds(0, 0, 100, 100); }

TECScrollPanel::~TECScrollPanel() { BeginDestroy(); }

bool TECScrollPanel::IsArrow(const TControl* c) const {
  return std::find(buttons_.begin(), buttons_.end(), c) != buttons_.end();
}

void TECScrollPanel::Relayout(bool& field, bool v) {
  if (v == field) return;
  field = v;
  UpdateScrollButtons();
}

void TECScrollPanel::SetHorzScroll(bool v) { Relayout(horzScroll_, v); }
void TECScrollPanel::SetVertScroll(bool v) { Relayout(vertScroll_, v); }

void TECScrollPanel::SetButtonOffset(int v) {
  if (v == buttonOffset_) return;
  buttonOffset_ = v;
  UpdateScrollButtons();
}

void TECScrollPanel::SetButtonSize(int v) {
  if (v == buttonSize_) return;
  buttonSize_ = v;
  UpdateScrollButtons();
}

void TECScrollPanel::SetRightBottomSpace(int v) {
  if (v == rightBottomSpace_) return;
  rightBottomSpace_ = v;
  UpdateScrollButtons();
}

void TECScrollPanel::SetBlackBorder(bool v) {
  if (v == blackBorder_) return;
  blackBorder_ = v;
  UpdateScrollButtons();
}

void TECScrollPanel::SetBorderColor(TColor v) {
  if (v == borderColor_) return;
  borderColor_ = v;
  UpdateScrollButtons();
}

void TECScrollPanel::SetStep(int v) {
  if (v > 0) step_ = v;
}

void TECScrollPanel::SetBevelWidth(int v) {
  if (v == bevelWidth_ || v < 1) return;
  bevelWidth_ = v;
  Invalidate();
}

void TECScrollPanel::SetBorderWidth(int v) {
  if (v == borderWidth_ || v < 0) return;
  borderWidth_ = v;
  Invalidate();
}

void TECScrollPanel::SetWallPaper(const TBitmap* picture) {
  if (!picture || picture->Width() == 0 || picture->Height() == 0) {
    if (!wallPaper_) return;
    wallPaper_.reset();
  } else {
    wallPaper_ = CopyPicture(*picture, Bounds(0, 0, picture->Width(), picture->Height()));  // drawn whole
  }
  Invalidate();
}

void TECScrollPanel::Extent(int& minLeft, int& minTop, int& maxRight, int& maxBottom) const {
  minLeft = 0, minTop = 0, maxRight = ClientWidth(), maxBottom = ClientHeight();
  for (int i = 0; i < ControlCount(); ++i) {
    const TControl* c = Controls(i);
    if (IsArrow(c)) continue;
    minLeft = std::min(minLeft, c->Left());
    minTop = std::min(minTop, c->Top());
    maxRight = std::max(maxRight, c->Left() + c->Width() + rightBottomSpace_);
    maxBottom = std::max(maxBottom, c->Top() + c->Height() + rightBottomSpace_);
  }
}

TECButtonScroll* TECScrollPanel::Button(int direction) {
  TECButtonScroll*& b = buttons_[size_t(direction)];
  if (!b) {
    const int size = buttonSize_ ? buttonSize_ : 14;
    b = new TECButtonScroll(this);
    b->SetDirection(direction);
    b->SetBounds(0, 0, size, size);
    b->ClickAction = [this, direction](TObject*) {
      switch (direction) {
        case 0: ScrollContent(step_, 0); break;
        case 1: ScrollContent(0, step_); break;
        case 2: ScrollContent(-step_, 0); break;
        default: ScrollContent(0, -step_); break;
      }
    };
    b->SetParent(this);
  }
  b->RepeatInterval = TimeOut;
  return b;
}

void TECScrollPanel::UpdateScrollButtons() {
  if (Destroying() || layingOut_) return;
  int minLeft, minTop, maxRight, maxBottom;
  Extent(minLeft, minTop, maxRight, maxBottom);
  layingOut_ = true;
  ++layoutCount_;
  const int b = buttonOffset_ ? buttonOffset_ : 6;
  const int w = ClientWidth(), h = ClientHeight();
  const bool need[4] = {horzScroll_ && (minLeft < 0 || offsetX_ > 0), vertScroll_ && (minTop < 0 || offsetY_ > 0),
                        horzScroll_ && maxRight > w, vertScroll_ && maxBottom > h};
  for (int d = 0; d < 4; ++d) {
    if (!need[d]) {
      if (buttons_[size_t(d)]) buttons_[size_t(d)]->SetVisible(false);
      continue;
    }
    TECButtonScroll* btn = Button(d);
    int x = w - btn->Width() - b, y = h - btn->Height() - b;
    if (d == 0) x = b;
    if (d == 1) y = b;
    // The right button would lie under the down button in the corner:
    // it moves left beside it.
    if (d == 2 && need[3]) x -= Button(3)->Width() + 1;
    btn->SetBounds(x, y, btn->Width(), btn->Height());
    btn->BringToFront();
    btn->SetVisible(true);
  }
  layingOut_ = false;
  Invalidate();
}

void TECScrollPanel::ScrollContent(int dx, int dy) {
  const int w = ClientWidth(), h = ClientHeight();
  if (dx < 0 || dy < 0) {
    int minLeft, minTop, maxRight, maxBottom;
    Extent(minLeft, minTop, maxRight, maxBottom);
    // A move toward the end stops at the smallest whole number of steps
    // that brings the content's end inside.
    auto cut = [this](int d, int room) {
      if (d < 0 && d < room) {
        d = (room / step_) * step_;
        if (room % step_ != 0) d -= step_;
      }
      return d;
    };
    dx = cut(dx, w - maxRight);
    dy = cut(dy, h - maxBottom);
  }
  // A move toward the start never goes past where the content was laid out.
  if (offsetX_ - dx < 0) {
    dx = offsetX_;
    offsetX_ = 0;
  } else {
    offsetX_ -= dx;
  }
  if (offsetY_ - dy < 0) {
    dy = offsetY_;
    offsetY_ = 0;
  } else {
    offsetY_ -= dy;
  }
  if (dx == 0 && dy == 0) return;
  layingOut_ = true;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!IsArrow(c)) c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
  }
  layingOut_ = false;
  UpdateScrollButtons();
}

void TECScrollPanel::AlignControls(TRect& clientRect) {
  TPanel::AlignControls(clientRect);
  UpdateScrollButtons();
}

void TECScrollPanel::ControlListChanged(TControl* child, bool inserted) {
  TPanel::ControlListChanged(child, inserted);
  if (layingOut_ || IsArrow(child) || Destroying()) return;
  UpdateScrollButtons();
}

void TECScrollPanel::Resize() {
  TPanel::Resize();
  UpdateScrollButtons();
}

void TECScrollPanel::Paint() {
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  auto shrink = [&r](int n) { r = Rect(r.Left + n, r.Top + n, r.Right - n, r.Bottom - n); };
  if (blackBorder_) {
    c.Pen() = TPen{ColorToRGB(borderColor_), 1, psSolid, pmCopy};
    c.Brush().Style = bsClear;
    c.Rectangle(r);
    shrink(1);
  } else {
    auto bevel = [&](TBevelCut cut) {
      if (cut == bvNone) return;
      for (int i = 0; i < bevelWidth_; ++i) {
        Frame3D(c, r, cut);
        shrink(1);
      }
    };
    bevel(BevelOuter());
    if (borderWidth_ > 0) {
      c.Brush().Style = bsSolid;
      c.Brush().Color = ColorToRGB(Color());
      const TRect outer = r;
      shrink(borderWidth_);
      c.FillRect(TRect{outer.Left, outer.Top, outer.Right, r.Top});
      c.FillRect(TRect{outer.Left, r.Bottom, outer.Right, outer.Bottom});
      c.FillRect(TRect{outer.Left, r.Top, r.Left, r.Bottom});
      c.FillRect(TRect{r.Right, r.Top, outer.Right, r.Bottom});
    }
    bevel(BevelInner());
  }
  c.Brush().Style = bsSolid;
  if (wallPaper_) {
    // Zero-sized pictures are never stored, so the tiling ends.
    for (int y = 0; y < r.Bottom; y += wallPaper_->Height())
      for (int x = 0; x < r.Right; x += wallPaper_->Width()) c.Draw(x, y, *wallPaper_);
  } else {
    c.Brush().Color = ColorToRGB(Color());
    c.FillRect(r);
  }
  Fire(OnPaint, this);
}

void TECScrollPanel::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TPanel::MouseDown(button, shift, x, y);
  dragging_ = true;
  last_ = TPoint{x, y};
}

void TECScrollPanel::MouseMove(TShiftState shift, int x, int y) {
  TPanel::MouseMove(shift, x, y);
  if (!dragging_) return;
  Screen().SetCursor(crHandPoint);
  ScrollContent(x - last_.X, y - last_.Y);
  last_ = TPoint{x, y};
  SetMouseCapture(true);
}

void TECScrollPanel::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TPanel::MouseUp(button, shift, x, y);
  if (dragging_) SetMouseCapture(false);
  Screen().SetCursor(crDefault);
  dragging_ = false;
}

}  // namespace qs

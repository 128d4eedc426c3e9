#include "platform/extctrls.h"

#include <QScrollBar>

#include <algorithm>

#include "platform/bitmap.h"
#include "platform/qtcontrols.h"

namespace qs {

void Frame3D(TCanvas& canvas, const TRect& r, TBevelCut cut) {
  if (cut == bvNone || r.IsEmpty()) return;
  const TColor light = ColorToRGB(clBtnHighlight), dark = ColorToRGB(clBtnShadow);
  const TColor topLeft = cut == bvRaised ? light : dark, bottomRight = cut == bvRaised ? dark : light;
  const TPen saved = canvas.Pen();
  canvas.Pen() = TPen{topLeft, 1, psSolid, pmCopy};
  canvas.MoveTo(r.Left, r.Bottom - 1);
  canvas.LineTo(r.Left, r.Top);
  canvas.LineTo(r.Right - 1, r.Top);
  canvas.Pen().Color = bottomRight;
  canvas.LineTo(r.Right - 1, r.Bottom - 1);
  canvas.LineTo(r.Left, r.Bottom - 1);
  canvas.Pen() = saved;
}

// ------------------------------------------------------------------ TPanel

TPanel::TPanel(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 185, 41); }

void TPanel::SetBevelOuter(TBevelCut v) {
  bevelOuter_ = v;
  Invalidate();
}
void TPanel::SetBevelInner(TBevelCut v) {
  bevelInner_ = v;
  Invalidate();
}

void TPanel::Paint() {
  TCanvas& c = Canvas();
  TRect r = ClientRect();
  Frame3D(c, r, bevelOuter_);
  r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  Frame3D(c, r, bevelInner_);
  TCustomControl::Paint();
  if (caption_.empty()) return;
  c.Font() = Font();
  c.Brush().Style = bsClear;
  const int w = c.TextWidth(std::string_view(caption_));
  const int h = c.TextHeight(std::string_view(caption_));
  c.TextOut((Width() - w) / 2, (Height() - h) / 2, std::string_view(caption_));
  c.Brush().Style = bsSolid;
}

// ------------------------------------------------------------------ TBevel

TBevel::TBevel(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 50, 50); }

void TBevel::Paint() {
  TCanvas& c = Canvas();
  const TRect r = ClientRect();
  const TBevelCut other = Style == bvLowered ? bvRaised : bvLowered;
  switch (Shape) {
    case bsBox: Frame3D(c, r, Style); break;
    case bsFrame:
      Frame3D(c, r, Style);
      Frame3D(c, Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1), other);
      break;
    case bsTopLine: Frame3D(c, Rect(r.Left, r.Top, r.Right, r.Top + 2), Style); break;
    case bsBottomLine: Frame3D(c, Rect(r.Left, r.Bottom - 2, r.Right, r.Bottom), Style); break;
    case bsLeftLine: Frame3D(c, Rect(r.Left, r.Top, r.Left + 2, r.Bottom), Style); break;
    case bsRightLine: Frame3D(c, Rect(r.Right - 2, r.Top, r.Right, r.Bottom), Style); break;
    default: break;
  }
}

// ------------------------------------------------------------------ TImage

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(std::make_unique<TBitmap>()) {
  SetBounds(0, 0, 105, 105);
}
TImage::~TImage() { BeginDestroy(); }
TBitmap& TImage::Picture() { return *picture_; }

void TImage::Paint() {
  TCanvas& c = Canvas();
  if (picture_->Width() == 0 || picture_->Height() == 0) return;
  if (Stretch) {
    c.StretchDraw(ClientRect(), *picture_);
  } else {
    const int x = Center ? (Width() - picture_->Width()) / 2 : 0;
    const int y = Center ? (Height() - picture_->Height()) / 2 : 0;
    c.Draw(x, y, *picture_);
  }
  TGraphicControl::Paint();
}

// --------------------------------------------------------------- TSplitter

TSplitter::TSplitter(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 3, 100);
  SetAlign(alLeft);
  SetCursor(crHSplit);
}

void TSplitter::Paint() {
  Canvas().Brush().Color = ColorToRGB(Color());
  Canvas().FillRect(ClientRect());
}

TControl* TSplitter::ResizedControl() const {
  if (!parent_) return nullptr;
  // The visible control with the same alignment that touches the splitter
  // on the side it is aligned to.
  for (int i = 0; i < parent_->ControlCount(); ++i) {
    TControl* c = parent_->Controls(i);
    if (c == this || !c->Visible() || c->Align() != align_) continue;
    const TRect b = c->BoundsRect();
    switch (align_) {
      case alLeft: if (b.Right == Left()) return c; break;
      case alRight: if (b.Left == bounds_.Right) return c; break;
      case alTop: if (b.Bottom == Top()) return c; break;
      case alBottom: if (b.Top == bounds_.Bottom) return c; break;
      default: break;
    }
  }
  return nullptr;
}

void TSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  TControl* c = ResizedControl();
  if (button != mbLeft || !c) return;
  dragging_ = true;
  start_ = ClientToScreen({x, y});
  startSize_ = align_ == alLeft || align_ == alRight ? c->Width() : c->Height();
}

void TSplitter::MouseMove(TShiftState shift, int x, int y) {
  TGraphicControl::MouseMove(shift, x, y);
  TControl* c = dragging_ ? ResizedControl() : nullptr;
  if (!c) return;
  const TPoint p = ClientToScreen({x, y});
  const int dx = p.X - start_.X, dy = p.Y - start_.Y;
  const int limitW = parent_->ClientWidth() - MinSize, limitH = parent_->ClientHeight() - MinSize;
  switch (align_) {
    case alLeft: c->SetWidth(std::clamp(startSize_ + dx, MinSize, std::max(MinSize, limitW))); break;
    case alRight: c->SetWidth(std::clamp(startSize_ - dx, MinSize, std::max(MinSize, limitW))); break;
    case alTop: c->SetHeight(std::clamp(startSize_ + dy, MinSize, std::max(MinSize, limitH))); break;
    case alBottom: c->SetHeight(std::clamp(startSize_ - dy, MinSize, std::max(MinSize, limitH))); break;
    default: break;
  }
  // The splitter stays beside the control it resizes.
  parent_->Realign();
}

void TSplitter::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseUp(button, shift, x, y);
  if (!dragging_) return;
  dragging_ = false;
  Fire(OnMoved, this);
}

// ------------------------------------------------------------ TSpeedButton

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 23, 22); }
TSpeedButton::~TSpeedButton() { BeginDestroy(); }

TBitmap& TSpeedButton::Glyph() {
  if (!glyph_) {
    glyph_ = std::make_unique<TBitmap>();
    glyph_->Transparent = true;
  }
  return *glyph_;
}

void TSpeedButton::SetDown(bool v) {
  if (v == down_) return;
  if (GroupIndex == 0) v = false;
  if (!v && down_ && !AllowAllUp) {
    // The last button down of a group stays down unless all may be up.
    bool other = false;
    if (parent_)
      for (int i = 0; i < parent_->ControlCount(); ++i) {
        auto* b = dynamic_cast<TSpeedButton*>(parent_->Controls(i));
        if (b && b != this && b->GroupIndex == GroupIndex && b->down_) other = true;
      }
    if (!other) return;
  }
  down_ = v;
  if (v && parent_)
    for (int i = 0; i < parent_->ControlCount(); ++i) {
      auto* b = dynamic_cast<TSpeedButton*>(parent_->Controls(i));
      if (b && b != this && b->GroupIndex == GroupIndex && b->down_) {
        b->down_ = false;
        b->Invalidate();
      }
    }
  Invalidate();
}

void TSpeedButton::Paint() {
  TCanvas& c = Canvas();
  const bool sunk = down_ || pressed_;
  c.Brush().Color = ColorToRGB(clBtnFace);
  c.FillRect(ClientRect());
  if (!Flat || sunk || MouseInside()) Frame3D(c, ClientRect(), sunk ? bvLowered : bvRaised);
  const int shift = sunk ? 1 : 0;
  int textLeft = 0;
  if (glyph_ && glyph_->Width() > 0) {
    const int gx = caption_.empty() ? (Width() - glyph_->Width()) / 2 : 4;
    c.Draw(gx + shift, (Height() - glyph_->Height()) / 2 + shift, *glyph_);
    textLeft = gx + glyph_->Width() + 4;
  }
  if (!caption_.empty()) {
    c.Font() = Font();
    if (!Enabled()) c.Font().Color = ColorToRGB(clGrayText);
    c.Brush().Style = bsClear;
    const int w = c.TextWidth(std::string_view(caption_));
    const int x = textLeft ? textLeft : (Width() - w) / 2;
    c.TextOut(x + shift, (Height() - c.TextHeight(std::string_view(caption_))) / 2 + shift, std::string_view(caption_));
    c.Brush().Style = bsSolid;
  }
  TGraphicControl::Paint();
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || !Enabled()) return;
  pressed_ = true;
  Invalidate();
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseUp(button, shift, x, y);
  if (!pressed_) return;
  pressed_ = false;
  Invalidate();
}

void TSpeedButton::Click() {
  if (GroupIndex != 0) SetDown(!down_ || !AllowAllUp ? true : false);
  TGraphicControl::Click();
}

void TSpeedButton::MouseEnter() {
  TGraphicControl::MouseEnter();
  if (Flat) Invalidate();
}

void TSpeedButton::MouseLeave() {
  TGraphicControl::MouseLeave();
  if (Flat) Invalidate();
}

// -------------------------------------------------------------- TScrollBox

struct TScrollBox::TBars {
  QScrollBar* Horz = nullptr;
  QScrollBar* Vert = nullptr;
};

TScrollBox::TScrollBox(TComponent* owner) : TWinControl(owner), bars_(std::make_shared<TBars>()) {
  color_ = clBtnFace;
  bars_->Horz = new QScrollBar(Qt::Horizontal, Impl().Widget.data());
  bars_->Vert = new QScrollBar(Qt::Vertical, Impl().Widget.data());
  bars_->Horz->hide();
  bars_->Vert->hide();
  QObject::connect(bars_->Horz, &QScrollBar::valueChanged, [this](int v) { SetPositions(v, vert_); });
  QObject::connect(bars_->Vert, &QScrollBar::valueChanged, [this](int v) { SetPositions(horz_, v); });
  SetBounds(0, 0, 185, 41);
}

int TScrollBox::ClientWidth() const {
  return Width() - (bars_ && bars_->Vert->isVisibleTo(Impl().Widget.data()) ? bars_->Vert->sizeHint().width() : 0);
}
int TScrollBox::ClientHeight() const {
  return Height() - (bars_ && bars_->Horz->isVisibleTo(Impl().Widget.data()) ? bars_->Horz->sizeHint().height() : 0);
}

void TScrollBox::ScrollBy(int dx, int dy) {
  if (dx == 0 && dy == 0) return;
  scrolling_ = true;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    c->SetBounds(c->Left() + dx, c->Top() + dy, c->Width(), c->Height());
  }
  scrolling_ = false;
  Invalidate();
}

void TScrollBox::SetPositions(int horz, int vert) {
  horz = std::clamp(horz, 0, bars_->Horz->maximum());
  vert = std::clamp(vert, 0, bars_->Vert->maximum());
  const int dx = horz_ - horz, dy = vert_ - vert;
  horz_ = horz;
  vert_ = vert;
  ScrollBy(dx, dy);
  const QSignalBlocker bh(bars_->Horz), bv(bars_->Vert);
  bars_->Horz->setValue(horz_);
  bars_->Vert->setValue(vert_);
}

void TScrollBox::UpdateScrollBars() {
  if (!bars_ || scrolling_) return;
  // The extent of the controls where they would be unscrolled.
  int right = 0, bottom = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible() || c->Align() != alNone) continue;
    right = std::max(right, c->BoundsRect().Right + horz_);
    bottom = std::max(bottom, c->BoundsRect().Bottom + vert_);
  }
  QScrollBar* h = bars_->Horz;
  QScrollBar* v = bars_->Vert;
  const int barW = v->sizeHint().width(), barH = h->sizeHint().height();
  bool needV = bottom > Height(), needH = right > Width();
  if (needV && right > Width() - barW) needH = true;
  if (needH && bottom > Height() - barH) needV = true;
  v->setVisible(needV);
  h->setVisible(needH);
  const int cw = ClientWidth(), ch = ClientHeight();
  h->setGeometry(0, Height() - barH, cw, barH);
  v->setGeometry(Width() - barW, 0, barW, ch);
  h->setRange(0, std::max(0, right - cw));
  h->setPageStep(std::max(1, cw));
  v->setRange(0, std::max(0, bottom - ch));
  v->setPageStep(std::max(1, ch));
  SetPositions(std::min(horz_, h->maximum()), std::min(vert_, v->maximum()));
}

void TScrollBox::AlignControls(TRect& clientRect) {
  TWinControl::AlignControls(clientRect);
  UpdateScrollBars();
}

bool TScrollBox::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  if (TWinControl::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
  if (!bars_->Vert->isVisibleTo(Impl().Widget.data())) return false;
  SetPositions(horz_, vert_ - wheelDelta * 60 / WHEEL_DELTA);
  return true;
}

}  // namespace qs

#include "uikit/skin.h"

#include <algorithm>

#include "base/text.h"
#include "platform/bitmap.h"

namespace qs {

namespace {

// Sizing from the top edge: the caption's top rows.
constexpr int kTopGrip = 4;
// How far along an edge from a corner the pointer sizes both edges.
constexpr int kCornerGrip = 16;
// A window's own icon in the caption.
constexpr int kIconSize = 16;

// Tiles a picture over [left, right) x [top, bottom), cut at the edges.
void Tile(TCanvas& canvas, const TSkinPicture& p, int left, int top, int right, int bottom) {
  const int w = PictureWidth(p), h = PictureHeight(p);
  if (w <= 0 || h <= 0 || right <= left || bottom <= top) return;
  canvas.SaveDC();
  canvas.IntersectClipRect(TRect{left, top, right, bottom});
  for (int y = top; y < bottom; y += h)
    for (int x = left; x < right; x += w) canvas.Draw(x, y, *p);
  canvas.RestoreDC(-1);
}

// The picture of an inactive window where there is one, else the active one.
const TSkinPicture& Pick(bool active, const TSkinPicture& on, const TSkinPicture& off) {
  return !active && off ? off : on;
}

}  // namespace

int PictureWidth(const TSkinPicture& p) { return p ? p->Width() : 0; }
int PictureHeight(const TSkinPicture& p) { return p ? p->Height() : 0; }

// ----------------------------------------------------------------- settings

TECFormCaption::TECFormCaption() {
  Font.Name = "Times new roman";
  Font.Style = fsBold;
  Font.Color = clCaptionText;
}

void TECFormCaption::Assign(const TECFormCaption& s) {
  if (&s == this) return;
  Height = s.Height;
  TextLeft = s.TextLeft;
  TextRight = s.TextRight;
  Icon = s.Icon;
  IconVisible = s.IconVisible;
  IconLeft = s.IconLeft;
  IconTop = s.IconTop;
  Color = s.Color;
  Font = s.Font;
  ActiveLeftPicture = s.ActiveLeftPicture;
  DeactiveLeftPicture = s.DeactiveLeftPicture;
  ActiveCenterPicture = s.ActiveCenterPicture;
  DeactiveCenterPicture = s.DeactiveCenterPicture;
  ActiveRightPicture = s.ActiveRightPicture;
  DeactiveRightPicture = s.DeactiveRightPicture;
  ActiveMinRightPicture = s.ActiveMinRightPicture;
  DeactiveMinRightPicture = s.DeactiveMinRightPicture;
}

void TECFormBorder::Assign(const TECFormBorder& s) {
  if (&s == this) return;
  *this = s;
}

TECFormButtons::TECFormButtons() : TCollection([] { return std::make_unique<TECFormButton>(); }) {}

// ----------------------------------------------------------------- designer

TECFormDesigner::TECFormDesigner(TComponent* owner) : TComponent(owner), form_(dynamic_cast<TCustomForm*>(owner)) {
  if (!owner) throw DException("Component must be have class");
  if (!form_) throw DException("Owner must be a TForm class");
  // One skin per form: a second designer would fight the first over the frame.
  for (int i = 0; i < owner->ComponentCount(); ++i) {
    TComponent* c = owner->Components(i);
    if (c != this && dynamic_cast<TECFormDesigner*>(c))
      throw DException("May be only one TECFormDisigner component on the Form");
  }
  UpdateRegion();
}

TECFormDesigner::~TECFormDesigner() {
  active_ = false;
  if (form_->Frame() == this) form_->SetFrame(nullptr);
  if (!form_->Destroying()) form_->ClearWindowRegion();
}

void TECFormDesigner::Assign(const TECFormDesigner& s) {
  assigning_ = true;
  border_.Assign(s.border_);
  caption_.Assign(s.caption_);
  hot_ = pressed_ = nullptr;
  buttons_.Clear();
  for (int i = 0; i < s.buttons_.Count(); ++i) {
    const TECFormButton& from = *s.buttons_.Items(i);
    TECFormButton& to = *buttons_.Add();
    to.Left = from.Left;
    to.Top = from.Top;
    to.Width = from.Width;
    to.Height = from.Height;
    to.Style = from.Style;
    to.RightAlign = from.RightAlign;
    to.BottomAlign = from.BottomAlign;
    to.Picture = from.Picture;
    // A skin's transparent buttons stay transparent in its copies.
    to.Transparent = from.Transparent;
  }
  wallPaper_ = s.wallPaper_;
  SetActive(s.active_);
  SetWidthEllipse(s.widthEllipse_);
  SetHeightEllipse(s.heightEllipse_);
  assigning_ = false;
  RecalcFrame();
}

void TECFormDesigner::SetActive(bool v) {
  if (v == active_) return;
  active_ = v;
  if (v) {
    frameActive_ = form_->Active();
    if (!assigning_) form_->SetFrame(this);
    UpdateRegion();
    RecalcFrame();
    form_->Invalidate();
  } else {
    hot_ = pressed_ = nullptr;
    EndDrag();
    form_->SetFrame(nullptr);
    form_->ClearWindowRegion();
    form_->Invalidate();
  }
}

void TECFormDesigner::SetWallPaper(TSkinPicture p) {
  wallPaper_ = std::move(p);
  form_->Invalidate();
}

void TECFormDesigner::SetWidthEllipse(int v) {
  widthEllipse_ = v;
  UpdateRegion();
}

void TECFormDesigner::SetHeightEllipse(int v) {
  heightEllipse_ = v;
  UpdateRegion();
}

void TECFormDesigner::RecalcFrame() {
  if (!active_ || assigning_ || (ComponentState() & csLoading)) return;
  if (form_->Frame() != this)
    form_->SetFrame(this);
  else
    form_->FrameChanged();
}

bool TECFormDesigner::Skinned() const { return active_ && !form_->Parent(); }

void TECFormDesigner::UpdateRegion() {
  form_->ClearWindowRegion();
  if (!active_ || form_->Parent()) return;
  if (OnCreateRgn) {
    std::vector<TPoint> region;
    OnCreateRgn(this, region);
    if (!region.empty()) form_->SetWindowRegion(region);
  } else if (widthEllipse_ != 0 && heightEllipse_ != 0) {
    form_->SetWindowRoundRect(TRect{0, 0, form_->Width(), form_->Height()}, widthEllipse_, heightEllipse_);
  }
}

TRect TECFormDesigner::FrameInsets() const {
  if (FullScreen || !Skinned()) return {};
  const int top = std::max(0, caption_.Height);
  if (border_.Simple) {
    const int pen = std::max(1, border_.Pen.Width);
    return TRect{pen, top, pen + 1, pen + 1};
  }
  return TRect{border_.LeftWidth(), top, border_.RightWidth(), border_.BottomHeight()};
}

TWindowState TECFormDesigner::PaintState() const { return form_->WindowState(); }

// ------------------------------------------------------------------ buttons

bool TECFormDesigner::ButtonVisible(TECFormButton& b, TWindowState state, int& x, int& y) {
  bool visible = true;
  switch (b.Style) {
    case TECButtonStyle::bsNormal: visible = state != TWindowState::wsNormal; break;
    case TECButtonStyle::bsMinimized: visible = state != TWindowState::wsMinimized; break;
    case TECButtonStyle::bsMaximized: visible = state != TWindowState::wsMaximized; break;
    case TECButtonStyle::bsClose: break;
    case TECButtonStyle::bsCustom: break;
  }
  int left = b.Left;
  if (b.Style == TECButtonStyle::bsNormal && state == TWindowState::wsMinimized) left -= 16;
  x = b.RightAlign ? form_->Width() - left - b.Width : left;
  y = b.BottomAlign ? caption_.Height - b.Top - b.Height : b.Top;
  if (visible && b.Style == TECButtonStyle::bsCustom && b.OnShow) b.OnShow(&b, visible, x, y);
  return visible && x > 0;
}

void TECFormDesigner::PlaceButtons() {
  const TWindowState state = PaintState();
  for (int i = 0; i < buttons_.Count(); ++i) {
    TECFormButton& b = *buttons_.Items(i);
    int x = 0, y = 0;
    b.shown_ = ButtonVisible(b, state, x, y);
    b.rect_ = b.shown_ ? Bounds(x, y, b.Width, b.Height) : TRect{};
  }
}

TECFormButton* TECFormDesigner::ButtonAt(TPoint p) const {
  if (!Skinned()) return nullptr;
  const_cast<TECFormDesigner*>(this)->PlaceButtons();
  for (int i = 0; i < buttons_.Count(); ++i) {
    TECFormButton* b = buttons_.Items(i);
    if (b->shown_ && b->rect_.Contains(p)) return b;
  }
  return nullptr;
}

void TECFormDesigner::PaintButton(TCanvas& canvas, TECFormButton& b) {
  if (!b.shown_ || !b.Picture || b.Width <= 0) return;
  const int frames = b.Picture->Width() / b.Width;
  const bool minimized = PaintState() == TWindowState::wsMinimized;
  int frame = 0;
  switch (b.state_) {
    case TECButtonState::Normal: frame = (frameActive_ || minimized) ? 0 : frames > 3 ? 3 : 0; break;
    case TECButtonState::Hot: frame = frameActive_ ? (frames > 1 ? 1 : 0) : (frames > 3 ? 3 : 0); break;
    case TECButtonState::Pressed: frame = frames > 2 ? 2 : 0; break;
  }
  canvas.SaveDC();
  canvas.IntersectClipRect(b.rect_);
  // The strip is shared by every copy of the skin: its key colour applies
  // only while this button draws.
  b.Picture->Transparent = b.Transparent;
  canvas.Draw(b.rect_.Left - frame * b.Width, b.rect_.Top, *b.Picture);
  b.Picture->Transparent = false;
  canvas.RestoreDC(-1);
}

void TECFormDesigner::SetButtonState(TECFormButton* b, TECButtonState s) {
  if (!b || b->state_ == s) return;
  b->state_ = s;
  form_->InvalidateFrame();
}

void TECFormDesigner::RunButton(TECFormButton& b) {
  switch (b.Style) {
    case TECButtonStyle::bsNormal: form_->SetWindowState(TWindowState::wsNormal); break;
    case TECButtonStyle::bsMinimized: form_->SetWindowState(TWindowState::wsMinimized); break;
    case TECButtonStyle::bsMaximized: form_->SetWindowState(TWindowState::wsMaximized); break;
    case TECButtonStyle::bsClose: form_->Close(); break;
    case TECButtonStyle::bsCustom: Fire(b.OnClick, &b); break;
  }
}

// ---------------------------------------------------------------- hit test

TECHitTest TECFormDesigner::HitTest(TPoint p) const {
  const int w = form_->Width(), h = form_->Height();
  if (p.X < 0 || p.Y < 0 || p.X >= w || p.Y >= h || !form_->WindowRegionContains(p)) return TECHitTest::Nowhere;
  const TRect in = FrameInsets();
  if (TRect{in.Left, in.Top, w - in.Right, h - in.Bottom}.Contains(p)) return TECHitTest::Client;
  if (ButtonAt(p)) return TECHitTest::Button;
  const TFormBorderStyle bs = form_->BorderStyle();
  const bool sizeable = (bs == bsSizeable || bs == bsSizeToolWin) && form_->WindowState() == TWindowState::wsNormal;
  const bool left = p.X < in.Left, right = p.X >= w - in.Right, bottom = p.Y >= h - in.Bottom;
  const bool top = p.Y < kTopGrip;
  const bool inCaption = p.Y < in.Top;
  if (sizeable) {
    const bool nearTop = p.Y < kCornerGrip, nearBottom = p.Y >= h - kCornerGrip;
    const bool nearLeft = p.X < kCornerGrip, nearRight = p.X >= w - kCornerGrip;
    if ((top && nearLeft) || (left && nearTop && !inCaption)) return TECHitTest::TopLeft;
    if ((top && nearRight) || (right && nearTop && !inCaption)) return TECHitTest::TopRight;
    if ((bottom && nearLeft) || (left && nearBottom)) return TECHitTest::BottomLeft;
    if ((bottom && nearRight) || (right && nearBottom)) return TECHitTest::BottomRight;
    if (top) return TECHitTest::Top;
  }
  if (inCaption) return TECHitTest::Caption;
  if (!sizeable) return TECHitTest::Border;
  if (left) return TECHitTest::Left;
  if (right) return TECHitTest::Right;
  return bottom ? TECHitTest::Bottom : TECHitTest::Border;
}

namespace {
TAnchors EdgesOf(TECHitTest h) {
  switch (h) {
    case TECHitTest::Left: return akLeft;
    case TECHitTest::Right: return akRight;
    case TECHitTest::Top: return akTop;
    case TECHitTest::Bottom: return akBottom;
    case TECHitTest::TopLeft: return akTop | akLeft;
    case TECHitTest::TopRight: return akTop | akRight;
    case TECHitTest::BottomLeft: return akBottom | akLeft;
    case TECHitTest::BottomRight: return akBottom | akRight;
    default: return 0;
  }
}
}  // namespace

TCursor TECFormDesigner::FrameCursor(TPoint p) const {
  switch (HitTest(p)) {
    case TECHitTest::Left: case TECHitTest::Right: return crSizeWE;
    case TECHitTest::Top: case TECHitTest::Bottom: return crSizeNS;
    case TECHitTest::TopLeft: case TECHitTest::BottomRight: return crSizeNWSE;
    case TECHitTest::TopRight: case TECHitTest::BottomLeft: return crSizeNESW;
    default: return crDefault;
  }
}

// -------------------------------------------------------------------- mouse

void TECFormDesigner::EndDrag() { drag_ = TECHitTest::Nowhere; }

void TECFormDesigner::FrameMouse(TMouse kind, TMouseButton button, TShiftState, TPoint p) {
  if (!Skinned()) return;
  switch (kind) {
    case TMouse::Move: {
      if (drag_ != TECHitTest::Nowhere) {
        // The window system did not take the move or size: follow the
        // pointer here.
        const TPoint screen{form_->Left() + p.X, form_->Top() + p.Y};
        const int dx = screen.X - dragStart_.X, dy = screen.Y - dragStart_.Y;
        TRect r = dragBounds_;
        if (drag_ == TECHitTest::Caption) {
          r.Offset(dx, dy);
        } else {
          const TAnchors e = EdgesOf(drag_);
          if (e & akLeft) r.Left = std::min(r.Left + dx, r.Right - 1);
          if (e & akRight) r.Right = std::max(r.Right + dx, r.Left + 1);
          if (e & akTop) r.Top = std::min(r.Top + dy, r.Bottom - 1);
          if (e & akBottom) r.Bottom = std::max(r.Bottom + dy, r.Top + 1);
        }
        form_->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        return;
      }
      if (pressed_) return;
      TECFormButton* b = ButtonAt(p);
      if (b == hot_) return;
      SetButtonState(hot_, TECButtonState::Normal);
      hot_ = b;
      SetButtonState(hot_, TECButtonState::Hot);
      return;
    }
    case TMouse::Down: {
      if (button != mbLeft) return;
      if (TECFormButton* b = ButtonAt(p)) {
        pressed_ = b;
        SetButtonState(b, TECButtonState::Pressed);
        return;
      }
      const TECHitTest h = HitTest(p);
      const bool started = h == TECHitTest::Caption ? form_->BeginMove()
                           : EdgesOf(h)             ? form_->BeginSize(EdgesOf(h))
                                                    : true;
      if (!started) {
        drag_ = h;
        dragStart_ = {form_->Left() + p.X, form_->Top() + p.Y};
        dragBounds_ = form_->BoundsRect();
      }
      return;
    }
    case TMouse::Up: {
      if (button != mbLeft) return;
      const bool moved = drag_ == TECHitTest::Caption;
      EndDrag();
      if (moved && OnMoveEnd) OnMoveEnd(TPoint{form_->Left() + p.X, form_->Top() + p.Y});
      TECFormButton* b = pressed_;
      pressed_ = nullptr;
      if (!b) return;
      // Released off the button: nothing happens.
      const bool over = ButtonAt(p) == b;
      hot_ = over ? b : nullptr;
      SetButtonState(b, over ? TECButtonState::Hot : TECButtonState::Normal);
      if (over) RunButton(*b);
      return;
    }
    case TMouse::DoubleClick:
      // The skin takes the window's own caption buttons away, so a double
      // click on its caption neither maximizes nor restores.
      return;
    case TMouse::Leave:
      if (pressed_) return;
      SetButtonState(hot_, TECButtonState::Normal);
      hot_ = nullptr;
      return;
  }
}

void TECFormDesigner::FrameActivation(bool active) {
  // Another window took over: a press on a caption button or a drag of the
  // frame ends without its action.
  if (!active) {
    SetButtonState(pressed_, TECButtonState::Normal);
    pressed_ = nullptr;
    EndDrag();
  }
  if (Skinned()) {
    frameActive_ = active;
    form_->InvalidateFrame();
  }
  if (OnChangeActive) OnChangeActive(this, active);
}

void TECFormDesigner::FrameResized() {
  UpdateRegion();
  form_->InvalidateFrame();
}

void TECFormDesigner::FrameCaptionChanged() {
  if (Skinned()) form_->InvalidateFrame();
}

// ----------------------------------------------------------------- painting

void TECFormDesigner::PaintFrame(TCanvas& canvas) {
  if (FullScreen || !Skinned()) return;
  const int w = form_->Width(), h = form_->Height();
  const int ch = std::max(0, caption_.Height);
  const bool minimized = PaintState() == TWindowState::wsMinimized;
  const bool active = frameActive_;
  canvas.SaveDC();
  if (caption_.Color != clBtnFace) {
    canvas.Brush().Style = bsSolid;
    canvas.Brush().Color = ColorToRGB(caption_.Color);
    canvas.FillRect(TRect{0, 0, w, ch});
  }
  // Borders.
  if (!minimized) {
    if (border_.Simple) {
      canvas.Pen() = border_.Pen;
      canvas.Brush().Style = bsClear;
      canvas.RoundRect(0, 0, w - 1, h - 1, widthEllipse_, heightEllipse_);
    } else {
      const TECFormBorder& b = border_;
      auto edge = [&](int x, const TSkinPicture& corner, const TSkinPicture& side) {
        int y = ch;
        if (corner) {
          canvas.Draw(x, y, *corner);
          y += corner->Height();
        }
        Tile(canvas, side, x, y, x + PictureWidth(side), h);
      };
      if (b.LeftWidth() > 0) edge(0, Pick(active, b.LeftTopPicture, b.DeLeftTopPicture), Pick(active, b.LeftPicture, b.DeLeftPicture));
      if (b.RightWidth() > 0)
        edge(w - b.RightWidth(), Pick(active, b.RightTopPicture, b.DeRightTopPicture),
             Pick(active, b.RightPicture, b.DeRightPicture));
      if (b.BottomHeight() > 0) {
        const int y = h - b.BottomHeight();
        const TSkinPicture& lb = Pick(active, b.LeftBottomPicture, b.DeLeftBottomPicture);
        const TSkinPicture& rb = Pick(active, b.RightBottomPicture, b.DeRightBottomPicture);
        if (lb) canvas.Draw(0, y, *lb);
        Tile(canvas, Pick(active, b.BottomPicture, b.DeBottomPicture), PictureWidth(lb), y, w - PictureWidth(rb), h);
        if (rb) canvas.Draw(w - rb->Width(), y, *rb);
      }
    }
  }
  if (ch > 0) {
    const bool inactiveLook = !active && !minimized;
    const TSkinPicture& left = Pick(!inactiveLook, caption_.ActiveLeftPicture, caption_.DeactiveLeftPicture);
    const TSkinPicture& centre = Pick(!inactiveLook, caption_.ActiveCenterPicture, caption_.DeactiveCenterPicture);
    TSkinPicture right;
    if (minimized)
      right = caption_.ActiveMinRightPicture ? caption_.ActiveMinRightPicture : caption_.ActiveRightPicture;
    else
      right = Pick(!inactiveLook, caption_.ActiveRightPicture, caption_.DeactiveRightPicture);
    canvas.SaveDC();
    canvas.IntersectClipRect(TRect{0, 0, w, ch});
    if (left) canvas.Draw(0, 0, *left);
    const int rightX = w - PictureWidth(right);
    Tile(canvas, centre, PictureWidth(left), 0, rightX, ch);
    if (right) canvas.Draw(rightX, 0, *right);
    int textStart = PictureWidth(left);
    if (caption_.IconVisible) {
      if (caption_.Icon) {
        canvas.Draw(caption_.IconLeft, caption_.IconTop, *caption_.Icon);
        textStart = caption_.IconLeft + caption_.Icon->Width();
      } else if (const TSkinPicture icon = ProgramIcon()) {
        canvas.StretchDraw(Bounds(caption_.IconLeft, caption_.IconTop, kIconSize, kIconSize), *icon);
        if (caption_.IconLeft + kIconSize > textStart) textStart = caption_.IconLeft + kIconSize + caption_.IconLeft;
      }
    }
    // The title, cut with ".." where it does not fit.
    if (caption_.TextLeft >= 0) textStart = caption_.TextLeft;
    const int limit = caption_.TextRight >= 0 ? w - caption_.TextRight : rightX;
    TFont font = caption_.Font;
    font.Color = ColorToRGB(font.Color);
    canvas.Font() = font;
    canvas.Brush().Style = bsClear;
    std::string title = form_->Caption();
    const int room = limit - textStart;
    if (canvas.TextWidth(title) > room) {
      const int dots = canvas.TextWidth(std::string_view(".."));
      size_t cut = 0;
      for (size_t i = 0; i < title.size();) {
        size_t next = i;
        NextCodePoint(title, next);
        if (dots + canvas.TextWidth(std::string_view(title).substr(0, next)) > room) break;
        cut = i = next;
      }
      title = title.substr(0, cut) + "..";
    }
    canvas.TextOut(textStart, (ch - canvas.TextHeight(title)) / 2, title);
    PlaceButtons();
    for (int i = 0; i < buttons_.Count(); ++i) PaintButton(canvas, *buttons_.Items(i));
    canvas.RestoreDC(-1);
  }
  canvas.RestoreDC(-1);
}

bool TECFormDesigner::PaintClient(TCanvas& canvas) {
  if (!Skinned() || !wallPaper_ || wallPaper_->Width() <= 0 || wallPaper_->Height() <= 0) return false;
  Tile(canvas, wallPaper_, 0, 0, form_->ClientWidth(), form_->ClientHeight());
  return true;
}

}  // namespace qs

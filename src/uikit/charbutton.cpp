#include "uikit/charbutton.h"

#include <algorithm>

#include "base/text.h"
#include "platform/fonts.h"

namespace qs {
namespace {

constexpr TColor kHoverPen = RGB(67, 103, 197);
constexpr TColor kHoverFill = RGB(181, 190, 214);
constexpr TColor kDownFill = RGB(132, 146, 181);
constexpr TColor kShadowGrey = RGB(128, 128, 128);

void SetPen(TCanvas& c, TColor color) {
  c.Pen().Color = ColorToRGB(color);
  c.Pen().Style = psSolid;
  c.Pen().Width = 1;
  c.Pen().Mode = pmCopy;
}

void SetBrush(TCanvas& c, TColor color) {
  c.Brush().Bitmap.reset();
  c.Brush().Style = bsSolid;
  c.Brush().Color = ColorToRGB(color);
}

void ClearBrush(TCanvas& c) {
  c.Brush().Bitmap.reset();
  c.Brush().Style = bsClear;
}

// The text of a face character: the music font reaches its glyphs through
// its private code range; a text font shows the byte as a character of the
// Windows code page.
std::u16string FaceText(const TFont& font, uint8_t code) {
  if (font.Name == MusicFontName) return MusicGlyphText(code);
  return Utf8ToUtf16(AnsiToUtf8(std::string(1, static_cast<char>(code)), CodePage::Windows1252));
}

// Stores a new value; false when it was the same, so setters repaint only on
// a change.
template <class T, class V>
bool Change(T& field, const V& value) {
  if (field == value) return false;
  field = value;
  return true;
}

}  // namespace

char16_t AcceleratorOf(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    std::u16string rest = Utf8ToUtf16(caption.substr(i + 1));
    if (rest.empty()) return 0;
    char16_t c = rest[0];
    return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c;
  }
  return 0;
}

std::string StripAccelerator(const std::string& caption) {
  std::string out;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') out += '&', ++i;
      continue;
    }
    out += caption[i];
  }
  return out;
}

TECCharButton::TECCharButton(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 23, 22); }

TECCharButton::~TECCharButton() = default;

const TPropTable& TECCharButton::Published() const {
  static const TPropTable table(
      &TGraphicControl::Published(),
      {StringProp<TECCharButton>(
           "ExpandText", [](const TECCharButton& b) { return b.ExpandText(); },
           [](TECCharButton& b, const std::string& v) { b.SetExpandText(v); }),
       IntProp<TECCharButton>(
           "Byte", [](const TECCharButton& b) { return int(b.Byte()); },
           [](TECCharButton& b, int v) { b.SetByte(static_cast<uint8_t>(v)); }),
       IntProp<TECCharButton>(
           "GroupIndex", [](const TECCharButton& b) { return b.GroupIndex(); },
           [](TECCharButton& b, int v) { b.SetGroupIndex(v); }),
       BoolProp<TECCharButton>(
           "Down", [](const TECCharButton& b) { return b.Down(); }, [](TECCharButton& b, bool v) { b.SetDown(v); }),
       BoolProp<TECCharButton>(
           "Flat", [](const TECCharButton& b) { return b.Flat(); }, [](TECCharButton& b, bool v) { b.SetFlat(v); })});
  return table;
}

void TECCharButton::SetByte(uint8_t v) {
  if (Change(byte_, v)) Invalidate();
}
void TECCharButton::SetPosX(int v) {
  if (Change(posX_, v)) Invalidate();
}
void TECCharButton::SetPosY(int v) {
  if (Change(posY_, v)) Invalidate();
}
void TECCharButton::SetAntialiased(bool v) {
  if (Change(antialiased_, v)) Invalidate();
}
void TECCharButton::SetFlat(bool v) {
  if (Change(flat_, v)) Invalidate();
}
void TECCharButton::SetBlackBorder(bool v) {
  if (Change(blackBorder_, v)) Invalidate();
}
void TECCharButton::SetBorderColor(TColor v) {
  if (Change(borderColor_, v)) Invalidate();
}
void TECCharButton::SetTransparent(bool v) {
  if (Change(transparent_, v)) Invalidate();
}
void TECCharButton::SetLayout(TButtonLayout v) {
  if (Change(layout_, v)) Invalidate();
}
void TECCharButton::SetSpacing(int v) {
  if (Change(spacing_, v)) Invalidate();
}
void TECCharButton::SetArrowStyle(TECArrowStyle v) {
  if (Change(arrowStyle_, v)) Invalidate();
}
void TECCharButton::SetExpandText(const std::string& v) {
  if (Change(expandText_, v)) Invalidate();
}
void TECCharButton::SetCustomDraw(bool v) {
  if (Change(customDraw_, v)) Invalidate();
}

void TECCharButton::SetMargin(int v) {
  if (v < -1 || v == margin_) return;
  margin_ = v;
  Invalidate();
}

void TECCharButton::SetDropWidth(int v) {
  if (v < 0 || v >= Width() || v == dropWidth_) return;
  dropWidth_ = v;
  Invalidate();
}

void TECCharButton::SetGlyph(const TBitmap* bitmap) {
  DropImages();
  glyph_.reset();
  if (bitmap && bitmap->Width() > 0 && bitmap->Height() > 0) {
    glyph_ = std::make_unique<TBitmap>(bitmap->Width(), bitmap->Height());
    glyph_->Canvas().Draw(0, 0, *bitmap);
    glyph_->SetTransparentColor(bitmap->TransparentColor());
    if (bitmap->Width() % bitmap->Height() == 0) {
      int n = bitmap->Width() / bitmap->Height();
      numGlyphs_ = n >= 5 ? 1 : n;
    }
  }
  Invalidate();
}

void TECCharButton::SetNumGlyphs(int v) {
  v = std::clamp(v, 1, 4);
  if (v == numGlyphs_) return;
  DropImages();
  numGlyphs_ = v;
  Invalidate();
}

void TECCharButton::DropImages() {
  for (auto& image : images_) image.reset();
}

const TBitmap* TECCharButton::StateImage(TButtonState state) {
  if (!glyph_) return nullptr;
  if (state == bsDown && numGlyphs_ < 3) state = bsUp;
  auto& slot = images_[state];
  if (slot) return slot.get();
  const int w = glyph_->Width() / numGlyphs_, h = glyph_->Height();
  if (w <= 0) return nullptr;
  const int index = state < numGlyphs_ ? state : 0;
  const TColor transparent = glyph_->TransparentColor();
  auto image = std::make_unique<TBitmap>(w, h);
  if (state != bsDisabled) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) image->SetPixel(x, y, glyph_->Pixel(index * w + x, y));
  } else if (numGlyphs_ == 1) {
    // Embossed: the dark pixels of the image in the highlight colour one
    // pixel down and right, and in the shadow colour in place.
    const TColor face = ColorToRGB(clBtnFace);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) image->SetPixel(x, y, face);
    auto dark = [&](int x, int y) {
      TColor c = glyph_->Pixel(x, y);
      if (c == transparent) return false;
      return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 192;
    };
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (dark(x, y) && x + 1 < w && y + 1 < h) image->SetPixel(x + 1, y + 1, ColorToRGB(clBtnHighlight));
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (dark(x, y)) image->SetPixel(x, y, ColorToRGB(clBtnShadow));
  } else {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        TColor c = glyph_->Pixel(index * w + x, y);
        if (c == clWhite) c = ColorToRGB(clBtnHighlight);
        else if (c == kShadowGrey) c = ColorToRGB(clBtnShadow);
        else if (c == transparent) c = ColorToRGB(clBtnFace);
        image->SetPixel(x, y, c);
      }
  }
  image->Transparent = true;
  image->SetTransparentColor(state == bsDisabled && numGlyphs_ == 1 ? ColorToRGB(clBtnFace) : transparent);
  slot = std::move(image);
  return slot.get();
}

void TECCharButton::SetGroupIndex(int v) {
  if (v == groupIndex_) return;
  groupIndex_ = v;
  UpdateExclusive();
}

void TECCharButton::SetAllowAllUp(bool v) {
  if (v == allowAllUp_) return;
  allowAllUp_ = v;
  UpdateExclusive();
}

void TECCharButton::SetDown(bool v) {
  if (groupIndex_ == 0) v = false;
  if (v == down_) return;
  if (down_ && !allowAllUp_) return;
  down_ = v;
  if (v) {
    if (state_ == bsUp) Invalidate();
    state_ = bsExclusive;
    UpdateExclusive();
  } else {
    state_ = bsUp;
    Repaint();
  }
}

void TECCharButton::UpdateExclusive() {
  if (groupIndex_ == 0 || !Parent()) return;
  for (int i = 0; i < Parent()->ControlCount(); ++i)
    if (auto* other = dynamic_cast<TECCharButton*>(Parent()->Controls(i)); other && other != this)
      other->GroupButtonPressed(this);
}

void TECCharButton::GroupButtonPressed(TECCharButton* sender) {
  if (sender->groupIndex_ != groupIndex_) return;
  if (sender->down_ && down_) {
    down_ = false;
    state_ = bsUp;
    Invalidate();
  }
  allowAllUp_ = sender->allowAllUp_;
}

void TECCharButton::SetEnabled(bool v) {
  if (v == Enabled()) return;
  TGraphicControl::SetEnabled(v);
  images_[v ? bsUp : bsDisabled].reset();
  Repaint();
}

bool TECCharButton::Inside(int x, int y) const { return x >= 0 && x < ClientWidth() && y >= 0 && y <= ClientHeight(); }

void TECCharButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  // The button decides itself what is a click (not a press on the drop
  // part, not a release outside), so the window system's own click is off.
  clickPending_ = false;
  if (button != mbLeft || !Enabled()) return;
  SetMouseCapture(true);
  if (dropWidth_ > 0 && x > Width() - dropWidth_) {
    dropPressed_ = true;
    Repaint();
    return;
  }
  if (!down_) {
    state_ = bsDown;
    Repaint();
  }
  dragging_ = true;
}

void TECCharButton::MouseMove(TShiftState shift, int x, int y) {
  TGraphicControl::MouseMove(shift, x, y);
  if (!dragging_) return;
  TButtonState next = down_ ? bsExclusive : bsUp;
  if (Inside(x, y)) next = down_ ? bsExclusive : bsDown;
  if (next != state_) {
    state_ = next;
    Repaint();
  }
}

void TECCharButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseUp(button, shift, x, y);
  if (button != mbLeft) return;
  SetMouseCapture(false);
  if (dropPressed_) {
    dropPressed_ = false;
    Repaint();
    Fire(OnButtonClick, this);
    return;
  }
  if (!dragging_) return;
  dragging_ = false;
  const bool inside = Inside(x, y);
  if (groupIndex_ == 0) {
    state_ = bsUp;
    if (inside) Repaint();
  } else if (inside) {
    SetDown(!down_);
    if (down_) Repaint();
  } else {
    if (down_) state_ = bsExclusive;
    Repaint();
  }
  if (inside) Click();
}

void TECCharButton::MouseEnter() {
  TGraphicControl::MouseEnter();
  if (flat_ && Enabled() && !mouseInControl_ && !dragging_) {
    mouseInControl_ = true;
    Repaint();
  }
}

void TECCharButton::MouseLeave() {
  TGraphicControl::MouseLeave();
  if (flat_ && Enabled() && mouseInControl_ && !dragging_) {
    mouseInControl_ = false;
    Repaint();
  }
}

void TECCharButton::DblClick() {
  if (down_) TGraphicControl::DblClick();
}

void TECCharButton::Click() {
  // Without a handler of its own the button runs its action.
  if (!OnClick && Action()) {
    Action()->Execute();
    return;
  }
  TGraphicControl::Click();
}

// --- action link ---

void TECCharButton::SetAction(TAction* v) {
  if (actionLink_.SetAction(v) && v) ActionChange((v->ComponentState() & csLoading) != 0);
}

void TECCharButton::ActionChange(bool checkDefaults) {
  TAction* a = actionLink_.Action();
  if (!checkDefaults || Caption().empty()) SetCaption(a->Caption());
  if (!checkDefaults || Enabled()) SetEnabled(a->Enabled());
  if (!checkDefaults || Hint().empty()) SetHint(a->Hint());
  if (!checkDefaults || Visible()) SetVisible(a->Visible());
  if (groupIndex_ != 0 && (!checkDefaults || !down_)) SetDown(a->Checked());
  // A button without a glyph shows the action's picture, on the key
  // colour of glyph strips.
  const TActionList* list = a->ActionList();
  const TImageList* images = list ? list->Images : nullptr;
  if (!glyph_ && images && a->ImageIndex() >= 0 && a->ImageIndex() < images->Count()) {
    constexpr TColor kFuchsia = RGB(255, 0, 255);
    TBitmap picture(images->Width(), images->Height());
    TCanvas& c = picture.Canvas();
    c.Brush().Style = bsSolid;
    c.Brush().Color = kFuchsia;
    c.FillRect(TRect{0, 0, picture.Width(), picture.Height()});
    images->Draw(c, 0, 0, a->ImageIndex());
    picture.SetTransparentColor(kFuchsia);
    SetGlyph(&picture);
  }
}

void TECCharButton::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  // A freed action leaves no dangling link behind.
  actionLink_.Notification(component, operation);
}

bool TECCharButton::DialogChar(char16_t key) {
  char16_t accel = AcceleratorOf(Caption());
  if (key >= u'A' && key <= u'Z') key = char16_t(key - u'A' + u'a');
  if (!accel || key != accel || !Enabled() || !Visible() || !Parent() || !Parent()->Showing()) return false;
  Click();
  return true;
}

void TECCharButton::DrawGlyph(TCanvas& canvas, int x, int y) {
  const TBitmap* image = StateImage(state_);
  if (!image) return;
  const TColor transparent = image->TransparentColor();
  canvas.Pen().Color = kShadowGrey;
  for (int py = 0; py < image->Height(); ++py)
    for (int px = 0; px < image->Width(); ++px)
      if (image->Pixel(px, py) != transparent) {
        canvas.Brush().Bitmap.reset();
        canvas.Brush().Style = bsSolid;
        canvas.Brush().Color = kShadowGrey;
        canvas.FillRect(TRect{x + px, y + py, x + px + 1, y + py + 1});
      }
}

void TECCharButton::PaintGlyphAndCaption(TCanvas& c, const TRect& client, TPoint offset, bool shadowOnly) {
  const TBitmap* image = StateImage(state_);
  const std::string caption = StripAccelerator(Caption());
  const TSize g = image ? TSize{image->Width(), image->Height()} : TSize{0, 0};
  const TSize t = caption.empty() ? TSize{0, 0} : TSize{c.TextWidth(caption), c.TextHeight(caption)};
  const int w = client.Width(), h = client.Height();
  const bool horizontal = layout_ == blGlyphLeft || layout_ == blGlyphRight;
  const int along = horizontal ? w : h;
  const int gs = horizontal ? g.cx : g.cy, ts = horizontal ? t.cx : t.cy;
  int spacing = (caption.empty() || !image) ? 0 : spacing_;
  int margin = margin_;
  if (margin == -1) {
    if (spacing == -1) {
      margin = spacing = (along - gs - ts) / 3;
    } else {
      margin = (along - (gs + spacing + ts) + 1) / 2;
    }
  } else if (spacing == -1) {
    spacing = ((along - (margin + gs)) - ts) / 2;
  }
  TPoint gp, tp;
  if (horizontal) {
    gp.Y = (h - g.cy + 1) / 2;
    tp.Y = (h - t.cy + 1) / 2;
    if (layout_ == blGlyphLeft) {
      gp.X = margin;
      tp.X = margin + gs + spacing;
    } else {
      gp.X = w - margin - gs;
      tp.X = gp.X - spacing - ts;
    }
  } else {
    gp.X = (w - g.cx + 1) / 2;
    tp.X = (w - t.cx + 1) / 2;
    if (layout_ == blGlyphTop) {
      gp.Y = margin;
      tp.Y = margin + gs + spacing;
    } else {
      gp.Y = h - margin - gs;
      tp.Y = gp.Y - spacing - ts;
    }
  }
  const int ox = client.Left + offset.X, oy = client.Top + offset.Y;
  if (shadowOnly) {
    if (image) DrawGlyph(c, gp.X + ox, gp.Y + oy);
    return;
  }
  if (image) c.Draw(gp.X + ox, gp.Y + oy, *image);
  if (!caption.empty()) {
    ClearBrush(c);
    if (state_ == bsDisabled) {
      c.Font().Color = ColorToRGB(clBtnHighlight);
      c.TextOut(tp.X + ox + 1, tp.Y + oy + 1, caption);
      c.Font().Color = ColorToRGB(clBtnShadow);
    }
    c.TextOut(tp.X + ox, tp.Y + oy, caption);
  }
}

void TECCharButton::Paint() {
  if (!Enabled()) {
    state_ = bsDisabled;
    dragging_ = false;
  } else if (state_ == bsDisabled) {
    state_ = (down_ && groupIndex_ != 0) ? bsExclusive : bsUp;
  }
  TCanvas& c = Canvas();
  c.Font() = Font();
  TRect r{0, 0, Width() - dropWidth_, Height()};
  const bool pressed = state_ == bsDown || state_ == bsExclusive;

  if (state_ == bsExclusive && (!flat_ || !mouseInControl_)) {
    c.Brush() = CheckerBrush();
    c.FillRect(r);
  }
  if (flat_) {
    if (!transparent_) {
      SetBrush(c, Color());
      c.FillRect(r);
    }
    if (blackBorder_) {
      if (mouseInControl_ && state_ != bsDown) {
        SetPen(c, kHoverPen);
        SetBrush(c, kHoverFill);
      } else if (!pressed) {
        SetPen(c, borderColor_);
        ClearBrush(c);
      } else {
        SetPen(c, kHoverPen);
        SetBrush(c, kDownFill);
      }
      c.Rectangle(r);
    } else if (pressed || (mouseInControl_ && state_ != bsDisabled)) {
      DrawEdge(c, r, pressed ? TEdgeKind::Sunken : TEdgeKind::Raised);
    }
    r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  } else {
    if (state_ == bsExclusive) {
      // The checker shows through: only the frame.
      DrawEdge(c, r, TEdgeKind::Sunken);
      r = TRect{r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2};
    } else {
      r = DrawButtonFrame(c, r, pressed);
    }
    if (ColorToRGB(Color()) != ColorToRGB(clBtnFace) && state_ != bsExclusive) {
      SetBrush(c, Color());
      c.FillRect(TRect{1, 1, Width() - 2, Height() - 2});
    }
  }

  if (customDraw_ && OnDrawCharButton) {
    OnDrawCharButton(this, c, r);
  } else {
    const bool hovered = mouseInControl_;
    const TBitmap* image = StateImage(state_);
    if (pressed) {
      PaintGlyphAndCaption(c, r, {0, 0}, false);
    } else if (hovered) {
      if (image) {
        PaintGlyphAndCaption(c, r, {1, 1}, true);
        PaintGlyphAndCaption(c, r, {-1, -1}, false);
      } else {
        const TColor fontColor = c.Font().Color;
        c.Font().Color = kShadowGrey;
        PaintGlyphAndCaption(c, r, {1, 1}, false);
        c.Font().Color = fontColor;
        PaintGlyphAndCaption(c, r, {-1, -1}, false);
      }
    } else if (!Caption().empty() || image) {
      PaintGlyphAndCaption(c, r, {0, 0}, false);
    }

    if (byte_ != 0) {
      ClearBrush(c);
      c.Font() = Font();
      if (antialiased_) c.Font().Quality = 4;
      const std::u16string face = FaceText(c.Font(), byte_);
      if (pressed) {
        c.TextOut(posX_, posY_, face);
      } else if (hovered) {
        const TColor fontColor = c.Font().Color;
        c.Font().Color = kShadowGrey;
        c.TextOut(posX_ + 1, posY_ + 1, face);
        c.Font().Color = fontColor;
        c.TextOut(posX_ - 1, posY_ - 1, face);
      } else {
        c.TextOut(posX_, posY_, face);
      }
    }
  }

  if (dropWidth_ > 0) {
    const TRect drop{Width() - dropWidth_, dropPressed_ ? 0 : -1, Width(), Height()};
    DrawScrollArrow(c, drop, arrowStyle_, dropPressed_, Enabled());
  }

  if (!expandText_.empty()) {
    TFont small;
    small.Name = "Arial";
    small.SetSize(6);
    small.Color = RGB(0, 0, 255);
    c.Font() = small;
    SetBrush(c, clWhite);
    c.TextOut(Width() - dropWidth_ - c.TextWidth(expandText_) - 2, 1, expandText_);
  }
}

}  // namespace qs

#include "uikit/menuitem.h"

#include <algorithm>

#include "base/strings.h"
#include "platform/bitmap.h"
#include "platform/timers.h"
#include "uikit/charbutton.h"
#include "uikit/frames.h"
#include "uikit/pictures.h"

namespace qs {

namespace {

constexpr TColor kBorderColor = 0xAAB2B8;
constexpr TColor kHotPen = 0xC56743;
constexpr TColor kHotBrush = 0xD6BEB5;
constexpr TColor kPressedBrush = 0xB59284;
constexpr TRect kNoDirt{1000, 1000, 0, 0};

// Texts are measured on a screen-resolution canvas, whatever window shows them.
TCanvas& MeasureCanvas(const TFont& font) {
  static TBitmap bitmap(1, 1);
  bitmap.Canvas().Font() = font;
  return bitmap.Canvas();
}

}  // namespace

TECMenuItem::TECMenuItem(TComponent* owner) : TComponent(owner) {}

TECMenuItem::~TECMenuItem() {
  BeginDestroy();
  while (!items_.empty()) {
    TECMenuItem* child = items_.back();
    items_.pop_back();
    child->parent_ = nullptr;
    delete child;
  }
  if (parent_) {
    // An open list goes with its item rather than keep pointing at it.
    if (TControl* w = window_) {
      window_ = nullptr;
      delete w;
    }
    TECMenuItem* p = parent_;
    p->Detach(this);
  }
}

const TPropTable& TECMenuItem::Published() const {
  using C = TECMenuItem;
  static const TPropTable table(
      &TComponent::Published(),
      {StringProp<C>("Caption", [](const C& c) { return c.Caption(); }, [](C& c, const std::string& v) { c.SetCaption(v); }),
       StringProp<C>("ShortCutText", [](const C& c) { return c.ShortCutText(); },
                     [](C& c, const std::string& v) { c.SetShortCutText(v); }),
       BoolProp<C>("Checked", [](const C& c) { return c.Checked(); }, [](C& c, bool v) { c.SetChecked(v); }),
       IntProp<C>("Image", [](const C& c) { return c.Image(); }, [](C& c, int v) { c.SetImage(v); }),
       IntProp<C>("OverImage", [](const C& c) { return c.OverImage(); }, [](C& c, int v) { c.SetOverImage(v); }),
       IntProp<C>("PressImage", [](const C& c) { return c.PressImage(); }, [](C& c, int v) { c.SetPressImage(v); }),
       IntProp<C>("DisableImage", [](const C& c) { return c.DisableImage(); }, [](C& c, int v) { c.SetDisableImage(v); }),
       IntProp<C>("Height", [](const C& c) { return c.Height(); }, [](C& c, int v) { c.SetHeight(v); }),
       IntProp<C>("ButtonHeight", [](const C& c) { return c.ButtonHeight(); }, [](C& c, int v) { c.SetButtonHeight(v); }),
       IntProp<C>("ButtonWidth", [](const C& c) { return c.ButtonWidth(); }, [](C& c, int v) { c.SetButtonWidth(v); }),
       BoolProp<C>("Transparent", [](const C& c) { return c.Transparent(); }, [](C& c, bool v) { c.SetTransparent(v); }),
       IntProp<C>("Offset", [](const C& c) { return c.Offset(); }, [](C& c, int v) { c.SetOffset(v); }),
       BoolProp<C>("Visible", [](const C& c) { return c.Visible(); }, [](C& c, bool v) { c.SetVisible(v); }),
       BoolProp<C>("ShowHint", [](const C& c) { return c.ShowHint(); }, [](C& c, bool v) { c.SetShowHint(v); }),
       BoolProp<C>("Hide", [](const C& c) { return c.Hide(); }, [](C& c, bool v) { c.SetHide(v); }),
       BoolProp<C>("Flat", [](const C& c) { return c.Flat(); }, [](C& c, bool v) { c.SetFlat(v); }),
       IntProp<C>("TextOffset", [](const C& c) { return c.TextOffset(); }, [](C& c, int v) { c.SetTextOffset(v); }),
       IntProp<C>("Margin", [](const C& c) { return c.Margin(); }, [](C& c, int v) { c.SetMargin(v); }),
       BoolProp<C>("AutoMenu", [](const C& c) { return c.AutoMenu(); }, [](C& c, bool v) { c.SetAutoMenu(v); }),
       BoolProp<C>("MenuArrow", [](const C& c) { return c.MenuArrow(); }, [](C& c, bool v) { c.SetMenuArrow(v); }),
       FontProp<C>("Font", [](const C& c) { return c.Font(); }, [](C& c, const TFont& v) { c.SetFont(v); })});
  return table;
}

// --- tree ---

TECMenuItem* TECMenuItem::Items(int index) const {
  return index >= 0 && index < Count() ? items_[static_cast<size_t>(index)] : nullptr;
}

void TECMenuItem::Attach(TECMenuItem* item) {
  item->parent_ = this;
  item->menu_ = menu_;
  Layout();
  InvalidateRect(TRect{item->rect_.Left, item->rect_.Top, item->rect_.Right, area_.Bottom});
}

void TECMenuItem::Add(TECMenuItem* item) {
  if (!item || item->parent_ == this) return;
  if (item->parent_) item->parent_->Detach(item);
  items_.push_back(item);
  Attach(item);
}

TECMenuItem* TECMenuItem::InsertItem(int index, const std::string& caption) {
  index = std::clamp(index, 0, Count());
  auto* item = new TECMenuItem(this);
  item->caption_ = caption;
  items_.insert(items_.begin() + index, item);
  Attach(item);
  return item;
}

void TECMenuItem::DeleteItem(int index) {
  if (TECMenuItem* item = Items(index)) delete item;
}

void TECMenuItem::Detach(TECMenuItem* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  if (hot_ == item) hot_ = nullptr;
  if (open_ == item) open_ = nullptr;
  item->parent_ = nullptr;
  if (!Destroying()) {
    Layout();
    InvalidateArea();
  }
}

int TECMenuItem::IndexOf() const {
  if (!parent_) return -1;
  auto& v = parent_->items_;
  return static_cast<int>(std::find(v.begin(), v.end(), this) - v.begin());
}

void TECMenuItem::SetIndex(int newIndex) {
  if (!parent_ || newIndex < 0 || newIndex >= parent_->Count()) return;
  int old = IndexOf();
  if (old == newIndex) return;
  auto& v = parent_->items_;
  v.erase(v.begin() + old);
  v.insert(v.begin() + newIndex, this);
  parent_->Layout();
  parent_->InvalidateArea();
}

TECMenuItem* TECMenuItem::FindItem(const std::string& text) const {
  for (TECMenuItem* c : items_)
    if (SameText(c->Name(), text) || SameText(c->caption_, text)) return c;
  return nullptr;
}

void TECMenuItem::Assign(const TECMenuItem& s) {
  BeginUpdate();
  SetCaption(s.caption_);
  SetImage(s.image_);
  SetOverImage(s.overImage_);
  SetPressImage(s.pressImage_);
  SetDisableImage(s.disableImage_);
  SetKind(s.kind_);
  SetOrientation(s.orientation_);
  SetStyle(s.style_);
  SetVisible(s.visible_);
  SetEnabled(s.enabled_);
  SetHide(s.hide_);
  SetMargin(s.margin_);
  SetColor(s.color_);
  SetPanelColor(s.panelColor_);
  SetFont(s.font_);
  while (!items_.empty()) delete items_.back();
  for (TECMenuItem* sc : s.items_) {
    auto* c = new TECMenuItem(this);
    c->menu_ = menu_;
    c->Assign(*sc);
    items_.push_back(c);
    Attach(c);
  }
  Layout();
  EndUpdate();
}

bool TECMenuItem::HasVisibleChildren() const {
  return std::any_of(items_.begin(), items_.end(), [](const TECMenuItem* c) { return c->Shown(); });
}

// --- setters ---

void TECMenuItem::ParentChanged(bool alsoGrandparent) {
  if (parent_ && parent_->window_) {
    parent_->Layout();
    parent_->InvalidateArea();
  }
  if (alsoGrandparent && parent_ && parent_->parent_ && parent_->parent_->window_)
    parent_->parent_->InvalidateRect(parent_->rect_);
}

void TECMenuItem::OwnChanged() {
  if (window_) {
    Layout();
    InvalidateArea();
  }
}

#define QS_ITEM_SETTER(Name, Type, field, refresh) \
  void TECMenuItem::Set##Name(Type v) {            \
    if (field == v) return;                        \
    field = v;                                     \
    refresh;                                       \
  }

QS_ITEM_SETTER(Caption, const std::string&, caption_, ParentChanged(false))
QS_ITEM_SETTER(ShortCutText, const std::string&, shortCutText_, ParentChanged(false))
QS_ITEM_SETTER(Alignment, TAlignment, alignment_, ParentChanged(false))
QS_ITEM_SETTER(Image, int, image_, ParentChanged(false))
QS_ITEM_SETTER(OverImage, int, overImage_, ParentChanged(false))
QS_ITEM_SETTER(PressImage, int, pressImage_, ParentChanged(false))
QS_ITEM_SETTER(DisableImage, int, disableImage_, ParentChanged(false))
QS_ITEM_SETTER(Kind, TECItemKind, kind_, ParentChanged(false))
QS_ITEM_SETTER(Style, TECItemStyle, style_, ParentChanged(false))
QS_ITEM_SETTER(Height, int, height_, ParentChanged(false))
QS_ITEM_SETTER(TextOffset, int, textOffset_, ParentChanged(false))
QS_ITEM_SETTER(Control, TControl*, control_, ParentChanged(false))
QS_ITEM_SETTER(Font, const TFont&, font_, ParentChanged(false))
QS_ITEM_SETTER(ButtonWidth, int, buttonWidth_, ParentChanged(true))
QS_ITEM_SETTER(Transparent, bool, transparent_, ParentChanged(true))
QS_ITEM_SETTER(Offset, int, offset_, ParentChanged(true))
QS_ITEM_SETTER(Visible, bool, visible_, ParentChanged(true))
QS_ITEM_SETTER(Orientation, TECItemOrientation, orientation_, OwnChanged())
QS_ITEM_SETTER(MenuStyle, TECMenuStyle, menuStyle_, OwnChanged())
QS_ITEM_SETTER(ButtonHeight, int, buttonHeight_, OwnChanged())
QS_ITEM_SETTER(Margin, int, margin_, (Layout(), InvalidateArea()))
QS_ITEM_SETTER(MenuArrow, bool, menuArrow_, InvalidateArea())
QS_ITEM_SETTER(Color, TColor, color_, InvalidateArea())
QS_ITEM_SETTER(PanelColor, TColor, panelColor_, InvalidateArea())

#undef QS_ITEM_SETTER

void TECMenuItem::SetChecked(bool v) {
  if (checked_ == v) return;
  checked_ = v;
  ParentChanged(false);
  // A check item the user toggles tells its action, unless the action is
  // the one telling.
  if (Action() && !settingChecked_) Action()->SetChecked(v);
}

void TECMenuItem::SetPicture(const TBitmap* v) {
  if (v && (v->Width() == 0 || v->Height() == 0)) v = nullptr;
  if (!v && !picture_) return;
  picture_ = v ? CopyPicture(*v) : nullptr;
  OwnChanged();
  if (window_) window_->Invalidate();  // the texture reaches past the entries
}

void TECMenuItem::SetHide(bool v) {
  if (hide_ == v) return;
  hide_ = v;
  if (parent_) {
    parent_->Layout();
    parent_->InvalidateArea();
  }
}

void TECMenuItem::SetEnabled(bool v) {
  if (enabled_ == v) return;
  enabled_ = v;
  if (parent_ && parent_->window_) parent_->InvalidateArea();
  RepaintItem();
}

// --- action link ---

void TECMenuItem::SetAction(TAction* v) {
  if (actionLink_.SetAction(v) && v) ActionChange((v->ComponentState() & csLoading) != 0);
}

void TECMenuItem::ActionChange(bool checkDefaults) {
  TAction* a = Action();
  if (!checkDefaults || caption_.empty() || caption_ == Name()) SetCaption(a->Caption());
  if (!checkDefaults || !checked_) {
    settingChecked_ = true;
    SetChecked(a->Checked());
    settingChecked_ = false;
  }
  if (!checkDefaults || enabled_) SetEnabled(a->Enabled());
  if (!checkDefaults || hint_.empty()) hint_ = a->Hint();
  if (!checkDefaults || visible_) SetVisible(a->Visible());
  if (!checkDefaults || !OnClick) OnClick = [a](TObject*) { a->Execute(); };
}

void TECMenuItem::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  // A freed action leaves no dangling link behind.
  actionLink_.Notification(component, operation);
}

// --- update lock and invalidation ---

void TECMenuItem::EndUpdate() {
  if (lock_ == 0) return;
  if (--lock_ > 0) return;
  if (layoutPending_) {
    layoutPending_ = false;
    Layout();
    if (dirty_.Left == dirty_.Right)
      dirty_ = TRect{area_.Left + margin_, area_.Top + margin_, area_.Right - margin_, area_.Bottom - margin_};
  }
  TRect r = dirty_;
  dirty_ = kNoDirt;
  if (window_ && r.Left < r.Right) window_->InvalidateRect(r, false);
}

void TECMenuItem::InvalidateArea() {
  InvalidateRect(TRect{area_.Left + margin_, area_.Top + margin_, area_.Right - margin_, area_.Bottom - margin_});
}

void TECMenuItem::InvalidateRect(const TRect& r) {
  if (lock_ > 0) {
    dirty_.Left = std::min(dirty_.Left, r.Left);
    dirty_.Top = std::min(dirty_.Top, r.Top);
    dirty_.Right = std::max(dirty_.Right, r.Right);
    dirty_.Bottom = std::max(dirty_.Bottom, r.Bottom);
    return;
  }
  if (window_) window_->InvalidateRect(r, false);
}

void TECMenuItem::RepaintItem() {
  if (!parent_ || !parent_->window_) return;
  // Painting stays in the window's paint handler: the entry is invalidated.
  parent_->window_->InvalidateRect(rect_, transparent_);
}

// --- layout ---

void TECMenuItem::Layout() {
  if (menu_ && (menu_->HostComponent()->ComponentState() & csLoading)) return;
  if (lock_ > 0) {
    layoutPending_ = true;
    return;
  }
  const int m = margin_;
  const bool horizontal = orientation_ == ioHorizontal;
  int x = horizontal ? m : 0;
  int y = horizontal ? (menuStyle_ == msToolbar ? buttonHeight_ : 0) : m;
  panelWidth_ = 0;
  for (TECMenuItem* c : items_) {
    if (!c->Shown()) continue;
    if (c->control_) {
      TControl* ctl = c->control_;
      if (horizontal) {
        int w = ctl->Width() + (c->kind_ == ikDropDown ? 12 : 0);
        c->rect_ = TRect{x, m, x + w + 2 * c->textOffset_, m};
        ctl->SetBounds(x + c->textOffset_, m, ctl->Width(), ctl->Height());
        x += w;
      } else {
        c->rect_ = TRect{m, y, m, y + ctl->Height()};
        ctl->SetBounds(m + c->textOffset_, y, ctl->Width(), ctl->Height());
        y += ctl->Height();
      }
      continue;
    }
    if (menuStyle_ == msMenu) {
      const bool marked = c->kind_ == ikCheckBox || c->GetImageIndex() >= 0;
      if (marked) panelWidth_ = 24;
      TCanvas& k = MeasureCanvas(c->font_);
      const int tw = k.TextWidth(StripAccelerator(c->caption_));
      if (horizontal) {
        int w = tw + textOffset_ + 2 * offset_ + 4 + (marked ? 24 : 0);
        y = std::max(y, c->buttonHeight_);
        c->rect_ = TRect{x, m, x + w, m};
        x += w;
      } else {
        int w = tw + textOffset_ + 4 * c->offset_ + 4;
        if (!c->shortCutText_.empty()) w += k.TextWidth(c->shortCutText_) + c->offset_;
        x = std::max(x, w);
        int h = c->height_ < 0 ? buttonHeight_ : c->height_;
        c->rect_ = TRect{m, y, m, y + h};
        y += h;
      }
    } else if (horizontal) {
      int w;
      if (c->height_ >= 1)
        w = c->height_;
      else if (c->kind_ == ikDropDown || (c->kind_ == ikButton && c->HasVisibleChildren()))
        w = c->image_ < 0 ? 12 : c->buttonWidth_ + 12;
      else
        w = c->buttonWidth_;
      // A tool button without a picture shows its caption whole, and its
      // arrow part beside it.
      if (c->image_ < 0 && !c->caption_.empty() && c->height_ < 1)
        w = std::max(w, MeasureCanvas(c->font_).TextWidth(StripAccelerator(c->caption_)) + 2 * c->offset_ + 8 +
                            (c->kind_ == ikDropDown ? 12 : 0));
      c->rect_ = TRect{x, m, x + w, m};
      x += w;
    } else {
      int h = c->height_ < 0 ? buttonHeight_ : c->height_;
      if (c->kind_ == ikDropDown || (c->kind_ == ikButton && c->HasVisibleChildren()))
        panelWidth_ = 36;
      else
        panelWidth_ = std::max(panelWidth_, 24);
      x = panelWidth_;
      c->rect_ = TRect{m, y, m, y + h};
      y += h;
    }
  }
  if (horizontal) {
    y = std::max(y, 10);
    area_ = TRect{0, 0, m + x, m + y};
    for (TECMenuItem* c : items_) {
      if (!c->Shown()) continue;
      c->rect_.Bottom = y - m;
      if (c->control_) c->control_->SetTop((y - c->control_->Height()) / 2);
    }
  } else {
    if (menuStyle_ == msMenu) x += panelWidth_;
    if (!parent_ && window_ && window_->ClientWidth() != 0) {
      if (m / 2 + x < window_->ClientWidth())
        x = window_->ClientWidth();
      else
        x += m / 2;
    } else {
      x += m / 2;
    }
    area_ = TRect{0, 0, x, m + y};
    if (menuStyle_ == msToolbar) panelWidth_ = x;
    for (TECMenuItem* c : items_)
      if (c->Shown()) c->rect_.Right = x - m;
  }
  if ((parent_ || (menu_ && menu_->IsContextMenu())) && window_)
    window_->SetBounds(window_->Left(), window_->Top(), area_.Width() + 2, area_.Height() + 2);
}

// --- images and painting ---

int TECMenuItem::GetImageIndex() const {
  TImageList* images = Images();
  if (!images) return -1;
  int r;
  if (!enabled_ && disableImage_ >= 0) {
    r = disableImage_;
  } else {
    const bool pressed = mouseState_ == 3 || mouseState_ == 4;
    const bool over = mouseState_ == 1 || mouseState_ == 2;
    if (!menu_->IsContextMenu() && kind_ == ikCheckBox && checked_ && mouseState_ >= 1 && pressImage_ >= 0)
      r = pressImage_;
    else if (over && overImage_ >= 0)
      r = overImage_;
    else if (pressed && pressImage_ >= 0)
      r = pressImage_;
    else
      r = image_;
  }
  return r >= images->Count() ? -1 : r;
}

void TECMenuItem::Blink(bool reset) {
  const int interval = menu_ ? menu_->TickInterval() : 0;
  const uint64_t now = GetTickCount();
  if (blinkTime_ != 0 && now - blinkTime_ < static_cast<uint64_t>(std::max(interval, 0))) return;
  blinkTime_ = now;
  blinkPhase_ = (reset || blinkPhase_ > 1) ? 0 : blinkPhase_ + 1;
  if (parent_ && parent_->window_) {
    parent_->Layout();
    parent_->InvalidateArea();
  }
}

void TECMenuItem::PaintWindow(TCanvas& canvas) {
  if (!window_) return;
  const int w = window_->ClientWidth(), h = window_->ClientHeight();
  if (w <= 0 || h <= 0) return;
  TBitmap buffer(w, h);
  PaintChildren(buffer.Canvas(), w, h);
  canvas.Draw(0, 0, buffer);
}

void TECMenuItem::PaintChildren(TCanvas& k, int width, int height) {
  const TRect a = area_;
  k.Pen().Style = psClear;
  if (picture_) {
    // A texture lies under the entries of a horizontal window; a vertical
    // one with a picture fills nothing.
    if (orientation_ == ioHorizontal)
      for (int x = 0; x < width; x += picture_->Width()) k.Draw(x, 0, *picture_);
  } else if (a.Bottom < height) {
    if (panelWidth_ > 0) {
      k.Brush().Color = ColorToRGB(panelColor_);
      k.FillRect(TRect{0, a.Bottom, panelWidth_, height});
    }
    k.Brush().Color = ColorToRGB(color_);
    k.FillRect(TRect{panelWidth_, a.Bottom, width, height});
  }
  if (!picture_ && a.Right < width) {
    k.Brush().Color = ColorToRGB(color_);
    k.FillRect(TRect{a.Right, 0, width, height});
  }
  for (TECMenuItem* c : items_) c->PaintItem(k);
  if (margin_ > 0) {
    const int m = margin_;
    k.Brush().Color = kBorderColor;
    k.FillRect(TRect{0, 0, m, a.Bottom});
    k.FillRect(TRect{0, 0, a.Right, m});
    k.FillRect(TRect{a.Right - 1, 0, a.Right, a.Bottom});
    k.FillRect(TRect{0, a.Bottom - m, a.Right, a.Bottom});
  }
}

void TECMenuItem::PaintItem(TCanvas& k) {
  if (!Shown() || !parent_) return;
  const TECMenuItem& p = *parent_;
  const int image = GetImageIndex();
  // The room kept at the right edge for a drop-down arrow or submenu mark.
  const int arrowInset = p.menuStyle_ == msToolbar ? 3 : offset_;
  const bool hot = p.hot_ == this && kind_ != ikSeparator;
  PaintBackground(k);
  if (hot && style_ == isMenuItem) PaintHotLook(k, image, arrowInset);
  if (image >= 0 && blinkPhase_ == 0 && Images()) PaintImage(k, image, hot);
  k.Brush().Style = bsClear;
  k.Pen().Style = psSolid;
  // A tool button without a picture blinks with its caption.
  if (p.menuStyle_ == msToolbar) {
    if (image >= 0 || blinkPhase_ == 0) PaintToolbarCaption(k, image);
  } else {
    PaintMenuCaption(k, hot);
  }
  PaintMarks(k, image, arrowInset, hot);
}

void TECMenuItem::PaintBackground(TCanvas& k) {
  const TECMenuItem& p = *parent_;
  const TRect r = rect_;
  const int panel = p.panelWidth_;
  if (!transparent_) {
    k.Brush().Style = bsSolid;
    k.Brush().Color = ColorToRGB(p.color_);
    k.FillRect(r);
    if (panel >= 1) {
      k.Brush().Color = ColorToRGB(p.panelColor_);
      k.FillRect(TRect{r.Left, r.Top, std::min(r.Right, r.Left + panel), r.Bottom});
    }
  }
  if (!flat_) DrawButtonFrame(k, TRect{r.Left + panel, r.Top, r.Right, r.Bottom}, mouseState_ == 3);
}

void TECMenuItem::PaintHotLook(TCanvas& k, int image, int arrowInset) {
  const TRect r = rect_;
  k.Pen().Style = psSolid;
  k.Pen().Color = kHotPen;
  k.Brush().Style = bsSolid;
  if (kind_ == ikDropDown) {
    // The button part and the arrow part light up apart.
    if (image >= 0 || control_) {
      k.Brush().Color = mouseState_ == 3 ? kPressedBrush : kHotBrush;
      k.Rectangle(r.Left, r.Top, r.Right - arrowInset - 11, r.Bottom);
    }
    k.Brush().Color = mouseState_ == 4 ? kPressedBrush : kHotBrush;
    k.Rectangle(r.Right - arrowInset - 10, r.Top, r.Right, r.Bottom);
  } else {
    k.Brush().Color = mouseState_ == 3 ? kPressedBrush : kHotBrush;
    k.Rectangle(r);
  }
}

void TECMenuItem::PaintImage(TCanvas& k, int image, bool hot) {
  const TECMenuItem& p = *parent_;
  const TRect r = rect_;
  TImageList* images = Images();
  const int y = (r.Top + r.Bottom - images->Height()) / 2;
  int x = r.Left + offset_;
  if (p.menuStyle_ == msToolbar && alignment_ == taRightJustify) x = r.Right - offset_ - 4 - 16;
  if (p.menuStyle_ == msToolbar && alignment_ == taCenter)
    x = (r.Right + r.Left - (kind_ == ikDropDown ? 28 : 16) - offset_) / 2;
  const bool grayed = !enabled_ && disableImage_ < 0;
  if (hot && mouseState_ == 1 && overImage_ < 0) {
    // A raised look: the image lifted off its own gray silhouette.
    if (auto pic = images->GetBitmap(image)) {
      k.Brush().Color = 0x808080;
      for (int sy = 0; sy < std::min(16, pic->Height()); ++sy)
        for (int sx = 0; sx < std::min(16, pic->Width()); ++sx)
          if (pic->Pixel(sx, sy) != clWhite) k.FillRect(Bounds(x + 1 + sx, y + 1 + sy, 1, 1));
    }
    images->Draw(k, x - 1, y - 1, image, !grayed);
  } else {
    images->Draw(k, x, y, image, !grayed);
  }
}

void TECMenuItem::PaintToolbarCaption(TCanvas& k, int image) {
  const TECMenuItem& p = *parent_;
  const TRect r = rect_;
  if (kind_ == ikSeparator) {
    k.Pen().Color = kBorderColor;
    if (p.orientation_ == ioHorizontal) {
      const int middleX = (r.Left + r.Right) / 2;
      k.MoveTo(middleX, r.Top);
      k.LineTo(middleX, r.Bottom);
    } else {
      const int middleY = (r.Top + r.Bottom) / 2;
      k.MoveTo(r.Left + offset_, middleY);
      k.LineTo(r.Right - offset_, middleY);
    }
  } else if (image < 0) {
    const std::string caption = StripAccelerator(caption_);
    k.Font() = font_;
    if (!enabled_) k.Font().Color = 0xC0C0C0;
    const int textWidth = k.TextWidth(caption);
    const int y = (r.Top + r.Bottom - k.TextHeight("A")) / 2;
    int x = r.Left + p.panelWidth_ + offset_ + textOffset_;
    if (alignment_ == taRightJustify) x = r.Right - offset_ - 4 - textWidth - textOffset_;
    if (alignment_ == taCenter) x = (r.Right + r.Left - textWidth) / 2;
    k.TextOut(x, y, caption);
  }
}

void TECMenuItem::PaintMenuCaption(TCanvas& k, bool hot) {
  const TECMenuItem& p = *parent_;
  const TRect r = rect_;
  const int panel = p.panelWidth_;
  const std::string caption = StripAccelerator(caption_);
  k.Font() = font_;
  if (hot && style_ == isHotKey) k.Font().Style |= fsUnderline;
  if (!enabled_) k.Font().Color = 0xC0C0C0;
  const int textHeight = k.TextHeight("A");
  if (kind_ == ikSeparator) {
    const int y = (r.Top + r.Bottom + (caption_.empty() ? 0 : textHeight)) / 2;
    k.Pen().Color = kBorderColor;
    k.MoveTo(r.Left + panel + offset_, y);
    k.LineTo(r.Right - offset_, y);
  }
  const int textWidth = k.TextWidth(caption);
  int x = r.Left + panel + offset_ + textOffset_;
  if (shortCutText_.empty()) {
    if (alignment_ == taRightJustify) x = r.Right - offset_ - 4 - textWidth - textOffset_;
    if (alignment_ == taCenter) x = (r.Right + r.Left + panel - textWidth - 2 * offset_) / 2;
  }
  const int y = (r.Top + r.Bottom - textHeight) / 2;
  PaintAcceleratedText(k, x, y);
  if (!shortCutText_.empty()) k.TextOut(r.Right - offset_ - k.TextWidth(shortCutText_), y, shortCutText_);
}

void TECMenuItem::PaintAcceleratedText(TCanvas& k, int x, int y) {
  const size_t amp = caption_.find('&');
  if (amp == std::string::npos || amp + 1 >= caption_.size()) {
    k.TextOut(x, y, StripAccelerator(caption_));
    return;
  }
  const std::string before = caption_.substr(0, amp);
  k.TextOut(x, y, before);
  x += k.TextWidth(before);
  const TFontStyles style = k.Font().Style;
  k.Font().Style |= fsUnderline;
  // Whole characters, not bytes: the caption is UTF-8.
  auto charEnd = [this](size_t i) {
    do ++i;
    while (i < caption_.size() && (static_cast<unsigned char>(caption_[i]) & 0xC0) == 0x80);
    return i;
  };
  const size_t hotEnd = charEnd(amp + 1);
  const std::string hotChar = caption_.substr(amp + 1, hotEnd - amp - 1);
  k.TextOut(x, y, hotChar);
  x += k.TextWidth(hotChar);
  k.Font().Style = style;
  size_t restEnd = hotEnd;
  for (int n = 0; n < 100 && restEnd < caption_.size(); ++n) restEnd = charEnd(restEnd);
  k.TextOut(x, y, caption_.substr(hotEnd, restEnd - hotEnd));
}

void TECMenuItem::PaintMarks(TCanvas& k, int image, int arrowInset, bool hot) {
  const TECMenuItem& p = *parent_;
  const TRect r = rect_;
  const int middleY = (r.Top + r.Bottom) / 2;
  const TColor markColor = enabled_ ? clBlack : TColor(0x808080);
  k.Pen().Style = psClear;
  k.Brush().Style = bsSolid;
  if (kind_ == ikButton && menuArrow_ && HasVisibleChildren()) {
    const int x = r.Right - 4 - arrowInset;
    k.Brush().Color = markColor;
    k.Polygon({TPoint{x, middleY}, TPoint{x - 4, middleY - 4}, TPoint{x - 4, middleY + 4}});
  } else if (kind_ == ikDropDown) {
    auto arrow = [&](int x, int y, TColor color) {
      k.Brush().Color = color;
      if (p.orientation_ == ioHorizontal)
        k.Polygon({TPoint{x + 2, y - 1}, TPoint{x - 2, y - 1}, TPoint{x, y + 1}});
      else
        k.Polygon({TPoint{x + 2, y - 2}, TPoint{x - 6, y - 2}, TPoint{x - 2, y + 2}});
    };
    int x = r.Right - 4 - arrowInset, y = middleY;
    if (!enabled_) {
      arrow(x, y, 0x808080);
    } else {
      if (hot && mouseState_ == 2) {
        // Pressed: a gray shadow with the arrow up and to the left of it.
        arrow(x, y, 0x808080);
        --x;
        --y;
      }
      arrow(x, y, clBlack);
    }
  } else if (kind_ == ikCheckBox && checked_ && image < 0) {
    const int x = r.Left + arrowInset + 2;
    k.Brush().Color = clBlack;
    k.Polygon({TPoint{x, middleY}, TPoint{x, middleY + 1}, TPoint{x + 2, middleY + 3}, TPoint{x + 7, middleY - 2},
               TPoint{x + 7, middleY - 3}, TPoint{x + 2, middleY + 2}});
  }
}

}  // namespace qs

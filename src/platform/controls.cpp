#include "platform/controls.h"

#include <QPointer>
#include <QApplication>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QCursor>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cstring>

#include "base/text.h"
#include "platform/drawdevice.h"
#include "platform/fonts.h"
#include "platform/forms.h"
#include "platform/gui.h"
#include "platform/qtcontrols.h"
#include "platform/qtsurface.h"

namespace qs {

// Messages posted to a control travel as events of this type.
constexpr QEvent::Type kPostedMessageEvent = static_cast<QEvent::Type>(QEvent::User + 101);

struct TPostedMessage : QEvent {
  explicit TPostedMessage(const TMessage& m) : QEvent(kPostedMessageEvent), Message(m) {}
  TMessage Message;
};

namespace {

// Drawing on a control's buffer outside Paint shows at once.
class TShownDevice : public TDrawDevice {
 public:
  TShownDevice(std::shared_ptr<TDrawDevice> target, QWidget* widget) : target_(std::move(target)), widget_(widget) {}
  int PixelsPerInchX() const override { return target_->PixelsPerInchX(); }
  int PixelsPerInchY() const override { return target_->PixelsPerInchY(); }
  void Draw(const TCanvasOp& op) override {
    target_->Draw(op);
    Shown();
  }
  void Draw(const TGraphicsOp& op) override {
    target_->Draw(op);
    Shown();
  }
  bool Painting = false;

 private:
  void Shown() {
    if (!Painting && widget_) widget_->update();
  }
  std::shared_ptr<TDrawDevice> target_;
  QPointer<QWidget> widget_;
};

// The property by which a widget names its control.
constexpr const char* kControlProperty = "qsControl";

QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }
TRect FromQRect(const QRect& r) { return Bounds(r.x(), r.y(), r.width(), r.height()); }

QFont ToQFont(const TFont& font) {
  QFont f(QString::fromStdString(ResolveFont(font).Family));
  const int h = font.Height == 0 ? 12 : std::abs(font.Height);
  f.setPixelSize(std::max(1, h));
  f.setBold(font.Style & fsBold);
  f.setItalic(font.Style & fsItalic);
  f.setUnderline(font.Style & fsUnderline);
  f.setStrikeOut(font.Style & fsStrikeOut);
  return f;
}

}  // namespace

TColor ColorToRGB(TColor color) {
  if ((color & 0xFF000000) != clSystemColor) return color & 0xFFFFFF;
  EnsureGuiApplication();
  const QPalette pal = QApplication::palette();
  QColor c;
  switch (color & 0xFF) {
    case 0: c = pal.color(QPalette::Mid); break;
    case 1: c = pal.color(QPalette::Dark); break;
    case 2: case 13: c = pal.color(QPalette::Highlight); break;
    case 3: c = pal.color(QPalette::Mid); break;
    case 4: c = pal.color(QPalette::Window); break;
    case 5: c = pal.color(QPalette::Base); break;
    case 6: case 21: c = pal.color(QPalette::Shadow); break;
    case 7: case 8: c = pal.color(QPalette::Text); break;
    case 9: case 14: c = pal.color(QPalette::HighlightedText); break;
    case 15: c = pal.color(QPalette::Button); break;
    case 16: c = pal.color(QPalette::Dark); break;
    case 17: c = pal.color(QPalette::Disabled, QPalette::Text); break;
    case 18: c = pal.color(QPalette::ButtonText); break;
    case 20: c = pal.color(QPalette::Light); break;
    case 22: c = pal.color(QPalette::Midlight); break;
    case 23: c = pal.color(QPalette::ToolTipText); break;
    case 24: c = pal.color(QPalette::ToolTipBase); break;
    default: c = pal.color(QPalette::Window); break;
  }
  return RGB(static_cast<uint8_t>(c.red()), static_cast<uint8_t>(c.green()), static_cast<uint8_t>(c.blue()));
}

// Passes the toolkit's events of a control's widget to the control.
struct TControlBridge : QObject {
  explicit TControlBridge(TWinControl* control) : Control(control) {}
  TWinControl* Control;

  // The graphic child at a point of the control's client area.
  TControl* GraphicAt(QPoint p) const {
    for (auto it = Control->controls_.rbegin(); it != Control->controls_.rend(); ++it) {
      TControl* c = *it;
      if (!c->IsWindowed() && c->Visible() && c->BoundsRect().Contains({p.x(), p.y()})) return c;
    }
    return nullptr;
  }
  static TPoint Local(TControl* target, TWinControl* host, QPoint p) {
    if (target == host) return {p.x(), p.y()};
    return {p.x() - target->Left(), p.y() - target->Top()};
  }
  static TMouseButton Button(Qt::MouseButton b) {
    return b == Qt::RightButton ? mbRight : b == Qt::MiddleButton ? mbMiddle : mbLeft;
  }
  void SetHover(TControl* c) {
    auto& im = Control->Impl();
    if (im.Hover == c) return;
    if (TControl* old = im.Hover) {
      old->mouseInside_ = false;
      im.Hover = nullptr;
      old->MouseLeave();
    }
    im.Hover = c;
    if (c) {
      c->mouseInside_ = true;
      c->MouseEnter();
    }
    if (QWidget* w = Control->Impl().Widget.data()) w->setCursor(QtCursor(c && c->Cursor() != crDefault ? c->Cursor() : Control->Cursor()));
  }

  // Mouse input over a form's own frame goes to the frame, in window
  // coordinates; true when it went there.
  bool FrameMouse(QMouseEvent* e, QPoint client, TControl* capture) {
    auto& im = Control->Impl();
    if (!im.Frame || (capture && capture != Control)) return false;
    // A press with no other button held starts afresh: the release of a
    // press the window system took over for moving or sizing never came.
    if (e->type() == QEvent::MouseButtonPress && e->buttons() == e->button()) im.FrameHeld = false;
    const bool inClient = QRect(0, 0, Control->ClientWidth(), Control->ClientHeight()).contains(client);
    QWidget* w = Control->Impl().Widget.data();
    if (!im.FrameHeld && (inClient || capture || im.Pressed)) {
      if (im.FrameHover) {
        im.FrameHover = false;
        w->setCursor(QtCursor(Control->Cursor()));
        im.Frame->FrameMouse(TFormFrame::TMouse::Leave, mbLeft, 0, {});
      }
      return false;
    }
    const QPoint wp = e->position().toPoint();
    const TPoint p{wp.x(), wp.y()};
    const TShiftState shift = ShiftFromQt(e->modifiers(), e->buttons());
    im.FrameHover = true;
    TFormFrame::TMouse kind = TFormFrame::TMouse::Move;
    switch (e->type()) {
      case QEvent::MouseButtonPress: kind = TFormFrame::TMouse::Down; im.FrameHeld = true; break;
      case QEvent::MouseButtonDblClick: kind = TFormFrame::TMouse::DoubleClick; im.FrameHeld = true; break;
      case QEvent::MouseButtonRelease:
        kind = TFormFrame::TMouse::Up;
        if (e->buttons() == Qt::NoButton) im.FrameHeld = false;
        break;
      default: break;
    }
    if (!im.FrameHeld) w->setCursor(QtCursor(im.Frame->FrameCursor(p)));
    im.Frame->FrameMouse(kind, Button(e->button()), shift, p);
    return true;
  }

  bool Mouse(QMouseEvent* e) {
    auto& im = Control->Impl();
    const QPoint p = e->position().toPoint() - QPoint(im.Inset.Left, im.Inset.Top);
    TShiftState shift = ShiftFromQt(e->modifiers(), e->buttons());
    TControl* target = Control;
    TControl* capture = Application().CaptureControl();
    if (FrameMouse(e, p, capture)) return true;
    TPoint lp;
    if (capture && capture != Control && !(capture->Parent() == Control && !capture->IsWindowed())) {
      // Captured elsewhere: the captor gets the input wherever the pointer is.
      const QPoint g = e->globalPosition().toPoint();
      target = capture;
      lp = capture->ScreenToClient({g.x(), g.y()});
    } else {
      if (capture)
        target = capture;
      else if (im.Pressed)
        target = im.Pressed;
      else if (TControl* g = GraphicAt(p))
        target = g;
      lp = Local(target, Control, p);
    }
    if (!target->Enabled()) return im.OwnDrawn;
    switch (e->type()) {
      case QEvent::MouseButtonPress:
        if (TPopupKeyTarget* popup = ActivePopup()) {
          TCustomForm* f = Control->ParentForm();
          if (!f || !f->NoActivate()) popup->PressOutside();
        }
        if (target != Control && !im.Pressed) im.Pressed = target;
        if (e->button() == Qt::LeftButton) target->clickPending_ = true;
        target->MouseDown(Button(e->button()), shift, lp.X, lp.Y);
        break;
      case QEvent::MouseButtonDblClick:
        if (target != Control && !im.Pressed) im.Pressed = target;
        target->MouseDown(Button(e->button()), shift | ssDouble, lp.X, lp.Y);
        if (e->button() == Qt::LeftButton) target->DblClick();
        break;
      case QEvent::MouseMove:
        if (!im.Pressed && !(capture && capture != Control)) SetHover(target == Control ? nullptr : target);
        target->MouseMove(shift, lp.X, lp.Y);
        break;
      case QEvent::MouseButtonRelease: {
        if (e->buttons() == Qt::NoButton) im.Pressed = nullptr;
        const bool click = e->button() == Qt::LeftButton && target->clickPending_;
        target->clickPending_ = false;
        const bool ownDrawn = im.OwnDrawn;
        // The release may close the window it happened in (a menu entry
        // chosen) or free the control: nothing more goes to either then.
        QPointer<QObject> alive(this);
        target->MouseUp(Button(e->button()), shift, lp.X, lp.Y);
        if (!alive) return true;
        bool present = target == Control;
        for (int i = 0; !present && i < Control->ControlCount(); ++i) present = Control->Controls(i) == target;
        if (!present && capture == target) present = true;
        // A toolkit widget reports its own clicks.
        if (present && click && ownDrawn && TRect{0, 0, target->Width(), target->Height()}.Contains(lp)) target->Click();
        return ownDrawn;
      }
      default: break;
    }
    return im.OwnDrawn;
  }

  // The committed text of the input method, character by character as
  // typed text; the text still being composed is not shown.
  bool ComposedText(QInputMethodEvent* e) {
    if (!Control->Impl().OwnDrawn) return false;
    TCustomForm* form = Control->ParentForm();
    if (form == Control) form = nullptr;
    for (QChar ch : e->commitString()) {
      if (ch.unicode() < 0x20) continue;
      TMessage cm{WM_CHAR, ch.unicode(), reinterpret_cast<intptr_t>(Control)};
      if (Application().PreviewMessage(cm)) continue;
      char16_t key = ch.unicode();
      if (form && form->PreviewKeyPress(key)) continue;
      Control->KeyPress(key);
    }
    e->accept();
    return true;
  }

  bool Key(QKeyEvent* e) {
    // A key a toolkit widget left alone travels on to its parents, which
    // must not handle it a second time.
    if (FindControl(QApplication::focusWidget()) != Control && QApplication::focusWidget()) return false;
    const bool down = e->type() == QEvent::KeyPress;
    uint16_t vk = VirtualKeyFromQt(e->key(), e->modifiers() & Qt::KeypadModifier);
    const TShiftState shift = ShiftFromQt(e->modifiers(), 0);
    TMessage m{static_cast<uint32_t>(down ? WM_KEYDOWN : WM_KEYUP), vk, reinterpret_cast<intptr_t>(Control)};
    if (Application().PreviewMessage(m)) return true;
    TCustomForm* form = Control->ParentForm();
    if (TPopupKeyTarget* popup = ActivePopup()) {
      if (down ? popup->MenuKeyDown(vk, shift) : popup->MenuKeyUp(vk, shift)) return true;
    }
    if (form) {
      if (auto* menu = dynamic_cast<TMenuKeyTarget*>(form->Menu)) {
        if (down ? menu->MenuKeyDown(vk, shift) : menu->MenuKeyUp(vk, shift)) return true;
      }
    }
    if (form == Control) form = nullptr;
    if (down) {
      // Text from the window system's text input comes without a key.
      if (vk != 0) {
        if (form && form->PreviewKeyDown(vk, shift)) return true;
        Control->KeyDown(vk, shift);
        if (vk == 0) return true;
      }
      const QString text = e->text();
      for (QChar ch : text) {
        if (ch.unicode() < 0x20 && ch.unicode() != 8 && ch.unicode() != 13 && ch.unicode() != 27) continue;
        TMessage cm{WM_CHAR, ch.unicode(), reinterpret_cast<intptr_t>(Control)};
        if (Application().PreviewMessage(cm)) return true;
        char16_t key = ch.unicode();
        if (form && form->PreviewKeyPress(key)) return true;
        Control->KeyPress(key);
        if (key == 0) return true;
      }
      if ((vk == VK_ESCAPE || (vk == VK_RETURN && !Control->WantReturns)) && !(shift & (ssCtrl | ssAlt))) {
        TCustomForm* f = Control->ParentForm();
        if (f && BroadcastDialogKey(f, vk)) return true;
      }
      if (vk == VK_TAB && !Control->WantTabs && !(shift & (ssCtrl | ssAlt))) {
        TCustomForm* form = Control->ParentForm();
        TWinControl* root = form ? static_cast<TWinControl*>(form) : Control;
        root->SelectNext(Control, !(shift & ssShift));
        return true;
      }
    } else {
      if (form && form->PreviewKeyUp(vk, shift)) return true;
      Control->KeyUp(vk, shift);
      if (vk == 0) return true;
    }
    return Control->Impl().OwnDrawn;
  }

  static bool BroadcastDialogKey(TWinControl* parent, uint16_t vk) {
    if (parent->DialogKey(vk)) return true;
    for (TControl* c : parent->controls_)
      if (c->IsWindowed() && c->Visible() && c->Enabled() && BroadcastDialogKey(static_cast<TWinControl*>(c), vk))
        return true;
    return false;
  }

  // A handler's error must not unwind through the toolkit: the user is
  // told and the program goes on, as after any message.
  bool eventFilter(QObject* watched, QEvent* e) override {
    try {
      return Dispatch(watched, e);
    } catch (const std::exception& error) {
      Application().HandleException(error);
      return true;
    }
  }

  bool Dispatch(QObject* watched, QEvent* e) {
    if (watched != Control->Impl().Widget.data() || Control->Destroying()) return false;
    auto& im = Control->Impl();
    switch (e->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::MouseMove:
        return Mouse(static_cast<QMouseEvent*>(e));
      case QEvent::Enter:
        Control->mouseInside_ = true;
        Control->MouseEnter();
        return false;
      case QEvent::Leave:
        if (im.FrameHover && im.Frame) {
          im.FrameHover = false;
          im.Frame->FrameMouse(TFormFrame::TMouse::Leave, mbLeft, 0, {});
        }
        SetHover(nullptr);
        Control->mouseInside_ = false;
        Control->MouseLeave();
        return false;
      case QEvent::Wheel: {
        auto* w = static_cast<QWheelEvent*>(e);
        const QPoint g = w->globalPosition().toPoint();
        const TShiftState shift = ShiftFromQt(w->modifiers(), w->buttons());
        const int delta = w->angleDelta().y() != 0 ? w->angleDelta().y() : w->angleDelta().x();
        for (TControl* c = Control; c; c = c->Parent())
          if (c->Enabled() && c->DoMouseWheel(shift, delta, {g.x(), g.y()})) return true;
        return im.OwnDrawn;
      }
      case QEvent::InputMethod:
        return ComposedText(static_cast<QInputMethodEvent*>(e));
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
        if (e->type() == QEvent::ShortcutOverride) return false;
        return Key(static_cast<QKeyEvent*>(e));
      case QEvent::FocusIn:
        if (TCustomForm* f = Control->ParentForm()) f->FocusChanged(Control);
        Control->DoEnter();
        return false;
      case QEvent::FocusOut:
        Control->DoExit();
        return false;
      case QEvent::ContextMenu: {
        auto* c = static_cast<QContextMenuEvent*>(e);
        TControl* target = Control;
        if (TControl* g = GraphicAt(c->pos() - QPoint(im.Inset.Left, im.Inset.Top))) target = g;
        bool handled = false;
        Fire(target->OnContextPopup, target, TPoint{c->pos().x(), c->pos().y()}, std::ref(handled));
        for (TControl* t = target; !handled && t; t = t->Parent())
          if (t->PopupMenu()) {
            // From the position in the window: the event's own global
            // position is not reliable on every window system.
            const TPoint g = Control->ClientToScreen(TPoint{c->pos().x(), c->pos().y()});
            t->PopupMenu()->Popup(g.X, g.Y);
            handled = true;
          }
        return handled || im.OwnDrawn;
      }
      case QEvent::ToolTip: {
        auto* h = static_cast<QHelpEvent*>(e);
        TControl* target = Control;
        if (TControl* g = GraphicAt(h->pos() - QPoint(im.Inset.Left, im.Inset.Top))) target = g;
        const std::string hint = Application().ShowHint ? target->ShownHint() : std::string();
        if (hint.empty())
          QToolTip::hideText();
        else
          QToolTip::showText(h->globalPos(), QString::fromStdString(hint), Control->Impl().Widget.data());
        return true;
      }
      case QEvent::Resize:
      case QEvent::Move: {
        QWidget* w = Control->Impl().Widget.data();
        TRect now = w->isWindow() ? Bounds(w->x(), w->y(), w->width(), w->height()) : FromQRect(w->geometry());
        if (TWinControl* p = Control->Parent(); p && !w->isWindow()) now.Offset(-p->Impl().Inset.Left, -p->Impl().Inset.Top);
        // Moved or sized by the window system (a form's frame).
        if (now != Control->bounds_) {
          const bool resized = now.Width() != Control->Width() || now.Height() != Control->Height();
          Control->bounds_ = now;
          if (resized) Control->SizeChanged();
        }
        return false;
      }
      default:
        if (e->type() == kPostedMessageEvent) {
          TMessage m = static_cast<TPostedMessage*>(e)->Message;
          if (!Application().PreviewMessage(m)) Control->WndProc(m);
          return true;
        }
        return false;
    }
  }
};

void TControlWidget::paintEvent(QPaintEvent* event) {
  try {
    control_->PaintBuffer();
  } catch (const std::exception& error) {
    Application().HandleException(error);
  }
  QPainter p(this);
  auto& im = control_->Impl();
  if (im.Buffer) p.drawImage(event->rect(), BitmapImage(*im.Buffer), event->rect());
}

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* owner) : TComponent(owner) {
  EnsureGuiApplication();
  font_.PixelsPerInch = ScreenPixelsPerInch();
}

TControl::~TControl() {
  BeginDestroy();
  TApplication& app = Application();
  if (app.CaptureControl() == this) app.SetCaptureControl(nullptr);
  if (parent_) parent_->RemoveControl(this);
}

const TPropTable& TControl::Published() const {
  static const TPropTable table(
      &TComponent::Published(),
      {StringProp<TControl>(
           "Caption", [](const TControl& c) { return c.Caption(); },
           [](TControl& c, const std::string& v) { c.SetCaption(v); }),
       StringProp<TControl>(
           "Hint", [](const TControl& c) { return c.Hint(); }, [](TControl& c, const std::string& v) { c.SetHint(v); }),
       IntProp<TControl>(
           "Left", [](const TControl& c) { return c.Left(); }, [](TControl& c, int v) { c.SetLeft(v); }),
       IntProp<TControl>(
           "Top", [](const TControl& c) { return c.Top(); }, [](TControl& c, int v) { c.SetTop(v); }),
       IntProp<TControl>(
           "Width", [](const TControl& c) { return c.Width(); }, [](TControl& c, int v) { c.SetWidth(v); }),
       IntProp<TControl>(
           "Height", [](const TControl& c) { return c.Height(); }, [](TControl& c, int v) { c.SetHeight(v); }),
       BoolProp<TControl>(
           "Visible", [](const TControl& c) { return c.Visible(); }, [](TControl& c, bool v) { c.SetVisible(v); }),
       BoolProp<TControl>(
           "Enabled", [](const TControl& c) { return c.Enabled(); }, [](TControl& c, bool v) { c.SetEnabled(v); }),
       BoolProp<TControl>(
           "ShowHint", [](const TControl& c) { return c.ShowHint(); }, [](TControl& c, bool v) { c.SetShowHint(v); }),
       BoolProp<TControl>(
           "ParentFont", [](const TControl& c) { return c.ParentFont(); },
           [](TControl& c, bool v) { c.SetParentFont(v); }),
       IntProp<TControl>(
           "Color", [](const TControl& c) { return static_cast<int>(c.Color()); },
           [](TControl& c, int v) { c.SetColor(static_cast<TColor>(v)); }),
       FontProp<TControl>(
           "Font", [](const TControl& c) { return c.Font(); }, [](TControl& c, const TFont& v) { c.SetFont(v); }),
       ObjectProp<TControl>("PopupMenu", TPropKind::Component,
                            [](const TControl& c) -> TPersistent* { return c.PopupMenu(); })});
  return table;
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (parent) parent->InsertControl(this);
  if (parentFont_) ParentFontChanged();
  if (parentColor_) ParentColorChanged();
  TakeAnchorDistances();
  if (parent_ && align_ != alNone) parent_->Realign();
  if (parent_) parent_->InvalidateRect(bounds_);
}

TCustomForm* TControl::ParentForm() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (auto* f = dynamic_cast<const TCustomForm*>(c)) return const_cast<TCustomForm*>(f);
  return nullptr;
}

void TControl::SetBounds(int left, int top, int width, int height) {
  const TRect r = Bounds(left, top, std::max(0, width), std::max(0, height));
  if (r == bounds_) return;
  SetAlignedBounds(r);
  TakeAnchorDistances();
  if (parent_ && align_ != alNone) parent_->Realign();
}

void TControl::SetAlignedBounds(const TRect& r) {
  if (r == bounds_) return;
  const TRect old = bounds_;
  const bool resized = r.Width() != old.Width() || r.Height() != old.Height();
  bounds_ = r;
  if (!IsWindowed() && parent_) {
    parent_->InvalidateRect(old);
    parent_->InvalidateRect(r);
  }
  if (resized || IsWindowed()) BoundsChanged();
}

void TControl::TakeAnchorDistances() {
  if (!parent_) return;
  anchorRight_ = parent_->ClientWidth() - bounds_.Right;
  anchorBottom_ = parent_->ClientHeight() - bounds_.Bottom;
}

void TControl::BoundsChanged() { Resize(); }

TPoint TControl::ClientToScreen(TPoint p) const {
  if (!parent_) {
    // A window of its own: where the window system has put it, its client
    // area inside the frame the program draws, if any.
    if (!IsWindowed()) return p;
    const auto* window = static_cast<const TWinControl*>(this);
    const TRect& in = window->Impl().Inset;
    const QPoint g = window->Impl().Widget.data()->mapToGlobal(QPoint(p.X + in.Left, p.Y + in.Top));
    return {g.x(), g.y()};
  }
  return parent_->ClientToScreen({p.X + Left(), p.Y + Top()});
}

TPoint TControl::ScreenToClient(TPoint p) const {
  const TPoint o = ClientToScreen({0, 0});
  return {p.X - o.X, p.Y - o.Y};
}

void TControl::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  if (parent_) {
    if (align_ != alNone) parent_->Realign();
    parent_->InvalidateRect(bounds_);
  }
}

bool TControl::Showing() const {
  if (IsWindowed()) {
    QWidget* w = static_cast<const TWinControl*>(this)->Impl().Widget.data();
    return w && w->isVisible();
  }
  return visible_ && parent_ && parent_->Showing();
}

void TControl::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Invalidate();
}

void TControl::SetAlign(TAlign v) {
  if (v == align_) return;
  align_ = v;
  if (parent_) parent_->Realign();
}

void TControl::SetAnchors(TAnchors v) {
  anchors_ = v;
  TakeAnchorDistances();
}

void TControl::SetCaption(const std::string& v) {
  if (v == caption_) return;
  caption_ = v;
  CaptionChanged();
  Invalidate();
}

void TControl::SetParentShowHint(bool v) {
  parentShowHint_ = v;
}

std::string TControl::ShownHint() const {
  const TControl* c = this;
  while (c->parentShowHint_ && c->parent_) c = c->parent_;
  if (!c->showHint_ || hint_.empty()) return {};
  return hint_.substr(0, hint_.find('|'));
}

void TControl::SetCursor(TCursor v) { cursor_ = v; }

void TControl::SetPopupMenu(TPopupComponent* menu) {
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = menu;
  if (menu) menu->FreeNotification(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component == popupMenu_) popupMenu_ = nullptr;
}

void TControl::SetColor(TColor v) {
  parentColor_ = false;
  if (v == color_) return;
  color_ = v;
  ColorChanged();
}

void TControl::SetParentColor(bool v) {
  parentColor_ = v;
  if (v) ParentColorChanged();
}

void TControl::ParentColorChanged() {
  if (!parentColor_ || !parent_) return;
  if (color_ != parent_->color_) {
    color_ = parent_->color_;
    ColorChanged();
  }
}

void TControl::ColorChanged() { Invalidate(); }

void TControl::SetFont(const TFont& v) {
  parentFont_ = false;
  if (v == font_) return;
  font_ = v;
  FontChanged();
}

void TControl::SetParentFont(bool v) {
  parentFont_ = v;
  if (v) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!parentFont_ || !parent_) return;
  if (!(font_ == parent_->font_)) {
    font_ = parent_->font_;
    FontChanged();
  }
}

void TControl::FontChanged() { Invalidate(); }

void TControl::BringToFront() {
  if (!parent_) return;
  auto& list = parent_->controls_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  list.push_back(this);
  if (IsWindowed()) {
    if (QWidget* w = static_cast<TWinControl*>(this)->Impl().Widget.data()) w->raise();
  } else {
    parent_->InvalidateRect(bounds_);
  }
}

void TControl::SendToBack() {
  if (!parent_) return;
  auto& list = parent_->controls_;
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  list.insert(list.begin(), this);
  if (IsWindowed()) {
    if (QWidget* w = static_cast<TWinControl*>(this)->Impl().Widget.data()) w->lower();
  } else {
    parent_->InvalidateRect(bounds_);
  }
}

void TControl::Invalidate() {
  if (parent_) parent_->InvalidateRect(bounds_);
}
void TControl::InvalidateRect(const TRect& r, bool erase) {
  if (!parent_) return;
  TRect pr = r;
  pr.Offset(Left(), Top());
  TRect clipped;
  if (IntersectRect(clipped, pr, bounds_)) parent_->InvalidateRect(clipped, erase);
}
void TControl::Update() {
  if (parent_) parent_->Update();
}

intptr_t TControl::Perform(uint32_t msg, intptr_t wParam, intptr_t lParam) {
  TMessage m{msg, wParam, lParam};
  WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& message) {
  if (message.Msg == WM_CANCELMODE) CancelMode();
}

bool TControl::MouseCapture() const { return Application().CaptureControl() == this; }

void TControl::SetMouseCapture(bool v) {
  TApplication& app = Application();
  if (v)
    app.SetCaptureControl(this);
  else if (app.CaptureControl() == this)
    app.SetCaptureControl(nullptr);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  Fire(OnMouseDown, this, button, shift, x, y);
}
void TControl::MouseMove(TShiftState shift, int x, int y) { Fire(OnMouseMove, this, shift, x, y); }
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  Fire(OnMouseUp, this, button, shift, x, y);
}
void TControl::Click() { Fire(OnClick, this); }
void TControl::DblClick() { Fire(OnDblClick, this); }
void TControl::MouseEnter() { Fire(OnMouseEnter, this); }
void TControl::MouseLeave() { Fire(OnMouseLeave, this); }
bool TControl::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  bool handled = false;
  Fire(OnMouseWheel, this, shift, wheelDelta, mousePos, std::ref(handled));
  return handled;
}
void TControl::CancelMode() {
  clickPending_ = false;
  SetMouseCapture(false);
}
void TControl::Resize() { Fire(OnResize, this); }

// --------------------------------------------------------- TGraphicControl

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}

TGraphicControl::~TGraphicControl() {
  BeginDestroy();
  canvas_.reset();
}

TCanvas& TGraphicControl::Canvas() {
  if (!parent_) throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  if (!canvas_ || canvasParent_ != parent_) {
    canvas_ = std::make_unique<TCanvas>(parent_->BufferCanvas().DevicePtr());
    canvas_->Font() = font_;
    canvasParent_ = parent_;
  }
  canvas_->SetViewportOrg(Left() + parent_->Impl().Inset.Left, Top() + parent_->Impl().Inset.Top);
  canvas_->ResetClip();
  canvas_->IntersectClipRect(ClientRect());
  return *canvas_;
}

void TGraphicControl::Paint() { Fire(OnPaint, this); }

void TGraphicControl::PaintOn(TCanvas&, const TRect& clip) {
  TRect r;
  if (!visible_ || !IntersectRect(r, clip, bounds_)) return;
  TCanvas& c = Canvas();
  c.ResetClip();
  r.Offset(-Left(), -Top());
  c.IntersectClipRect(r);
  Paint();
  c.ResetClip();
  c.IntersectClipRect(ClientRect());
}

void TGraphicControl::Invalidate() { TControl::Invalidate(); }
void TGraphicControl::InvalidateRect(const TRect& r, bool erase) { TControl::InvalidateRect(r, erase); }
void TGraphicControl::Update() { TControl::Update(); }

// ------------------------------------------------------------- TWinControl

void TWinControl::SetWantsComposedText(bool value) {
  if (QWidget* w = Impl().Widget.data()) w->setAttribute(Qt::WA_InputMethodEnabled, value);
}

TWinControl::TWinControl(TComponent* owner) : TWinControl(owner, WidgetImpl(nullptr)) {}

std::unique_ptr<TWinControl::TImpl> WidgetImpl(QWidget* widget) {
  auto impl = std::make_unique<TWinControl::TImpl>();
  impl->Widget = widget;
  return impl;
}

TWinControl::TWinControl(TComponent* owner, std::unique_ptr<TImpl> impl) : TControl(owner), impl_(std::move(impl)) {
  QWidget* widget = impl_->Widget;
  if (!widget) {
    auto* own = new TControlWidget(this);
    own->setMouseTracking(true);
    own->setAttribute(Qt::WA_OpaquePaintEvent);
    own->setFocusPolicy(Qt::NoFocus);
    impl_->OwnDrawn = true;
    widget = own;
  }
  impl_->Widget = widget;
  widget->setProperty(kControlProperty, QVariant::fromValue(static_cast<void*>(this)));
  widget->hide();
  widget->setFont(ToQFont(font_));
  auto* bridge = new TControlBridge(this);
  impl_->Bridge = bridge;
  widget->installEventFilter(bridge);
  bounds_ = FromQRect(widget->geometry());
  SetBounds(0, 0, 100, 40);
  impl_->Invalid = QRegion(0, 0, Width(), Height());
}

TWinControl::~TWinControl() {
  BeginDestroy();
  // Children go first, while the window is still there.
  while (!controls_.empty()) {
    TControl* c = controls_.back();
    delete c;  // removes itself from controls_
  }
  TApplication& app = Application();
  if (app.CaptureControl() == this) app.SetCaptureControl(nullptr);
  if (parent_) {
    parent_->RemoveControl(this);
    parent_ = nullptr;
  }
  impl_->Canvas.reset();
  impl_->Buffer.reset();
  if (QWidget* w = impl_->Widget) {
    w->removeEventFilter(impl_->Bridge);
    delete w;
  }
  delete impl_->Bridge;
}

const TPropTable& TWinControl::Published() const {
  static const TPropTable table(
      &TControl::Published(),
      {BoolProp<TWinControl>(
           "TabStop", [](const TWinControl& c) { return c.TabStop(); },
           [](TWinControl& c, bool v) { c.SetTabStop(v); }),
       IntProp<TWinControl>(
           "TabOrder", [](const TWinControl& c) { return c.TabOrder(); },
           [](TWinControl& c, int v) { c.SetTabOrder(v); })});
  return table;
}

bool TWinControl::HasWindow() const { return !impl_->Widget.isNull(); }

TControl* TWinControl::Controls(int index) const {
  if (index < 0 || index >= ControlCount()) RaiseListIndexError(index);
  return controls_[static_cast<size_t>(index)];
}

void TWinControl::InsertControl(TControl* c) {
  // Windowed controls lie above the graphic ones.
  if (c->IsWindowed()) {
    controls_.push_back(c);
    auto* w = static_cast<TWinControl*>(c);
    int order = 0;
    for (TControl* o : controls_)
      if (o != c && o->IsWindowed()) order = std::max(order, static_cast<TWinControl*>(o)->impl_->TabOrder + 1);
    w->impl_->TabOrder = order;
    w->Impl().Widget.data()->setParent(Impl().Widget.data());
    w->Impl().Widget.data()->setGeometry(ToQRect(w->bounds_).translated(impl_->Inset.Left, impl_->Inset.Top));
    w->Impl().Widget.data()->setVisible(w->visible_);
  } else {
    auto it = std::find_if(controls_.begin(), controls_.end(), [](TControl* o) { return o->IsWindowed(); });
    controls_.insert(it, c);
  }
  c->parent_ = this;
  if (!Destroying()) ControlListChanged(c, true);
}

void TWinControl::RemoveControl(TControl* c) {
  auto it = std::find(controls_.begin(), controls_.end(), c);
  if (it == controls_.end()) return;
  controls_.erase(it);
  if (impl_->Hover == c) impl_->Hover = nullptr;
  if (impl_->Pressed == c) impl_->Pressed = nullptr;
  if (c->IsWindowed()) {
    auto* w = static_cast<TWinControl*>(c);
    if (QWidget* cw = w->Impl().Widget.data()) {
      cw->hide();
      cw->setParent(nullptr);
    }
    const int order = w->impl_->TabOrder;
    for (TControl* o : controls_)
      if (o->IsWindowed() && static_cast<TWinControl*>(o)->impl_->TabOrder > order)
        --static_cast<TWinControl*>(o)->impl_->TabOrder;
    w->impl_->TabOrder = -1;
  } else {
    InvalidateRect(c->BoundsRect());
  }
  c->parent_ = nullptr;
  if (c->align_ != alNone && !Destroying()) Realign();
  if (!Destroying()) ControlListChanged(c, false);
}

void TWinControl::SetParent(TWinControl* parent) {
  TControl::SetParent(parent);
}

void TWinControl::SetVisible(bool v) {
  if (v == visible_) return;
  TControl::SetVisible(v);
  if (parent_ && Impl().Widget.data()) Impl().Widget.data()->setVisible(v);
}

void TWinControl::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  if (Impl().Widget.data()) Impl().Widget.data()->setEnabled(v);
  Invalidate();
}

void TWinControl::SetBounds(int left, int top, int width, int height) { TControl::SetBounds(left, top, width, height); }

void TWinControl::SetCursor(TCursor v) {
  TControl::SetCursor(v);
  if (Impl().Widget.data()) Impl().Widget.data()->setCursor(QtCursor(v));
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (!c->visible_ || !c->enabled_) return false;
  return true;
}

bool TWinControl::Focused() const { return Impl().Widget.data() && Impl().Widget.data()->hasFocus(); }

void TWinControl::SetFocus() {
  // A popup's controls never take the focus from the window that opened it.
  if (TCustomForm* f = ParentForm(); f && f->NoActivate()) return;
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  TCustomForm* form = ParentForm();
  if (form && form != this) form->SetActiveControl(this);
  if (form && form->Visible()) {
    if (QWidget* top = form->Impl().Widget.data(); top && !top->isActiveWindow() && !form->Parent()) top->activateWindow();
  }
  Impl().Widget.data()->setFocus(Qt::OtherFocusReason);
}

void TWinControl::SetTabStop(bool v) {
  tabStop_ = v;
  if (impl_->OwnDrawn) Impl().Widget.data()->setFocusPolicy(v ? Qt::TabFocus : Qt::NoFocus);
}

int TWinControl::TabOrder() const { return impl_->TabOrder; }

std::vector<TWinControl*> TWinControl::TabList() const {
  std::vector<TWinControl*> list;
  for (TControl* c : controls_)
    if (c->IsWindowed()) list.push_back(static_cast<TWinControl*>(c));
  std::stable_sort(list.begin(), list.end(),
                   [](TWinControl* a, TWinControl* b) { return a->impl_->TabOrder < b->impl_->TabOrder; });
  return list;
}

namespace {
void TabOrderList(const TWinControl* parent, std::vector<TWinControl*>& out) {
  for (TWinControl* c : parent->TabList()) {
    out.push_back(c);
    TabOrderList(c, out);
  }
}
}  // namespace

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward) const {
  std::vector<TWinControl*> list;
  TabOrderList(this, list);
  if (list.empty()) return nullptr;
  if (!forward) std::reverse(list.begin(), list.end());
  auto it = std::find(list.begin(), list.end(), current);
  const size_t start = it == list.end() ? list.size() - 1 : static_cast<size_t>(it - list.begin());
  for (size_t i = 1; i <= list.size(); ++i) {
    TWinControl* c = list[(start + i) % list.size()];
    if (c->TabStop() && c->CanFocus()) return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool forward) {
  if (TWinControl* next = FindNextControl(current, forward)) next->SetFocus();
}

void TWinControl::SetTabOrder(int v) {
  if (!parent_) return;
  std::vector<TWinControl*> list = parent_->TabList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  v = std::clamp(v, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + v, this);
  for (size_t i = 0; i < list.size(); ++i) list[i]->impl_->TabOrder = static_cast<int>(i);
}

void TWinControl::KeyDown(uint16_t& key, TShiftState shift) { Fire(OnKeyDown, this, std::ref(key), shift); }
void TWinControl::KeyUp(uint16_t& key, TShiftState shift) { Fire(OnKeyUp, this, std::ref(key), shift); }
void TWinControl::KeyPress(char16_t& key) { Fire(OnKeyPress, this, std::ref(key)); }
void TWinControl::DoEnter() { Fire(OnEnter, this); }
bool TWinControl::DialogKey(uint16_t) { return false; }
void TWinControl::DoExit() { Fire(OnExit, this); }

void TWinControl::DockDrop(TControl* client) {
  client->SetParent(this);
  client->SetAlign(alClient);
}

namespace {
// The innermost shown windowed control under the screen point, starting at
// control (which contains it), whose DockSite is set.
TWinControl* SiteIn(TWinControl* control, TPoint screenPos, const TControl* except) {
  for (int i = control->ControlCount() - 1; i >= 0; --i) {
    TControl* c = control->Controls(i);
    if (c == except || !c->IsWindowed() || !c->Visible()) continue;
    const TPoint p = c->ScreenToClient(screenPos);
    if (p.X < 0 || p.Y < 0 || p.X >= c->Width() || p.Y >= c->Height()) continue;
    if (TWinControl* inner = SiteIn(static_cast<TWinControl*>(c), screenPos, except)) return inner;
    break;
  }
  return control->DockSite ? control : nullptr;
}
}  // namespace

TWinControl* TWinControl::DockSiteAt(TPoint screenPos, const TControl* except) {
  TScreen& screen = Screen();
  for (int i = 0; i < screen.FormCount(); ++i) {
    TCustomForm* f = screen.Forms(i);
    if (f == except || !f->Floating() || !f->Showing() || f->NoActivate()) continue;
    const TPoint p = f->ScreenToClient(screenPos);
    if (p.X < 0 || p.Y < 0 || p.X >= f->ClientWidth() || p.Y >= f->ClientHeight()) continue;
    if (TWinControl* site = SiteIn(f, screenPos, except)) return site;
  }
  return nullptr;
}

void TWinControl::Realign() {
  TRect r = ClientRect();
  AlignControls(r);
}

void TWinControl::AlignControls(TRect& r) {
  auto place = [](TControl* c, const TRect& b) { c->SetAlignedBounds(b); };
  for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> list;
    for (TControl* c : controls_)
      if (c->align_ == a && c->visible_) list.push_back(c);
    std::stable_sort(list.begin(), list.end(), [a](TControl* x, TControl* y) {
      switch (a) {
        case alTop: return x->Top() < y->Top();
        case alBottom: return x->bounds_.Bottom > y->bounds_.Bottom;
        case alLeft: return x->Left() < y->Left();
        case alRight: return x->bounds_.Right > y->bounds_.Right;
        default: return false;
      }
    });
    for (TControl* c : list) {
      switch (a) {
        case alTop:
          place(c, Bounds(r.Left, r.Top, r.Width(), c->Height()));
          r.Top += c->Height();
          break;
        case alBottom:
          place(c, Bounds(r.Left, r.Bottom - c->Height(), r.Width(), c->Height()));
          r.Bottom -= c->Height();
          break;
        case alLeft:
          place(c, Bounds(r.Left, r.Top, c->Width(), r.Height()));
          r.Left += c->Width();
          break;
        case alRight:
          place(c, Bounds(r.Right - c->Width(), r.Top, c->Width(), r.Height()));
          r.Right -= c->Width();
          break;
        default:
          place(c, Bounds(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height())));
          break;
      }
    }
  }
  // Anchored controls keep their distances to the edges they are tied to.
  for (TControl* c : controls_) {
    if (c->align_ != alNone) continue;
    TRect b = c->bounds_;
    const TAnchors an = c->anchors_;
    if (an & akRight) {
      const int right = ClientWidth() - c->anchorRight_;
      if (an & akLeft)
        b.Right = std::max(b.Left, right);
      else
        b = Bounds(right - c->Width(), b.Top, c->Width(), c->Height());
    }
    if (an & akBottom) {
      const int bottom = ClientHeight() - c->anchorBottom_;
      if (an & akTop)
        b.Bottom = std::max(b.Top, bottom);
      else
        b = Bounds(b.Left, bottom - c->Height(), c->Width(), c->Height());
    }
    place(c, b);
  }
}

void TWinControl::Invalidate() { InvalidateRect(ClientRect()); }

void TWinControl::InvalidateRect(const TRect& r, bool erase) {
  const QRect q = ToQRect(r).translated(impl_->Inset.Left, impl_->Inset.Top);
  impl_->Invalid += q;
  if (erase) impl_->Erase += q;
  if (Impl().Widget.data()) Impl().Widget.data()->update(q);
}

void TWinControl::Update() {
  if (Impl().Widget.data() && Impl().Widget.data()->isVisible()) Impl().Widget.data()->repaint();
}

TCanvas& TWinControl::BufferCanvas() {
  auto& im = *impl_;
  if (!im.Canvas) {
    im.Buffer = std::make_unique<TBitmap>(std::max(1, Width()), std::max(1, Height()));
    im.Canvas = std::make_unique<TCanvas>(std::make_shared<TShownDevice>(im.Buffer->Canvas().DevicePtr(), Impl().Widget.data()));
    im.Canvas->Font() = font_;
    im.Canvas->Brush().Color = ColorToRGB(color_);
    im.Invalid = QRegion(0, 0, Width(), Height());
    im.Erase = im.Invalid;
  }
  return *im.Canvas;
}

void TWinControl::PaintWindow(TCanvas&) {}

void TWinControl::BoundsChanged() {
  QWidget* w = Impl().Widget.data();
  if (!w) return;
  const QSize old = w->size();
  if (w->isWindow()) {
    w->move(Left(), Top());
    w->resize(Width(), Height());
  } else {
    QRect g = ToQRect(bounds_);
    if (parent_) g.translate(parent_->impl_->Inset.Left, parent_->impl_->Inset.Top);
    w->setGeometry(g);
  }
  if (old != QSize(Width(), Height())) SizeChanged();
}

void TWinControl::SizeChanged() {
  auto& im = *impl_;
  if (im.Buffer) im.Buffer->SetSize(std::max(1, Width()), std::max(1, Height()));
  Realign();
  Invalidate();
  Resize();
}

void TWinControl::PaintBuffer() {
  auto& im = *impl_;
  TCanvas& canvas = BufferCanvas();
  if (im.Buffer->Width() != std::max(1, Width()) || im.Buffer->Height() != std::max(1, Height()))
    im.Buffer->SetSize(std::max(1, Width()), std::max(1, Height()));
  const QRegion invalid = im.Invalid & QRect(0, 0, Width(), Height());
  const QRegion erase = im.Erase & invalid;
  im.Invalid = QRegion();
  im.Erase = QRegion();
  if (invalid.isEmpty()) return;
  auto* device = static_cast<TShownDevice*>(canvas.DevicePtr().get());
  device->Painting = true;
  const QPoint inset(im.Inset.Left, im.Inset.Top);
  TRect r = FromQRect(invalid.boundingRect());
  canvas.SetViewportOrg(0, 0);
  canvas.ResetClip();
  if (im.Frame) {
    // The frame in window coordinates; the client area inside it.
    canvas.IntersectClipRect(r);
    try {
      im.Frame->PaintFrame(canvas);
    } catch (...) {
      canvas.ResetClip();
      device->Painting = false;
      throw;
    }
    canvas.ResetClip();
    r = FromQRect(invalid.boundingRect().translated(-inset) & QRect(0, 0, ClientWidth(), ClientHeight()));
  }
  canvas.SetViewportOrg(inset.x(), inset.y());
  canvas.IntersectClipRect(r);
  if (!erase.isEmpty()) {
    const TBrush saved = canvas.Brush();
    canvas.Brush().Color = ColorToRGB(color_);
    canvas.Brush().Style = bsSolid;
    canvas.Brush().Bitmap.reset();
    canvas.FillRect(FromQRect(erase.boundingRect().translated(-inset)));
    canvas.Brush() = saved;
  }
  try {
    if (!im.Frame || !im.Frame->PaintClient(canvas)) PaintWindow(canvas);
    for (TControl* c : controls_)
      if (!c->IsWindowed()) static_cast<TGraphicControl*>(c)->PaintOn(canvas, r);
  } catch (...) {
    canvas.ResetClip();
    device->Painting = false;
    throw;
  }
  canvas.ResetClip();
  device->Painting = false;
}

void TWinControl::FontChanged() {
  if (Impl().Widget.data()) Impl().Widget.data()->setFont(ToQFont(font_));
  if (impl_->Canvas) impl_->Canvas->Font() = font_;
  for (TControl* c : controls_) c->ParentFontChanged();
  Invalidate();
}

void TWinControl::ColorChanged() {
  for (TControl* c : controls_) c->ParentColorChanged();
  Invalidate();
}

void TWinControl::CaptionChanged() {}

// ---------------------------------------------------------- TCustomControl

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

void TCustomControl::Paint() { Fire(OnPaint, this); }

void TCustomControl::PaintWindow(TCanvas&) { Paint(); }

// ------------------------------------------------------------------ helpers

std::unique_ptr<TBitmap> GrabControl(TControl& control) {
  QImage image;
  if (control.IsWindowed()) {
    QWidget* w = static_cast<TWinControl&>(control).Impl().Widget.data();
    if (w->size() != QSize(control.Width(), control.Height())) w->resize(control.Width(), control.Height());
    image = w->grab().toImage();
  } else if (TWinControl* p = control.Parent()) {
    image = p->Impl().Widget.data()->grab(ToQRect(control.BoundsRect())).toImage();
  }
  image = image.convertToFormat(QImage::Format_RGB32);
  auto bitmap = std::make_unique<TBitmap>(image.width(), image.height());
  for (int y = 0; y < image.height(); ++y)
    std::memcpy(bitmap->ScanLine(y), image.constScanLine(y), static_cast<size_t>(image.width()) * 4);
  return bitmap;
}

TWinControl* FindControl(QWidget* widget) {
  for (QWidget* w = widget; w; w = w->parentWidget()) {
    const QVariant v = w->property(kControlProperty);
    if (v.isValid()) return static_cast<TWinControl*>(v.value<void*>());
  }
  return nullptr;
}

void PostControlMessage(TWinControl* control, const TMessage& message) {
  if (control && control->Impl().Widget.data()) QCoreApplication::postEvent(control->Impl().Widget.data(), new TPostedMessage(message));
}

}  // namespace qs

#include "platform/forms.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QCursor>
#include <QImage>
#include <QPainterPath>
#include <QRegion>
#include <QWindow>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <cstdlib>

#include "platform/bitmap.h"
#include "platform/gui.h"
#include "platform/qtcontrols.h"
#include "platform/qtsurface.h"

namespace qs {

namespace {

// The last window activated that takes activation.
QPointer<QWidget> g_lastActive;

// Window-level events of a form: closing, activation.
struct TFormBridge : QObject {
  explicit TFormBridge(TCustomForm* form) : Form(form) {}
  TCustomForm* Form;
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched != Form->Impl().Widget.data() || Form->Destroying()) return false;
    switch (e->type()) {
      case QEvent::Close:
        // The window system asks: the form decides.
        e->ignore();
        Form->Close();
        return true;
      case QEvent::WindowActivate:
        // Where the window system activates a window that asked not to be,
        // the window that was active gets it back.
        if (Form->NoActivate()) {
          if (QWidget* back = g_lastActive) back->activateWindow();
          return false;
        }
        g_lastActive = Form->Impl().Widget.data();
        Form->Activated();
        return false;
      case QEvent::WindowDeactivate:
        Form->Deactivated();
        return false;
      case QEvent::WindowStateChange:
        // A frame of the form's own shows other buttons for the new state.
        if (Form->Frame()) Form->InvalidateFrame();
        return false;
      default:
        return false;
    }
  }
};

// Keeps a newly shown window, frame and all, inside the screen's work
// area. The frame a window manager adds is known only once the window is
// on the screen: the first move or resize that shows it shrinks and moves
// the window where it reaches past the work area. The watch ends there,
// so that later moves and sizes stay the user's.
struct TFitToWorkArea : QObject {
  explicit TFitToWorkArea(QWidget* window) : QObject(window), Window(window) { window->installEventFilter(this); }
  QWidget* Window;
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched != Window || (e->type() != QEvent::Move && e->type() != QEvent::Resize && e->type() != QEvent::Show))
      return false;
    const QRect inner = Window->geometry(), outer = Window->frameGeometry();
    // No frame (yet): nothing to fit around.
    if (outer == inner) return false;
    Window->removeEventFilter(this);
    deleteLater();
    if (Window->isMaximized() || Window->isFullScreen()) return false;
    const QScreen* screen = Window->screen();
    if (!screen) return false;
    const QRect area = screen->availableGeometry();
    const int excessW = std::max(0, outer.width() - area.width());
    const int excessH = std::max(0, outer.height() - area.height());
    if (excessW || excessH) Window->resize(inner.width() - excessW, inner.height() - excessH);
    const int w = outer.width() - excessW, h = outer.height() - excessH;
    const int x = std::clamp(outer.x(), area.left(), std::max(area.left(), area.right() + 1 - w));
    const int y = std::clamp(outer.y(), area.top(), std::max(area.top(), area.bottom() + 1 - h));
    if (x != outer.x() || y != outer.y()) Window->move(x, y);
    return false;
  }
};

// Frees a component later unless it went before.
class TReleaser : public TComponent {
 public:
  explicit TReleaser(TComponent* target) : TComponent(nullptr), target_(target) { target->FreeNotification(this); }
  void Run() {
    TComponent* t = target_;
    target_ = nullptr;
    if (t) {
      t->RemoveFreeNotification(this);
      delete t;
    }
  }

 protected:
  void Notification(TComponent* c, TOperation op) override {
    if (op == opRemove && c == target_) target_ = nullptr;
  }

 private:
  TComponent* target_;
};

}  // namespace

// ------------------------------------------------------------- TCustomForm

TCustomForm::TCustomForm(TComponent* owner) : TCustomControl(owner) {
  visible_ = false;
  QWidget* w = Impl().Widget.data();
  w->setParent(nullptr);
  w->setAttribute(Qt::WA_QuitOnClose, false);
  auto* bridge = new TFormBridge(this);
  bridge->setParent(w);
  w->installEventFilter(bridge);
  SetBounds(0, 0, 320, 240);
  undockBounds_ = BoundsRect();
  ApplyWindowFlags();
  Screen().forms_.push_back(this);
}

TCustomForm::~TCustomForm() {
  BeginDestroy();
  Fire(OnDestroy, this);
  // A docked form that goes tells its site, which may release what it made
  // for it.
  if (TWinControl* host = dockHost_) {
    dockHost_ = nullptr;
    host->RemoveFreeNotification(this);
    if (!host->Destroying()) {
      host->UndockClient(this);
      host->RemoveDockClient(this);
    }
  }
  auto& forms = Screen().forms_;
  forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
  TApplication& app = Application();
  if (app.mainForm_ == this) app.mainForm_ = nullptr;
}

const TPropTable& TCustomForm::Published() const {
  static const TPropTable table(
      &TWinControl::Published(),
      {BoolProp<TCustomForm>(
           "KeyPreview", [](const TCustomForm& f) { return f.KeyPreview; },
           [](TCustomForm& f, bool v) { f.KeyPreview = v; }),
       IntProp<TCustomForm>(
           "ModalResult", [](const TCustomForm& f) { return f.ModalResult(); },
           [](TCustomForm& f, int v) { f.SetModalResult(v); }),
       IntProp<TCustomForm>(
           "ClientWidth", [](const TCustomForm& f) { return f.ClientWidth(); },
           [](TCustomForm& f, int v) { f.SetClientWidth(v); }),
       IntProp<TCustomForm>(
           "ClientHeight", [](const TCustomForm& f) { return f.ClientHeight(); },
           [](TCustomForm& f, int v) { f.SetClientHeight(v); })});
  return table;
}

void TCustomForm::ApplyWindowFlags() {
  QWidget* w = Impl().Widget.data();
  if (parent_) return;
  Qt::WindowFlags flags = Qt::Window;
  switch (borderStyle_) {
    case bsNone: flags |= Qt::FramelessWindowHint; break;
    case bsDialog: flags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint; break;
    case bsToolWindow: case bsSizeToolWin: flags = Qt::Tool; break;
    default: break;
  }
  // A frame of the form's own replaces the window system's.
  if (frame_) flags = (flags & Qt::WindowType_Mask) | Qt::FramelessWindowHint;
  if (formStyle_ == fsStayOnTop) flags |= Qt::WindowStaysOnTopHint;
  if (noActivate_) {
    // A frameless popup is a window the window system never activates;
    // a bordered one asks not to be.
    if (borderStyle_ == bsNone)
      flags = Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;
    else
      flags = (flags & ~Qt::WindowType_Mask) | Qt::Tool | Qt::WindowDoesNotAcceptFocus;
  }
  w->setAttribute(Qt::WA_ShowWithoutActivating, noActivate_);
  const bool shown = w->isVisible();
  QWidget* owner = popupParent_ ? popupParent_->Impl().Widget.data() : nullptr;
  if (w->parentWidget() != owner)
    w->setParent(owner, flags);  // a window with a parent widget is that window's transient
  else
    w->setWindowFlags(flags);
  // Fixed borders keep the size the form gives.
  if (borderStyle_ == bsSingle || borderStyle_ == bsDialog || borderStyle_ == bsToolWindow)
    w->setFixedSize(Width(), Height());
  else
    w->setFixedSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX), w->setMinimumSize(0, 0);
  if (shown) w->show();
}

void TCustomForm::SetBounds(int left, int top, int width, int height) {
  QWidget* w = Impl().Widget.data();
  const bool fixed =
      w && w->isWindow() && (borderStyle_ == bsSingle || borderStyle_ == bsDialog || borderStyle_ == bsToolWindow);
  const bool resized = std::max(0, width) != Width() || std::max(0, height) != Height();
  if (fixed) w->setFixedSize(std::max(0, width), std::max(0, height));
  TCustomControl::SetBounds(left, top, width, height);
  // Fixing the size has sized the window already, so the control saw no
  // change of size: its children and OnResize must still follow.
  if (fixed && resized) SizeChanged();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle v) {
  if (v == borderStyle_) return;
  borderStyle_ = v;
  ApplyWindowFlags();
}

void TCustomForm::SetPopupParent(TCustomForm* owner) {
  if (owner == popupParent_ || owner == this) return;
  if (popupParent_) popupParent_->RemoveFreeNotification(this);
  popupParent_ = owner;
  if (owner) owner->FreeNotification(this);
  ApplyWindowFlags();
}

void TCustomForm::SetNoActivate(bool v) {
  if (v == noActivate_) return;
  noActivate_ = v;
  ApplyWindowFlags();
}

void TCustomForm::ManualDock(TWinControl* site, TAlign align) {
  if (!site || site == HostDockSite()) return;
  if (dockHost_) ManualFloat();
  if (!parent_) undockBounds_ = BoundsRect();
  const bool shown = visible_;
  if (site->DockSite) {
    // The site places the form; it stays shown or hidden as it was.
    dockHost_ = site;
    site->FreeNotification(this);
    try {
      site->DockDrop(this);
    } catch (...) {
      dockHost_ = nullptr;
      site->RemoveFreeNotification(this);
      throw;
    }
    if (!parent_) {
      dockHost_ = nullptr;
      site->RemoveFreeNotification(this);
      return;
    }
    FrameChanged();
    if (visible_ != shown) SetVisible(shown);
  } else {
    SetParent(site);
    // A window of fixed size keeps its size through setFixedSize; docked,
    // its site's alignment sizes it.
    if (QWidget* w = Impl().Widget.data()) {
      w->setMinimumSize(0, 0);
      w->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    FrameChanged();
    SetAlign(align);
    SetVisible(shown);
  }
  Fire(OnEndDock, this, site);
}

void TCustomForm::ManualFloat(const TRect* screenRect) {
  if (!parent_) return;
  TWinControl* host = dockHost_;
  if (host) host->UndockClient(this);
  const bool shown = visible_;
  SetAlign(alNone);
  SetParent(nullptr);
  visible_ = false;
  ApplyWindowFlags();
  const TRect r = screenRect ? *screenRect : undockBounds_;
  SetBounds(r.Left, r.Top, r.Width(), r.Height());
  FrameChanged();
  if (host) {
    dockHost_ = nullptr;
    host->RemoveFreeNotification(this);
    host->RemoveDockClient(this);
  }
  if (shown) SetVisible(true);
  Fire(OnEndDock, this, nullptr);
}

void TCustomForm::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (DockDrag && button == mbLeft) {
    dockDragging_ = false;
    dockDragStart_ = ClientToScreen(TPoint{x, y});
    dockDragArmed_ = true;
  }
}

void TCustomForm::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  if (!dockDragArmed_ || !(shift & ssLeft)) return;
  const TPoint p = ClientToScreen(TPoint{x, y});
  // A small jitter of the hand is no drag.
  if (std::abs(p.X - dockDragStart_.X) > 4 || std::abs(p.Y - dockDragStart_.Y) > 4) dockDragging_ = true;
}

void TCustomForm::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const bool dragged = dockDragArmed_ && dockDragging_ && button == mbLeft;
  if (button == mbLeft) dockDragArmed_ = dockDragging_ = false;
  if (dragged) {
    const TPoint p = ClientToScreen(TPoint{x, y});
    if (TWinControl* site = DockSiteAt(p, this)) {
      if (site != HostDockSite()) ManualDock(site);
    } else if (!Floating()) {
      const TRect r{p.X, p.Y, p.X + undockBounds_.Width(), p.Y + undockBounds_.Height()};
      ManualFloat(&r);
    }
  }
  TCustomControl::MouseUp(button, shift, x, y);
}

void TCustomForm::SetWindowRegion(const std::vector<TPoint>& polygon) {
  QPolygon p;
  for (const TPoint& pt : polygon) p << QPoint(pt.X, pt.Y);
  Impl().Widget.data()->setMask(QRegion(p));
}

void TCustomForm::SetWindowRoundRect(const TRect& r, int cornerWidth, int cornerHeight) {
  QPainterPath path;
  path.addRoundedRect(QRectF(r.Left, r.Top, r.Width(), r.Height()), cornerWidth / 2.0, cornerHeight / 2.0);
  Impl().Widget.data()->setMask(QRegion(path.toFillPolygon().toPolygon()));
}

void TCustomForm::ClearWindowRegion() { Impl().Widget.data()->clearMask(); }

bool TCustomForm::WindowRegionContains(TPoint p) const {
  const QRegion mask = Impl().Widget.data()->mask();
  if (mask.isEmpty()) return p.X >= 0 && p.Y >= 0 && p.X < Width() && p.Y < Height();
  return mask.contains(QPoint(p.X, p.Y));
}

TFormFrame* TCustomForm::Frame() const { return frame_; }

void TCustomForm::SetFrame(TFormFrame* frame) {
  if (frame == frame_) return;
  frame_ = frame;
  if (Destroying()) {
    Impl().Frame = nullptr;
    return;
  }
  Impl().FrameHeld = Impl().FrameHover = false;
  ApplyWindowFlags();
  FrameChanged();
}

TRect TCustomForm::FrameInsets() const { return Impl().Inset; }

void TCustomForm::FrameChanged() {
  auto& im = Impl();
  TRect in;
  if (frame_ && !parent_) in = frame_->FrameInsets();
  im.Frame = parent_ ? nullptr : frame_;
  if (in != im.Inset) {
    // The client area keeps its size; the window takes the frame around it.
    const int cw = ClientWidth(), ch = ClientHeight();
    im.Inset = in;
    for (int i = 0; i < ControlCount(); ++i)
      if (Controls(i)->IsWindowed()) {
        auto* c = static_cast<TWinControl*>(Controls(i));
        c->Impl().Widget.data()->setGeometry(QRect(c->Left() + in.Left, c->Top() + in.Top, c->Width(), c->Height()));
      }
    SetBounds(Left(), Top(), cw + in.Left + in.Right, ch + in.Top + in.Bottom);
  }
  InvalidateFrame();
  Invalidate();
}

void TCustomForm::InvalidateFrame() {
  Impl().Invalid += QRect(0, 0, Width(), Height());
  Impl().Widget.data()->update();
}

int TCustomForm::ClientWidth() const { return std::max(0, Width() - Impl().Inset.Left - Impl().Inset.Right); }
int TCustomForm::ClientHeight() const { return std::max(0, Height() - Impl().Inset.Top - Impl().Inset.Bottom); }

void TCustomForm::Resize() {
  if (Impl().Frame) Impl().Frame->FrameResized();
  TCustomControl::Resize();
}

bool TCustomForm::HasWindowRegion() const { return !Impl().Widget.data()->mask().isEmpty(); }

bool TCustomForm::BeginMove() {
  QWindow* w = Impl().Widget.data()->windowHandle();
  return w && !parent_ && w->startSystemMove();
}

bool TCustomForm::BeginSize(TAnchors edges) {
  QWindow* w = Impl().Widget.data()->windowHandle();
  if (!w || parent_) return false;
  Qt::Edges e;
  if (edges & akLeft) e |= Qt::LeftEdge;
  if (edges & akTop) e |= Qt::TopEdge;
  if (edges & akRight) e |= Qt::RightEdge;
  if (edges & akBottom) e |= Qt::BottomEdge;
  return e && w->startSystemResize(e);
}

void TCustomForm::SetFormStyle(TFormStyle v) {
  if (v == formStyle_) return;
  formStyle_ = v;
  ApplyWindowFlags();
}

TWindowState TCustomForm::WindowState() const {
  QWidget* w = Impl().Widget.data();
  if (w->isMinimized()) return TWindowState::wsMinimized;
  if (w->isMaximized()) return TWindowState::wsMaximized;
  return TWindowState::wsNormal;
}

void TCustomForm::SetWindowState(TWindowState v) {
  QWidget* w = Impl().Widget.data();
  Qt::WindowStates s = w->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
  if (v == TWindowState::wsMinimized) s |= Qt::WindowMinimized;
  if (v == TWindowState::wsMaximized) s |= Qt::WindowMaximized;
  w->setWindowState(s);
}

void TCustomForm::CaptionChanged() {
  Impl().Widget.data()->setWindowTitle(QString::fromStdString(caption_));
  if (Impl().Frame) Impl().Frame->FrameCaptionChanged();
  if (dockHost_) dockHost_->DockClientTextChanged(this, caption_);
}

void TCustomForm::PlaceOnShow() {
  if (placed_ || parent_) return;
  placed_ = true;
  const TRect area = Screen().WorkAreaRect();
  TRect around = area;
  if (position_ == poMainFormCenter || position_ == poOwnerFormCenter) {
    TCustomForm* other = position_ == poOwnerFormCenter ? dynamic_cast<TCustomForm*>(Owner()) : nullptr;
    if (!other) other = Application().MainForm();
    if (other && other != this && other->Visible()) around = other->BoundsRect();
  } else if (position_ != poScreenCenter && position_ != poDesktopCenter) {
    return;
  }
  int left = around.Left + (around.Width() - Width()) / 2, top = around.Top + (around.Height() - Height()) / 2;
  // Windows placed alike (two files opened together) step down and to the
  // right from one another, as cards in a cascade, so that each one shows;
  // a step that leaves the work area starts again at its corner.
  constexpr int kCascadeStep = 32;
  for (size_t tries = 0; tries <= Screen().forms_.size(); ++tries) {
    const bool taken = std::any_of(Screen().forms_.begin(), Screen().forms_.end(), [&](TCustomForm* f) {
      return f != this && !f->parent_ && f->Visible() && std::abs(f->Left() - left) < kCascadeStep &&
             std::abs(f->Top() - top) < kCascadeStep;
    });
    if (!taken) break;
    left += kCascadeStep;
    top += kCascadeStep;
    if (left + Width() > area.Right || top + Height() > area.Bottom) {
      left = area.Left + kCascadeStep * static_cast<int>(tries % 4);
      top = area.Top + kCascadeStep * static_cast<int>(tries % 4);
    }
  }
  SetBounds(left, top, Width(), Height());
}

void TCustomForm::SetVisible(bool v) {
  QWidget* w = Impl().Widget.data();
  if (parent_) {
    const bool was = visible_;
    TWinControl::SetVisible(v);
    if (dockHost_ && was != v) dockHost_->DockClientVisibleChanged(this, v);
    return;
  }
  if (v == visible_ && v == w->isVisible()) return;
  visible_ = v;
  if (v) {
    const bool first = !placed_;
    PlaceOnShow();
    // Drawn offscreen (tests, review tools) there is no screen to fit.
    if (first && QGuiApplication::platformName() != QLatin1String("offscreen")) new TFitToWorkArea(w);
    w->show();
    w->raise();
    if (!noActivate_) w->activateWindow();
    DoShow();
    if (noActivate_) return;
    if (activeControl_ && activeControl_->CanFocus())
      activeControl_->SetFocus();
    else if (TWinControl* first = FindNextControl(nullptr, true))
      first->SetFocus();
  } else {
    TApplication& app = Application();
    if (TControl* c = app.CaptureControl(); c && c->ParentForm() == this) app.SetCaptureControl(nullptr);
    w->hide();
    DoHide();
  }
}

void TCustomForm::SetModalResult(TModalResult v) {
  modalResult_ = v;
  if (modal_ && v != mrNone)
    if (auto* d = QAbstractEventDispatcher::instance()) d->wakeUp();
}

TModalResult TCustomForm::ShowModal() {
  if (modal_ || Visible()) throw EInvalidOperation("Cannot make a visible window modal");
  TApplication& app = Application();
  if (app.CaptureControl()) app.SetCaptureControl(nullptr);
  QWidget* w = Impl().Widget.data();
  // The window that was active gets the activation back afterwards, as
  // the owner of a closed dialog does.
  const QPointer<QWidget> before = QApplication::activeWindow();
  w->setWindowModality(Qt::ApplicationModal);
  modal_ = true;
  modalResult_ = mrNone;
  ++app.modalLevel_;
  TModalResult result = mrCancel;
  try {
    SetVisible(true);
    for (;;) {
      if (app.Terminated()) modalResult_ = mrCancel;
      if (modalResult_ != mrNone) {
        // The form may refuse to close: then the loop goes on.
        TCloseAction action = caNone;
        if (CloseQuery()) {
          action = caHide;
          DoClose(action);
        }
        if (action != caNone || app.Terminated()) break;
        modalResult_ = mrNone;
      }
      app.HandleMessage();
    }
    result = modalResult_;
  } catch (...) {
    --app.modalLevel_;
    modal_ = false;
    w->setWindowModality(Qt::NonModal);
    SetVisible(false);
    throw;
  }
  --app.modalLevel_;
  modal_ = false;
  SetVisible(false);
  w->setWindowModality(Qt::NonModal);
  if (before && before != w && before->isVisible() && !QApplication::activeWindow()) before->activateWindow();
  return result;
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  Fire(OnCloseQuery, this, std::ref(canClose));
  return canClose;
}

void TCustomForm::Close() {
  if (modal_) {
    SetModalResult(mrCancel);
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = DefaultCloseAction;
  DoClose(action);
  switch (action) {
    case caNone: return;
    case caMinimize: SetWindowState(TWindowState::wsMinimized); return;
    case caFree:
      SetVisible(false);
      if (Application().MainForm() == this) Application().Terminate();
      Release();
      return;
    default:
      SetVisible(false);
      if (Application().MainForm() == this) Application().Terminate();
      return;
  }
}

void TCustomForm::Release() { ReleaseComponent(this); }

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (control == activeControl_) return;
  if (activeControl_) activeControl_->RemoveFreeNotification(this);
  activeControl_ = control;
  if (control) control->FreeNotification(this);
}

bool TCustomForm::Active() const { return Impl().Widget.data()->isActiveWindow(); }

void TCustomForm::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation == opRemove && component == activeControl_) activeControl_ = nullptr;
  if (operation == opRemove && component == Menu) Menu = nullptr;
  if (operation == opRemove && component == dockHost_) dockHost_ = nullptr;
  if (operation == opRemove && component == popupParent_) {
    // Out from under the window before it goes, which would take this
    // window's widget with it.
    popupParent_ = nullptr;
    ApplyWindowFlags();
  }
}

bool TCustomForm::PreviewKeyDown(uint16_t& key, TShiftState shift) {
  if (KeyPreview) Fire(OnKeyDown, this, std::ref(key), shift);
  return key == 0;
}
bool TCustomForm::PreviewKeyUp(uint16_t& key, TShiftState shift) {
  if (KeyPreview) Fire(OnKeyUp, this, std::ref(key), shift);
  return key == 0;
}
bool TCustomForm::PreviewKeyPress(char16_t& key) {
  if (KeyPreview) Fire(OnKeyPress, this, std::ref(key));
  return key == 0;
}

void TCustomForm::Activated() {
  if (Impl().Frame) Impl().Frame->FrameActivation(true);
  Fire(OnActivate, this);
  Fire(Screen().OnActiveFormChange, this);
}

void TCustomForm::Deactivated() {
  // A drag in progress in the form ends when another window takes over.
  TApplication& app = Application();
  if (TControl* c = app.CaptureControl(); c && c->ParentForm() == this) {
    app.SetCaptureControl(nullptr);
    c->Perform(WM_CANCELMODE);
  }
  if (Impl().Frame) Impl().Frame->FrameActivation(false);
  Fire(OnDeactivate, this);
}

void TCustomForm::FocusChanged(TWinControl* control) {
  if (control != this) SetActiveControl(control);
  Fire(Screen().OnActiveControlChange, this);
}

// ------------------------------------------------------------ TApplication

struct TApplication::TImpl {};

TApplication::TApplication() : TComponent(nullptr), impl_(std::make_unique<TImpl>()) {
  EnsureGuiApplication();
  SetName("Application");
}

TApplication::~TApplication() { BeginDestroy(); }

TApplication& Application() {
  // Lives as long as the process, like the toolkit's application object.
  static TApplication* app = new TApplication;
  return *app;
}

void TApplication::Run() {
  if (mainForm_ && !mainForm_->Visible()) mainForm_->Show();
  while (!terminated_) HandleMessage();
}

void TApplication::ProcessMessages() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

bool TApplication::Idle() {
  bool done = true;
  Fire(OnIdle, this, std::ref(done));
  return done;
}

void TApplication::HandleMessage() {
  QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance();
  if (!d) return;
  if (d->processEvents(QEventLoop::AllEvents)) return;
  if (Idle() && !terminated_) d->processEvents(QEventLoop::WaitForMoreEvents);
}

void TApplication::Terminate() {
  terminated_ = true;
  if (auto* d = QAbstractEventDispatcher::instance()) d->wakeUp();
}

void TApplication::SetMainForm(TCustomForm* form) { mainForm_ = form; }

void TApplication::HandleException(const std::exception& e) {
  if (OnException) {
    OnException(this, e);
    return;
  }
  ShowMessage(e.what());
}

void TApplication::ActivateHint(TPoint screenPos, const std::string& text) {
  if (text.empty()) {
    CancelHint();
    return;
  }
  QToolTip::showText(QPoint(screenPos.X, screenPos.Y), QString::fromStdString(text), nullptr, QRect(),
                     HintHidePause);
}

void TApplication::CancelHint() {
  QToolTip::hideText();
  // The toolkit lets a hint fade out later; a cancelled hint goes now.
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->inherits("QTipLabel")) w->hide();
}

bool TApplication::HintShowing() const { return QToolTip::isVisible(); }

TWinControl* TApplication::FocusedControl() const { return FindControl(QApplication::focusWidget()); }

bool TApplication::PreviewMessage(TMessage& message) {
  if (!OnMessage) return false;
  bool handled = false;
  OnMessage(message, handled);
  return handled;
}

void TApplication::SetCaptureControl(TControl* control) {
  TControl* old = captureControl_;
  if (old == control) return;
  captureControl_ = control;
  auto hostOf = [](TControl* c) -> TWinControl* {
    return c->IsWindowed() ? static_cast<TWinControl*>(c) : c->Parent();
  };
  if (old) {
    if (TWinControl* host = hostOf(old)) {
      if (QWidget* w = host->Impl().Widget.data(); w && QWidget::mouseGrabber() == w) w->releaseMouse();
      if (host->Impl().Pressed == old) host->Impl().Pressed = nullptr;
    }
  }
  if (control) {
    if (TWinControl* host = hostOf(control)) {
      // The window system's grab also brings the pointer's moves outside
      // the program's windows; the offscreen platform has none to give.
      if (QWidget* w = host->Impl().Widget.data(); w && w->isVisible() && QGuiApplication::platformName() != "offscreen")
        w->grabMouse();
      if (!control->IsWindowed()) host->Impl().Pressed = control;
    }
    // The control that had the mouse learns that it lost it.
    if (old) old->Perform(WM_CANCELMODE);
  }
}

namespace {
TPopupKeyTarget*& ActivePopupSlot() {
  static TPopupKeyTarget* popup = nullptr;
  return popup;
}
}  // namespace

void SetActivePopup(TPopupKeyTarget* popup) { ActivePopupSlot() = popup; }
TPopupKeyTarget* ActivePopup() { return ActivePopupSlot(); }

void PostMessage(TWinControl* control, uint32_t msg, intptr_t wParam, intptr_t lParam) {
  PostControlMessage(control, TMessage{msg, wParam, lParam});
}

void ReleaseComponent(TComponent* component) {
  if (!component) return;
  auto* releaser = new TReleaser(component);
  QTimer::singleShot(0, QCoreApplication::instance(), [releaser] {
    releaser->Run();
    delete releaser;
  });
}

// ----------------------------------------------------------------- TScreen

TScreen& Screen() {
  static TScreen* screen = new TScreen;
  return *screen;
}

TCustomForm* TScreen::Forms(int index) const {
  if (index < 0 || index >= FormCount()) RaiseListIndexError(index);
  return forms_[static_cast<size_t>(index)];
}

TCustomForm* TScreen::ActiveForm() const {
  for (TCustomForm* f : forms_)
    if (f->Impl().Widget.data()->isActiveWindow() && !f->Parent()) return f;
  return nullptr;
}

TWinControl* TScreen::ActiveControl() const { return Application().FocusedControl(); }

void TScreen::SetCursor(TCursor cursor) {
  if (cursor == cursor_) return;
  if (cursor_ != crDefault) QGuiApplication::restoreOverrideCursor();
  cursor_ = cursor;
  if (cursor != crDefault) QGuiApplication::setOverrideCursor(QtCursor(cursor));
}

void TScreen::SetCursorImage(TCursor id, const TBitmap& image, int hotX, int hotY, bool transparentWhite) {
  if (id <= 0) throw EInvalidOperation("Cursor numbers of the program's own shapes must be positive");
  QPixmap pm = QPixmap::fromImage(BitmapImage(image));
  if (transparentWhite) pm.setMask(pm.createMaskFromColor(Qt::white));
  CursorRegistry()[id] = QCursor(pm, hotX, hotY);
}

bool TScreen::HasCursor(TCursor id) const { return id <= 0 || CursorRegistry().count(id); }

int TScreen::Width() const {
  EnsureGuiApplication();
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().width() : 1024;
}

int TScreen::Height() const {
  EnsureGuiApplication();
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().height() : 768;
}

TRect TScreen::WorkAreaRect() const {
  EnsureGuiApplication();
  QScreen* s = QGuiApplication::primaryScreen();
  if (!s) return Bounds(0, 0, 1024, 768);
  const QRect r = s->availableGeometry();
  return Bounds(r.x(), r.y(), r.width(), r.height());
}

int TScreen::PixelsPerInch() const { return ScreenPixelsPerInch(); }

void ShowMessage(const std::string& text) {
  EnsureGuiApplication();
  QWidget* parent = nullptr;
  if (TCustomForm* f = Screen().ActiveForm()) parent = f->Impl().Widget.data();
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(Application().Title), QString::fromStdString(text),
                  QMessageBox::Ok, parent);
  box.exec();
}

namespace {
std::vector<TRegisteredForm>& FormRegistry() {
  static std::vector<TRegisteredForm> forms;
  return forms;
}
}  // namespace

void RegisterForm(const std::string& name, TFormFactory factory) {
  for (TRegisteredForm& f : FormRegistry())
    if (f.Name == name) {
      f.Factory = std::move(factory);
      return;
    }
  FormRegistry().push_back({name, std::move(factory)});
}

const std::vector<TRegisteredForm>& RegisteredForms() { return FormRegistry(); }

}  // namespace qs

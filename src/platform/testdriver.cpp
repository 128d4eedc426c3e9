#include "platform/testdriver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QInputMethodEvent>
#include <QTimer>
#include <QWheelEvent>
#include <QPointer>
#include <QWindow>

#include <algorithm>
#include <vector>

#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/forms.h"
#include "platform/qtcontrols.h"

namespace qs::testdriver {

namespace {

// The window and the position in it of a control's client point.
struct TWindowPoint {
  QWindow* Window = nullptr;
  QPoint Pos;
  QWidget* Widget = nullptr;
};

TWindowPoint Locate(TControl& control, int x, int y) {
  TWinControl* host = control.IsWindowed() ? static_cast<TWinControl*>(&control) : control.Parent();
  if (!host) throw EInvalidOperation("Control '" + control.Name() + "' is not on a window");
  if (!control.IsWindowed()) {
    x += control.Left();
    y += control.Top();
  }
  // Client coordinates lie inside a form's own frame.
  x += host->Impl().Inset.Left;
  y += host->Impl().Inset.Top;
  QWidget* w = host->Impl().Widget.data();
  QWidget* top = w->window();
  QWindow* window = top->windowHandle();
  if (!window || !top->isVisible())
    throw EInvalidOperation("Control '" + control.Name() + "' is not on a shown window");
  return {window, w->mapTo(top, QPoint(x, y)), w};
}

// The window the pointer is in: entering another one tells both, as the
// window system does when the pointer crosses into a window.
QPointer<QWindow> g_pointerWindow;

void EnterWindow(const TWindowPoint& p) {
  if (g_pointerWindow == p.Window) return;
  if (QWindow* old = g_pointerWindow) {
    QEvent leave(QEvent::Leave);
    QSpontaneKeyEvent::setSpontaneous(&leave);
    QCoreApplication::sendEvent(old, &leave);
  }
  g_pointerWindow = p.Window;
  const QPointF global = p.Window->mapToGlobal(QPointF(p.Pos));
  QEnterEvent enter(QPointF(p.Pos), QPointF(p.Pos), global);
  QSpontaneKeyEvent::setSpontaneous(&enter);
  QCoreApplication::sendEvent(p.Window, &enter);
}

Qt::MouseButton QtButton(TMouseButton b) {
  return b == mbRight ? Qt::RightButton : b == mbMiddle ? Qt::MiddleButton : Qt::LeftButton;
}

Qt::KeyboardModifiers Mods(TShiftState s) { return Qt::KeyboardModifiers(QtModifiersFromShift(s)); }

QWindow* KeyWindow(TControl& control) {
  TWinControl* host = control.IsWindowed() ? static_cast<TWinControl*>(&control) : control.Parent();
  if (!host) throw EInvalidOperation("Control '" + control.Name() + "' is not on a window");
  QWindow* window = host->Impl().Widget.data()->window()->windowHandle();
  if (!window) throw EInvalidOperation("Control '" + control.Name() + "' is not on a shown window");
  return window;
}

void SendKeyTo(bool press, QWindow* window, uint16_t vk, TShiftState shift);

void SendKey(bool press, TControl& control, uint16_t vk, TShiftState shift) {
  SendKeyTo(press, KeyWindow(control), vk, shift);
}

void SendKeyTo(bool press, QWindow* window, uint16_t vk, TShiftState shift) {
  bool keypad = false;
  const int key = QtKeyFromVirtualKey(vk, &keypad);
  if (!key) throw EInvalidOperation("No key for virtual key code " + std::to_string(vk));
  Qt::KeyboardModifiers mods = Mods(shift);
  if (keypad) mods |= Qt::KeypadModifier;
  QString text;
  if (key >= Qt::Key_A && key <= Qt::Key_Z && !(shift & (ssCtrl | ssAlt)))
    text = QChar((shift & ssShift) ? key : key - 'A' + 'a');
  else if ((key >= Qt::Key_0 && key <= Qt::Key_9) || key == Qt::Key_Space)
    text = QChar(key);
  else if (key == Qt::Key_Return || key == Qt::Key_Enter)
    text = QChar('\r');
  else if (key == Qt::Key_Escape)
    text = QChar(27);
  else if (key == Qt::Key_Backspace)
    text = QChar(8);
  else if (keypad && key == Qt::Key_Plus)
    text = QChar('+');
  else if (keypad && key == Qt::Key_Minus)
    text = QChar('-');
  if (shift & (ssCtrl | ssAlt)) text.clear();
  if (press)
    QTest::sendKeyEvent(QTest::Press, window, Qt::Key(key), text, mods);
  else
    QTest::sendKeyEvent(QTest::Release, window, Qt::Key(key), text, mods);
  ProcessMessages();
}

}  // namespace

void ProcessMessages() { Application().ProcessMessages(); }

std::unique_ptr<TBitmap> GrabAsShown(TCustomForm& form) {
  std::unique_ptr<TBitmap> shot = GrabControl(form);
  struct TPiece {
    TPoint at;
    std::unique_ptr<TBitmap> picture;
  };
  std::vector<TPiece> pieces;
  auto origin = [](TCustomForm& f) {
    const TPoint client = f.ClientToScreen({0, 0});
    const TRect frame = f.FrameInsets();
    return TPoint{client.X - frame.Left, client.Y - frame.Top};
  };
  const TPoint at = origin(form);
  TRect all = Rect(at.X, at.Y, at.X + shot->Width(), at.Y + shot->Height());
  for (int i = 0; i < Screen().FormCount(); ++i) {
    TCustomForm* f = Screen().Forms(i);
    // A docked form is in the host's picture already, under what covers it
    // there (a palette on a tool page that is not the current one).
    if (f == &form || !f->Visible() || !f->Floating()) continue;
    TPiece piece{origin(*f), GrabControl(*f)};
    all = Rect(std::min(all.Left, piece.at.X), std::min(all.Top, piece.at.Y),
               std::max(all.Right, piece.at.X + piece.picture->Width()),
               std::max(all.Bottom, piece.at.Y + piece.picture->Height()));
    pieces.push_back(std::move(piece));
  }
  if (pieces.empty()) return shot;
  auto picture = std::make_unique<TBitmap>(all.Width(), all.Height());
  TCanvas& c = picture->Canvas();
  c.Brush().Style = bsSolid;
  c.Brush().Color = ColorToRGB(clBackground);
  c.FillRect(Rect(0, 0, all.Width(), all.Height()));
  c.Draw(at.X - all.Left, at.Y - all.Top, *shot);
  for (const TPiece& piece : pieces) c.Draw(piece.at.X - all.Left, piece.at.Y - all.Top, *piece.picture);
  return picture;
}

void ShowAndWait(TCustomForm& form) {
  form.Show();
  QWidget* w = form.Impl().Widget.data();
  (void)QTest::qWaitForWindowExposed(w, 2000);
  if (!w->testAttribute(Qt::WA_ShowWithoutActivating) && !(w->windowFlags() & Qt::WindowDoesNotAcceptFocus))
    (void)QTest::qWaitForWindowActive(w, 2000);
  ProcessMessages();
}

void MouseDown(TControl& control, int x, int y, TMouseButton button, TShiftState shift) {
  TWindowPoint p = Locate(control, x, y);
  EnterWindow(p);
  QTest::mousePress(p.Window, QtButton(button), Mods(shift), p.Pos);
  ProcessMessages();
}

void MouseMove(TControl& control, int x, int y, TShiftState) {
  TWindowPoint p = Locate(control, x, y);
  EnterWindow(p);
  QTest::mouseMove(p.Window, p.Pos);
  ProcessMessages();
}

void MouseUp(TControl& control, int x, int y, TMouseButton button, TShiftState shift) {
  TWindowPoint p = Locate(control, x, y);
  EnterWindow(p);
  QTest::mouseRelease(p.Window, QtButton(button), Mods(shift), p.Pos);
  ProcessMessages();
}

void Click(TControl& control, int x, int y, TMouseButton button, TShiftState shift) {
  TWindowPoint p = Locate(control, x, y);
  EnterWindow(p);
  QTest::mouseClick(p.Window, QtButton(button), Mods(shift), p.Pos);
  ProcessMessages();
}

void DoubleClick(TControl& control, int x, int y, TShiftState shift) {
  TWindowPoint p = Locate(control, x, y);
  EnterWindow(p);
  QTest::mouseDClick(p.Window, Qt::LeftButton, Mods(shift), p.Pos);
  ProcessMessages();
}

void Wheel(TControl& control, int x, int y, int delta, TShiftState shift) {
  TWindowPoint p = Locate(control, x, y);
  const QPointF global = p.Window->mapToGlobal(p.Pos);
  EnterWindow(p);
  // The buttons still held from earlier presses come with the turn, as the
  // window system sends them.
  QWheelEvent e(QPointF(p.Pos), global, QPoint(), QPoint(0, delta), QGuiApplication::mouseButtons(), Mods(shift),
                Qt::NoScrollPhase, false);
  QSpontaneKeyEvent::setSpontaneous(&e);
  QCoreApplication::sendEvent(p.Window, &e);
  ProcessMessages();
}

void KeyDown(TControl& control, uint16_t vk, TShiftState shift) { SendKey(true, control, vk, shift); }
void KeyUp(TControl& control, uint16_t vk, TShiftState shift) { SendKey(false, control, vk, shift); }
void PressKey(TControl& control, uint16_t vk, TShiftState shift) {
  KeyDown(control, vk, shift);
  KeyUp(control, vk, shift);
}

void TypeText(TControl& control, const std::string& utf8) {
  QWindow* window = KeyWindow(control);
  for (QChar ch : QString::fromStdString(utf8)) {
    // A keyboard sends the key with the character: printable ASCII keys
    // have their (upper-case) character code, Backspace, Tab and Enter
    // theirs; others come as text alone.
    const char16_t u = ch.toUpper().unicode();
    Qt::Key key = u > 32 && u < 127 ? Qt::Key(u) : Qt::Key(0);
    if (ch == QChar('\b')) key = Qt::Key_Backspace;
    else if (ch == QChar('\t')) key = Qt::Key_Tab;
    else if (ch == QChar('\r') || ch == QChar('\n')) key = Qt::Key_Return;
    QTest::sendKeyEvent(QTest::Press, window, key, QString(ch), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Release, window, key, QString(ch), Qt::NoModifier);
  }
  ProcessMessages();
}

void ComposeText(TControl& control, const std::string& utf8) {
  KeyWindow(control);
  QWidget* target = QApplication::focusWidget();
  if (!target) throw EInvalidOperation("No control has the keyboard focus");
  QInputMethodEvent event;
  event.setCommitString(QString::fromStdString(utf8));
  QCoreApplication::sendEvent(target, &event);
  ProcessMessages();
}

void Later(std::function<void()> fn, int ms) {
  QTimer::singleShot(ms, QCoreApplication::instance(), std::move(fn));
}

namespace {
QWindow* ModalWindow() {
  QWidget* w = QApplication::activeModalWidget();
  return w ? w->windowHandle() : nullptr;
}
}  // namespace

bool WaitForModal(int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < timeoutMs) {
    QWidget* w = QApplication::activeModalWidget();
    if (w && w->isVisible() && w->windowHandle() && w->windowHandle()->isExposed()) {
      (void)QTest::qWaitForWindowActive(w, 1000);
      return true;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return false;
}

void KeyToModal(uint16_t vk, TShiftState shift) {
  if (!WaitForModal()) throw EInvalidOperation("No modal window is shown");
  QWindow* window = ModalWindow();
  SendKeyTo(true, window, vk, shift);
  // The key may have closed the window.
  if (ModalWindow() == window) SendKeyTo(false, window, vk, shift);
}

void TypeToModal(const std::string& utf8) {
  if (!WaitForModal()) throw EInvalidOperation("No modal window is shown");
  QWindow* window = ModalWindow();
  for (QChar ch : QString::fromStdString(utf8)) {
    // A keyboard sends the key with the character: printable ASCII keys
    // have their (upper-case) character code; others come as text alone.
    const char16_t u = ch.toUpper().unicode();
    const Qt::Key key = u > 32 && u < 127 ? Qt::Key(u) : Qt::Key(0);
    QTest::sendKeyEvent(QTest::Press, window, key, QString(ch), Qt::NoModifier);
    QTest::sendKeyEvent(QTest::Release, window, key, QString(ch), Qt::NoModifier);
  }
  ProcessMessages();
}

}  // namespace qs::testdriver

#include "platform/synthinput.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>
#include <QWindow>

#include "base/exceptions.h"
#include "platform/keys.h"
#include "platform/qtcontrols.h"

namespace qs::platform {

namespace {

// The window of a control and a client point's position in it; null when
// the control is on no shown window.
QWindow* WindowOf(TControl& control, int& x, int& y) {
  TWinControl* host = control.IsWindowed() ? static_cast<TWinControl*>(&control) : control.Parent();
  if (!host) return nullptr;
  if (!control.IsWindowed()) {
    x += control.Left();
    y += control.Top();
  }
  x += host->Impl().Inset.Left;
  y += host->Impl().Inset.Top;
  QWidget* w = host->Impl().Widget.data();
  if (!w) return nullptr;
  QWidget* top = w->window();
  if (!top->isVisible()) return nullptr;
  const QPoint p = w->mapTo(top, QPoint(x, y));
  x = p.x();
  y = p.y();
  return top->windowHandle();
}

Qt::MouseButton QtButton(TMouseButton b) {
  return b == mbRight ? Qt::RightButton : b == mbMiddle ? Qt::MiddleButton : Qt::LeftButton;
}

}  // namespace

void PostMouseButton(TControl& control, int x, int y, bool down, TMouseButton button) {
  QWindow* window = WindowOf(control, x, y);
  if (!window) return;
  const QPointF local(x, y);
  const QPointF global = window->mapToGlobal(local);
  const Qt::MouseButton b = QtButton(button);
  QCoreApplication::postEvent(window, new QMouseEvent(down ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease,
                                                       local, local, global, b, down ? Qt::MouseButtons(b) : Qt::NoButton,
                                                       Qt::NoModifier));
}

void PostMouseMove(TControl& control, int x, int y, bool buttonHeld) {
  QWindow* window = WindowOf(control, x, y);
  if (!window) return;
  const QPointF local(x, y);
  QCoreApplication::postEvent(window, new QMouseEvent(QEvent::MouseMove, local, local, window->mapToGlobal(local),
                                                       Qt::NoButton, buttonHeld ? Qt::LeftButton : Qt::NoButton,
                                                       Qt::NoModifier));
}

void PostKeyPress(TControl& control, uint16_t vk) {
  int x = 0, y = 0;
  QWindow* window = WindowOf(control, x, y);
  bool keypad = false;
  const int key = QtKeyFromVirtualKey(vk, &keypad);
  if (!window || !key) return;
  const QString text = key == Qt::Key_Escape ? QString(QChar(27)) : key == Qt::Key_Return ? QString(QChar('\r'))
                                                                                           : QString();
  QCoreApplication::postEvent(window, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
  QCoreApplication::postEvent(window, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
}

void PostCharacter(TControl& control, const std::string& utf8Character) {
  int x = 0, y = 0;
  QWindow* window = WindowOf(control, x, y);
  if (!window || utf8Character.empty()) return;
  const QString text = QString::fromUtf8(utf8Character.data(), static_cast<qsizetype>(utf8Character.size()));
  const QChar first = text.at(0);
  const int key = first.isLetter() ? first.toUpper().unicode() : first.unicode();
  QCoreApplication::postEvent(window, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
  QCoreApplication::postEvent(window, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
}

// An arrow in the shape of the usual pointer, black with a white edge.
class TPointerWidget : public QWidget {
 public:
  TPointerWidget()
      : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                             Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFixedSize(kWidth, kHeight);
  }
  static constexpr int kWidth = 14, kHeight = 22;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath arrow;
    arrow.moveTo(1, 1);
    arrow.lineTo(1, 17);
    arrow.lineTo(5, 13);
    arrow.lineTo(8, 20);
    arrow.lineTo(10, 19);
    arrow.lineTo(7, 12);
    arrow.lineTo(12, 12);
    arrow.closeSubpath();
    p.setPen(QPen(Qt::white, 1.2));
    p.setBrush(Qt::black);
    p.drawPath(arrow);
  }
};

struct TDrawnPointer::TImpl {
  TPointerWidget Widget;
};

TDrawnPointer::TDrawnPointer() : impl_(std::make_unique<TImpl>()) {
  const QPoint p = QCursor::pos();
  position_ = {p.x(), p.y()};
}

TDrawnPointer::~TDrawnPointer() = default;

void TDrawnPointer::MoveTo(TPoint screen) {
  position_ = screen;
  impl_->Widget.move(screen.X, screen.Y);
  if (!impl_->Widget.isVisible()) impl_->Widget.show();
  impl_->Widget.raise();
}

void TDrawnPointer::Hide() { impl_->Widget.hide(); }

bool TDrawnPointer::Visible() const { return impl_->Widget.isVisible(); }

TPoint PointerPosition() {
  const QPoint p = QCursor::pos();
  return {p.x(), p.y()};
}

}  // namespace qs::platform

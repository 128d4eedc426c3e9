#pragma once
// For the platform's own .cpp files only: how controls sit on the
// toolkit's widgets.
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <map>
#include <memory>

#include "platform/bitmap.h"
#include "platform/controls.h"
#include "platform/keys.h"

class QAbstractItemView;
class QMouseEvent;

namespace qs {

class TFormFrame;

// The widget of a control drawn by the program itself: shows the back
// buffer, and passes input to the control through the bridge.
class TControlWidget : public QWidget {
 public:
  explicit TControlWidget(TWinControl* control) : control_(control) {}
  TWinControl* Control() const { return control_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  TWinControl* control_;
};

struct TWinControl::TImpl {
  QPointer<QWidget> Widget;
  bool OwnDrawn = false;   // a TControlWidget
  QObject* Bridge = nullptr;
  std::unique_ptr<TBitmap> Buffer;
  std::unique_ptr<TCanvas> Canvas;  // on the buffer; shows what it draws
  QRegion Invalid;
  QRegion Erase;
  TControl* Hover = nullptr;        // graphic child under the mouse
  TControl* Pressed = nullptr;      // graphic child the press went to
  int TabOrder = -1;
  // A form's own frame: its widths (Left, Top, Right, Bottom), the frame
  // itself, whether a press on it holds the mouse and whether the pointer
  // is over it.
  TRect Inset;
  TFormFrame* Frame = nullptr;
  bool FrameHeld = false;
  bool FrameHover = false;
};

TShiftState ShiftFromQt(int modifiers, int buttons);
// The toolkit's modifiers for a shift state.
int QtModifiersFromShift(TShiftState shift);
QCursor QtCursor(TCursor cursor);
// The program's own cursor shapes by number.
std::map<TCursor, QCursor>& CursorRegistry();
inline QString ToQString(const std::string& utf8) { return QString::fromStdString(utf8); }

// Single or extended selection in a list, tree or list view.
void SetMultiSelect(QAbstractItemView* view, bool multi);
bool MultiSelect(const QAbstractItemView* view);

// The platform's part of a control shown by that widget of the toolkit
// (null: a widget the control paints itself).
std::unique_ptr<TWinControl::TImpl> WidgetImpl(QWidget* widget);
// The control found at a window of the toolkit.
TWinControl* FindControl(QWidget* widget);

// The toolkit widget a standard control is made of.
template <class W>
W* WidgetAs(const TWinControl& c) {
  return static_cast<W*>(c.Impl().Widget.data());
}

// Queues a message for the control's window (PostMessage).
void PostControlMessage(TWinControl* control, const TMessage& message);

}  // namespace qs

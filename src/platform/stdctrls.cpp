#include "platform/stdctrls.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

#include "platform/qtcontrols.h"

namespace qs {

namespace {
template <class W>
W* As(const TWinControl& c) {
  return static_cast<W*>(c.Widget());
}
// "&" marks the access key in captions of both systems; "&&" is a plain "&".
QString CaptionText(const std::string& caption) { return QString::fromStdString(caption); }
}  // namespace

TButton::TButton(TComponent* owner) : TWinControl(owner, new QPushButton) {
  SetTabStop(true);
  Widget()->setFocusPolicy(Qt::StrongFocus);
  SetBounds(0, 0, 75, 25);
  QObject::connect(As<QPushButton>(*this), &QPushButton::clicked, [this] { Click(); });
}

const TPropTable& TButton::Published() const {
  static const TPropTable table(
      &TWinControl::Published(),
      {IntProp<TButton>(
           "ModalResult", [](const TButton& b) { return b.ModalResult; },
           [](TButton& b, int v) { b.ModalResult = v; }),
       BoolProp<TButton>(
           "Default", [](const TButton& b) { return b.Default(); }, [](TButton& b, bool v) { b.SetDefault(v); }),
       BoolProp<TButton>(
           "Cancel", [](const TButton& b) { return b.Cancel; }, [](TButton& b, bool v) { b.Cancel = v; })});
  return table;
}

void TButton::SetDefault(bool v) {
  default_ = v;
  As<QPushButton>(*this)->setDefault(v);
}

void TButton::Click() {
  if (ModalResult != mrNone)
    if (TCustomForm* form = ParentForm()) form->SetModalResult(ModalResult);
  TWinControl::Click();
}

void TButton::CaptionChanged() { As<QPushButton>(*this)->setText(CaptionText(caption_)); }

TEdit::TEdit(TComponent* owner) : TWinControl(owner, new QLineEdit) {
  SetTabStop(true);
  Widget()->setFocusPolicy(Qt::StrongFocus);
  color_ = clWindow;
  SetBounds(0, 0, 121, 21);
  QObject::connect(As<QLineEdit>(*this), &QLineEdit::textChanged, [this] { Fire(OnChange, this); });
}

const TPropTable& TEdit::Published() const {
  static const TPropTable table(
      &TWinControl::Published(),
      {StringProp<TEdit>(
           "Text", [](const TEdit& e) { return e.Text(); }, [](TEdit& e, const std::string& v) { e.SetText(v); }),
       IntProp<TEdit>(
           "MaxLength", [](const TEdit& e) { return e.MaxLength(); }, [](TEdit& e, int v) { e.SetMaxLength(v); }),
       BoolProp<TEdit>(
           "ReadOnly", [](const TEdit& e) { return e.ReadOnly(); }, [](TEdit& e, bool v) { e.SetReadOnly(v); })});
  return table;
}

std::string TEdit::Text() const { return As<QLineEdit>(*this)->text().toStdString(); }
void TEdit::SetText(const std::string& v) { As<QLineEdit>(*this)->setText(QString::fromStdString(v)); }
int TEdit::MaxLength() const {
  const int n = As<QLineEdit>(*this)->maxLength();
  return n >= 32767 ? 0 : n;
}
void TEdit::SetMaxLength(int v) { As<QLineEdit>(*this)->setMaxLength(v <= 0 ? 32767 : v); }
bool TEdit::ReadOnly() const { return As<QLineEdit>(*this)->isReadOnly(); }
void TEdit::SetReadOnly(bool v) { As<QLineEdit>(*this)->setReadOnly(v); }
int TEdit::SelStart() const {
  auto* e = As<QLineEdit>(*this);
  return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
}
void TEdit::SetSelStart(int v) { As<QLineEdit>(*this)->setCursorPosition(v); }
int TEdit::SelLength() const { return static_cast<int>(As<QLineEdit>(*this)->selectedText().size()); }
void TEdit::SetSelLength(int v) { As<QLineEdit>(*this)->setSelection(SelStart(), v); }
void TEdit::SelectAll() { As<QLineEdit>(*this)->selectAll(); }

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner, new QScrollBar(Qt::Horizontal)) {
  SetBounds(0, 0, 121, 16);
  auto* bar = As<QScrollBar>(*this);
  bar->setFocusPolicy(Qt::NoFocus);
  Apply();
  QObject::connect(bar, &QScrollBar::actionTriggered, [this, bar](int action) {
    if (applying_) return;
    TScrollCode code = scPosition;
    switch (action) {
      case QAbstractSlider::SliderSingleStepAdd: code = scLineDown; break;
      case QAbstractSlider::SliderSingleStepSub: code = scLineUp; break;
      case QAbstractSlider::SliderPageStepAdd: code = scPageDown; break;
      case QAbstractSlider::SliderPageStepSub: code = scPageUp; break;
      case QAbstractSlider::SliderToMinimum: code = scTop; break;
      case QAbstractSlider::SliderToMaximum: code = scBottom; break;
      case QAbstractSlider::SliderMove: code = scTrack; break;
      default: break;
    }
    int pos = bar->sliderPosition();
    Fire(OnScroll, this, code, std::ref(pos));
    if (pos != bar->sliderPosition()) bar->setSliderPosition(pos);
  });
  QObject::connect(bar, &QScrollBar::valueChanged, [this](int v) {
    if (applying_ || v == position_) return;
    position_ = v;
    Fire(OnChange, this);
  });
}

const TPropTable& TScrollBar::Published() const {
  static const TPropTable table(
      &TWinControl::Published(),
      {IntProp<TScrollBar>(
           "Position", [](const TScrollBar& b) { return b.Position(); },
           [](TScrollBar& b, int v) { b.SetPosition(v); }),
       IntProp<TScrollBar>(
           "Max", [](const TScrollBar& b) { return b.Max(); }, [](TScrollBar& b, int v) { b.SetMax(v); }),
       IntProp<TScrollBar>(
           "Min", [](const TScrollBar& b) { return b.Min(); }, [](TScrollBar& b, int v) { b.SetMin(v); }),
       IntProp<TScrollBar>(
           "PageSize", [](const TScrollBar& b) { return b.PageSize(); },
           [](TScrollBar& b, int v) { b.SetPageSize(v); })});
  return table;
}

void TScrollBar::SetKind(TScrollBarKind v) {
  kind_ = v;
  As<QScrollBar>(*this)->setOrientation(v == sbVertical ? Qt::Vertical : Qt::Horizontal);
}

void TScrollBar::SetParams(int position, int min, int max, int pageSize) {
  max = std::max(max, min);
  pageSize = std::clamp(pageSize, 0, max - min + 1);
  const int last = std::max(min, max - std::max(pageSize - 1, 0));
  position = std::clamp(position, min, last);
  const bool moved = position != position_;
  min_ = min;
  max_ = max;
  pageSize_ = pageSize;
  position_ = position;
  Apply();
  if (moved) Fire(OnChange, this);
}

void TScrollBar::Apply() {
  auto* bar = As<QScrollBar>(*this);
  applying_ = true;
  bar->setRange(min_, std::max(min_, max_ - std::max(pageSize_ - 1, 0)));
  bar->setPageStep(std::max(1, pageSize_ > 0 ? pageSize_ : LargeChange));
  bar->setSingleStep(std::max(1, SmallChange));
  bar->setValue(position_);
  applying_ = false;
}

}  // namespace qs

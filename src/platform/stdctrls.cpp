#include "platform/stdctrls.h"

#include <QLineEdit>
#include <QPushButton>

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

}  // namespace qs

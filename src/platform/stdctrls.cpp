#include "platform/stdctrls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QPushButton>
#include <QScrollBar>

#include "platform/bitmap.h"
#include "platform/qtcontrols.h"
#include "platform/qtsurface.h"

namespace qs {

namespace {
// "&" marks the access key in captions of both systems; "&&" is a plain "&".
QString CaptionText(const std::string& caption) { return ToQString(caption); }
}  // namespace

TButton::TButton(TComponent* owner) : TWinControl(owner, WidgetImpl(new QPushButton)) {
  SetTabStop(true);
  Impl().Widget.data()->setFocusPolicy(Qt::StrongFocus);
  SetBounds(0, 0, 75, 25);
  QObject::connect(WidgetAs<QPushButton>(*this), &QPushButton::clicked, [this] { Click(); });
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
  WidgetAs<QPushButton>(*this)->setDefault(v);
}

void TButton::SetGlyph(const TBitmap& glyph) {
  auto* button = WidgetAs<QPushButton>(*this);
  if (glyph.Width() <= 0 || glyph.Height() <= 0) {
    button->setIcon(QIcon());
    return;
  }
  QImage image = BitmapImage(glyph).convertToFormat(QImage::Format_ARGB32);
  const QRgb key = image.pixel(0, image.height() - 1) & 0xFFFFFF;
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if ((line[x] & 0xFFFFFF) == key) line[x] = 0;
  }
  button->setIcon(QIcon(QPixmap::fromImage(image)));
  button->setIconSize(QSize(glyph.Width(), glyph.Height()));
}

void TButton::Click() {
  if (ModalResult != mrNone)
    if (TCustomForm* form = ParentForm()) form->SetModalResult(ModalResult);
  TWinControl::Click();
}

bool TButton::DialogKey(uint16_t key) {
  if (!((key == VK_RETURN && default_) || (key == VK_ESCAPE && Cancel))) return false;
  Click();
  return true;
}

void TButton::CaptionChanged() { WidgetAs<QPushButton>(*this)->setText(CaptionText(caption_)); }

TEdit::TEdit(TComponent* owner) : TWinControl(owner, WidgetImpl(new QLineEdit)) {
  SetTabStop(true);
  Impl().Widget.data()->setFocusPolicy(Qt::StrongFocus);
  color_ = clWindow;
  SetBounds(0, 0, 121, 21);
  QObject::connect(WidgetAs<QLineEdit>(*this), &QLineEdit::textChanged, [this] { Fire(OnChange, this); });
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

std::string TEdit::Text() const { return WidgetAs<QLineEdit>(*this)->text().toStdString(); }
void TEdit::SetText(const std::string& v) { WidgetAs<QLineEdit>(*this)->setText(QString::fromStdString(v)); }
int TEdit::MaxLength() const {
  const int n = WidgetAs<QLineEdit>(*this)->maxLength();
  return n >= 32767 ? 0 : n;
}
void TEdit::SetMaxLength(int v) { WidgetAs<QLineEdit>(*this)->setMaxLength(v <= 0 ? 32767 : v); }
bool TEdit::ReadOnly() const { return WidgetAs<QLineEdit>(*this)->isReadOnly(); }
void TEdit::SetReadOnly(bool v) { WidgetAs<QLineEdit>(*this)->setReadOnly(v); }
int TEdit::SelStart() const {
  auto* e = WidgetAs<QLineEdit>(*this);
  return e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
}
void TEdit::SetSelStart(int v) { WidgetAs<QLineEdit>(*this)->setCursorPosition(v); }
int TEdit::SelLength() const { return static_cast<int>(WidgetAs<QLineEdit>(*this)->selectedText().size()); }
void TEdit::SetSelLength(int v) { WidgetAs<QLineEdit>(*this)->setSelection(SelStart(), v); }
void TEdit::SelectAll() { WidgetAs<QLineEdit>(*this)->selectAll(); }

void TEdit::SetFormatRect(const TRect& r) {
  WidgetAs<QLineEdit>(*this)->setTextMargins(std::max(0, r.Left), std::max(0, r.Top), std::max(0, Width() - r.Right),
                                        std::max(0, Height() - r.Bottom));
}

TRect TEdit::FormatRect() const {
  const QMargins m = WidgetAs<QLineEdit>(*this)->textMargins();
  return Rect(m.left(), m.top(), Width() - m.right(), Height() - m.bottom());
}

void TEdit::SetPasswordChar(char16_t ch) {
  WidgetAs<QLineEdit>(*this)->setEchoMode(ch ? QLineEdit::Password : QLineEdit::Normal);
}

// ------------------------------------------------------------------ TLabel

TLabel::TLabel(TComponent* owner) : TWinControl(owner, WidgetImpl(new QLabel)) {
  Impl().Widget.data()->setFocusPolicy(Qt::NoFocus);
  Impl().Widget.data()->setAutoFillBackground(false);
  SetBounds(0, 0, 40, 13);
}

void TLabel::SetAlignment(TAlignment v) {
  alignment_ = v;
  WidgetAs<QLabel>(*this)->setAlignment((v == taCenter ? Qt::AlignHCenter : v == taRightJustify ? Qt::AlignRight : Qt::AlignLeft) |
                                  Qt::AlignTop);
}

bool TLabel::WordWrap() const { return WidgetAs<QLabel>(*this)->wordWrap(); }
void TLabel::SetWordWrap(bool v) {
  WidgetAs<QLabel>(*this)->setWordWrap(v);
  Fit();
}

void TLabel::Fit() {
  if (!AutoSize || WordWrap()) return;
  const QSize hint = WidgetAs<QLabel>(*this)->sizeHint();
  SetBounds(Left(), Top(), hint.width(), hint.height());
}

void TLabel::CaptionChanged() {
  // "&" marks the access key, as in the toolkit's labels with a buddy.
  WidgetAs<QLabel>(*this)->setText(CaptionText(caption_));
  Fit();
}

void TLabel::FontChanged() {
  TWinControl::FontChanged();
  Fit();
}

void TLabel::ColorChanged() {
  TWinControl::ColorChanged();
  QPalette pal = Impl().Widget.data()->palette();
  const TColor c = ColorToRGB(Font().Color);
  pal.setColor(QPalette::WindowText, QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
  Impl().Widget.data()->setPalette(pal);
}

// ------------------------------------------------------------------- TMemo

namespace {
TStringList LinesOf(const QString& text) {
  TStringList lines;
  lines.SetText(text.toStdString());
  return lines;
}
}  // namespace

TMemo::TMemo(TComponent* owner) : TWinControl(owner, WidgetImpl(new QPlainTextEdit)) {
  SetTabStop(true);
  WantReturns = true;
  Impl().Widget.data()->setFocusPolicy(Qt::StrongFocus);
  color_ = clWindow;
  SetBounds(0, 0, 185, 89);
  QObject::connect(WidgetAs<QPlainTextEdit>(*this), &QPlainTextEdit::textChanged, [this] { Fire(OnChange, this); });
}

const TPropTable& TMemo::Published() const {
  static const TPropTable table(
      &TWinControl::Published(),
      {StringsProp<TMemo>(
           "Lines", [](const TMemo& m) { return m.Lines(); }, [](TMemo& m, const TStringList& v) { m.SetLines(v); }),
       BoolProp<TMemo>(
           "ReadOnly", [](const TMemo& m) { return m.ReadOnly(); }, [](TMemo& m, bool v) { m.SetReadOnly(v); }),
       BoolProp<TMemo>(
           "WordWrap", [](const TMemo& m) { return m.WordWrap(); }, [](TMemo& m, bool v) { m.SetWordWrap(v); })});
  return table;
}

TStringList TMemo::Lines() const { return LinesOf(WidgetAs<QPlainTextEdit>(*this)->toPlainText()); }
void TMemo::SetLines(const TStringList& lines) { SetText(lines.Text()); }
std::string TMemo::Text() const { return WidgetAs<QPlainTextEdit>(*this)->toPlainText().toStdString(); }
void TMemo::SetText(const std::string& v) { WidgetAs<QPlainTextEdit>(*this)->setPlainText(QString::fromStdString(v)); }
void TMemo::InsertAtCaret(const std::string& text) {
  WidgetAs<QPlainTextEdit>(*this)->insertPlainText(QString::fromStdString(text));
}
bool TMemo::ReadOnly() const { return WidgetAs<QPlainTextEdit>(*this)->isReadOnly(); }
void TMemo::SetReadOnly(bool v) { WidgetAs<QPlainTextEdit>(*this)->setReadOnly(v); }
bool TMemo::WordWrap() const { return WidgetAs<QPlainTextEdit>(*this)->lineWrapMode() != QPlainTextEdit::NoWrap; }
void TMemo::SetWordWrap(bool v) {
  WidgetAs<QPlainTextEdit>(*this)->setLineWrapMode(v ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

// --------------------------------------------------------------- TCheckBox

TCheckBox::TCheckBox(TComponent* owner) : TWinControl(owner, WidgetImpl(new QCheckBox)) {
  SetTabStop(true);
  Impl().Widget.data()->setFocusPolicy(Qt::StrongFocus);
  SetBounds(0, 0, 97, 17);
  QObject::connect(WidgetAs<QCheckBox>(*this), &QCheckBox::clicked, [this] { Click(); });
}

const TPropTable& TCheckBox::Published() const {
  static const TPropTable table(&TWinControl::Published(),
                                {BoolProp<TCheckBox>(
                                    "Checked", [](const TCheckBox& c) { return c.Checked(); },
                                    [](TCheckBox& c, bool v) { c.SetChecked(v); })});
  return table;
}

bool TCheckBox::Checked() const { return WidgetAs<QCheckBox>(*this)->checkState() == Qt::Checked; }
void TCheckBox::SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
TCheckBoxState TCheckBox::State() const {
  switch (WidgetAs<QCheckBox>(*this)->checkState()) {
    case Qt::Checked: return cbChecked;
    case Qt::PartiallyChecked: return cbGrayed;
    default: return cbUnchecked;
  }
}
void TCheckBox::SetState(TCheckBoxState v) {
  WidgetAs<QCheckBox>(*this)->setCheckState(v == cbChecked ? Qt::Checked : v == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
}
bool TCheckBox::AllowGrayed() const { return WidgetAs<QCheckBox>(*this)->isTristate(); }
void TCheckBox::SetAllowGrayed(bool v) { WidgetAs<QCheckBox>(*this)->setTristate(v); }
void TCheckBox::CaptionChanged() { WidgetAs<QCheckBox>(*this)->setText(CaptionText(caption_)); }

// ------------------------------------------------------------ TRadioButton

TRadioButton::TRadioButton(TComponent* owner) : TWinControl(owner, WidgetImpl(new QRadioButton)) {
  SetTabStop(true);
  Impl().Widget.data()->setFocusPolicy(Qt::StrongFocus);
  SetBounds(0, 0, 113, 17);
  QObject::connect(WidgetAs<QRadioButton>(*this), &QRadioButton::clicked, [this] { Click(); });
}

const TPropTable& TRadioButton::Published() const {
  static const TPropTable table(&TWinControl::Published(),
                                {BoolProp<TRadioButton>(
                                    "Checked", [](const TRadioButton& c) { return c.Checked(); },
                                    [](TRadioButton& c, bool v) { c.SetChecked(v); })});
  return table;
}

bool TRadioButton::Checked() const { return WidgetAs<QRadioButton>(*this)->isChecked(); }
void TRadioButton::SetChecked(bool v) {
  auto* rb = WidgetAs<QRadioButton>(*this);
  // The toolkit keeps one button of a group checked; code may leave none.
  if (!v && rb->isChecked() && rb->autoExclusive()) {
    rb->setAutoExclusive(false);
    rb->setChecked(false);
    rb->setAutoExclusive(true);
    return;
  }
  rb->setChecked(v);
}
void TRadioButton::CaptionChanged() { WidgetAs<QRadioButton>(*this)->setText(CaptionText(caption_)); }

// --------------------------------------------------------------- TComboBox

namespace {
QStringList ToQStrings(const TStringList& items) {
  QStringList list;
  for (const std::string& s : items) list << QString::fromStdString(s);
  return list;
}
}  // namespace

TComboBox::TComboBox(TComponent* owner) : TWinControl(owner, WidgetImpl(new QComboBox)) {
  SetTabStop(true);
  Impl().Widget.data()->setFocusPolicy(Qt::StrongFocus);
  color_ = clWindow;
  SetBounds(0, 0, 145, 21);
  auto* box = WidgetAs<QComboBox>(*this);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  QObject::connect(box, &QComboBox::activated, [this] {
    Fire(OnSelect, this);
    Fire(OnChange, this);
  });
  QObject::connect(box, &QComboBox::editTextChanged, [this](const QString&) {
    if (style_ == csDropDown) Fire(OnChange, this);
  });
}

const TPropTable& TComboBox::Published() const {
  static const TPropTable table(
      &TWinControl::Published(),
      {StringsProp<TComboBox>(
           "Items", [](const TComboBox& c) { return c.Items(); },
           [](TComboBox& c, const TStringList& v) { c.SetItems(v); }),
       StringProp<TComboBox>(
           "Text", [](const TComboBox& c) { return c.Text(); },
           [](TComboBox& c, const std::string& v) { c.SetText(v); }),
       IntProp<TComboBox>(
           "ItemIndex", [](const TComboBox& c) { return c.ItemIndex(); },
           [](TComboBox& c, int v) { c.SetItemIndex(v); })});
  return table;
}

void TComboBox::SetStyle(TComboBoxStyle v) {
  style_ = v;
  WidgetAs<QComboBox>(*this)->setEditable(v == csDropDown);
}

TStringList TComboBox::Items() const {
  TStringList list;
  auto* box = WidgetAs<QComboBox>(*this);
  for (int i = 0; i < box->count(); ++i) list.Add(box->itemText(i).toStdString());
  return list;
}

void TComboBox::SetItems(const TStringList& items) {
  auto* box = WidgetAs<QComboBox>(*this);
  const int index = box->currentIndex();
  const QString text = box->currentText();
  box->clear();
  box->addItems(ToQStrings(items));
  // A translated list keeps the chosen entry; an edit box keeps its text.
  if (style_ == csDropDownList)
    box->setCurrentIndex(index < box->count() ? index : -1);
  else
    box->setEditText(text);
}

int TComboBox::ItemIndex() const {
  auto* box = WidgetAs<QComboBox>(*this);
  if (style_ == csDropDown && box->currentIndex() >= 0 && box->currentText() != box->itemText(box->currentIndex()))
    return -1;
  return box->currentIndex();
}
void TComboBox::SetItemIndex(int v) { WidgetAs<QComboBox>(*this)->setCurrentIndex(v < WidgetAs<QComboBox>(*this)->count() ? v : -1); }
std::string TComboBox::Text() const { return WidgetAs<QComboBox>(*this)->currentText().toStdString(); }
void TComboBox::SetText(const std::string& v) {
  auto* box = WidgetAs<QComboBox>(*this);
  if (style_ == csDropDown)
    box->setEditText(QString::fromStdString(v));
  else
    box->setCurrentIndex(box->findText(QString::fromStdString(v)));
}

// ---------------------------------------------------------------- TListBox

TListBox::TListBox(TComponent* owner) : TWinControl(owner, WidgetImpl(new QListWidget)) {
  SetTabStop(true);
  Impl().Widget.data()->setFocusPolicy(Qt::StrongFocus);
  color_ = clWindow;
  SetBounds(0, 0, 121, 97);
  QObject::connect(WidgetAs<QListWidget>(*this), &QListWidget::itemSelectionChanged,
                   [this] { Fire(OnSelectionChange, this); });
  QObject::connect(WidgetAs<QListWidget>(*this), &QListWidget::itemClicked, [this] { Click(); });
}

const TPropTable& TListBox::Published() const {
  static const TPropTable table(
      &TWinControl::Published(),
      {StringsProp<TListBox>(
           "Items", [](const TListBox& c) { return c.Items(); },
           [](TListBox& c, const TStringList& v) { c.SetItems(v); }),
       IntProp<TListBox>(
           "ItemIndex", [](const TListBox& c) { return c.ItemIndex(); },
           [](TListBox& c, int v) { c.SetItemIndex(v); })});
  return table;
}

TStringList TListBox::Items() const {
  TStringList list;
  auto* w = WidgetAs<QListWidget>(*this);
  for (int i = 0; i < w->count(); ++i) list.Add(w->item(i)->text().toStdString());
  return list;
}

void TListBox::SetItems(const TStringList& items) {
  auto* w = WidgetAs<QListWidget>(*this);
  const int index = w->currentRow();
  w->clear();
  w->addItems(ToQStrings(items));
  if (index >= 0 && index < w->count()) w->setCurrentRow(index);
}

int TListBox::ItemIndex() const { return WidgetAs<QListWidget>(*this)->currentRow(); }
void TListBox::SetItemIndex(int v) { WidgetAs<QListWidget>(*this)->setCurrentRow(v < Count() ? v : -1); }
int TListBox::Count() const { return WidgetAs<QListWidget>(*this)->count(); }
bool TListBox::MultiSelect() const { return qs::MultiSelect(WidgetAs<QListWidget>(*this)); }
void TListBox::SetMultiSelect(bool v) { qs::SetMultiSelect(WidgetAs<QListWidget>(*this), v); }

void SetMultiSelect(QAbstractItemView* view, bool multi) {
  view->setSelectionMode(multi ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

bool MultiSelect(const QAbstractItemView* view) {
  return view->selectionMode() == QAbstractItemView::ExtendedSelection;
}
bool TListBox::Selected(int index) const {
  auto* w = WidgetAs<QListWidget>(*this);
  if (index < 0 || index >= w->count()) RaiseListIndexError(index);
  return w->item(index)->isSelected();
}
void TListBox::SetSelected(int index, bool v) {
  auto* w = WidgetAs<QListWidget>(*this);
  if (index < 0 || index >= w->count()) RaiseListIndexError(index);
  w->item(index)->setSelected(v);
}
TRect TListBox::ItemRect(int index) const {
  auto* w = WidgetAs<QListWidget>(*this);
  QListWidgetItem* item = w->item(index);
  if (!item) return {};
  const QRect r = w->visualItemRect(item).translated(w->viewport()->mapTo(w, QPoint(0, 0)));
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

int TListBox::TopIndex() const {
  auto* w = WidgetAs<QListWidget>(*this);
  QListWidgetItem* item = w->itemAt(2, 2);
  return item ? w->row(item) : 0;
}

// --------------------------------------------------------------- TGroupBox

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner, WidgetImpl(new QGroupBox)) {
  Impl().Widget.data()->setFocusPolicy(Qt::NoFocus);
  SetBounds(0, 0, 185, 105);
}

void TGroupBox::CaptionChanged() { WidgetAs<QGroupBox>(*this)->setTitle(CaptionText(caption_)); }

TScrollBar::TScrollBar(TComponent* owner) : TWinControl(owner, WidgetImpl(new QScrollBar(Qt::Horizontal))) {
  SetBounds(0, 0, 121, 16);
  auto* bar = WidgetAs<QScrollBar>(*this);
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
  WidgetAs<QScrollBar>(*this)->setOrientation(v == sbVertical ? Qt::Vertical : Qt::Horizontal);
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
  auto* bar = WidgetAs<QScrollBar>(*this);
  applying_ = true;
  bar->setRange(min_, std::max(min_, max_ - std::max(pageSize_ - 1, 0)));
  bar->setPageStep(std::max(1, pageSize_ > 0 ? pageSize_ : LargeChange));
  bar->setSingleStep(std::max(1, SmallChange));
  bar->setValue(position_);
  applying_ = false;
}

}  // namespace qs

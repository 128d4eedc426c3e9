#include "platform/comctrls.h"

#include <QHeaderView>
#include <QProgressBar>
#include <QSlider>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <algorithm>

#include "platform/qtcontrols.h"
#include "platform/stdctrls.h"

namespace qs {

namespace {
}  // namespace

// --------------------------------------------------------------- TTrackBar

TTrackBar::TTrackBar(TComponent* owner) : TWinControl(owner, WidgetImpl(new QSlider(Qt::Horizontal))) {
  SetTabStop(true);
  Impl().Widget.data()->setFocusPolicy(Qt::StrongFocus);
  SetBounds(0, 0, 150, 45);
  auto* s = WidgetAs<QSlider>(*this);
  s->setRange(0, 10);
  s->setTickPosition(QSlider::TicksBelow);
  QObject::connect(s, &QSlider::valueChanged, [this](int) { Fire(OnChange, this); });
}

const TPropTable& TTrackBar::Published() const {
  static const TPropTable table(&TWinControl::Published(),
                                {IntProp<TTrackBar>(
                                    "Position", [](const TTrackBar& t) { return t.Position(); },
                                    [](TTrackBar& t, int v) { t.SetPosition(v); })});
  return table;
}

int TTrackBar::Min() const { return WidgetAs<QSlider>(*this)->minimum(); }
int TTrackBar::Max() const { return WidgetAs<QSlider>(*this)->maximum(); }
int TTrackBar::Position() const { return WidgetAs<QSlider>(*this)->value(); }
void TTrackBar::SetMin(int v) { WidgetAs<QSlider>(*this)->setMinimum(v); }
void TTrackBar::SetMax(int v) { WidgetAs<QSlider>(*this)->setMaximum(v); }
void TTrackBar::SetPosition(int v) { WidgetAs<QSlider>(*this)->setValue(v); }
void TTrackBar::SetOrientation(TTrackBarOrientation v) {
  WidgetAs<QSlider>(*this)->setOrientation(v == trVertical ? Qt::Vertical : Qt::Horizontal);
}
void TTrackBar::SetFrequency(int v) { WidgetAs<QSlider>(*this)->setTickInterval(v); }
void TTrackBar::SetPageSize(int v) { WidgetAs<QSlider>(*this)->setPageStep(v); }

// ----------------------------------------------------------------- TUpDown

TUpDown::TUpDown(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 17, 21);
  WantArrows = true;
}

const TPropTable& TUpDown::Published() const {
  static const TPropTable table(&TWinControl::Published(),
                                {IntProp<TUpDown>(
                                    "Position", [](const TUpDown& u) { return u.Position(); },
                                    [](TUpDown& u, int v) { u.SetPosition(v); })});
  return table;
}

void TUpDown::SetPosition(int v) {
  v = std::clamp(v, std::min(Min, Max), std::max(Min, Max));
  position_ = v;
  if (associate_) associate_->SetText(std::to_string(v));
}

void TUpDown::SetAssociate(TEdit* edit) {
  if (associate_) associate_->RemoveFreeNotification(this);
  associate_ = edit;
  if (edit) {
    edit->FreeNotification(this);
    SetPosition(position_);
  }
}

void TUpDown::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation == opRemove && component == associate_) associate_ = nullptr;
}

void TUpDown::Step(TUDBtnType button) {
  bool allow = true;
  Fire(OnChanging, this, std::ref(allow));
  if (!allow) return;
  int v = position_ + (button == btNext ? Increment : -Increment);
  const int lo = std::min(Min, Max), hi = std::max(Min, Max);
  if (v > hi) v = Wrap ? lo : hi;
  if (v < lo) v = Wrap ? hi : lo;
  SetPosition(v);
  Fire(OnClick, this, button);
}

void TUpDown::Paint() {
  TCanvas& c = Canvas();
  c.Brush().Color = ColorToRGB(clBtnFace);
  c.Pen().Color = ColorToRGB(clBtnShadow);
  const int half = Height() / 2;
  c.Rectangle(0, 0, Width(), half);
  c.Rectangle(0, half, Width(), Height());
  c.Brush().Color = ColorToRGB(Enabled() ? clBtnText : clGrayText);
  c.Pen().Style = psClear;
  const int cx = Width() / 2, d = std::max(2, std::min(Width(), half) / 4);
  c.Polygon({{cx - d, half / 2 + d / 2}, {cx + d + 1, half / 2 + d / 2}, {cx, half / 2 - d / 2 - 1}});
  c.Polygon({{cx - d, half + half / 2 - d / 2}, {cx + d + 1, half + half / 2 - d / 2}, {cx, half + half / 2 + d / 2 + 1}});
  c.Pen().Style = psSolid;
}

void TUpDown::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (button == mbLeft) Step(y < Height() / 2 ? btNext : btPrev);
}

void TUpDown::KeyDown(uint16_t& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == VK_UP) Step(btNext);
  else if (key == VK_DOWN) Step(btPrev);
  else return;
  key = 0;
}

// ------------------------------------------------------------ TProgressBar

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner, WidgetImpl(new QProgressBar)) {
  SetBounds(0, 0, 150, 17);
  WidgetAs<QProgressBar>(*this)->setTextVisible(false);
  WidgetAs<QProgressBar>(*this)->setRange(0, 100);
  WidgetAs<QProgressBar>(*this)->setValue(0);
}
int TProgressBar::Min() const { return WidgetAs<QProgressBar>(*this)->minimum(); }
int TProgressBar::Max() const { return WidgetAs<QProgressBar>(*this)->maximum(); }
int TProgressBar::Position() const { return WidgetAs<QProgressBar>(*this)->value(); }
void TProgressBar::SetRange(int min, int max) { WidgetAs<QProgressBar>(*this)->setRange(min, std::max(min, max)); }
void TProgressBar::SetPosition(int v) { WidgetAs<QProgressBar>(*this)->setValue(std::clamp(v, Min(), Max())); }

// --------------------------------------------------------------- TTreeView

namespace {
QTreeWidgetItem* Node(TTreeView::TNode n) { return static_cast<QTreeWidgetItem*>(n); }
}  // namespace

TTreeView::TTreeView(TComponent* owner) : TWinControl(owner, WidgetImpl(new QTreeWidget)) {
  SetTabStop(true);
  Impl().Widget.data()->setFocusPolicy(Qt::StrongFocus);
  color_ = clWindow;
  SetBounds(0, 0, 121, 97);
  auto* t = WidgetAs<QTreeWidget>(*this);
  t->setHeaderHidden(true);
  QObject::connect(t, &QTreeWidget::currentItemChanged, [this] { Fire(OnChange, this); });
}

TTreeView::TNode TTreeView::AddChild(TNode parent, const std::string& text) {
  auto* item = new QTreeWidgetItem(QStringList(ToQString(text)));
  if (parent)
    Node(parent)->addChild(item);
  else
    WidgetAs<QTreeWidget>(*this)->addTopLevelItem(item);
  return item;
}
void TTreeView::Delete(TNode node) { delete Node(node); }
void TTreeView::Clear() { WidgetAs<QTreeWidget>(*this)->clear(); }
std::string TTreeView::Text(TNode node) const { return Node(node)->text(0).toStdString(); }
void TTreeView::SetText(TNode node, const std::string& text) { Node(node)->setText(0, ToQString(text)); }
TTreeView::TNode TTreeView::Parent(TNode node) const { return Node(node)->parent(); }
int TTreeView::ChildCount(TNode node) const {
  return node ? Node(node)->childCount() : WidgetAs<QTreeWidget>(*this)->topLevelItemCount();
}
TTreeView::TNode TTreeView::Child(TNode node, int index) const {
  if (index < 0 || index >= ChildCount(node)) RaiseListIndexError(index);
  return node ? Node(node)->child(index) : WidgetAs<QTreeWidget>(*this)->topLevelItem(index);
}
void TTreeView::SetExpanded(TNode node, bool v) { Node(node)->setExpanded(v); }
bool TTreeView::Expanded(TNode node) const { return Node(node)->isExpanded(); }
TTreeView::TNode TTreeView::ShownNode(int index) const {
  auto* w = WidgetAs<QTreeWidget>(*this);
  if (index < 0) return nullptr;
  for (QTreeWidgetItemIterator it(w, QTreeWidgetItemIterator::NotHidden); *it; ++it) {
    bool shown = true;
    for (QTreeWidgetItem* p = (*it)->parent(); p && shown; p = p->parent()) shown = p->isExpanded();
    if (shown && index-- == 0) return *it;
  }
  return nullptr;
}

TRect TTreeView::NodeRect(TNode node, bool wholeRow) const {
  auto* w = WidgetAs<QTreeWidget>(*this);
  auto* item = static_cast<QTreeWidgetItem*>(node);
  if (!item) return {};
  QRect r = w->visualItemRect(item);
  if (r.isEmpty()) return {};
  if (wholeRow) r = QRect(0, r.top(), w->viewport()->width(), r.height());
  r.translate(w->viewport()->mapTo(w, QPoint(0, 0)));
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

TTreeView::TNode TTreeView::Selected() const { return WidgetAs<QTreeWidget>(*this)->currentItem(); }
void TTreeView::SetSelected(TNode node) { WidgetAs<QTreeWidget>(*this)->setCurrentItem(Node(node)); }
bool TTreeView::MultiSelect() const { return qs::MultiSelect(WidgetAs<QTreeWidget>(*this)); }
void TTreeView::SetMultiSelect(bool v) { qs::SetMultiSelect(WidgetAs<QTreeWidget>(*this), v); }
std::vector<TTreeView::TNode> TTreeView::Selection() const {
  std::vector<TNode> nodes;
  for (QTreeWidgetItem* item : WidgetAs<QTreeWidget>(*this)->selectedItems()) nodes.push_back(item);
  return nodes;
}

// --------------------------------------------------------------- TListView

const TPropTable& TListColumn::Published() const {
  static const TPropTable table(
      &TCollectionItem::Published(),
      {StringProp<TListColumn>(
           "Caption", [](const TListColumn& c) { return c.Caption; },
           [](TListColumn& c, const std::string& v) {
             c.Caption = v;
             if (c.Collection()) c.Collection()->Changed();
           }),
       IntProp<TListColumn>(
           "Width", [](const TListColumn& c) { return c.Width; },
           [](TListColumn& c, int v) {
             c.Width = v;
             if (c.Collection()) c.Collection()->Changed();
           })});
  return table;
}

TListView::TListView(TComponent* owner)
    : TWinControl(owner, WidgetImpl(new QTreeWidget)), Columns([] { return std::make_unique<TListColumn>(); }) {
  SetTabStop(true);
  Impl().Widget.data()->setFocusPolicy(Qt::StrongFocus);
  color_ = clWindow;
  SetBounds(0, 0, 250, 150);
  auto* t = WidgetAs<QTreeWidget>(*this);
  t->setRootIsDecorated(false);
  t->setHeaderHidden(true);
  Columns.OnChange = [this](TObject*) { ColumnsChanged(); };
  QObject::connect(t, &QTreeWidget::currentItemChanged, [this] { Fire(OnSelectItem, this); });
  QObject::connect(t, &QTreeWidget::itemChanged, [this, t](QTreeWidgetItem* item, int column) {
    if (column != 0 || !OnEdited) return;
    std::string text = item->text(0).toStdString();
    const int index = t->indexOfTopLevelItem(item);
    OnEdited(this, index, text);
    const QSignalBlocker block(t);
    item->setText(0, ToQString(text));
  });
}

const TPropTable& TListView::Published() const {
  static const TPropTable table(
      &TWinControl::Published(),
      {ObjectProp<TListView>("Columns", TPropKind::Collection,
                             [](const TListView& v) { return const_cast<TCollection*>(&v.Columns); })});
  return table;
}

void TListView::ColumnsChanged() {
  auto* t = WidgetAs<QTreeWidget>(*this);
  QStringList labels;
  for (int i = 0; i < Columns.Count(); ++i) labels << ToQString(static_cast<TListColumn*>(Columns.Items(i))->Caption);
  t->setColumnCount(std::max<int>(1, static_cast<int>(labels.size())));
  t->setHeaderLabels(labels);
  for (int i = 0; i < Columns.Count(); ++i) t->setColumnWidth(i, static_cast<TListColumn*>(Columns.Items(i))->Width);
}

void TListView::SetViewStyle(TViewStyle v) { WidgetAs<QTreeWidget>(*this)->setHeaderHidden(v != vsReport); }
int TListView::ItemCount() const { return WidgetAs<QTreeWidget>(*this)->topLevelItemCount(); }

int TListView::AddItem(const std::string& caption, const std::vector<std::string>& subItems) {
  auto* t = WidgetAs<QTreeWidget>(*this);
  QStringList texts(ToQString(caption));
  for (const std::string& s : subItems) texts << ToQString(s);
  auto* item = new QTreeWidgetItem(texts);
  if (!ReadOnly()) item->setFlags(item->flags() | Qt::ItemIsEditable);
  const QSignalBlocker block(t);
  t->addTopLevelItem(item);
  return t->topLevelItemCount() - 1;
}

void TListView::DeleteItem(int index) {
  if (index < 0 || index >= ItemCount()) RaiseListIndexError(index);
  delete WidgetAs<QTreeWidget>(*this)->takeTopLevelItem(index);
}
void TListView::Clear() { WidgetAs<QTreeWidget>(*this)->clear(); }
std::string TListView::ItemCaption(int index) const {
  if (index < 0 || index >= ItemCount()) RaiseListIndexError(index);
  return WidgetAs<QTreeWidget>(*this)->topLevelItem(index)->text(0).toStdString();
}
void TListView::SetItemCaption(int index, const std::string& caption) {
  if (index < 0 || index >= ItemCount()) RaiseListIndexError(index);
  const QSignalBlocker block(Impl().Widget.data());
  WidgetAs<QTreeWidget>(*this)->topLevelItem(index)->setText(0, ToQString(caption));
}
std::string TListView::SubItem(int index, int column) const {
  if (index < 0 || index >= ItemCount()) RaiseListIndexError(index);
  return WidgetAs<QTreeWidget>(*this)->topLevelItem(index)->text(column + 1).toStdString();
}
int TListView::ItemIndex() const {
  auto* t = WidgetAs<QTreeWidget>(*this);
  return t->currentItem() ? t->indexOfTopLevelItem(t->currentItem()) : -1;
}
void TListView::SetItemIndex(int v) {
  auto* t = WidgetAs<QTreeWidget>(*this);
  t->setCurrentItem(v >= 0 && v < ItemCount() ? t->topLevelItem(v) : nullptr);
}
bool TListView::MultiSelect() const { return qs::MultiSelect(WidgetAs<QTreeWidget>(*this)); }
void TListView::SetMultiSelect(bool v) { qs::SetMultiSelect(WidgetAs<QTreeWidget>(*this), v); }
bool TListView::Selected(int index) const {
  if (index < 0 || index >= ItemCount()) RaiseListIndexError(index);
  return WidgetAs<QTreeWidget>(*this)->topLevelItem(index)->isSelected();
}
void TListView::SetSelected(int index, bool v) {
  if (index < 0 || index >= ItemCount()) RaiseListIndexError(index);
  WidgetAs<QTreeWidget>(*this)->topLevelItem(index)->setSelected(v);
}
bool TListView::ReadOnly() const { return WidgetAs<QTreeWidget>(*this)->editTriggers() == QAbstractItemView::NoEditTriggers; }
void TListView::SetReadOnly(bool v) {
  WidgetAs<QTreeWidget>(*this)->setEditTriggers(v ? QAbstractItemView::NoEditTriggers
                                            : QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
}

// -------------------------------------------------------------- TStatusBar

const TPropTable& TStatusPanel::Published() const {
  static const TPropTable table(
      &TCollectionItem::Published(),
      {StringProp<TStatusPanel>(
           "Text", [](const TStatusPanel& p) { return p.Text; },
           [](TStatusPanel& p, const std::string& v) {
             p.Text = v;
             if (p.Collection()) p.Collection()->Changed();
           })});
  return table;
}

TStatusBar::TStatusBar(TComponent* owner)
    : TCustomControl(owner), Panels([] { return std::make_unique<TStatusPanel>(); }) {
  SetBounds(0, 0, 200, 19);
  SetAlign(alBottom);
  Panels.OnChange = [this](TObject*) { Invalidate(); };
}

const TPropTable& TStatusBar::Published() const {
  static const TPropTable table(
      &TWinControl::Published(),
      {ObjectProp<TStatusBar>("Panels", TPropKind::Collection,
                              [](const TStatusBar& s) { return const_cast<TCollection*>(&s.Panels); }),
       StringProp<TStatusBar>(
           "SimpleText", [](const TStatusBar& s) { return s.SimpleText(); },
           [](TStatusBar& s, const std::string& v) { s.SetSimpleText(v); })});
  return table;
}

void TStatusBar::SetSimpleText(const std::string& v) {
  simpleText_ = v;
  Invalidate();
}

void TStatusBar::Paint() {
  TCanvas& c = Canvas();
  c.Font() = Font();
  c.Brush().Style = bsClear;
  const int y = (Height() - c.TextHeight(std::string_view("Ag"))) / 2;
  if (SimplePanel) {
    c.TextOut(4, y, std::string_view(simpleText_));
    return;
  }
  int x = 0;
  c.Pen().Color = ColorToRGB(clBtnShadow);
  for (int i = 0; i < Panels.Count(); ++i) {
    auto* p = static_cast<TStatusPanel*>(Panels.Items(i));
    // The last panel takes the rest of the bar.
    const int w = i + 1 == Panels.Count() ? Width() - x : p->Width;
    c.SaveDC();
    c.IntersectClipRect(Bounds(x, 0, w - 2, Height()));
    c.TextOut(x + 4, y, std::string_view(p->Text));
    c.RestoreDC(-1);
    c.MoveTo(x + w - 2, 2);
    c.LineTo(x + w - 2, Height() - 2);
    x += w;
  }
  c.Brush().Style = bsSolid;
}

}  // namespace qs

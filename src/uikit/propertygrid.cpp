#include "uikit/propertygrid.h"

#include <algorithm>

#include "base/exceptions.h"
#include "platform/actions.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/forms.h"
#include "uikit/frames.h"
#include "uikit/language.h"
#include "uikit/messagebox.h"
#include "uikit/picker.h"

namespace qs {

namespace pv = ECPropertyView;

namespace {

constexpr int kIndent = 12;
constexpr int kStepFirst = 200, kStepNext = 50;
const TColor kSelectedFill = RGB(181, 213, 238);

// The value types that have a text form to check.
bool ChecksText(ECPropertyView::TEditType t, qs::TEditType& valueType) {
  switch (t) {
    case pv::etInteger: valueType = qs::etInteger; return true;
    case pv::etReal: valueType = qs::etReal; return true;
    case pv::etCurrency: valueType = qs::etCurrency; return true;
    case pv::etDate: valueType = qs::etDate; return true;
    case pv::etTime: valueType = qs::etTime; return true;
    default: return false;
  }
}

TPropValue FromEditValue(const TEditValue& v) {
  if (const auto* i = std::get_if<int>(&v)) return *i;
  if (const auto* d = std::get_if<double>(&v)) return *d;
  if (const auto* dt = std::get_if<TDateValue>(&v)) return *dt;
  if (const auto* s = std::get_if<std::string>(&v)) return *s;
  return {};
}

TEditValue ToEditValue(const TPropValue& v) {
  if (const auto* i = std::get_if<int>(&v)) return *i;
  if (const auto* d = std::get_if<double>(&v)) return *d;
  if (const auto* dt = std::get_if<TDateValue>(&v)) return *dt;
  if (const auto* s = std::get_if<std::string>(&v)) return *s;
  if (const auto* b = std::get_if<bool>(&v)) return *b ? 1 : 0;
  return {};
}

// Writes text in r at offset from the side it is aligned to, cut with
// "..." where it does not fit; dy from the top.
void TextWithEllipsis(TCanvas& c, const TRect& r, int offset, TAlignment alignment, std::string text, int dy) {
  const int avail = r.Width();
  if (offset + c.TextWidth(std::string_view(text)) > avail) {
    if (avail - offset < 0) return;
    const int e = c.TextWidth(std::string_view("..."));
    if (avail - offset - e > 0)
      while (!text.empty() && c.TextWidth(std::string_view(text)) >= avail - offset - e) text.pop_back();
    text += "...";
  }
  const int w = c.TextWidth(std::string_view(text));
  int x = r.Left + offset;
  if (alignment == taRightJustify) x = r.Right - w - offset;
  else if (alignment == taCenter) x = r.Left + avail / 2 - w / 2;
  c.Brush().Style = bsClear;
  c.TextOut(x, r.Top + dy, std::string_view(text));
  c.Brush().Style = bsSolid;
}

}  // namespace

std::string PropValueToText(const TPropValue& value) {
  if (const auto* b = std::get_if<bool>(&value)) return *b ? "True" : "False";
  return EditValueToText(qs::etString, ToEditValue(value));
}

// ---------------------------------------------------------- TECPropertyNode

TECPropertyNode::TECPropertyNode(TECPropertyView* view, TECPropertyNode* parent)
    : view_(view), parent_(parent), level_(parent ? parent->level_ + 1 : 0) {}

TECPropertyNode::~TECPropertyNode() {
  while (!children_.empty()) children_.pop_back();
}

void TECPropertyNode::SetCaption(const std::string& v) {
  if (v == caption_) return;
  caption_ = v;
  view_->InvalidateCell(0, rowIndex_ + 1);
}

void TECPropertyNode::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  view_->Invalidate();
}

void TECPropertyNode::SetExpanded(bool v) {
  if (v == expanded_) return;
  expanded_ = v;
  if (!children_.empty()) {
    view_->RebuildRows();
    view_->Invalidate();
  }
}

TPropValue TECPropertyNode::GetValue(int index) const {
  if (index < 0 || index >= static_cast<int>(values_.size())) return std::string();
  return values_[index];
}

void TECPropertyNode::SetValue(int index, const TPropValue& value) {
  if (index < 0) return;
  if (index >= static_cast<int>(values_.size())) values_.resize(index + 1, std::string());
  if (values_[index] == value) return;
  values_[index] = value;
  Fire(view_->OnChangeData, reinterpret_cast<TObject*>(this));
  if (!view_->settingEditText_ || view_->inButtonClick_) view_->RefreshEditor();
  view_->InvalidateCell(index + 1, rowIndex_ + 1);
}

bool TECPropertyNode::GetCellVisible(int column) const {
  return column < 0 || column >= static_cast<int>(cellVisible_.size()) || cellVisible_[column];
}

void TECPropertyNode::SetCellVisible(int column, bool visible) {
  if (column < 0) return;
  if (column >= static_cast<int>(cellVisible_.size())) cellVisible_.resize(column + 1, true);
  if (cellVisible_[column] == visible) return;
  cellVisible_[column] = visible;
  if (!view_->settingEditText_ || view_->inButtonClick_) view_->RefreshEditor();
  view_->InvalidateCell(column, rowIndex_ + 1);
}

int TECPropertyNode::GetIndex() const {
  const auto& list = parent_ ? parent_->children_ : view_->roots_;
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].get() == this) return static_cast<int>(i);
  return -1;
}

void TECPropertyNode::SetIndex(int newIndex) {
  auto& list = parent_ ? parent_->children_ : view_->roots_;
  const int old = GetIndex();
  if (old < 0) return;
  newIndex = std::clamp(newIndex, 0, static_cast<int>(list.size()) - 1);
  std::unique_ptr<TECPropertyNode> self = std::move(list[old]);
  list.erase(list.begin() + old);
  list.insert(list.begin() + newIndex, std::move(self));
  view_->RebuildRows();
  view_->Invalidate();
  view_->FocusCell(view_->Col(), view_->FixedRows() + rowIndex_);
}

void TECPropertyNode::Assign(const TECPropertyNode& source) {
  caption_ = source.caption_;
  EditType = source.EditType;
  EditStyle = source.EditStyle;
  DropDownList = source.DropDownList;
  ImageIndex = source.ImageIndex;
  Data = source.Data;
  SetExpanded(source.expanded_);
  view_->InvalidateRow(rowIndex_ + 1);
}

// -------------------------------------------------------- TECPropertyColumn

void TECPropertyColumn::Assign(const TECPropertyColumn& source) {
  Alignment = source.Alignment;
  Caption = source.Caption;
  Color = source.Color;
  if (!source.parentFont_) SetFont(source.font_);
  SavedWidth = source.Width();
  EditType = source.EditType;
  EditStyle = source.EditStyle;
  Hint = source.Hint;
  DropDownList = source.DropDownList;
  ImageIndex = source.ImageIndex;
  Spacing = source.Spacing;
  view_->InvalidateCell(index_, 0);
}

TFont TECPropertyColumn::Font() const { return parentFont_ ? view_->Font() : font_; }

void TECPropertyColumn::SetFont(const TFont& v) {
  font_ = v;
  parentFont_ = false;
  view_->InvalidateCell(index_, 0);
}

void TECPropertyColumn::SetParentFont(bool v) {
  if (v == parentFont_) return;
  if (v) font_ = view_->Font();
  parentFont_ = v;
  view_->InvalidateCell(index_, 0);
}

void TECPropertyColumn::SetParentColor(bool v) {
  if (v == parentColor_) return;
  parentColor_ = v;
  if (v) Color = view_->Color();
  view_->InvalidateCell(index_, 0);
}

int TECPropertyColumn::Width() const {
  if (view_->RowCount() == 0 || view_->FixedRows() == 0 || index_ >= view_->ColCount()) return 0;
  return view_->ColWidths(index_);
}

void TECPropertyColumn::SetWidth(int v) {
  if (view_->RowCount() == 0 || view_->FixedRows() == 0 || index_ >= view_->ColCount()) return;
  view_->SetColWidths(index_, v);
}

// ---------------------------------------------------------- TECPropertyView

TECPropertyView::TECPropertyView(TComponent* owner) : TCustomGrid(owner) {
  SetFixedRows(1);
  SetFixedCols(0);
  SetRowCount(2);
  SetColCount(2);
}

TECPropertyView::~TECPropertyView() {
  clearing_ = true;
  roots_.clear();
}

void TECPropertyView::SetImages(TImageList* v) {
  if (!imageLink_.SetImages(v)) return;
  Invalidate();
}

void TECPropertyView::Notification(TComponent* component, TOperation operation) {
  TCustomGrid::Notification(component, operation);
  imageLink_.Notification(component, operation);
}

int TECPropertyView::ValidImage(int index) const {
  return Images() && index >= 0 && index < Images()->Count() ? index : -1;
}

TECPropertyColumn& TECPropertyView::AddColumn() {
  columns_.push_back(std::make_unique<TECPropertyColumn>(this, ColumnCount()));
  InvalidateRow(0);
  return *columns_.back();
}

void TECPropertyView::SetShowButtons(bool v) {
  showButtons_ = v;
  Invalidate();
}

TECPropertyNode* TECPropertyView::AddNode(TECPropertyNode* parent, const std::string& caption, void* data,
                                          ECPropertyView::TEditStyle style) {
  auto node = std::make_unique<TECPropertyNode>(this, parent);
  node->caption_ = caption;
  node->Data = data;
  node->EditStyle = style;
  TECPropertyNode* result = node.get();
  (parent ? parent->children_ : roots_).push_back(std::move(node));
  RebuildRows();
  Invalidate();
  return result;
}

void TECPropertyView::RebuildRows() {
  // The node shown in the current row stays current where it still shows;
  // an editor over a node that no longer shows there closes first.
  const TECPropertyNode* current = GetSelectedNode();
  if (EditorMode() && InplaceEditor() && InplaceEditor()->ListVisible()) InplaceEditor()->CloseUp(false);
  rows_.clear();
  std::function<void(TECPropertyNode*)> visit = [&](TECPropertyNode* n) {
    n->rowIndex_ = static_cast<int>(rows_.size());
    rows_.push_back(n);
    if (n->expanded_)
      for (auto& c : n->children_) visit(c.get());
  };
  for (auto& r : roots_) visit(r.get());
  const auto found = std::find(rows_.begin(), rows_.end(), current);
  const int currentRow = current && found != rows_.end() ? FixedRows() + static_cast<int>(found - rows_.begin()) : -1;
  const bool reopen = currentRow < 0 && EditorMode();
  if (reopen) HideEditor();
  if (currentRow >= 0 && currentRow < RowCount()) KeepCurrentAt(currentRow);
  const int counter = static_cast<int>(rows_.size());
  SetRowCount(counter > 1 ? counter + 1 : 2);
  if (currentRow >= 0) KeepCurrentAt(currentRow);
  if (Row() >= RowCount()) MoveColRow(Col(), RowCount() - 1, true);
  if (reopen && (Options() & goAlwaysShowEditor)) ShowEditor();
  else InvalidateEditor();
}

TECPropertyNode* TECPropertyView::GetRowNode(int index) const {
  return index >= 0 && index < static_cast<int>(rows_.size()) ? rows_[index] : nullptr;
}

TECPropertyNode* TECPropertyView::GetSelectedNode() const { return GetRowNode(Row() - FixedRows()); }

TECPropertyNode* TECPropertyView::GetRootNode(int index) const {
  return index >= 0 && index < GetRootCount() ? roots_[index].get() : nullptr;
}

void TECPropertyView::SelectNode(TECPropertyNode* node) {
  bool changed = false;
  for (TECPropertyNode* p = node->parent_; p; p = p->parent_)
    if (!p->expanded_) {
      p->expanded_ = true;
      changed = true;
    }
  if (changed) {
    RebuildRows();
    Invalidate();
  }
  FocusCell(Col(), FixedRows() + node->rowIndex_);
}

void TECPropertyView::ClearNodes() {
  clearing_ = true;
  HideEditor();
  while (!roots_.empty()) roots_.pop_back();
  clearing_ = false;
  RebuildRows();
  Invalidate();
}

void TECPropertyView::DeleteNode(TECPropertyNode* node) {
  if (!node) return;
  auto& list = node->parent_ ? node->parent_->children_ : roots_;
  const auto it = std::find_if(list.begin(), list.end(), [node](const auto& n) { return n.get() == node; });
  if (it == list.end()) return;
  // An editor over the node or one below it ends without writing into it:
  // what it stands for may be gone already.
  clearing_ = true;
  for (const TECPropertyNode* n = GetSelectedNode(); n; n = n->parent_)
    if (n == node) {
      HideEditor();
      break;
    }
  clearing_ = false;
  const std::unique_ptr<TECPropertyNode> gone = std::move(*it);
  list.erase(it);
  RebuildRows();
  Invalidate();
}

ECPropertyView::TEditType TECPropertyView::CellEditType(int col, const TECPropertyNode* node) const {
  if (col < ColumnCount()) return columns_[col]->EditType;
  return node ? node->EditType : pv::etString;
}

ECPropertyView::TEditStyle TECPropertyView::CellEditStyle(int col, const TECPropertyNode* node) const {
  if (col < ColumnCount()) return columns_[col]->EditStyle;
  return node ? node->EditStyle : pv::esReadOnly;
}

bool TECPropertyView::CellChooseOnly(int col, const TECPropertyNode* node) const {
  if (col < ColumnCount()) return columns_[col]->ChooseOnly;
  return node && node->ChooseOnly;
}

int TECPropertyView::CellButtonWidth(int col) const { return col < ColumnCount() ? columns_[col]->ButtonWidth : -1; }

const TStringList& TECPropertyView::CellPickList(int col, const TECPropertyNode* node) const {
  static const TStringList kEmpty;
  if (col < ColumnCount()) return columns_[col]->DropDownList;
  return node ? node->DropDownList : kEmpty;
}

TInplaceEdit* TECPropertyView::CreateEditor() { return new TPropInplaceEditor(this); }

bool TECPropertyView::CanEditShow() {
  bool result = TCustomGrid::CanEditShow();
  TECPropertyNode* node = GetSelectedNode();
  if (result && node)
    result = CellEditStyle(Col(), node) != pv::esReadOnly && CellEditType(Col(), node) != pv::etBoolean &&
             node->GetCellVisible(Col());
  if (!node) result = false;
  // Not while SelectCell gives the columns their widths back: the row
  // about to become current is not current yet.
  if (AutoExpand && node && !restoringWidths_) {
    TECPropertyNode* root = node;
    while (root->parent_) root = root->parent_;
    for (auto& r : roots_) r->SetExpanded(r.get() == root);
  }
  return result;
}

bool TECPropertyView::CanEditModify() {
  TECPropertyNode* node = GetSelectedNode();
  if (!node || node->EditStyle == pv::esReadOnly) return false;
  return !(Col() < ColumnCount() && columns_[Col()]->ChooseOnly);
}

bool TECPropertyView::CanEditAcceptKey(char16_t key) {
  TECPropertyNode* node = GetSelectedNode();
  if (!node) return true;
  const auto type = CellEditType(Col(), node);
  if (type == pv::etReal && (key == 'E' || key == 'e')) return true;
  qs::TEditType vt;
  if (!ChecksText(type, vt)) return true;
  return key < 0x80 && EditTypeValidChar(vt, static_cast<char>(key));
}

std::string TECPropertyView::GetEditText(int col, int row) {
  TECPropertyNode* node = GetRowNode(row - FixedRows());
  return node ? PropValueToText(node->GetValue(col - 1)) : std::string();
}

void TECPropertyView::SetEditText(int col, int row, const std::string& text) {
  TECPropertyNode* node = GetRowNode(row - FixedRows());
  if (!node) return;
  settingEditText_ = true;
  node->SetValue(col - 1, text);
  settingEditText_ = false;
}

void TECPropertyView::EditStarted() {
  if (TECPropertyNode* node = GetSelectedNode()) editStartValue_ = node->GetValue(Col() - 1);
}

void TECPropertyView::CancelEdit() {
  TECPropertyNode* node = GetSelectedNode();
  if (!node) return;
  if (InplaceEditor() && InplaceEditor()->ListVisible()) InplaceEditor()->CloseUp(false);
  node->SetValue(Col() - 1, editStartValue_);
  RefreshEditor();
}

bool TECPropertyView::ValidateEdit() {
  TECPropertyNode* node = GetSelectedNode();
  qs::TEditType vt;
  if (!node || !ChecksText(CellEditType(Col(), node), vt)) return true;
  const TPropValue v = node->GetValue(Col() - 1);
  const auto* text = std::get_if<std::string>(&v);
  if (!text || TextFitsType(vt, *text)) return true;
  // The cell gets back the value it had, and the user is told why.
  const std::string refused = *text;
  node->SetValue(Col() - 1, editStartValue_);
  RefreshEditor();
  RefuseValue(vt, refused);
  return false;
}

void TECPropertyView::RefreshEditor() {
  if (InplaceEditor() && EditorMode()) InplaceEditor()->SetTextQuietly(GetEditText(Col(), Row()));
}

bool TECPropertyView::SelectCell(int col, int row) {
  const bool can = TCustomGrid::SelectCell(col, row);
  restoringWidths_ = true;
  for (auto& c : columns_)
    if (c->SavedWidth != 0) c->SetWidth(c->SavedWidth);
  restoringWidths_ = false;
  return can;
}

void TECPropertyView::Resize() {
  // Columns spread over the width leave nothing to scroll to sideways (the
  // grid lines between them would otherwise ask for a bar).
  SetHorzScrollBar(!AutoSize);
  if (AutoSize && ColCount() > 0) {
    const int w = ClientWidth() / ColCount();
    for (int c = 0; c < ColCount() - 1; ++c) SetColWidths(c, w);
    SetColWidths(ColCount() - 1, ClientWidth() - w * (ColCount() - 1));
  }
  TCustomGrid::Resize();
}

void TECPropertyView::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
  TCanvas& c = Canvas();
  if (row == 0) {
    if (!DefaultDrawing && OnDrawTitleCell) {
      OnDrawTitleCell(this, col, row, rect, state);
      return;
    }
    if (col >= ColumnCount()) {
      // A title without a column item: the fixed cell's colour only.
      c.Brush().Color = ColorToRGB(FixedColor());
      c.FillRect(rect);
      return;
    }
    const TECPropertyColumn& column = *columns_[col];
    UseFont(c, column.Font());
    c.Brush().Color = ColorToRGB(column.Color);
    c.FillRect(rect);
    const int sp = c.TextWidth(std::string_view(" "));
    TRect text = rect;
    if (const int image = ValidImage(column.ImageIndex); image >= 0) {
      const int iw = Images()->Width();
      const int ix = column.Caption.empty() ? (rect.Left + rect.Right - iw) / 2 : rect.Left + sp;
      Images()->Draw(c, ix, (rect.Top + rect.Bottom - Images()->Height()) / 2, image);
      text.Left += iw + sp + std::max(0, column.Spacing);
    }
    TextWithEllipsis(c, text, sp, column.Alignment, column.Caption,
                     (rect.Height() - c.TextHeight(std::string_view("W"))) / 2);
    return;
  }
  if (col == 0 && !DefaultDrawing && OnDrawPropertyCell) {
    OnDrawPropertyCell(this, col, row, rect, state);
    return;
  }
  if (col > 0 && OnDrawValueCell && (!DefaultDrawing || (col < ColumnCount() && !columns_[col]->DefaultDrawing))) {
    OnDrawValueCell(this, col, row, rect, state);
    return;
  }
  if (TECPropertyNode* node = GetRowNode(row - FixedRows())) DrawNodeCell(node, col, rect, state);
}

void TECPropertyView::DrawNodeCell(TECPropertyNode* node, int col, const TRect& rect, TGridDrawState) {
  TCanvas& c = Canvas();
  UseFont(c, Font());
  if (!node->enabled_) c.Font().Color = ColorToRGB(RGB(128, 128, 128));
  const bool current = node == GetSelectedNode() && col == Col();
  const bool focused = Focused() || (InplaceEditor() && InplaceEditor()->Focused());
  c.Brush().Style = bsSolid;
  c.Brush().Color = ColorToRGB(current ? (focused ? kSelectedFill : clSilver) : Color());
  c.FillRect(rect);
  const int mid = rect.Top + rect.Height() / 2;
  std::string text;
  int indent = 0, offset = 2;
  if (col == 0) {
    text = node->caption_;
    indent = node->level_ * kIndent;
    if (showButtons_) {
      if (!node->children_.empty()) {
        const int x = rect.Left + indent;
        c.Pen().Color = ColorToRGB(clBlack);
        c.Pen().Style = psSolid;
        c.Brush().Color = ColorToRGB(clWhite);
        c.Rectangle(x + 1, mid - 4, x + 10, mid + 5);
        c.MoveTo(x + 3, mid);
        c.LineTo(x + 8, mid);
        if (!node->expanded_) {
          c.MoveTo(x + 5, mid - 2);
          c.LineTo(x + 5, mid + 3);
        }
      }
      indent += kIndent;
    }
    if (const int image = ValidImage(node->ImageIndex); image >= 0) {
      Images()->Draw(c, rect.Left + 2 + indent, (rect.Top + rect.Bottom - Images()->Height()) / 2, image);
      offset = Images()->Width() + 4;
    }
  } else {
    text = PropValueToText(node->GetValue(col - 1));
  }
  if (!node->GetCellVisible(col)) return;
  if (CellEditType(col, node) == pv::etBoolean && col > 0) {
    const int x = (rect.Left + rect.Right - 8) / 2;
    c.Pen().Color = ColorToRGB(clBlack);
    c.Brush().Style = bsClear;
    c.Rectangle(x - 2, mid - 6, x + 10, mid + 6);
    const TPropValue v = node->GetValue(col - 1);
    if (const auto* b = std::get_if<bool>(&v); b && *b) {
      c.Brush().Style = bsSolid;
      c.Brush().Color = ColorToRGB(clBlack);
      c.Polygon({TPoint{x, mid}, TPoint{x, mid + 1}, TPoint{x + 2, mid + 3}, TPoint{x + 7, mid - 2},
                 TPoint{x + 7, mid - 3}, TPoint{x + 2, mid + 2}});
    }
    c.Brush().Style = bsSolid;
    return;
  }
  TextWithEllipsis(c, Rect(rect.Left + indent, rect.Top, rect.Right, rect.Bottom), offset, node->Alignment, text,
                   (rect.Height() - c.TextHeight(std::string_view("W"))) / 2);
}

void TECPropertyView::ToggleBoolean(TECPropertyNode* node, int col, bool fromMouse) {
  const TPropValue v = node->GetValue(col - 1);
  if (const auto* b = std::get_if<bool>(&v)) {
    node->SetValue(col - 1, !*b);
  } else if (fromMouse) {
    // An unset cell has no Boolean reading: the user is told, nothing changes.
    ShowMessageBlock(Application().Title, PickerText(8, "This cell holds no yes-or-no value to switch yet."),
                     kMessageWarning, kMessageOk);
  } else {
    node->SetValue(col - 1, false);
  }
  InvalidateCell(col, node->rowIndex_ + 1);
}

void TECPropertyView::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  // The cell pressed, as the rows lay when the button went down: making it
  // current may fold other rows away (AutoExpand) before it is acted on.
  int col = 0, row = 0;
  TECPropertyNode* node = nullptr;
  TRect r{};
  if (button == mbLeft && MouseToCell(x, y, col, row) && row >= FixedRows()) {
    node = GetRowNode(row - FixedRows());
    r = CellRect(col, row);
  }
  TCustomGrid::MouseDown(button, shift, x, y);
  if (!node || std::find(rows_.begin(), rows_.end(), node) == rows_.end()) return;
  if (col == 0) {
    const int mid = r.Top + r.Height() / 2;
    const int indent = node->level_ * kIndent;
    const TRect hit = Rect(r.Left + indent + 1, mid - 4, r.Left + indent + 11, mid + 5);
    if ((showButtons_ && !node->children_.empty() && hit.Contains({x, y})) || (shift & ssDouble))
      node->SetExpanded(!node->expanded_);
    FocusCell(col, FixedRows() + node->rowIndex_);
  } else if (node->GetCellVisible(col) && CellEditType(col, node) == pv::etBoolean && !(shift & ssDouble)) {
    ToggleBoolean(node, col, true);
  }
}

void TECPropertyView::MouseMove(TShiftState shift, int x, int y) {
  TCustomGrid::MouseMove(shift, x, y);
  int col = 0, row = 0;
  if (!MouseToCell(x, y, col, row) || col == lastHintCol_) return;
  if (col < ColumnCount() && !columns_[col]->Hint.empty()) {
    SetHint(columns_[col]->Hint);
    SetShowHint(true);
    Application().CancelHint();
  }
  lastHintCol_ = col;
}

void TECPropertyView::KeyDown(uint16_t& key, TShiftState shift) {
  if (TECPropertyNode* node = GetSelectedNode()) {
    if (key == VK_RETURN && Col() == 0 && !EditorMode()) node->SetExpanded(true);
    if (key == VK_SPACE && Col() > 0 && CellEditType(Col(), node) == pv::etBoolean && node->GetCellVisible(Col())) {
      ToggleBoolean(node, Col(), false);
      key = 0;
      return;
    }
  }
  TCustomGrid::KeyDown(key, shift);
}

// ------------------------------------------------------- TPropInplaceEditor

TPropInplaceEditor::TPropInplaceEditor(TECPropertyView* view) : TInplaceEdit(view), view_(view) {}

void TPropInplaceEditor::UpdatePicker(TButtonKind kind) {
  pickerActive_ = false;
  TECPropertyNode* node = view_->GetSelectedNode();
  int width = view_->CellButtonWidth(view_->Col());
  if (kind == bkNone && node) {
    switch (view_->CellEditType(view_->Col(), node)) {
      case pv::etInteger:
      case pv::etReal:
      case pv::etCurrency: UsePicker(TPickerKind::Calculator); break;
      case pv::etDate: UsePicker(TPickerKind::Calendar); break;
      case pv::etTime: UsePicker(TPickerKind::Time); break;
      default: break;
    }
    if (pickerActive_ && width == -1) width = picker_->GetButtonGlyph()->Width() + 6;
  }
  SetButtonWidth(width == -1 ? GetSystemMetrics(SM_CXVSCROLL) : width);
}

void TPropInplaceEditor::UpdateContents() {
  TECPropertyNode* node = view_->GetSelectedNode();
  if (view_->restoringWidths_ || !node) return;
  const int col = view_->Col();
  const auto style = view_->CellEditStyle(col, node);
  TButtonKind kind = bkNone;
  switch (style) {
    case pv::esDropDown: kind = view_->CellPickList(col, node).Empty() ? bkNone : bkPickList; break;
    case pv::esEllipsis: kind = bkEllipsis; break;
    case pv::esUpDown: kind = bkUpDown; break;
    case pv::esTrackBar: kind = bkTrackBar; break;
    default: break;
  }
  UpdatePicker(kind);
  SetButtonKind(kind);
  if (col < view_->ColumnCount() && HasButton()) {
    TECPropertyColumn& c = view_->Columns(col);
    if (c.SavedWidth == 0) c.SavedWidth = c.Width();
    c.SetWidth(c.SavedWidth + buttonWidth_);
    const TRect r = view_->CellRect(col, view_->Row());
    SetBounds(r.Left, r.Top, r.Width(), r.Height());
    UpdateEditRect();
  }
  TInplaceEdit::UpdateContents();
  // Neither typing nor the clipboard changes a choose-only cell.
  if (Choosing()) SetReadOnly(true);
  SetFont(view_->Font());
}

bool TPropInplaceEditor::Choosing() const {
  TECPropertyNode* node = view_->GetSelectedNode();
  return node && node->EditStyle != pv::esReadOnly && view_->CellChooseOnly(view_->Col(), node);
}

bool TPropInplaceEditor::PrepareDropDown() {
  TECPropertyNode* node = view_->GetSelectedNode();
  if (!node) return false;
  if (pickerActive_) {
    beforeDropDown_ = node->GetValue(view_->Col() - 1);
    picker_->SetPopupValue(ToEditValue(beforeDropDown_));
    return true;
  }
  const TStringList& items = view_->CellPickList(view_->Col(), node);
  TPopupListbox& list = EnsurePickList();
  list.SetColor(Color());
  list.SetFont(Font());
  list.SetItems(items);
  list.SetHeight(items.Count() * list.ItemHeight() + 4);
  list.SetItemIndex(items.IndexOf(Text()));
  TBitmap probe(1, 1);
  probe.Canvas().Font() = Font();
  int widest = 0;
  for (const std::string& item : items) widest = std::max(widest, probe.Canvas().TextWidth(std::string_view(item)) + 8);
  list.SetWidth(std::max(list.ClientWidth(), widest));
  return true;
}

void TPropInplaceEditor::ClosedUp(bool accept, bool fromPicker, const std::string& listItem, bool hasItem) {
  TECPropertyNode* node = view_->GetSelectedNode();
  if (!node || view_->clearing_) return;
  const int index = view_->Col() - 1;
  if (fromPicker && picker_) {
    // The cell followed the picker while it was open; closed without
    // accepting, it keeps the value it had before.
    node->SetValue(index, accept ? FromEditValue(picker_->GetPopupValue()) : beforeDropDown_);
  } else if (accept && hasItem) {
    node->SetValue(index, listItem);
  } else {
    return;
  }
  SetTextQuietly(PropValueToText(node->GetValue(index)));
}

void TPropInplaceEditor::PickerChanged() {
  TECPropertyNode* node = view_->GetSelectedNode();
  if (!node || !picker_) return;
  inPickerChange_ = true;
  node->SetValue(view_->Col() - 1, FromEditValue(picker_->GetPopupValue()));
  SetTextQuietly(PropValueToText(node->GetValue(view_->Col() - 1)));
  inPickerChange_ = false;
  Invalidate();
}

void TPropInplaceEditor::Step() {
  TECPropertyNode* node = view_->GetSelectedNode();
  if (!node) return;
  int v = 0;
  if (!TryTextToInteger(Text(), v)) v = 0;
  node->SetValue(view_->Col() - 1, v + (stepDown_ ? -1 : 1));
  SetTextQuietly(PropValueToText(node->GetValue(view_->Col() - 1)));
}

void TPropInplaceEditor::ButtonDown() {
  if (kind_ == bkUpDown && !pickerActive_) {
    Step();
    StartRepeat(kStepFirst, kStepNext);
  } else if (kind_ != bkTrackBar && popup_) {
    DropDown();
  }
}

void TPropInplaceEditor::RepeatStep() {
  if (pressed_) Step();
}

void TPropInplaceEditor::ButtonUp(TMouseButton button, bool wasPressed) {
  TInplaceEdit::ButtonUp(button, wasPressed);
  if (button == mbLeft && wasPressed && kind_ == bkEllipsis && !pickerActive_ && view_->OnEditButtonClick) {
    view_->inButtonClick_ = true;
    view_->OnEditButtonClick(view_);
    view_->inButtonClick_ = false;
  }
}

void TPropInplaceEditor::EditKeyDown(uint16_t& key, TShiftState shift) {
  TECPropertyNode* node = view_->GetSelectedNode();
  if (key == VK_DELETE && node && view_->CellChooseOnly(view_->Col(), node)) {
    key = 0;
  } else if (kind_ == bkEllipsis && shift == ssAlt && key == VK_DOWN) {
    Fire(view_->OnEditButtonClick, view_);
    key = 0;
  } else if (kind_ == bkUpDown && shift == ssAlt && (key == VK_UP || key == VK_DOWN)) {
    // Each key press steps once.
    stepDown_ = key == VK_DOWN;
    Step();
    key = 0;
  } else if (kind_ == bkTrackBar && shift == ssAlt && (key == VK_LEFT || key == VK_RIGHT)) {
    key = 0;
  }
}

void TPropInplaceEditor::EditKeyPress(char16_t& key) {
  TECPropertyNode* node = view_->GetSelectedNode();
  if (!node) return;
  const int col = view_->Col();
  bool valid = key < 32;
  if (!valid) {
    qs::TEditType vt;
    valid = !ChecksText(view_->CellEditType(col, node), vt) ||
            (key < 0x80 && EditTypeValidChar(vt, static_cast<char>(key)));
  }
  if (!valid || view_->CellChooseOnly(col, node)) {
    Beep();
    key = 0;
  }
}

bool TPropInplaceEditor::DrawsOwnText() const {
  TECPropertyNode* node = view_->GetSelectedNode();
  return node && kind_ == bkPickList && view_->CellChooseOnly(view_->Col(), node);
}

namespace {

// The sample property tree (a piece with its parts), its editor open in
// the cell at (col, row); with dropped, its pick list open as well.
std::unique_ptr<TCustomForm> PropertyViewSample(int col, int row, bool dropped) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetName("FPropertyViewSample");
  form->SetClientWidth(380);
  form->SetClientHeight(150);
  auto* view = new TECPropertyView(form.get());
  view->SetParent(form.get());
  view->SetAlign(alClient);
  view->SetColCount(4);
  view->SetShowButtons(true);
  // The sample's texts: 0-3 the titles, 4-7 the instruments, 8-11 the rows.
  const TSampleTexts text(*form);
  const char* titles[4] = {"Score", "Instrument", "Mute", "Volume"};
  const char* instruments[4] = {"Piano", "Violin", "Flute", "Guitar"};
  const ECPropertyView::TEditType types[4] = {pv::etString, pv::etString, pv::etBoolean, pv::etInteger};
  const ECPropertyView::TEditStyle styles[4] = {pv::esReadOnly, pv::esDropDown, pv::esEdit, pv::esUpDown};
  for (int c = 0; c < 4; ++c) {
    TECPropertyColumn& column = view->AddColumn();
    column.Caption = text(c, titles[c]);
    column.EditType = types[c];
    column.EditStyle = styles[c];
    column.SetWidth(c == 0 ? 120 : 76);
  }
  for (int i = 0; i < 4; ++i) view->Columns(1).DropDownList.Add(text(4 + i, instruments[i]));
  TECPropertyNode* piece = view->AddNode(nullptr, text(8, "Piece 1"), nullptr, pv::esEdit);
  TECPropertyNode* part = view->AddNode(piece, text(9, "Part 1"), nullptr, pv::esEdit);
  part->SetValue(0, text(4, instruments[0]));
  part->SetValue(1, false);
  part->SetValue(2, 100);
  TECPropertyNode* staff = view->AddNode(part, text(10, "Staff 1"), nullptr, pv::esEdit);
  staff->SetValue(1, true);
  TECPropertyNode* part2 = view->AddNode(piece, text(11, "Part 2"), nullptr, pv::esEdit);
  part2->SetValue(0, text(5, instruments[1]));
  part2->SetValue(1, false);
  part2->SetValue(2, 90);
  view->SetOptions(view->Options() | goEditing | goAlwaysShowEditor);
  view->FocusCell(col, row);
  if (dropped)
    form->OnShow = [view](TObject*) {
      if (TInplaceEdit* editor = view->InplaceEditor()) editor->DropDown();
    };
  return form;
}

}  // namespace

void RegisterPropertyGridForms() {
  // The editor of a volume cell with its up-down button, and that of an
  // instrument cell with its pick list open.
  RegisterForm("ECPropertyView", [](const std::string&) { return PropertyViewSample(3, 2, false); });
  RegisterForm("ECPropertyViewList", [](const std::string&) { return PropertyViewSample(1, 4, true); });
}

}  // namespace qs

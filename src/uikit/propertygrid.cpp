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
  SavedWidth = source.Width();
  EditType = source.EditType;
  EditStyle = source.EditStyle;
  Hint = source.Hint;
  DropDownList = source.DropDownList;
  ImageIndex = source.ImageIndex;
  Spacing = source.Spacing;
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
  if (operation == opRemove && component == Images()) imageLink_.SetImages(nullptr);
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
  rows_.clear();
  std::function<void(TECPropertyNode*)> visit = [&](TECPropertyNode* n) {
    n->rowIndex_ = static_cast<int>(rows_.size());
    rows_.push_back(n);
    if (n->expanded_)
      for (auto& c : n->children_) visit(c.get());
  };
  for (auto& r : roots_) visit(r.get());
  const int counter = static_cast<int>(rows_.size());
  SetRowCount(counter > 1 ? counter + 1 : 2);
  if (Row() >= RowCount()) MoveColRow(Col(), RowCount() - 1, true);
  InvalidateEditor();
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
  HideEditor();
  clearing_ = true;
  while (!roots_.empty()) roots_.pop_back();
  clearing_ = false;
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
  if (AutoExpand && node) {
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
  if (!text || text->empty()) return true;
  try {
    EditTextToValue(vt, *text);
    return true;
  } catch (const EConvertError&) {
    RefuseValue(vt, *text);
    node->SetValue(Col() - 1, editStartValue_);
    RefreshEditor();
    return false;
  }
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
    if (col >= ColumnCount()) return;
    const TECPropertyColumn& column = *columns_[col];
    c.Brush().Color = ColorToRGB(column.Color);
    c.FillRect(rect);
    const int sp = c.TextWidth(std::string_view(" "));
    const int w = c.TextWidth(std::string_view(column.Caption));
    int left = rect.Left;
    if (const int image = ValidImage(column.ImageIndex); image >= 0) {
      const int iw = Images()->Width();
      const int ix = column.Caption.empty() ? (rect.Left + rect.Right - iw) / 2 : rect.Left + sp;
      Images()->Draw(c, ix, (rect.Top + rect.Bottom - Images()->Height()) / 2, image);
      left += iw + sp + std::max(0, column.Spacing);
    }
    int x = left + sp;
    if (column.Alignment == taRightJustify) x = rect.Right - w - sp;
    else if (column.Alignment == taCenter) x = left + (rect.Right - left) / 2 - w / 2;
    c.Brush().Style = bsClear;
    c.TextOut(x, rect.Top + (rect.Height() - c.TextHeight(std::string_view("W"))) / 2, std::string_view(column.Caption));
    c.Brush().Style = bsSolid;
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
  // The text, cut with "..." where it does not fit.
  const int avail = rect.Width() - indent;
  if (offset + c.TextWidth(std::string_view(text)) > avail) {
    if (avail - offset < 0) return;
    const int e = c.TextWidth(std::string_view("..."));
    if (avail - offset - e > 0)
      while (!text.empty() && c.TextWidth(std::string_view(text)) >= avail - offset - e) text.pop_back();
    text += "...";
  }
  const int w = c.TextWidth(std::string_view(text));
  int x = rect.Left + indent + offset;
  if (node->Alignment == taRightJustify) x = rect.Right - w - offset;
  else if (node->Alignment == taCenter) x = rect.Left + indent + avail / 2 - w / 2;
  c.Brush().Style = bsClear;
  c.TextOut(x, rect.Top + (rect.Height() - c.TextHeight(std::string_view("W"))) / 2, std::string_view(text));
  c.Brush().Style = bsSolid;
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
  TCustomGrid::MouseDown(button, shift, x, y);
  int col = 0, row = 0;
  if (button != mbLeft || !MouseToCell(x, y, col, row) || row < FixedRows()) return;
  TECPropertyNode* node = GetRowNode(row - FixedRows());
  if (!node) return;
  const TRect r = CellRect(col, row);
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
  SetFont(view_->Font());
}

bool TPropInplaceEditor::PrepareDropDown() {
  TECPropertyNode* node = view_->GetSelectedNode();
  if (!node) return false;
  if (pickerActive_) {
    picker_->SetPopupValue(ToEditValue(node->GetValue(view_->Col() - 1)));
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
  if (!accept || !node) return;
  if (fromPicker && picker_) node->SetValue(view_->Col() - 1, FromEditValue(picker_->GetPopupValue()));
  else if (hasItem) node->SetValue(view_->Col() - 1, listItem);
  else return;
  SetTextQuietly(PropValueToText(node->GetValue(view_->Col() - 1)));
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

void RegisterPropertyGridForms() {
  RegisterForm("ECPropertyView", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TForm>(nullptr);
    form->SetName("FPropertyViewSample");
    form->SetClientWidth(360);
    form->SetClientHeight(150);
    auto* view = new TECPropertyView(form.get());
    view->SetParent(form.get());
    view->SetAlign(alClient);
    view->SetColCount(4);
    view->SetShowButtons(true);
    // The sample's texts: 0-3 the titles, 4-7 the instruments, 8-11 the rows.
    auto* lang = new TECFormLanguage(form.get());
    lang->SetExLanguage(kDefaultLanguage);
    lang->Loaded();
    auto text = [lang](int index, const char* english) {
      const std::string t = lang->GetMessage(index);
      return t.empty() ? std::string(english) : t;
    };
    const char* titles[4] = {"Score", "Instrument", "Mute", "Volume"};
    const char* instruments[4] = {"Piano", "Violin", "Flute", "Guitar"};
    const ECPropertyView::TEditType types[4] = {pv::etString, pv::etString, pv::etBoolean, pv::etInteger};
    const ECPropertyView::TEditStyle styles[4] = {pv::esReadOnly, pv::esDropDown, pv::esEdit, pv::esUpDown};
    for (int c = 0; c < 4; ++c) {
      TECPropertyColumn& col = view->AddColumn();
      col.Caption = text(c, titles[c]);
      col.EditType = types[c];
      col.EditStyle = styles[c];
      col.SetWidth(c == 0 ? 120 : 76);
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
    view->FocusCell(3, 2);
    return form;
  });
}

}  // namespace qs

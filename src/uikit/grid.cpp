#include "uikit/grid.h"

#include <algorithm>

#include "platform/forms.h"
#include "platform/stdctrls.h"
#include "platform/bitmap.h"
#include "platform/actions.h"
#include "uikit/celleditor.h"
#include "uikit/frames.h"

namespace qs {

TCustomGrid::TCustomGrid(TComponent* owner) : TCustomControl(owner), fixedColor_(clBtnFace) {
  colWidths_.assign(5, defaultColWidth_);
  SetColor(clWindow);
  SetTabStop(true);
  WantArrows = true;
  vscroll_ = new TScrollBar(this);
  vscroll_->SetKind(sbVertical);
  vscroll_->SetVisible(false);
  vscroll_->SetParent(this);
  vscroll_->OnChange = [this](TObject*) {
    if (!updatingScrollBar_) SetTopRow(fixedRows_ + vscroll_->Position());
  };
  hscroll_ = new TScrollBar(this);
  hscroll_->SetKind(sbHorizontal);
  hscroll_->SetVisible(false);
  hscroll_->SetParent(this);
  hscroll_->OnChange = [this](TObject*) {
    if (!updatingScrollBar_) SetLeftCol(fixedCols_ + hscroll_->Position());
  };
  SetBounds(0, 0, 320, 120);
}

void TCustomGrid::SetVertScrollBar(bool v) {
  vertScrollBar_ = v;
  UpdateScrollBar();
}

void TCustomGrid::SetHorzScrollBar(bool v) {
  horzScrollBar_ = v;
  UpdateScrollBar();
}

int TCustomGrid::HorzBarHeight() const { return hscroll_ && hscroll_->Visible() ? hscroll_->Height() : 0; }

int TCustomGrid::VisibleColCount() const {
  int fixed = 0;
  for (int c = 0; c < fixedCols_; ++c) fixed += colWidths_[c] + gridLineWidth_;
  const int room = ClientWidth() - fixed - (vscroll_ && vscroll_->Visible() ? vscroll_->Width() : 0);
  int n = 0;
  for (int c = leftCol_, x = 0; c < ColCount(); ++c, ++n) {
    x += colWidths_[c];
    if (x > room) break;
    x += gridLineWidth_;
  }
  return std::max(1, n);
}

void TCustomGrid::UpdateScrollBar() {
  if (!vscroll_ || !hscroll_) return;
  updatingScrollBar_ = true;
  const int w = GetSystemMetrics(SM_CXVSCROLL), h = GetSystemMetrics(SM_CYHSCROLL);
  const int dataRows = rowCount_ - fixedRows_, dataCols = ColCount() - fixedCols_;
  // Whether the columns fit depends on the vertical bar, which depends on
  // the rows the horizontal bar leaves: the bars are settled in turn.
  hscroll_->SetVisible(false);
  vscroll_->SetVisible(vertScrollBar_ && dataRows > VisibleRowCount());
  int total = 0;
  for (int c = 0; c < ColCount(); ++c) total += colWidths_[c] + gridLineWidth_;
  const int room = ClientWidth() - (vscroll_->Visible() ? w : 0);
  const bool showH = horzScrollBar_ && dataCols > 0 && total - gridLineWidth_ > room;
  if (showH) {
    hscroll_->SetBounds(0, ClientHeight() - h, room, h);
    hscroll_->SetVisible(true);
    if (!vscroll_->Visible()) vscroll_->SetVisible(vertScrollBar_ && dataRows > VisibleRowCount());
    hscroll_->SetBounds(0, ClientHeight() - h, ClientWidth() - (vscroll_->Visible() ? w : 0), h);
    const int visibleCols = VisibleColCount();
    hscroll_->SetParams(leftCol_ - fixedCols_, 0, dataCols - 1, visibleCols);
    hscroll_->LargeChange = visibleCols;
  }
  if (vscroll_->Visible()) {
    const int visible = VisibleRowCount();
    vscroll_->SetBounds(ClientWidth() - w, 0, w, ClientHeight() - HorzBarHeight());
    vscroll_->SetParams(topRow_ - fixedRows_, 0, dataRows - 1, visible);
    vscroll_->LargeChange = visible;
  }
  updatingScrollBar_ = false;
}

TCustomGrid::~TCustomGrid() { Destroying_ = true; }

void TCustomGrid::SetColCount(int v) {
  v = std::max(v, 1);
  if (v == ColCount()) return;
  colWidths_.resize(v, defaultColWidth_);
  if (fixedCols_ >= v) fixedCols_ = v - 1;
  if (col_ >= v) MoveColRow(v - 1, row_, true);
  leftCol_ = std::clamp(leftCol_, fixedCols_, v - 1);
  Invalidate();
  InvalidateEditor();
  UpdateScrollBar();
}

void TCustomGrid::SetRowCount(int v) {
  v = std::max(v, 1);
  if (v == rowCount_) return;
  rowCount_ = v;
  if (fixedRows_ >= v) fixedRows_ = v - 1;
  if (row_ >= v) MoveColRow(col_, v - 1, true);
  if (topRow_ >= v) SetTopRow(std::max(fixedRows_, v - 1));
  Invalidate();
  InvalidateEditor();
  UpdateScrollBar();
}

void TCustomGrid::SetFixedCols(int v) {
  v = std::clamp(v, 0, ColCount() - 1);
  fixedCols_ = v;
  leftCol_ = v;
  if (col_ < v) MoveColRow(v, row_, true);
  Invalidate();
  UpdateScrollBar();
}

void TCustomGrid::SetFixedRows(int v) {
  v = std::clamp(v, 0, rowCount_ - 1);
  fixedRows_ = v;
  topRow_ = v;
  if (row_ < v) MoveColRow(col_, v, true);
  Invalidate();
}

void TCustomGrid::SetDefaultColWidth(int v) {
  defaultColWidth_ = v;
  std::fill(colWidths_.begin(), colWidths_.end(), v);
  Invalidate();
  InvalidateEditor();
  UpdateScrollBar();
}

void TCustomGrid::SetDefaultRowHeight(int v) {
  rowHeight_ = std::max(v, 1);
  Invalidate();
  InvalidateEditor();
  UpdateScrollBar();
}

int TCustomGrid::ColWidths(int col) const {
  return col >= 0 && col < ColCount() ? colWidths_[col] : defaultColWidth_;
}

void TCustomGrid::SetColWidths(int col, int width) {
  if (col < 0 || col >= ColCount() || colWidths_[col] == width) return;
  colWidths_[col] = width;
  Invalidate();
  InvalidateEditor();
  UpdateScrollBar();
}

void TCustomGrid::SetGridLineWidth(int v) {
  gridLineWidth_ = std::max(v, 0);
  Invalidate();
  UpdateScrollBar();
}

void TCustomGrid::SetOptions(TGridOptions v) {
  if (v == options_) return;
  options_ = v;
  if (!(v & goEditing)) HideEditor();
  else if (v & goAlwaysShowEditor) ShowEditor();
  Invalidate();
}

void TCustomGrid::SetFixedColor(TColor v) {
  fixedColor_ = v;
  Invalidate();
}

int TCustomGrid::ColLeft(int col) const {
  int x = 0;
  for (int c = 0; c < fixedCols_; ++c) {
    if (c == col) return x;
    x += colWidths_[c] + gridLineWidth_;
  }
  if (col < leftCol_) return -1;
  for (int c = leftCol_; c < col; ++c) x += colWidths_[c] + gridLineWidth_;
  return x;
}

int TCustomGrid::RowTop(int row) const {
  const int step = rowHeight_ + gridLineWidth_;
  if (row < fixedRows_) return row * step;
  if (row < topRow_) return -1;
  return (fixedRows_ + row - topRow_) * step;
}

TRect TCustomGrid::CellRect(int col, int row) const {
  if (col < 0 || col >= ColCount() || row < 0 || row >= rowCount_) return {};
  const int x = ColLeft(col), y = RowTop(row);
  if (x < 0 || y < 0 || x >= ClientWidth() || y >= ClientHeight()) return {};
  return Bounds(x, y, colWidths_[col], rowHeight_);
}

bool TCustomGrid::MouseToCell(int x, int y, int& col, int& row) const {
  for (int r = 0; r < rowCount_; ++r) {
    const int top = RowTop(r);
    if (top < 0 || y < top || y >= top + rowHeight_ + gridLineWidth_) continue;
    for (int c = 0; c < ColCount(); ++c) {
      const int left = ColLeft(c);
      if (left < 0 || x < left || x >= left + colWidths_[c] + gridLineWidth_) continue;
      col = c;
      row = r;
      return true;
    }
  }
  return false;
}

int TCustomGrid::VisibleRowCount() const {
  const int step = rowHeight_ + gridLineWidth_;
  const int rest = ClientHeight() - HorzBarHeight() - fixedRows_ * step;
  return std::max(1, (rest + gridLineWidth_) / step);
}

void TCustomGrid::InvalidateCell(int col, int row) {
  TRect r = CellRect(col, row);
  if (r.IsEmpty()) return;
  r.Right += gridLineWidth_;
  r.Bottom += gridLineWidth_;
  InvalidateRect(r, false);
}

void TCustomGrid::InvalidateRow(int row) {
  for (int c = 0; c < ColCount(); ++c) InvalidateCell(c, row);
}

void TCustomGrid::InvalidateCol(int col) {
  for (int r = 0; r < rowCount_; ++r) InvalidateCell(col, r);
}

void TCustomGrid::SetTopRow(int v) {
  v = std::clamp(v, fixedRows_, std::max(fixedRows_, rowCount_ - 1));
  if (v == topRow_) return;
  topRow_ = v;
  Invalidate();
  UpdateScrollBar();
  TopLeftChanged();
}

void TCustomGrid::SetLeftCol(int v) {
  v = std::clamp(v, fixedCols_, std::max(fixedCols_, ColCount() - 1));
  if (v == leftCol_) return;
  leftCol_ = v;
  Invalidate();
  UpdateScrollBar();
  TopLeftChanged();
}

void TCustomGrid::TopLeftChanged() {
  UpdateEditor();
  Fire(OnTopLeftChanged, this);
}

void TCustomGrid::ScrollIntoView(int col, int row) {
  if (row >= fixedRows_) {
    if (row < topRow_) SetTopRow(row);
    else if (row >= topRow_ + VisibleRowCount()) SetTopRow(row - VisibleRowCount() + 1);
  }
  if (col >= fixedCols_) {
    if (col < leftCol_) {
      SetLeftCol(col);
    } else {
      // Scroll right until the column's right edge shows (or it is the
      // first scrolled column).
      while (leftCol_ < col && ColLeft(col) + colWidths_[col] > ClientWidth()) SetLeftCol(leftCol_ + 1);
    }
  }
}

bool TCustomGrid::SelectCell(int col, int row) {
  bool can = true;
  Fire(OnSelectCell, this, col, row, std::ref(can));
  return can;
}

void TCustomGrid::MoveCurrent(int col, int row, bool select, bool show) {
  if (col < fixedCols_ || row < fixedRows_ || col >= ColCount() || row >= rowCount_) return;
  if (select && !SelectCell(col, row)) return;
  // SelectCell may have changed the rows (its owner's handler, a tree
  // folding rows away).
  if (col >= ColCount() || row >= rowCount_) return;
  if (col == col_ && row == row_) {
    if (show) ScrollIntoView(col, row);
    return;
  }
  if (editorMode_ && editor_) {
    if (!CheckEdit()) return;
    if (editor_->ListVisible()) editor_->CloseUp(false);
  }
  if (options_ & goRowSelect) InvalidateRow(row_);
  else InvalidateCell(col_, row_);
  col_ = col;
  row_ = row;
  if (options_ & goRowSelect) InvalidateRow(row_);
  else InvalidateCell(col_, row_);
  if (show) ScrollIntoView(col, row);
  if (editorMode_) {
    if (options_ & goAlwaysShowEditor) UpdateEditor();
    else HideEditor();
  }
}

void TCustomGrid::KeepCurrentAt(int row) {
  if (row == row_ || row < fixedRows_ || row >= rowCount_) return;
  InvalidateRow(row_);
  if (editRow_ == row_) editRow_ = row;
  row_ = row;
  InvalidateRow(row_);
  ScrollIntoView(col_, row_);
  UpdateEditor();
}

bool TCustomGrid::CheckEdit() {
  if (checkingEdit_) return true;
  checkingEdit_ = true;
  const bool ok = ValidateEdit();
  checkingEdit_ = false;
  return ok;
}

void TCustomGrid::FocusCell(int col, int row) { MoveCurrent(col, row, true, true); }

void TCustomGrid::MoveColRow(int col, int row, bool show) { MoveCurrent(col, row, false, show); }

bool TCustomGrid::IsActiveControl() const {
  if (TCustomForm* f = ParentForm()) {
    if (f->ActiveControl() == this || Focused()) return true;
    return editor_ && editor_->Focused();
  }
  return Focused() || (editor_ && editor_->Focused());
}

bool TCustomGrid::CanEditShow() {
  return (options_ & goEditing) && !(options_ & goRowSelect) &&
         ((options_ & goAlwaysShowEditor) || IsActiveControl());
}

TInplaceEdit* TCustomGrid::CreateEditor() { return nullptr; }

void TCustomGrid::SetEditorMode(bool v) {
  if (v) ShowEditor();
  else HideEditor();
}

void TCustomGrid::ShowEditor() {
  if (!(options_ & goEditing) || (options_ & goRowSelect)) return;
  if (!editor_) {
    editor_ = CreateEditor();
    if (!editor_) return;
    editor_->SetVisible(false);
    editor_->SetParent(this);
  }
  editorMode_ = true;
  UpdateEditor();
}

void TCustomGrid::HideEditor() {
  if (!editorMode_) return;
  if (editor_ && editor_->ListVisible()) editor_->CloseUp(false);
  editorMode_ = false;
  if (editor_ && editor_->Visible()) {
    const bool hadFocus = editor_->Focused();
    editor_->SetVisible(false);
    if (hadFocus && CanFocus()) SetFocus();
  }
}

void TCustomGrid::InvalidateEditor() {
  if (editorMode_) UpdateEditor();
}

void TCustomGrid::UpdateEditor() {
  if (!editor_ || !editorMode_ || inEditorUpdate_) return;
  inEditorUpdate_ = true;
  if (!CanEditShow()) {
    inEditorUpdate_ = false;
    HideEditor();
    return;
  }
  const TRect r = CellRect(col_, row_);
  if (r.IsEmpty()) {
    editor_->SetVisible(false);
    inEditorUpdate_ = false;
    return;
  }
  // Editing of a cell begins when the editor comes to it, not each time it
  // is placed again.
  const bool fresh = !editor_->Visible() || editCol_ != col_ || editRow_ != row_;
  editor_->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  editor_->UpdateContents();
  editor_->SetMaxLength(GetEditLimit());
  editor_->SetVisible(true);
  if (fresh && (Focused() || (ParentForm() && ParentForm()->ActiveControl() == this))) {
    editor_->SetFocus();
    editor_->SelectAll();
  }
  inEditorUpdate_ = false;
  if (fresh) {
    editCol_ = col_;
    editRow_ = row_;
    editStartText_ = editor_->Text();
    EditStarted();
  }
}

void TCustomGrid::CancelEdit() {
  if (!editor_) return;
  editor_->SetTextQuietly(editStartText_);
  SetEditText(col_, row_, editStartText_);
}

void TCustomGrid::DrawCell(int, int, const TRect&, TGridDrawState) {}

void TCustomGrid::DrawLines(TCanvas& c) {
  if (gridLineWidth_ <= 0) return;
  c.Brush().Style = bsSolid;
  const int w = ClientWidth(), h = ClientHeight();
  const int step = rowHeight_ + gridLineWidth_;
  // Horizontal lines below each row, vertical ones right of each column.
  const int visibleRows = fixedRows_ + (h / step + 1);
  for (int i = 0; i < visibleRows; ++i) {
    const bool fixed = i < fixedRows_;
    if (!(options_ & (fixed ? goFixedHorzLine : goHorzLine))) continue;
    const int y = i * step + rowHeight_;
    c.Brush().Color = ColorToRGB(fixed ? clBlack : clSilver);
    c.FillRect(Rect(0, y, w, y + gridLineWidth_));
  }
  for (int col = 0; col < ColCount(); ++col) {
    const int x = ColLeft(col);
    if (x < 0) continue;
    if (x >= w) break;
    const bool fixed = col < fixedCols_;
    if (!(options_ & (fixed ? goFixedVertLine : goVertLine))) continue;
    const int lx = x + colWidths_[col];
    c.Brush().Color = ColorToRGB(fixed ? clBlack : clSilver);
    c.FillRect(Rect(lx, 0, lx + gridLineWidth_, h));
  }
}

void TCustomGrid::Paint() {
  TCanvas& c = Canvas();
  c.Brush().Style = bsSolid;
  c.Brush().Color = ColorToRGB(Color());
  c.FillRect(ClientRect());
  for (int row = 0; row < rowCount_; ++row) {
    if (RowTop(row) < 0) continue;
    if (RowTop(row) >= ClientHeight()) break;
    for (int col = 0; col < ColCount(); ++col) {
      const TRect r = CellRect(col, row);
      if (r.IsEmpty()) continue;
      TGridDrawState state = 0;
      const bool fixed = col < fixedCols_ || row < fixedRows_;
      if (fixed) {
        state |= gdFixed;
        c.Brush().Color = ColorToRGB(fixedColor_);
      } else {
        const bool current = row == row_ && (col == col_ || (options_ & goRowSelect));
        if (current) {
          state |= gdSelected;
          if (Focused() || (editor_ && editor_->Focused())) state |= gdFocused;
        }
        c.Brush().Color = ColorToRGB(Color());
      }
      c.Brush().Style = bsSolid;
      UseFont(c, Font());
      c.SaveDC();
      c.IntersectClipRect(r);
      DrawCell(col, row, r, state);
      c.RestoreDC(-1);
    }
  }
  DrawLines(c);
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  // A press anywhere on the grid closes the editor's drop-down unchosen.
  if (editor_ && editor_->ListVisible()) editor_->CloseUp(false);
  if (CanFocus() && !Focused() && !(editor_ && editor_->Focused())) SetFocus();
  int col = 0, row = 0;
  if (button == mbLeft && MouseToCell(x, y, col, row) && col >= fixedCols_ && row >= fixedRows_) {
    if (col == col_ && row == row_) {
      // A second click on the current cell starts editing.
      if ((options_ & goEditing) && !editorMode_ && !(shift & ssDouble) && CanEditShow()) ShowEditor();
    } else {
      FocusCell(col, row);
      if ((options_ & goAlwaysShowEditor) && (options_ & goEditing) && !editorMode_) ShowEditor();
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomGrid::KeyDown(uint16_t& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == 0) return;
  const int page = VisibleRowCount();
  int col = col_, row = row_;
  switch (key) {
    case VK_UP: row = row_ - 1; break;
    case VK_DOWN: row = row_ + 1; break;
    case VK_LEFT:
      if (options_ & goRowSelect) return;
      col = col_ - 1;
      break;
    case VK_RIGHT:
      if (options_ & goRowSelect) return;
      col = col_ + 1;
      break;
    case VK_PRIOR: row = std::max(fixedRows_, row_ - page); break;
    case VK_NEXT: row = std::min(rowCount_ - 1, row_ + page); break;
    case VK_HOME: row = (shift & ssCtrl) ? fixedRows_ : row_; col = fixedCols_; break;
    case VK_END: row = (shift & ssCtrl) ? rowCount_ - 1 : row_; col = ColCount() - 1; break;
    case VK_F1 + 1:  // F2
      if (CanEditShow()) ShowEditor();
      key = 0;
      return;
    case VK_RETURN:
      if ((options_ & goEditing) && !editorMode_ && CanEditShow()) ShowEditor();
      key = 0;
      return;
    default: return;
  }
  key = 0;
  FocusCell(col, row);
}

void TCustomGrid::KeyPress(char16_t& key) {
  TCustomControl::KeyPress(key);
  if (key < 32 || !(options_ & goEditing) || editorMode_) return;
  if (!CanEditAcceptKey(key)) {
    key = 0;
    return;
  }
  if (!CanEditShow()) return;
  ShowEditor();
  if (!editorMode_ || !editor_ || !editor_->Visible()) return;
  // The typed character replaces the cell's text, as typed into the editor.
  editor_->SetFocus();
  editor_->SelectAll();
  char16_t k = key;
  editor_->KeyPress(k);
  if (k != 0) {
    std::string text;
    if (k < 0x80) text = std::string(1, static_cast<char>(k));
    editor_->SetText(text);
    editor_->SetSelStart(static_cast<int>(text.size()));
  }
  key = 0;
}

bool TCustomGrid::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  if (TCustomControl::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
  SetTopRow(topRow_ + (wheelDelta > 0 ? -1 : 1));
  return true;
}

void TCustomGrid::Resize() {
  TCustomControl::Resize();
  UpdateScrollBar();
  InvalidateEditor();
}

}  // namespace qs

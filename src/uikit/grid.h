#pragma once
// The grid the program's own grids are built on: fixed title rows and
// columns, uniform row heights and per-column widths, the current cell,
// scrolling by rows, grid lines, and an in-place editor over the current
// cell that the subclasses supply and feed through the editing hooks.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/controls.h"

namespace qs {

enum TGridOption : uint32_t {
  goFixedVertLine = 0x1, goFixedHorzLine = 0x2, goVertLine = 0x4, goHorzLine = 0x8, goRangeSelect = 0x10,
  goDrawFocusSelected = 0x20, goEditing = 0x400, goRowSelect = 0x1000, goAlwaysShowEditor = 0x2000,
};
using TGridOptions = uint32_t;

enum TGridDrawStateFlag : uint8_t { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = uint8_t;

using TDrawCellEvent = std::function<void(TObject* sender, int col, int row, const TRect& rect, TGridDrawState state)>;
using TSelectCellEvent = std::function<void(TObject* sender, int col, int row, bool& canSelect)>;

class TInplaceEdit;
class TScrollBar;

class TCustomGrid : public TCustomControl {
 public:
  explicit TCustomGrid(TComponent* owner);
  ~TCustomGrid() override;
  const char* ClassName() const override { return "TCustomGrid"; }

  int ColCount() const { return static_cast<int>(colWidths_.size()); }
  void SetColCount(int v);
  int RowCount() const { return rowCount_; }
  void SetRowCount(int v);
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int v);
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int v);
  int DefaultColWidth() const { return defaultColWidth_; }
  // Gives every column that width.
  void SetDefaultColWidth(int v);
  int DefaultRowHeight() const { return rowHeight_; }
  void SetDefaultRowHeight(int v);
  int ColWidths(int col) const;
  void SetColWidths(int col, int width);
  int GridLineWidth() const { return gridLineWidth_; }
  void SetGridLineWidth(int v);
  TGridOptions Options() const { return options_; }
  void SetOptions(TGridOptions v);
  TColor FixedColor() const { return fixedColor_; }
  void SetFixedColor(TColor v);

  int Col() const { return col_; }
  int Row() const { return row_; }
  // Moves the current cell when SelectCell allows it.
  void SetCol(int v) { FocusCell(v, row_); }
  void SetRow(int v) { FocusCell(col_, v); }
  void FocusCell(int col, int row);
  // Moves the current cell without asking SelectCell and, unless show,
  // without scrolling it into view.
  void MoveColRow(int col, int row, bool show);
  int TopRow() const { return topRow_; }
  void SetTopRow(int v);
  int LeftCol() const { return leftCol_; }
  void SetLeftCol(int v);
  // Whole data rows that fit under the fixed rows.
  int VisibleRowCount() const;

  // The cell's rectangle in client coordinates; empty while it is
  // scrolled out of view.
  TRect CellRect(int col, int row) const;
  // The cell under a client point; false outside every cell.
  bool MouseToCell(int x, int y, int& col, int& row) const;
  void InvalidateCell(int col, int row);
  void InvalidateRow(int row);
  void InvalidateCol(int col);

  bool EditorMode() const { return editorMode_; }
  void SetEditorMode(bool v);
  TInplaceEdit* InplaceEditor() const { return editor_; }
  // Places the shown editor on the current cell again and refreshes it.
  void InvalidateEditor();

  // A vertical scroll bar shows while the rows do not all fit.
  bool VertScrollBar() const { return vertScrollBar_; }
  void SetVertScrollBar(bool v);
  TScrollBar* VertScrollBarControl() const { return vscroll_; }
  // A horizontal scroll bar shows along the bottom while the columns do
  // not all fit; the rows above it are the ones that show.
  bool HorzScrollBar() const { return horzScrollBar_; }
  void SetHorzScrollBar(bool v);
  TScrollBar* HorzScrollBarControl() const { return hscroll_; }
  // Whole scrolling columns that fit right of the fixed ones, from LeftCol.
  int VisibleColCount() const;

  TSelectCellEvent OnSelectCell;
  TNotifyEvent OnTopLeftChanged;

  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
  void Resize() override;

 protected:
  friend class TInplaceEdit;
  // The editing hooks.
  virtual TInplaceEdit* CreateEditor();
  virtual bool CanEditShow();
  virtual bool CanEditAcceptKey(char16_t) { return true; }
  virtual bool CanEditModify() { return true; }
  virtual std::string GetEditText(int, int) { return ""; }
  // The editor's text changed (each keystroke, each value it takes).
  virtual void SetEditText(int, int, const std::string&) {}
  virtual int GetEditLimit() { return 0; }
  // Before the editor leaves its cell, or the focus leaves the editor:
  // false keeps it there (the subclass has given the cell back its value
  // and told the user why).
  virtual bool ValidateEdit() { return true; }
  // ValidateEdit, once at a time (telling the user takes the focus from
  // the editor, which asks again).
  bool CheckEdit();
  // Esc in the editor: the cell takes back the value it had when editing
  // began. The default writes back the text.
  virtual void CancelEdit();
  // When editing of the current cell begins.
  virtual void EditStarted() {}
  virtual void DrawCell(int col, int row, const TRect& rect, TGridDrawState state);
  virtual bool SelectCell(int col, int row);
  virtual void TopLeftChanged();
  // Whether the grid counts as the focused control of its form.
  bool IsActiveControl() const;
  void ShowEditor();
  void HideEditor();
  // Makes another row current that shows what the current one showed
  // (rows above it came or went): no veto is asked, and editing of the
  // cell goes on there.
  void KeepCurrentAt(int row);
  // The text the editor had when editing of this cell began.
  const std::string& EditStartText() const { return editStartText_; }
  bool Destroying_ = false;

 private:
  void MoveCurrent(int col, int row, bool select, bool show);
  void ScrollIntoView(int col, int row);
  void UpdateEditor();
  void DrawLines(TCanvas& c);
  void UpdateScrollBar();
  // The height the horizontal scroll bar takes from the rows (0 hidden).
  int HorzBarHeight() const;
  int ColLeft(int col) const;
  int RowTop(int row) const;

  std::vector<int> colWidths_;
  int rowCount_ = 5;
  int fixedCols_ = 1, fixedRows_ = 1;
  int defaultColWidth_ = 64, rowHeight_ = 24;
  int gridLineWidth_ = 1;
  TGridOptions options_ = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
  TColor fixedColor_;
  int col_ = 1, row_ = 1;
  int topRow_ = 1, leftCol_ = 1;
  bool editorMode_ = false;
  TInplaceEdit* editor_ = nullptr;
  std::string editStartText_;
  int editCol_ = -1, editRow_ = -1;
  bool inEditorUpdate_ = false;
  bool checkingEdit_ = false;
  bool vertScrollBar_ = true;
  bool updatingScrollBar_ = false;
  TScrollBar* vscroll_ = nullptr;
  bool horzScrollBar_ = true;
  TScrollBar* hscroll_ = nullptr;
};

}  // namespace qs

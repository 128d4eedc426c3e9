#pragma once
// The text grid with typed columns: a column's value type filters what may
// be typed and chooses a drop-down picker (calculator, calendar, time); its
// edit style adds a pick list, an ellipsis or an up-down button, or
// forbids editing. A typed value that is not one of the column's type is
// refused when the cell is left, and the cell keeps the value it had.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "uikit/celleditor.h"
#include "uikit/grid.h"

namespace qs {

namespace ECStringGrid {
enum TEditType { etInteger, etReal, etCurrency, etString, etDate, etTime };
enum TEditStyle { esReadOnly, esEdit, esDropDown, esEllipsis, esDropDownList, esChooseEllipsis, esUpDown };
}  // namespace ECStringGrid

class TECStringGrid;

class TECStringColumn {
 public:
  explicit TECStringColumn(TECStringGrid* grid, int index) : grid_(grid), index_(index) {}
  TStringList DropDownList;
  ECStringGrid::TEditStyle EditStyle = ECStringGrid::esReadOnly;
  ECStringGrid::TEditType EditType = ECStringGrid::etString;
  bool DefaultDrawing = true;
  // The column's title: its cell in row 0 (empty, and not written, while
  // the grid has no fixed row).
  std::string Caption() const;
  void SetCaption(const std::string& v);
  // The grid's width of the column; 0 without a fixed row. A write needs a
  // positive width.
  int Width() const;
  void SetWidth(int v);
  void Assign(const TECStringColumn& source);

 private:
  TECStringGrid* grid_;
  int index_;
};

class TECStringColumns {
 public:
  explicit TECStringColumns(TECStringGrid* grid) : grid_(grid) {}
  int Count() const { return static_cast<int>(items_.size()); }
  TECStringColumn& Items(int i) const { return *items_[i]; }
  TECStringColumn& Add();
  void Clear() { items_.clear(); }
  void Assign(const TECStringColumns& source);

 private:
  TECStringGrid* grid_;
  std::vector<std::unique_ptr<TECStringColumn>> items_;
};

using TOnCanEditShow = std::function<void(TObject* sender, bool& accept)>;

class TStringInplaceEdit;

class TECStringGrid : public TCustomGrid {
 public:
  explicit TECStringGrid(TComponent* owner);
  ~TECStringGrid() override;
  const char* ClassName() const override { return "TECStringGrid"; }
  TECStringColumns& Columns() { return columns_; }
  // The column item of grid column col; null beyond the collection.
  TECStringColumn* ColumnItem(int col) const;
  std::string Cells(int col, int row) const;
  void SetCells(int col, int row, const std::string& text);
  bool DefaultDrawing = true;

  TNotifyEvent OnChangeData;
  TNotifyEvent OnError;
  TNotifyEvent OnEditButtonClick;
  TNotifyEvent OnEndInput;
  TOnCanEditShow OnCanEditShow;
  TNotifyEvent OnScroll;
  TDrawCellEvent OnDrawCell;

 protected:
  friend class TStringInplaceEdit;
  TInplaceEdit* CreateEditor() override;
  bool CanEditShow() override;
  bool CanEditAcceptKey(char16_t key) override;
  std::string GetEditText(int col, int row) override;
  void SetEditText(int col, int row, const std::string& text) override;
  bool ValidateEdit() override;
  void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
  void TopLeftChanged() override;
  bool OwnerDrawn(int col) const;

 private:
  TECStringColumns columns_;
  std::vector<std::vector<std::string>> cells_;
};

class TStringInplaceEdit : public TInplaceEdit {
 public:
  explicit TStringInplaceEdit(TECStringGrid* grid);
  const char* ClassName() const override { return "TStringInplaceEdit"; }
  void UpdateContents() override;
  TNotifyEvent OnEndInput;

 protected:
  bool PrepareDropDown() override;
  void ClosedUp(bool accept, bool fromPicker, const std::string& listItem, bool hasItem) override;
  void PickerChanged() override;
  void ButtonDown() override;
  void ButtonUp(TMouseButton button, bool wasPressed) override;
  void RepeatStep() override;
  void AltArrow() override;
  void EditKeyDown(uint16_t& key, TShiftState shift) override;
  void EditKeyPress(char16_t& key) override;
  bool DrawsOwnText() const override;
  void PaintFace(TCanvas& canvas, const TRect& rect) override;

 private:
  TECStringColumn* Column() const;
  void Step();
  // Writes a picker's value into the cell as text of the column's type
  // (with onlyChange, reported only when it changes the cell).
  void WritePickerValue(bool onlyChange);
  // A value from the list or a picker into the cell, and the report of
  // it (with onlyChange, only when the cell's text changes).
  void WriteCell(const std::string& text, bool onlyChange);
  TECStringGrid* sgrid_;
  // The cell's text when a picker dropped down.
  std::string beforeDropDown_;
};

// The string grid for formshot.
void RegisterStringGridForms();

}  // namespace qs

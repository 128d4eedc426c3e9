#pragma once
// The property tree grid: a tree of nodes shown as rows, with typed value
// columns beside the tree column. Values are variants, edited in place by
// an editor with ellipsis, pick-list, up-down and picker buttons; Boolean
// cells are check boxes toggled by click or Space. Esc while editing gives
// the cell back the value it had when editing began, and a typed value
// that is not one of the cell's type is refused when the cell is left.
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/actions.h"
#include "platform/stdctrls.h"
#include "uikit/celleditor.h"
#include "uikit/grid.h"

namespace qs {

namespace ECPropertyView {
enum TEditType { etString, etInteger, etReal, etCurrency, etDate, etTime, etBoolean };
enum TEditStyle { esReadOnly, esEdit, esDropDown, esEllipsis, esUpDown, esTrackBar };
}  // namespace ECPropertyView

// A cell value: unset, Boolean, integer, number, date-time or text.
using TPropValue = std::variant<std::monostate, bool, int, double, TDateValue, std::string>;
// The value as text; empty for an unset value.
std::string PropValueToText(const TPropValue& value);

class TECPropertyView;

class TECPropertyNode {
 public:
  TECPropertyNode(TECPropertyView* view, TECPropertyNode* parent);
  ~TECPropertyNode();
  TECPropertyNode(const TECPropertyNode&) = delete;
  TECPropertyNode& operator=(const TECPropertyNode&) = delete;

  TECPropertyView* View() const { return view_; }
  TECPropertyNode* Parent() const { return parent_; }
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& v);
  ECPropertyView::TEditType EditType = ECPropertyView::etString;
  ECPropertyView::TEditStyle EditStyle = ECPropertyView::esReadOnly;
  TStringList DropDownList;
  void* Data = nullptr;
  bool ChooseOnly = false;
  int ImageIndex = 0;
  TAlignment Alignment = taLeftJustify;
  bool Expanded() const { return expanded_; }
  void SetExpanded(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  int RowIndex() const { return rowIndex_; }
  int Level() const { return level_; }

  // The value of value column index (grid column index + 1).
  TPropValue GetValue(int index) const;
  void SetValue(int index, const TPropValue& value);
  bool GetCellVisible(int column) const;
  void SetCellVisible(int column, bool visible);

  int ChildCount() const { return static_cast<int>(children_.size()); }
  TECPropertyNode* Child(int i) const { return children_[i].get(); }
  // Position among the siblings (or the root nodes); -1 in neither.
  int GetIndex() const;
  // Moves the node among its siblings and makes its row current.
  void SetIndex(int newIndex);
  // Caption, edit type and style, pick list, image, user object and
  // expanded state of another node.
  void Assign(const TECPropertyNode& source);

 private:
  friend class TECPropertyView;
  TECPropertyView* view_;
  TECPropertyNode* parent_;
  std::string caption_;
  bool expanded_ = true;
  bool enabled_ = true;
  int rowIndex_ = 0;
  int level_ = 0;
  std::vector<TPropValue> values_;
  std::vector<bool> cellVisible_;
  std::vector<std::unique_ptr<TECPropertyNode>> children_;
};

class TECPropertyColumn {
 public:
  TECPropertyColumn(TECPropertyView* view, int index) : view_(view), index_(index) {}
  TAlignment Alignment = taLeftJustify;
  std::string Caption;
  TColor Color = clBtnFace;
  ECPropertyView::TEditType EditType = ECPropertyView::etString;
  ECPropertyView::TEditStyle EditStyle = ECPropertyView::esReadOnly;
  TStringList DropDownList;
  bool ChooseOnly = false;
  int ButtonWidth = -1;
  std::string Hint;
  // The title's image in the view's Images (-1: none) and the extra gap
  // after it when positive.
  int ImageIndex = -1;
  int Spacing = -1;
  int Min = 0, Max = 100, Step = 1;
  bool DefaultDrawing = true;
  // The title's font: the grid's while ParentFont is on; setting one of
  // its own switches ParentFont off.
  TFont Font() const;
  void SetFont(const TFont& v);
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool v);
  // Switching it on gives the title the grid's colour.
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool v);
  // The width before the in-place button widened the column; 0 for none.
  int SavedWidth = 0;
  // The grid's width of the column; 0 (and writes ignored) without rows,
  // without a fixed row, or beyond the grid's columns.
  int Width() const;
  void SetWidth(int v);
  int Index() const { return index_; }
  // Title, colours, type, style, hint and list of another column; the
  // width it has now becomes this column's width to go back to.
  void Assign(const TECPropertyColumn& source);

 private:
  TECPropertyView* view_;
  int index_;
  TFont font_;
  bool parentFont_ = true;
  bool parentColor_ = false;
};

class TPropInplaceEditor;

class TECPropertyView : public TCustomGrid {
 public:
  explicit TECPropertyView(TComponent* owner);
  ~TECPropertyView() override;
  const char* ClassName() const override { return "TECPropertyView"; }

  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  TECPropertyColumn& Columns(int i) const { return *columns_[i]; }
  TECPropertyColumn& AddColumn();
  bool AutoSize = false;
  // Images of the node and column titles; any change of the list repaints
  // the grid.
  TImageList* Images() const { return imageLink_.Images(); }
  void SetImages(TImageList* v);
  bool ShowButtons() const { return showButtons_; }
  void SetShowButtons(bool v);
  bool AutoExpand = false;
  bool DefaultDrawing = true;

  TECPropertyNode* AddNode(TECPropertyNode* parent, const std::string& caption, void* data,
                           ECPropertyView::TEditStyle style);
  TECPropertyNode* GetSelectedNode() const;
  void SelectNode(TECPropertyNode* node);
  // The node of visible row index (0 = the first row under the titles).
  TECPropertyNode* GetRowNode(int index) const;
  int GetRootCount() const { return static_cast<int>(roots_.size()); }
  TECPropertyNode* GetRootNode(int index) const;
  void ClearNodes();
  // Frees the node with its children; the rows close up.
  void DeleteNode(TECPropertyNode* node);
  void RebuildRows();

  // Cell attributes: the column item's where there is one, else the node's.
  ECPropertyView::TEditType CellEditType(int col, const TECPropertyNode* node) const;
  ECPropertyView::TEditStyle CellEditStyle(int col, const TECPropertyNode* node) const;
  bool CellChooseOnly(int col, const TECPropertyNode* node) const;
  int CellButtonWidth(int col) const;
  const TStringList& CellPickList(int col, const TECPropertyNode* node) const;

  TDrawCellEvent OnDrawTitleCell;
  TDrawCellEvent OnDrawPropertyCell;
  TDrawCellEvent OnDrawValueCell;
  TNotifyEvent OnEditButtonClick;
  // Sender: the node whose value changed.
  TNotifyEvent OnChangeData;

  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void Resize() override;

 protected:
  friend class TECPropertyNode;
  friend class TPropInplaceEditor;
  TInplaceEdit* CreateEditor() override;
  bool CanEditShow() override;
  bool CanEditAcceptKey(char16_t key) override;
  bool CanEditModify() override;
  std::string GetEditText(int col, int row) override;
  void SetEditText(int col, int row, const std::string& text) override;
  bool ValidateEdit() override;
  void CancelEdit() override;
  void EditStarted() override;
  void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
  bool SelectCell(int col, int row) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  // Image index of the view's Images when it is a valid one, else -1.
  int ValidImage(int index) const;
  void DrawNodeCell(TECPropertyNode* node, int col, const TRect& rect, TGridDrawState state);
  void ToggleBoolean(TECPropertyNode* node, int col, bool fromMouse);
  void RefreshEditor();
  void Detach(TECPropertyNode* node);

  std::vector<std::unique_ptr<TECPropertyColumn>> columns_;
  std::vector<std::unique_ptr<TECPropertyNode>> roots_;
  std::vector<TECPropertyNode*> rows_;
  bool showButtons_ = false;
  bool settingEditText_ = false;
  bool inButtonClick_ = false;
  bool restoringWidths_ = false;
  bool clearing_ = false;
  int lastHintCol_ = 0;
  TPropValue editStartValue_;
  TImageChangeLink imageLink_{this, [this](TObject*) { Invalidate(); }};
};

class TPropInplaceEditor : public TInplaceEdit {
 public:
  explicit TPropInplaceEditor(TECPropertyView* view);
  const char* ClassName() const override { return "TPropInplaceEditor"; }
  void UpdateContents() override;

 protected:
  bool PrepareDropDown() override;
  void ClosedUp(bool accept, bool fromPicker, const std::string& listItem, bool hasItem) override;
  void PickerChanged() override;
  void ButtonDown() override;
  void ButtonUp(TMouseButton button, bool wasPressed) override;
  void RepeatStep() override;
  void EditKeyDown(uint16_t& key, TShiftState shift) override;
  void EditKeyPress(char16_t& key) override;
  bool DrawsOwnText() const override;
  bool CanDropDown() const override { return !ReadOnly() || Choosing(); }
  bool ButtonShown() const override { return CanDropDown(); }

 private:
  // A cell that takes values from its list or button only: the editor is
  // read-only to typing, the button still works.
  bool Choosing() const;
  void UpdatePicker(TButtonKind kind);
  void Step();
  TECPropertyView* view_;
  // The cell's value when a picker dropped down.
  TPropValue beforeDropDown_;
};

// A property tree grid with an open editor, for formshot.
void RegisterPropertyGridForms();

}  // namespace qs

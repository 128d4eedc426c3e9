#pragma once
// The common controls: track bar, up-down arrows, progress bar, tree view,
// list view and status bar.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/controls.h"

namespace qs {

class TEdit;

enum TTrackBarOrientation : uint8_t { trHorizontal, trVertical };

class TTrackBar : public TWinControl {
 public:
  explicit TTrackBar(TComponent* owner);
  const char* ClassName() const override { return "TTrackBar"; }
  const TPropTable& Published() const override;
  int Min() const;
  int Max() const;
  int Position() const;
  void SetMin(int v);
  void SetMax(int v);
  void SetPosition(int v);
  void SetOrientation(TTrackBarOrientation v);
  void SetFrequency(int v);
  void SetPageSize(int v);
  TNotifyEvent OnChange;
};

enum TUDBtnType : uint8_t { btNext, btPrev };
using TUDClickEvent = std::function<void(TObject* sender, TUDBtnType button)>;
using TUDChangingEvent = std::function<void(TObject* sender, bool& allowChange)>;

// Two arrow buttons that step Position between Min and Max (wrapping
// round with Wrap) and show it in the Associate edit.
class TUpDown : public TCustomControl {
 public:
  explicit TUpDown(TComponent* owner);
  const char* ClassName() const override { return "TUpDown"; }
  const TPropTable& Published() const override;
  int Min = 0, Max = 100, Increment = 1;
  bool Wrap = false;
  int Position() const { return position_; }
  void SetPosition(int v);
  TEdit* Associate() const { return associate_; }
  void SetAssociate(TEdit* edit);
  // One step as by a click on a button.
  void Step(TUDBtnType button);
  TUDClickEvent OnClick;
  TUDChangingEvent OnChanging;

  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(uint16_t& key, TShiftState shift) override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  int position_ = 0;
  TEdit* associate_ = nullptr;
};

class TProgressBar : public TWinControl {
 public:
  explicit TProgressBar(TComponent* owner);
  const char* ClassName() const override { return "TProgressBar"; }
  int Min() const;
  int Max() const;
  int Position() const;
  void SetRange(int min, int max);
  void SetPosition(int v);
};

// A tree of text nodes. Nodes are addressed by handles that stay valid
// until the node is deleted.
class TTreeView : public TWinControl {
 public:
  using TNode = void*;
  explicit TTreeView(TComponent* owner);
  const char* ClassName() const override { return "TTreeView"; }
  // parent null: a top-level node.
  TNode AddChild(TNode parent, const std::string& text);
  void Delete(TNode node);
  void Clear();
  std::string Text(TNode node) const;
  void SetText(TNode node, const std::string& text);
  TNode Parent(TNode node) const;
  int ChildCount(TNode node) const;
  TNode Child(TNode node, int index) const;
  void SetExpanded(TNode node, bool v);
  bool Expanded(TNode node) const;
  TNode Selected() const;
  void SetSelected(TNode node);
  bool MultiSelect() const;
  void SetMultiSelect(bool v);
  std::vector<TNode> Selection() const;
  // The index-th node a reader sees from the top (inside expanded nodes
  // only); null past the last.
  TNode ShownNode(int index) const;
  // Where a node is drawn in client coordinates: its text, or its whole
  // row; empty when it is not shown.
  TRect NodeRect(TNode node, bool wholeRow) const;
  TNotifyEvent OnChange;
};

class TListColumn : public TCollectionItem {
 public:
  const char* ClassName() const override { return "TListColumn"; }
  const TPropTable& Published() const override;
  std::string Caption;
  int Width = 50;
};

enum TViewStyle : uint8_t { vsIcon, vsSmallIcon, vsList, vsReport };

// Items with sub-items in columns (the report style) or in a list.
class TListView : public TWinControl {
 public:
  explicit TListView(TComponent* owner);
  const char* ClassName() const override { return "TListView"; }
  const TPropTable& Published() const override;
  // Change the columns, then call ColumnsChanged (done for translations).
  TCollection Columns;
  void ColumnsChanged();
  void SetViewStyle(TViewStyle v);
  int ItemCount() const;
  // Returns the new item's index.
  int AddItem(const std::string& caption, const std::vector<std::string>& subItems = {});
  void DeleteItem(int index);
  void Clear();
  std::string ItemCaption(int index) const;
  void SetItemCaption(int index, const std::string& caption);
  std::string SubItem(int index, int column) const;
  int ItemIndex() const;
  void SetItemIndex(int v);
  bool MultiSelect() const;
  void SetMultiSelect(bool v);
  bool Selected(int index) const;
  void SetSelected(int index, bool v);
  // The user may edit captions in place; OnEdited may change the text.
  bool ReadOnly() const;
  void SetReadOnly(bool v);
  std::function<void(TObject* sender, int index, std::string& text)> OnEdited;
  TNotifyEvent OnSelectItem;
};

class TStatusPanel : public TCollectionItem {
 public:
  const char* ClassName() const override { return "TStatusPanel"; }
  const TPropTable& Published() const override;
  std::string Text;
  int Width = 50;
};

// A bar of text panels at the bottom of a form (SimplePanel: one text).
class TStatusBar : public TCustomControl {
 public:
  explicit TStatusBar(TComponent* owner);
  const char* ClassName() const override { return "TStatusBar"; }
  const TPropTable& Published() const override;
  TCollection Panels;
  bool SimplePanel = false;
  const std::string& SimpleText() const { return simpleText_; }
  void SetSimpleText(const std::string& v);
  void Paint() override;

 private:
  std::string simpleText_;
};

}  // namespace qs

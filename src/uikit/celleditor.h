#pragma once
// The edit boxes with a button inside their right edge that the grids and
// the typed edit box share: the button (ellipsis, drop-down list, up-down
// pair, or a picker's button), the drop-down list with incremental search,
// the picker drop-downs reached through their adapters, mouse tracking
// from the button into an open list, and the keys that open, close and
// drive a drop-down while the edit box keeps the focus.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/forms.h"
#include "platform/stdctrls.h"
#include "platform/timers.h"
#include "uikit/editvalue.h"

namespace qs {

class TECOverEditor;
class TECFormLanguage;
class TTimer;
class TCustomGrid;

enum TButtonKind : uint8_t { bkNone, bkEllipsis, bkPickList, bkUpDown, bkTrackBar };
// Which drop-down picker a value type calls for.
enum class TPickerKind : uint8_t { None, Calculator, Calendar, Time };

// The drop-down list: a pop-up that never takes the focus. Keys reach it
// from the edit box; typed characters search the items incrementally.
class TPopupListbox : public TCustomForm {
 public:
  explicit TPopupListbox(TComponent* owner);
  const char* ClassName() const override { return "TPopupListbox"; }
  const TStringList& Items() const { return items_; }
  void SetItems(const TStringList& items);
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int v);
  int TopIndex() const { return topIndex_; }
  int ItemHeight() const;
  // The item at a client point, -1 for none.
  int ItemAt(int x, int y) const;
  // Rows shown at once.
  int VisibleItems() const;
  const std::string& SearchText() const { return searchText_; }
  // Shows along the right edge while the items do not all fit.
  TScrollBar* ScrollBar() const { return scrollBar_; }

  void Paint() override;
  void Resize() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;

 private:
  void MakeVisible(int index);
  void SetTopIndex(int v);
  void UpdateScrollBar();
  // The right edge of the items, left of a shown scroll bar.
  int ItemsRight() const;
  TStringList items_;
  TScrollBar* scrollBar_ = nullptr;
  bool updatingScrollBar_ = false;
  int itemIndex_ = -1;
  int topIndex_ = 0;
  std::string searchText_;
  uint64_t lastSearchTick_ = 0;
};

class TDropDownEdit;

// The button strip inside the edit box's right edge (and, for list-only
// boxes, the face that shows the text in place of the caret).
class TEditButtonArea : public TCustomControl {
 public:
  TEditButtonArea(TDropDownEdit* edit, bool face);
  const char* ClassName() const override { return "TEditButtonArea"; }
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  TPoint ToEdit(int x, int y) const { return {x + Left(), y + Top()}; }
  TDropDownEdit* edit_;
  bool face_;
};

class TDropDownEdit : public TEdit {
 public:
  explicit TDropDownEdit(TComponent* owner);
  ~TDropDownEdit() override;
  const char* ClassName() const override { return "TDropDownEdit"; }

  TButtonKind ButtonKind() const { return kind_; }
  int ButtonWidth() const { return buttonWidth_; }
  bool PickerActive() const { return pickerActive_; }
  TECOverEditor* Picker() const { return picker_.get(); }
  bool ListVisible() const { return listVisible_; }
  // The pick list or the picker's drop-down window; null for none.
  TCustomForm* PopupControl() const { return popup_; }
  TPopupListbox* PickList() const { return pickList_.get(); }
  bool Pressed() const { return pressed_; }
  // The button's area, in the edit box's client coordinates.
  virtual TRect ButtonRect() const;
  // The control the button is drawn on (for input in tests and users).
  TEditButtonArea& ButtonArea() { return *button_; }

  void DropDown();
  void CloseUp(bool accept);

  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void DoExit() override;
  void CancelMode() override;
  void Resize() override;

 protected:
  friend class TEditButtonArea;
  // Stores the kind and chooses the popup control (the picker's window
  // while a picker is active, else the pick list for bkPickList).
  void SetButtonKind(TButtonKind kind);
  // Makes (or keeps, or frees) the adapter for the picker kind.
  void UsePicker(TPickerKind kind);
  void SetButtonWidth(int v);
  TPopupListbox& EnsurePickList();
  // Places the button and narrows the text to the rest.
  void UpdateEditRect();
  // Whether the button strip is shown at all.
  virtual bool HasButton() const { return kind_ != bkNone || pickerActive_; }

  // Fills the list or gives the picker its value; false: no drop-down.
  virtual bool PrepareDropDown() = 0;
  // After the drop-down was hidden: the value chosen (the list item or the
  // picker's), when accepted and there is one.
  virtual void ClosedUp(bool accept, bool fromPicker, const std::string& listItem, bool hasItem) = 0;
  virtual void PickerChanged() {}
  // A picker's result: 1 accepts, 2 (cancel) closes without taking.
  virtual void PickerResult(int result) { CloseUp(result == 1); }
  // A press on the button started tracking.
  virtual void ButtonDown() {}
  virtual void ButtonUp(TMouseButton, bool wasPressed) { (void)wasPressed; }
  // Alt+Up or Alt+Down with a list or picker (the key is consumed).
  virtual void AltArrow() {
    if (listVisible_) CloseUp(true);
    else DropDown();
  }
  // The edit box's own key handling after the drop-down keys.
  virtual void EditKeyDown(uint16_t&, TShiftState) {}
  virtual void EditKeyPress(char16_t&) {}
  // Whether the drop-down keys apply (a list or a picker is in play).
  virtual bool UsesDropDownKeys() const { return kind_ == bkPickList || pickerActive_; }
  // List-only boxes draw their text themselves, without a caret.
  virtual bool DrawsOwnText() const { return false; }
  virtual void PaintFace(TCanvas& canvas, const TRect& rect);
  virtual void PaintButton(TCanvas& canvas, const TRect& rect);
  // The writable state that allows a drop-down and the button's other
  // actions.
  virtual bool CanDropDown() const { return !ReadOnly(); }
  // Whether the button is drawn at all.
  virtual bool ButtonShown() const { return !ReadOnly(); }
  // Drawn as up-down pair, combo arrow or ellipsis, or a picker glyph.
  void PaintPickerButton(TCanvas& canvas, const TRect& rect);
  void PaintComboButton(TCanvas& canvas, const TRect& rect);
  void PaintEllipsisButton(TCanvas& canvas, const TRect& rect);
  void PaintUpDownButton(TCanvas& canvas, const TRect& rect);
  // The face under a picker glyph or ellipsis: raised, or framed dark
  // while pressed.
  void PaintButtonFace(TCanvas& canvas, const TRect& rect);

  void TrackButton(int x, int y);
  void StopTracking();
  void ListMouseUp(TMouseButton button, int x, int y);
  void ButtonMouseDown(TMouseButton button, TShiftState shift, int x, int y);
  void ButtonMouseMove(TShiftState shift, int x, int y);
  void ButtonMouseUp(TMouseButton button, TShiftState shift, int x, int y);

  TButtonKind kind_ = bkNone;
  int buttonWidth_;
  bool pickerActive_ = false;
  std::unique_ptr<TECOverEditor> picker_;
  TPickerKind pickerKind_ = TPickerKind::None;
  std::unique_ptr<TPopupListbox> pickList_;
  TCustomForm* popup_ = nullptr;
  bool listVisible_ = false;
  bool pressed_ = false;
  bool tracking_ = false;
  bool stepDown_ = false;
  bool inPickerChange_ = false;
  TEditButtonArea* button_;
  TEditButtonArea* face_;
};

// The grid's cell editor: a drop-down edit box over the current cell that
// reports each change of its text to the grid and hands the grid the keys
// that move between cells.
class TInplaceEdit : public TDropDownEdit {
 public:
  explicit TInplaceEdit(TCustomGrid* grid);
  const char* ClassName() const override { return "TInplaceEdit"; }
  TCustomGrid* Grid() const { return grid_; }
  // Refreshes the editor for the cell it is placed on.
  virtual void UpdateContents();
  // Sets the text without reporting it to the grid.
  void SetTextQuietly(const std::string& text);

  void KeyDown(uint16_t& key, TShiftState shift) override;
  void DoExit() override;
  bool Repeating() const { return repeatTimer_ != nullptr; }
  // Milliseconds to the next tick of a held up-down button; 0 for none.
  int RepeatInterval() const { return repeatTimer_ ? repeatTimer_->Interval() : 0; }

 protected:
  // Up-down buttons: while the button is held, the tick after firstMs arms
  // the repeat and RepeatStep runs at every tick after it, nextMs apart.
  void StartRepeat(int firstMs, int nextMs);
  void StopRepeat();
  virtual void RepeatStep() {}
  void ButtonUp(TMouseButton button, bool wasPressed) override;

  bool settingText_ = false;
  TCustomGrid* grid_;
  std::unique_ptr<TTimer> repeatTimer_;
  bool repeatArmed_ = false;
};

// The text of a message of the pickers' and edit controls' own record in
// the language file, or english when there is none.
std::string PickerText(int index, const char* english);
// Tells the user that text is not a value of the type (a message box).
void RefuseValue(TEditType type, const std::string& text);

// The texts of a review sample form (formshot): message index of the
// form's record in the language file, english where there is none.
class TSampleTexts {
 public:
  explicit TSampleTexts(TCustomForm& form);
  std::string operator()(int index, const char* english) const;

 private:
  TECFormLanguage* lang_;
};

}  // namespace qs

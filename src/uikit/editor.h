#pragma once
// The typed edit box: a one-line edit with a value type that filters the
// typed characters and converts the text to a value, an optional button
// inside its right edge (a drop-down list, a list-only drop-down, an
// ellipsis) and, for numeric, date and time types without a list, the
// button of a drop-down picker. Committed changes are reported through
// OnChangeData.
#include <functional>
#include <string>

#include "uikit/celleditor.h"
#include "uikit/editvalue.h"

namespace qs {

// Replaces the type filter: true lets the character through.
using TOnValidCharEvent = std::function<bool(TObject* sender, char16_t key)>;

class TECEditor : public TDropDownEdit {
 public:
  explicit TECEditor(TComponent* owner);
  const char* ClassName() const override { return "TECEditor"; }

  TEditType EditType() const { return editType_; }
  // A new type puts a value of it into the box: today's date, the current
  // time, or "0" for the numeric types (texts stay).
  void SetEditType(TEditType v);
  TEditStyle EditStyle() const { return editStyle_; }
  void SetEditStyle(TEditStyle v);
  void SetButtonWidth(int v);
  const TStringList& DropDownList() const { return dropDownList_; }
  void SetDropDownList(const TStringList& v) { dropDownList_ = v; }
  // The text as a value of EditType; EConvertError when it is none.
  TEditValue GetValue() const;
  // Shows the value (dates as short date text) and takes it as committed.
  void SetValue(const TEditValue& value);
  const std::string& CommittedText() const { return committed_; }

  TNotifyEvent OnChangeData;
  TNotifyEvent OnEditButtonClick;
  TOnValidCharEvent OnValidChar;

  void DoExit() override;
  void DblClick() override {}

 protected:
  bool HasButton() const override { return editStyle_ != esEdit || pickerActive_; }
  bool UsesDropDownKeys() const override { return HasButton(); }
  bool DrawsOwnText() const override { return editStyle_ == esDropDownList; }
  bool CanDropDown() const override { return true; }
  bool PrepareDropDown() override;
  void ClosedUp(bool accept, bool fromPicker, const std::string& listItem, bool hasItem) override;
  void PickerChanged() override;
  void ButtonDown() override;
  void ButtonUp(TMouseButton button, bool wasPressed) override;
  void AltArrow() override;
  void EditKeyDown(uint16_t& key, TShiftState shift) override;
  void EditKeyPress(char16_t& key) override;
  void PaintButton(TCanvas& canvas, const TRect& rect) override;

 private:
  void UpdateButton();
  void Commit();
  TEditType editType_ = etInteger;
  TEditStyle editStyle_ = esEdit;
  TStringList dropDownList_;
  std::string committed_;
  // The text when a picker dropped down.
  std::string beforeDropDown_;
};

// Typed edit boxes of each picker kind, one of them dropped down, for
// formshot.
void RegisterEditorForms();

}  // namespace qs

#include "uikit/editor.h"

#include <algorithm>

#include "platform/actions.h"
#include "platform/bitmap.h"
#include "platform/forms.h"
#include "platform/stdctrls.h"
#include "uikit/picker.h"

namespace qs {

namespace {

// The list shows at most this many rows and scrolls beyond.
constexpr int kMaxListRows = 24;

TPickerKind PickerFor(TEditType type) {
  switch (type) {
    case etInteger:
    case etReal:
    case etCurrency: return TPickerKind::Calculator;
    case etDate: return TPickerKind::Calendar;
    case etTime: return TPickerKind::Time;
    case etString: return TPickerKind::None;
  }
  return TPickerKind::None;
}

}  // namespace

TECEditor::TECEditor(TComponent* owner) : TDropDownEdit(owner) { UpdateButton(); }

void TECEditor::UpdateButton() {
  pickerActive_ = false;
  const bool list = editStyle_ == esDropDown || editStyle_ == esDropDownList;
  TButtonKind kind = list ? bkPickList : editStyle_ == esEllipsis ? bkEllipsis : bkNone;
  if (!list) {
    const TECOverEditor* before = picker_.get();
    const bool wasActive = before != nullptr;
    UsePicker(PickerFor(editType_));
    if (pickerActive_ && (!wasActive || picker_.get() != before))
      TDropDownEdit::SetButtonWidth(picker_->GetButtonGlyph()->Width() + 6);
  }
  SetButtonKind(kind);
  Invalidate();
}

void TECEditor::SetEditType(TEditType v) {
  if (v == editType_) return;
  editType_ = v;
  switch (v) {
    case etDate: SetText(DateToText(Today())); break;
    case etTime: SetText(TimeToText(TimeOfDay())); break;
    case etInteger:
    case etReal:
    case etCurrency: SetText("0"); break;
    case etString: break;
  }
  UpdateButton();
}

void TECEditor::SetEditStyle(TEditStyle v) {
  if (v == editStyle_) return;
  if (ListVisible()) CloseUp(false);
  editStyle_ = v;
  UpdateButton();
}

void TECEditor::SetButtonWidth(int v) {
  TDropDownEdit::SetButtonWidth(v);
  UpdateButton();
}

TEditValue TECEditor::GetValue() const { return EditTextToValue(editType_, Text()); }

void TECEditor::SetValue(const TEditValue& value) {
  SetText(EditValueToText(editType_ == etDate ? etDate : editType_, value));
  committed_ = Text();
  ButtonArea().Invalidate();
}

void TECEditor::Commit() {
  // Once reported, a text is not reported again.
  committed_ = Text();
  Fire(OnChangeData, this);
}

bool TECEditor::PrepareDropDown() {
  if (pickerActive_) {
    beforeDropDown_ = Text();
    if (picker_) picker_->SetPopupText(Text());
    return true;
  }
  if (dropDownList_.Empty()) return false;
  TPopupListbox& list = EnsurePickList();
  list.SetColor(Color());
  list.SetFont(Font());
  list.SetItems(dropDownList_);
  const int rows = std::min(dropDownList_.Count(), kMaxListRows);
  list.SetHeight(rows * list.ItemHeight() + 4);
  list.SetItemIndex(dropDownList_.IndexOf(Text()));
  TBitmap probe(1, 1);
  probe.Canvas().Font() = Font();
  int widest = 0;
  for (const std::string& item : dropDownList_)
    widest = std::max(widest, probe.Canvas().TextWidth(std::string_view(item)) + 8);
  list.SetWidth(std::max(list.ClientWidth(), widest));
  return true;
}

void TECEditor::ClosedUp(bool accept, bool fromPicker, const std::string& listItem, bool hasItem) {
  if (!accept) {
    // The text followed the picker while it was open; closed without
    // accepting, the box keeps the text it had before.
    if (fromPicker) SetText(beforeDropDown_);
    return;
  }
  std::string candidate = listItem;
  if (fromPicker && picker_) picker_->GetPopupText(candidate);
  else if (!hasItem) return;
  if (candidate.empty()) return;
  if (fromPicker) {
    if (candidate != Text()) {
      SetText(candidate);
      Commit();
    } else if (dynamic_cast<TECOverCalculator*>(picker_.get())) {
      // The text followed the calculator while it was open.
      Commit();
    }
  } else if (!ReadOnly()) {
    SetText(candidate);
    Commit();
  }
  ButtonArea().Invalidate();
  SelectAll();
}

void TECEditor::PickerChanged() {
  if (!picker_) return;
  std::string text;
  picker_->GetPopupText(text);
  inPickerChange_ = true;
  SetText(text);
  inPickerChange_ = false;
}

void TECEditor::ButtonDown() {
  if (editStyle_ != esEllipsis && PopupControl() && !OnEditButtonClick) DropDown();
}

void TECEditor::ButtonUp(TMouseButton button, bool wasPressed) {
  if (wasPressed && button == mbLeft && OnEditButtonClick) OnEditButtonClick(this);
}

void TECEditor::AltArrow() {
  if (editStyle_ == esEllipsis) Fire(OnEditButtonClick, this);
  else if (editStyle_ != esEdit) TDropDownEdit::AltArrow();
}

void TECEditor::EditKeyDown(uint16_t& key, TShiftState shift) {
  if (editStyle_ == esEllipsis && key == VK_RETURN && shift == ssCtrl) {
    Fire(OnEditButtonClick, this);
    key = 0;
  } else if (editStyle_ == esDropDownList && (key == VK_DELETE || key == VK_BACK)) {
    // A list-only box takes its values from the list alone.
    Beep();
    key = 0;
  }
}

void TECEditor::EditKeyPress(char16_t& key) {
  if (key == 13) {
    const int len = static_cast<int>(Text().size());
    if (SelStart() == 0 && SelLength() == len) SetSelStart(len);
    else SelectAll();
  }
  if (key == 13 || key == 9 || key == 27) {
    key = 0;
    return;
  }
  bool valid = true;
  if (editStyle_ == esDropDownList) {
    valid = false;
  } else if (key >= 32) {
    if (OnValidChar) valid = OnValidChar(this, key);
    else valid = key < 0x80 ? EditTypeValidChar(editType_, static_cast<char>(key)) : editType_ == etString;
  }
  if (!valid) {
    Beep();
    key = 0;
    return;
  }
  Invalidate();
}

void TECEditor::DoExit() {
  TDropDownEdit::DoExit();
  if (Text() == committed_) return;
  if (!TextFitsType(editType_, Text())) {
    // Nothing that is not a value of the type leaves the box: it takes back
    // the text last committed, and the user is told why.
    const std::string refused = Text();
    SetText(committed_);
    RefuseValue(editType_, refused);
    return;
  }
  Commit();
}

void TECEditor::PaintButton(TCanvas& canvas, const TRect& rect) {
  if (!Enabled()) return;
  if (pickerActive_) PaintPickerButton(canvas, rect);
  else if (editStyle_ == esEllipsis) PaintEllipsisButton(canvas, rect);
  else if (editStyle_ != esEdit) PaintComboButton(canvas, rect);
}

namespace {

// A tempo, a date and a time box; the box of picker `open` dropped down.
std::unique_ptr<TCustomForm> EditorSample(TEditType open) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetName("FEditorSample");
  form->SetClientWidth(220);
  form->SetClientHeight(92);
  // The sample's texts: 0-2 the labels.
  const TSampleTexts text(*form);
  const struct {
    TEditType type;
    const char* label;
  } rows[3] = {{etInteger, "Tempo:"}, {etDate, "Date:"}, {etTime, "Time:"}};
  TECEditor* dropped = nullptr;
  for (int i = 0; i < 3; ++i) {
    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    label->SetBounds(10, 14 + i * 26, 70, 16);
    label->SetCaption(text(i, rows[i].label));
    auto* edit = new TECEditor(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(84, 10 + i * 26, 126, 22);
    edit->SetEditType(rows[i].type);
    TDateTime value = 0;
    if (rows[i].type == etDate) TryEncodeDate(2024, 2, 29, value);
    else if (rows[i].type == etTime) TryEncodeTime(9, 30, 15, value);
    if (rows[i].type == etInteger) edit->SetValue(120);
    else edit->SetValue(TDateValue{value});
    if (rows[i].type == open) dropped = edit;
  }
  form->OnShow = [dropped](TObject*) { dropped->DropDown(); };
  return form;
}

}  // namespace

void RegisterEditorForms() {
  RegisterForm("ECEditorCalculator", [](const std::string&) { return EditorSample(etInteger); });
  RegisterForm("ECEditorCalendar", [](const std::string&) { return EditorSample(etDate); });
  RegisterForm("ECEditorTime", [](const std::string&) { return EditorSample(etTime); });
}

}  // namespace qs

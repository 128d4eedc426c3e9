#include "uikit/gridstring.h"

#include <algorithm>
#include <cmath>

#include "base/exceptions.h"
#include "platform/actions.h"
#include "platform/bitmap.h"
#include "platform/forms.h"
#include "uikit/language.h"
#include "uikit/picker.h"

namespace qs {

namespace {

// The string grid's value types have the typed edit box's order.
qs::TEditType ValueType(ECStringGrid::TEditType t) { return static_cast<qs::TEditType>(t); }

TPickerKind PickerFor(ECStringGrid::TEditType type) {
  switch (type) {
    case ECStringGrid::etInteger:
    case ECStringGrid::etReal:
    case ECStringGrid::etCurrency: return TPickerKind::Calculator;
    case ECStringGrid::etDate: return TPickerKind::Calendar;
    case ECStringGrid::etTime: return TPickerKind::Time;
    case ECStringGrid::etString: return TPickerKind::None;
  }
  return TPickerKind::None;
}

// Up-down buttons of the string grid repeat at one rate from the first tick.
constexpr int kStepRepeat = 150;

}  // namespace

// ---------------------------------------------------------- TECStringColumn

std::string TECStringColumn::Caption() const {
  return grid_->RowCount() > 0 && grid_->FixedRows() > 0 ? grid_->Cells(index_, 0) : std::string();
}

void TECStringColumn::SetCaption(const std::string& v) {
  if (grid_->RowCount() > 0 && grid_->FixedRows() > 0) grid_->SetCells(index_, 0, v);
}

int TECStringColumn::Width() const {
  return grid_->RowCount() > 0 && grid_->FixedRows() > 0 ? grid_->ColWidths(index_) : 0;
}

void TECStringColumn::SetWidth(int v) {
  if (grid_->RowCount() > 0 && v > 0) grid_->SetColWidths(index_, v);
}

void TECStringColumn::Assign(const TECStringColumn& source) {
  DropDownList = source.DropDownList;
  EditStyle = source.EditStyle;
  EditType = source.EditType;
  DefaultDrawing = source.DefaultDrawing;
}

TECStringColumn& TECStringColumns::Add() {
  items_.push_back(std::make_unique<TECStringColumn>(grid_, Count()));
  return *items_.back();
}

void TECStringColumns::Assign(const TECStringColumns& source) {
  items_.clear();
  for (int i = 0; i < source.Count(); ++i) Add().Assign(source.Items(i));
}

// ------------------------------------------------------------ TECStringGrid

TECStringGrid::TECStringGrid(TComponent* owner) : TCustomGrid(owner), columns_(this) {}

TECStringGrid::~TECStringGrid() = default;

TECStringColumn* TECStringGrid::ColumnItem(int col) const {
  return col >= 0 && col < columns_.Count() ? &columns_.Items(col) : nullptr;
}

std::string TECStringGrid::Cells(int col, int row) const {
  if (col < 0 || row < 0 || col >= static_cast<int>(cells_.size())) return {};
  const auto& column = cells_[col];
  return row < static_cast<int>(column.size()) ? column[row] : std::string();
}

void TECStringGrid::SetCells(int col, int row, const std::string& text) {
  if (col < 0 || row < 0) return;
  if (col >= static_cast<int>(cells_.size())) cells_.resize(col + 1);
  auto& column = cells_[col];
  if (row >= static_cast<int>(column.size())) column.resize(row + 1);
  if (column[row] == text) return;
  column[row] = text;
  InvalidateCell(col, row);
  if (col == Col() && row == Row() && EditorMode() && InplaceEditor() && InplaceEditor()->Text() != text)
    InplaceEditor()->SetTextQuietly(text);
}

bool TECStringGrid::OwnerDrawn(int col) const {
  const TECStringColumn* c = ColumnItem(col);
  return c && !c->DefaultDrawing && OnDrawCell;
}

TInplaceEdit* TECStringGrid::CreateEditor() {
  auto* editor = new TStringInplaceEdit(this);
  editor->OnEndInput = OnEndInput;
  return editor;
}

bool TECStringGrid::CanEditShow() {
  bool accept = TCustomGrid::CanEditShow();
  if (accept)
    if (const TECStringColumn* c = ColumnItem(Col())) accept = c->EditStyle != ECStringGrid::esReadOnly;
  if (OnCanEditShow) OnCanEditShow(this, accept);
  return accept;
}

bool TECStringGrid::CanEditAcceptKey(char16_t key) {
  const TECStringColumn* c = ColumnItem(Col());
  if (!c || c->EditType == ECStringGrid::etString) return true;
  if (key == 'E' || key == 'e') return c->EditType == ECStringGrid::etReal;
  return key < 0x80 && EditTypeValidChar(ValueType(c->EditType), static_cast<char>(key));
}

std::string TECStringGrid::GetEditText(int col, int row) { return OwnerDrawn(col) ? std::string() : Cells(col, row); }

void TECStringGrid::SetEditText(int col, int row, const std::string& text) {
  if (OwnerDrawn(col) || text == Cells(col, row)) return;
  SetCells(col, row, text);
  Fire(OnChangeData, this);
}

bool TECStringGrid::ValidateEdit() {
  const TECStringColumn* c = ColumnItem(Col());
  if (!c || OwnerDrawn(Col())) return true;
  const std::string text = Cells(Col(), Row());
  if (TextFitsType(ValueType(c->EditType), text)) return true;
  // The cell gets back the value it had, and the user is told why.
  SetCells(Col(), Row(), EditStartText());
  if (InplaceEditor()) InplaceEditor()->SetTextQuietly(EditStartText());
  Fire(OnChangeData, this);
  RefuseValue(ValueType(c->EditType), text);
  return false;
}

void TECStringGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
  if (row >= FixedRows() && OwnerDrawn(col)) {
    OnDrawCell(this, col, row, rect, state);
    return;
  }
  TCanvas& c = Canvas();
  if ((state & gdSelected) && !(state & gdFixed) && !EditorMode()) {
    c.Brush().Color = ColorToRGB((state & gdFocused) ? clHighlight : clSilver);
    c.Font().Color = ColorToRGB((state & gdFocused) ? clHighlightText : Font().Color);
  }
  c.FillRect(rect);
  c.Brush().Style = bsClear;
  c.TextOut(rect.Left + 2, rect.Top + 2, std::string_view(Cells(col, row)));
  c.Brush().Style = bsSolid;
  if (DefaultDrawing || !(state & gdFixed)) Fire(OnDrawCell, this, col, row, rect, state);
}

void TECStringGrid::TopLeftChanged() {
  TCustomGrid::TopLeftChanged();
  Fire(OnScroll, this);
}

// ------------------------------------------------------- TStringInplaceEdit

TStringInplaceEdit::TStringInplaceEdit(TECStringGrid* grid) : TInplaceEdit(grid), sgrid_(grid) {}

TECStringColumn* TStringInplaceEdit::Column() const { return sgrid_->ColumnItem(sgrid_->Col()); }

void TStringInplaceEdit::UpdateContents() {
  const TECStringColumn* c = Column();
  TButtonKind kind = bkNone;
  if (c) {
    switch (c->EditStyle) {
      case ECStringGrid::esDropDown:
      case ECStringGrid::esDropDownList: kind = c->DropDownList.Empty() ? bkNone : bkPickList; break;
      case ECStringGrid::esEllipsis:
      case ECStringGrid::esChooseEllipsis: kind = bkEllipsis; break;
      case ECStringGrid::esUpDown: kind = bkUpDown; break;
      default: break;
    }
  }
  pickerActive_ = false;
  if (kind == bkNone && c) UsePicker(PickerFor(c->EditType));
  SetButtonWidth(pickerActive_ ? picker_->GetButtonGlyph()->Width() + 6 : GetSystemMetrics(SM_CXVSCROLL));
  SetButtonKind(kind);
  TInplaceEdit::UpdateContents();
  SetFont(sgrid_->Font());
  SetColor(sgrid_->Color());
}

bool TStringInplaceEdit::PrepareDropDown() {
  const std::string text = sgrid_->Cells(sgrid_->Col(), sgrid_->Row());
  if (pickerActive_) {
    beforeDropDown_ = text;
    picker_->SetPopupValue(text);
    return true;
  }
  const TECStringColumn* c = Column();
  if (!c) return false;
  TPopupListbox& list = EnsurePickList();
  list.SetColor(Color());
  list.SetFont(Font());
  list.SetItems(c->DropDownList);
  list.SetHeight(c->DropDownList.Count() * list.ItemHeight() + 4);
  for (int i = 0; i < c->DropDownList.Count(); ++i)
    if (c->DropDownList[i] == text) list.SetItemIndex(i);
  TBitmap probe(1, 1);
  probe.Canvas().Font() = Font();
  int widest = 0;
  for (const std::string& item : c->DropDownList)
    widest = std::max(widest, probe.Canvas().TextWidth(std::string_view(item)) + 8);
  list.SetWidth(std::max(list.ClientWidth(), widest));
  return true;
}

void TStringInplaceEdit::WritePickerValue(bool onlyChange) {
  const TEditValue value = picker_->GetPopupValue();
  const TECStringColumn* c = Column();
  const ECStringGrid::TEditType type = c ? c->EditType : ECStringGrid::etString;
  std::string text;
  try {
    double number = 0;
    if (const auto* i = std::get_if<int>(&value)) number = *i;
    else if (const auto* d = std::get_if<double>(&value)) number = *d;
    else if (const auto* dt = std::get_if<TDateValue>(&value)) number = dt->Value;
    else if (const auto* s = std::get_if<std::string>(&value)) {
      if (type != ECStringGrid::etString && type != ECStringGrid::etReal) {
        const TEditValue v = EditTextToValue(qs::etReal, *s);
        number = std::get<double>(v);
      }
    }
    switch (type) {
      case ECStringGrid::etInteger: text = std::to_string(static_cast<long long>(std::trunc(number))); break;
      case ECStringGrid::etCurrency: text = FloatToText(std::trunc(number * 100) / 100); break;
      case ECStringGrid::etDate: text = DateToText(number); break;
      case ECStringGrid::etTime: text = TimeToText(number); break;
      default: text = EditValueToText(qs::etString, value); break;
    }
  } catch (const EConvertError&) {
    // The cell keeps its text.
    return;
  }
  WriteCell(text, onlyChange);
}

void TStringInplaceEdit::ClosedUp(bool accept, bool fromPicker, const std::string& listItem, bool hasItem) {
  if (fromPicker && picker_) {
    if (accept) WritePickerValue(false);
    // The cell followed the picker while it was open; closed without
    // accepting, it keeps the text it had before.
    else WriteCell(beforeDropDown_, true);
  } else if (accept && hasItem) {
    WriteCell(listItem, false);
  }
  Fire(OnEndInput, this);
}

void TStringInplaceEdit::WriteCell(const std::string& text, bool onlyChange) {
  if (onlyChange && sgrid_->Cells(sgrid_->Col(), sgrid_->Row()) == text) return;
  sgrid_->SetCells(sgrid_->Col(), sgrid_->Row(), text);
  SetTextQuietly(text);
  Fire(sgrid_->OnChangeData, this);
}

void TStringInplaceEdit::PickerChanged() {
  if (!picker_) return;
  inPickerChange_ = true;
  WritePickerValue(true);
  inPickerChange_ = false;
  Invalidate();
}

void TStringInplaceEdit::Step() {
  int v = 0;
  if (!TryTextToInteger(sgrid_->Cells(sgrid_->Col(), sgrid_->Row()), v)) v = 0;
  v += stepDown_ ? -1 : 1;
  const std::string text = std::to_string(v);
  sgrid_->SetCells(sgrid_->Col(), sgrid_->Row(), text);
  SetTextQuietly(text);
}

void TStringInplaceEdit::ButtonDown() {
  if (kind_ == bkUpDown) {
    Step();
    StartRepeat(kStepRepeat, kStepRepeat);
  } else if (popup_) {
    DropDown();
  }
}

void TStringInplaceEdit::RepeatStep() {
  if (pressed_) Step();
}

void TStringInplaceEdit::ButtonUp(TMouseButton button, bool wasPressed) {
  TInplaceEdit::ButtonUp(button, wasPressed);
  if (button == mbLeft && wasPressed && kind_ == bkEllipsis) Fire(sgrid_->OnEditButtonClick, sgrid_);
}

void TStringInplaceEdit::AltArrow() {
  if (UsesDropDownKeys()) TInplaceEdit::AltArrow();
}

void TStringInplaceEdit::EditKeyDown(uint16_t& key, TShiftState shift) {
  const TECStringColumn* c = Column();
  if (c && c->EditStyle == ECStringGrid::esDropDownList && (key == VK_DELETE || key == VK_BACK)) {
    key = 0;
  } else if (kind_ == bkEllipsis && key == VK_RETURN && shift == ssCtrl) {
    Fire(sgrid_->OnEditButtonClick, sgrid_);
    key = 0;
  }
}

void TStringInplaceEdit::EditKeyPress(char16_t& key) {
  const TECStringColumn* c = Column();
  if (!c) return;
  bool valid = true;
  if (c->EditStyle == ECStringGrid::esDropDownList) valid = false;
  else if (key >= 32 && c->EditType != ECStringGrid::etString)
    valid = key < 0x80 && EditTypeValidChar(ValueType(c->EditType), static_cast<char>(key));
  if (!valid) {
    Beep();
    key = 0;
  }
}

bool TStringInplaceEdit::DrawsOwnText() const {
  const TECStringColumn* c = Column();
  if (!c) return false;
  return (c->EditStyle == ECStringGrid::esDropDownList && kind_ == bkPickList) || sgrid_->OwnerDrawn(sgrid_->Col());
}

void TStringInplaceEdit::PaintFace(TCanvas& canvas, const TRect& rect) {
  if (sgrid_->OwnerDrawn(sgrid_->Col())) {
    canvas.Brush().Color = ColorToRGB(Color());
    canvas.FillRect(rect);
    sgrid_->OnDrawCell(this, sgrid_->Col(), sgrid_->Row(), rect, 0);
    return;
  }
  TInplaceEdit::PaintFace(canvas, rect);
}

void RegisterStringGridForms() {
  RegisterForm("ECStringGrid", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TForm>(nullptr);
    form->SetName("FStringGridSample");
    form->SetClientWidth(330);
    form->SetClientHeight(130);
    auto* grid = new TECStringGrid(form.get());
    grid->SetParent(form.get());
    grid->SetAlign(alClient);
    grid->SetColCount(4);
    grid->SetRowCount(5);
    grid->SetFixedCols(0);
    // The sample's texts: 0-3 the titles, 4-7 the drums, 8-11 the heads.
    const TSampleTexts text(*form);
    const char* titles[4] = {"Pitch", "Name", "Head", "Position"};
    const char* drums[4] = {"Bass Drum", "Snare", "Closed Hi-Hat", "Crash Cymbal"};
    const char* heads[4] = {"Normal", "Cross", "Circle", "Triangle"};
    const ECStringGrid::TEditType types[4] = {ECStringGrid::etInteger, ECStringGrid::etString,
                                              ECStringGrid::etString, ECStringGrid::etInteger};
    const ECStringGrid::TEditStyle styles[4] = {ECStringGrid::esEdit, ECStringGrid::esEdit,
                                                ECStringGrid::esDropDownList, ECStringGrid::esUpDown};
    const char* pitches[4] = {"35", "38", "42", "49"};
    const int rowHeads[4] = {0, 0, 1, 1};
    const char* positions[4] = {"-4", "1", "5", "6"};
    TStringList headList;
    for (int h = 0; h < 4; ++h) headList.Add(text(8 + h, heads[h]));
    for (int c = 0; c < 4; ++c) {
      TECStringColumn& col = grid->Columns().Add();
      col.EditType = types[c];
      col.EditStyle = styles[c];
      col.DropDownList = headList;
      col.SetCaption(text(c, titles[c]));
      col.SetWidth(c == 1 ? 110 : 70);
    }
    for (int r = 0; r < 4; ++r) {
      grid->SetCells(0, r + 1, pitches[r]);
      grid->SetCells(1, r + 1, text(4 + r, drums[r]));
      grid->SetCells(2, r + 1, headList[rowHeads[r]]);
      grid->SetCells(3, r + 1, positions[r]);
    }
    grid->SetOptions(grid->Options() | goEditing | goAlwaysShowEditor);
    grid->FocusCell(3, 2);
    return form;
  });
}

}  // namespace qs

#include "uikit/calendar.h"

#include <algorithm>

#include "base/strings.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "uikit/celleditor.h"
#include "uikit/frames.h"
#include "uikit/localeformats.h"

namespace qs {

// ------------------------------------------------------------- TECCalendar

TECCalendar::TECCalendar(TComponent* owner) : TCustomGrid(owner) {
  SetVertScrollBar(false);
  SetHorzScrollBar(false);
  SetColCount(7);
  SetRowCount(7);
  SetFixedCols(0);
  SetFixedRows(1);
  SetOptions((Options() & ~goRangeSelect) | goDrawFocusSelected);
  model_.OnChange = [this] {
    UpdateCalendar();
    Change();
  };
  UpdateCalendar();
}

void TECCalendar::SetStartOfWeek(TDayOfWeekName v) {
  model_.SetStartOfWeek(v);
  UpdateCalendar();
}

void TECCalendar::SetWeekends(TDaysOfWeek v) {
  model_.SetWeekends(v);
  Invalidate();
}

void TECCalendar::UpdateCalendar() {
  updating_ = true;
  MoveColRow(model_.CurrentCol(), model_.CurrentRow(), false);
  updating_ = false;
  Invalidate();
}

void TECCalendar::Change() { Fire(OnChange, this); }

void TECCalendar::Result(int result) { Fire(OnResultClick, this, result); }

std::string TECCalendar::CellText(int col, int row) const {
  if (row == 0) return FormatSettings().ShortDayNames[model_.ColumnWeekday(col)];
  const int d = model_.CellDay(col, row);
  return d ? std::to_string(d) : std::string();
}

bool TECCalendar::SelectCell(int col, int row) {
  if ((ReadOnly && !updating_) || model_.CellDay(col, row) == 0) return false;
  return TCustomGrid::SelectCell(col, row);
}

void TECCalendar::Click() {
  TCustomGrid::Click();
  if (const int d = model_.CellDay(Col(), Row())) SetDay(d);
}

void TECCalendar::DblClick() {
  TCustomGrid::DblClick();
  Result(1);
}

void TECCalendar::KeyDown(uint16_t& key, TShiftState shift) {
  if (shift == 0) {
    switch (key) {
      case VK_RETURN: Result(1); break;
      case VK_ESCAPE: Result(2); break;
      case VK_LEFT:
      case VK_SUBTRACT:
        model_.PrevDay();
        key = 0;
        return;
      case VK_RIGHT:
      case VK_ADD:
        model_.NextDay();
        key = 0;
        return;
      default: break;
    }
  }
  const int col = Col(), row = Row();
  TCustomGrid::KeyDown(key, shift);
  // Moving within the month chooses the day moved to.
  if (Col() != col || Row() != row)
    if (const int d = model_.CellDay(Col(), Row())) SetDay(d);
}

void TECCalendar::KeyPress(char16_t& key) {
  if (key == 'T' || key == 't') {
    SetCalendarDate(Today());
    key = 0;
    return;
  }
  TCustomGrid::KeyPress(key);
}

void TECCalendar::Resize() {
  const bool vert = Options() & (goVertLine | goFixedVertLine);
  const int w = (Width() - (vert ? 6 * GridLineWidth() : 0)) / 7;
  const int h = (Height() - 6 * GridLineWidth()) / 7;
  if (w > 0) SetDefaultColWidth(w);
  if (h > 0) SetDefaultRowHeight(h);
  TCustomGrid::Resize();
}

void TECCalendar::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
  TCanvas& c = Canvas();
  const bool selected = (state & gdSelected) && row > 0;
  c.Brush().Style = bsSolid;
  c.Brush().Color = ColorToRGB(selected ? clHighlight : (row == 0 ? FixedColor() : Color()));
  c.FillRect(rect);
  UseFont(c, Font());
  if (selected) c.Font().Color = ColorToRGB(clHighlightText);
  else if (model_.IsWeekendColumn(col)) c.Font().Color = ColorToRGB(WeekendColor);
  const std::string text = CellText(col, row);
  if (text.empty()) return;
  c.Brush().Style = bsClear;
  const int x = rect.Left + (rect.Width() - c.TextWidth(std::string_view(text))) / 2;
  const int y = rect.Top + (rect.Height() - c.TextHeight(std::string_view(text))) / 2;
  c.TextOut(x, y, std::string_view(text));
  c.Brush().Style = bsSolid;
}

// ---------------------------------------------------------- TECLocCalendar

TECLocCalendar::TECLocCalendar(TComponent* owner) : TECCalendar(owner) {
  SetTabStop(false);
  SetOptions(goFixedHorzLine);
  SetFixedColor(Color());
  SetUseCurrentDate(false);
  SetCalendarDate(Today());
}

void TECLocCalendar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  // The edit control under the drop-down keeps the focus.
  int col = 0, row = 0;
  if (button == mbLeft && MouseToCell(x, y, col, row)) FocusCell(col, row);
  TCustomControl::MouseDown(button, shift, x, y);
}

void TECLocCalendar::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
  TECCalendar::DrawCell(col, row, rect, state);
  if (row == 0) return;
  int y = 0, m = 0, d = 0;
  DecodeDate(Today(), y, m, d);
  if (y != Year() || m != Month() || model_.CellDay(col, row) != d) return;
  TCanvas& c = Canvas();
  c.Brush().Color = ColorToRGB(clBtnShadow);
  c.FillRect(Rect(rect.Left, rect.Top, rect.Right, rect.Top + 1));
  c.FillRect(Rect(rect.Left, rect.Top, rect.Left + 1, rect.Bottom));
  c.Brush().Color = ColorToRGB(clBtnHighlight);
  c.FillRect(Rect(rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom));
  c.FillRect(Rect(rect.Right - 1, rect.Top, rect.Right, rect.Bottom));
}

// -------------------------------------------------------- TECPopupCalendar

namespace {

TFont PickerFont() {
  TFont f;
  f.Name = "MS Sans Serif";
  f.Height = -11;
  f.Color = clWindowText;
  return f;
}

// An 8 x 6 arrow glyph: one or two triangles pointing left or right.
void DrawNavGlyph(TBitmap& glyph, bool right, bool twice) {
  glyph.SetSize(8, 6);
  TCanvas& c = glyph.Canvas();
  c.Brush().Style = bsSolid;
  c.Brush().Color = ColorToRGB(clWhite);
  c.FillRect(Rect(0, 0, 8, 6));
  const int tips = twice ? 2 : 1;
  for (int t = 0; t < tips; ++t) {
    const int base = twice ? t * 4 : 2;
    for (int i = 0; i < 3; ++i) {
      // Column i of the triangle is 2 * (3 - i) - 1 pixels high.
      const int x = right ? base + i : base + 2 - i;
      for (int y = i; y < 6 - i; ++y) glyph.SetPixel(x, y, clBlack);
    }
  }
  glyph.Transparent = true;
  glyph.SetTransparentColor(clWhite);
}

}  // namespace

TECCalendarTitle::TECCalendarTitle(TComponent* owner) : TCustomControl(owner) {}

void TECCalendarTitle::Paint() {
  TCanvas& c = Canvas();
  c.Brush().Style = bsSolid;
  c.Brush().Color = ColorToRGB(Color());
  c.FillRect(ClientRect());
  UseFont(c, Font());
  c.Brush().Style = bsClear;
  const int w = c.TextWidth(std::string_view(Caption()));
  c.TextOut((Width() - w) / 2, (Height() - c.TextHeight(std::string_view("W"))) / 2, std::string_view(Caption()));
}

TECPopupCalendar::TECPopupCalendar(TControl* ownerControl) : TEcPopupWindow(ownerControl) {
  SetBounds(0, 0, 187, 124);
  SetColor(clBtnFace);
  SetFont(PickerFont());
  auto* inner = new TPanel(this);
  inner->SetParent(this);
  inner->SetAlign(alClient);
  inner->SetBevelOuter(bvRaised);
  auto* top = new TPanel(this);
  top->SetParent(inner);
  top->SetAlign(alTop);
  top->SetHeight(18);
  top->SetBevelOuter(bvNone);
  calendar_ = new TECLocCalendar(this);
  calendar_->SetParent(inner);
  calendar_->SetAlign(alClient);
  calendar_->SetParentFont(true);
  const int pw = Width() - 4;
  struct TNav {
    int x;
    bool right, twice;
    int text;
    const char* hint;
  };
  const TNav navs[4] = {{-1, false, true, 4, "Previous year"},
                        {12, false, false, 5, "Previous month"},
                        {pw - 26, true, false, 6, "Next month"},
                        {pw - 13, true, true, 7, "Next year"}};
  const std::function<void()> actions[4] = {[this] { calendar_->PrevYear(); }, [this] { calendar_->PrevMonth(); },
                                            [this] { calendar_->NextMonth(); }, [this] { calendar_->NextYear(); }};
  for (int i = 0; i < 4; ++i) {
    auto* b = new TECTimerSpeedButton(this);
    b->SetParent(top);
    b->SetBounds(navs[i].x, -1, 14, 14);
    b->Flat = true;
    DrawNavGlyph(b->Glyph(), navs[i].right, navs[i].twice);
    b->SetHint(PickerText(navs[i].text, navs[i].hint));
    std::function<void()> act = actions[i];
    b->OnClick = [act](TObject*) { act(); };
    buttons_[i] = b;
  }
  title_ = new TECCalendarTitle(this);
  title_->SetParent(top);
  title_->SetBounds(29, 1, pw - 58, 14);
  title_->SetParentFont(true);
  title_->SetParentColor(true);
  title_->OnClick = [this](TObject*) { calendar_->SetCalendarDate(Today()); };
  calendar_->OnChange = [this](TObject*) { UpdateTitle(); };
  calendar_->OnMouseUp = [this](TObject*, TMouseButton button, TShiftState shift, int x, int y) {
    int col = 0, row = 0;
    if (button == mbLeft && (shift & (ssShift | ssCtrl | ssAlt)) == 0 && calendar_->MouseToCell(x, y, col, row) &&
        row >= 1 && calendar_->Model().CellDay(col, row) != 0)
      CloseUp(true);
  };
  UpdateTitle();
}

void TECPopupCalendar::UpdateTitle() {
  const std::string& month = FormatSettings().LongMonthNames[calendar_->Month() - 1];
  title_->SetCaption(month + ", " + std::to_string(calendar_->Year()));
  title_->Invalidate();
}

void TECPopupCalendar::SetValue(const TEditValue& value) {
  TDateTime d = Today();
  if (const auto* dt = std::get_if<TDateValue>(&value)) {
    d = dt->Value;
  } else if (const auto* s = std::get_if<std::string>(&value)) {
    if (s->empty() || !TryTextToDate(*s, d)) d = Today();
  } else if (const auto* i = std::get_if<int>(&value)) {
    d = *i;
  } else if (const auto* f = std::get_if<double>(&value)) {
    d = *f;
  }
  calendar_->SetCalendarDate(d);
  UpdateTitle();
}

void TECPopupCalendar::CloseUp(bool accept) {
  Fire(calendar_->OnResultClick, calendar_, accept ? 1 : 2);
  TEcPopupWindow::CloseUp(accept);
}

void TECPopupCalendar::KeyDown(uint16_t& key, TShiftState shift) {
  TEcPopupWindow::KeyDown(key, shift);
  if (key == 0) return;
  const bool ctrl = shift & ssCtrl;
  if (key == VK_PRIOR) {
    if (ctrl) calendar_->PrevYear();
    else calendar_->PrevMonth();
    key = 0;
  } else if (key == VK_NEXT) {
    if (ctrl) calendar_->NextYear();
    else calendar_->NextMonth();
    key = 0;
  } else {
    calendar_->KeyDown(key, shift);
  }
}

void TECPopupCalendar::KeyPress(char16_t& key) {
  calendar_->KeyPress(key);
  key = 0;
}

// --------------------------------------------------------- TECOverCalendar

TECOverCalendar::TECOverCalendar(TComponent* owner) : TECOverPopupEditor(owner) {
  ValidChars = "0123456789";
  std::string mask;
  for (char ch : FormatSettings().ShortDateFormat) {
    if (ch == 'D' || ch == 'M' || ch == 'd' || ch == 'm') mask += '9';
    else if (ch == 'H' || ch == 'Y' || ch == 'h' || ch == 'y') mask += '0';
    else mask += ch;
  }
  editMask_ = "!" + mask + ";1; ";
}

const TBitmap* TECOverCalendar::GetButtonGlyph() {
  if (!glyph_) {
    // A leaf of a wall calendar, 14 x 12: a dark head and a grid of days.
    glyph_ = std::make_unique<TBitmap>(14, 12);
    TCanvas& c = glyph_->Canvas();
    c.Brush().Style = bsSolid;
    c.Brush().Color = ColorToRGB(clBtnFace);
    c.FillRect(Rect(0, 0, 14, 12));
    c.Brush().Color = ColorToRGB(clWhite);
    c.Pen().Color = ColorToRGB(clBlack);
    c.Rectangle(1, 1, 13, 12);
    c.Brush().Color = ColorToRGB(0x800000);  // navy
    c.FillRect(Rect(1, 1, 13, 4));
    for (int row = 0; row < 3; ++row)
      for (int col = 0; col < 4; ++col) glyph_->SetPixel(3 + col * 2, 5 + row * 2, clBlack);
  }
  return glyph_.get();
}

TEcPopupWindow* TECOverCalendar::GetPopupWindow() {
  const bool fresh = !popup_;
  TEcPopupWindow* window = TECOverPopupEditor::GetPopupWindow();
  if (fresh) {
    popup_->Calendar().SetColor(clBtnFace);
    popup_->Calendar().SetFixedColor(clBtnFace);
  }
  return window;
}

void TECOverCalendar::ConnectHandlers() {
  if (resultHandler_)
    popup_->Calendar().OnResultClick = [this](TObject*, int r) { resultHandler_(popup_.get(), r); };
}

void TECOverCalendar::GetPopupText(std::string& text) {
  text = popup_ ? DateToText(popup_->Calendar().CalendarDate()) : std::string();
}

void TECOverCalendar::SetPopupText(const std::string& text) {
  TDateTime d = 0;
  if (popup_ && TryTextToDate(text, d)) popup_->SetValue(TDateValue{d});
}

void RegisterCalendarForms() {
  RegisterForm("ECPopupCalendar", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto popup = std::make_unique<TECPopupCalendar>(nullptr);
    TDateTime d = 0;
    TryEncodeDate(2024, 2, 29, d);
    popup->SetValue(TDateValue{d});
    return popup;
  });
}

}  // namespace qs

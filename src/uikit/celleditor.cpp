#include "uikit/celleditor.h"

#include <algorithm>

#include "base/strings.h"
#include "platform/actions.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/timers.h"
#include "uikit/calendar.h"
#include "uikit/frames.h"
#include "uikit/grid.h"
#include "uikit/language.h"
#include "uikit/messagebox.h"
#include "uikit/picker.h"

namespace qs {

namespace {

// The language record of the pickers' and edit controls' own texts.
constexpr const char* kTextsRecord = "ECPickers";
// Typed characters further apart than this start a new search.
constexpr uint32_t kSearchPause = 2000;
constexpr size_t kMaxSearchText = 32;

bool MayTypeCharacter(uint16_t vk, TShiftState shift) {
  if (vk == 0) return true;
  if (shift & (ssCtrl | ssAlt)) return false;
  return vk == VK_SPACE || vk == VK_BACK || (vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z') ||
         (vk >= VK_NUMPAD0 && vk <= VK_DIVIDE) || vk >= VK_OEM_1;
}

void FrameRect(TCanvas& c, const TRect& r) {
  c.FillRect(Rect(r.Left, r.Top, r.Right, r.Top + 1));
  c.FillRect(Rect(r.Left, r.Bottom - 1, r.Right, r.Bottom));
  c.FillRect(Rect(r.Left, r.Top, r.Left + 1, r.Bottom));
  c.FillRect(Rect(r.Right - 1, r.Top, r.Right, r.Bottom));
}

void FocusRect(TCanvas& c, const TRect& r) {
  c.Brush().Style = bsClear;
  c.Pen().Style = psDot;
  c.Pen().Color = ColorToRGB(clHighlightText);
  c.Rectangle(r);
  c.Pen().Style = psSolid;
  c.Brush().Style = bsSolid;
}

}  // namespace

std::string PickerText(int index, const char* english) {
  if (TECLanguage* engine = GlobalLanguage())
    if (std::optional<uint32_t> record = engine->FindFormRecord(kTextsRecord)) {
      std::string text = engine->Data().Message(*record, index);
      if (!text.empty()) return text;
    }
  return english;
}

void RefuseValue(TEditType type, const std::string& text) {
  std::string message;
  switch (type) {
    case etInteger: message = PickerText(0, "'%s' is not a valid integer value."); break;
    case etReal:
    case etCurrency: message = PickerText(1, "'%s' is not a valid number."); break;
    case etDate: message = PickerText(2, "'%s' is not a valid date."); break;
    case etTime: message = PickerText(3, "'%s' is not a valid time."); break;
    case etString: return;
  }
  // The text goes where the message has "%s" (a translation is not a
  // format to trust).
  const size_t at = message.find("%s");
  if (at != std::string::npos) message.replace(at, 2, text);
  ShowMessageBlock(Application().Title, message, kMessageWarning, kMessageOk);
}

TSampleTexts::TSampleTexts(TCustomForm& form) : lang_(new TECFormLanguage(&form)) {
  lang_->SetExLanguage(kDefaultLanguage);
  lang_->Loaded();
}

std::string TSampleTexts::operator()(int index, const char* english) const {
  return lang_->GetMessage(index, english);
}

// ------------------------------------------------------------ TPopupListbox

TPopupListbox::TPopupListbox(TComponent* owner) : TCustomForm(owner) {
  SetBorderStyle(bsNone);
  SetNoActivate(true);
  SetFormStyle(fsStayOnTop);
  SetColor(clWindow);
  SetVisible(false);
  scrollBar_ = new TScrollBar(this);
  scrollBar_->SetKind(sbVertical);
  scrollBar_->SetVisible(false);
  scrollBar_->SetParent(this);
  scrollBar_->OnChange = [this](TObject*) {
    if (!updatingScrollBar_) SetTopIndex(scrollBar_->Position());
  };
}

void TPopupListbox::SetItems(const TStringList& items) {
  items_ = items;
  itemIndex_ = -1;
  topIndex_ = 0;
  Invalidate();
  UpdateScrollBar();
}

void TPopupListbox::SetTopIndex(int v) {
  v = std::clamp(v, 0, std::max(0, items_.Count() - VisibleItems()));
  if (v == topIndex_) return;
  topIndex_ = v;
  Invalidate();
  UpdateScrollBar();
}

void TPopupListbox::UpdateScrollBar() {
  const bool show = items_.Count() > VisibleItems();
  updatingScrollBar_ = true;
  if (show) {
    const int w = GetSystemMetrics(SM_CXVSCROLL);
    scrollBar_->SetBounds(ClientWidth() - 1 - w, 1, w, std::max(0, ClientHeight() - 2));
    scrollBar_->SetParams(topIndex_, 0, items_.Count() - 1, VisibleItems());
    scrollBar_->LargeChange = VisibleItems();
  }
  scrollBar_->SetVisible(show);
  updatingScrollBar_ = false;
}

int TPopupListbox::ItemsRight() const {
  return ClientWidth() - 2 - (scrollBar_->Visible() ? scrollBar_->Width() : 0);
}

void TPopupListbox::Resize() {
  TCustomForm::Resize();
  UpdateScrollBar();
}

int TPopupListbox::ItemHeight() const {
  // The list shows its items in its font's line height.
  TBitmap probe(1, 1);
  probe.Canvas().Font() = Font();
  return std::max(11, probe.Canvas().TextHeight(std::string_view("Wg")) + 2);
}

int TPopupListbox::VisibleItems() const { return std::max(1, (ClientHeight() - 4) / ItemHeight()); }

int TPopupListbox::ItemAt(int x, int y) const {
  if (x < 0 || x >= ItemsRight() || y < 2) return -1;
  const int i = topIndex_ + (y - 2) / ItemHeight();
  return i < items_.Count() && i < topIndex_ + VisibleItems() ? i : -1;
}

void TPopupListbox::MakeVisible(int index) {
  if (index < 0) return;
  if (index < topIndex_) SetTopIndex(index);
  else if (index >= topIndex_ + VisibleItems()) SetTopIndex(index - VisibleItems() + 1);
}

void TPopupListbox::SetItemIndex(int v) {
  if (v < -1 || v >= items_.Count()) v = -1;
  itemIndex_ = v;
  MakeVisible(v);
  Invalidate();
}

void TPopupListbox::Paint() {
  TCanvas& c = Canvas();
  c.Brush().Style = bsSolid;
  c.Brush().Color = ColorToRGB(Color());
  c.FillRect(ClientRect());
  UseFont(c, Font());
  const int h = ItemHeight();
  for (int i = topIndex_; i < items_.Count() && i < topIndex_ + VisibleItems(); ++i) {
    const TRect r = Rect(2, 2 + (i - topIndex_) * h, ItemsRight(), 2 + (i - topIndex_ + 1) * h);
    const bool sel = i == itemIndex_;
    c.Brush().Color = ColorToRGB(sel ? clHighlight : Color());
    c.FillRect(r);
    c.Font().Color = ColorToRGB(sel ? clHighlightText : Font().Color);
    c.Brush().Style = bsClear;
    c.TextOut(r.Left + 2, r.Top + 1, std::string_view(items_[i]));
    c.Brush().Style = bsSolid;
  }
  c.Brush().Style = bsClear;
  c.Pen().Color = ColorToRGB(clWindowFrame);
  c.Pen().Style = psSolid;
  c.Rectangle(ClientRect());
}

void TPopupListbox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) {
    SetMouseCapture(true);
    const int i = ItemAt(x, y);
    if (i >= 0) SetItemIndex(i);
  }
  TCustomForm::MouseDown(button, shift, x, y);
}

void TPopupListbox::MouseMove(TShiftState shift, int x, int y) {
  if (shift & ssLeft) {
    const int i = ItemAt(x, y);
    if (i >= 0 && i != itemIndex_) SetItemIndex(i);
  }
  TCustomForm::MouseMove(shift, x, y);
}

void TPopupListbox::KeyDown(uint16_t& key, TShiftState shift) {
  int i = itemIndex_;
  switch (key) {
    case VK_UP: i = std::max(0, i - 1); break;
    case VK_DOWN: i = std::min(items_.Count() - 1, i + 1); break;
    case VK_PRIOR: i = std::max(0, i - VisibleItems()); break;
    case VK_NEXT: i = std::min(items_.Count() - 1, i + VisibleItems()); break;
    case VK_HOME: i = 0; break;
    case VK_END: i = items_.Count() - 1; break;
    default: TCustomForm::KeyDown(key, shift); return;
  }
  if (items_.Count() > 0) SetItemIndex(i);
  key = 0;
}

void TPopupListbox::KeyPress(char16_t& key) {
  if (key == 8 || key == 27) {
    searchText_.clear();
    return;
  }
  if (key < 32 || key > 255) return;
  const uint64_t now = GetTickCount();
  if (now - lastSearchTick_ > kSearchPause) searchText_.clear();
  lastSearchTick_ = now;
  if (searchText_.size() < kMaxSearchText) searchText_ += static_cast<char>(key);
  for (int i = 0; i < items_.Count(); ++i)
    if (StartsText(searchText_, items_[i])) {
      SetItemIndex(i);
      break;
    }
  key = 0;
}

bool TPopupListbox::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  if (TCustomForm::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
  SetTopIndex(topIndex_ + (wheelDelta > 0 ? -1 : 1));
  return true;
}

// ---------------------------------------------------------- TEditButtonArea

TEditButtonArea::TEditButtonArea(TDropDownEdit* edit, bool face) : TCustomControl(edit), edit_(edit), face_(face) {
  SetParent(edit);
  SetVisible(false);
  SetCursor(crArrow);
}

void TEditButtonArea::Paint() {
  TCanvas& c = Canvas();
  c.Brush().Style = bsSolid;
  c.Brush().Color = ColorToRGB(edit_->Color());
  c.FillRect(ClientRect());
  if (!edit_->ButtonShown()) return;
  if (face_) edit_->PaintFace(c, ClientRect());
  else edit_->PaintButton(c, ClientRect());
}

void TEditButtonArea::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  const TPoint p = ToEdit(x, y);
  if (face_) {
    if (edit_->CanFocus() && !edit_->Focused()) edit_->SetFocus();
    edit_->MouseDown(button, shift, p.X, p.Y);
  } else if (!(shift & ssDouble)) {
    // A double click on the button is swallowed.
    edit_->ButtonMouseDown(button, shift, p.X, p.Y);
  }
}

void TEditButtonArea::MouseMove(TShiftState shift, int x, int y) {
  const TPoint p = ToEdit(x, y);
  if (!face_) edit_->ButtonMouseMove(shift, p.X, p.Y);
}

void TEditButtonArea::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const TPoint p = ToEdit(x, y);
  if (!face_) edit_->ButtonMouseUp(button, shift, p.X, p.Y);
}

// ------------------------------------------------------------ TDropDownEdit

TDropDownEdit::TDropDownEdit(TComponent* owner)
    : TEdit(owner), buttonWidth_(GetSystemMetrics(SM_CXVSCROLL)) {
  button_ = new TEditButtonArea(this, false);
  face_ = new TEditButtonArea(this, true);
}

TDropDownEdit::~TDropDownEdit() {
  // The drop-downs go before the edit box they report to.
  if (popup_) popup_->SetVisible(false);
  pickList_.reset();
  picker_.reset();
}

TRect TDropDownEdit::ButtonRect() const {
  if (kind_ == bkTrackBar && !pickerActive_) return ClientRect();
  return Rect(ClientWidth() - buttonWidth_, 0, ClientWidth(), ClientHeight());
}

void TDropDownEdit::Resize() {
  TEdit::Resize();
  UpdateEditRect();
}

void TDropDownEdit::SetButtonWidth(int v) {
  if (v == buttonWidth_) return;
  buttonWidth_ = v;
  UpdateEditRect();
}

TPopupListbox& TDropDownEdit::EnsurePickList() {
  if (!pickList_) {
    pickList_ = std::make_unique<TPopupListbox>(nullptr);
    pickList_->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState, int x, int y) { ListMouseUp(b, x, y); };
  }
  return *pickList_;
}

void TDropDownEdit::UsePicker(TPickerKind kind) {
  if (kind == TPickerKind::None) {
    pickerActive_ = false;
    return;
  }
  if (!picker_ || pickerKind_ != kind) {
    if (listVisible_) CloseUp(false);
    if (picker_ && popup_ == picker_->GetPopupWindow()) popup_ = nullptr;
    switch (kind) {
      case TPickerKind::Calculator: picker_ = std::make_unique<TECOverCalculator>(this); break;
      case TPickerKind::Calendar: picker_ = std::make_unique<TECOverCalendar>(this); break;
      case TPickerKind::Time: picker_ = std::make_unique<TECOverTime>(this); break;
      case TPickerKind::None: break;
    }
    pickerKind_ = kind;
    picker_->SetChangeHandler([this](TObject*) { PickerChanged(); });
    picker_->SetResultHandler([this](TObject*, int r) { PickerResult(r); });
  }
  pickerActive_ = true;
}

void TDropDownEdit::SetButtonKind(TButtonKind kind) {
  if (pickerActive_ && picker_) {
    kind_ = kind;
    TEcPopupWindow* window = picker_->GetPopupWindow();
    window->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState, int x, int y) { ListMouseUp(b, x, y); };
    popup_ = window;
  } else {
    if (listVisible_ && popup_ && popup_ != pickList_.get()) CloseUp(false);
    kind_ = kind;
    popup_ = kind == bkPickList ? &EnsurePickList() : nullptr;
  }
  UpdateEditRect();
  button_->Invalidate();
}

void TDropDownEdit::UpdateEditRect() {
  const bool button = HasButton();
  const TRect b = ButtonRect();
  button_->SetBounds(b.Left, b.Top, b.Width(), b.Height());
  button_->SetVisible(button);
  int right = Width() - 2;
  if (button && !(kind_ == bkTrackBar && !pickerActive_)) right -= buttonWidth_;
  SetFormatRect(Rect(2, 1, std::max(2, right), Height()));
  const bool face = DrawsOwnText();
  face_->SetBounds(1, 1, std::max(0, Width() - buttonWidth_ - 2), std::max(0, Height() - 2));
  face_->SetVisible(face);
  if (face) face_->Invalidate();
}

void TDropDownEdit::DropDown() {
  if (listVisible_ || !CanDropDown() || !popup_) return;
  if (!pickerActive_) popup_->SetWidth(Width());
  if (!PrepareDropDown()) return;
  const TPoint p = ClientToScreen({0, 0});
  const int h = popup_->Height(), w = popup_->Width();
  int y = p.Y + Height();
  if (y + h > Screen().Height()) y = p.Y - h;
  const int x = std::max(0, p.X + Width() - w);
  popup_->SetBounds(x, y, w, h);
  popup_->SetVisible(true);
  listVisible_ = true;
  button_->Invalidate();
  face_->Invalidate();
  if (CanFocus() && !Focused()) SetFocus();
}

void TDropDownEdit::CloseUp(bool accept) {
  if (!listVisible_ || inPickerChange_) return;
  if (pickerActive_ && picker_ && !picker_->PopupHasValue()) accept = false;
  if (TControl* capture = Application().CaptureControl()) capture->CancelMode();
  tracking_ = false;
  std::string item;
  bool hasItem = false;
  if (!pickerActive_ && pickList_ && popup_ == pickList_.get() && pickList_->ItemIndex() >= 0) {
    item = pickList_->Items()[pickList_->ItemIndex()];
    hasItem = true;
  }
  popup_->SetVisible(false);
  listVisible_ = false;
  pressed_ = false;
  button_->Invalidate();
  face_->Invalidate();
  ClosedUp(accept, pickerActive_, item, hasItem);
}

void TDropDownEdit::KeyDown(uint16_t& key, TShiftState shift) {
  if (UsesDropDownKeys()) {
    const bool alt = shift & ssAlt;
    if ((key == VK_RETURN || key == VK_ESCAPE) && listVisible_ && !alt) {
      CloseUp(key == VK_RETURN);
      key = 0;
      return;
    }
    if ((key == VK_UP || key == VK_DOWN) && alt) {
      AltArrow();
      key = 0;
      return;
    }
    if (listVisible_ && popup_) {
      popup_->KeyDown(key, shift);
      // A key that types a character goes on to the drop-down as that
      // character; the edit box itself takes no key while it is open.
      if (!MayTypeCharacter(key, shift)) key = 0;
      return;
    }
  }
  EditKeyDown(key, shift);
  if (key == 0) return;
  TEdit::KeyDown(key, shift);
}

void TDropDownEdit::KeyPress(char16_t& key) {
  if (UsesDropDownKeys() && listVisible_ && popup_) {
    popup_->KeyPress(key);
    key = 0;
    return;
  }
  EditKeyPress(key);
  if (key == 0) return;
  TEdit::KeyPress(key);
  face_->Invalidate();
}

void TDropDownEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft && HasButton() && listVisible_) CloseUp(false);
  TEdit::MouseDown(button, shift, x, y);
}

void TDropDownEdit::DoExit() {
  CloseUp(false);
  TEdit::DoExit();
  face_->Invalidate();
}

void TDropDownEdit::CancelMode() {
  if (!pickerActive_) CloseUp(false);
  TEdit::CancelMode();
}

void TDropDownEdit::TrackButton(int x, int y) {
  const TRect r = ButtonRect();
  const bool p = HasButton() && r.Contains({x, y});
  if (p == pressed_) return;
  pressed_ = p;
  stepDown_ = !(y >= r.Top && y < r.Top + r.Height() / 2);
  button_->Invalidate();
}

void TDropDownEdit::StopTracking() {
  if (!tracking_) return;
  TrackButton(-1, -1);
  tracking_ = false;
  if (button_->MouseCapture()) button_->SetMouseCapture(false);
}

void TDropDownEdit::ListMouseUp(TMouseButton button, int x, int y) {
  if (button != mbLeft || !popup_) return;
  if (popup_->MouseCapture()) popup_->SetMouseCapture(false);
  CloseUp(popup_->ClientRect().Contains({x, y}));
}

void TDropDownEdit::ButtonMouseDown(TMouseButton button, TShiftState, int x, int y) {
  if (button != mbLeft || !HasButton()) return;
  if (CanFocus() && !Focused()) SetFocus();
  if (listVisible_) {
    CloseUp(false);
    return;
  }
  if (!CanDropDown() || !ButtonRect().Contains({x, y})) return;
  button_->SetMouseCapture(true);
  tracking_ = true;
  TrackButton(x, y);
  ButtonDown();
}

void TDropDownEdit::ButtonMouseMove(TShiftState, int x, int y) {
  if (!tracking_) return;
  TrackButton(x, y);
  if (!listVisible_ || !popup_) return;
  const TPoint local = popup_->ScreenToClient(ClientToScreen({x, y}));
  if (!popup_->ClientRect().Contains(local)) return;
  // The open list takes the drag over.
  StopTracking();
  popup_->SetMouseCapture(true);
  popup_->MouseDown(mbLeft, ssLeft, local.X, local.Y);
}

void TDropDownEdit::ButtonMouseUp(TMouseButton button, TShiftState, int, int) {
  const bool wasPressed = pressed_;
  StopTracking();
  ButtonUp(button, wasPressed);
}

void TDropDownEdit::PaintButton(TCanvas& canvas, const TRect& rect) {
  if (pickerActive_) {
    PaintPickerButton(canvas, rect);
    return;
  }
  switch (kind_) {
    case bkPickList: PaintComboButton(canvas, rect); break;
    case bkEllipsis: PaintEllipsisButton(canvas, rect); break;
    case bkUpDown: PaintUpDownButton(canvas, rect); break;
    default: break;
  }
}

void TDropDownEdit::PaintButtonFace(TCanvas& c, const TRect& r) {
  c.Brush().Color = ColorToRGB(clBtnFace);
  c.FillRect(r);
  if (pressed_) {
    c.Brush().Color = ColorToRGB(clBtnShadow);
    FrameRect(c, r);
  } else {
    DrawEdge(c, r, TEdgeKind::Raised);
  }
}

void TDropDownEdit::PaintPickerButton(TCanvas& c, const TRect& r) {
  PaintButtonFace(c, r);
  const TBitmap* glyph = picker_ ? picker_->GetButtonGlyph() : nullptr;
  if (!glyph) return;
  const int shift = pressed_ ? 1 : 0;
  TRect g = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  if (glyph->Width() < r.Width() - 2) {
    g.Left = r.Left + (r.Width() - glyph->Width()) / 2;
    g.Right = g.Left + glyph->Width();
  }
  if (glyph->Height() < r.Height() - 2) {
    g.Top = r.Top + (r.Height() - glyph->Height()) / 2;
    g.Bottom = g.Top + glyph->Height();
  }
  g.Offset(shift, shift);
  c.StretchDraw(g, *glyph);
}

void TDropDownEdit::PaintComboButton(TCanvas& c, const TRect& r) {
  const bool hasList = popup_ != nullptr;
  const TRect inside = DrawButtonFrame(c, r, pressed_ && hasList);
  DrawArrow(c, inside, asDown, hasList ? clBtnText : clGrayText);
}

void TDropDownEdit::PaintEllipsisButton(TCanvas& c, const TRect& r) {
  PaintButtonFace(c, r);
  const int s = buttonWidth_ <= 7 ? 1 : buttonWidth_ / 8;
  const int cx = r.Left + r.Width() / 2 - 1 + (pressed_ ? 1 : 0);
  const int cy = r.Top + r.Height() / 2 - 1 + (pressed_ ? 1 : 0);
  c.Brush().Color = ColorToRGB(clBlack);
  for (int x : {cx - 2 * s, cx, cx + 2 * s}) c.FillRect(Rect(x, cy, x + s, cy + s));
}

void TDropDownEdit::PaintUpDownButton(TCanvas& c, const TRect& r) {
  const int mid = r.Top + r.Height() / 2;
  DrawScrollArrow(c, Rect(r.Left, r.Top, r.Right, mid), asUp, pressed_ && !stepDown_, true);
  DrawScrollArrow(c, Rect(r.Left, mid, r.Right, r.Bottom), asDown, pressed_ && stepDown_, true);
}

void TDropDownEdit::PaintFace(TCanvas& c, const TRect& r) {
  const bool focused = Focused() && !listVisible_;
  UseFont(c, Font());
  c.Brush().Color = ColorToRGB(focused ? clHighlight : Color());
  c.FillRect(r);
  c.Font().Color = ColorToRGB(focused ? clHighlightText : Font().Color);
  c.Brush().Style = bsClear;
  const std::string text = Text();
  c.TextOut(1, std::max(1, (r.Height() - c.TextHeight(std::string_view(text.empty() ? "W" : text))) / 2),
            std::string_view(text));
  c.Brush().Style = bsSolid;
  if (focused) FocusRect(c, r);
}

// ------------------------------------------------------------- TInplaceEdit

TInplaceEdit::TInplaceEdit(TCustomGrid* grid) : TDropDownEdit(grid), grid_(grid) {
  SetTabStop(false);
  OnChange = [this](TObject*) {
    if (!settingText_) grid_->SetEditText(grid_->Col(), grid_->Row(), Text());
  };
}

void TInplaceEdit::SetTextQuietly(const std::string& text) {
  settingText_ = true;
  SetText(text);
  settingText_ = false;
  face_->Invalidate();
}

void TInplaceEdit::UpdateContents() {
  SetTextQuietly(grid_->GetEditText(grid_->Col(), grid_->Row()));
  SetReadOnly(!grid_->CanEditModify());
}

void TInplaceEdit::KeyDown(uint16_t& key, TShiftState shift) {
  // The drop-down keys first; what they leave moves between cells.
  const bool open = listVisible_;
  if (UsesDropDownKeys() && (open || ((key == VK_UP || key == VK_DOWN) && (shift & ssAlt)))) {
    TDropDownEdit::KeyDown(key, shift);
    return;
  }
  if (key == VK_ESCAPE && !(shift & (ssAlt | ssCtrl))) {
    grid_->CancelEdit();
    if (!(grid_->Options() & goAlwaysShowEditor)) grid_->HideEditor();
    key = 0;
    return;
  }
  if (key == VK_RETURN && !(shift & (ssAlt | ssCtrl))) {
    if (grid_->CheckEdit() && !(grid_->Options() & goAlwaysShowEditor)) grid_->HideEditor();
    key = 0;
    return;
  }
  if (!(shift & ssAlt) && (key == VK_UP || key == VK_DOWN || key == VK_PRIOR || key == VK_NEXT)) {
    grid_->KeyDown(key, shift);
    return;
  }
  TDropDownEdit::KeyDown(key, shift);
}

void TInplaceEdit::DoExit() {
  TDropDownEdit::DoExit();
  // A value that is not one of the cell's type does not stay behind when
  // the focus goes elsewhere.
  if (grid_->EditorMode()) grid_->CheckEdit();
}

void TInplaceEdit::StartRepeat(int firstMs, int nextMs) {
  repeatArmed_ = false;
  repeatTimer_ = std::make_unique<TTimer>(nullptr);
  repeatTimer_->SetInterval(firstMs);
  repeatTimer_->OnTimer = [this, nextMs](TObject*) {
    // The first tick only arms the repeat: a short press steps once, and
    // holding on steps again one fast interval after the first wait.
    if (repeatArmed_) RepeatStep();
    repeatArmed_ = true;
    repeatTimer_->SetInterval(nextMs);
  };
  repeatTimer_->SetEnabled(true);
}

void TInplaceEdit::StopRepeat() { repeatTimer_.reset(); }

void TInplaceEdit::ButtonUp(TMouseButton, bool) { StopRepeat(); }

}  // namespace qs

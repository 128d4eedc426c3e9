#include "uikit/calculator.h"

#include <cctype>
#include <cstring>

#include "platform/actions.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/keys.h"
#include "platform/timers.h"
#include "uikit/localeformats.h"

namespace qs {

namespace {

struct TCalcButtonSpec {
  const char* caption;  // nullptr: the locale decimal separator
  int x, y, width;
  TColor color;
  int glyph = -1;
};

constexpr TColor kPurple = 0x800080;
constexpr TColor kMaroon = 0x000080;
constexpr TColor kNavy = 0x800000;

// Compact layout, by kind 1..22 (kinds 17-19 have no button here).
const TCalcButtonSpec kCompact[22] = {
    {"0", 6, 75, 21, clBtnText},  {"1", 6, 52, 21, clBtnText},  {"2", 29, 52, 21, clBtnText},
    {"3", 52, 52, 21, clBtnText}, {"4", 6, 29, 21, clBtnText},  {"5", 29, 29, 21, clBtnText},
    {"6", 52, 29, 21, clBtnText}, {"7", 6, 6, 21, clBtnText},   {"8", 29, 6, 21, clBtnText},
    {"9", 52, 6, 21, clBtnText},  {"-", 52, 75, 21, clBtnText}, {nullptr, 29, 75, 21, clBtnText},
    {"/", 75, 6, 21, kPurple},    {"*", 75, 29, 21, kPurple},   {"-", 75, 52, 21, kPurple},
    {"+", 75, 75, 21, kPurple},   {nullptr, -1, 0, 0, 0},       {nullptr, -1, 0, 0, 0},
    {nullptr, -1, 0, 0, 0},       {"=", 52, 98, 44, kPurple},   {"<-", 29, 98, 21, kMaroon},
    {"C", 6, 98, 21, kMaroon},
};

// Full layout, by kind 1..28; glyph: index into the six button pictures.
const TCalcButtonSpec kFull[28] = {
    {"0", 47, 104, 36, clBtnText},     {"1", 47, 80, 36, clBtnText},      {"2", 85, 80, 36, clBtnText},
    {"3", 123, 80, 36, clBtnText},     {"4", 47, 56, 36, clBtnText},      {"5", 85, 56, 36, clBtnText},
    {"6", 123, 56, 36, clBtnText},     {"7", 47, 32, 36, clBtnText},      {"8", 85, 32, 36, clBtnText},
    {"9", 123, 32, 36, clBtnText},     {"-", 85, 104, 36, clBtnText, 2},  {nullptr, 123, 104, 36, clBtnText},
    {"/", 161, 32, 36, kPurple},       {"*", 161, 56, 36, kPurple, 3},    {"-", 161, 80, 36, kPurple, 4},
    {"+", 161, 104, 36, kPurple, 5},   {"sqrt", 199, 32, 36, kNavy},      {"%", 199, 56, 36, kNavy},
    {"1/x", 199, 80, 36, kNavy},       {"=", 199, 104, 36, kPurple},      {"<-", 145, 6, 44, kMaroon},
    {"C", 191, 6, 44, kMaroon},        {"MP", 5, 104, 36, kNavy},         {"MS", 5, 80, 36, kNavy},
    {"MR", 5, 56, 36, kNavy},          {"MC", 5, 32, 36, kNavy},          {nullptr, 47, 6, 36, clBtnText, 1},
    {nullptr, 85, 6, 36, clBtnText, 0},
};

// The six 14 x 13 button pictures of the full layout: 0 Cancel, 1 OK,
// 2 sign change, 3 multiply, 4 minus, 5 plus.
void DrawCalcGlyph(TBitmap& glyph, int index) {
  glyph.SetSize(14, 13);
  TCanvas& c = glyph.Canvas();
  c.Brush().Style = bsSolid;
  c.Brush().Color = clWhite;
  c.FillRect(TRect{0, 0, 14, 13});
  auto line = [&](TColor color, int x1, int y1, int x2, int y2) {
    c.Pen().Color = color;
    c.Pen().Width = 2;
    c.MoveTo(x1, y1);
    c.LineTo(x2, y2);
  };
  switch (index) {
    case 0: line(0x0000C0, 3, 2, 11, 10); line(0x0000C0, 11, 2, 3, 10); break;
    case 1: line(0x008000, 2, 7, 5, 10); line(0x008000, 5, 10, 12, 2); break;
    case 2: line(clBlack, 7, 1, 7, 7); line(clBlack, 4, 4, 10, 4); line(clBlack, 4, 10, 10, 10); break;
    case 3: line(kPurple, 4, 3, 10, 9); line(kPurple, 10, 3, 4, 9); break;
    case 4: line(kPurple, 3, 6, 11, 6); break;
    case 5: line(kPurple, 3, 6, 11, 6); line(kPurple, 7, 2, 7, 10); break;
    default: break;
  }
  glyph.Transparent = true;
  glyph.SetTransparentColor(clWhite);
}

// The characters FindButton maps, position p -> the button of Tag p - 1.
const char kButtonKeys[] = "0123456789_./*-+Q%R=\bC";

TFont CalculatorFont() {
  TFont f;
  f.Name = "MS Sans Serif";
  f.Height = -11;
  f.Style = fsBold;
  f.Color = clWindowText;
  return f;
}

}  // namespace

TECCalcButton::TECCalcButton(TComponent* owner, int kind) : TSpeedButton(owner), kind_(kind) {
  Tag = kind >= 1 && kind <= 22 ? kind - 1 : -1;
}

TECCalculatorPanel::TECCalculatorPanel(TComponent* owner, int layout) : TPanel(owner) {
  SetBevelOuter(bvNone);
  SetBevelInner(bvNone);
  SetColor(clBtnFace);
  SetFont(CalculatorFont());
  const bool full = layout == kCalcLayoutFull;
  SetBounds(0, 0, full ? 240 : 98, full ? 129 : 124);
  const int kinds = full ? 28 : 22;
  for (int kind = 1; kind <= kinds; ++kind) {
    const TCalcButtonSpec& s = full ? kFull[kind - 1] : kCompact[kind - 1];
    if (s.x < 0) continue;
    auto* b = new TECCalcButton(this, kind);
    b->SetParent(this);
    b->SetBounds(s.x, s.y, s.width, full ? 22 : 21);
    TFont f = CalculatorFont();
    f.Color = s.color;
    b->SetFont(f);
    if (full && s.glyph >= 0) DrawCalcGlyph(b->Glyph(), s.glyph);
    else b->SetCaption(s.caption ? s.caption : std::string(1, FormatSettings().DecimalSeparator));
    b->OnClick = [this, kind](TObject*) { ButtonClick(kind); };
  }
  if (full) {
    // The memory indicator: "M" while the memory holds a number.
    memoryPanel_ = new TPanel(this);
    memoryPanel_->SetParent(this);
    memoryPanel_->SetBounds(6, 7, 34, 20);
    memoryPanel_->SetBevelOuter(bvNone);
    memoryPanel_->SetBevelInner(bvLowered);
    memoryLabel_ = new TLabel(this);
    memoryLabel_->SetParent(memoryPanel_);
    memoryLabel_->AutoSize = false;
    memoryLabel_->SetBounds(3, 3, 26, 14);
    memoryLabel_->SetAlignment(taCenter);
    OnMemoryChange = [this] { memoryLabel_->SetCaption(Memory() != 0 ? "M" : ""); };
  }
}

void TECCalculatorPanel::TextChanged() {
  if (DisplayControl) DisplayControl->SetCaption(Text());
}

void TECCalculatorPanel::ButtonClick(int kind) {
  static const char kKeys[22] = {'0', '1', '2', '3', '4', '5', '6', '7', '8', '9', '_',
                                 '.', '/', '*', '-', '+', 'Q', '%', 'R', '=', kBackspace, 'C'};
  if (kind >= 1 && kind <= 22) {
    CalcKey(kind == 12 ? FormatSettings().DecimalSeparator : kKeys[kind - 1]);
    return;
  }
  switch (kind) {
    case 23: MemoryPlus(); break;
    case 24: MemoryStore(); break;
    case 25: MemoryRecall(); break;
    case 26: MemoryClear(); break;
    case 27:
      if (Ok() && OnOk) OnOk();
      break;
    case 28:
      if (OnCancel) OnCancel();
      break;
    default: break;
  }
}

TECCalcButton* TECCalculatorPanel::FindButton(char key) const {
  key = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
  if (key == FormatSettings().DecimalSeparator) key = '.';
  const char* p = std::strchr(kButtonKeys, key);
  if (key == 0 || !p) return nullptr;
  int tag = static_cast<int>(p - kButtonKeys);
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* b = dynamic_cast<TECCalcButton*>(Controls(i)); b && b->Tag == tag) return b;
  return nullptr;
}

TECLocCalculator::TECLocCalculator(TComponent* owner) : TECCalculatorPanel(owner, kCalcLayoutCompact) {
  SetTabStop(false);
}

TECPopupCalculator::TECPopupCalculator(TControl* ownerControl) : TEcPopupWindow(ownerControl) {
  SetBounds(0, 0, 104, 127);
  SetColor(clBtnFace);
  SetFont(CalculatorFont());
  calc_ = new TECLocCalculator(this);
  calc_->SetParent(this);
  calc_->SetAlign(alClient);
  calc_->SetBevelOuter(bvRaised);
  calc_->SetPrecision(15);
  // Until an edit control installs its own reactions.
  calc_->OnTextChange = [this] { InvalidateOwner(); };
  calc_->OnResult = [this](int) {
    if (calc_->Status() != TCalcState::Error) {
      calc_->SetDisplay(calc_->GetDisplay());
      // A result shown is not extended by the next digit.
      calc_->SetStatus(TCalcState::First);
      CloseUp(true);
    }
  };
}

TEditValue TECPopupCalculator::GetValue() {
  if (calc_->Status() == TCalcState::Error) {
    if (calc_->BeepOnError()) Beep();
    return std::string("0");
  }
  return calc_->GetDisplay();
}

void TECPopupCalculator::SetValue(const TEditValue& value) {
  double v = 0;
  if (const auto* s = std::get_if<std::string>(&value)) {
    if (!TryTextToFloat(*s, v)) v = 0;
  } else if (const auto* i = std::get_if<int>(&value)) {
    v = *i;
  } else if (const auto* d = std::get_if<double>(&value)) {
    v = *d;
  } else if (const auto* dt = std::get_if<TDateValue>(&value)) {
    v = dt->Value;
  }
  calc_->SetDisplay(v);
  calc_->SetStatus(TCalcState::First);
  calc_->SetOperator('=');
}

void TECPopupCalculator::CloseUp(bool accept) {
  // The default result reaction closes up again; once is enough.
  if (closing_) return;
  closing_ = true;
  if (calc_->OnResult) calc_->OnResult(accept ? 1 : 2);
  TEcPopupWindow::CloseUp(accept);
  closing_ = false;
}

void TECPopupCalculator::PopupKeyDown(uint16_t key) {
  if (key == VK_BACK) calc_->CalcKey(TECCalculatorEngine::kBackspace);
  else if (key == VK_ESCAPE && calc_->OnResult) calc_->OnResult(2);
}

void TECPopupCalculator::KeyDown(uint16_t& key, TShiftState shift) {
  // Backspace and Esc are taken here, so that their characters do not
  // follow and act a second time.
  if (shift == 0 && (key == VK_BACK || key == VK_ESCAPE)) {
    PopupKeyDown(key);
    key = 0;
  } else if (shift == ssCtrl && (key == 'C' || key == 'V')) {
    // Copying and pasting come as keys, not as the characters they type.
    calc_->CalcKey(key == 'C' ? TECCalculatorEngine::kCopy : TECCalculatorEngine::kPaste);
    key = 0;
  }
}

void TECPopupCalculator::KeyPress(char16_t& key) {
  if (key < 0x80) PopupKey(static_cast<char>(key));
  key = 0;
}

void TECPopupCalculator::PopupKey(char key) {
  const char dec = FormatSettings().DecimalSeparator;
  if (key == ',' || key == '.' || key == dec) key = '.';
  else if (key == TECCalculatorEngine::kEnter) key = '=';
  else if (key == TECCalculatorEngine::kEscape) key = 'C';
  if (TECCalcButton* b = calc_->FindButton(key)) {
    // The button of a typed key shows pressed for a moment, as if clicked.
    FlashUp();
    flashed_ = b;
    b->GroupIndex = kFlashGroup;
    b->AllowAllUp = true;
    b->SetDown(true);
    b->Repaint();
    if (!flashTimer_) {
      flashTimer_ = std::make_unique<TTimer>(nullptr);
      flashTimer_->SetInterval(kFlashMs);
      flashTimer_->OnTimer = [this](TObject*) { FlashUp(); };
    }
    flashTimer_->SetEnabled(false);
    flashTimer_->SetEnabled(true);
    calc_->ButtonClick(b->Kind());
  } else {
    calc_->CalcKey(key);
  }
}

void TECPopupCalculator::FlashUp() {
  if (flashTimer_) flashTimer_->SetEnabled(false);
  if (!flashed_) return;
  flashed_->SetDown(false);
  flashed_->GroupIndex = 0;
  flashed_->AllowAllUp = false;
  flashed_->Repaint();
  flashed_ = nullptr;
}

TECPopupCalculator::~TECPopupCalculator() = default;

}  // namespace qs

namespace qs {

void RegisterCalculatorForms() {
  RegisterForm("ECCalculatorPanel", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TForm>(nullptr);
    form->SetName("FCalculatorSample");
    form->SetBorderStyle(bsNone);
    form->SetClientWidth(240);
    form->SetClientHeight(129);
    auto* panel = new TECCalculatorPanel(form.get(), kCalcLayoutFull);
    panel->SetParent(form.get());
    panel->SetBevelOuter(bvRaised);
    for (char k : std::string("12.5")) panel->CalcKey(k);
    panel->ButtonClick(24);  // memory store: the indicator shows
    return form;
  });
  RegisterForm("ECPopupCalculator", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto popup = std::make_unique<TECPopupCalculator>(nullptr);
    popup->SetValue(12.5);
    return popup;
  });
}

}  // namespace qs

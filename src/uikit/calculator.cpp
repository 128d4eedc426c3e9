#include "uikit/calculator.h"

#include <cctype>
#include <cstring>

#include "platform/actions.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/keys.h"
#include "uikit/localeformats.h"

namespace qs {

namespace {

struct TCalcButtonSpec {
  const char* caption;  // nullptr: the locale decimal separator
  int x, y, width;
  TColor color;
};

constexpr TColor kPurple = 0x800080;
constexpr TColor kMaroon = 0x000080;

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
  // The full layout (memory keys, OK and Cancel) is not built: only the
  // drop-down's compact layout is used.
  (void)layout;
  SetBounds(0, 0, 98, 124);
  for (int kind = 1; kind <= 22; ++kind) {
    const TCalcButtonSpec& s = kCompact[kind - 1];
    if (s.x < 0) continue;
    auto* b = new TECCalcButton(this, kind);
    b->SetParent(this);
    b->SetBounds(s.x, s.y, s.width, 21);
    b->SetCaption(s.caption ? s.caption : std::string(1, FormatSettings().DecimalSeparator));
    TFont f = CalculatorFont();
    f.Color = s.color;
    b->SetFont(f);
    b->OnClick = [this, kind](TObject*) { ButtonClick(kind); };
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
  if (shift == 0 && (key == VK_BACK || key == VK_ESCAPE)) {
    PopupKeyDown(key);
    key = 0;
  }
}

void TECPopupCalculator::KeyPress(char16_t& key) {
  // Backspace arrives as a key-down and as a character; the key-down has
  // already taken one character away.
  if (key != TECCalculatorEngine::kBackspace && key < 0x80) PopupKey(static_cast<char>(key));
  key = 0;
}

void TECPopupCalculator::PopupKey(char key) {
  const char dec = FormatSettings().DecimalSeparator;
  if (key == ',' || key == '.' || key == dec) key = '.';
  else if (key == TECCalculatorEngine::kEnter) key = '=';
  else if (key == TECCalculatorEngine::kEscape) key = 'C';
  if (TECCalcButton* b = calc_->FindButton(key)) {
    b->Repaint();
    b->Click();
  } else {
    calc_->CalcKey(key);
  }
}

}  // namespace qs

namespace qs {

void RegisterCalculatorForms() {
  RegisterForm("ECPopupCalculator", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto popup = std::make_unique<TECPopupCalculator>(nullptr);
    popup->SetValue(12.5);
    return popup;
  });
}

}  // namespace qs

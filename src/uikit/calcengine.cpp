#include "uikit/calcengine.h"

#include <cctype>
#include <cmath>

#include "base/strings.h"
#include "platform/actions.h"
#include "platform/bitmap.h"
#include "platform/clipboard.h"
#include "uikit/localeformats.h"

namespace qs {

TECCalculatorEngine::TECCalculatorEngine() = default;

void TECCalculatorEngine::ErrorBeep() const {
  if (beepOnError_) Beep();
}

void TECCalculatorEngine::SetText(const std::string& text, bool notify) {
  if (text == text_) return;
  text_ = text;
  TextChanged();
  if (notify && OnTextChange) OnTextChange();
}

void TECCalculatorEngine::SetDisplay(double x) {
  // A result beyond the range of numbers is an error, not a text that
  // reads back as 0.
  if (!std::isfinite(x)) {
    Error();
    return;
  }
  std::string s = FloatToText(x, MaxDigits());
  status_ = TCalcState::Valid;
  if (s != text_) {
    SetText(s, true);
    if (OnDisplayChange) OnDisplayChange();
  }
}

double TECCalculatorEngine::GetDisplay() const {
  if (status_ == TCalcState::Error || text_.empty()) return 0;
  double v = 0;
  return TryTextToFloat(text_, v) ? v : 0;
}

void TECCalculatorEngine::Error() {
  status_ = TCalcState::Error;
  SetText("Error", false);
  ErrorBeep();
  if (OnError) OnError();
}

void TECCalculatorEngine::CheckFirst() {
  if (status_ != TCalcState::First) return;
  status_ = TCalcState::Valid;
  SetText("0", true);
}

void TECCalculatorEngine::Clear() {
  status_ = TCalcState::First;
  SetDisplay(0);
  operator_ = '=';
}

void TECCalculatorEngine::Operation(char key) {
  if (status_ == TCalcState::Valid) {
    status_ = TCalcState::First;
    double r = GetDisplay();
    if (key == '%') {
      if (operator_ == '*' || operator_ == '/') r = r / 100;
      else if (operator_ == '+' || operator_ == '-') r = operand_ * r / 100;
    }
    bool shown = true;
    switch (operator_) {
      case '*': SetDisplay(operand_ * r); break;
      case '+': SetDisplay(operand_ + r); break;
      case '-': SetDisplay(operand_ - r); break;
      case '/':
        if (r == 0) {
          Error();
          shown = false;
        } else {
          SetDisplay(operand_ / r);
        }
        break;
      default: shown = false; break;
    }
    if (shown && status_ != TCalcState::Error) status_ = TCalcState::First;
  }
  operator_ = key;
  operand_ = GetDisplay();
  if ((key == kEnter || key == '%' || key == '=') && OnResult) OnResult(1);
}

void TECCalculatorEngine::CalcKey(char key) {
  key = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
  if (status_ == TCalcState::Error && key != 'C' && key != kEscape) key = 0;
  if (OnKeyFilter) OnKeyFilter(key);
  const char dec = FormatSettings().DecimalSeparator;
  if (key == 0) return;
  if (key == ',' || key == '.' || key == dec) {
    CheckFirst();
    if (text_.find(dec) == std::string::npos) SetText(text_ + dec, true);
    return;
  }
  switch (key) {
    case kCopy: {
      TClipboard clipboard;
      clipboard.SetAsText(text_);
      return;
    }
    case kPaste: {
      TClipboard clipboard;
      if (!clipboard.HasFormat(CF_UNICODETEXT) && !clipboard.HasFormat(CF_TEXT)) return;
      std::string s = clipboard.AsText();
      const std::string& currency = FormatSettings().CurrencyString;
      if (!currency.empty())
        for (size_t p; (p = s.find(currency)) != std::string::npos;) s.erase(p, currency.size());
      double v = 0;
      if (TryTextToFloat(Trim(s), v)) SetDisplay(v);
      else SetText("0", true);
      return;
    }
    case kBackspace:
      CheckFirst();
      if (text_.size() == 1 || (text_.size() == 2 && text_[0] == '-')) SetText("0", true);
      else SetText(text_.substr(0, text_.size() - 1), true);
      return;
    case kEnter: case '%': case '*': case '+': case '-': case '/': case '=':
      Operation(key);
      return;
    case kEscape: case 'C':
      Clear();
      return;
    case 'Q': case 'R':
      if (status_ == TCalcState::Error) return;
      {
        status_ = TCalcState::First;
        double x = GetDisplay();
        if ((key == 'Q' && x < 0) || (key == 'R' && x == 0)) {
          Error();
          return;
        }
        SetDisplay(key == 'Q' ? std::sqrt(x) : 1 / x);
        if (status_ != TCalcState::Error) status_ = TCalcState::First;
      }
      return;
    case '_':
      SetDisplay(-GetDisplay());
      return;
    default:
      break;
  }
  if (key >= '0' && key <= '9') {
    CheckFirst();
    if (text_ == "0") text_.clear();
    if (text_.find('E') != std::string::npos) return;
    size_t limit = static_cast<size_t>(MaxDigits()) + (!text_.empty() && text_[0] == '-' ? 1 : 0);
    if (text_.size() < limit) SetText(text_ + key, true);
    else ErrorBeep();
  }
}

void TECCalculatorEngine::MemoryPlus() {
  if (status_ == TCalcState::Error) return;
  status_ = TCalcState::First;
  memory_ += GetDisplay();
  if (OnMemoryChange) OnMemoryChange();
}

void TECCalculatorEngine::MemoryStore() {
  if (status_ == TCalcState::Error) return;
  status_ = TCalcState::First;
  memory_ = GetDisplay();
  if (OnMemoryChange) OnMemoryChange();
}

void TECCalculatorEngine::MemoryRecall() {
  if (status_ == TCalcState::Error) return;
  status_ = TCalcState::First;
  CheckFirst();
  SetDisplay(memory_);
  if (OnMemoryChange) OnMemoryChange();
}

void TECCalculatorEngine::MemoryClear() {
  memory_ = 0;
  if (OnMemoryChange) OnMemoryChange();
}

bool TECCalculatorEngine::Ok() {
  if (status_ == TCalcState::Error) {
    ErrorBeep();
    return false;
  }
  SetDisplay(GetDisplay());
  return true;
}

}  // namespace qs

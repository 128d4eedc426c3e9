#include "uikit/picker.h"

#include "platform/canvas.h"
#include "platform/forms.h"
#include "uikit/localeformats.h"

namespace qs {

TECOverEditor::~TECOverEditor() = default;

int ScreenPixelsPerInchForPickers() { return Screen().PixelsPerInch(); }

void ScaleControl(TControl& control, int multiplier, int divisor) {
  auto scale = [&](int v) { return static_cast<int>(static_cast<long long>(v) * multiplier / divisor); };
  if (!control.ParentFont()) {
    TFont f = control.Font();
    f.Height = scale(f.Height);
    control.SetFont(f);
  }
  control.SetBounds(scale(control.Left()), scale(control.Top()), scale(control.Width()), scale(control.Height()));
  if (auto* w = dynamic_cast<TWinControl*>(&control))
    for (int i = 0; i < w->ControlCount(); ++i) ScaleControl(*w->Controls(i), multiplier, divisor);
}

namespace {

// A picker button's glyph before its picture: 14 x 12 in the button's
// colour, with a black pen.
std::unique_ptr<TBitmap> BlankGlyph() {
  auto glyph = std::make_unique<TBitmap>(14, 12);
  TCanvas& c = glyph->Canvas();
  c.Brush().Style = bsSolid;
  c.Brush().Color = clBtnFace;
  c.FillRect(TRect{0, 0, 14, 12});
  c.Pen().Color = clBlack;
  return glyph;
}

}  // namespace

TECOverCalculator::TECOverCalculator(TComponent* owner) : TECOverPopupEditor(owner) {
  ValidChars = std::string("+-0123456789Ee") + FormatSettings().DecimalSeparator;
}

const TBitmap* TECOverCalculator::GetButtonGlyph() {
  if (!glyph_) {
    // A small pocket calculator, 14 x 12: case, display, and keys.
    glyph_ = BlankGlyph();
    TCanvas& c = glyph_->Canvas();
    c.Brush().Color = clSilver;
    c.Rectangle(2, 0, 12, 12);
    c.Brush().Color = clWhite;
    c.Rectangle(3, 1, 11, 4);
    for (int row = 0; row < 3; ++row)
      for (int col = 0; col < 3; ++col) glyph_->SetPixel(4 + col * 2, 5 + row * 2, clBlack);
  }
  return glyph_.get();
}

void TECOverCalculator::ConnectHandlers() {
  TECLocCalculator& calc = popup_->Calculator();
  if (changeHandler_) calc.OnTextChange = [this] { changeHandler_(popup_.get()); };
  if (resultHandler_)
    calc.OnResult = [this](int r) {
      if (r != 1 || PopupHasValue()) resultHandler_(popup_.get(), r);
    };
}

bool TECOverCalculator::PopupHasValue() { return !popup_ || popup_->Calculator().Status() != TCalcState::Error; }

void TECOverCalculator::Scaled() {
  TFont f;
  f.Name = "MS Sans Serif";
  f.PixelsPerInch = Screen().PixelsPerInch();
  f.SetSize(8);
  f.Style = fsBold;
  f.Color = clWindowText;
  popup_->SetFont(f);
}

void TECOverCalculator::GetPopupText(std::string& text) {
  text.clear();
  if (!popup_) return;
  TEditValue v = popup_->GetValue();
  if (const auto* d = std::get_if<double>(&v)) text = FloatToText(*d);
  else if (const auto* s = std::get_if<std::string>(&v)) text = *s;
}

bool TECOverCalculator::AcceptKey(char key) {
  if (!popup_) return TECOverEditor::AcceptKey(key);
  return IsValidChar(key) || popup_->Calculator().FindButton(key) != nullptr;
}

TECOverTime::TECOverTime(TComponent* owner) : TECOverPopupEditor(owner) {
  ValidChars = std::string("0123456789") + FormatSettings().TimeSeparator;
}

const TBitmap* TECOverTime::GetButtonGlyph() {
  if (!glyph_) {
    // A clock face, 14 x 12, with its hands at ten past two.
    glyph_ = BlankGlyph();
    TCanvas& c = glyph_->Canvas();
    c.Brush().Color = clWhite;
    c.Ellipse(1, 0, 13, 12);
    c.MoveTo(7, 6);
    c.LineTo(7, 2);
    c.MoveTo(7, 6);
    c.LineTo(10, 5);
  }
  return glyph_.get();
}

void TECOverTime::ConnectHandlers() {
  TECTimePanel& panel = popup_->Panel();
  if (changeHandler_) panel.OnChange = [this] { changeHandler_(popup_.get()); };
  if (resultHandler_) panel.OnResult = [this](int r) { resultHandler_(popup_.get(), r); };
}

void TECOverTime::GetPopupText(std::string& text) {
  text = popup_ ? EditValueToText(etTime, popup_->GetValue()) : std::string();
}

}  // namespace qs

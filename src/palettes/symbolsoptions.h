#pragma once
// The two option drop-downs of the symbols palette: how rehearsal marks
// are numbered and framed (TFRehearsalMark, which stays open while the
// user sets its three choices) and where measure numbers stand (TFNumber,
// which goes after one choice).
#include <functional>

#include "palettes/dropdown.h"

namespace qs {

class TGroupBox;
class TRadioButton;

class TFRehearsalMark : public TDropDownPicker {
 public:
  explicit TFRehearsalMark(TComponent* owner);
  const char* ClassName() const override { return "TFRehearsalMark"; }

  // Presets the three choices without reporting them.
  void Preset(int numeration, int kind, int border);
  int GetNumeration() const;  // 0 automatic, 1 a number asked at each mark
  int GetKind() const;        // 0 letters, 1 digits
  int GetBorderKind() const;  // 0 none, 1 rectangle, 2 circle
  int GetBorderWidth() const { return 1; }
  // Every click in a group.
  std::function<void(TFRehearsalMark& sender)> OnChange;

  TGroupBox *RGNumeration = nullptr, *RGKind = nullptr, *RGBorder = nullptr;
  TRadioButton *RBAutomatic = nullptr, *RBCustom = nullptr, *RBLetters = nullptr, *RBDigits = nullptr,
               *RBNone = nullptr, *RBRectangle = nullptr, *RBCircle = nullptr;

 private:
  bool presetting_ = false;
};

class TFNumber : public TDropDownPicker {
 public:
  explicit TFNumber(TComponent* owner);
  const char* ClassName() const override { return "TFNumber"; }

  // 0 each measure, 1 the first of each line, 2 the first of each page,
  // 3 every tenth.
  int GetStyle() const;
  void SetStyle(int style);
  std::function<void(TFNumber& sender)> OnChange;

  TRadioButton *RBBar = nullptr, *RBRow = nullptr, *RBPage = nullptr, *RBTen = nullptr;

 private:
  bool presetting_ = false;
};

void RegisterSymbolsOptionForms();

}  // namespace qs

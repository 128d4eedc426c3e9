#pragma once
// The small forms of the Modify palette: the transposition interval of its
// transpose buttons, the row-alignment style of a system, and the number
// of empty pages that follow an inserted page break.
#include <functional>
#include <string>
#include <vector>

#include "palettes/dropdown.h"
#include "palettes/palette.h"
#include "platform/forms.h"

namespace qs {

class TButton;
class TCheckBox;
class TEdit;
class TGroupBox;
class TIniFile;
class TLabel;
class TListBox;
class TPanel;
class TUpDown;
class TECCharButton;
class TECFormLanguage;

// TFHeightTranspose: the interval of a transpose button, typed (semitones)
// or picked from the program's transposition presets. Going down, the
// presets' shifts count the other way. A typed value reports at once; a
// picked preset reports and closes the drop-down.
class TFHeightTranspose : public TDropDownPicker {
 public:
  TFHeightTranspose(TComponent* owner, std::vector<TTransposePreset> presets);
  const char* ClassName() const override { return "TFHeightTranspose"; }

  void SetDirection(bool up);
  bool Up() const { return up_; }
  // The value shown; the first preset of that shift is selected (the
  // first one when none has it).
  void SetValue(int value);
  int Value() const;

  std::function<void(TObject* sender, int value)> OnChoose;

  TLabel* LPitch = nullptr;
  TEdit* EPitch = nullptr;
  TUpDown* UDPitch = nullptr;
  TListBox* LVNames = nullptr;

 private:
  void Report(int value);
  std::vector<TTransposePreset> presets_;
  bool up_ = true;
  bool loading_ = false;
};

// The widest space between notes the evenly style keeps (see
// AlignStyleByte), and the most measures a row of the positional style.
constexpr int kMaxEvenNoteInterval = 39;
constexpr int kMaxRowMeasures = 100;

// The style byte a system keeps for its row alignment: 0 the score's own
// alignment (not active); 10 + the note interval for evenly, 50 for
// proportionally, 100 + the measure count for positionally; other styles 0.
// The note interval is kept within 0 .. kMaxEvenNoteInterval, so evenly
// never reads as proportionally (50) or positionally (100 and above), and
// the measure count within 1 .. kMaxRowMeasures, so the byte never wraps.
uint8_t AlignStyleByte(bool active, int style, int noteInterval, int measureCount);

// TFAlignMeasure: whether a system aligns its rows in a style of its own,
// and which: notes evenly spaced (with the space between them), spaced by
// their length, or a fixed number of measures to a row. With OK and Cancel
// hidden it is the palette's drop-down and reports every change.
class TFAlignMeasure : public TForm {
 public:
  explicit TFAlignMeasure(TComponent* owner);
  const char* ClassName() const override { return "TFAlignMeasure"; }

  TCheckBox* CBActive = nullptr;
  TGroupBox* GBNoteInterval = nullptr;
  TPanel* PAlign = nullptr;
  TECCharButton *CBEvenly = nullptr, *CBProportional = nullptr, *CBPositional = nullptr;
  TLabel *LEvenly = nullptr, *LProportional = nullptr, *LPositional = nullptr;
  TLabel *LNoteInterval = nullptr, *LMeasureCount = nullptr;
  TEdit *ENoteInterval = nullptr, *EMeasureCount = nullptr;
  TUpDown *UDNoteInterval = nullptr, *UDMeasureCount = nullptr;
  TButton *BBOk = nullptr, *BBCancel = nullptr;
  TECFormLanguage* LAlignMeasure = nullptr;

  TNotifyEvent OnChange;
  bool Suppress = false;

  bool GetActive() const;
  // 0 evenly, 1 proportionally, 2 positionally.
  int GetAlignStyle() const;
  int GetNoteInterval() const;
  int GetMeasureCount() const;
  void SetActive(bool active);
  void SetAlignStyle(int style);
  void SetNoteInterval(int interval);
  void SetMeasureCount(int count);
  void SetDialogMode(bool dialog);

 private:
  void Changed();
  void UpdateControls();
};

// TFPageCount: how many empty pages follow a page break (0 .. 20). Its
// place is kept in the settings' "PauseCountForm".
class TFPageCount : public TForm {
 public:
  TFPageCount(TComponent* owner, TIniFile* settings);
  ~TFPageCount() override;
  const char* ClassName() const override { return "TFPageCount"; }

  TLabel* LCount = nullptr;
  TEdit* ECount = nullptr;
  TUpDown* UDCount = nullptr;
  TButton *BBOk = nullptr, *BBCancel = nullptr;
  TECFormLanguage* LPageCount = nullptr;

  // The count as typed, within 0 .. 20.
  int Count() const;

 private:
  TIniFile* settings_;
};

// Asks the empty pages after a page break; -1 when the user cancels.
int AskPageCount(TIniFile* settings);

void RegisterModifyPopupForms();

}  // namespace qs

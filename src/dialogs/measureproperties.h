#pragma once
// TFMeasureProperties: the measure at the cursor — its column's own time
// signature, the system and page break after it (with empty pages), and its
// own note-joining style. It only converts between the score's values and
// its controls; the caller reads and writes the score.
#include <cstdint>

#include "platform/forms.h"

namespace qs {

class TButton;
class TCheckBox;
class TComboBox;
class TEdit;
class TGroupBox;
class TLabel;
class TPanel;
class TUpDown;
class TECCharButton;
class TECFormLanguage;

class TFMeasureProperties : public TForm {
 public:
  explicit TFMeasureProperties(TComponent* owner);
  const char* ClassName() const override { return "TFMeasureProperties"; }

  TGroupBox* GBSize = nullptr;
  TCheckBox* CBSizeActive = nullptr;
  TLabel *LNotesCount = nullptr, *LSizeDoles = nullptr;
  TEdit* ENotesCount = nullptr;
  TUpDown* UDNotesCount = nullptr;
  TComboBox* CBSizeDoles = nullptr;
  TCheckBox *CBLineBreak = nullptr, *CBPageBreak = nullptr;
  TLabel* LPageCount = nullptr;
  TEdit* EPageCount = nullptr;
  TUpDown* UDPageCount = nullptr;
  TGroupBox* GBJoin = nullptr;
  TCheckBox* CBJoinActive = nullptr;
  TPanel* PJoin = nullptr;
  TECCharButton *CBJoinNone = nullptr, *CBJoinFull = nullptr, *CBJoinSize = nullptr, *CBJoinCustom = nullptr;
  TLabel *LJoinNone = nullptr, *LJoinFull = nullptr, *LJoinSize = nullptr, *LJoinCustom = nullptr;
  TEdit* EJoinCount = nullptr;
  TUpDown* UDJoinCount = nullptr;
  TButton *BBOk = nullptr, *BBCancel = nullptr, *BBHelp = nullptr;
  TECFormLanguage* LMeasureProperties = nullptr;

  // timeSignature: beats << 8 | unit, 0 none of its own.
  void SetTimeSignature(uint16_t word);
  void SetStaveBreak(bool flag);
  void SetJoinActive(bool flag);
  // 0 none, else 1 + the empty pages after the break.
  void SetPageBreak(uint16_t value);
  // 0 no beams, 1 the whole measure, 2 by beats, n > 2 in n - 1 groups.
  void SetJoinStyle(uint8_t style);
  uint16_t GetTimeSignature() const;
  bool GetStaveBreak() const;
  bool GetJoinActive() const;
  uint16_t GetPageBreak() const;
  uint8_t GetJoinStyle() const;

 private:
  void UpdateEnabled();
};

void RegisterMeasurePropertiesForms();

}  // namespace qs

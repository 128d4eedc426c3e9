#pragma once
// TFMeasureNumber: a number from 1 to 100 and whether only the active part
// is meant. The measure-number tool takes the number as the first measure
// number; the commands that add and delete measures relabel it and take it
// as the count of measures.
#include "platform/forms.h"

namespace qs {

class TEdit;
class TLabel;
class TUpDown;
class TButton;
class TCheckBox;
class TIniFile;
class TECFormLanguage;

class TFMeasureNumber : public TForm {
 public:
  // settings: where the dialog keeps its place and the part-only choice
  // ("BarNumberForm"), or null.
  TFMeasureNumber(TComponent* owner, TIniFile* settings);
  ~TFMeasureNumber() override;
  const char* ClassName() const override { return "TFMeasureNumber"; }

  TLabel* LStart = nullptr;
  TEdit* EStart = nullptr;
  TUpDown* UDStart = nullptr;
  TCheckBox* CBActivePartOnly = nullptr;
  TButton* BBOk = nullptr;
  TButton* BBCancel = nullptr;
  TECFormLanguage* LMeasureNumber = nullptr;

  // The label asks for a count of measures instead of a first number.
  void SetStartCaption();
  // The number as typed, within 1..100.
  int Number() const;
  bool ActivePartOnly() const;

 private:
  TIniFile* settings_;
};

// Asks a count of measures; false when the user cancels.
bool AskMeasureCount(TIniFile* settings, int& count, bool& partOnly);

void RegisterMeasureNumberForms();

}  // namespace qs

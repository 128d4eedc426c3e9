#pragma once
// TFPauseCount: asks a count, for the measures of a multi-measure rest or,
// relabelled by its caller, the staves an accolade spans.
#include <string>

#include "platform/forms.h"

namespace qs {

class TEdit;
class TLabel;
class TUpDown;
class TButton;
class TIniFile;
class TECFormLanguage;

class TFPauseCount : public TForm {
 public:
  // settings: where the dialog keeps its place ("PauseCountForm"), or null.
  TFPauseCount(TComponent* owner, TIniFile* settings);
  ~TFPauseCount() override;
  const char* ClassName() const override { return "TFPauseCount"; }

  TLabel* LCount = nullptr;
  TEdit* ECount = nullptr;
  TUpDown* UDCount = nullptr;
  TButton* BBOk = nullptr;
  TButton* BBCancel = nullptr;
  TECFormLanguage* LPauseCount = nullptr;

  // The count as typed, within the up-down's bounds.
  int Count() const;

 private:
  TIniFile* settings_;
};

// Asks a count from minimum up, starting at position, with the caption
// text above the field; 0 when the user cancels.
int AskCountDialog(TIniFile* settings, const std::string& caption, int minimum, int position);

// Makes the dialog known to the review tools (formshot).
void RegisterPauseCountForms();

}  // namespace qs

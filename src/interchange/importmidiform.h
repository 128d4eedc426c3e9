#pragma once
// "Import MIDI": the small window that asks how a Standard MIDI File is to
// become notation (the quantisation and four options) before the file is
// opened. Its choices go into the new score's import settings and are kept
// in the settings file for the next time, whatever the answer.
#include "platform/forms.h"

namespace qs {

class TIniFile;
class TQSScore;
class TCheckBox;
class TLabel;
class TButton;
class TECCharButton;
class TECFormLanguage;

class TFImportMIDI : public TForm {
 public:
  // settings: the program's settings file, or null when none is open (then
  // nothing is restored or stored).
  TFImportMIDI(TComponent* owner, TIniFile* settings);
  ~TFImportMIDI() override;
  const char* ClassName() const override { return "TFImportMIDI"; }

  // The quantisation in score ticks (128 a quarter) of the note button that
  // is down.
  int GetQuantize() const;
  // 8, 16, 32, 64 or 128 put the matching button down; anything else
  // changes nothing.
  void SetQuantize(int value);

  // The choices into the score that is about to import the file.
  void ApplyTo(TQSScore& score) const;

  TCheckBox* CBOneStaff = nullptr;
  TCheckBox* CBTrackNames = nullptr;
  TCheckBox* CBAutoClefs = nullptr;
  TCheckBox* CBTriplet = nullptr;
  TLabel* LQuantize = nullptr;
  TECCharButton* CBNote4 = nullptr;
  TECCharButton* CBNote8 = nullptr;
  TECCharButton* CBNote16 = nullptr;
  TECCharButton* CBNote32 = nullptr;
  TECCharButton* CBNote64 = nullptr;
  TButton* BBOk = nullptr;
  TButton* BBCancel = nullptr;
  TECFormLanguage* FLImportMIDI = nullptr;

 private:
  void FormCreate();
  void FormDestroy();
  TIniFile* settings_;
};

// Makes the window known to the review tools that show every form.
void RegisterImportMidiForms();

// The files that ask first: ".mid", ".midi" and ".kar", in any case
// (".rmi" imports with the score's settings as they stand).
bool AsksForMidiImportOptions(const std::string& fileName);

}  // namespace qs

#pragma once
// The properties of the piece, part, staff or voice at the cursor, one
// dialog each. A dialog is filled from its object and on OK writes what
// the user changed as one undo step (editing/properties.h); Cancel and Esc
// change nothing.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editing/properties.h"
#include "platform/forms.h"

namespace qs {

class TButton;
class TCheckBox;
class TComboBox;
class TEdit;
class TGroupBox;
class TIniFile;
class TLabel;
class TQSGuitarDescription;
class TQSPiece;
class TQSPart;
class TQSStaff;
class TQSVoice;
class TQSTransports;
class TRadioButton;
class TTrackBar;
class TUpDown;
class TECFormLanguage;
class TECStringGrid;

// What the four dialogs share: the place kept under "Bounds" in the
// dialog's own section and the Helper's topic beside it while it is open.
class TObjectPropertiesForm : public TForm {
 public:
  ~TObjectPropertiesForm() override;

 protected:
  // helper: the Helper's topic ("" for none).
  TObjectPropertiesForm(TComponent* owner, TIniFile* settings, const char* name, const char* helper);
  // Places OK, Cancel (and Help for a topic) in a row ending at right.
  void MakeButtons(int right, int top, const char* helpTopic);
  // Restores the place once the form has its size.
  void RestoreBounds();
  TIniFile* settings_;
  TECFormLanguage* language_ = nullptr;

 public:
  TButton *BBOk = nullptr, *BBCancel = nullptr, *BBHelp = nullptr;
};

class TFPieceProperties : public TObjectPropertiesForm {
 public:
  TFPieceProperties(TComponent* owner, TIniFile* settings);
  const char* ClassName() const override { return "TFPieceProperties"; }
  void SetPiece(TQSPiece* piece);
  TPieceProperties Values() const;
  // Writes the values into the piece (OK does).
  void Apply();

  TEdit *EName = nullptr, *ETempo = nullptr, *EAufTaktNotes = nullptr;
  TUpDown *UDTempo = nullptr, *UDAufTaktNotes = nullptr;
  TCheckBox* CBAuftakt = nullptr;
  TComboBox* CBAuftaktSize = nullptr;

 private:
  void UpdateEnabled();
  TQSPiece* piece_ = nullptr;
};

class TFPartProperties : public TObjectPropertiesForm {
 public:
  // transports: the presets offered (may be null).
  TFPartProperties(TComponent* owner, TIniFile* settings, const TQSTransports* transports);
  const char* ClassName() const override { return "TFPartProperties"; }
  void SetPart(TQSPart* part);
  TPartProperties Values() const;
  void Apply();
  // The instrument as the General MIDI picker would leave it.
  void SetProgram(int program);
  int Program() const { return program_; }

  TEdit *EName = nullptr, *EInstrument = nullptr;
  TButton* SBInstrument = nullptr;
  TComboBox *CBChannel = nullptr, *CBTransport = nullptr;
  TCheckBox *CBVolume = nullptr, *CBPan = nullptr, *CBMute = nullptr;
  TTrackBar *TBVolume = nullptr, *TBPan = nullptr;
  TLabel *LVolumeValue = nullptr, *LPanValue = nullptr;

 private:
  void ShowValues();
  const TQSTransports* transports_;
  TQSPart* part_ = nullptr;
  int program_ = 0;
  // A transposition no preset matches stays while the list is not touched.
  int shownTransport_ = 0;
  std::vector<TQSTransportRecord> ownTransports_;
};

class TFStaffProperties : public TObjectPropertiesForm {
 public:
  using TGuitarList = std::vector<std::unique_ptr<TQSGuitarDescription>>;
  // guitars: the guitar library whose tunings the staff may take (may be null).
  TFStaffProperties(TComponent* owner, TIniFile* settings, const TGuitarList* guitars);
  const char* ClassName() const override { return "TFStaffProperties"; }
  void SetStaff(TQSStaff* staff);
  TStaffProperties Values() const;
  void Apply();
  // CBTab clicked: 6 strings in the standard guitar tuning, or 5 lines.
  void TablatureClicked();
  // The strings of the library guitar of that index.
  void TakeGuitar(int index);
  // The line count shown, and the tuning rows made for it.
  int LineCount() const;
  void SetLineCount(int lines);
  // The pitch of string i (0 the lowest, the bottom row); -1 for none.
  int StringPitch(int string) const;
  void SetStringPitch(int string, int pitch);

  TComboBox* CBLineCount = nullptr;
  TCheckBox *CBMute = nullptr, *CBTab = nullptr, *CBStem = nullptr;
  TGroupBox *GBTab = nullptr, *GBScale = nullptr;
  TLabel *LFretCount = nullptr, *LTuning = nullptr;
  TEdit* EFretCount = nullptr;
  TUpDown* UDFretCount = nullptr;
  TECStringGrid* SGTuning = nullptr;
  TButton* BBGuitars = nullptr;
  TRadioButton *RBNormal = nullptr, *RBSmall = nullptr, *RBCustom = nullptr;
  TTrackBar* TBScale = nullptr;

 private:
  void UpdateEnabled();
  void ChoosePitch();
  const TGuitarList* guitars_;
  TQSStaff* staff_ = nullptr;
  bool filling_ = false;
  int rows_ = 0;
  std::array<uint8_t, 24> tuning_{};
};

class TFVoiceProperties : public TObjectPropertiesForm {
 public:
  TFVoiceProperties(TComponent* owner, TIniFile* settings);
  const char* ClassName() const override { return "TFVoiceProperties"; }
  void SetVoice(TQSVoice* voice);
  TVoiceProperties Values() const;
  void Apply();
  // 255 (or any value above 127) for the part's instrument.
  void SetProgram(int program);

  TEdit* EInstrument = nullptr;
  TButton* SBInstrument = nullptr;
  TComboBox* CBChannel = nullptr;
  TCheckBox* CBMute = nullptr;

 private:
  TQSVoice* voice_ = nullptr;
  int program_ = 255;
};

void RegisterObjectPropertiesForms();

}  // namespace qs

#pragma once
// The program's settings dialog ("Settings"): recording and metronome,
// note keys (shown only), mail connection (the password goes to the host,
// never into the settings file), note names, MIDI devices with a test
// playback, backups, auto-save, sounding and automatic calculations.
// It reads the settings when made and writes every control's value on OK;
// Cancel writes nothing (the devices too stay as they were).
#include <string>

#include "dialogs/devicehost.h"
#include "platform/forms.h"
#include "uikit/settings.h"

namespace qs {

class TButton;
class TCheckBox;
class TComboBox;
class TEdit;
class TLabel;
class TRadioButton;
class TUpDown;
class TECPageControl;
class TECTabSheet;
class TECStringGrid;
class TECFormLanguage;

class TFSettingsModule : public TForm {
 public:
  // settings and host may be null (the review pictures): then nothing is
  // read, written or played.
  TFSettingsModule(TComponent* owner, TSettings* settings, TDeviceHost* host);
  ~TFSettingsModule() override;
  const char* ClassName() const override { return "TFSettingsModule"; }

  // Writes every control's value (the OK button).
  void BBOkClick();
  // OK changed the note names or the harmonics' text: the open scores
  // take the new letters.
  bool NamesChanged() const { return namesChanged_; }
  void SBVariant1Click();
  void SBVariant2Click();
  void BBTestClick();
  void BBStopClick();
  void UpdateEnabled();

  TECPageControl* PCSettings = nullptr;
  TECTabSheet *TSRecord = nullptr, *TSKeys = nullptr, *TSMail = nullptr, *TSMusic = nullptr, *TSDevices = nullptr,
              *TSGeneral = nullptr;
  // Recording.
  TRadioButton *CBNote = nullptr, *CBNote2 = nullptr, *CBNote4 = nullptr, *CBNote8 = nullptr, *CBNote16 = nullptr,
               *CBNote32 = nullptr, *CBNote64 = nullptr;
  TRadioButton *CBDur4 = nullptr, *CBDur8 = nullptr, *CBDur16 = nullptr, *CBDur32 = nullptr, *CBDur64 = nullptr;
  TCheckBox *CBRealTime = nullptr, *CBRecordMetronome = nullptr, *CBPlayMetronome = nullptr;
  TEdit *EVelFirst = nullptr, *EVelOther = nullptr, *EPort = nullptr, *EChannel = nullptr;
  TUpDown *UDVelFirst = nullptr, *UDVelOther = nullptr, *UDPort = nullptr, *UDChannel = nullptr;
  // Keys.
  TECPageControl* PCTools = nullptr;
  TECTabSheet *TSNotes = nullptr, *TSSymbols = nullptr;
  TECStringGrid* SGNotes = nullptr;
  // Mail.
  TEdit *EAddress = nullptr, *EMailName = nullptr, *ESMTPserver = nullptr, *ESMTPPort = nullptr, *EUserId = nullptr,
        *EPassword = nullptr;
  TCheckBox* CBAuthentication = nullptr;
  // Note names.
  TEdit* EN[12] = {};
  TButton *SBVariant1 = nullptr, *SBVariant2 = nullptr;
  TEdit* EFlazholetName = nullptr;
  // Devices.
  TComboBox *CBOutput = nullptr, *CBInput = nullptr;
  TButton *BBTest = nullptr, *BBStop = nullptr, *BBVolume = nullptr;
  // General.
  TCheckBox *CBSaveBackUp = nullptr, *CBCountBackUp = nullptr, *CBAutosave = nullptr;
  TEdit* ECountBackUp = nullptr;
  TUpDown* UDCountBackUp = nullptr;
  TLabel* LIntervalAutosave = nullptr;
  TComboBox* CBIntervalAutosave = nullptr;
  TCheckBox *CBPlayMouse = nullptr, *CBPlayDrag = nullptr, *CBPlayPiano = nullptr, *CBPlayGuitar = nullptr,
            *CBPlayMIDI = nullptr, *CBShowNoteHint = nullptr, *CBShowPianoNote = nullptr;
  TCheckBox *CBAutoEffect = nullptr, *CBAutovelocity = nullptr, *CBAutoPages = nullptr;
  TCheckBox *CBNews = nullptr, *CBDisplayNews = nullptr, *CBOptimization = nullptr;
  TButton *BBOk = nullptr, *BBCancel = nullptr;
  TECFormLanguage* LSettingsModule = nullptr;

 private:
  void BuildRecord();
  void BuildKeys();
  void BuildMail();
  void BuildMusic();
  void BuildDevices();
  void BuildGeneral();
  void ReadValues();

  TSettings* settings_;
  TDeviceHost* host_;
  TRecordingSettings record_;
  TPlaySettings play_;
  TMailSettings mail_;
  // The mail password as the host had it when the dialog opened.
  std::string password_;
  TNoteNameSettings names_;
  TMusicSettings music_;
  TEditorSettings editor_;
  TEffectsSettings effects_;
  TNewsSettings news_;
  TDeviceControls devices_;
  bool namesChanged_ = false;
};

// The twelve note names of the two variants: the second has "Hb" and "H"
// for B flat and B.
const std::string* NoteNameVariant(int variant);

void RegisterSettingsForms();

}  // namespace qs

#pragma once
// "Event properties": the dialog in which the bytes of one raw MIDI event
// are typed as hexadecimal text or composed from the fields of a channel
// message (kind, channel, note, velocity, program, controller, value); the
// fields and the text follow each other. OK takes only a text that splits
// into complete messages; anything else is refused with the reason.
//
// "Controls": the small list from which a controller (or, for the program
// field, an instrument) is picked by name.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "playback/eventtext.h"

namespace qs {

class TIniFile;
class TEdit;
class TLabel;
class TButton;
class TComboBox;
class TListBox;
class TListView;
class TTrackBar;
class TECFormLanguage;

// The rows of the kinds list.
enum TEventKindRow : int {
  ekFree, ekNoteOff, ekNoteOn, ekKeyPressure, ekControl, ekProgram, ekChannelPressure, ekPitchBend, ekRowCount
};

// The text the fields make for a row (empty for ekFree): the status with
// the channel (0 when none is chosen), then the row's data bytes; a note
// of -1 (none chosen) gives the byte 00.
struct TEventFields {
  int Channel = 0, Note = -1, Velocity = 127, Program = 0, Controller = 0, Bend = 8191;
};
std::string BuildEventFieldsText(int row, const TEventFields& fields);

// The program of a program change that names none, written as FF.
inline constexpr int kNoProgram = 255;

class TFChooseControl : public TForm {
 public:
  // The instruments begin with an item for no program (kNoProgram).
  enum class TList : uint8_t { Controllers, Instruments };
  explicit TFChooseControl(TComponent* owner, TList list = TList::Controllers);
  const char* ClassName() const override { return "TFChooseControl"; }

  // Selects the item of that number; none of it changes nothing.
  void SelectController(int number);
  // The number of the selected item, -1 when none is.
  int ChosenController() const;

  TListBox* LBControls = nullptr;
  TECFormLanguage* FLChooseControl = nullptr;

 private:
  std::vector<int> numbers_;
};

class TFEventProperties : public TForm {
 public:
  // settings: the program's settings file, or null (then the bounds are
  // neither restored nor stored).
  TFEventProperties(TComponent* owner, TIniFile* settings);
  ~TFEventProperties() override;
  const char* ClassName() const override { return "TFEventProperties"; }

  std::string EventText() const;
  void SetEventText(const std::string& text);
  // After OK: the checked messages, one after the other, running status
  // written out.
  const std::vector<uint8_t>& EventBytes() const { return bytes_; }
  // kNoProgram: none.
  int Program() const { return program_; }
  int Controller() const { return controller_; }

  TEdit* EEvent = nullptr;
  TListView* LVEvents = nullptr;
  TLabel* LChannel = nullptr;
  TComboBox* CBChannel = nullptr;
  TLabel* LNote = nullptr;
  TComboBox* ENote = nullptr;
  TLabel* LVelocity = nullptr;
  TTrackBar* TBVelocity = nullptr;
  TLabel* LProgram = nullptr;
  TEdit* EProgram = nullptr;
  TButton* SBProgram = nullptr;
  TLabel* LControl = nullptr;
  TEdit* EControl = nullptr;
  TButton* SBControl = nullptr;
  TLabel* LValue = nullptr;
  TTrackBar* TBValue = nullptr;
  TButton* BBOk = nullptr;
  TButton* BBCancel = nullptr;
  TECFormLanguage* FLEvent = nullptr;

 private:
  void FormCreate();
  void FormDestroy();
  void FillKinds();
  void ShowKindFields();
  void BuildEventText();
  void ParseEventText();
  void SelectRow(int row);
  int SelectedRow() const;
  void SBProgramClick();
  void SBControlClick();
  void BBOkClick();

  TIniFile* settings_;
  int program_ = 0;
  int controller_ = 0;
  bool busy_ = false;   // the text and the fields are being matched
  std::vector<uint8_t> bytes_;
};

// Makes both windows known to the review tools that show every form.
void RegisterEventPropertiesForms();

}  // namespace qs

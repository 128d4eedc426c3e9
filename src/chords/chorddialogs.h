#pragma once
// The chord library's forms and the chord-name dialog:
// - TFChordProperties edits one library chord (its name after the root,
//   group, description, file name) and saves it into the library, or
//   exports it to a file of the user's choice;
// - TFChordList lists the library with Add (import), Edit and Remove;
// - TFAllChords, the drop-down of the chords palette, shows every library
//   chord as a button under its group;
// - TFChordEditor edits the name of the chord symbols selected in a score.
// Closing any of them with Esc or Cancel keeps nothing that was not saved;
// everything they change in the library is written at once.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/forms.h"
#include "score/marks.h"

namespace qs {

class TButton;
class TCheckBox;
class TComboBox;
class TEdit;
class TECCharButton;
class TECChordEditor;
class TFChords;
class TIniFile;
class TLabel;
class TListView;
class TPanel;
class TQSChordDescription;
class TScrollBox;

// How the library dialogs ask and warn: ShowMessageBlock's parameters and
// result. Tests put their own answers here.
using TAskEvent = std::function<int(const std::string& title, const std::string& text, uint8_t icon, uint16_t buttons)>;

// The five buttons that start a fragment and move the current one, for a
// chord-name editor; their hints come from the form's language file.
struct TChordNameButtons {
  TECCharButton *SBNew = nullptr, *SBUp = nullptr, *SBDown = nullptr, *SBLeft = nullptr, *SBRight = nullptr;
};

class TFChordProperties : public TForm {
 public:
  // settings: where the dialog's place is kept ("ChordProperties"), or null.
  TFChordProperties(TComponent* owner, TIniFile* settings, TFChords& palette);
  ~TFChordProperties() override;
  const char* ClassName() const override { return "TFChordProperties"; }

  // The chord shown (not owned): its name after the placeholder "X", its
  // group, description and file name. The groups of the library are
  // offered.
  void SetChord(TQSChordDescription* chord);
  void SetFileNameVisible(bool visible);
  // Export: Save writes the chord to the file named in EFileName (any
  // folder) and leaves the library alone.
  void SetExportMode(bool on);
  // What Save does; true when the chord was saved into the library (the
  // dialog then closes with OK).
  bool Save();

  TAskEvent Ask;

  TECChordEditor* CEName = nullptr;
  TChordNameButtons Buttons;
  TLabel *LName = nullptr, *LGroup = nullptr, *LDescription = nullptr, *LFileName = nullptr;
  TComboBox* CBGroup = nullptr;
  TEdit *EDescription = nullptr, *EFileName = nullptr;
  TECCharButton* SBBrowse = nullptr;
  TCheckBox* CBFixedOctave = nullptr;
  TButton *BBSave = nullptr, *BBCancel = nullptr;

 private:
  int AskUser(int message, const std::string& argument, uint8_t icon, uint16_t buttons);
  std::vector<TQSChordFragment> EditedFragments() const;

  TIniFile* settings_;
  TFChords& palette_;
  TQSChordDescription* chord_ = nullptr;
  bool exportMode_ = false;
};

class TFChordList : public TForm {
 public:
  TFChordList(TComponent* owner, TIniFile* settings, TFChords& palette);
  ~TFChordList() override;
  const char* ClassName() const override { return "TFChordList"; }

  // The items anew from the library, keeping the selected place.
  void Fill();
  // Add: import chord files. Edit: the selected chord's properties.
  // Remove: the selected chords, after asking, and their files when the
  // user says so.
  void AddChords();
  void EditChord();
  void RemoveChords();
  TQSChordDescription* ChordAt(int index) const;

  TAskEvent Ask;

  TListView* LVChords = nullptr;
  TButton *BBAdd = nullptr, *BBEdit = nullptr, *BBDelete = nullptr, *BBOk = nullptr;

 private:
  int AskUser(const std::string& text, uint16_t buttons);
  void Arrange();

  TIniFile* settings_;
  TFChords& palette_;
  std::vector<TQSChordDescription*> shown_;
};

class TFAllChords : public TForm {
 public:
  TFAllChords(TComponent* owner, TFChords& palette);
  const char* ClassName() const override { return "TFAllChords"; }

  // The buttons and group labels anew from the library, sorted by group.
  void Fill();
  // Where Fill put them: the chords in the order of their buttons.
  const std::vector<TQSChordDescription*>& Shown() const { return shown_; }
  std::vector<TECCharButton*> ChordButtons;
  std::vector<TLabel*> GroupLabels;

  TPanel* PLeft = nullptr;
  TECCharButton *CBPlus = nullptr, *CBMinus = nullptr;
  TScrollBox* SBChords = nullptr;
  // While one of its dialogs runs, losing the focus does not close it.
  bool Busy = false;

 private:
  TFChords& palette_;
  std::vector<TQSChordDescription*> shown_;
};

class TFChordEditor : public TForm {
 public:
  TFChordEditor(TComponent* owner, TIniFile* settings);
  ~TFChordEditor() override;
  const char* ClassName() const override { return "TFChordEditor"; }

  void SetFragments(const std::vector<TQSChordFragment>& fragments);
  std::vector<TQSChordFragment> GetFragments() const;
  // True (and the dialog closes with OK) unless the name is empty.
  bool Save();

  TAskEvent Ask;

  TLabel* LName = nullptr;
  TECChordEditor* CEName = nullptr;
  TChordNameButtons Buttons;
  TButton *BBSave = nullptr, *BBCancel = nullptr;

 private:
  TIniFile* settings_;
};

class TQSWindow;

// Copies into chord the selected notes of view that make one chord: the
// first selected note and every further one of the same staff and voice,
// start, length and measure. Returns how many were copied.
int CopySelectedChordNotes(const TQSWindow& view, TQSChordDescription& chord);

void RegisterChordDialogForms();

}  // namespace qs

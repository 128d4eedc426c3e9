#pragma once
// The new-score wizard (TFNewComposition) and its instrument chooser
// (TFChooseInstruments). The wizard edits a score setup, shows the score it
// makes in a preview beside its controls, starts from a template or saves
// one; on OK the caller copies Preview into the new document.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/scoretemplate.h"
#include "platform/forms.h"
#include "platform/comctrls.h"

namespace qs {

class TButton;
class TCheckBox;
class TComboBox;
class TEdit;
class TLabel;
class TMemo;
class TIniFile;
class TQSScore;
class TQSWindow;
class TQSInstruments;
class TQSTransports;
class TQSGuitarDescription;
class TQSInstrumentDescription;
class TECFormLanguage;
class TECCharButton;
class TECPageControl;
class TECTabSheet;
class TRadioButton;
class TPanel;

class TFChooseInstruments : public TForm {
 public:
  TFChooseInstruments(TComponent* owner, TIniFile* settings, const TQSInstruments* library);
  ~TFChooseInstruments() override;
  const char* ClassName() const override { return "TFChooseInstruments"; }
  // The parts of the setup become the chosen instruments.
  void SetParts(const std::vector<TSetupPart>& parts);
  // The chosen instruments in the order shown.
  std::vector<const TQSInstrumentDescription*> Chosen() const;
  bool Grouped() const;

  TTreeView *TVSource = nullptr, *TVDest = nullptr;
  TButton *CBAdd = nullptr, *CBRemove = nullptr, *CBRemoveAll = nullptr, *BBOk = nullptr, *BBCancel = nullptr;
  TCheckBox *CBGroup = nullptr, *CBSort = nullptr;
  void Add();
  void Remove();
  void RemoveAll();
  void Rebuild();

 private:
  TIniFile* settings_;
  const TQSInstruments* library_;
  std::map<TTreeView::TNode, const TQSInstrumentDescription*> source_;
  std::vector<std::unique_ptr<TQSInstrumentDescription>> chosen_;  // in order
  std::map<TTreeView::TNode, TQSInstrumentDescription*> dest_;
  bool added_ = false;
  TECFormLanguage* language_ = nullptr;
};

class TFNewComposition : public TForm {
 public:
  // The guitars of the guitar library, whose tunings a tablature staff
  // may take.
  using TGuitarList = std::vector<std::unique_ptr<TQSGuitarDescription>>;
  // transports: the transposition presets a part may take; guitars: the
  // guitar library (either may be null).
  TFNewComposition(TComponent* owner, TIniFile* settings, const TQSInstruments* library,
                   const TQSTransports* transports = nullptr, const TGuitarList* guitars = nullptr);
  ~TFNewComposition() override;
  const char* ClassName() const override { return "TFNewComposition"; }
  // What the Helper shows beside the wizard: its own topic and the
  // active page's.
  std::vector<std::string> HelperContext() const;

  std::unique_ptr<TQSScore> Preview;
  TScoreSetup Setup;

  TComboBox* CBTemplates = nullptr;
  TMemo *MTitle = nullptr, *MAuthor = nullptr;
  TEdit *ETempo = nullptr, *ENotes = nullptr, *EMeasures = nullptr, *EAufTaktNotes = nullptr;
  TUpDown *UDTempo = nullptr, *UDNotes = nullptr, *UDMeasures = nullptr, *UDAufTaktNotes = nullptr;
  // CBKey sets the key of every part at once; CBTone, on the part's
  // panel, the key and mode of the selected part.
  TComboBox *CBSize = nullptr, *CBKey = nullptr, *CBAuftaktSize = nullptr;
  TCheckBox *CBAuftakt = nullptr, *CBPartNames = nullptr;
  // The common-time and cut-time signs of the time signature (both may be
  // up).
  TECCharButton *CBSymbol1 = nullptr, *CBSymbol2 = nullptr;
  TTreeView* TVParts = nullptr;
  TButton *SBInstrumentList = nullptr, *SBAdd = nullptr, *SBDelete = nullptr;
  // The node panel: a part's names, instrument, key and accolades, a
  // staff's clef, lines and tablature.
  TLabel *LName = nullptr, *LBrief = nullptr, *LLineCount = nullptr, *LAccolade = nullptr;
  // Entry 0: no transposition; then the presets in library order.
  TComboBox* CBTransport = nullptr;
  TEdit *EName = nullptr, *EBrief = nullptr, *EInstrument = nullptr;
  TButton* SBInstrument = nullptr;
  TECCharButton *CBTone = nullptr, *CBChooseAccolade = nullptr;
  TButton *CBAccolade = nullptr, *CBIncAccolade = nullptr, *CBDecAccolade = nullptr;
  TButton* CBClef = nullptr;
  TComboBox* CBLineCount = nullptr;
  TCheckBox* CBTab = nullptr;
  TButton* BBGuitars = nullptr;  // a library guitar's strings for the tablature
  TButton *BBDefault = nullptr, *BBSave = nullptr, *BBOk = nullptr, *BBCancel = nullptr;
  TQSWindow* QSWindow = nullptr;
  TECPageControl* PCProperties = nullptr;
  TECTabSheet *TSData = nullptr, *TSGeneral = nullptr, *TSPage = nullptr;
  // Layout page.
  TEdit *EInterval = nullptr, *ENoteInterval = nullptr, *EMeasureCount = nullptr, *EUnionCount = nullptr;
  TUpDown *UDInterval = nullptr, *UDNoteInterval = nullptr, *UDMeasureCount = nullptr, *UDUnionCount = nullptr;
  TLabel* LScale = nullptr;
  TTrackBar* TBScale = nullptr;
  TRadioButton *RBEvenly = nullptr, *RBProportional = nullptr, *RBPositional = nullptr;
  TRadioButton* RGAutoJoin[4] = {};
  TCheckBox *CBHorzAlign = nullptr, *CBVertAlign = nullptr;
  // Page page: the unit, the paper, and the lengths width, height, left,
  // top, right and bottom margin.
  TRadioButton* RGMetric[3] = {};
  TComboBox* CBPaperSize = nullptr;
  TRadioButton *RBPortrait = nullptr, *RBLandscape = nullptr;
  TEdit* Lengths[6] = {};
  TUpDown* LengthSpins[6] = {};

  int Measures() const;
  // Writes the lengths of the setup into their boxes in its unit.
  void ShowLengths();
  // Shows the lengths in another unit (0 mm, 1 in, 2 pixels).
  void ChangeUnit(int unit);
  // Rebuilds the preview from the setup and the controls.
  void ApplyControls();
  // Shows a setup in the controls and the preview.
  void ShowSetup(const TScoreSetup& setup);
  // The template of the list's entry (0 = none): false when it cannot be
  // read (the saved defaults are shown then).
  bool ApplyTemplate(int index);
  // Saves the current setup as a template of that name; false with a
  // message for a name that is no file name.
  bool SaveTemplate(const std::string& name);
  void FillTemplateList(const std::string& select = "");
  void ChooseInstruments();

  // The node of the tree: a part, a staff of it or a voice of that (-1
  // where the level is not reached).
  struct TNodePath {
    int Part = -1, Staff = -1, Voice = -1;
  };
  TNodePath SelectedNode() const;
  void SelectNode(const TNodePath& path);
  // Shows the panel of the selected node's kind, filled from it.
  void UpdateNodeControls();
  // SBAdd: a part after the selected one, a staff or a voice below it.
  void AddNode();
  // SBDelete: the selected part, staff or voice, unless it is the only one.
  void DeleteNode();
  void SetStaffClef(const TNodePath& path, int clef);
  // The strings of the guitar of that index in the library for a staff.
  void SetStaffGuitar(const TNodePath& path, int guitar);
  // The key (0..7 sharps, 11..17 flats) and mode of one part.
  void SetPartKey(int part, int key, bool minor);
  // The General MIDI program of one part (255: none).
  void SetPartProgram(int part, int program);
  // The part's accolade (its last one): the kind, 255 for none.
  int GetPartAccolade(int part) const;
  // 255 takes the last accolade away, another kind changes it or makes one.
  void SetPartAccolade(int part, int kind);
  // Another accolade of the part's current kind (a brace when it has none).
  void AddPartAccolade(int part);
  // The parts the last accolade joins to its own, by step, within those
  // that follow the part.
  void ChangeAccoladeSpan(int part, int step);
  // The score the document gets (FinishScore applied).
  void Finish();

 private:
  TIniFile* settings_;
  const TQSInstruments* library_;
  const TQSTransports* transports_;
  const TGuitarList* guitars_;
  bool building_ = false;
  TECFormLanguage* language_ = nullptr;
  std::map<TTreeView::TNode, TNodePath> nodes_;
};

// Runs the wizard; the new score in score when the user confirms.
bool RunNewCompositionWizard(TIniFile* settings, const TQSInstruments* library, const TQSTransports* transports,
                             const TFNewComposition::TGuitarList* guitars, TQSScore& score);

// The names of the paper sizes in the order of the page's paper size.
TStringList PaperSizeNames();

void RegisterNewCompositionForms();

}  // namespace qs

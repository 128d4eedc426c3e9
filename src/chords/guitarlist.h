#pragma once
// TFGuitarList: the guitar library editor. It works on the guitars the
// Guitar palette keeps: guitars are added, renamed and deleted, and each
// guitar's string and fret counts, its tuning (and that of the second
// strings of paired guitars) and its chord frames are changed at once. The
// dialog saves nothing itself; its host saves the library when it closes.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/forms.h"

namespace qs {

class TButton;
class TCheckBox;
class TECCharButton;
class TECStringGrid;
class TEdit;
class TIniFile;
class TLabel;
class TListView;
class TQSGuitarDescription;
class TQSGuitarFrame;
class TUpDown;

class TFGuitarList : public TForm {
 public:
  using TGuitars = std::vector<std::unique_ptr<TQSGuitarDescription>>;
  // settings: where the dialog's place is read ("FGuitarList"), or null.
  TFGuitarList(TComponent* owner, TIniFile* settings, TGuitars& guitars);
  const char* ClassName() const override { return "TFGuitarList"; }

  TQSGuitarDescription* SelectedGuitar() const;
  TQSGuitarFrame* SelectedFrame() const;
  // The controls show the selected guitar.
  void ShowGuitar();
  // The name a new guitar may have: not empty, no other guitar's (any
  // case), and usable as its file's name. Warns and answers false
  // otherwise.
  bool ValidateName(const std::string& typed);
  // A new guitar of that name (6 strings, 24 frets), selected.
  void AddGuitar(const std::string& name);
  // After asking; false when the user said no.
  bool DeleteGuitar();
  bool DeleteFrame();
  void SetStringCount(int count);
  void SetFretCount(int count);
  // String index (0 = the lowest string) of a grid row.
  int StringOfRow(int row) const;
  void TuningChosen(bool second, int row, uint8_t pitch);

  // Questions and warnings (tests answer them): ShowMessageBlock's
  // parameters and result.
  std::function<int(const std::string& title, const std::string& text, uint8_t icon, uint16_t buttons)> Ask;

  TLabel *LGuitars = nullptr, *LStringCount = nullptr, *LFretCount = nullptr, *LTurning = nullptr,
         *LChords = nullptr;
  TListView *LVGuitars = nullptr, *LVChords = nullptr;
  TEdit *EStringCount = nullptr, *EFretCount = nullptr;
  TUpDown *UDStringCount = nullptr, *UDFretCount = nullptr;
  TCheckBox* CBDouble = nullptr;
  TECStringGrid *SGTuning = nullptr, *SGSTuning = nullptr;
  TECCharButton *SBAddChord = nullptr, *SBEditChord = nullptr, *SBDeleteChord = nullptr;
  TButton *BBAdd = nullptr, *BBDelete = nullptr, *BBClose = nullptr;

 private:
  int AskUser(int title, int text, const std::string& argument, uint8_t icon, uint16_t buttons);
  void FillGuitarList();
  void FillTuning();
  void FillChords();
  void OpenPitchChooser(bool second);
  // The frame editor on a frame of the selected guitar (null: a new one).
  void EditFrame(TQSGuitarFrame* frame);

  TIniFile* settings_;
  TGuitars& guitars_;
  std::vector<TQSGuitarFrame*> shownFrames_;
  bool filling_ = false;
};

void RegisterGuitarListForms();

}  // namespace qs

#pragma once
// A window that shows the toolkit's own sliders, scrolling containers,
// fretboard and drop-down list together, for looking them over.
#include <string>

#include "platform/forms.h"

namespace qs {

class TLabel;
class TButton;
class TECImageTrack;
class TECScrollPanel;
class TECScrollWinControl;
class TECGuitar;
class TECFormLanguage;

class TFUiControls : public TForm {
 public:
  explicit TFUiControls(TComponent* owner);
  const char* ClassName() const override { return "TFUiControls"; }
  // The name of a pitch class (0 C .. 11 B) in the window's language.
  std::string NoteName(int pitchClass) const;

  TLabel* LVolume = nullptr;
  TLabel* LBalance = nullptr;
  TLabel* LPalette = nullptr;
  TLabel* LChords = nullptr;
  TLabel* LFretboard = nullptr;
  TECImageTrack* TBVolume = nullptr;
  TECImageTrack* TBBalance = nullptr;
  TECScrollPanel* SPPalette = nullptr;
  TButton* BWhole = nullptr;
  TButton* BHalf = nullptr;
  TButton* BQuarter = nullptr;
  TButton* BEighth = nullptr;
  TButton* BSixteenth = nullptr;
  TECScrollWinControl* SWChords = nullptr;
  TECGuitar* GFretboard = nullptr;
  TECFormLanguage* FLUiControls = nullptr;
};

// Messages of the window: note names, then the lines and footer of the
// sample drop-down list.
inline constexpr int kNoteNameMessage = 0;
inline constexpr int kHistoryLineMessage = 12;
inline constexpr int kHistoryLineCount = 5;
inline constexpr int kHistoryFooterMessage = 17;

void RegisterUiControlForms();

}  // namespace qs

#pragma once
// TFModify: the palette of changes to what is selected or at the cursor of
// the active document: move, transpose, resize, stems, beams, joining and
// splitting notes, offsets, alignment, breaks, the layout's spacing, the
// beaming and row-alignment styles of the cursor's measure or system, and
// the recomputation of velocities and playback effects. It has no tool of
// its own: every button acts at once. The buttons that step a value repeat
// while held down. Its values live in the settings section "Modify".
#include <functional>
#include <vector>

#include "palettes/palette.h"
#include "playback/toolpages.h"

namespace qs {

class TECCharButton;
class TFBarUnion;
class TFAlignMeasure;
class TFHeightTranspose;
class TTimer;
class TQSItem;

struct TModifySettings {
  static constexpr const char* kSection = "Modify";
  int PitchUp = 1;              // semitones of the upward transposition
  int PitchDown = 1;            // semitones of the downward one (kept positive)
  bool BarUnionActive = false;  // the cursor measure's own beaming style
  int BarUnionCount = 0;        // 0 none, 1 measure, 2 beats, n > 2 in n - 1 groups
  bool HorzAlign = false;       // the system's own row alignment
  int HorzAlignStyle = 0;       // 0 evenly, 1 proportionally, 2 positionally
  int NoteInterval = 0;         // space between notes, evenly
  int AlignMeasureCount = 3;    // measures in a row, positionally
  template <class IO>
  void Visit(IO& io) {
    const TModifySettings d{};
    io.Key("PitchUp", PitchUp, d.PitchUp, -127, 127);
    io.Key("PitchDown", PitchDown, d.PitchDown, 0, 127);
    io.Key("BarUnionActive", BarUnionActive, d.BarUnionActive);
    io.Key("BarUnionCount", BarUnionCount, d.BarUnionCount, 0, 255);
    io.Key("HorzAlign", HorzAlign, d.HorzAlign);
    io.Key("HorzAlignStyle", HorzAlignStyle, d.HorzAlignStyle, 0, 2);
    io.Key("NoteInterval", NoteInterval, d.NoteInterval, 0, 100);
    io.Key("AlignMeasureCount", AlignMeasureCount, d.AlignMeasureCount, 1, 255);
  }
};

class TFModify : public TQSToolPage, public TPalette {
 public:
  // The palette's command buttons.
  enum TButton : uint8_t {
    bMoveUp, bMoveDown, bOctaveUp, bOctaveDown, bPitchUp, bPitchDown, bMoveLeft, bMoveRight,
    bSizeIncrease, bSizeDecrease, bLineUp, bLineDown, bBeamUp, bBeamDown, bUnionNotes, bSplitNotes,
    bUnionNote, bSplitNote, bNotesOffset, bHorzAlign, bVertAlign, bIncOffDole, bDecOffDole,
    bStaffUp, bStaffDown, bIncLeftStaff, bDecLeftStaff, bIncRightStaff, bDecRightStaff,
    bIncOffsetMeasure, bDecOffsetMeasure, bAddStaffBreak, bDeleteStaffBreak, bAddPageBreak,
    bDeletePageBreak, bBarUnionStyle, bMeasureAlignStyle, bPlaybackEditor, bVelocityEditor,
    bCalcEffects, bCalcVelocity, bUnionRow, bSplitRow,
    kButtonCount
  };

  TFModify(TComponent* owner, const TPaletteContext& context);
  ~TFModify() override;
  const char* ClassName() const override { return "TFModify"; }

  // TPalette: no tool; a click into the score only places the cursor.
  TCustomForm& Form() override { return *this; }
  void ApplyTool() override;
  void ResetToDefaults() override {}
  bool InsertToolItem(TQSWindow&, TInsertFrom) override { return false; }

  TECCharButton* Button(TButton b) const { return buttons_[b]; }
  // Whether the button repeats while held down.
  static bool Repeats(TButton b);
  // Runs the button's command once on the active document, as a click on
  // it does (the page-break button first asks the empty pages). Nothing
  // without a document.
  void RunCommand(TButton b);
  const TModifySettings& Values() const { return values_; }
  // The row-alignment style byte the settings give.
  uint8_t AlignStyle() const;

  // The repeat timer (100 milliseconds) of a held button.
  TTimer* TClick = nullptr;
  // The drop-downs of the effects and velocity buttons show the program's
  // settings of playback effects and of dynamics below the button.
  std::function<void(TECCharButton* below)> OnEffectsDropDown;
  std::function<void(TECCharButton* below)> OnDynamicsDropDown;
  // Asks the empty pages after a page break (-1 cancels); by default the
  // page-count dialog.
  std::function<int()> AskEmptyPages;

  // The drop-downs open below their buttons.
  void OpenTranspose(bool up);
  void OpenBarUnion();
  void OpenAlignMeasure();
  // The drop-down open now, or null.
  TCustomForm* OpenPopup() const { return popup_; }

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void MakeButtons();
  void LoadSettings();
  void Store();
  void HoldDown(TButton b);
  void HoldUp(TButton b);
  void RepeatTick();
  void ShowPopup(TCustomForm* popup, TECCharButton* below);
  void ClosePopup();
  void TransposeChosen(bool up, int value);
  void BarUnionChanged(const TFBarUnion& form);
  void AlignChanged(const TFAlignMeasure& form);
  std::vector<TQSItem*> SelectedItems(TQSScore& score) const;

  TPaletteHost* host_;
  TModifySettings values_;
  TECCharButton* buttons_[kButtonCount] = {};
  int held_ = -1;
  bool repeated_ = false;
  bool loading_ = true;
  TCustomForm* popup_ = nullptr;
};

}  // namespace qs

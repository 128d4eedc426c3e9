#pragma once
// TFSymbols: the symbols palette. It chooses what a click into the score
// enters besides notes, rests, clefs, keys and time signatures: dynamics and
// hairpins, articulations, ornaments, fermatas, arpeggios and vibratos,
// hangs and brackets, pedal and breath marks, fingering, bowing, string
// numbers, guitar techniques and bends, ottava lines, repeat, section and
// jump marks and rehearsal marks, in one of the three input regimes. At
// most one of its tools is down; Point down means none. Its values live in
// the settings section "Symbols".
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "palettes/palette.h"
#include "playback/toolpages.h"

namespace qs {

class TControl;
class TECCharButton;
class TECScrollPanel;
class TFNumber;
class TFRehearsalMark;
class TQSScore;

// The palette's values in the settings section "Symbols".
struct TSymbolsSettings {
  static constexpr const char* kSection = "Symbols";
  int SymbolsRegime = 1;
  int RehearsalMarkNumeration = 0;   // 0 automatic, 1 a number asked at each mark
  int RehearsalMarkKind = 0;         // 0 letters, 1 digits
  int RehearsalMarkBorderKind = 1;   // 0 none, 1 rectangle, 2 circle
  int RehearsalMarkBorderWidth = 1;
  int RehearsalMarkNumber = 1;
  int NumberStyle = 0;               // measure numbers: 0 each, 1 each line, 2 each page, 3 every tenth

  template <class IO>
  void Visit(IO& io) {
    const TSymbolsSettings d{};
    constexpr int kAny = -2147483647 - 1, kAll = 2147483647;
    io.Key("SymbolsRegime", SymbolsRegime, d.SymbolsRegime, kAny, kAll);
    io.Key("RehearsalMarkNumeration", RehearsalMarkNumeration, d.RehearsalMarkNumeration, 0, 1);
    io.Key("RehearsalMarkKind", RehearsalMarkKind, d.RehearsalMarkKind, 0, 1);
    io.Key("RehearsalMarkBorderKind", RehearsalMarkBorderKind, d.RehearsalMarkBorderKind, 0, 2);
    io.Key("RehearsalMarkBorderWidth", RehearsalMarkBorderWidth, d.RehearsalMarkBorderWidth, 0, 3);
    io.Key("RehearsalMarkNumber", RehearsalMarkNumber, d.RehearsalMarkNumber, 0, 0xFFFF);
    io.Key("NumberStyle", NumberStyle, d.NumberStyle, 0, 3);
  }
};

class TFSymbols : public TQSToolPage, public TPalette {
 public:
  // The tools, left to right as the palette shows them.
  enum TButton : uint8_t {
    bMeasureNumber, bRehearsal, bBeginComposition, bEndComposition, bEndPartion, bPartComposition,
    bBeginRepeat, bEndRepeat, bBeginCoda, bSegno, bDaCapo, bDalSegno, bOttavaUp, bOttavaDown,
    bForte, bPiano,
    bFortissimo, bPianissimo, bFortississimo, bPianississimo, bMezzoForte, bMezzopiano, bFortepiano,
    bForzando, bSForzando, bExtraForzato, bSForzato,
    bCrechendo, bDiminuendo, bArpeggio, bVibrato,
    bArpeggioUp, bWideVibrato, bArpeggioDown, bVibratoBar,
    bBottomHang, bTopHang, bTrill, bMordent,
    bTrillB, bStrikeMordent, bTrillD, bDoubleMordent, bTrillBk, bStrikeDoubleMordent,
    bGroup1, bGroup2, bBracketUp, bBracketDown, bFermataUp, bFermataDown,
    bShortFermata1, bShortFermata2, bLongFermata1, bLongFermata2,
    bAccentTop, bAccentRight,
    bTenutoStaccato1, bTenutoStaccato2, bStaccatoPressurePercussive1, bStaccatoPressurePercussive2,
    bTenutoPressurePercussive1, bTenutoPressurePercussive2, bTenutoPercussive1, bTenutoPercussive2,
    bStaccatoPercussive1, bStaccatoPercussive2, bTenutoWedge1, bTenutoWedge2,
    bWedgePressurePercussive1, bWedgePressurePercussive2,
    bPedalDown, bPedalUp, bBreath, bZero, bOne, bTwo, bThree, bFour, bFive,
    bRFinger1, bRFinger2, bRFinger3, bRFinger4, bRFinger5,
    bBowDown, bBowUp, bBarre, bBarreBracket,
    bContinueUntil, bFlajolet, bPalmMute, bMute, bHammerOn, bPullOff, bTapOn, bSlide,
    b1String, b2String,
    b3String, b4String, b5String, b6String, b7String, b8String,
    bPreBend, bBendUp,
    bPreBendReleaseOverTime, bBendUpRelease, bPreBendRelease, bBendUpReleaseOverTime,
    kButtonCount
  };

  // What a tool enters, as its table gives it.
  enum class TInsertHow : uint8_t {
    Mark,    // a staff mark at the cursor
    Column,  // a column mark at the cursor's measure number
    Bend,    // a bend on the note at the cursor
    Dialog,  // asks its values in a dialog first
  };
  // The groups of tools that can be folded away, each behind its arrow
  // button, left to right.
  enum TGroup : uint8_t {
    gDinamics, gArpeggios, gTrills, gFermata, gAccepts, gFingers, gTabulature, gStrings, gBends, kGroupCount
  };
  struct TToolInfo {
    const char* Name;
    const char* Letter;  // its key, shown in its corner ("" for none)
    const char* Cursor;  // the tool cursor's name
    int Arm;             // the insertion feedback of the views (paletteitem)
    TInsertHow How;
    int Kind, Type;
  };
  // The tool's row of the palette's table.
  static TToolInfo Info(TButton b);

  TFSymbols(TComponent* owner, const TPaletteContext& context);
  ~TFSymbols() override;
  const char* ClassName() const override { return "TFSymbols"; }

  // TPalette
  TCustomForm& Form() override { return *this; }
  void ApplyTool() override;
  void ResetToDefaults() override;
  bool InsertToolItem(TQSWindow& view, TInsertFrom from) override;
  // The eraser takes the clicked item out; any tool enters as a click into
  // the score does, at the clicked note.
  bool ItemClick(TQSWindow& view, TQSCalcItem& element) override;
  // Esc and Q Point, W the regime, E Erase; a tool's letter (or digit)
  // presses the next tool of its cycle, after the last one Point. With
  // Shift the letter presses the first tool of its cycle.
  bool PageKey(uint16_t key, uint16_t shift, uint16_t prefix) override;

  TECCharButton* Button(TButton b) const { return buttons_[b]; }
  TECCharButton* GroupButton(TGroup g) const { return groupButtons_[g]; }
  // The group a tool belongs to, kGroupCount for the tools always shown.
  static TGroup GroupOf(TButton b);
  bool GroupShown(TGroup g) const;
  // Folds a shown group away (Point is pressed first, so that no hidden
  // tool stays chosen) or shows it again; the buttons right of it move by
  // the group's width. The choice is kept in the settings.
  void ToggleGroup(TGroup g);
  // How far the buttons right of a group move: the width of its columns
  // and one pixel.
  int GroupShift(TGroup g) const;

  // The drop-downs of the measure-number and rehearsal-mark tools (shown
  // below their button; they free themselves when they close).
  TFNumber* OpenNumberOptions();
  TFRehearsalMark* OpenRehearsalOptions();
  // What the drop-downs report.
  void RehearsalMarkChanged(int numeration, int kind, int border);
  void NumberStyleChanged(int style);
  bool IsDown(TButton b) const;
  // The tool that is down, or kButtonCount for none.
  TButton DownTool() const;
  TInputRegime Regime() const;
  const TSymbolsSettings& Values() const { return values_; }
  // The rehearsal mark's style byte: the kind in bits 6-7 (1 letters,
  // 2 digits), the border kind in bits 2-5, its width in bits 0-1.
  int GetRehearsalMarkStyle() const;
  // The palette item code the views draw for the pressed tool.
  int ItemCode() const;
  // The cursor name of the pressed tool ("" for the default cursor).
  std::string ToolCursorName() const;

  TECCharButton *CBPointSymbols = nullptr, *CBEraseSymbols = nullptr;
  TECCharButton *CBSingleSymbols = nullptr, *CBMultiplySymbols = nullptr, *CBQuickSymbols = nullptr;
  TECScrollPanel* SPSymbols = nullptr;

 private:
  void MakeButtons();
  void LoadSettings();
  void Store();
  void ShowRegime(TInputRegime regime);
  void PointClick();
  void EraseClick();
  void RegimeClick();
  void ToolClick(TButton b);
  // Presses a tool as a click on it does.
  void PressTool(TButton b);
  void ReleaseTools(TButton except);
  void PressPoint();
  void PaintFace(TButton b, TCanvas& c, const TRect& face, TColor ink) const;
  // Places every button of the scroll panel where the shown groups put it.
  void LayOutGroups();
  // Asks the values of a dialog tool and enters its item; false when the
  // dialog was cancelled or the entry was no value.
  bool InsertFromDialog(TButton b, TQSScore& score, int offset);
  // The length of lines that run on (the program's default duration).
  int DefaultLength() const;

  TPaletteHost* host_;
  TSymbolsSettings values_;
  std::array<TECCharButton*, kButtonCount> buttons_{};
  std::array<TECCharButton*, kGroupCount> groupButtons_{};
  std::array<int, kGroupCount> groupShift_{};
  // Every button of the scroll panel: where it stands with every group
  // shown, where the groups put it now, and its group (kGroupCount for
  // none; a group's arrow button counts as before its group).
  struct TPlace {
    TControl* Control;
    int Home, Now;
    TGroup Group;
  };
  std::vector<TPlace> places_;
  bool loading_ = true;
};

}  // namespace qs

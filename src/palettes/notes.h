#pragma once
// TFNotes: the note-entry palette. It chooses what a click into the score
// enters (a note or rest value, a clef, key, time signature, tempo mark,
// accolade, repeat sign or multi-measure rest) and with which modifiers
// (accidentals, dots, tuplet, tremolo, ties and slides, articulations,
// hi-hat and hand marks, note heads), in one of the three input regimes.
// Its values live in the settings section "Notes".
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "palettes/palette.h"
#include "playback/toolpages.h"

namespace qs {

class TECCharButton;
class TUpDown;
class TPanel;

// The palette's values in the settings section "Notes". Visit names every
// key with its field once, for reading and for writing.
struct TNotesSettings {
  static constexpr const char* Section = "Notes";
  int NotesRegime = 1;
  int Accolade = 1;          // 0 brace, 1 bracket, 2 thin bracket, 255 none
  int Clef = 1;              // clef code 1..15
  int Tone = 0;              // 0 none, 1..7 sharps, 11..17 flats
  int ToneStyle = 0;         // 0 major, 1 minor
  bool ToneModify = false;   // a key change respells following notes
  int Size = 1028;           // time signature: count << 8 | unit
  int SizeStyle = 0;         // 0 numbers, 1 common time, 2 cut time
  int TempoNote = 2;         // beat: 0 whole .. 4 sixteenth
  int TempoSize = 120;       // beats per minute
  bool VorschlagBefore = true;
  bool VorschlagShort = true;
  int VorschlagDuration = 0;
  int VorschlagInterval = 0;
  bool VorschlagLiga = true;
  int Treole = 3;            // tuplet number 2..10
  int Tremolo = 1;           // strokes 1..4
  int RepeatBar = 0;         // 0 one measure, 1 two
  int RepeatNote = 0;        // 0 half, 1 quarter, 2 eighth
  int MeasurePause = 10;
  int DrumStyle = 0;
  int MicroTone = 101;
  int BracketStyle = 0;      // 0 "(  )", 1 "[  ]", 2 "{  }"

  template <class IO>
  void Visit(IO& io) {
    io("NotesRegime", NotesRegime);
    io("Accolade", Accolade);
    io("Clef", Clef);
    io("Tone", Tone);
    io("ToneStyle", ToneStyle);
    io("ToneModify", ToneModify);
    io("Size", Size);
    io("SizeStyle", SizeStyle);
    io("TempoNote", TempoNote);
    io("TempoSize", TempoSize);
    io("VorschlagBefore", VorschlagBefore);
    io("VorschlagShort", VorschlagShort);
    io("VorschlagDuration", VorschlagDuration);
    io("VorschlagInterval", VorschlagInterval);
    io("VorschlagLiga", VorschlagLiga);
    io("Treole", Treole);
    io("Tremolo", Tremolo);
    io("RepeatBar", RepeatBar);
    io("RepeatNote", RepeatNote);
    io("MeasurePause", MeasurePause);
    io("DrumStyle", DrumStyle);
    io("MicroTone", MicroTone);
    io("BracketStyle", BracketStyle);
  }
};

class TFNotes : public TQSToolPage, public TPalette {
 public:
  // The palette's buttons, in the order in which the first pressed one
  // gives the tool cursor (Erase first).
  enum TButton : uint8_t {
    bAccolade, bClef, bTone, bSize, bTempo, bVorschlag, bRepeatBar, bRepeatNote,
    bWholeNote, bNote, bNote2, bNote4, bNote8, bNote16, bNote32, bNote64,
    bMeasurePause, bPause, bPause2, bPause4, bPause8, bPause16, bPause32, bPause64,
    bDiesis, bBecarreDiesis, bDoubleDiesis, bBemol, bBecarreBemol, bDoubleBemol, bBecarre, bMicrotone,
    bDot, bDoubleDot, bStaccato, bPortamento, bOpenHat, bHalfOpenHat, bHandUp, bHandDown,
    bGlissandoUp, bGlissandoDown, bFallUp, bFallDown, bLift, bTremolo, bSlide, bLigaUp, bLigaDown,
    bSmallNote, bFlazholetNote, bDrumNote, bBlankNote, bBracketStyle, bTreole, bDrumStyles,
    kButtonCount
  };

  TFNotes(TComponent* owner, const TPaletteContext& context);
  ~TFNotes() override;
  const char* ClassName() const override { return "TFNotes"; }

  // TPalette
  TCustomForm& Form() override { return *this; }
  void ApplyTool() override;
  void ResetToDefaults() override;
  bool InsertToolItem(TQSWindow& view, TInsertFrom from) override;
  // The eraser takes the item out; with a note or rest value a note or rest
  // goes in as for a click into the score; a modifier alone is applied to
  // the clicked note (accidentals, dots, lines, articulations, heads), the
  // tie, slur or slide tool starts from it.
  bool ItemClick(TQSWindow& view, TQSCalcItem& element) override;

  TECCharButton* Button(TButton b) const { return buttons_[b]; }
  bool IsDown(TButton b) const;
  TInputRegime Regime() const;
  const TNotesSettings& Values() const { return values_; }

  // The pressed note or rest value among the whole to the 1/64 (512 .. 8);
  // 0 when none (also with the double whole note).
  int GetDuration() const;
  // Presses the value's note button (when a note value is down) or rest
  // button, as a click would; other values change nothing.
  void SetDuration(int ticks);
  // The palette item code the views draw for the pressed tool.
  int ItemCode() const;
  // The cursor name of the first pressed tool ("" for the default cursor).
  std::string ToolCursorName() const;
  // The modifier codes of the pressed modifier buttons, the accidental's
  // shift of the sounding pitch (-2..+2) and the bracket (style + 1, 0 none).
  void CollectMarks(std::vector<int>& list, int& shift, int& bracket) const;
  // Presses the tool button and enters its item at the cursor, then
  // releases it (the keyboard enters notes and rests this way).
  void QuickInsert(TButton b);

  TECCharButton *CBPointNotes = nullptr, *CBEraseNotes = nullptr;
  TECCharButton *CBSingleNotes = nullptr, *CBMultiplyNotes = nullptr, *CBQuickNotes = nullptr;
  TUpDown *UDTreole = nullptr, *UDTremolo = nullptr, *UDRepeatBar = nullptr, *UDRepeatNote = nullptr;
  TPanel* SPNotes = nullptr;

 private:
  void MakeButtons();
  void LoadSettings();
  void Store();
  void ShowRegime(TInputRegime regime);
  void PointClick();
  void EraseClick();
  void RegimeClick();
  void ButtonClick(TButton b);
  // Releases the scroll panel's buttons but except, by the mode of the
  // group that was clicked.
  void ReleaseTools(TButton except, int mode);
  void PressPoint();
  bool AnyDown(TButton first, TButton last) const;
  void UpdateHints();
  // A numbered message of the palette's language file.
  std::string Message(int index) const;

  TPaletteHost* host_;
  TNotesSettings values_;
  std::array<TECCharButton*, kButtonCount> buttons_{};
  bool loading_ = true;
};

}  // namespace qs

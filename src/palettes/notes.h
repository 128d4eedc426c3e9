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

#include "palettes/drums.h"
#include "palettes/palette.h"
#include "playback/toolpages.h"

namespace qs {

class TECCharButton;
class TECScrollPanel;
class TUpDown;
class TPanel;

// The palette's values in the settings section "Notes". Visit names every
// key with its field once, for reading and for writing.
struct TNotesSettings {
  static constexpr const char* kSection = "Notes";
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

  // io.Key(key, field, default[, min, max]); a value outside min..max
  // reads as the default. The regime reads any number (RegimeFromValue
  // takes one out of range as Single); codes the faces and cursors do not
  // know leave them as they are.
  template <class IO>
  void Visit(IO& io) {
    const TNotesSettings d{};
    constexpr int kAny = -2147483647 - 1, kAll = 2147483647;
    io.Key("NotesRegime", NotesRegime, d.NotesRegime, kAny, kAll);
    io.Key("Accolade", Accolade, d.Accolade, kAny, kAll);
    io.Key("Clef", Clef, d.Clef, kAny, kAll);
    io.Key("Tone", Tone, d.Tone, kAny, kAll);
    io.Key("ToneStyle", ToneStyle, d.ToneStyle, 0, 1);
    io.Key("ToneModify", ToneModify, d.ToneModify);
    io.Key("Size", Size, d.Size, 0, 0xFFFF);
    io.Key("SizeStyle", SizeStyle, d.SizeStyle, 0, 2);
    io.Key("TempoNote", TempoNote, d.TempoNote, 0, 4);
    io.Key("TempoSize", TempoSize, d.TempoSize, 1, 0xFFFF);
    io.Key("VorschlagBefore", VorschlagBefore, d.VorschlagBefore);
    io.Key("VorschlagShort", VorschlagShort, d.VorschlagShort);
    io.Key("VorschlagDuration", VorschlagDuration, d.VorschlagDuration, 0, 0xFFFF);
    io.Key("VorschlagInterval", VorschlagInterval, d.VorschlagInterval, 0, 255);
    io.Key("VorschlagLiga", VorschlagLiga, d.VorschlagLiga);
    io.Key("Treole", Treole, d.Treole, 2, 10);
    io.Key("Tremolo", Tremolo, d.Tremolo, 1, 4);
    io.Key("RepeatBar", RepeatBar, d.RepeatBar, 0, 1);
    io.Key("RepeatNote", RepeatNote, d.RepeatNote, 0, 2);
    io.Key("MeasurePause", MeasurePause, d.MeasurePause, 1, 9999);
    io.Key("DrumStyle", DrumStyle, d.DrumStyle, 0, kAll);
    io.Key("MicroTone", MicroTone, d.MicroTone, kAny, kAll);
    io.Key("BracketStyle", BracketStyle, d.BracketStyle, 0, 2);
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
  // Q and Esc Point, W the regime, E Erase, the letters of the buttons,
  // numeric + and - step the value, 1 .. 7 choose it (after Enter a note,
  // after Space a rest goes in at the cursor at once).
  bool PageKey(uint16_t key, uint16_t shift, uint16_t prefix) override;
  void LanguageChanged() override { UpdateHints(); }

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

  int GetRepeatBar() const { return values_.RepeatBar; }
  int GetRepeatNote() const { return values_.RepeatNote; }
  int GetTremolo() const { return values_.Tremolo; }
  // Stores the count of a multi-measure rest when it changed.
  void SetMeasurePause(int count);
  // The drum styles of "Drums.ini" (Piano, drum map and recording use them).
  TDrumStyles& DrumStyles() { return drumStyles_; }
  // The drum style list the other palettes and dialogs use: the palette's
  // (the one made last), or without a palette a list of their own, read
  // once.
  static TDrumStyles& SharedDrumStyles();
  // The style at DrumStyle; null when the index is not below the count.
  TECDrumDescription* GetDrumStyle() const;
  // The note-head code a note gets: 0 unless the drum note is down; then,
  // with a current style, every style is registered with the score and the
  // code is DrumStyle + 5.
  int DrumStyleForEntry(TQSScore& score);

  // The pickers' answers: each takes the value, keeps it in the settings,
  // presses its tool and runs the tool's click.
  void ClefChosen(int clef);
  void KeyChosen(int tone, bool minor, bool modify);
  void TimeChosen(int size, int sizeStyle);
  void TempoChosen(int note, int tempo);
  void GraceChosen(bool before, bool isShort, int duration, int interval, bool liga);
  void AccoladeChosen(int accolade);
  void MicroToneChosen(int code);
  void DrumStyleChosen(int index);
  void BracketStyleChosen(int style);
  // Opens the picker of a button below it (its arrow part does this).
  void OpenPicker(TButton b);
  // The picker open now, or null (freed when it closes).
  TDropDownPicker* OpenedPicker() const { return picker_; }

  TECCharButton *CBPointNotes = nullptr, *CBEraseNotes = nullptr;
  TECCharButton *CBSingleNotes = nullptr, *CBMultiplyNotes = nullptr, *CBQuickNotes = nullptr;
  TUpDown *UDTreole = nullptr, *UDTremolo = nullptr, *UDRepeatBar = nullptr, *UDRepeatNote = nullptr;
  TECScrollPanel* SPNotes = nullptr;

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
  // As the keyboard works the buttons: press puts the button down and runs
  // its click, toggle reverses it and runs its click, put-up only puts it
  // up. A disabled button does nothing.
  void Press(TButton b);
  void Toggle(TButton b);
  void PutUp(TButton b);
  // first down: press second; second down: release it; else press first.
  void PressPair(TButton first, TButton second);
  // The note (or rest) value button that is down, as 0 (whole) .. 6 (1/64), or -1.
  int DownValue(TButton first) const;
  bool AnyDown(TButton first, TButton last) const;
  void UpdateHints();
  void UpdateMicroToneButton();
  void UpdateDrumButton();
  void PaintGraceFace(TCanvas& c, const TRect& face, TColor ink) const;
  void PaintDrumFace(TCanvas& c, const TRect& face, bool grey);
  void Notification(TComponent* component, TOperation operation) override;
  // Presses b, runs its click and repaints it (its value changed), as the
  // pickers' answers do.
  void PressTool(TButton b);
  // A numbered message of the palette's language file.
  std::string Message(int index) const;

  TPaletteHost* host_;
  TNotesSettings values_;
  std::array<TECCharButton*, kButtonCount> buttons_{};
  bool loading_ = true;
  TDrumStyles drumStyles_;
  TDropDownPicker* picker_ = nullptr;
  TComponent* pickerWatch_ = nullptr;
};

}  // namespace qs

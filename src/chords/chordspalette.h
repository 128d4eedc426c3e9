#pragma once
// TFChords: the Chords palette. The user composes a chord from buttons
// (root and its sign, base number, one quality word, alterations, bracket,
// raised marker, "add", bass) and every click on one of them enters the
// chord at the score cursor: as a chord symbol, as the chord's notes with
// the palette's note value, or as a guitar frame from the frames the
// current library guitar keeps for that chord. The composed name is shown
// under the buttons. It keeps the user's chord library ("Chords.ini" and
// one ".chd" file a chord in "Templates") and shows it as a row of buttons
// that enter a library chord on the palette's root.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chords/chordfile.h"
#include "chords/guitar.h"
#include "editing/chords.h"
#include "palettes/palette.h"
#include "playback/toolpages.h"

namespace qs {

class TECCharButton;
class TECChordEditor;
class TFChooser;
class TPanel;

// The palette's values in the settings section "Chords".
struct TChordsSettings {
  static constexpr const char* kSection = "Chords";
  int ChordAddition = 0;  // 0 chord symbol, 1 chord notes, 2 guitar frame
  bool ChordAbove = false;
  int ChordDuration = 64;
  int ChordNote = 0;  // root letter 0..6
  int ChordBase = 0;  // "5", "6", "7", "9", "11", "13"
  int ChordMinor = 0, ChordMajor = 0, ChordSus = 0, ChordOmit = 0;
  int ChordAddStyle = 0;
  std::array<int, 5> ChordAdd{};  // direction of 5, 7, 9, 11, 13: 0 plain, 1 raised, 2 lowered
  int ChordNote1 = 0;             // bass letter
  int GuitarKind = 0;

  template <class IO>
  void Visit(IO& io) {
    const TChordsSettings d{};
    io.Key("ChordAddition", ChordAddition, d.ChordAddition, 0, 2);
    io.Key("ChordAbove", ChordAbove, d.ChordAbove);
    io.Key("ChordDuration", ChordDuration, d.ChordDuration, 8, 512);
    io.Key("ChordNote", ChordNote, d.ChordNote, 0, 6);
    io.Key("ChordBase", ChordBase, d.ChordBase, 0, 5);
    io.Key("ChordMinor", ChordMinor, d.ChordMinor, 0, 2);
    io.Key("ChordMajor", ChordMajor, d.ChordMajor, 0, 1);
    io.Key("ChordSus", ChordSus, d.ChordSus, 0, 2);
    io.Key("ChordOmit", ChordOmit, d.ChordOmit, 0, 3);
    io.Key("ChordAddStyle", ChordAddStyle, d.ChordAddStyle, 0, 3);
    static const char* const kAddKeys[5] = {"ChordAdd5", "ChordAdd7", "ChordAdd9", "ChordAdd11", "ChordAdd13"};
    for (size_t i = 0; i < 5; ++i) io.Key(kAddKeys[i], ChordAdd[i], 0, 0, 2);
    io.Key("ChordNote1", ChordNote1, d.ChordNote1, 0, 6);
    io.Key("GuitarKind", GuitarKind, d.GuitarKind, 0, 255);
  }
};

class TFChords : public TQSToolPage, public TPalette {
 public:
  enum TMode { mSymbol = 0, mNotes = 1, mFrame = 2 };

  TFChords(TComponent* owner, const TPaletteContext& context);
  ~TFChords() override;
  const char* ClassName() const override { return "TFChords"; }

  // TPalette: the chord buttons enter by themselves; clicks into the score
  // only move the cursor.
  TCustomForm& Form() override { return *this; }
  void ApplyTool() override;
  void ResetToDefaults() override;
  bool InsertToolItem(TQSWindow& view, TInsertFrom from) override;
  // The page's keys: Esc releases the modifiers, R the next mode, U above
  // or below, N and M step the root and the base, D B I J S O A toggle
  // sharp, flat, minor, major, sus, omit and "add", numeric + and - step
  // the note value.
  bool PageKey(uint16_t key, uint16_t shift, uint16_t prefix) override;
  // The next root letter (B wraps to C) or base number (13 wraps to 5),
  // kept and entered as a click on the chord buttons does.
  void StepChordNote();
  void StepChordBase();
  // The buttons follow the chord at the cursor.
  void CursorMoved(TQSWindow& view) override;

  // The chord the buttons compose, as a chord code of its stored length.
  std::vector<uint8_t> GetChordCode() const;
  const TChordsSettings& Values() const { return values_; }
  int Mode() const { return values_.ChordAddition; }
  // The next mode (symbol, notes, frame, symbol again), kept.
  void NextMode();
  // Releases every modifier: sign, quality, add, alterations, bracket,
  // raised marker and bass.
  void ClearChordButtons();
  // Sets the buttons from a code without entering it: null releases every
  // modifier and "N.C.", the "N.C." code presses it.
  void ShowChordCode(const std::vector<uint8_t>* code);
  // The chord at the cursor of view on the buttons: in symbol mode the
  // chord symbol there, in notes mode the chord its notes make; frame mode
  // keeps what it shows.
  void ShowCursorChord(TQSWindow* view);
  // A chord button was clicked: the composed chord goes in at the cursor
  // (in frame mode the frame row follows the chord instead).
  void ChordButtonClick();
  void StepDuration(bool longer);

  // The value setters of the choosers: stored, shown and kept.
  void SetChordNote(int letter);
  void SetChordBase(int base);
  void SetChordMinor(int style);
  void SetChordMajor(int style);
  void SetChordSus(int style);
  void SetChordOmit(int style);
  void SetChordNote1(int letter);
  void SetAlteration(int index, int direction);
  void SetAlterationStyle(int style);
  void SetDuration(int ticks);

  // The guitar library of frame mode: the palette's own until it is given
  // the one the guitar palette keeps (both then show the same guitars).
  std::vector<std::unique_ptr<TQSGuitarDescription>>& Guitars() { return *guitars_; }
  void UseGuitars(std::vector<std::unique_ptr<TQSGuitarDescription>>& guitars);
  TQSGuitarDescription* CurrentGuitar() const;
  void GuitarChosen(int index);
  // The frames of the current guitar kept for the composed chord.
  std::vector<TQSGuitarFrame*> MatchingFrames() const;
  // Enters frame (of the current guitar) at the cursor.
  void InsertFrame(const TQSGuitarFrame& frame);
  // Builds the buttons of the frame row anew.
  void FillFrameButtons();
  // The frame drop-down: every change of its frame goes in at the cursor.
  // It starts from the frame at the cursor, else from the open strings of
  // the current guitar.
  void OpenUserFrame();
  // The frame editor on the frame at the cursor; its frame, saved, joins
  // the current guitar (and the guitar's file). False when there is no
  // frame at the cursor or no guitar.
  bool EditCursorFrame();

  TECCharButton *CBChordAddition = nullptr, *CBFrameAddition = nullptr, *CBDefChordAddition = nullptr;
  TECCharButton *CBChordAbove = nullptr, *CBChordDuration = nullptr, *CBNoChord = nullptr, *CBGuitarKind = nullptr;
  TECCharButton *CBChordNote = nullptr, *CBChordDiesis = nullptr, *CBChordBemol = nullptr, *CBChordBase = nullptr;
  TECCharButton *CBChordMinor = nullptr, *CBChordMajor = nullptr, *CBChordSus = nullptr, *CBChordOmit = nullptr;
  TECCharButton *CBChordAdd = nullptr, *CBChordBracket = nullptr, *CBChordPlace = nullptr;
  std::array<TECCharButton*, 5> CBChordAdds{};  // 5, 7, 9, 11, 13
  TECCharButton *CBChordNote1 = nullptr, *CBChordDiesis1 = nullptr, *CBChordBemol1 = nullptr;
  // ---- the chord library; its first chord is the one added or used last.
  using TChordLibrary = std::vector<std::unique_ptr<TQSChordDescription>>;
  TChordLibrary& Library() { return library_; }
  // The chords "Chords.ini" lists whose files exist; their content is read
  // when their button is first made.
  void LoadChords();
  // "Chords.ini" written from the library.
  void SaveChords();
  // At the head of the library; the row and "Chords.ini" follow.
  void AddChord(std::unique_ptr<TQSChordDescription> chord);
  // Frees every library chord of that file name (any case) but keep; how
  // many.
  int RemoveChordsByName(const std::string& fileName, const TQSChordDescription* keep = nullptr);
  // Takes one chord out of the library and rewrites "Chords.ini" and the
  // row; deleteFile also deletes its file from the user's Templates folder.
  void RemoveLibraryChord(const TQSChordDescription* chord, bool deleteFile);
  void MoveChordToHead(const TQSChordDescription* chord);
  // The open dialog, then ImportChordFiles; true when a file was taken.
  bool ImportChord();
  // Each file becomes a library chord and is copied into the Templates
  // folder; a chord of the same name is replaced only when the user says
  // so. Stops at the first file that is missing or is no chord file.
  bool ImportChordFiles(const std::vector<std::string>& paths);
  // Reads the chord's file unless that was done.
  static void EnsureLoaded(TQSChordDescription& chord);
  // The library row's buttons anew (modes symbol and notes).
  void FillChordButtons();
  // A library chord on the palette's root and signs: as a symbol named by
  // its fragments, or as its notes moved from C to the root.
  void InsertLibraryChord(TQSChordDescription& chord);
  std::vector<TQSChordTone> LibraryChordTones(const TQSChordDescription& chord) const;
  // The main window's save-chord action, run by the save button outside
  // frame mode.
  std::function<void()> OnSaveChord;
  // Questions and warnings go through here (tests answer them).
  std::function<int(const std::string& title, const std::string& text, uint8_t icon, uint16_t buttons)> Ask;
  std::string Message(int index) const;

  TECCharButton *CBRemoveChord = nullptr, *CBSaveChord = nullptr, *CBChords = nullptr;
  TPanel* PChords = nullptr;
  std::vector<TECCharButton*> ChordButtons;
  TECChordEditor* ECChordName = nullptr;
  TPanel* PFrames = nullptr;
  std::vector<TECCharButton*> FrameButtons;

 private:
  TECCharButton* ChordButton(const char* name, int left, int top, int width, int group, bool arrow);
  void OpenChooser(TECCharButton* below, TFChooser* chooser, std::function<void(int)> chosen);
  void Store(const void* field);
  void SetPart(int& field, int value, int high);
  void ShowMode();
  void ShowDuration();
  void RefreshCaptions();
  void RefreshName();
  void DrawFrameButton(TECCharButton& button, const TQSGuitarFrame& frame, TCanvas& c, TRect r) const;

  TPaletteHost* host_;
  TChordsSettings values_;
  std::vector<std::unique_ptr<TQSGuitarDescription>> ownGuitars_;
  std::vector<std::unique_ptr<TQSGuitarDescription>>* guitars_ = &ownGuitars_;
  std::vector<TQSGuitarFrame*> shownFrames_;
  TChordLibrary library_;
};

// The Chords palette's tool page and its form for the form tools.
void RegisterChordsPalette();

}  // namespace qs

#pragma once
// TFGuitar: the Guitar palette. The user holds frets on a fretboard and
// the notes held on all strings are entered at the score cursor as one
// chord with the palette's note value, and sounded; the play button sounds
// the held chord. The fretboard also shows the notes at the cursor. The
// palette owns the guitar library ("Guitars.ini"); TFGuitarName picks a
// library guitar and the fretboard's direction.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chords/guitar.h"
#include "palettes/palette.h"
#include "playback/toolpages.h"

namespace qs {

class TECCharButton;
class TECGuitar;
class TListBox;

// The palette's values in the settings section "Guitar".
struct TGuitarSettings {
  static constexpr const char* kSection = "Guitar";
  int GuitarKind = 0;        // the current library guitar
  int GuitarDuration = 64;   // entry value in ticks (512 whole .. 8)
  int GuitarDirection = 0;   // the fretboard's direction, 0..3

  template <class IO>
  void Visit(IO& io) {
    const TGuitarSettings d{};
    io.Key("GuitarKind", GuitarKind, d.GuitarKind, 0, 255);
    io.Key("GuitarDuration", GuitarDuration, d.GuitarDuration, 8, 512);
    io.Key("GuitarDirection", GuitarDirection, d.GuitarDirection, 0, 3);
  }
};

class TFGuitar : public TQSToolPage, public TPalette {
 public:
  TFGuitar(TComponent* owner, const TPaletteContext& context);
  ~TFGuitar() override;
  const char* ClassName() const override { return "TFGuitar"; }

  // TPalette: the fretboard enters by itself; clicks into the score only
  // move the cursor, whose notes the fretboard then shows.
  TCustomForm& Form() override { return *this; }
  void ApplyTool() override;
  void ResetToDefaults() override;
  bool InsertToolItem(TQSWindow& view, TInsertFrom from) override;
  // The fretboard follows the cursor: the notes at its new place.
  void CursorMoved(TQSWindow& view) override;
  // Numeric + and - step the entry value; with Ctrl, while the view has
  // not the focus, the cursor keys move the score cursor.
  bool PageKey(uint16_t key, uint16_t shift, uint16_t prefix) override;

  std::vector<std::unique_ptr<TQSGuitarDescription>>& Guitars() { return guitars_; }
  // The current library guitar, or null.
  TQSGuitarDescription* CurrentGuitar() const;
  int GuitarIndex() const { return values_.GuitarKind; }
  int Duration() const { return values_.GuitarDuration; }
  void LoadGuitars();
  void SaveGuitars();
  void ApplyGuitar();
  void GuitarChosen(int index, int direction);
  void StepDuration(bool longer);
  // The note-value picker's choice: the entry value, kept.
  void DurationChosen(int ticks);
  // The chord of the held frets: entered at the cursor (and sounded), or
  // played on the MIDI output.
  void EnterHeldChord();
  void PlayHeldChord();
  // A played MIDI message shows (note-on) or clears (note-off) its note.
  void ShowMidiNote(int status, int pitch);
  // The notes at the cursor of the active view (or of view), on the
  // strings.
  void ShowCursorNotes();
  void ShowCursorNotes(TQSWindow* view);
  // The name of fret cell fret (-1 the open string) of fretboard string.
  std::string NoteName(int fret, int string) const;

  TECCharButton *CBGuitarKind = nullptr, *CBGuitarDuration = nullptr, *CBPlay = nullptr;
  TECGuitar* GGuitar = nullptr;

 private:
  // Writes the one value.
  void Store(const int& field);
  void ShowDuration();
  std::vector<int> HeldFrets() const;
  // Sets the fretboard's frets without entering them.
  void ShowFrets(const std::vector<int>& frets);

  TPaletteHost* host_;
  TGuitarSettings values_;
  std::vector<std::unique_ptr<TQSGuitarDescription>> guitars_;
  bool updating_ = false;
};

// The drop-down that picks a library guitar and the fretboard's direction.
class TFGuitarName : public TForm {
 public:
  explicit TFGuitarName(TComponent* owner);
  const char* ClassName() const override { return "TFGuitarName"; }

  TListBox* LBList = nullptr;
  TECCharButton *CBLeftTop = nullptr, *CBRightTop = nullptr, *CBLeftBottom = nullptr, *CBRightBottom = nullptr;

  void SetNames(const std::vector<std::string>& names);
  int GetGuitarIndex() const;
  void SetGuitarIndex(int index);
  int GetDirection() const;
  void SetDirection(int direction);
  // Without the direction buttons the list moves left and the form
  // narrows by 56; HideDirections also widens the list to 197.
  void SetDirectionsVisible(bool visible);
  void HideDirections();

  // Called with the chosen index and direction, before the form closes.
  std::function<void(TFGuitarName*, int index, int direction)> OnChosen;

 private:
  void Choose();
};

// The Guitar palette's tool page, and the forms of chords and guitars for
// the form tools.
void RegisterGuitarPalette();

}  // namespace qs

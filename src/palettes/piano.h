#pragma once
// TFPiano: enters notes and rests from an on-screen piano keyboard.
// Releasing a key enters its note at the cursor with the value chosen on
// the keyboard's value strip (or by the height at which the key is
// struck) and the modifiers of the button panel, spelled against the
// alterations in force; the cursor moves on unless a chord is being built.
// Its values live in the settings section "Piano".
#include <string>

#include "palettes/drums.h"
#include "palettes/palette.h"
#include "playback/toolpages.h"

namespace qs {

class TDropDownPicker;
class TECCharButton;
class TECMusicKeyboard;
class TUpDown;

struct TPianoSettings {
  static constexpr const char* kSection = "Piano";
  int DrumStyle = 0;
  int Treole = 3;
  int Tremolo = 1;
  int OffsetDuration = 2;
  int OffsetOctave = 2;
  int DurationPosition = 3;
  template <class IO>
  void Visit(IO& io) {
    const TPianoSettings d{};
    constexpr int kAll = 2147483647;
    io.Key("DrumStyle", DrumStyle, d.DrumStyle, 0, kAll);
    io.Key("Treole", Treole, d.Treole, 2, 10);
    io.Key("Tremolo", Tremolo, d.Tremolo, 1, 4);
    io.Key("OffsetDuration", OffsetDuration, d.OffsetDuration, 0, 6);
    io.Key("OffsetOctave", OffsetOctave, d.OffsetOctave, 0, 8);
    io.Key("DurationPosition", DurationPosition, d.DurationPosition, 0, 6);
  }
};

class TFPiano : public TQSToolPage, public TPalette {
 public:
  TFPiano(TComponent* owner, const TPaletteContext& context);
  ~TFPiano() override;
  const char* ClassName() const override { return "TFPiano"; }
  // The palette while it exists, else null (playback lights its keys).
  static TFPiano* Instance();

  // TPalette: no tool for the score views; keys enter at once.
  TCustomForm& Form() override { return *this; }
  void ApplyTool() override;
  void ResetToDefaults() override;
  bool InsertToolItem(TQSWindow&, TInsertFrom) override { return false; }
  bool PageKey(uint16_t key, uint16_t shift, uint16_t prefix) override;

  // A key of the keyboard released (octave 1 .. 9, note 1 .. 7 or -1 for a
  // rest, tone -1 .. +1): enters it at the cursor. False when nothing went in.
  bool KeyClick(int octave, int note, int tone);
  // The value the keyboard's strip chooses, in ticks (512 whole .. 8).
  int EntryDuration() const;
  // The head code of the entered note: 0 unless the drum note is down.
  int RegisterDrumStyles(TQSScore& score);
  int DrumStyle() const { return values_.DrumStyle; }
  void SetDrumStyle(int index);
  void DrumStyleChosen(int index);
  // Drops the drum style picker down below its button (one at a time).
  void OpenDrumStyles();
  // The drum style picker while it is open, else null.
  TDropDownPicker* OpenedPicker() const { return picker_; }
  // The seven note letters shown on the keys and typed.
  void SetKeyNames(const std::string& letters);
  // Playback lights and darkens the keys of the sounding pitches.
  void LightKey(int pitch);
  void UnlightKey(int pitch);
  void ClearLitKeys();
  // A MIDI message sent to the output (see TECMusicKeyboard::ShowMidiMessage).
  void ShowMidiMessage(uint8_t status, uint8_t key, uint8_t velocity);
  // The cursor of the keyboard alone ("" the default one).
  void SetKeyboardCursor(const std::string& name);

  TECMusicKeyboard* MKKeyboard = nullptr;
  TPanel* PPianoSymbols = nullptr;
  TECCharButton *CBNote = nullptr, *CBPause = nullptr, *CBDot = nullptr, *CBDoubleDot = nullptr;
  TECCharButton *CBTremolo = nullptr, *CBTreole = nullptr, *CBDrumNote = nullptr, *CBBlankNote = nullptr;
  TECCharButton *CBDrumStyles = nullptr, *CBChord = nullptr;
  TUpDown *UDTremolo = nullptr, *UDTreole = nullptr;

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void MakeControls();
  void Arrange();
  void LoadSettings();
  void Store();
  void TrackMouse(bool keys);
  TDrumStyles& Styles();

  TPaletteHost* host_;
  TPianoSettings values_;
  bool loading_ = true;
  std::string cursor_;
  TDropDownPicker* picker_ = nullptr;
};

}  // namespace qs

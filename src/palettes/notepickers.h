#pragma once
// The small pickers of note values: time signature (TFChooseSize), tempo
// mark (TFChooseTempo), grace-note style (TFChooseVorschlag), microtone
// accidental (TFMicroTone), accidental brackets (TFBracketStyles) and note
// value (TFDuration). The first three are live: every change calls
// OnChange and they stay open; the other three call OnChoose with the
// value clicked and close.
#include <array>
#include <cstdint>
#include <functional>

#include "palettes/dropdown.h"
#include "palettes/glyphpainters.h"

namespace qs {

class TComboBox;
class TCheckBox;
class TEdit;
class TGroupBox;
class TLabel;
class TRadioButton;
class TTrackBar;
class TUpDown;
class TECPageControl;
class TECTabSheet;


class TFChooseSize : public TDropDownPicker {
 public:
  explicit TFChooseSize(TComponent* owner);
  const char* ClassName() const override { return "TFChooseSize"; }
  // The unit of the selected list item (0 when none) with the count in the
  // high byte.
  int GetSize() const;
  // 0 numbers, 1 common time, 2 cut time, by the symbol buttons where the
  // time signature allows them.
  int GetSizeStyle() const;
  void SetSize(int size);
  void SetSizeStyle(int style);
  std::function<void(TObject* sender, int size, int sizeStyle)> OnChange;

  TEdit* ENotes = nullptr;
  TUpDown* UDNotes = nullptr;
  TComboBox* CBSize = nullptr;
  TECCharButton *CBSymbol1 = nullptr, *CBSymbol2 = nullptr;
  TLabel *LNotes = nullptr, *LSize = nullptr;

 private:
  void UpdateSymbols();
  void Changed();
  bool presetting_ = false;
};

class TFChooseTempo : public TDropDownPicker {
 public:
  explicit TFChooseTempo(TComponent* owner);
  const char* ClassName() const override { return "TFChooseTempo"; }
  // 0 whole, 1 half, 2 quarter, 3 eighth, 4 sixteenth; 2 when none.
  int GetTempoNote() const;
  void SetTempoNote(int index);
  // The beats per minute typed (the last valid number while the text is
  // not one).
  int GetTempo() const;
  void SetTempo(int value);
  std::function<void(TObject* sender)> OnChange;

  std::array<TECCharButton*, 5> CBNotes{};  // CBNote, CBNote2, CBNote4, CBNote8, CBNote16
  TEdit* ETempo = nullptr;
  TLabel* LTempo = nullptr;

 private:
  void Changed();
  int tempo_ = 120;
  bool presetting_ = false;
};

class TFChooseVorschlag : public TDropDownPicker {
 public:
  explicit TFChooseVorschlag(TComponent* owner);
  const char* ClassName() const override { return "TFChooseVorschlag"; }
  bool GetBefore() const;
  bool GetShort() const;
  // 0 for the default length; otherwise the length in ticks, read from the
  // track bar reversed (72 - position: an eighth at the left, a
  // sixty-fourth at the right).
  int GetDuration() const;
  int GetInterval() const;
  bool GetLiga() const;
  void SetBefore(bool v);
  void SetShort(bool v);
  // 0 checks the default; other lengths (8 .. 64) set the track bar.
  void SetDuration(int ticks);
  void SetInterval(int v);
  void SetLiga(bool v);
  std::function<void(TObject* sender)> OnChange;

  TGroupBox *RGPlace = nullptr, *RGStyle = nullptr;
  TRadioButton *RBBefore = nullptr, *RBAfter = nullptr, *RBShort = nullptr, *RBLong = nullptr;
  TCheckBox* RBDefault = nullptr;
  TTrackBar* TBDuration = nullptr;
  TLabel *LDuration8 = nullptr, *LDuration16 = nullptr, *LDuration64 = nullptr, *LNoteInterval = nullptr;
  TCheckBox* CBLiga = nullptr;
  TEdit* ENoteInterval = nullptr;
  TUpDown* UDNoteInterval = nullptr;

 private:
  void Changed();
  bool presetting_ = false;
};

// One microtone accidental: its code, the music-font character, the hint
// and where the character stands on a button.
struct TMicroToneInfo {
  int Code;
  uint8_t Glyph;
  const char* Hint;
  int PosX, PosY;
};
// The ten microtone accidentals; odd codes lower, even codes raise.
const std::array<TMicroToneInfo, 10>& MicroTones();
// The accidental of a code; null for any other code.
const TMicroToneInfo* FindMicroTone(int code);
// The shift of the sounding pitch: -1 for odd codes, +1 for even ones.
inline int MicroToneShift(int code) { return code % 2 ? -1 : 1; }

class TFMicroTone : public TDropDownPicker {
 public:
  explicit TFMicroTone(TComponent* owner);
  const char* ClassName() const override { return "TFMicroTone"; }
  // The code of the pressed button of the visible tab; 0 when it has none.
  int GetMicroTone() const;
  // Presses the code's button and shows its tab (the second for codes
  // above 132).
  void SetMicroTone(int code);
  std::function<void(TObject* sender, int code)> OnChoose;

  TECPageControl* PCMicrotone = nullptr;
  TECTabSheet *TSFirst = nullptr, *TSSecond = nullptr;
  std::array<TECCharButton*, 10> Buttons{};  // in the order of MicroTones()
};

// The caption of a bracket style: "(  )", "[  ]", "{  }"; "" for others.
const char* BracketCaption(int style);

class TFBracketStyles : public TDropDownPicker {
 public:
  explicit TFBracketStyles(TComponent* owner);
  const char* ClassName() const override { return "TFBracketStyles"; }
  int GetStyle() const;  // 0 when none is pressed
  void SetStyle(int style);
  std::function<void(TObject* sender, int style)> OnChoose;
  std::array<TECCharButton*, 3> CBBrackets{};
};

class TFDuration : public TDropDownPicker {
 public:
  explicit TFDuration(TComponent* owner);
  const char* ClassName() const override { return "TFDuration"; }
  // The value of the pressed button among 512 .. 16; 8 otherwise.
  int GetDuration() const;
  void SetDuration(int ticks);
  std::function<void(TObject* sender, int ticks)> OnChoose;
  std::array<TECCharButton*, 7> CBNotes{};  // 512 .. 8
};

}  // namespace qs

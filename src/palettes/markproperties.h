#pragma once
// The small modal dialogs that ask the values of a mark, when a palette
// tool enters it or when a selected one is changed: the number of a
// rehearsal mark (TFRehearsalMarkCount), number and measure count of a
// numbered ending (TFPartComposition), a barre (TFBarreProperties), a
// harmonic (TFFlajoletProperties), a tempo mark (TFTempoProperties) and a
// grace-note group (TFVorschlagProperties). Each is made for one use, shown
// modally and freed by its caller, who reads the values after OK only.
#include <array>
#include <string>

#include "platform/forms.h"

namespace qs {

class TButton;
class TCheckBox;
class TComboBox;
class TECCharButton;
class TECFormLanguage;
class TEdit;
class TGroupBox;
class TIniFile;
class TLabel;
class TPanel;
class TRadioButton;
class TTrackBar;
class TUpDown;

// ------------------------------------------------------- rehearsal number

// The letters of a rehearsal number: 1 "A", 26 "Z", 27 "AA", 28 "AB",
// 702 "ZZ"; numbers below 1 are "A".
std::string RehearsalLetters(int number);
// The number letters stand for (A = 1, read in base 26: "AA" 27); 0 for
// an empty text or one that holds anything but the letters A..Z.
int RehearsalLettersValue(const std::string& letters);
// What a typed character becomes in the number field: a small letter its
// capital, backspace itself; a character that is not an entry of the list
// on its own (the digits 1..9, or A..Z) is dropped (0).
char16_t RehearsalTypedKey(char16_t key, bool digits);

class TFRehearsalMarkCount : public TForm {
 public:
  // settings: where the dialog keeps its place, or null.
  TFRehearsalMarkCount(TComponent* owner, TIniFile* settings);
  ~TFRehearsalMarkCount() override;
  const char* ClassName() const override { return "TFRehearsalMarkCount"; }

  // Digits (1..99 in the list) or letters (A..Z).
  void SetDigits(bool digits);
  void SetValue(int number);
  // The number entered; false (no mark) when the entry is empty or no
  // number of the field's kind.
  bool GetValue(int& number) const;

  TLabel* LValue = nullptr;
  TComboBox* CBValue = nullptr;
  TButton *BBOk = nullptr, *BBCancel = nullptr;
  TECFormLanguage* LRehearsalMarkCount = nullptr;

 private:
  TIniFile* settings_;
  bool digits_ = false;
};

// ---------------------------------------------------------------- section

class TFPartComposition : public TForm {
 public:
  TFPartComposition(TComponent* owner, TIniFile* settings);
  ~TFPartComposition() override;
  const char* ClassName() const override { return "TFPartComposition"; }

  // The ending's number and the count of its measures, 1..20 each.
  int Number() const;
  int Count() const;

  TLabel *LNumber = nullptr, *LCount = nullptr;
  TEdit *ENumber = nullptr, *ECount = nullptr;
  TUpDown *UDNumber = nullptr, *UDCount = nullptr;
  TButton *BBOk = nullptr, *BBCancel = nullptr;
  TECFormLanguage* LPartComposition = nullptr;

 private:
  TIniFile* settings_;
};

// ---------------------------------------------------- the line-style face

// The button that shows a line style (pen styles 0..4) as a double navy
// line and opens the line-style chooser from its arrow.
TECCharButton* MakeLineStyleButton(TForm& form, TWinControl* parent, int left, int top, int& lineStyle);

// ------------------------------------------------------------------ barre

// The barre's style byte: bits 4..6 its type, bits 0..3 how many strings
// (0 all, 1 1/6, 2 1/3, 3 1/2, 4 2/3, 5 5/6), bit 7 the brackets.
constexpr int kBarreBrackets = 0x80;
constexpr int BarreStyle(int type, int amount, bool brackets) {
  return ((type << 4) | amount | (brackets ? kBarreBrackets : 0)) & 0xFF;
}

class TFBarreProperties : public TForm {
 public:
  TFBarreProperties(TComponent* owner, TIniFile* settings);
  ~TFBarreProperties() override;
  const char* ClassName() const override { return "TFBarreProperties"; }

  int GetFret() const;
  void SetFret(int fret);
  int GetBarreStyle() const;
  void SetBarreStyle(int style);
  // The pen style of its line, 0..4.
  int LineStyle = 2;

  TLabel* LFret = nullptr;
  TEdit* EFret = nullptr;
  TUpDown* UDFret = nullptr;
  TGroupBox* RGType = nullptr;
  std::array<TRadioButton*, 3> RBType{};
  TGroupBox* GBShow = nullptr;
  TCheckBox* CBBrackets = nullptr;
  TECCharButton* CBLineStyle = nullptr;
  TGroupBox* GBAmount = nullptr;
  TRadioButton *RBAll = nullptr, *RB16 = nullptr, *RB13 = nullptr, *RB12 = nullptr, *RB23 = nullptr,
               *RB56 = nullptr;
  TButton *BBOk = nullptr, *BBCancel = nullptr;
  TECFormLanguage* LBarreProperties = nullptr;

 private:
  TIniFile* settings_;
};

// -------------------------------------------------------------- harmonic

// The roman numeral of n (1 "I", 14 "XIV", 24 "XXIV").
std::string RomanFret(int n);

class TFFlajoletProperties : public TForm {
 public:
  static constexpr int kFrets = 24, kStep = 23, kView = 368;
  TFFlajoletProperties(TComponent* owner, TIniFile* settings);
  ~TFFlajoletProperties() override;
  const char* ClassName() const override { return "TFFlajoletProperties"; }

  // The fret as the index 0..23 of its button (0 "I"); an index beyond
  // the buttons presses none, which reads back as 0.
  int GetFret() const;
  void SetFret(int index);
  // Bit 0: the harmonic goes on over the following notes.
  int GetContinue() const;
  void SetContinue(int value);
  int LineStyle = 2;
  // Where the strip of fret buttons stands in its panel (0 .. -184).
  int StripLeft() const;

  TPanel* PFret = nullptr;
  TPanel* PButtons = nullptr;
  std::array<TECCharButton*, kFrets> Frets{};
  TECCharButton *CBFretLeft = nullptr, *CBFretRight = nullptr;
  TCheckBox* CBContinue = nullptr;
  TECCharButton* CBLineStyle = nullptr;
  TButton *BBOk = nullptr, *BBCancel = nullptr;
  TECFormLanguage* LFlajoletProperties = nullptr;

 private:
  void MoveStrip(int left);
  TIniFile* settings_;
};

// ------------------------------------------------------------------ tempo

class TFTempoProperties : public TForm {
 public:
  explicit TFTempoProperties(TComponent* owner);
  const char* ClassName() const override { return "TFTempoProperties"; }

  // The beat: 0 whole, 1 half, 2 quarter, 3 eighth, 4 sixteenth; any other
  // value is the quarter.
  int GetNoteValue() const;
  void SetNoteValue(int value);
  // Beats per minute, 1..1000; a text that is no number keeps the last
  // tempo set.
  int GetTempo() const;
  void SetTempo(int tempo);

  std::array<TECCharButton*, 5> Notes{};  // CBNote, CBNote2, CBNote4, CBNote8, CBNote16
  TLabel* LTempo = nullptr;
  TEdit* ETempo = nullptr;
  TButton *BBOk = nullptr, *BBCancel = nullptr;
  TECFormLanguage* LTempoProperties = nullptr;

 private:
  int tempo_ = 120;
};

// ------------------------------------------------------------ grace notes

class TFVorschlagProperties : public TForm {
 public:
  explicit TFVorschlagProperties(TComponent* owner);
  const char* ClassName() const override { return "TFVorschlagProperties"; }

  bool GetBefore() const;
  void SetBefore(bool before);
  bool GetShort() const;
  void SetShort(bool isShort);
  // 0 the default duration, else ticks from 64 (an eighth) to 8; the
  // track runs the other way, from 8 at its left to 64.
  int GetDuration() const;
  void SetDuration(int ticks);
  int GetNoteInterval() const;
  void SetNoteInterval(int interval);

  TGroupBox* RGPlace = nullptr;
  TRadioButton *RBBefore = nullptr, *RBAfter = nullptr;
  TGroupBox* RGStyle = nullptr;
  TRadioButton *RBShort = nullptr, *RBLong = nullptr;
  TGroupBox* GBDuration = nullptr;
  TRadioButton* RBDefault = nullptr;
  TTrackBar* TBDuration = nullptr;
  TLabel* LNoteInterval = nullptr;
  TEdit* ENoteInterval = nullptr;
  TUpDown* UDNoteInterval = nullptr;
  TButton *BBOk = nullptr, *BBCancel = nullptr, *BBHelp = nullptr;
  TECFormLanguage* LVorschlagProperties = nullptr;

 private:
  bool presetting_ = false;
};

// Makes the dialogs known to the review tools (formshot).
void RegisterMarkPropertiesForms();

}  // namespace qs

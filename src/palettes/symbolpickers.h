#pragma once
// Pickers of one value from a fixed set: a clef (TFChooseClef), a key
// signature (TFChooseTone) and an accolade (TFChooseAccolade) drop down
// below their button and answer through OnChoose; a General MIDI
// instrument (TFChooseTembr) and a free name (TFGetName) are modal dialogs
// their caller creates, presets, shows and frees.
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "palettes/dropdown.h"

namespace qs {

class TButton;
class TCheckBox;
class TEdit;
class TIniFile;
class TLabel;
class TPanel;
class TRadioButton;
class TScrollBox;

// Clef codes 1..15, key codes 0..7 (sharps) and 11..17 (flats), accolade
// kinds 0..2 and 255 for none.
constexpr int kClefCount = 15;
constexpr int kNoAccolade = 255;

class TFChooseClef : public TDropDownPicker {
 public:
  explicit TFChooseClef(TComponent* owner);
  const char* ClassName() const override { return "TFChooseClef"; }
  int GetClef() const;  // 0 when none is pressed
  void SetClef(int code);
  std::function<void(TObject* sender, int clef)> OnChoose;
  std::array<TECCharButton*, kClefCount> Buttons{};  // in code order
};

class TFChooseTone : public TDropDownPicker {
 public:
  explicit TFChooseTone(TComponent* owner);
  const char* ClassName() const override { return "TFChooseTone"; }
  // The key of the pressed button: positions 0..7 give 0..7, positions
  // 8..14 give 11..17; 0 when none is pressed.
  int GetTone() const;
  // Codes above 7 press the button at position code - 3 (so 8..10 reach
  // the sharp keys at 5..7), 0..7 the button at position code; others none.
  void SetTone(int code);
  bool GetMinor() const;
  void SetMinor(bool minor);
  bool GetModify() const;
  void SetModify(bool v);
  // On a click on a key (the picker then closes) and on a click on the
  // modify box (it stays open).
  std::function<void(TObject* sender)> OnChoose;

  std::array<TECCharButton*, 15> Buttons{};  // in control order
  TRadioButton *RBMajor = nullptr, *RBMinor = nullptr;
  TCheckBox* CBModify = nullptr;
};

class TFChooseAccolade : public TDropDownPicker {
 public:
  explicit TFChooseAccolade(TComponent* owner);
  const char* ClassName() const override { return "TFChooseAccolade"; }
  // The pressed button's kind, 255 for the no-accolade button; 0 when none.
  int GetAccolade() const;
  // 255 presses the no-accolade button, 0..3 the button at that position
  // (3 also the no-accolade one); others change nothing.
  void SetAccolade(int code);
  // Offers the no-accolade choice and widens the picker for it.
  void ShowNoneButton();
  std::function<void(TObject* sender)> OnChoose;
  // CBAccolade1, CBAccolade2, CBAccolade3 (kinds 0..2) and CBAccolade0 (none).
  std::array<TECCharButton*, 4> Buttons{};
};

// The General MIDI instruments, by family.
class TFChooseTembr : public TForm {
 public:
  // settings: where the dialog keeps its place ("ChooseTembrForm"), or null.
  TFChooseTembr(TComponent* owner, TIniFile* settings);
  ~TFChooseTembr() override;
  const char* ClassName() const override { return "TFChooseTembr"; }
  // Below 0 or above 254 checks the no-assignment choice; 0..127 a
  // program, 128 the no-assignment choice; 129..254 change nothing.
  void SetTembr(int value);
  // -1 for no assignment, else the program; 0 when none is checked.
  int GetTembr() const;
  void SetNoneVisible(bool visible);
  // The note Test sounds for a program: 40 for the basses, the contrabass
  // and the tuba, 64 otherwise.
  static int TestNote(int program);
  // Test: the caller sounds the program (channel 0, the note above).
  std::function<void(int program, int note)> OnTest;

  std::array<TRadioButton*, 128> Programs{};
  TRadioButton* RadioButton0 = nullptr;  // no assignment
  TPanel* PButtons = nullptr;
  TButton *BBOk = nullptr, *BBCancel = nullptr, *BBTest = nullptr;

 private:
  TIniFile* settings_;
};

class TFGetName : public TForm {
 public:
  TFGetName(TComponent* owner, TIniFile* settings);
  ~TFGetName() override;
  const char* ClassName() const override { return "TFGetName"; }
  // Asked when OK is clicked; a false answer keeps the prompt open (the
  // validator tells the user why).
  std::function<bool(TObject* sender)> OnValidate;
  TEdit* EName = nullptr;
  TButton *BBOk = nullptr, *BBCancel = nullptr;

 private:
  TIniFile* settings_;
};

}  // namespace qs

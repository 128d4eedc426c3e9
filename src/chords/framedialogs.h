#pragma once
// The forms built on the chord-frame editor: TFUserFrame, a drop-down
// whose every change goes into the score at once, and TFFrameEditor, the
// dialog that edits one frame of a guitar together with the chord it
// belongs to (composed with chord buttons and shown as a name). Both open
// the finger chooser at a string's finger box.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/forms.h"

namespace qs {

class TButton;
class TECCharButton;
class TECChordEditor;
class TECFrameEditor;
class TFChooser;
class TIniFile;

// The finger chooser opened at the finger box of a string of editor;
// choosing calls SetFinger. keepOpen (may be null) is set while it shows.
void OpenFingerChooser(TECFrameEditor& editor, int string, bool* keepOpen);
// The pitch names the frame editor shows under its fingers.
std::string FrameNoteName(int pitchClass);

class TFUserFrame : public TForm {
 public:
  explicit TFUserFrame(TComponent* owner);
  const char* ClassName() const override { return "TFUserFrame"; }
  TECFrameEditor* FEFrame = nullptr;
  // Every change of the frame (the chords palette enters it).
  std::function<void(TFUserFrame*)> OnFrameChanged;

 private:
  bool fingerOpen_ = false;
};

class TFFrameEditor : public TForm {
 public:
  // settings: where the dialog's place is read ("FrameEditor"), or null.
  TFFrameEditor(TComponent* owner, TIniFile* settings);
  const char* ClassName() const override { return "TFFrameEditor"; }

  // The chord code: shown on the buttons and as the name.
  void SetCode(const std::vector<uint8_t>& code);
  const std::vector<uint8_t>& Code() const { return code_; }
  // The code the buttons compose (root and base always, no brackets, no
  // raised marker, no "add").
  std::vector<uint8_t> BuildCode() const;
  void ShowCode(const std::vector<uint8_t>& code);

  TECCharButton *CBChordNote = nullptr, *CBChordDiesis = nullptr, *CBChordBemol = nullptr, *CBChordBase = nullptr,
                *CBChordMinor = nullptr, *CBChordMajor = nullptr, *CBChordSus = nullptr, *CBChordOmit = nullptr,
                *CBChordNote1 = nullptr, *CBChordDiesis1 = nullptr, *CBChordBemol1 = nullptr;
  std::array<TECCharButton*, 5> CBChordAdd{};  // 5, 7, 9, 11, 13
  TECFrameEditor* FEFrame = nullptr;
  TECChordEditor* CEChord = nullptr;
  TButton *BBSave = nullptr, *BBCancel = nullptr;

 private:
  TECCharButton* ChordButton(const char* name, int left, int top, int width, int group, bool arrow);
  void RefreshCaptions();
  void RefreshName();
  void OpenChooser(TECCharButton* below, TFChooser* chooser, std::function<void(int)> chosen);

  std::vector<uint8_t> code_{0, 0};
  int root_ = 0, base_ = 0, minor_ = 0, major_ = 0, sus_ = 0, omit_ = 0, bass_ = 0;
  std::array<int, 5> direction_{}, alterStyle_{};
};

void RegisterFrameDialogForms();

}  // namespace qs

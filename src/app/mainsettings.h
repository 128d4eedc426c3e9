#pragma once
// Every setting the main window keeps for the program, read from the
// settings file when the window is made. A setter writes its key only when
// the value changes; the setters below also pass their value on to the
// open scores, as each says. Other settings are set with Set.
#include <functional>
#include <string>
#include <vector>

#include "layout/dynamicssettings.h"
#include "uikit/settings.h"

namespace qs {

class TQSScore;

class TMainSettings {
 public:
  // Reads every section (file may be null: the defaults, nothing stored).
  explicit TMainSettings(TSettings* file);

  TToolsSettings Tools;
  TMainWindowSettings Window;
  TToolBarSettings ToolBars;
  TPropertiesSettings Properties;
  TNewsSettings News;
  TNewsDateSettings NewsDate;
  TRecordingSettings Record;
  TPlaySettings Play;
  TEditorSettings Editor;
  TEffectsSettings Effects;
  TDynamicVelocitySettings Dinamics;
  TMusicSettings Music;
  TMailSettings Mail;
  TDevicesSettings Devices;
  TNoteNameSettings Notes;

  // The scores the values go to: the active document's (null without
  // one), and every open document's.
  std::function<TQSScore*()> ActiveScore;
  std::function<std::vector<TQSScore*>()> Scores;

  TSettings* File() const { return file_; }

  // Sets a field; its key is written at once, only when the value
  // changed. True when it changed.
  template <class S, class T>
  bool Set(S& section, T S::*field, const T& value) {
    if (file_) return file_->Set(section, field, value);
    if (section.*field == value) return false;
    section.*field = value;
    return true;
  }

  // Insert (1) or overwrite (0), from the low seven bits: every open score.
  void SetAddState(int value);
  // The active score's quantisation and two-staff recording.
  void SetRecordQuantize(int value);
  void SetTwoHands(bool value);
  // The active score's; stored only while a document is open, else only
  // held (each new document still gets it).
  void SetAutoPages(bool value);
  void SetAutoEffect(bool value);
  void SetAutoVelocity(bool value);

  // How dynamics marks, hairpins, accents, brackets and the playback
  // effects play: set through these setters, which store the value and
  // give it at once to every score ApplyTo gave them to (the scores ask
  // for the values when they compute velocities and effects).
  void SetEffectValue(int TEffectsSettings::*field, int value);
  void SetDynamicValue(int TDynamicVelocitySettings::*field, int value);
  // The scores take the values the sections hold now (after the sections
  // were read again).
  void UpdatePlayback();
  // The values as the scores see them.
  const TDynamicsSettings& Playback() const { return playback_; }

  // The twelve pitch names and the seven note letters the program shows:
  // read from [Notes], written back, and given to every open score with
  // the flageolet text.
  void LoadNoteNames();
  void SaveNoteNames();
  void ApplyNoteNames();
  // A new or newly opened document's score takes the held values.
  void ApplyTo(TQSScore& score) const;

 private:
  template <class T>
  void SetAuto(bool TEffectsSettings::*field, bool value, void (TQSScore::*apply)(T));
  TSettings* file_;
  TDynamicsSettings playback_;
};

}  // namespace qs

#pragma once
// The program's settings ("ProgramSetting.ini"). Each section is a small
// struct whose Visit names every key once, with its field, default and
// bounds; the same Visit reads the section, writes it, or writes a single
// changed field. A missing key, a value that does not parse and a value out
// of bounds all read as the default. Every write reaches the file at once.
#include <initializer_list>
#include <memory>
#include <string>

#include "base/geometry.h"

namespace qs {

class TIniFile;
class TCustomForm;

// What one Visit does with the keys of a section.
class TSettingsIO {
 public:
  enum class TMode { Read, Defaults, WriteAll, WriteOne };
  TSettingsIO(TIniFile* ini, const char* section, TMode mode, const void* only = nullptr)
      : ini_(ini), section_(section), mode_(mode), only_(only) {}

  void Key(const char* key, bool& field, bool defaultValue);
  // An integer outside min..max reads as the default.
  void Key(const char* key, int& field, int defaultValue, int min, int max);
  void Key(const char* key, std::string& field, const std::string& defaultValue);
  // An integer stored by name: names[i] stands for i; an unknown name
  // reads as the default.
  void Key(const char* key, int& field, int defaultValue, std::initializer_list<const char*> names);

  TMode Mode() const { return mode_; }

 private:
  bool Skips(const void* field) const { return mode_ == TMode::WriteOne && field != only_; }
  TIniFile* ini_;
  const char* section_;
  TMode mode_;
  const void* only_;
};

class TSettings {
 public:
  // Opens the file (a missing one reads as empty and is made by the first
  // write; a damaged one gives the defaults of what cannot be read).
  explicit TSettings(const std::string& fileName);
  ~TSettings();
  TSettings(const TSettings&) = delete;
  TSettings& operator=(const TSettings&) = delete;

  TIniFile& Ini() { return *ini_; }
  const std::string& FileName() const;

  // Fills every field of the section from the file.
  template <class S>
  void Load(S& section) {
    TSettingsIO io(ini_.get(), S::kSection, TSettingsIO::TMode::Read);
    section.Visit(io);
  }
  // Writes every field of the section.
  template <class S>
  void Store(S& section) {
    BeginUpdate();
    TSettingsIO io(ini_.get(), S::kSection, TSettingsIO::TMode::WriteAll);
    section.Visit(io);
    EndUpdate();
  }
  // Sets one field and writes its key, only when the value changes;
  // true when it changed.
  template <class S, class T>
  bool Set(S& section, T S::*field, const T& value) {
    if (section.*field == value) return false;
    section.*field = value;
    TSettingsIO io(ini_.get(), S::kSection, TSettingsIO::TMode::WriteOne, &(section.*field));
    section.Visit(io);
    return true;
  }

  // A form's position under "Bounds" in its own section (its name): a
  // stored position further off the screen than the form's own size is
  // moved back to 0; fields that are missing or bad keep the form's own.
  bool RestoreBounds(TCustomForm& form, const std::string& section);
  void StoreBounds(const TCustomForm& form, const std::string& section);

 private:
  void BeginUpdate();
  void EndUpdate();
  std::unique_ptr<TIniFile> ini_;
};

// Gives every field of a section its default; each section's constructor
// does this, so a default is written once, in Visit.
template <class S>
void LoadDefaults(S& section) {
  TSettingsIO io(nullptr, S::kSection, TSettingsIO::TMode::Defaults);
  section.Visit(io);
}

// The program's one settings object, made by the program before any form
// and gone after the last; null until then (forms then keep their own
// defaults and store nothing).
TSettings* ProgramSettings();
void SetProgramSettings(TSettings* settings);

// ------------------------------------------------ the main window's sections

struct TToolsSettings {
  static constexpr const char* kSection = "Tools";
  TToolsSettings() { LoadDefaults(*this); }
  bool StartModule;      // the first-run dialog is still due
  int AddState;             // 0 overwrite, 1 insert
  std::string Language;         // empty: taken from the locale
  std::string TransportFile;
  std::string InstrumentFile;
  bool Reverce;         // repeats are played
  void Visit(TSettingsIO& io);
};

// The palettes' pages in the tool notebook, in page order.
inline constexpr int kToolPageCount = 13;
inline constexpr const char* kToolPageNames[kToolPageCount] = {
    "Notes", "Symbols", "Expanded", "Terms",  "Chords",    "Intervals", "Design",
    "Piano", "Guitar",  "Modify",   "Navigator", "Recording", "Playing"};

struct TMainWindowSettings {
  static constexpr const char* kSection = "FProgramModule";
  TMainWindowSettings() { LoadDefaults(*this); }
  int WindowState;  // a TWindowState
  int ToolsHeight;
  int ActiveTool;
  int DefaultDuration;
  bool Attached[kToolPageCount];
  void Visit(TSettingsIO& io);
};

struct TPropertiesSettings {
  static constexpr const char* kSection = "Properties";
  TPropertiesSettings() { LoadDefaults(*this); }
  std::string TestFile;  // empty: the program's own test file
  bool Helper;
  void Visit(TSettingsIO& io);
};

struct TNewsSettings {
  static constexpr const char* kSection = "MainForm";
  TNewsSettings() { LoadDefaults(*this); }
  bool News;
  bool DisplayNews;
  bool NewsExists;
  void Visit(TSettingsIO& io);
};

// The news download: the day of the last attempt, "yyyy-mm-dd" (empty:
// never), and the address of the feed's server (empty: no download).
struct TNewsDateSettings {
  static constexpr const char* kSection = "News";
  TNewsDateSettings() { LoadDefaults(*this); }
  std::string Last;
  std::string Address;
  void Visit(TSettingsIO& io);
};

// Where the tool bars stood, "left,top" each; written when the program
// ends.
struct TToolBarSettings {
  static constexpr const char* kSection = "FProgramModule";
  TToolBarSettings() { LoadDefaults(*this); }
  int ToolBar;  // the height of the bars' band
  std::string ToolBarMenu, ToolBarFile, ToolBarEdit, ToolBarTools;
  void Visit(TSettingsIO& io);
};

struct TRecordingSettings {
  static constexpr const char* kSection = "Record";
  TRecordingSettings() { LoadDefaults(*this); }
  int RecordQuantize;
  bool RecordRealTime;
  bool RecordMetronome;
  bool TwoHands;
  int MetrFirstVelocity;
  int MetrOtherVelocity;
  int MetrDuration;
  void Visit(TSettingsIO& io);
};

struct TPlaySettings {
  static constexpr const char* kSection = "Play";
  TPlaySettings() { LoadDefaults(*this); }
  bool PlayMetronome;
  void Visit(TSettingsIO& io);
};

struct TEditorSettings {
  static constexpr const char* kSection = "Editor";
  TEditorSettings() { LoadDefaults(*this); }
  bool SaveBackUp;
  bool LimitBackUp;
  int CountBackUp;
  bool AutoSave;
  int AutoSaveInterval;  // seconds between two automatic saves of a document
  void Visit(TSettingsIO& io);
};

struct TEffectsSettings {
  static constexpr const char* kSection = "Effects";
  TEffectsSettings() { LoadDefaults(*this); }
  bool AutoPages;
  bool AutoEffect;
  bool AutoVelocity;
  bool PlayPiano;
  bool PlayGuitar;
  bool PlayMouse;   // a note sounds when it is entered
  bool PlayDrag;
  bool PlayMIDI;
  bool ShowNoteHint;
  bool ShowPianoNote;
  int Staccato;
  int Arpeggio;
  int Fermata;
  void Visit(TSettingsIO& io);
};

// Velocities of the dynamics and velocity changes of the hairpins,
// accents and slurs.
struct TDynamicVelocitySettings {
  static constexpr const char* kSection = "Dinamics";
  TDynamicVelocitySettings() { LoadDefaults(*this); }
  int PianoPianissimo, Pianissimo, Piano, MezzoPiano, FortePiano, MezzoForte, Forte, Fortissimo, ForteFortissimo,
      SForzato, ExtraForzato, Forzando, SForzando, Crechendo, Diminuendo, Accentus, Bracket;
  void Visit(TSettingsIO& io);
};

struct TMusicSettings {
  static constexpr const char* kSection = "Music";
  TMusicSettings() { LoadDefaults(*this); }
  std::string FlazholetName;
  void Visit(TSettingsIO& io);
};

// Sending e-mail through an SMTP server. The password is not kept here:
// a settings file is readable by others.
struct TMailSettings {
  static constexpr const char* kSection = "Mail";
  TMailSettings() { LoadDefaults(*this); }
  std::string SMTPServer;
  int Port;
  bool Authentication;
  std::string UserId;
  std::string Address;   // the sender's address
  std::string MailName;  // the sender's name
  bool UseSmtp;          // send through the server, not the desktop's mail program
  void Visit(TSettingsIO& io);
};

// The MIDI ports, by name: empty is the built-in synthesizer (output) or
// the first port (input).
struct TDevicesSettings {
  static constexpr const char* kSection = "Devices";
  TDevicesSettings() { LoadDefaults(*this); }
  std::string OutputDevice;
  std::string InputDevice;
  void Visit(TSettingsIO& io);
};

// The names of the twelve semitones from C.
struct TNoteNameSettings {
  static constexpr const char* kSection = "Notes";
  TNoteNameSettings() { LoadDefaults(*this); }
  std::string Names[12];
  void Visit(TSettingsIO& io);
  // The seven letters of the natural notes: the first character of the
  // trimmed names of C, D, E, F, G, A and B (the default letter for a
  // name that is empty).
  std::string Letters() const;
};

}  // namespace qs

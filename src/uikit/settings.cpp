#include "uikit/settings.h"

#include <string>

#include "base/inifile.h"
#include "base/strings.h"
#include "platform/forms.h"

namespace qs {

// ---------------------------------------------------------------- TSettingsIO

void TSettingsIO::Key(const char* key, bool& field, bool defaultValue) {
  switch (mode_) {
    case TMode::Defaults: field = defaultValue; break;
    case TMode::Read: {
      // Only "1" and "0" (and other integers) are booleans; anything else
      // keeps the default.
      const int v = StrToIntSafe(ini_->ReadString(section_, key, ""), -1);
      field = v == -1 ? defaultValue : v != 0;
      break;
    }
    default:
      if (!Skips(&field)) ini_->WriteBool(section_, key, field);
  }
}

void TSettingsIO::Key(const char* key, int& field, int defaultValue, int min, int max) {
  switch (mode_) {
    case TMode::Defaults: field = defaultValue; break;
    case TMode::Read: {
      const int v = ini_->ReadInteger(section_, key, defaultValue);
      field = v < min || v > max ? defaultValue : v;
      break;
    }
    default:
      if (!Skips(&field)) ini_->WriteInteger(section_, key, field);
  }
}

void TSettingsIO::Key(const char* key, std::string& field, const std::string& defaultValue) {
  switch (mode_) {
    case TMode::Defaults: field = defaultValue; break;
    case TMode::Read: field = ini_->ReadString(section_, key, defaultValue); break;
    default:
      if (!Skips(&field)) ini_->WriteString(section_, key, field);
  }
}

void TSettingsIO::Key(const char* key, int& field, int defaultValue, std::initializer_list<const char*> names) {
  switch (mode_) {
    case TMode::Defaults: field = defaultValue; break;
    case TMode::Read: {
      field = defaultValue;
      const std::string v = ini_->ReadString(section_, key, "");
      int i = 0;
      for (const char* name : names) {
        if (SameText(v, name)) field = i;
        ++i;
      }
      break;
    }
    default:
      if (Skips(&field)) break;
      if (field >= 0 && field < static_cast<int>(names.size())) ini_->WriteString(section_, key, names.begin()[field]);
  }
}

// ------------------------------------------------------------------ TSettings

TSettings::TSettings(const std::string& fileName) : ini_(std::make_unique<TIniFile>(fileName)) {}
TSettings::~TSettings() = default;

const std::string& TSettings::FileName() const { return ini_->FileName(); }
void TSettings::BeginUpdate() { ini_->BeginUpdate(); }
void TSettings::EndUpdate() { ini_->EndUpdate(); }

bool TSettings::RestoreBounds(TCustomForm& form, const std::string& section) {
  TRect bounds = form.BoundsRect();
  if (!ReadFormBounds(*ini_, section, bounds)) return false;
  form.SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
  return true;
}

void TSettings::StoreBounds(const TCustomForm& form, const std::string& section) {
  const TRect bounds = form.BoundsRect();
  if (ini_->ReadString(section, "Bounds", "") != FormatBounds(bounds)) WriteFormBounds(*ini_, section, bounds);
}

namespace {
TSettings* programSettings = nullptr;
}

TSettings* ProgramSettings() { return programSettings; }
void SetProgramSettings(TSettings* settings) { programSettings = settings; }

// ------------------------------------------------------------------- sections

void TToolsSettings::Visit(TSettingsIO& io) {
  io.Key("StartModule", StartModule, true);
  io.Key("AddState", AddState, 0, 0, 1);
  io.Key("Language", Language, "");
  io.Key("TransportFile", TransportFile, "Default");
  io.Key("InstrumentFile", InstrumentFile, "Default");
  io.Key("Reverce", Reverce, false);
}

void TMainWindowSettings::Visit(TSettingsIO& io) {
  // Stored by name, in the order of TWindowState.
  io.Key("WindowState", WindowState, static_cast<int>(TWindowState::wsMaximized),
         {"wsNormal", "wsMinimized", "wsMaximized"});
  io.Key("ToolsHeight", ToolsHeight, 110, 0, 4000);
  io.Key("ActiveTool", ActiveTool, 0, 0, kToolPageCount - 1);
  io.Key("DefaultDuration", DefaultDuration, 128, 1, 4096);
  for (int i = 0; i < kToolPageCount; ++i)
    io.Key((std::string(kToolPageNames[i]) + "Attached").c_str(), Attached[i], true);
}

void TPropertiesSettings::Visit(TSettingsIO& io) {
  io.Key("TestFile", TestFile, "");
  io.Key("Helper", Helper, false);
}

void TNewsSettings::Visit(TSettingsIO& io) {
  io.Key("News", News, true);
  io.Key("DisplayNews", DisplayNews, false);
  io.Key("NewsExists", NewsExists, false);
}

void TNewsDateSettings::Visit(TSettingsIO& io) {
  io.Key("Last", Last, "");
  io.Key("Address", Address, "");
}

void TToolBarSettings::Visit(TSettingsIO& io) {
  io.Key("ToolBar", ToolBar, 0, 0, 4000);
  io.Key("ToolBarMenu", ToolBarMenu, "");
  io.Key("ToolBarFile", ToolBarFile, "");
  io.Key("ToolBarEdit", ToolBarEdit, "");
  io.Key("ToolBarTools", ToolBarTools, "");
}

void TRecordingSettings::Visit(TSettingsIO& io) {
  io.Key("RecordQuantize", RecordQuantize, 32, 8, 512);
  io.Key("RecordRealTime", RecordRealTime, false);
  io.Key("RecordMetronome", RecordMetronome, false);
  io.Key("TwoHands", TwoHands, true);
  io.Key("MetrFirstVelocity", MetrFirstVelocity, 127, 0, 127);
  io.Key("MetrOtherVelocity", MetrOtherVelocity, 100, 0, 127);
  io.Key("MetrDuration", MetrDuration, 1, 1, 255);
}

void TPlaySettings::Visit(TSettingsIO& io) { io.Key("PlayMetronome", PlayMetronome, false); }

void TEditorSettings::Visit(TSettingsIO& io) {
  io.Key("SaveBackUp", SaveBackUp, true);
  io.Key("LimitBackUp", LimitBackUp, true);
  // At least the newest copy is kept.
  io.Key("CountBackUp", CountBackUp, 1, 1, 999);
  io.Key("AutoSave", AutoSave, false);
  io.Key("AutoSaveInterval", AutoSaveInterval, 300, 1, 86400);
}

void TEffectsSettings::Visit(TSettingsIO& io) {
  io.Key("AutoPages", AutoPages, false);
  io.Key("AutoEffect", AutoEffect, true);
  io.Key("AutoVelocity", AutoVelocity, true);
  io.Key("PlayPiano", PlayPiano, true);
  io.Key("PlayGuitar", PlayGuitar, true);
  io.Key("PlayMouse", PlayMouse, true);
  io.Key("PlayDrag", PlayDrag, true);
  io.Key("PlayMIDI", PlayMIDI, true);
  io.Key("ShowNoteHint", ShowNoteHint, true);
  io.Key("ShowPianoNote", ShowPianoNote, true);
  io.Key("Staccato", Staccato, 4, 0, 16);
  io.Key("Arpeggio", Arpeggio, 2, 0, 127);
  io.Key("Fermata", Fermata, 1, 0, 127);
}

void TDynamicVelocitySettings::Visit(TSettingsIO& io) {
  // Velocities lie in the MIDI range; the changes may also lower it.
  const auto velocity = [&io](const char* key, int& field, int def) { io.Key(key, field, def, 0, 127); };
  const auto change = [&io](const char* key, int& field, int def) { io.Key(key, field, def, -127, 127); };
  velocity("PianoPianissimo", PianoPianissimo, 44);
  velocity("Pianissimo", Pianissimo, 49);
  velocity("Piano", Piano, 54);
  velocity("MezzoPiano", MezzoPiano, 59);
  velocity("FortePiano", FortePiano, 64);
  velocity("MezzoForte", MezzoForte, 69);
  velocity("Forte", Forte, 74);
  velocity("Fortissimo", Fortissimo, 79);
  velocity("ForteFortissimo", ForteFortissimo, 84);
  velocity("SForzato", SForzato, 54);
  velocity("ExtraForzato", ExtraForzato, 74);
  velocity("Forzando", Forzando, 84);
  velocity("SForzando", SForzando, 94);
  change("Crechendo", Crechendo, 30);
  change("Diminuendo", Diminuendo, 30);
  change("Accentus", Accentus, 20);
  change("Bracket", Bracket, -20);
}

void TMusicSettings::Visit(TSettingsIO& io) { io.Key("FlazholetName", FlazholetName, "FL."); }

void TMailSettings::Visit(TSettingsIO& io) {
  io.Key("SMTPServer", SMTPServer, "");
  io.Key("Port", Port, 25, 1, 65535);
  io.Key("Authentication", Authentication, false);
  io.Key("UserId", UserId, "");
  io.Key("Address", Address, "");
  io.Key("MailName", MailName, "");
  io.Key("UseSmtp", UseSmtp, false);
}

void TDevicesSettings::Visit(TSettingsIO& io) {
  io.Key("OutputDevice", OutputDevice, "");
  io.Key("InputDevice", InputDevice, "");
}

namespace {
const char* const kDefaultPitchNames[12] = {"C", "C#", "D", "Eb", "E", "F", "F#", "G", "G#", "A", "Bb", "B"};
}

void TNoteNameSettings::Visit(TSettingsIO& io) {
  for (int i = 0; i < 12; ++i) io.Key(("N" + std::to_string(i + 1)).c_str(), Names[i], kDefaultPitchNames[i]);
}

std::string TNoteNameSettings::Letters() const {
  std::string letters;
  for (int semitone : {0, 2, 4, 5, 7, 9, 11}) {
    const std::string name = Trim(Names[semitone]);
    letters += name.empty() ? kDefaultPitchNames[semitone][0] : name[0];
  }
  return letters;
}

}  // namespace qs

// The settings dialog and the first-run dialog as the main window shows
// them, and what they ask of the program: the MIDI devices, the test
// playback through the program's MIDI output, the system volume program,
// the mail password.
#include <memory>

#include "app/fileeditor.h"
#include "app/mail.h"
#include "app/mainwindow.h"
#include "app/settingscommands.h"
#include "app/startup.h"
#include "app/mididevices.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "dialogs/devicehost.h"
#include "dialogs/firstrun.h"
#include "dialogs/settingsdialog.h"
#include "palettes/piano.h"
#include "playback/hiddenview.h"
#include "playback/midiports.h"
#include "playback/noteports.h"
#include "playback/player.h"
#include "playback/playwalker.h"
#include "platform/paths.h"
#include "platform/timers.h"
#include "score/score.h"

namespace qs {

TProgramDeviceHost::TProgramDeviceHost(TFProgramModule& main, TSettings* settings) : main_(main), settings_(settings) {}

TProgramDeviceHost::~TProgramDeviceHost() {
  StopTestPlay();
  *alive_ = false;
  player_.reset();
  if (score_ && view_) score_->DetachWindow(view_.get());
}

std::vector<std::string> TProgramDeviceHost::OutputDevices() { return MidiOutputDevices(); }
std::vector<std::string> TProgramDeviceHost::InputDevices() { return MidiInputDevices(); }

std::string TProgramDeviceHost::OutputDevice() {
  const std::string& name = main_.Devices().OutputDevice;
  return name.empty() ? std::string(kBuiltInSynthesizer) : name;
}

std::string TProgramDeviceHost::InputDevice() { return main_.Devices().InputDevice; }

void TProgramDeviceHost::SetMidiDevices(const std::string& output, const std::string& input) {
  StopTestPlay();
  main_.SetMidiDevices(output, input);
}

std::string TProgramDeviceHost::TestFile() {
  TPropertiesSettings properties;
  if (settings_) settings_->Load(properties);
  return properties.TestFile.empty() ? platform::FindTemplate("test.mid") : properties.TestFile;
}

bool TProgramDeviceHost::HasTestFile() {
  const std::string file = TestFile();
  return !file.empty() && FileExists(file);
}

bool TProgramDeviceHost::StartTestPlay(std::function<void()> ended) {
  StopTestPlay();
  if (!HasTestFile() || !main_.OpenMidiOutput()) return false;
  try {
    if (!score_) {
      // Made at the first test and kept while the dialog lives.
      auto score = std::make_unique<TQSScore>();
      score->LoadFromFile(TestFile());
      if (score->LaidOutPages == 0) score->Recalculate(0);
      score_ = std::move(score);
      view_ = std::make_unique<TQSHiddenView>();
      score_->AttachWindow(view_.get());
      view_->OnPlayShort = [this](TObject*, int status, int data1, int data2) {
        main_.Ports().ForwardShort(status, data1, data2);
      };
      view_->OnPlayLong = [this](TObject*, const uint8_t* data, uint16_t size) { main_.Ports().ForwardLong(data, size); };
      // The end of the play reaches the window thread as the view's stop.
      view_->OnStopPlay = [this](TObject*) { Ended(); };
      player_ = std::make_unique<TQSPlayer>(*view_);
      player_->Post = [alive = alive_](std::function<void()> f) {
        TThread::Queue([alive, f = std::move(f)] {
          if (*alive) f();
        });
      };
    }
  } catch (const std::exception&) {
    score_.reset();
    return false;
  }
  ended_ = std::move(ended);
  view_->CursorPosition = {};
  player_->Play();
  return true;
}

void TProgramDeviceHost::StopTestPlay() {
  // Stopped, the play ends without telling.
  ended_ = nullptr;
  if (player_) player_->StopPlay();
}

void TProgramDeviceHost::Ended() {
  // The end of the test play closes the output, as the end of any play.
  main_.CloseMidiOutput();
  if (auto ended = std::move(ended_)) ended();
}

bool TProgramDeviceHost::HasVolumeProgram() { return !SystemVolumeProgram().empty(); }
void TProgramDeviceHost::StartVolumeProgram() { StartSystemVolumeProgram(); }

// The file sending reads, readable by the user alone.
std::string TProgramDeviceHost::MailPassword() { return ReadMailPassword(); }
void TProgramDeviceHost::SetMailPassword(const std::string& password) { StoreMailPassword(password); }

void TProgramDeviceHost::SettingsChanged() { main_.ReloadSettings(); }

void TFProgramModule::ASettingsExecute() {
  StopPlayAndRecord();
  CloseMidiOutput();
  CloseMidiInput();
  TProgramDeviceHost host(*this, settings_);
  bool names = false;
  {
    TFSettingsModule dialog(nullptr, settings_, &host);
    dialog.ShowModal();
    names = dialog.NamesChanged();
  }
  if (names) NoteNamesChanged();
  UpdateActionStates();
}

void TFProgramModule::NoteNamesChanged() {
  // The program and every open score write notes with the new letters;
  // the piano's keys show them.
  Settings.LoadNoteNames();
  Settings.ApplyNoteNames();
  const int pianoPage = PaletteIndex(TPianoSettings::kSection);
  if (pianoPage >= 0)
    if (auto* piano = dynamic_cast<TFPiano*>(palettes_[pianoPage])) piano->SetKeyNames(Settings.Notes.Letters());
}

void TFProgramModule::ShowFirstRunDialog() {
  TProgramDeviceHost host(*this, settings_);
  {
    TFStartModule dialog(nullptr, settings_, &host);
    dialog.ShowModal();
  }
  UpdateActionStates();
}

void InstallFirstRunDialog() {
  SetFirstRunDialog([] {
    if (TFProgramModule* main = ProgramModule()) main->ShowFirstRunDialog();
  });
}

void TFProgramModule::ReloadSettings() {
  if (!settings_) return;
  // What the dialogs wrote to the file.
  settings_->Load(Settings.Tools);
  settings_->Load(Settings.News);
  settings_->Load(Settings.Record);
  settings_->Load(Settings.Play);
  settings_->Load(Settings.Editor);
  settings_->Load(Settings.Effects);
  settings_->Load(Settings.Dinamics);
  Settings.UpdatePlayback();
  settings_->Load(Settings.Music);
  settings_->Load(Settings.Mail);
  settings_->Load(Settings.Devices);
  UpdateActionStates();
}

}  // namespace qs

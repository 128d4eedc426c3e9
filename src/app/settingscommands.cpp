// The settings dialog and the first-run dialog as the main window shows
// them, and what they ask of the program: the MIDI devices, the test
// playback through the program's MIDI output, the system volume program.
#include <memory>

#include "app/fileeditor.h"
#include "app/mainwindow.h"
#include "app/mididevices.h"
#include "base/safefile.h"
#include "base/strings.h"
#include "dialogs/devicehost.h"
#include "dialogs/firstrun.h"
#include "dialogs/settingsdialog.h"
#include "playback/hiddenview.h"
#include "playback/midiports.h"
#include "playback/noteports.h"
#include "playback/player.h"
#include "playback/playwalker.h"
#include "platform/paths.h"
#include "platform/timers.h"
#include "score/score.h"

namespace qs {

class TProgramDeviceHost : public TDeviceHost {
 public:
  TProgramDeviceHost(TFProgramModule& main, TSettings* settings) : main_(main), settings_(settings) {}
  ~TProgramDeviceHost() override { StopTestPlay(); }

  std::vector<std::string> OutputDevices() override { return MidiOutputDevices(); }
  std::vector<std::string> InputDevices() override { return MidiInputDevices(); }
  std::string OutputDevice() override {
    const std::string& name = main_.Devices().OutputDevice;
    return name.empty() ? std::string(kBuiltInSynthesizer) : name;
  }
  std::string InputDevice() override { return main_.Devices().InputDevice; }
  void SetMidiDevices(const std::string& output, const std::string& input) override {
    StopTestPlay();
    main_.SetMidiDevices(output, input);
  }
  std::string TestFile() {
    TPropertiesSettings properties;
    if (settings_) settings_->Load(properties);
    return properties.TestFile.empty() ? platform::FindTemplate("test.mid") : properties.TestFile;
  }
  bool HasTestFile() override {
    const std::string file = TestFile();
    return !file.empty() && FileExists(file);
  }
  bool StartTestPlay(std::function<void()> ended) override {
    StopTestPlay();
    if (!HasTestFile() || !main_.OpenMidiOutput()) return false;
    try {
      if (!score_) {
        score_ = std::make_unique<TQSScore>();
        score_->LoadFromFile(TestFile());
        if (score_->LaidOutPages == 0) score_->Recalculate(0);
        view_ = std::make_unique<TQSHiddenView>();
        score_->AttachWindow(view_.get());
        view_->OnPlayShort = [this](TObject*, int status, int data1, int data2) {
          if (main_.Ports().ForwardShort(status, data1, data2)) TThread::Queue([alive = alive_, this] {
            if (*alive) Ended();
          });
        };
        view_->OnPlayLong = [this](TObject*, const uint8_t* data, uint16_t size) { main_.Ports().ForwardLong(data, size); };
        player_ = std::make_unique<TQSPlayer>(*view_);
      }
    } catch (const std::exception&) {
      return false;
    }
    ended_ = std::move(ended);
    view_->CursorPosition = {};
    player_->Play();
    return true;
  }
  void StopTestPlay() override {
    if (player_) player_->StopPlay();
    ended_ = nullptr;
  }
  bool HasVolumeProgram() override { return !SystemVolumeProgram().empty(); }
  void StartVolumeProgram() override { StartSystemVolumeProgram(); }
  int AutoSaveInterval() override { return autoSaveInterval_; }
  void SetAutoSaveInterval(int index) override { autoSaveInterval_ = index; }
  void SettingsChanged() override { main_.ReloadSettings(); }

 private:
  void Ended() {
    // The end of the test play closes the output, as the end of any play.
    main_.CloseMidiOutput();
    if (auto ended = std::move(ended_)) ended();
  }
  TFProgramModule& main_;
  TSettings* settings_;
  std::unique_ptr<TQSScore> score_;
  std::unique_ptr<TQSHiddenView> view_;
  std::unique_ptr<TQSPlayer> player_;
  std::function<void()> ended_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  static inline int autoSaveInterval_ = 0;

 public:
  void Forget() {
    *alive_ = false;
    player_.reset();
    if (score_ && view_) score_->DetachWindow(view_.get());
  }
};

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
  if (names && settings_) {
    // Every open score writes its notes with the new letters.
    TNoteNameSettings noteNames;
    TMusicSettings music;
    settings_->Load(noteNames);
    settings_->Load(music);
    for (int i = 0; i < DocumentCount(); ++i)
      if (TFFileEditor* editor = Document(i)) {
        editor->Score().SetNoteNames(noteNames.Letters());
        editor->Score().SetFlazholetName(music.FlazholetName);
      }
  }
  host.Forget();
  UpdateActionStates();
}

void TFProgramModule::ShowFirstRunDialog() {
  TProgramDeviceHost host(*this, settings_);
  {
    TFStartModule dialog(nullptr, settings_, &host);
    dialog.ShowModal();
  }
  host.Forget();
  if (settings_) settings_->Set(tools_, &TToolsSettings::StartModule, false);
  UpdateActionStates();
}

bool TFProgramModule::FirstRunDue() const { return tools_.StartModule; }

void TFProgramModule::ReloadSettings() {
  if (!settings_) return;
  settings_->Load(tools_);
  settings_->Load(effects_);
  settings_->Load(devices_);
  settings_->Load(record_);
  settings_->Load(play_);
  UpdateActionStates();
}

}  // namespace qs

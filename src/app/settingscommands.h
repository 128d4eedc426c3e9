#pragma once
// What the settings and first-run dialogs ask of the program: its MIDI
// devices, the test play of the test file ([Properties] TestFile, else
// "test.mid" among the templates) through its MIDI output, the system
// volume program, the mail password in its own file and the auto-save
// interval of this run.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/devicehost.h"

namespace qs {

class TFProgramModule;
class TSettings;
class TQSScore;
class TQSPlayer;
struct TQSHiddenView;

// Makes the first-run dialog the one start-up shows once.
void InstallFirstRunDialog();

class TProgramDeviceHost : public TDeviceHost {
 public:
  TProgramDeviceHost(TFProgramModule& main, TSettings* settings);
  ~TProgramDeviceHost() override;

  std::vector<std::string> OutputDevices() override;
  std::vector<std::string> InputDevices() override;
  std::string OutputDevice() override;
  std::string InputDevice() override;
  void SetMidiDevices(const std::string& output, const std::string& input) override;
  std::string TestFile();
  bool HasTestFile() override;
  bool StartTestPlay(std::function<void()> ended) override;
  void StopTestPlay() override;
  bool HasVolumeProgram() override;
  void StartVolumeProgram() override;
  std::string MailPassword() override;
  void SetMailPassword(const std::string& password) override;
  void SettingsChanged() override;

 private:
  void Ended();
  TFProgramModule& main_;
  TSettings* settings_;
  std::unique_ptr<TQSScore> score_;
  std::unique_ptr<TQSHiddenView> view_;
  std::unique_ptr<TQSPlayer> player_;
  std::function<void()> ended_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace qs

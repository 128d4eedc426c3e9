#pragma once
// What the settings and first-run dialogs ask of the program beyond its
// settings: the MIDI devices, the test playback through the program's
// MIDI output, the system volume program, and the mail password (kept
// apart from the settings file, which other programs may read).
#include <functional>
#include <string>
#include <vector>

namespace qs {

class TDeviceHost {
 public:
  virtual ~TDeviceHost() = default;
  virtual std::vector<std::string> OutputDevices() = 0;
  virtual std::vector<std::string> InputDevices() = 0;
  // The devices the program plays and records with (names; empty output
  // is the built-in synthesizer): written to the settings at once.
  virtual std::string OutputDevice() = 0;
  virtual std::string InputDevice() = 0;
  virtual void SetMidiDevices(const std::string& output, const std::string& input) = 0;
  // Plays the test file through the program's MIDI output; ended runs when
  // it ends by itself. False when there is no test file.
  virtual bool HasTestFile() = 0;
  virtual bool StartTestPlay(std::function<void()> ended) = 0;
  virtual void StopTestPlay() = 0;
  // The system volume program exists / is started.
  virtual bool HasVolumeProgram() = 0;
  virtual void StartVolumeProgram() = 0;
  // The mail account's password as stored (empty when there is none), and
  // a new one to store where sending reads it (empty removes it). Raises
  // when it cannot be stored.
  virtual std::string MailPassword() = 0;
  virtual void SetMailPassword(const std::string& password) = 0;
  // The settings were written: the program takes the new values.
  virtual void SettingsChanged() = 0;
};

}  // namespace qs

namespace qs {

class TButton;
class TComboBox;

// The device controls both dialogs share: the two lists of MIDI devices,
// the test play's Test and Stop buttons (taking turns) and the volume
// button, and what they do with the host.
struct TDeviceControls {
  TDeviceHost* Host = nullptr;
  TComboBox *Output = nullptr, *Input = nullptr;
  TButton *Test = nullptr, *Stop = nullptr, *Volume = nullptr;
  std::vector<std::string> Outputs, Inputs;

  // Lists the devices with the host's in use chosen; shows Test only with
  // a test file and Volume only with a volume program; connects Test,
  // Stop and Volume.
  void Fill();
  // The chosen devices to the host (the first output, the built-in
  // synthesizer, as the empty name).
  void Choose();
  void TestClick();
  void StopClick();
};

}  // namespace qs

#pragma once
// What the settings and first-run dialogs ask of the program beyond its
// settings: the MIDI devices, the test playback through the program's
// MIDI output, the running auto-save interval, and the system volume
// program.
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
  // The auto-save interval index of this run (0 .. 4, -1 typed).
  virtual int AutoSaveInterval() = 0;
  virtual void SetAutoSaveInterval(int index) = 0;
  // The settings were written: the program takes the new values.
  virtual void SettingsChanged() = 0;
};

}  // namespace qs

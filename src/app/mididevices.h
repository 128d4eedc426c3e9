#pragma once
// The MIDI devices as the settings name them, and the desktop's volume
// program.
#include <memory>
#include <string>
#include <vector>

namespace qs {

class TMidiOutput;

// The output port of a stored device name: the built-in synthesizer for an
// empty name, and also for a device that is no longer among devices (said
// once per run).
std::unique_ptr<TMidiOutput> OutputPortFor(const std::string& name, const std::vector<std::string>& devices);
// The input device to record from: the stored name when it is among
// devices; else the first device (a stored name that is gone is said once).
std::string InputDeviceFor(const std::string& name, const std::vector<std::string>& devices);

// The program that sets the desktop's volumes ("pavucontrol"), by its full
// path, or empty when it is not installed.
std::string SystemVolumeProgram();
// Starts it; false when it could not start.
bool StartSystemVolumeProgram();

}  // namespace qs

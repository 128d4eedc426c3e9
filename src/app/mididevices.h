#pragma once
// The MIDI devices as the settings name them, and the two track bars of
// the main window (volume and tempo).
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

// The volume bar's position for a press below its track at x, on a bar
// width pixels wide: ((x + w div 6) div (w div 6)) x 8800 + 21200, at most
// 65535; a bar too narrow for six steps gives the loudest position.
int VolumeBarPressPosition(int x, int width);
// The tempo bar's position (percent) for a press below its track at x: the
// share of the track left of x, rounded down to a multiple of 25, from min
// to max; a track without width gives min.
int TempoBarPressPosition(int x, int offset, int width, int min, int max);

// The program that sets the desktop's volumes ("pavucontrol"), by its full
// path, or empty when it is not installed.
std::string SystemVolumeProgram();
// Starts it; false when it could not start.
bool StartSystemVolumeProgram();

}  // namespace qs

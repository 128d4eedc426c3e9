#pragma once
// The built-in synthesizer: FluidSynth with the General MIDI sound font
// that the set-up installs. It renders into memory (for a WAVE file, or a
// test) and, once started, through the desktop's audio server or ALSA.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace qs {

// The path of the General MIDI sound font, empty when none is installed.
std::string GeneralMidiSoundFont();

class TQSSynthesizer {
 public:
  // Loads the sound font (Ready() tells whether that worked; a missing
  // one is reported once).
  explicit TQSSynthesizer(double sampleRate = 44100);
  ~TQSSynthesizer();
  TQSSynthesizer(const TQSSynthesizer&) = delete;
  TQSSynthesizer& operator=(const TQSSynthesizer&) = delete;

  bool Ready() const;
  // A channel message of one status and its data bytes.
  void Short(const uint8_t* message, size_t size);
  // A system-exclusive message, $F0 to $F7 inclusive.
  void SysEx(const uint8_t* data, size_t size);
  // Ends every sounding note on every channel.
  void AllNotesOff();
  // The output level (the synthesizer's own is kOwnGain, quiet enough for
  // many voices at once).
  void SetGain(double gain);
  static constexpr double kOwnGain = 0.2;
  // Renders frames of stereo sound.
  void Render(float* left, float* right, int frames);
  // Plays through the audio server or ALSA from now on; false (with the
  // reason in error) when no audio output opens.
  bool StartAudio(std::string& error);

  // The one synthesizer of the program that plays through the audio
  // output, made (and its sound font loaded) on first use.
  static TQSSynthesizer& Shared();

 private:
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
};

}  // namespace qs

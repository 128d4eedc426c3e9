#pragma once
// Exporting a score as a WAVE file: the score is played by a player of its
// own on a stepped virtual clock into a synthesizer of its own, and every
// step's sound is rendered and written at once, so the export runs as fast
// as the machine renders and nothing the user plays meanwhile leaks in.
//
// The file is written beside the target and renamed at the end; Stop or a
// failure leaves no file.
#include <atomic>
#include <functional>
#include <string>

#include "score/windowlink.h"

namespace qs {

// The sample rates offered, in the order of the export dialog's choices.
inline constexpr int kWaveSampleRates[] = {11025, 22050, 32000, 44100, 48000};

struct TQSWaveFormat {
  int SampleRate = 44100;
  int Channels = 2;       // 1 (a mix of both sides) or 2
  int BitsPerSample = 16; // 8 (unsigned) or 16 (signed)
  int BlockAlign() const { return Channels * BitsPerSample / 8; }
};

// Why an export did not write its file.
enum class TQSWaveResult { Saved, Stopped, NoSynthesizer, NoScore, WriteFailed };

class TQSWaveExport {
 public:
  // view: a (hidden) view attached to the score, its cursor at the start;
  // its play events are taken over while the export runs.
  TQSWaveExport(TQSWindowLink& view, const TQSWaveFormat& format);

  // Plays the score to its end into fileName. Long: runs on a worker or
  // with OnProgress keeping the window alive.
  TQSWaveResult Run(const std::string& fileName);
  // Ends a running export, from any thread; its file is not written.
  void Stop() { stop_ = true; }

  // The milliseconds of the score rendered so far, after every step.
  std::function<void(double ms)> OnProgress;
  // Each block of sound as rendered (both sides, -1..1), before it is
  // written; for a level display.
  std::function<void(const float* left, const float* right, int frames)> OnSound;
  // The synthesizer's output level for the file.
  double Gain = 1.0;
  // Milliseconds of sound per step (the unit the file's length is exact to).
  double StepMs = 10;

 private:
  TQSWindowLink& view_;
  TQSWaveFormat format_;
  std::atomic<bool> stop_ = false;
};

}  // namespace qs

#pragma once
// The tool pages of recording and playback. "Recording" holds what
// recorded notes become (the quantisation value, notes or rests, chords,
// blank and drum notes, tuplets, tremolos, dots) and how recording runs
// (real time, metronome, two hands); "Playback" shows the elapsed and the
// total time and switches the metronome of playback. The program's main
// window keeps the recording settings: the pages tell it through their
// events.
#include <functional>
#include <string>

#include "platform/forms.h"

namespace qs {

class TIniFile;
class TPanel;
class TLabel;
class TUpDown;
class TECCharButton;
class TECFormLanguage;

// The recording settings the main window keeps.
struct TRecordSettings {
  int Quantize = 32;  // score ticks: 8, 16, 32, 64, 128, 256 or 512
  bool RealTime = false, Metronome = true, TwoHands = false;
};

class TFRecording : public TForm {
 public:
  // settings: the settings file or null (then nothing is read or stored).
  TFRecording(TComponent* owner, TIniFile* settings, const TRecordSettings& record);
  ~TFRecording() override;
  const char* ClassName() const override { return "TFRecording"; }

  int DrumStyle() const { return drumStyle_; }
  void SetDrumStyle(int index);

  std::function<void(int ticks)> OnSetRecordQuantize;
  std::function<void(bool)> OnSetRecordRealTime;
  std::function<void(bool)> OnSetRecordMetronome;
  std::function<void(bool)> OnSetTwoHands;
  std::function<void()> OnEndRecordChord;

  TPanel* PClient = nullptr;
  TECCharButton *CBWholeNote = nullptr, *CBNote2 = nullptr, *CBNote4 = nullptr, *CBNote8 = nullptr,
                *CBNote16 = nullptr, *CBNote32 = nullptr, *CBNote64 = nullptr;
  TECCharButton *CBChord = nullptr, *CBNote = nullptr, *CBPause = nullptr, *CBBlankNote = nullptr,
                *CBDrumNote = nullptr, *CBTreole = nullptr, *CBTremolo = nullptr, *CBDot = nullptr,
                *CBDoubleDot = nullptr, *CBMetronome = nullptr, *CBRealTime = nullptr, *CBTwoHands = nullptr;
  TUpDown* UDTreole = nullptr;
  TUpDown* UDTremolo = nullptr;
  TECFormLanguage* FLRecording = nullptr;

 private:
  void CBNote4Click();
  void UpdateEnabled();
  void ShowCounts();
  TIniFile* settings_;
  int drumStyle_ = 0;
};

class TFPlaying : public TForm {
 public:
  TFPlaying(TComponent* owner, TIniFile* settings, bool metronome);
  ~TFPlaying() override;
  const char* ClassName() const override { return "TFPlaying"; }

  void ShowFullTime(double ms);
  void ShowPlayTime(double ms);
  std::function<void(bool)> OnSetPlayMetronome;

  TPanel* PClient = nullptr;
  TECCharButton* CBMetronome = nullptr;
  TLabel* LPlayTime = nullptr;
  TLabel* LFullTime = nullptr;
  TECFormLanguage* FLPlaying = nullptr;

 private:
  TIniFile* settings_;
};

void RegisterToolPageForms();

}  // namespace qs

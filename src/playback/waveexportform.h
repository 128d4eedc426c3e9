#pragma once
// "Export to Wave": the dialog that asks for the sample rate, channels and
// resolution of a WAVE file, shows the source and its level, and writes
// the score into the file while showing the progress and the sound; Stop
// ends the export and keeps no file, Save may then be pressed again.
#include <memory>
#include <string>
#include <vector>

#include "platform/forms.h"

namespace qs {

class TIniFile;
class TQSScore;
struct TQSHiddenView;
class TQSWaveExport;
class TGroupBox;
class TRadioButton;
class TComboBox;
class TTrackBar;
class TLabel;
class TButton;
class TGraphicControl;
class TECFormLanguage;

class TFExportWaveSettings : public TForm {
 public:
  // score: the active document's score, null for none (then Save does
  // nothing); settings: the settings file or null; fileName: the target.
  TFExportWaveSettings(TComponent* owner, TIniFile* settings, TQSScore* score, std::string fileName);
  ~TFExportWaveSettings() override;
  const char* ClassName() const override { return "TFExportWaveSettings"; }

  // The item index of a choice group, -1 when none is checked.
  int SampleRateIndex() const;
  int ChannelsIndex() const;
  int ResolutionIndex() const;
  bool Exporting() const { return exporter_ != nullptr; }

  TGroupBox* RGSampleRate = nullptr;
  TGroupBox* RGChannels = nullptr;
  TGroupBox* RGResolution = nullptr;
  std::vector<TRadioButton*> SampleRates, Channels, Resolutions;
  TLabel* LInput = nullptr;
  TComboBox* CBInputDevices = nullptr;
  TTrackBar* TBLeftVolume = nullptr;
  TTrackBar* TBRightVolume = nullptr;
  TGraphicControl* PLeftVolume = nullptr;
  TGraphicControl* PRightVolume = nullptr;
  TGraphicControl* PMeter = nullptr;
  TTrackBar* TBPlay = nullptr;
  TLabel* LStartTime = nullptr;
  TLabel* LEndTime = nullptr;
  TButton* BBOk = nullptr;
  TButton* BBStop = nullptr;
  TButton* BBCancel = nullptr;
  TECFormLanguage* FLExportWave = nullptr;

 private:
  void FormCreate();
  void FormDestroy();
  void BBOkClick();
  void BBStopClick();
  void ShowChannels();
  void Sound(const float* left, const float* right, int frames);
  void PaintMeter();
  void PaintLevel(TGraphicControl* bar, float value);

  TIniFile* settings_;
  TQSScore* score_;
  std::string fileName_;
  std::unique_ptr<TQSHiddenView> view_;
  TQSWaveExport* exporter_ = nullptr;  // while an export runs
  // The last sound rendered: one frame per meter column, and the last
  // frame of each side.
  std::vector<float> meter_;
  float lastLeft_ = 0, lastRight_ = 0;
  int bits_ = 16;
};

// Makes the window known to the review tools that show every form.
void RegisterExportWaveForms();

}  // namespace qs

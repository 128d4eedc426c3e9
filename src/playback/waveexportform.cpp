#include "playback/waveexportform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/inifile.h"
#include "platform/canvas.h"
#include "platform/comctrls.h"
#include "platform/stdctrls.h"
#include "playback/hiddenview.h"
#include "playback/waveexport.h"
#include "score/score.h"
#include "uikit/formparts.h"
#include "uikit/language.h"
#include "uikit/messagebox.h"

namespace qs {
namespace {

constexpr const char* kSection = "ExportWaweSettingForm";
constexpr int kLevelMax = 65535;
constexpr TColor kSignal = RGB(0, 255, 0);

std::string MinutesSeconds(double ms) {
  const long seconds = static_cast<long>(ms / 1000);
  char text[16];
  std::snprintf(text, sizeof text, "%02ld:%02ld", (seconds / 60) % 60, seconds % 60);
  return text;
}

// A group of exclusive choices: the frame and one button a line.
TGroupBox* MakeChoices(TWinControl* parent, const char* name, const char* caption, int left, int top, int width,
                       const std::vector<std::pair<const char*, const char*>>& items,
                       std::vector<TRadioButton*>& buttons) {
  auto* group = Make<TGroupBox>(parent, name, left, top, width, 24 + 22 * static_cast<int>(items.size()));
  group->SetCaption(caption);
  for (size_t i = 0; i < items.size(); ++i) {
    // Owned by the form, so that its translation finds them by name.
    auto* button = new TRadioButton(parent);
    button->SetName(items[i].first);
    button->SetParent(group);
    button->SetBounds(10, 20 + 22 * static_cast<int>(i), width - 20, 20);
    button->SetCaption(items[i].second);
    button->SetTabStop(true);
    buttons.push_back(button);
  }
  return group;
}

int CheckedIndex(const std::vector<TRadioButton*>& buttons) {
  for (size_t i = 0; i < buttons.size(); ++i)
    if (buttons[i]->Checked()) return static_cast<int>(i);
  return -1;
}

void Check(const std::vector<TRadioButton*>& buttons, int index) {
  if (index >= 0 && index < static_cast<int>(buttons.size())) buttons[static_cast<size_t>(index)]->SetChecked(true);
}

}  // namespace

TFExportWaveSettings::TFExportWaveSettings(TComponent* owner, TIniFile* settings, TQSScore* score,
                                           std::string fileName)
    : TForm(owner), settings_(settings), score_(score), fileName_(std::move(fileName)) {
  SetName("FExportWaveSettings");
  SetCaption("Export to Wave");
  SetBorderStyle(bsDialog);
  SetPosition(poScreenCenter);
  SetClientWidth(424);
  SetClientHeight(236);

  RGSampleRate = MakeChoices(this, "RGSampleRate", " Sample Rate ", 8, 8, 120,
                             {{"RBRate11", "11.025 kHz"}, {"RBRate22", "22.05 kHz"}, {"RBRate32", "32 kHz"},
                              {"RBRate44", "44.1 kHz"}, {"RBRate48", "48 kHz"}},
                             SampleRates);
  RGChannels = MakeChoices(this, "RGChannels", " Channels ", 136, 8, 112, {{"RBMono", "Mono"}, {"RBStereo", "Stereo"}},
                           Channels);
  RGResolution = MakeChoices(this, "RGResolution", " Resolution ", 136, 78, 112,
                             {{"RB8Bit", "8-bit"}, {"RB16Bit", "16-bit"}}, Resolutions);

  LInput = Make<TLabel>(this, "LInput", 258, 8, 158, 16);
  LInput->SetCaption("Input");
  CBInputDevices = Make<TComboBox>(this, "CBInputDevices", 258, 26, 158, 22);
  CBInputDevices->SetStyle(csDropDownList);
  TBLeftVolume = Make<TTrackBar>(this, "TBLeftVolume", 258, 54, 26, 94);
  TBRightVolume = Make<TTrackBar>(this, "TBRightVolume", 286, 54, 26, 94);
  for (TTrackBar* bar : {TBLeftVolume, TBRightVolume}) {
    bar->SetOrientation(trVertical);
    bar->SetMax(kLevelMax);
    bar->SetFrequency(kLevelMax / 8);
    bar->SetPageSize(kLevelMax / 16);
    bar->SetPosition(0);  // the bar shows the level upside down: the top is full
  }
  // The built-in synthesizer is one source with one level for both sides.
  TBRightVolume->Hide();
  PLeftVolume = Make<TGraphicControl>(this, "PLeftVolume", 316, 56, 10, 90);
  PRightVolume = Make<TGraphicControl>(this, "PRightVolume", 330, 56, 10, 90);
  PMeter = Make<TGraphicControl>(this, "PMeter", 346, 56, 70, 90);
  PLeftVolume->OnPaint = [this](TObject*) { PaintLevel(PLeftVolume, lastLeft_); };
  PRightVolume->OnPaint = [this](TObject*) { PaintLevel(PRightVolume, lastRight_); };
  PMeter->OnPaint = [this](TObject*) { PaintMeter(); };

  TBPlay = Make<TTrackBar>(this, "TBPlay", 8, 156, 408, 28);
  TBPlay->SetEnabled(false);
  LStartTime = Make<TLabel>(this, "LStartTime", 12, 184, 60, 16);
  LStartTime->SetCaption("00:00");
  LEndTime = Make<TLabel>(this, "LEndTime", 356, 184, 60, 16);
  LEndTime->SetAlignment(taRightJustify);
  LEndTime->SetCaption("00:00");

  BBOk = MakeOkButton(this, "Save", 258, 204);
  BBStop = Make<TButton>(this, "BBStop", 258, 204, 75, 25);
  BBStop->SetCaption("Stop");
  BBStop->Hide();
  BBCancel = MakeCancelButton(this, 341, 204);

  FLExportWave = MakeFormLanguage(this, "FLExportWave");

  CBInputDevices->SetItems(TStringList{FLExportWave->GetMessage(0, "Built-in synthesizer")});
  CBInputDevices->SetItemIndex(0);

  auto stores = [this](const std::vector<TRadioButton*>& buttons, const char* key) {
    for (TRadioButton* button : buttons)
      button->OnClick = [this, &buttons, key](TObject*) {
        if (settings_) settings_->WriteInteger(kSection, key, CheckedIndex(buttons));
        ShowChannels();
      };
  };
  stores(SampleRates, "SampleRate");
  stores(Channels, "Channels");
  stores(Resolutions, "Resolution");
  BBOk->OnClick = [this](TObject*) { BBOkClick(); };
  BBStop->OnClick = [this](TObject*) { BBStopClick(); };
  // Closing while the export runs ends it; its file is not kept.
  OnClose = [this](TObject*, TCloseAction&) { BBStopClick(); };
  BBCancel->OnClick = [this](TObject*) { BBStopClick(); };

  ApplySkinTemplate(*this, skinkind::Normal);
  FormCreate();
}

TFExportWaveSettings::~TFExportWaveSettings() {
  FormDestroy();
  if (view_ && score_) score_->DetachWindow(view_.get());
}

int TFExportWaveSettings::SampleRateIndex() const { return CheckedIndex(SampleRates); }
int TFExportWaveSettings::ChannelsIndex() const { return CheckedIndex(Channels); }
int TFExportWaveSettings::ResolutionIndex() const { return CheckedIndex(Resolutions); }

void TFExportWaveSettings::FormCreate() {
  int rate = 2, channels = 1, resolution = 1;
  if (settings_) {
    rate = settings_->ReadInteger(kSection, "SampleRate", rate);
    channels = settings_->ReadInteger(kSection, "Channels", channels);
    resolution = settings_->ReadInteger(kSection, "Resolution", resolution);
    TRect bounds = BoundsRect();
    // Only the position comes back: the window keeps its own size.
    if (ReadFormBounds(*settings_, kSection, bounds)) SetBounds(bounds.Left, bounds.Top, Width(), Height());
  }
  Check(SampleRates, rate);
  Check(Channels, channels);
  Check(Resolutions, resolution);
  ShowChannels();
  if (score_) {
    TBPlay->SetMax(static_cast<int>(score_->TotalMs) / 100);
    LEndTime->SetCaption(MinutesSeconds(score_->TotalMs));
    view_ = std::make_unique<TQSHiddenView>();
    score_->AttachWindow(view_.get());
  } else {
    TBPlay->SetMax(0);
  }
}

void TFExportWaveSettings::FormDestroy() {
  if (settings_) WriteFormBounds(*settings_, kSection, BoundsRect());
}

void TFExportWaveSettings::ShowChannels() { PRightVolume->SetVisible(ChannelsIndex() == 1); }

void TFExportWaveSettings::BBOkClick() {
  if (!view_ || exporter_) return;
  TQSWaveFormat format;
  format.SampleRate = kWaveSampleRates[std::max(SampleRateIndex(), 0)];
  format.Channels = std::max(ChannelsIndex(), 0) + 1;
  format.BitsPerSample = std::max(ResolutionIndex(), 0) * 8 + 8;
  bits_ = format.BitsPerSample;
  TQSWaveExport exporter(*view_, format);
  exporter.Gain = double(kLevelMax - TBLeftVolume->Position()) / kLevelMax;
  exporter.OnSound = [this](const float* left, const float* right, int frames) { Sound(left, right, frames); };
  // Every tenth of a second of the score the window shows the progress and
  // takes its input (Stop, Cancel).
  double shown = -1;
  exporter.OnProgress = [&](double ms) {
    if (ms - shown < 100) return;
    shown = ms;
    TBPlay->SetPosition(static_cast<int>(ms) / 100);
    LStartTime->SetCaption(MinutesSeconds(ms));
    PMeter->Invalidate();
    PLeftVolume->Invalidate();
    PRightVolume->Invalidate();
    Application().ProcessMessages();
  };
  view_->CursorPosition = TQSCursorPosition{};
  exporter_ = &exporter;
  BBOk->Hide();
  BBStop->Show();
  TQSWaveResult result = TQSWaveResult::WriteFailed;
  try {
    result = exporter.Run(fileName_);
  } catch (const std::exception&) {
  }
  exporter_ = nullptr;
  BBStop->Hide();
  BBOk->Show();
  switch (result) {
    case TQSWaveResult::Saved: SetModalResult(mrOk); break;
    case TQSWaveResult::Stopped:
    case TQSWaveResult::NoScore: break;
    case TQSWaveResult::NoSynthesizer:
      ShowMessageBlock(
          Caption(),
          FLExportWave->GetMessage(1, "No General MIDI sound font is installed, so the score cannot be rendered."),
          kMessageWarning, kMessageOk);
      break;
    case TQSWaveResult::WriteFailed: {
      std::string text = FLExportWave->GetMessage(2, "The file %s could not be written.");
      if (const size_t at = text.find("%s"); at != std::string::npos) text.replace(at, 2, fileName_);
      ShowMessageBlock(Caption(), text, kMessageWarning, kMessageOk);
      break;
    }
  }
}

void TFExportWaveSettings::BBStopClick() {
  if (exporter_) exporter_->Stop();
}

void TFExportWaveSettings::Sound(const float* left, const float* right, int frames) {
  if (frames <= 0) return;
  const int columns = std::max(PMeter->Width(), 1);
  // The newest frames, one per column, in order.
  for (int i = std::max(0, frames - columns); i < frames; ++i) {
    meter_.push_back((left[i] + right[i]) / 2);
  }
  if (meter_.size() > size_t(columns)) meter_.erase(meter_.begin(), meter_.end() - columns);
  lastLeft_ = left[frames - 1];
  lastRight_ = right[frames - 1];
}

void TFExportWaveSettings::PaintLevel(TGraphicControl* bar, float value) {
  TCanvas& c = bar->Canvas();
  const int h = bar->Height(), w = bar->Width();
  const int top = h - static_cast<int>(std::lround(std::min(1.0f, std::fabs(value)) * h));
  c.Brush().Color = clWhite;
  c.FillRect(TRect{0, 0, w, top});
  c.Brush().Color = kSignal;
  c.FillRect(TRect{0, top, w, h});
}

void TFExportWaveSettings::PaintMeter() {
  TCanvas& c = PMeter->Canvas();
  const int w = PMeter->Width(), h = PMeter->Height();
  c.Brush().Color = clBlack;
  c.FillRect(TRect{0, 0, w, h});
  if (meter_.empty()) return;
  // The signal as a band around the middle: the upper edge from the left,
  // the lower edge back from the right, at the scale of the sample size.
  const double scale = bits_ == 8 ? 127 * 0.25 : 32767 * 0.001;
  std::vector<TPoint> points(2 * meter_.size());
  for (size_t i = 0; i < meter_.size(); ++i) {
    const int a = static_cast<int>(std::lround(std::fabs(meter_[i]) * scale));
    points[i] = TPoint{static_cast<int>(i) + 1, h / 2 - a};
    points[points.size() - 1 - i] = TPoint{static_cast<int>(i) + 1, h / 2 + a};
  }
  c.Pen().Color = kSignal;
  c.Pen().Width = 1;
  c.Brush().Color = kSignal;
  c.Polygon(points);
}

void RegisterExportWaveForms() {
  RegisterForm("FExportWaveSettings", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    return std::make_unique<TFExportWaveSettings>(nullptr, nullptr, nullptr, "");
  });
}

}  // namespace qs

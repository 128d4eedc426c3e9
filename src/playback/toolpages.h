#pragma once
// The tool pages of recording and playback. "Recording" holds what
// recorded notes become (the quantisation value, notes or rests, chords,
// blank and drum notes, tuplets, tremolos, dots) and how recording runs
// (real time, metronome, two hands); "Playback" shows the elapsed and the
// total time and switches the metronome of playback. The program's main
// window keeps the recording settings: the pages tell it through their
// events. Each page is one window at a time, reached through Instance();
// it lives docked in the main window's tool notebook or floats on top.
#include <functional>
#include <string>

#include "base/geometry.h"
#include "platform/forms.h"

namespace qs {

class TIniFile;
class TPanel;
class TLabel;
class TUpDown;
class TCanvas;
class TECCharButton;
class TECFormLanguage;

// What both pages share: the tool-window frame whose second caption button
// docks the page, keys typed on it seen first by the main window (the
// form's OnKeyDown), and the place kept in the settings file.
class TQSToolPage : public TForm {
 public:
  ~TQSToolPage() override;

  // The main window docks (true) or floats (false) the page.
  std::function<void(bool attached)> OnSetAttached;
  // The end of a drag of the floating page that began at start and was
  // dropped at drop (screen pixels): within 40 pixels of the start both
  // ways nothing happens; otherwise the page moves, keeping its size, so
  // that its bottom-left corner lies at the drop point, and it no longer
  // counts as docked. True when it moved.
  bool EndDrag(TPoint start, TPoint drop);
  // Whether a drag from start to drop moves a page: more than 40 pixels
  // one way or the other.
  static bool MovedFar(TPoint start, TPoint drop);
  // The floating page was moved by its caption and let go at this screen
  // point (the main window docks it when that lies over its tool notebook).
  std::function<void(TPoint screen)> OnDropped;

  TPanel* PClient = nullptr;

 protected:
  // section: where "Bounds" is kept (the form's name).
  TQSToolPage(TComponent* owner, TIniFile* settings, const char* section);
  // Frame, translation and the kept place, once the controls are made.
  void Finish();
  // The client panel's button: a flat tool button with its hint.
  TECCharButton* MakeButton(const char* name, const char* hint, int left, int top, int width = 26, int height = 30);

  TIniFile* settings_;

 private:
  const char* section_;
};

// The recording settings the main window keeps.
struct TRecordSettings {
  int Quantize = 32;  // score ticks: 8, 16, 32, 64, 128, 256 or 512
  bool RealTime = false, Metronome = true, TwoHands = false;
};

class TFRecording : public TQSToolPage {
 public:
  // settings: the settings file or null (then nothing is read or stored).
  TFRecording(TComponent* owner, TIniFile* settings, const TRecordSettings& record);
  ~TFRecording() override;
  const char* ClassName() const override { return "TFRecording"; }
  // The page while it exists, else null.
  static TFRecording* Instance();

  int DrumStyle() const { return drumStyle_; }
  // A drum style chosen in the drum style chooser: kept, and the drum note
  // button goes down.
  void SetDrumStyle(int index);

  std::function<void(int ticks)> OnSetRecordQuantize;
  std::function<void(bool)> OnSetRecordRealTime;
  std::function<void(bool)> OnSetRecordMetronome;
  std::function<void(bool)> OnSetTwoHands;
  std::function<void()> OnEndRecordChord;
  // The drop button beside the drum note: the main window opens the drum
  // style chooser below it, marks DrumStyle() and hands the choice to
  // SetDrumStyle.
  std::function<void(TECCharButton* below)> OnChooseDrumStyle;
  // Draws drum style index on the drum note button's face; answers false
  // for an index the drum styles do not have (the button then shows its
  // plain face). Set by the program once the Notes palette's drum styles
  // are known.
  static std::function<bool(TCanvas& canvas, const TRect& face, int index)> DrumStylePainter;

  TECCharButton *CBWholeNote = nullptr, *CBNote2 = nullptr, *CBNote4 = nullptr, *CBNote8 = nullptr,
                *CBNote16 = nullptr, *CBNote32 = nullptr, *CBNote64 = nullptr;
  TECCharButton *CBChord = nullptr, *CBNote = nullptr, *CBPause = nullptr, *CBBlankNote = nullptr,
                *CBDrumNote = nullptr, *CBDrumStyles = nullptr, *CBTreole = nullptr, *CBTremolo = nullptr,
                *CBDot = nullptr, *CBDoubleDot = nullptr, *CBMetronome = nullptr, *CBRealTime = nullptr,
                *CBTwoHands = nullptr;
  TUpDown* UDTreole = nullptr;
  TUpDown* UDTremolo = nullptr;

 private:
  void CBNote4Click();
  void UpdateEnabled();
  int drumStyle_ = 0;
};

class TFPlaying : public TQSToolPage {
 public:
  TFPlaying(TComponent* owner, TIniFile* settings, bool metronome);
  ~TFPlaying() override;
  const char* ClassName() const override { return "TFPlaying"; }
  static TFPlaying* Instance();

  // Milliseconds as hours, minutes and seconds.
  void ShowFullTime(double ms);
  void ShowPlayTime(double ms);
  std::function<void(bool)> OnSetPlayMetronome;

  TECCharButton* CBMetronome = nullptr;
  TLabel* LPlayTime = nullptr;
  TLabel* LFullTime = nullptr;
};

void RegisterToolPageForms();

}  // namespace qs

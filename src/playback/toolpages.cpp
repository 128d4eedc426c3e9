#include "playback/toolpages.h"

#include <array>

#include "base/inifile.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "platform/fonts.h"
#include "platform/stdctrls.h"
#include "score/helpers.h"
#include "uikit/charbutton.h"
#include "uikit/language.h"

namespace qs {
namespace {

constexpr const char* kRecord = "Record";

struct TDuration {
  TECCharButton* TFRecording::*Button;
  const char* Name;
  uint8_t Glyph;  // the note in the music font
  int Ticks;
  const char* Hint;
};
constexpr std::array<TDuration, 7> kDurations = {{
    {&TFRecording::CBWholeNote, "CBWholeNote", 42, 512, "Note <1>"},
    {&TFRecording::CBNote2, "CBNote2", 43, 256, "1/2 Note <2>"},
    {&TFRecording::CBNote4, "CBNote4", 44, 128, "1/4 Note <3>"},
    {&TFRecording::CBNote8, "CBNote8", 45, 64, "1/8 Note <4>"},
    {&TFRecording::CBNote16, "CBNote16", 46, 32, "1/16 Note <5>"},
    {&TFRecording::CBNote32, "CBNote32", 47, 16, "1/32 Note <6>"},
    {&TFRecording::CBNote64, "CBNote64", 48, 8, "1/64 Note <7>"},
}};

// The buttons with a text face: the key that does the same, or a sign.
struct TToggle {
  TECCharButton* TFRecording::*Button;
  const char* Name;
  const char* Face;
  const char* Hint;
  int Group;
  int Left, Top;
};
constexpr std::array<TToggle, 12> kToggles = {{
    {&TFRecording::CBChord, "CBChord", "R", "Chord <R>", 10, 206, 7},
    {&TFRecording::CBNote, "CBNote", "N", "Note <N>", 9, 234, 7},
    {&TFRecording::CBPause, "CBPause", "P", "Rest  (Pausis) <P>", 9, 262, 7},
    {&TFRecording::CBBlankNote, "CBBlankNote", "K", "Blank note <K>", 6, 4, 44},
    {&TFRecording::CBDrumNote, "CBDrumNote", "M", "Drum note <M>", 6, 32, 44},
    {&TFRecording::CBTreole, "CBTreole", "", "Duplet, Triplet, Quadruplet .. <J>", 5, 64, 44},
    {&TFRecording::CBTremolo, "CBTremolo", "", "Tremolo <T>", 4, 110, 44},
    {&TFRecording::CBDot, "CBDot", "\xE2\x80\xA2", "Dot <U>", 14, 156, 44},
    {&TFRecording::CBDoubleDot, "CBDoubleDot", "\xE2\x80\xA2\xE2\x80\xA2", "Double Dot <U>", 14, 184, 44},
    {&TFRecording::CBMetronome, "CBMetronome", "O", "Metronome <O>", 12, 212, 44},
    {&TFRecording::CBRealTime, "CBRealTime", "E", "Realtime <E>", 11, 240, 44},
    {&TFRecording::CBTwoHands, "CBTwoHands", "H", "Two hands <H>", 13, 268, 44},
}};

TECCharButton* MakeButton(TWinControl* parent, const char* name, int left, int top) {
  auto* b = new TECCharButton(parent->Owner());
  b->SetName(name);
  b->SetParent(parent);
  b->SetBounds(left, top, 26, 30);
  b->SetFlat(true);
  b->SetShowHint(true);
  return b;
}

TPanel* MakeClient(TForm* form) {
  auto* panel = new TPanel(form);
  panel->SetName("PClient");
  panel->SetParent(form);
  panel->SetAlign(alClient);
  panel->SetBevelOuter(bvNone);
  return panel;
}

TUpDown* MakeUpDown(TWinControl* parent, const char* name, int left, int min, int max, int position) {
  auto* ud = new TUpDown(parent->Owner());
  ud->SetName(name);
  ud->SetParent(parent);
  ud->SetBounds(left, 44, 16, 30);
  ud->Min = min;
  ud->Max = max;
  ud->SetPosition(position);
  return ud;
}

void RestorePosition(TForm& form, TIniFile* settings, const char* section) {
  if (!settings) return;
  TRect bounds = form.BoundsRect();
  if (ReadFormBounds(*settings, section, bounds)) form.SetBounds(bounds.Left, bounds.Top, form.Width(), form.Height());
}

}  // namespace

TFRecording::TFRecording(TComponent* owner, TIniFile* settings, const TRecordSettings& record)
    : TForm(owner), settings_(settings) {
  SetName("FRecording");
  SetCaption("Recording");
  SetBorderStyle(bsToolWindow);
  SetFormStyle(fsStayOnTop);
  SetClientWidth(294);
  SetClientHeight(78);
  PClient = MakeClient(this);

  TFont music;
  music.Name = MusicFontName;
  music.Height = -24;
  for (size_t i = 0; i < kDurations.size(); ++i) {
    TECCharButton* b = MakeButton(PClient, kDurations[i].Name, 4 + 28 * static_cast<int>(i), 4);
    b->SetHeight(36);
    b->SetFont(music);
    b->SetByte(kDurations[i].Glyph);
    b->SetHint(kDurations[i].Hint);
    b->SetPosX(6);
    b->SetPosY(-9);
    b->SetGroupIndex(1);
    b->SetAllowAllUp(true);
    b->OnClick = [this](TObject*) { CBNote4Click(); };
    this->*kDurations[i].Button = b;
  }
  for (const TToggle& t : kToggles) {
    TECCharButton* b = MakeButton(PClient, t.Name, t.Left, t.Top);
    b->SetCaption(t.Face);
    b->SetHint(t.Hint);
    b->SetGroupIndex(t.Group);
    b->SetAllowAllUp(t.Group != 9);
    this->*t.Button = b;
  }
  CBNote->SetDown(true);
  UDTreole = MakeUpDown(PClient, "UDTreole", 92, 2, 10, 2);
  UDTremolo = MakeUpDown(PClient, "UDTremolo", 138, 1, 4, 1);

  FLRecording = new TECFormLanguage(this);
  FLRecording->SetName("FLRecording");
  FLRecording->SetExLanguage(kDefaultLanguage);
  FLRecording->Loaded();

  RestorePosition(*this, settings_, "FRecording");
  if (settings_) {
    drumStyle_ = settings_->ReadInteger(kRecord, "DrumStyle", 0);
    UDTreole->SetPosition(settings_->ReadInteger(kRecord, "Treole", 2));
    UDTremolo->SetPosition(settings_->ReadInteger(kRecord, "Tremolo", 1));
  }
  CBRealTime->SetDown(record.RealTime);
  CBMetronome->SetDown(record.Metronome);
  CBTwoHands->SetDown(record.TwoHands);
  for (const TDuration& d : kDurations)
    if (d.Ticks == record.Quantize) (this->*d.Button)->SetDown(true);
  ShowCounts();
  UpdateEnabled();

  CBRealTime->OnClick = [this](TObject*) {
    if (OnSetRecordRealTime) OnSetRecordRealTime(CBRealTime->Down());
    UpdateEnabled();
  };
  CBMetronome->OnClick = [this](TObject*) {
    if (OnSetRecordMetronome) OnSetRecordMetronome(CBMetronome->Down());
    UpdateEnabled();
  };
  CBTwoHands->OnClick = [this](TObject*) {
    if (OnSetTwoHands) OnSetTwoHands(CBTwoHands->Down());
  };
  CBChord->OnClick = [this](TObject*) {
    if (!CBChord->Down() && OnEndRecordChord) OnEndRecordChord();
  };
  UDTreole->OnClick = [this](TObject*, TUDBtnType) {
    ShowCounts();
    if (settings_) settings_->WriteInteger(kRecord, "Treole", UDTreole->Position());
  };
  UDTremolo->OnClick = [this](TObject*, TUDBtnType) {
    ShowCounts();
    if (settings_) settings_->WriteInteger(kRecord, "Tremolo", UDTremolo->Position());
  };
}

TFRecording::~TFRecording() {
  if (settings_) WriteFormBounds(*settings_, "FRecording", BoundsRect());
}

void TFRecording::SetDrumStyle(int index) {
  drumStyle_ = index;
  if (settings_) settings_->WriteInteger(kRecord, "DrumStyle", index);
  CBDrumNote->SetDown(true);
}

void TFRecording::CBNote4Click() {
  for (const TDuration& d : kDurations)
    if ((this->*d.Button)->Down()) {
      if (OnSetRecordQuantize) OnSetRecordQuantize(d.Ticks);
      return;
    }
}

void TFRecording::UpdateEnabled() {
  const bool step = !CBRealTime->Down();
  CBChord->SetEnabled(step);
  CBPause->SetEnabled(step);
  const bool dots = step && !CBMetronome->Down();
  CBDot->SetEnabled(dots);
  CBDoubleDot->SetEnabled(dots);
}

void TFRecording::ShowCounts() {
  CBTreole->SetCaption(std::to_string(UDTreole->Position()));
  CBTremolo->SetCaption(std::string(static_cast<size_t>(UDTremolo->Position()), '/'));
}

TFPlaying::TFPlaying(TComponent* owner, TIniFile* settings, bool metronome) : TForm(owner), settings_(settings) {
  SetName("FPlaying");
  SetCaption("Playback");
  SetBorderStyle(bsToolWindow);
  SetFormStyle(fsStayOnTop);
  SetClientWidth(180);
  SetClientHeight(40);
  PClient = MakeClient(this);
  CBMetronome = MakeButton(PClient, "CBMetronome", 4, 5);
  CBMetronome->SetCaption("O");
  CBMetronome->SetHint("Metronome <O>");
  CBMetronome->SetGroupIndex(12);
  CBMetronome->SetAllowAllUp(true);
  CBMetronome->SetDown(metronome);
  LPlayTime = new TLabel(this);
  LPlayTime->SetName("LPlayTime");
  LPlayTime->SetParent(PClient);
  LPlayTime->SetBounds(40, 4, 64, 16);
  LPlayTime->SetCaption("00:00:00");
  LFullTime = new TLabel(this);
  LFullTime->SetName("LFullTime");
  LFullTime->SetParent(PClient);
  LFullTime->SetBounds(40, 22, 64, 16);
  LFullTime->SetCaption("00:00:00");

  FLPlaying = new TECFormLanguage(this);
  FLPlaying->SetName("FLPlaying");
  FLPlaying->SetExLanguage(kDefaultLanguage);
  FLPlaying->Loaded();
  RestorePosition(*this, settings_, "FPlaying");
  CBMetronome->OnClick = [this](TObject*) {
    if (OnSetPlayMetronome) OnSetPlayMetronome(CBMetronome->Down());
  };
}

TFPlaying::~TFPlaying() {
  if (settings_) WriteFormBounds(*settings_, "FPlaying", BoundsRect());
}

void TFPlaying::ShowFullTime(double ms) { LFullTime->SetCaption(MsToTimeStr(static_cast<int64_t>(ms))); }
void TFPlaying::ShowPlayTime(double ms) { LPlayTime->SetCaption(MsToTimeStr(static_cast<int64_t>(ms))); }

void RegisterToolPageForms() {
  RegisterForm("FRecording", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    return std::make_unique<TFRecording>(nullptr, nullptr, TRecordSettings{});
  });
  RegisterForm("FPlaying", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFPlaying>(nullptr, nullptr, true);
    form->ShowFullTime(185000);
    form->ShowPlayTime(62000);
    return form;
  });
}

}  // namespace qs

#include "playback/toolpages.h"

#include <array>
#include <cstdlib>

#include "base/inifile.h"
#include "platform/canvas.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "platform/fonts.h"
#include "platform/stdctrls.h"
#include "uikit/formparts.h"
#include "score/helpers.h"
#include "uikit/charbutton.h"
#include "uikit/language.h"
#include "uikit/toolfaces.h"

namespace qs {
namespace {

constexpr const char* kRecord = "Record";

TFRecording* recordingPage = nullptr;
TFPlaying* playingPage = nullptr;

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

// The other buttons: a letter face (the key that does the same) or a face
// the page draws (empty).
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
    {&TFRecording::CBTreole, "CBTreole", "", "Duplet, Triplet, Quadruplet .. <J>", 5, 74, 44},
    {&TFRecording::CBTremolo, "CBTremolo", "", "Tremolo <T>", 4, 120, 44},
    {&TFRecording::CBDot, "CBDot", "", "Dot <U>", 14, 166, 44},
    {&TFRecording::CBDoubleDot, "CBDoubleDot", "", "Double Dot <U>", 14, 194, 44},
    {&TFRecording::CBMetronome, "CBMetronome", "O", "Metronome <O>", 12, 222, 44},
    {&TFRecording::CBRealTime, "CBRealTime", "E", "Realtime <E>", 11, 250, 44},
    {&TFRecording::CBTwoHands, "CBTwoHands", "H", "Two hands <H>", 13, 278, 44},
}};

// Draws a face figure centred in r: once in black, or, while the mouse
// is over a button that is not down, in grey one pixel right and down and
// then in black one pixel left and up; grey on a disabled button.
void DrawFace(TECCharButton& button, TCanvas& c, const TRect& r,
              const std::function<void(TCanvas&, int cx, int cy, TColor colour)>& figure) {
  toolface::Raised(button, r, [&](const TRect& face, TColor colour) {
    figure(c, (face.Left + face.Right) / 2, (face.Top + face.Bottom) / 2, colour);
  });
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

}  // namespace

std::function<bool(TCanvas& canvas, const TRect& face, int index)> TFRecording::DrumStylePainter;

// ------------------------------------------------------------ tool page

TQSToolPage::TQSToolPage(TComponent* owner, TIniFile* settings, const char* section)
    : TForm(owner), settings_(settings), section_(section) {
  SetName(section);
  SetBorderStyle(bsToolWindow);
  SetFormStyle(fsStayOnTop);
  // The main window's key handler sees the keys first (OnKeyDown).
  KeyPreview = true;
  PClient = new TPanel(this);
  PClient->SetName("PClient");
  PClient->SetParent(this);
  PClient->SetAlign(alClient);
  PClient->SetBevelOuter(bvNone);
}

TQSToolPage::~TQSToolPage() {
  // Only a floating page has a place of its own to keep.
  if (settings_ && Floating()) WriteFormBounds(*settings_, section_, BoundsRect());
}

void TQSToolPage::Finish() {
  MakeFormLanguage(this, (std::string("FL") + (section_ + 1)).c_str());
  // The frame first: the bounds kept are those of the framed window.
  if (TECFormDesigner* skin = ApplyToolSkin(*this, [this] {
        if (OnSetAttached) OnSetAttached(true);
      }))
    skin->OnMoveEnd = [this](TPoint screen) {
      if (OnDropped) OnDropped(screen);
    };
  if (!settings_) return;
  TRect bounds = BoundsRect();
  if (ReadFormBounds(*settings_, section_, bounds)) SetBounds(bounds.Left, bounds.Top, Width(), Height());
}

TECCharButton* TQSToolPage::MakeButton(const char* name, const char* hint, int left, int top, int width, int height) {
  auto* b = new TECCharButton(this);
  b->SetName(name);
  b->SetParent(PClient);
  b->SetBounds(left, top, width, height);
  b->SetFlat(true);
  b->SetHint(hint);
  b->SetShowHint(true);
  return b;
}

bool TQSToolPage::MovedFar(TPoint start, TPoint drop) {
  return std::abs(drop.X - start.X) > 40 || std::abs(drop.Y - start.Y) > 40;
}

bool TQSToolPage::EndDrag(TPoint start, TPoint drop) {
  if (!MovedFar(start, drop)) return false;
  SetBounds(drop.X, drop.Y - Height(), Width(), Height());
  if (OnSetAttached) OnSetAttached(false);
  if (settings_) WriteFormBounds(*settings_, section_, BoundsRect());
  return true;
}

// ------------------------------------------------------------ recording

TFRecording::TFRecording(TComponent* owner, TIniFile* settings, const TRecordSettings& record)
    : TQSToolPage(owner, settings, "FRecording") {
  recordingPage = this;
  SetCaption("Recording");
  SetClientWidth(308);
  SetClientHeight(78);

  TFont music;
  music.Name = MusicFontName;
  music.Height = -24;
  for (size_t i = 0; i < kDurations.size(); ++i) {
    TECCharButton* b = MakeButton(kDurations[i].Name, kDurations[i].Hint, 4 + 28 * static_cast<int>(i), 4, 26, 36);
    b->SetFont(music);
    b->SetByte(kDurations[i].Glyph);
    b->SetPosX(6);
    b->SetPosY(-9);
    b->SetGroupIndex(1);
    b->SetAllowAllUp(true);
    b->OnClick = [this](TObject*) { CBNote4Click(); };
    this->*kDurations[i].Button = b;
  }
  for (const TToggle& t : kToggles) {
    TECCharButton* b = MakeButton(t.Name, t.Hint, t.Left, t.Top);
    b->SetCaption(t.Face);
    b->SetGroupIndex(t.Group);
    b->SetAllowAllUp(t.Group != 9);
    this->*t.Button = b;
  }
  CBNote->SetDown(true);
  // The drum styles open below their drop button.
  CBDrumStyles = MakeButton("CBDrumStyles", "", 58, 44, 12, 30);
  CBDrumStyles->SetGroupIndex(8);
  CBDrumStyles->SetDropWidth(11);
  CBDrumStyles->OnButtonClick = [this](TObject*) {
    if (OnChooseDrumStyle) OnChooseDrumStyle(CBDrumStyles);
  };
  UDTreole = MakeUpDown(PClient, "UDTreole", 100, 2, 10, 2);
  UDTremolo = MakeUpDown(PClient, "UDTremolo", 146, 1, 4, 1);

  // The faces the page draws.
  auto drawn = [](TECCharButton* b, std::function<void(TCanvas&, int, int, TColor)> figure) {
    b->SetCustomDraw(true);
    b->OnDrawCharButton = [b, figure = std::move(figure)](TObject*, TCanvas& c, TRect r) { DrawFace(*b, c, r, figure); };
  };
  drawn(CBTreole, [this](TCanvas& c, int x, int y, TColor colour) { toolface::Tuplet(c, x, y, colour, UDTreole->Position()); });
  drawn(CBTremolo,
        [this](TCanvas& c, int x, int y, TColor colour) { toolface::Tremolo(c, x, y, colour, UDTremolo->Position()); });
  drawn(CBDot, [](TCanvas& c, int x, int y, TColor colour) { toolface::Dots(c, x, y, colour, 1); });
  drawn(CBDoubleDot, [](TCanvas& c, int x, int y, TColor colour) { toolface::Dots(c, x, y, colour, 2); });
  // The drum note shows the chosen style where the drum styles have it.
  CBDrumNote->SetCustomDraw(true);
  CBDrumNote->OnDrawCharButton = [this](TObject*, TCanvas& c, TRect r) {
    // The checker of a button held down is no brush to draw with.
    c.Brush() = TBrush{};
    if (DrumStylePainter && DrumStylePainter(c, r, drumStyle_)) return;
    c.Brush().Style = bsClear;
    c.Font() = CBDrumNote->Font();
    c.Font().Color = CBDrumNote->Enabled() ? clBlack : RGB(128, 128, 128);
    const std::string face = CBDrumNote->Caption();
    c.TextOut((r.Left + r.Right - c.TextWidth(face)) / 2, (r.Top + r.Bottom - c.TextHeight(face)) / 2, face);
  };

  Finish();
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
    CBTreole->Invalidate();
    if (settings_) settings_->WriteInteger(kRecord, "Treole", UDTreole->Position());
  };
  UDTremolo->OnClick = [this](TObject*, TUDBtnType) {
    CBTremolo->Invalidate();
    if (settings_) settings_->WriteInteger(kRecord, "Tremolo", UDTremolo->Position());
  };
}

TFRecording::~TFRecording() {
  if (recordingPage == this) recordingPage = nullptr;
}

TFRecording* TFRecording::Instance() { return recordingPage; }

void TFRecording::SetDrumStyle(int index) {
  if (index != drumStyle_) {
    drumStyle_ = index;
    CBDrumNote->Invalidate();
  }
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

// ------------------------------------------------------------- playing

TFPlaying::TFPlaying(TComponent* owner, TIniFile* settings, bool metronome)
    : TQSToolPage(owner, settings, "FPlaying") {
  playingPage = this;
  SetCaption("Playback");
  SetClientWidth(180);
  SetClientHeight(40);
  CBMetronome = MakeButton("CBMetronome", "Metronome <O>", 4, 5);
  CBMetronome->SetCaption("O");
  CBMetronome->SetGroupIndex(12);
  CBMetronome->SetAllowAllUp(true);
  CBMetronome->SetDown(metronome);
  LPlayTime = Make<TLabel>(PClient, "LPlayTime", 40, 4, 64, 16);
  LPlayTime->SetCaption("00:00:00");
  LFullTime = Make<TLabel>(PClient, "LFullTime", 40, 22, 64, 16);
  LFullTime->SetCaption("00:00:00");
  Finish();
  CBMetronome->OnClick = [this](TObject*) {
    if (OnSetPlayMetronome) OnSetPlayMetronome(CBMetronome->Down());
  };
}

TFPlaying::~TFPlaying() {
  if (playingPage == this) playingPage = nullptr;
}

TFPlaying* TFPlaying::Instance() { return playingPage; }

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

#include "palettes/intervals.h"

#include <algorithm>

#include "editing/entry.h"
#include "palettes/keyentry.h"
#include "palettes/notepickers.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "platform/fonts.h"
#include "platform/keys.h"
#include "platform/musicglyphs.h"
#include "score/notes.h"
#include "score/score.h"
#include "uikit/charbutton.h"
#include "uikit/settings.h"
#include "uikit/toolfaces.h"
#include "view/window.h"

namespace qs {

namespace {
constexpr int kButton = 26, kRowTop = 4, kRow2 = 33;
// The velocity step of the sound of an entered note.
constexpr int kEntryVelocity = 3;
}  // namespace

std::string TFIntervals::IntervalHint(int number) {
  const int whole = number / 2;
  if (number % 2 == 0) return std::to_string(whole);
  return whole ? std::to_string(whole) + " 1/2" : "1/2";
}

TFIntervals::TFIntervals(TComponent* owner, const TPaletteContext& context)
    : TQSToolPage(owner, context.Settings, "FIntervals"), host_(context.Host) {
  MakeButtons();
  SetClientWidth(Intervals.back()->Left() + Intervals.back()->Width() + 8);
  SetClientHeight(kRow2 + kButton + 8);
  OnSetAttached = [this](bool attached) {
    if (host_) host_->SetPaletteAttached(TIntervalsSettings::kSection, attached);
  };
  OnDropped = [this](TPoint screen) {
    if (host_) host_->PaletteDropped(TIntervalsSettings::kSection, screen.X, screen.Y);
  };
  OnActivate = [this](TObject*) {
    if (host_) host_->PaletteActivated(TIntervalsSettings::kSection);
  };
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState shift) {
    if (host_) host_->PaletteKeyDown(key, shift);
  };
  Finish();
  LoadSettings();
  loading_ = false;
}

void TFIntervals::MakeButtons() {
  TFont music;
  music.Name = MusicFontName;
  music.Height = -24;
  auto tool = [&](const char* name, const char* letter, int left, int top, int width, int group) {
    TECCharButton* b = MakeButton(name, "", left, top, width, kButton);
    b->SetExpandText(letter);
    b->SetGroupIndex(group);
    b->SetAllowAllUp(group != 2);
    return b;
  };
  CBIntervalDuration = tool("CBIntervalDuration", "+", 4, kRowTop, 38, 0);
  CBIntervalDuration->SetFont(music);
  CBIntervalDuration->SetDropWidth(9);
  CBUp = tool("CBUp", "N", 44, kRowTop, kButton, 2);
  CBDown = tool("CBDown", "N", 72, kRowTop, kButton, 2);
  CBChordAddition = tool("CBChordAddition", "R", 100, kRowTop, kButton, 4);
  CBOctave = tool("CBOctave", "O", 128, kRowTop, 20, 0);
  CBTreole = tool("CBTreole", "J", 4, kRow2, 27, 5);
  CBTremolo = tool("CBTremolo", "T", 44, kRow2, 27, 6);
  CBDot = tool("CBDot", "U", 100, kRow2, kButton, 3);
  CBDoubleDot = tool("CBDoubleDot", "U", 128, kRow2, kButton, 3);
  UDOctave = MakeButtonUpDown(this, PClient, *CBOctave, "UDOctave", 0, 5);
  UDOctave->Wrap = false;
  UDTreole = MakeButtonUpDown(this, PClient, *CBTreole, "UDTreole", 2, 10);
  UDTremolo = MakeButtonUpDown(this, PClient, *CBTremolo, "UDTremolo", 1, 4);
  using F = TModifierFace;
  for (auto [b, face] : {std::pair{CBUp, F::Up}, {CBDown, F::Down}, {CBChordAddition, F::Chord}, {CBDot, F::Dot},
                         {CBDoubleDot, F::DoubleDot}})
    SetModifierFace(*b, face);
  SetModifierFace(*CBTreole, F::Tuplet, [this] { return values_.Treole; });
  SetModifierFace(*CBTremolo, F::Tremolo, [this] { return values_.Tremolo; });

  CBIntervalDuration->OnClick = [this](TObject*) { StepDuration(false); };
  CBIntervalDuration->OnButtonClick = [this](TObject*) {
    auto* p = new TFDuration(nullptr);
    p->SetDuration(values_.IntervalDuration);
    p->OnChoose = [this](TObject*, int ticks) { DurationChosen(ticks); };
    p->DropDownBelow(*CBIntervalDuration);
  };
  auto store = [this](TObject*) {
    values_.IntervalUp = CBUp->Down();
    values_.IntervalChord = CBChordAddition->Down();
    Store();
  };
  CBUp->OnClick = store;
  CBDown->OnClick = store;
  CBChordAddition->OnClick = store;
  CBOctave->OnClick = [this](TObject*) {
    UDOctave->SetPosition(UDOctave->Position() >= UDOctave->Max ? 0 : UDOctave->Position() + 1);
    OctaveChanged();
  };
  UDOctave->OnClick = [this](TObject*, TUDBtnType) { OctaveChanged(); };
  UDTreole->OnClick = [this](TObject*, TUDBtnType) {
    values_.Treole = UDTreole->Position();
    Store();
    CBTreole->Invalidate();
  };
  UDTremolo->OnClick = [this](TObject*, TUDBtnType) {
    values_.Tremolo = UDTremolo->Position();
    Store();
    CBTremolo->Invalidate();
  };

  // The interval buttons: columns of three from beside the double dot.
  const int left = CBDoubleDot->Left() + CBDoubleDot->Width() + 2 + 22;
  for (int n = 0; n < kIntervals; ++n) {
    auto* b = new TECCharButton(this);
    b->SetName("CBInterval" + std::to_string(n));
    b->SetParent(PClient);
    b->SetBounds(left + (n / 3) * 37, kRowTop + (n % 3) * 19, 35, 18);
    b->SetFlat(true);
    b->SetBlackBorder(true);
    b->SetBorderColor(0x404042);
    b->SetShowHint(true);
    b->SetHint(IntervalHint(n));
    b->OnClick = [this, n](TObject*) {
      // A wrong place to enter (no staff, a full measure) is the editing
      // command's error, which the main window shows.
      IntervalClick(n);
    };
    Intervals[static_cast<size_t>(n)] = b;
  }
}

void TFIntervals::LoadSettings() {
  if (settings_) {
    TSettingsIO io(settings_, TIntervalsSettings::kSection, TSettingsIO::TMode::Read);
    values_.Visit(io);
  }
  (values_.IntervalUp ? CBUp : CBDown)->SetDown(true);
  CBChordAddition->SetDown(values_.IntervalChord);
  UDOctave->SetPosition(values_.IntervalOctave);
  CBOctave->SetCaption(std::to_string(values_.IntervalOctave));
  UDTreole->SetPosition(values_.Treole);
  UDTremolo->SetPosition(values_.Tremolo);
  UpdateDurationButton();
}

void TFIntervals::Store() {
  if (!settings_ || loading_) return;
  TSettingsIO io(settings_, TIntervalsSettings::kSection, TSettingsIO::TMode::WriteAll);
  values_.Visit(io);
}

void TFIntervals::UpdateDurationButton() {
  // The value's note glyph; anything else shows the double whole note.
  const int d = values_.IntervalDuration;
  uint8_t glyph = glyphs::NoteheadDoubleWhole;
  for (int i = 0, ticks = 512; i < 7; ++i, ticks /= 2)
    if (d == ticks) glyph = static_cast<uint8_t>(glyphs::NoteheadWhole + i);
  CBIntervalDuration->SetByte(glyph);
  CBIntervalDuration->SetPosX(8);
  CBIntervalDuration->SetPosY(GlyphFaceTop(glyph));
  CBIntervalDuration->Invalidate();
}

void TFIntervals::OctaveChanged() {
  values_.IntervalOctave = UDOctave->Position();
  CBOctave->SetCaption(std::to_string(values_.IntervalOctave));
  Store();
}

void TFIntervals::StepDuration(bool longer) {
  values_.IntervalDuration = StepEntryDuration(values_.IntervalDuration, longer);
  UpdateDurationButton();
  Store();
}

void TFIntervals::DurationChosen(int ticks) {
  values_.IntervalDuration = ticks;
  UpdateDurationButton();
  Store();
}

void TFIntervals::ApplyTool() {
  if (loading_) return;
  SetActiveViewCursor(host_, "");
  if (host_) host_->SetEntryDuration(0);
}

void TFIntervals::ResetToDefaults() {
  const TIntervalsSettings d{};
  CBUp->SetDown(true);
  CBChordAddition->SetDown(false);
  for (TECCharButton* b : {CBDot, CBDoubleDot, CBTreole, CBTremolo}) b->SetDown(false);
  values_.IntervalUp = d.IntervalUp;
  values_.IntervalChord = d.IntervalChord;
}

bool TFIntervals::IntervalClick(int number) {
  TQSScore* score = host_ ? host_->ActiveScore() : nullptr;
  auto* view = score ? dynamic_cast<TQSWindow*>(score->ActiveWindow()) : nullptr;
  if (!view || number < 0 || number >= kIntervals) return false;
  const bool chord = CBChordAddition->Down(), up = CBUp->Down();
  std::vector<int> marks;
  if (CBDot->Down()) marks.push_back(modifier::Dot);
  else if (CBDoubleDot->Down()) marks.push_back(modifier::DoubleDot);
  if (CBTremolo->Down()) marks.push_back(modifier::Tremolo + values_.Tremolo);
  if (CBTreole->Down()) marks.push_back(modifier::Tuplet + values_.Treole);
  int pitch = 60;
  TKeyEntry entry{5, 0, {}};
  // Without a note to count from, middle C.
  if (const TQSNote* reference = view->NoteAtCursor(!chord, up)) {
    pitch = IntervalPitch(reference->SoundingKey, number, up, values_.IntervalOctave);
    entry = SpellPitch(pitch, [view](int step) { return view->AccidentalAtCursor(step); });
  }
  marks.insert(marks.begin(), entry.Accidentals.begin(), entry.Accidentals.end());
  if (!InsertNote(*score, entry.Octave, entry.Step, values_.IntervalDuration, marks)) return false;
  const int length = score->LastEntryLength ? score->LastEntryLength : values_.IntervalDuration;
  if (!chord) view->AdvanceCursor(length, -1, -1, true);
  if (host_) host_->SoundPitch(pitch, length, kEntryVelocity, smAlone, TSoundFrom::Entry);
  return true;
}

bool TFIntervals::PageKey(uint16_t key, uint16_t shift, uint16_t prefix) {
  (void)prefix;
  if (shift & (ssCtrl | ssAlt)) return false;
  auto toggle = [](TECCharButton* b) { b->SetDown(!b->Down()); };
  switch (key) {
    case VK_ESCAPE:
      CBChordAddition->SetDown(false);
      CBUp->SetDown(true);
      for (TECCharButton* b : {CBDot, CBDoubleDot, CBTreole, CBTremolo}) b->SetDown(false);
      values_.IntervalUp = true, values_.IntervalChord = false;
      Store();
      return true;
    case 'R':
      toggle(CBChordAddition);
      values_.IntervalChord = CBChordAddition->Down();
      Store();
      return true;
    case 'N':
      (CBUp->Down() ? CBDown : CBUp)->SetDown(true);
      values_.IntervalUp = CBUp->Down();
      Store();
      return true;
    case VK_ADD: case VK_SUBTRACT: StepDuration(key == VK_ADD); return true;
    case 'O': CBOctave->Click(); return true;
    case 'D': StepDuration(false); return true;
    case 'U':
      if (CBDot->Down()) CBDoubleDot->SetDown(true);
      else if (CBDoubleDot->Down()) CBDoubleDot->SetDown(false);
      else CBDot->SetDown(true);
      return true;
    case 'J': toggle(CBTreole); return true;
    case 'T': toggle(CBTremolo); return true;
    default: return false;
  }
}

}  // namespace qs

#include "palettes/piano.h"

#include <algorithm>

#include "editing/entry.h"
#include "palettes/keyentry.h"
#include "palettes/notes.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "platform/fonts.h"
#include "platform/keys.h"
#include "platform/musicglyphs.h"
#include "score/headstyles.h"
#include "score/score.h"
#include "uikit/charbutton.h"
#include "uikit/interface.h"
#include "uikit/musickeyboard.h"
#include "uikit/names.h"
#include "uikit/settings.h"
#include "uikit/toolfaces.h"
#include "view/window.h"

namespace qs {

namespace {
constexpr int kCell = 30, kPanelWidth = 4 * kCell + 4, kPanelHeight = 3 * kCell + 4;
constexpr int kEntryVelocity = 3;
TFPiano* gInstance = nullptr;
}  // namespace

TFPiano* TFPiano::Instance() { return gInstance; }

TFPiano::TFPiano(TComponent* owner, const TPaletteContext& context)
    : TQSToolPage(owner, context.Settings, "FPiano"), host_(context.Host) {
  SetClientWidth(760);
  SetClientHeight(kPanelHeight + 4);
  MakeControls();
  OnSetAttached = [this](bool attached) {
    if (host_) host_->SetPaletteAttached(TPianoSettings::kSection, attached);
  };
  OnDropped = [this](TPoint screen) {
    if (host_) host_->PaletteDropped(TPianoSettings::kSection, screen.X, screen.Y);
  };
  OnActivate = [this](TObject*) {
    if (host_) host_->PaletteActivated(TPianoSettings::kSection);
  };
  // The page's keys (Ctrl and the cursor keys move the score's cursor)
  // come first, also while the keyboard has the focus.
  KeyPreview = true;
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState shift) {
    if (host_) host_->PaletteKeyDown(key, shift);
  };
  Finish();
  LoadSettings();
  loading_ = false;
  gInstance = this;
}

TFPiano::~TFPiano() {
  if (gInstance == this) gInstance = nullptr;
}

void TFPiano::MakeControls() {
  MKKeyboard = new TECMusicKeyboard(this);
  MKKeyboard->SetName("MKKeyboard");
  MKKeyboard->SetParent(PClient);
  MKKeyboard->SetMaxDuration(7);
  MKKeyboard->SetOffsetOctave(2);
  MKKeyboard->MouseTrack = true;
  // The program's note letters name the keys.
  std::string letters;
  for (int step = 0; step < 7; ++step) letters += NoteLetter(step);
  MKKeyboard->SetKeys(letters);
  MKKeyboard->OnKeyClick = [this](TObject*, int octave, int note, int tone) {
    // An error on the way (no room in the measure) enters nothing, quietly.
    try {
      KeyClick(octave, note, tone);
    } catch (const std::exception&) {
    }
  };
  MKKeyboard->OnTrackMouse = [this](TObject*, bool keys) { TrackMouse(keys); };
  MKKeyboard->OnOffsetChanged = [this](TObject*) {
    if (loading_) return;
    values_.OffsetDuration = MKKeyboard->OffsetDuration();
    values_.OffsetOctave = MKKeyboard->OffsetOctave();
    Store();
  };
  MKKeyboard->OnDurationChanged = [this](TObject*) {
    values_.DurationPosition = MKKeyboard->DurationPosition();
    Store();
  };

  PPianoSymbols = new TPanel(this);
  PPianoSymbols->SetName("PPianoSymbols");
  PPianoSymbols->SetParent(PClient);
  PPianoSymbols->SetBevelOuter(bvNone);
  PPianoSymbols->SetCaption("");
  PPianoSymbols->SetBounds(0, 0, kPanelWidth, kPanelHeight);

  TFont music;
  music.Name = MusicFontName;
  music.Height = -24;
  auto button = [&](const char* name, const char* letter, int col, int row, int group, int width = kCell - 2) {
    auto* b = new TECCharButton(this);
    b->SetName(name);
    b->SetParent(PPianoSymbols);
    b->SetBounds(2 + col * kCell, 2 + row * kCell, width, kCell - 2);
    b->SetFlat(true);
    b->SetShowHint(true);
    b->SetExpandText(letter);
    b->SetGroupIndex(group);
    b->SetAllowAllUp(group != 9);
    return b;
  };
  // Four columns of three rows, low enough for the tool notebook.
  CBNote = button("CBNote", "N", 0, 0, 9);
  CBPause = button("CBPause", "P", 1, 0, 9);
  CBChord = button("CBChord", "R", 2, 0, 10);
  CBBlankNote = button("CBBlankNote", "K", 3, 0, 6);
  CBDot = button("CBDot", "U", 0, 1, 2);
  CBDoubleDot = button("CBDoubleDot", "U", 1, 1, 2);
  CBTreole = button("CBTreole", "J", 2, 1, 5, kCell - 13);
  CBTremolo = button("CBTremolo", "T", 3, 1, 4, kCell - 13);
  CBDrumNote = button("CBDrumNote", "M", 0, 2, 6, 2 * kCell - 13);
  CBDrumStyles = button("CBDrumStyles", "", 1, 2, 8, 12);
  CBDrumStyles->SetLeft(CBDrumNote->Left() + CBDrumNote->Width());
  CBDrumStyles->SetDropWidth(CBDrumStyles->Width() - 1);
  CBNote->SetDown(true);
  const std::pair<TECCharButton*, uint8_t> glyphFaces[] = {
      {CBNote, glyphs::NoteQuarterUp}, {CBPause, glyphs::RestQuarter}, {CBBlankNote, glyphs::NoteheadHalf}};
  for (auto [b, glyph] : glyphFaces) {
    b->SetFont(music);
    b->SetByte(glyph);
    b->SetPosX(glyph == glyphs::NoteheadHalf ? 6 : 8);
    b->SetPosY(GlyphFaceTop(glyph));
  }
  UDTreole = MakeButtonUpDown(this, PPianoSymbols, *CBTreole, "UDTreole", 2, 10);
  UDTremolo = MakeButtonUpDown(this, PPianoSymbols, *CBTremolo, "UDTremolo", 1, 4);
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

  using F = TModifierFace;
  for (auto [b, face] : {std::pair{CBChord, F::Chord}, {CBDot, F::Dot}, {CBDoubleDot, F::DoubleDot}})
    SetModifierFace(*b, face);
  SetModifierFace(*CBTreole, F::Tuplet, [this] { return values_.Treole; });
  SetModifierFace(*CBTremolo, F::Tremolo, [this] { return values_.Tremolo; });
  // The drum note shows the palette's drum style; past the list, the
  // standard head's cross.
  CBDrumNote->SetCustomDraw(true);
  CBDrumNote->OnDrawCharButton = [this](TObject*, TCanvas& c, TRect r) {
    c.Brush() = TBrush{};
    TDrumStyles& styles = Styles();
    const int i = values_.DrumStyle;
    if (i >= 0 && i < static_cast<int>(styles.size())) {
      DrawDrumStyle(*CBDrumNote, c, r, styles[static_cast<size_t>(i)].get());
      return;
    }
    toolface::Raised(*CBDrumNote, r, [&](const TRect& f, TColor ink) {
      const int cx = (f.Left + f.Right) / 2, cy = (f.Top + f.Bottom) / 2;
      toolface::Line(c, cx - 4, cy - 4, cx + 4, cy + 4, ink, 2);
      toolface::Line(c, cx - 4, cy + 4, cx + 4, cy - 4, ink, 2);
    });
  };
  // The button is nothing but its arrow: a click anywhere on it opens the
  // drum styles.
  CBDrumStyles->OnButtonClick = [this](TObject*) { OpenDrumStyles(); };
  CBDrumStyles->OnClick = [this](TObject*) { OpenDrumStyles(); };

  // The keyboard takes the width the button panel leaves; the panel sits
  // right where the keyboard's drawing ends.
  PClient->OnResize = [this](TObject*) { Arrange(); };
  Arrange();
}

void TFPiano::Arrange() {
  const int h = std::max(20, PClient->ClientHeight());
  MKKeyboard->SetBounds(0, 0, std::max(60, PClient->ClientWidth() - kPanelWidth), h);
  PPianoSymbols->SetBounds(MKKeyboard->GetFitWidth(), 0, kPanelWidth, kPanelHeight);
}

void TFPiano::OpenDrumStyles() {
  CBDrumStyles->SetDown(false);
  if (picker_) {
    TDropDownPicker* open = picker_;
    picker_ = nullptr;
    open->RemoveFreeNotification(this);
    open->Close();
  }
  auto* p = new TFChooseDrum(nullptr);
  p->FillDrumButtons(Styles());
  p->SetDrumStyle(values_.DrumStyle);
  p->OnChoose = [this](TObject*, int index) { DrumStyleChosen(index); };
  // The Helper tells of the drum styles while the picker is open.
  ShowHelperContext({"DrumStyle"}, false);
  p->OnDestroy = [](TObject*) { ReturnHelperContext(); };
  picker_ = p;
  p->FreeNotification(this);
  p->DropDownBelow(*CBDrumStyles);
}

void TFPiano::Notification(TComponent* component, TOperation operation) {
  TQSToolPage::Notification(component, operation);
  if (operation == opRemove && component == picker_) picker_ = nullptr;
}

TDrumStyles& TFPiano::Styles() { return TFNotes::SharedDrumStyles(); }

void TFPiano::LoadSettings() {
  if (settings_) {
    TSettingsIO io(settings_, TPianoSettings::kSection, TSettingsIO::TMode::Read);
    values_.Visit(io);
  }
  UDTreole->SetPosition(values_.Treole);
  UDTremolo->SetPosition(values_.Tremolo);
  // Offsets first: the value would scroll the strip by itself.
  MKKeyboard->SetOffsetDuration(values_.OffsetDuration);
  MKKeyboard->SetOffsetOctave(values_.OffsetOctave);
  MKKeyboard->SetDurationPosition(values_.DurationPosition);
}

void TFPiano::Store() {
  if (!settings_ || loading_) return;
  TSettingsIO io(settings_, TPianoSettings::kSection, TSettingsIO::TMode::WriteAll);
  values_.Visit(io);
}

void TFPiano::ApplyTool() {
  if (loading_) return;
  SetActiveViewCursor(host_, "");
  if (host_) host_->SetEntryDuration(0);
}

void TFPiano::ResetToDefaults() {
  const TPianoSettings d{};
  loading_ = true;
  values_.DrumStyle = d.DrumStyle;
  values_.Treole = d.Treole;
  values_.Tremolo = d.Tremolo;
  UDTreole->SetPosition(d.Treole);
  UDTremolo->SetPosition(d.Tremolo);
  MKKeyboard->SetOffsetDuration(d.OffsetDuration);
  MKKeyboard->SetOffsetOctave(d.OffsetOctave);
  MKKeyboard->SetDurationPosition(d.DurationPosition);
  loading_ = false;
  CBChord->SetDown(false);
  CBNote->SetDown(true);
  for (TECCharButton* b : {CBDot, CBDoubleDot, CBBlankNote, CBTreole, CBTremolo, CBDrumNote}) b->SetDown(false);
}

int TFPiano::EntryDuration() const { return 1 << (9 - MKKeyboard->DurationPosition()); }

int TFPiano::RegisterDrumStyles(TQSScore& score) {
  if (!CBDrumNote->Down()) return 0;
  return qs::RegisterDrumStyles(score, Styles(), values_.DrumStyle);
}

void TFPiano::SetDrumStyle(int index) {
  if (index == values_.DrumStyle) return;
  values_.DrumStyle = index;
  CBDrumNote->Invalidate();
  Store();
}

void TFPiano::DrumStyleChosen(int index) {
  SetDrumStyle(index);
  CBDrumNote->SetDown(true);
  CBDrumNote->Invalidate();
}

void TFPiano::SetKeyNames(const std::string& letters) { MKKeyboard->SetKeys(letters); }

void TFPiano::LightKey(int pitch) { MKKeyboard->LightPitch(pitch); }
void TFPiano::UnlightKey(int pitch) { MKKeyboard->UnlightPitch(pitch); }
void TFPiano::ClearLitKeys() { MKKeyboard->ClearLitKeys(); }
void TFPiano::ShowMidiMessage(uint8_t status, uint8_t key, uint8_t velocity) {
  MKKeyboard->ShowMidiMessage(status, key, velocity);
}

void TFPiano::SetKeyboardCursor(const std::string& name) {
  if (name.empty()) {
    MKKeyboard->SetCursor(crDefault);
  } else {
    // The tool slot holds the score views' cursor too: load it only when
    // another one was loaded last.
    if (name != cursor_ && LoadToolCursor(name)) cursor_ = name;
    MKKeyboard->SetCursor(name == cursor_ ? kToolCursorSlot : crDefault);
  }
}

void TFPiano::TrackMouse(bool keys) {
  if (!keys) {
    SetKeyboardCursor("");
    return;
  }
  const int p = MKKeyboard->DurationPosition();
  if (p < 0 || p > 6) return;
  const std::string base = CBPause->Down() ? "PAUSE" : "NOTE";
  SetKeyboardCursor(p == 0 ? base : base + std::to_string(1 << p));
}

bool TFPiano::KeyClick(int octave, int note, int tone) {
  TQSScore* score = host_ ? host_->ActiveScore() : nullptr;
  auto* view = score ? dynamic_cast<TQSWindow*>(score->ActiveWindow()) : nullptr;
  if (!view) return false;
  std::vector<int> marks;
  if (CBDot->Down()) marks.push_back(modifier::Dot);
  else if (CBDoubleDot->Down()) marks.push_back(modifier::DoubleDot);
  if (CBTreole->Down()) marks.push_back(modifier::Tuplet + values_.Treole);
  const int ticks = EntryDuration();
  if (CBPause->Down() || note < 0) {
    if (!InsertRest(*score, ticks, marks)) return false;
  } else {
    const TKeyEntry entry = SpellPianoKey(octave, note, tone, [view](int step) { return view->AccidentalAtCursor(step); });
    marks.insert(marks.begin(), entry.Accidentals.begin(), entry.Accidentals.end());
    if (CBTremolo->Down()) marks.push_back(modifier::Tremolo + values_.Tremolo);
    const int head = CBBlankNote->Down() ? headstyle::Slash : RegisterDrumStyles(*score);
    if (!InsertNote(*score, entry.Octave, entry.Step, ticks, marks, 0, head)) return false;
    if (host_)
      host_->SoundPitch(std::clamp(PianoKeyPitch(octave, note, tone), 0, 127),
                        score->LastEntryLength ? score->LastEntryLength : ticks, kEntryVelocity, smAlone, TSoundFrom::Piano);
  }
  if (!CBChord->Down()) view->AdvanceCursor(score->LastEntryLength ? score->LastEntryLength : ticks, -1, -1, true);
  return true;
}

bool TFPiano::PageKey(uint16_t key, uint16_t shift, uint16_t prefix) {
  (void)prefix;
  if (shift & ssCtrl) {
    // With Ctrl the cursor keys move the score's cursor.
    TQSScore* score = host_ ? host_->ActiveScore() : nullptr;
    auto* view = score ? dynamic_cast<TQSWindow*>(score->ActiveWindow()) : nullptr;
    if (!view || view->Focused()) return false;
    switch (key) {
      case VK_LEFT: view->MoveCursorLeft(false); return true;
      case VK_RIGHT: view->MoveCursorRight(false, false); return true;
      case VK_UP: view->MoveCursorUp(false); return true;
      case VK_DOWN: view->MoveCursorDown(false); return true;
      case VK_HOME: view->MoveCursorLineStart(false); return true;
      case VK_END: view->MoveCursorLineEnd(false); return true;
      default: return false;
    }
  }
  if (shift & ssAlt) return false;
  auto reverse = [](TECCharButton* b) { b->SetDown(!b->Down()); };
  switch (key) {
    case VK_ESCAPE:
      for (TECCharButton* b : {CBChord, CBDot, CBDoubleDot, CBTreole, CBTremolo, CBBlankNote, CBDrumNote})
        b->SetDown(false);
      return true;
    case 'R': reverse(CBChord); return true;
    case 'T': reverse(CBTremolo); return true;
    case 'J': reverse(CBTreole); return true;
    case 'K': reverse(CBBlankNote); return true;
    case 'M': reverse(CBDrumNote); return true;
    case 'N': CBNote->SetDown(true); return true;
    case 'P': CBPause->SetDown(true); return true;
    case 'U':
      if (CBDot->Down()) CBDoubleDot->SetDown(true);
      else if (CBDoubleDot->Down()) CBDoubleDot->SetDown(false);
      else CBDot->SetDown(true);
      return true;
    default: return false;
  }
}

}  // namespace qs

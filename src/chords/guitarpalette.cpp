#include "chords/guitarpalette.h"
#include "chords/guitarlist.h"

#include <algorithm>

#include "base/inifile.h"
#include "chords/choosers.h"
#include "chords/framedialogs.h"
#include "chords/guitarnotes.h"
#include "editing/chords.h"
#include "palettes/notepickers.h"
#include "platform/extctrls.h"
#include "platform/fonts.h"
#include "platform/keys.h"
#include "platform/musicglyphs.h"
#include "platform/stdctrls.h"
#include "score/score.h"
#include "uikit/catalogue.h"
#include "uikit/charbutton.h"
#include "uikit/formparts.h"
#include "uikit/fretboard.h"
#include "uikit/interface.h"
#include "uikit/names.h"
#include "uikit/settings.h"
#include "uikit/toolfaces.h"
#include "view/window.h"

namespace qs {

namespace {

constexpr int kButtonsWidth = 40;
// The velocity step of entered notes, as the other palettes sound theirs.
constexpr int kGuitarEntryVelocity = 3;

// The note-value glyph of the duration button: character, x and y.
}  // namespace


// ------------------------------------------------------------------ palette

TFGuitar::TFGuitar(TComponent* owner, const TPaletteContext& context)
    : TQSToolPage(owner, context.Settings, "FGuitar"), host_(context.Host) {
  SetCaption("Guitar");
  SetClientWidth(773);
  SetClientHeight(85);
  TFont arial;
  arial.Name = "Arial";
  arial.SetSize(8);
  TFont music;
  music.Name = MusicFontName;
  music.Height = -24;

  CBGuitarKind = MakeButton("CBGuitarKind", "", 2, 2, 35, 23);
  CBGuitarKind->SetDropWidth(12);
  CBGuitarKind->SetFont(arial);
  CBGuitarKind->SetFlat(false);
  CBGuitarKind->SetCustomDraw(true);
  CBGuitarKind->OnDrawCharButton = [this](TObject*, TCanvas& c, TRect r) {
    // The strings of the guitar as grey lines, and their number over them.
    const TQSGuitarDescription* g = CurrentGuitar();
    const int n = g ? g->StringCount : kDefaultGuitarStrings;
    const int h = r.Bottom - r.Top;
    const int spacing = std::max(2, (h - 4) / std::max(1, n));
    c.Pen() = TPen{};
    c.Pen().Color = RGB(128, 128, 128);
    for (int i = 0, y = r.Top + (h - spacing * n) / 2 + 1; i < n && y < r.Bottom; ++i, y += spacing) {
      c.MoveTo(r.Left + 4, y);
      c.LineTo(r.Right - 4, y);
    }
    const std::string count = std::to_string(g && g->Paired ? 2 * n : n);
    c.Font() = CBGuitarKind->Font();
    c.Brush().Style = bsClear;
    const int x = (r.Left + r.Right - c.TextWidth(count)) / 2, y = (r.Top + r.Bottom - c.TextHeight(count)) / 2;
    if (CBGuitarKind->Down()) {
      c.Font().Color = RGB(128, 128, 128);
      c.TextOut(x + 1, y + 1, count);
      c.Font().Color = clBlack;
      c.TextOut(x - 1, y - 1, count);
    } else {
      c.Font().Color = clBlack;
      c.TextOut(x, y, count);
    }
  };
  CBGuitarKind->OnClick = [this](TObject*) {
    if (guitars_.empty()) return;
    values_.GuitarKind = values_.GuitarKind + 1 >= static_cast<int>(guitars_.size()) ? 0 : values_.GuitarKind + 1;
    ApplyGuitar();
    Store(values_.GuitarKind);
  };
  CBGuitarKind->OnButtonClick = [this](TObject*) {
    auto* chooser = new TFGuitarName(nullptr);
    std::vector<std::string> names;
    for (const auto& g : guitars_) names.push_back(g->Name);
    chooser->SetNames(names);
    chooser->SetGuitarIndex(values_.GuitarKind);
    chooser->SetDirection(GGuitar->Direction());
    chooser->OnChosen = [this](TFGuitarName*, int index, int direction) { GuitarChosen(index, direction); };
    PlaceBelowControl(*CBGuitarKind, *chooser);
    chooser->Show();
  };

  CBGuitarDuration = MakeButton("CBGuitarDuration", "", 2, 29, 35, 23);
  CBGuitarDuration->SetFont(music);
  CBGuitarDuration->SetDropWidth(12);
  CBGuitarDuration->SetFlat(false);
  CBGuitarDuration->OnClick = [this](TObject*) {
    values_.GuitarDuration = StepEntryDuration(values_.GuitarDuration, false);
    ShowDuration();
  };
  CBGuitarDuration->OnButtonClick = [this](TObject*) {
    auto* picker = new TFDuration(nullptr);
    picker->SetDuration(values_.GuitarDuration);
    picker->OnChoose = [this](TObject*, int ticks) { DurationChosen(ticks); };
    picker->DropDownBelow(*CBGuitarDuration);
  };

  CBPlay = MakeButton("CBPlay", "", 8, 56, 23, 23);
  CBPlay->SetFlat(false);
  CBPlay->SetCustomDraw(true);
  CBPlay->OnDrawCharButton = [this](TObject*, TCanvas& c, TRect r) {
    toolface::Raised(*CBPlay, r, [&](const TRect& f, TColor ink) {
      const int cx = (f.Left + f.Right) / 2, cy = (f.Top + f.Bottom) / 2;
      c.Pen() = TPen{};
      c.Pen().Color = ink;
      c.Brush() = TBrush{};
      c.Brush().Color = ink;
      c.Polygon({TPoint{cx - 3, cy - 5}, TPoint{cx + 4, cy}, TPoint{cx - 3, cy + 5}});
    });
  };
  CBPlay->OnClick = [this](TObject*) { PlayHeldChord(); };

  GGuitar = new TECGuitar(this);
  GGuitar->SetName("GGuitar");
  GGuitar->SetParent(PClient);
  GGuitar->SetFont(arial);
  GGuitar->SetBounds(kButtonsWidth, 0, 773 - kButtonsWidth, 85);
  GGuitar->OnGetNoteName = [this](TObject*, int fret, int string) { return NoteName(fret, string); };
  GGuitar->OnFretChanged = [this](TObject*, int, int, int) {
    if (!updating_) EnterHeldChord();
  };
  PClient->OnResize = [this](TObject*) {
    GGuitar->SetBounds(kButtonsWidth, 0, std::max(1, PClient->Width() - kButtonsWidth), PClient->ClientHeight());
  };

  OnSetAttached = [this](bool attached) {
    if (host_) host_->SetPaletteAttached(TGuitarSettings::kSection, attached);
  };
  OnActivate = [this](TObject*) {
    if (host_) host_->PaletteActivated(TGuitarSettings::kSection);
  };
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState shift) {
    if (host_) host_->PaletteKeyDown(key, shift);
  };
  Finish();
  LoadGuitars();
  if (settings_) {
    TSettingsIO io(settings_, TGuitarSettings::kSection, TSettingsIO::TMode::Read);
    values_.Visit(io);
  }
  GGuitar->SetDirection(static_cast<TECGuitarDirection>(values_.GuitarDirection));
  ShowDuration();
  ApplyGuitar();
}

TFGuitar::~TFGuitar() = default;

TQSGuitarDescription* TFGuitar::CurrentGuitar() const {
  const int i = values_.GuitarKind;
  return i >= 0 && i < static_cast<int>(guitars_.size()) ? guitars_[static_cast<size_t>(i)].get() : nullptr;
}

void TFGuitar::Store(const int& field) {
  if (!settings_) return;
  TSettingsIO io(settings_, TGuitarSettings::kSection, TSettingsIO::TMode::WriteOne, &field);
  values_.Visit(io);
}

void TFGuitar::LoadGuitars() {
  TGuitarLibraryLoad load = LoadGuitarLibrary(InterfaceLanguage());
  guitars_ = std::move(load.Guitars);
}

void TFGuitar::SaveGuitars() {
  for (const auto& g : guitars_) g->SaveToFile();
  SaveGuitarLibraryIndex(guitars_);
}

void TFGuitar::ApplyGuitar() {
  const TQSGuitarDescription* g = CurrentGuitar();
  const bool was = updating_;
  updating_ = true;
  GGuitar->SetStringCount(g ? g->StringCount : kDefaultGuitarStrings);
  GGuitar->SetFretCount(g ? g->FretCount : kDefaultGuitarFrets);
  updating_ = was;
  CBGuitarKind->Invalidate();
}

void TFGuitar::GuitarChosen(int index, int direction) {
  values_.GuitarKind = std::max(0, index);
  values_.GuitarDirection = std::clamp(direction, 0, 3);
  ApplyGuitar();
  GGuitar->SetDirection(static_cast<TECGuitarDirection>(values_.GuitarDirection));
  Store(values_.GuitarKind);
  Store(values_.GuitarDirection);
}

void TFGuitar::ShowDuration() {
  toolface::NoteValueFace(*CBGuitarDuration, values_.GuitarDuration);
  if (host_) host_->SetEntryDuration(values_.GuitarDuration);
}

void TFGuitar::DurationChosen(int ticks) {
  values_.GuitarDuration = std::clamp(ticks, 8, 512);
  ShowDuration();
  Store(values_.GuitarDuration);
}

void TFGuitar::StepDuration(bool longer) {
  values_.GuitarDuration = StepEntryDuration(values_.GuitarDuration, longer);
  ShowDuration();
  Store(values_.GuitarDuration);
}

void TFGuitar::ResetToDefaults() {
  updating_ = true;
  values_ = TGuitarSettings{};
  GGuitar->SetDirection(gdLeftTop);
  ShowDuration();
  ApplyGuitar();
  ShowFrets({});
  updating_ = false;
}

void TFGuitar::ApplyTool() {
  if (TQSWindow* view = ActiveView(host_)) view->ArmPaletteItem(paletteitem::None);
  ShowCursorNotes();
}

bool TFGuitar::InsertToolItem(TQSWindow&, TInsertFrom) {
  ShowCursorNotes();
  return false;
}

bool TFGuitar::PageKey(uint16_t key, uint16_t shift, uint16_t) {
  if (key == VK_ADD || key == VK_SUBTRACT) {
    StepDuration(key == VK_ADD);
    return true;
  }
  TQSWindow* view = ActiveView(host_);
  if (!(shift & ssCtrl) || !view || view->Focused()) return false;
  switch (key) {
    case VK_LEFT: view->MoveCursorLeft(false); break;
    case VK_RIGHT: view->MoveCursorRight(false, false); break;
    case VK_UP: view->MoveCursorUp(false); break;
    case VK_DOWN: view->MoveCursorDown(false); break;
    case VK_HOME: view->MoveCursorLineStart(false); break;
    case VK_END: view->MoveCursorLineEnd(false); break;
    default: return false;
  }
  ShowCursorNotes();
  return true;
}

std::string TFGuitar::NoteName(int fret, int string) const {
  const int open = FretboardOpenPitch(CurrentGuitar(), values_.GuitarKind, GGuitar->StringCount(), string);
  return PitchName((open + fret + 1 + 1200) % 12);
}

std::vector<int> TFGuitar::HeldFrets() const {
  std::vector<int> frets(static_cast<size_t>(GGuitar->StringCount()));
  for (size_t i = 0; i < frets.size(); ++i) frets[i] = GGuitar->GetFret(static_cast<int>(i));
  return frets;
}

void TFGuitar::ShowFrets(const std::vector<int>& frets) {
  const bool was = updating_;
  updating_ = true;
  for (int i = 0; i < GGuitar->StringCount(); ++i) {
    const int f = i < static_cast<int>(frets.size()) ? frets[static_cast<size_t>(i)] : 0;
    // Setting the value held already would release it.
    if (GGuitar->GetFret(i) != f) GGuitar->SetFret(i, f == 0 ? GGuitar->GetFret(i) : f);
  }
  updating_ = was;
}

void TFGuitar::EnterHeldChord() {
  TQSScore* score = host_ ? host_->ActiveScore() : nullptr;
  if (!score) return;
  const std::vector<TQSChordTone> tones = FretboardChord(CurrentGuitar(), values_.GuitarKind, HeldFrets(), false);
  InsertChordNotes(*score, static_cast<int>(tones.size()), tones, values_.GuitarDuration, true);
  std::vector<int> sounding;
  for (const TQSChordTone& t : tones)
    if (t.Pitch != 0) sounding.push_back(t.Pitch);
  // The chord sounds as one group: the output closes after its last note.
  for (size_t i = 0; i < sounding.size(); ++i)
    host_->SoundPitch(sounding[i], values_.GuitarDuration, kGuitarEntryVelocity,
                      SoundModeOf(static_cast<int>(i), static_cast<int>(sounding.size())), TSoundFrom::Guitar);
}

void TFGuitar::PlayHeldChord() {
  if (!host_ || !host_->ActiveScore()) return;
  const TQSGuitarDescription* g = CurrentGuitar();
  std::vector<int> pitches;
  for (const TQSChordTone& t : FretboardChord(g, values_.GuitarKind, HeldFrets(), true))
    if (t.Pitch != 0) pitches.push_back(t.Pitch);
  host_->PlayNotes(g ? g->Timbre : kDefaultGuitarProgram, pitches, values_.GuitarDuration);
}

void TFGuitar::ShowMidiNote(int status, int pitch) {
  const TQSGuitarDescription* g = CurrentGuitar();
  if (!g) return;
  const bool on = (status & 0xF0) == 0x90, off = (status & 0xF0) == 0x80;
  if (!on && !off) return;
  const TFretPlace place = PlaceOneNote(*g, GGuitar->StringCount(), GGuitar->FretCount(), pitch);
  if (place.String < 0) return;
  std::vector<int> frets = HeldFrets();
  frets[static_cast<size_t>(place.String)] = on ? place.Fret : 0;
  ShowFrets(frets);
}

void TFGuitar::CursorMoved(TQSWindow& view) { ShowCursorNotes(&view); }

void TFGuitar::ShowCursorNotes() { ShowCursorNotes(ActiveView(host_)); }

void TFGuitar::ShowCursorNotes(TQSWindow* view) {
  const TQSGuitarDescription* g = CurrentGuitar();
  if (!view || !g) return;
  std::vector<TQSCursorNote> notes(11);
  notes.resize(static_cast<size_t>(std::max(0, view->NotesAtCursor(notes))));
  std::vector<int> pitches;
  for (const TQSCursorNote& n : notes) pitches.push_back(n.Pitch);
  ShowFrets(PlaceOnStrings(*g, GGuitar->StringCount(), GGuitar->FretCount(), pitches));
}

// ------------------------------------------------------------------ chooser

TFGuitarName::TFGuitarName(TComponent* owner) : TForm(owner) {
  SetName("FGuitarName");
  SetCaption("Guitar");
  SetClientWidth(265);
  SetClientHeight(140);
  MakeDropDown(*this);
  ApplySkinTemplate(*this, skinkind::Small);

  const char* names[] = {"CBLeftTop", "CBRightTop", "CBLeftBottom", "CBRightBottom"};
  TECCharButton** buttons[] = {&CBLeftTop, &CBRightTop, &CBLeftBottom, &CBRightBottom};
  for (int i = 0; i < 4; ++i) {
    auto* b = new TECCharButton(this);
    b->SetName(names[i]);
    b->SetParent(this);
    b->SetBounds(4 + 28 * (i % 2), 4 + 28 * (i / 2), 26, 26);
    b->SetGroupIndex(1);
    b->SetShowHint(true);
    b->SetCustomDraw(true);
    // A small neck: the nut on the side and string 0 at the edge the
    // direction names.
    b->OnDrawCharButton = [b, i](TObject*, TCanvas& c, TRect r) {
      const bool nutLeft = i == 0 || i == 2, top = i < 2;
      c.Pen() = TPen{};
      c.Pen().Color = clBlack;
      for (int s = 0; s < 4; ++s) {
        const int y = r.Top + 7 + 4 * s;
        c.Pen().Width = (top ? s == 0 : s == 3) ? 2 : 1;
        c.MoveTo(r.Left + 5, y);
        c.LineTo(r.Right - 5, y);
      }
      c.Pen().Width = 3;
      const int x = nutLeft ? r.Left + 5 : r.Right - 6;
      c.MoveTo(x, r.Top + 6);
      c.LineTo(x, r.Top + 20);
      c.Pen().Width = 1;
      (void)b;
    };
    b->OnClick = [this](TObject*) { Choose(); };
    *buttons[i] = b;
  }
  CBLeftTop->SetDown(true);
  LBList = Make<TListBox>(this, "LBList", 60, 4, 201, 132);
  LBList->OnClick = [this](TObject*) { Choose(); };
  MakeFormLanguage(this, "LGuitarName");
}

void TFGuitarName::SetNames(const std::vector<std::string>& names) {
  TStringList items;
  for (const std::string& n : names) items.Add(n);
  LBList->SetItems(items);
}

int TFGuitarName::GetGuitarIndex() const { return LBList->ItemIndex(); }
void TFGuitarName::SetGuitarIndex(int index) { LBList->SetItemIndex(index); }

int TFGuitarName::GetDirection() const {
  const TECCharButton* buttons[] = {CBLeftTop, CBRightTop, CBLeftBottom, CBRightBottom};
  for (int i = 0; i < 4; ++i)
    if (buttons[i]->Down()) return i;
  return 0;
}

void TFGuitarName::SetDirection(int direction) {
  TECCharButton* buttons[] = {CBLeftTop, CBRightTop, CBLeftBottom, CBRightBottom};
  buttons[std::clamp(direction, 0, 3)]->SetDown(true);
}

void TFGuitarName::SetDirectionsVisible(bool visible) {
  if (visible || !CBLeftTop->Visible()) return;
  for (TECCharButton* b : {CBLeftTop, CBRightTop, CBLeftBottom, CBRightBottom}) b->SetVisible(false);
  LBList->SetBounds(CBRightBottom->Left(), LBList->Top(), LBList->Width(), LBList->Height());
  SetClientWidth(ClientWidth() - 56);
}

void TFGuitarName::HideDirections() {
  if (!CBLeftTop->Visible()) return;
  for (TECCharButton* b : {CBLeftTop, CBRightTop, CBLeftBottom, CBRightBottom}) b->SetVisible(false);
  LBList->SetBounds(CBRightBottom->Left(), LBList->Top(), 197, LBList->Height());
  SetClientWidth(ClientWidth() - 60);
}

void TFGuitarName::Choose() {
  if (OnChosen) OnChosen(this, GetGuitarIndex(), GetDirection());
  Close();
}

// ------------------------------------------------------------------ registry

void RegisterGuitarPalette() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  RegisterChooserForms();
  RegisterFrameDialogForms();
  RegisterGuitarListForms();
  AddPaletteEntry({"Guitar", "TSGuitar", "GuitarAttached",
                   [](TComponent* owner, const TPaletteContext& context) -> TPalette* {
                     return new TFGuitar(owner, context);
                   }});
  RegisterForm("FGuitar", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFGuitar>(nullptr, TPaletteContext{});
    // A G major chord held, as while entering it.
    form->GGuitar->SetFret(0, 4);
    form->GGuitar->SetFret(1, 1);
    form->GGuitar->SetFret(2, 1);
    form->GGuitar->SetFret(3, 1);
    form->GGuitar->SetFret(4, 3);
    form->GGuitar->SetFret(5, 4);
    return form;
  });
  RegisterForm("FGuitarName", [](const std::string&) -> std::unique_ptr<TCustomForm> {
    auto form = std::make_unique<TFGuitarName>(nullptr);
    // Shown alone: the form tools own it and close it themselves.
    form->OnDeactivate = nullptr;
    form->OnClose = nullptr;
    form->SetNames({"Classical guitar", "Twelve-string guitar", "Bass guitar"});
    form->SetGuitarIndex(1);
    return form;
  });
}

}  // namespace qs

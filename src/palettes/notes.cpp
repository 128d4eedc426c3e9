#include "palettes/notes.h"

#include <algorithm>

#include "base/inifile.h"
#include "platform/canvas.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "platform/fonts.h"
#include "palettes/glyphpainters.h"
#include "uikit/toolfaces.h"
#include "uikit/charbutton.h"
#include "uikit/scrollpanel.h"
#include "uikit/language.h"
#include "uikit/settings.h"
#include "score/score.h"
#include "view/window.h"

namespace qs {

namespace {

using B = TFNotes::TButton;

// What a click on a button does to the others.
enum class THandler : uint8_t { Note, Rest, Clef, Modifier, Dot, Bracket, None };

// The faces the palette draws itself.
enum class TFigure : uint8_t {
  None, Clef, Key, Time, Tempo, Accolade, RepeatBar, RepeatNote, MeasureRest, WholeRest, HalfRest,
  Dot, DoubleDot, Tuplet, Tremolo, Staccato, Portamento, ArrowUp, ArrowDown, LineUp, LineDown, ArcUp, ArcDown,
  Slide, SmallNote, Bracket
};

struct TRow {
  B Id;
  const char* Name;
  const char* Letter;  // the key the keyboard reaches it with, shown in its corner
  uint8_t Group;
  THandler Handler;
  uint8_t Glyph;  // music-font face; 0 when drawn
  TFigure Figure;
  int Col, Row;   // its cell on the tool panel
  const char* Cursor;
  bool Built;     // false: shown but disabled (its chooser is not there)
};

// clang-format off
constexpr TRow kRows[] = {
    {B::bClef, "CBClef", "C", 1, THandler::Clef, 0, TFigure::Clef, 0, 0, nullptr, true},
    {B::bTone, "CBTone", "A", 1, THandler::Clef, 0, TFigure::Key, 1, 0, nullptr, true},
    {B::bSize, "CBSize", "Z", 1, THandler::Clef, 0, TFigure::Time, 3, 0, nullptr, true},
    {B::bTempo, "CBTempo", "I", 1, THandler::Clef, 0, TFigure::Tempo, 4, 0, "TEMPO1", true},
    {B::bAccolade, "CBAccolade", "", 1, THandler::Clef, 0, TFigure::Accolade, 5, 0, nullptr, true},
    {B::bRepeatBar, "CBRepeatBar", "", 1, THandler::Clef, 0, TFigure::RepeatBar, 6, 0, "REPEATMEASURE", true},
    {B::bRepeatNote, "CBRepeatNote", "", 1, THandler::Clef, 0, TFigure::RepeatNote, 7, 0, "REPEATNOTE", true},
    {B::bMeasurePause, "CBMeasurePause", "", 1, THandler::Clef, 0, TFigure::MeasureRest, 8, 0, "MEASUREPAUSE", true},
    {B::bWholeNote, "CBWholeNote", "", 1, THandler::Note, 41, TFigure::None, 0, 1, "WHOLENOTE", true},
    {B::bNote, "CBNote", "1", 1, THandler::Note, 42, TFigure::None, 1, 1, "NOTE", true},
    {B::bNote2, "CBNote2", "2", 1, THandler::Note, 43, TFigure::None, 2, 1, "NOTE2", true},
    {B::bNote4, "CBNote4", "3", 1, THandler::Note, 44, TFigure::None, 3, 1, "NOTE4", true},
    {B::bNote8, "CBNote8", "4", 1, THandler::Note, 45, TFigure::None, 4, 1, "NOTE8", true},
    {B::bNote16, "CBNote16", "5", 1, THandler::Note, 46, TFigure::None, 5, 1, "NOTE16", true},
    {B::bNote32, "CBNote32", "6", 1, THandler::Note, 47, TFigure::None, 6, 1, "NOTE32", true},
    {B::bNote64, "CBNote64", "7", 1, THandler::Note, 48, TFigure::None, 7, 1, "NOTE64", true},
    {B::bPause, "CBPause", "", 1, THandler::Rest, 0, TFigure::WholeRest, 0, 2, "PAUSE", true},
    {B::bPause2, "CBPause2", "", 1, THandler::Rest, 0, TFigure::HalfRest, 1, 2, "PAUSE2", true},
    {B::bPause4, "CBPause4", "", 1, THandler::Rest, 77, TFigure::None, 2, 2, "PAUSE4", true},
    {B::bPause8, "CBPause8", "", 1, THandler::Rest, 78, TFigure::None, 3, 2, "PAUSE8", true},
    {B::bPause16, "CBPause16", "", 1, THandler::Rest, 79, TFigure::None, 4, 2, "PAUSE16", true},
    {B::bPause32, "CBPause32", "", 1, THandler::Rest, 80, TFigure::None, 5, 2, "PAUSE32", true},
    {B::bPause64, "CBPause64", "", 1, THandler::Rest, 81, TFigure::None, 6, 2, "PAUSE64", true},
    {B::bVorschlag, "CBVorschlag", "V", 10, THandler::Modifier, 45, TFigure::None, 8, 1, nullptr, false},
    {B::bDiesis, "CBDiesis", "D", 2, THandler::Modifier, 66, TFigure::None, 0, 3, "DIESIS", true},
    {B::bDoubleDiesis, "CBDoubleDiesis", "D", 2, THandler::Modifier, 67, TFigure::None, 1, 3, "DOUBLEDIESIS", true},
    {B::bBemol, "CBBemol", "B", 2, THandler::Modifier, 64, TFigure::None, 2, 3, "BEMOL", true},
    {B::bDoubleBemol, "CBDoubleBemol", "B", 2, THandler::Modifier, 65, TFigure::None, 3, 3, "DOUBLEBEMOL", true},
    {B::bBecarre, "CBBecarre", "R", 2, THandler::Modifier, 68, TFigure::None, 4, 3, "BECARRE", true},
    {B::bBecarreDiesis, "CBBecarreDiesis", "R", 2, THandler::Modifier, 70, TFigure::None, 5, 3, "BECARREDIESIS", true},
    {B::bBecarreBemol, "CBBecarreBemol", "R", 2, THandler::Modifier, 69, TFigure::None, 6, 3, "BECARREBEMOL", true},
    {B::bMicrotone, "CBMicrotone", "", 2, THandler::Modifier, 230, TFigure::None, 7, 3, nullptr, false},
    {B::bDot, "CBDot", "U", 3, THandler::Dot, 0, TFigure::Dot, 0, 4, "DOT", true},
    {B::bDoubleDot, "CBDoubleDot", "U", 3, THandler::Dot, 0, TFigure::DoubleDot, 1, 4, "DOUBLEDOT", true},
    {B::bTreole, "CBTreole", "J", 7, THandler::Modifier, 0, TFigure::Tuplet, 2, 4, nullptr, true},
    {B::bTremolo, "CBTremolo", "T", 6, THandler::Modifier, 0, TFigure::Tremolo, 3, 4, "TREMOLO", true},
    {B::bLigaUp, "CBLigaUp", "L", 11, THandler::Modifier, 0, TFigure::ArcUp, 4, 4, "LIGAUP", true},
    {B::bLigaDown, "CBLigaDown", "L", 11, THandler::Modifier, 0, TFigure::ArcDown, 5, 4, "LIGADOWN", true},
    {B::bSlide, "CBSlide", "", 11, THandler::Modifier, 0, TFigure::Slide, 6, 4, "SLIDE", true},
    {B::bSmallNote, "CBSmallNote", "X", 12, THandler::Dot, 0, TFigure::SmallNote, 7, 4, "SMALLNOTE", true},
    {B::bStaccato, "CBStaccato", "S", 4, THandler::Modifier, 0, TFigure::Staccato, 0, 5, "STACATTO", true},
    {B::bPortamento, "CBPortamento", "O", 4, THandler::Modifier, 0, TFigure::Portamento, 1, 5, "PORTAMENTO", true},
    {B::bGlissandoUp, "CBGlissandoUp", "G", 5, THandler::Modifier, 0, TFigure::LineUp, 2, 5, "GLISSANDOUP", true},
    {B::bGlissandoDown, "CBGlissandoDown", "G", 5, THandler::Modifier, 0, TFigure::LineDown, 3, 5, "GLISSANDODOWN", true},
    {B::bFallUp, "CBFallUp", "F", 5, THandler::Modifier, 92, TFigure::None, 4, 5, "FALLUP", true},
    {B::bFallDown, "CBFallDown", "F", 5, THandler::Modifier, 93, TFigure::None, 5, 5, "FALLDOWN", true},
    {B::bLift, "CBLift", "", 5, THandler::Modifier, 94, TFigure::None, 6, 5, "LIFT", true},
    {B::bBracketStyle, "CBBracketStyle", "", 8, THandler::Bracket, 0, TFigure::Bracket, 7, 5, "BRACKETSTYLE", false},
    {B::bOpenHat, "CBOpenHat", "", 4, THandler::Modifier, 103, TFigure::None, 0, 6, "OPENHAT", true},
    {B::bHalfOpenHat, "CBHalfOpenHat", "", 4, THandler::Modifier, 104, TFigure::None, 1, 6, "HALFOPENHAT", true},
    {B::bHandUp, "CBHandUp", "", 4, THandler::Modifier, 0, TFigure::ArrowUp, 2, 6, "HANDUP", true},
    {B::bHandDown, "CBHandDown", "", 4, THandler::Modifier, 0, TFigure::ArrowDown, 3, 6, "HANDDOWN", true},
    {B::bFlazholetNote, "CBFlazholetNote", "Y", 9, THandler::Modifier, 101, TFigure::None, 4, 6, "FLAZHOLETNOTE", true},
    {B::bBlankNote, "CBBlankNote", "K", 9, THandler::Modifier, 52, TFigure::None, 5, 6, "BLANKNOTE", true},
    {B::bDrumNote, "CBDrumNote", "M", 9, THandler::Modifier, 211, TFigure::None, 6, 6, "DRUMNOTE", false},
    {B::bDrumStyles, "CBDrumStyles", "", 8, THandler::None, 0, TFigure::None, 7, 6, nullptr, false},
};
// clang-format on

// Where a music-font face starts above its button so that it sits in the
// middle: notes with stems stand on their head, heads, accidentals and
// marks are centred on the baseline, rests hang from it.
int GlyphTop(uint8_t glyph) {
  if (glyph >= 43 && glyph <= 48) return -13;
  if (glyph >= 77 && glyph <= 81) return -12;
  if (glyph == 92 || glyph == 93 || glyph == 94 || glyph == 103 || glyph == 104) return -15;
  return -19;
}

constexpr int kCell = 30, kPanelLeft = 34, kRowCount = 7, kCols = 9;
// The first row is taller: clefs, keys and time signatures stand on five
// staff lines.
constexpr int kFirstRowHeight = 50;

bool Between(B b, B first, B last) { return b >= first && b <= last; }
bool IsNoteValue(B b) { return Between(b, B::bWholeNote, B::bNote64); }
bool IsRestValue(B b) { return Between(b, B::bPause, B::bPause64); }
bool IsAccidental(B b) { return Between(b, B::bDiesis, B::bMicrotone); }


}  // namespace

// ------------------------------------------------------------------ making

TFNotes::TFNotes(TComponent* owner, const TPaletteContext& context)
    : TQSToolPage(owner, context.Settings, "FNotes"), host_(context.Host) {
  SetClientWidth(kPanelLeft + kCols * kCell + 4);
  SetClientHeight(kFirstRowHeight + (kRowCount - 1) * kCell + 8);
  MakeButtons();
  OnSetAttached = [this](bool attached) {
    if (host_) host_->SetPaletteAttached(TNotesSettings::kSection, attached);
  };
  OnActivate = [this](TObject*) {
    if (host_) host_->PaletteActivated(TNotesSettings::kSection);
  };
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState shift) {
    if (host_) host_->PaletteKeyDown(key, shift);
  };
  Finish();
  LoadSettings();
  CBPointNotes->SetDown(true);
  loading_ = false;
}

TFNotes::~TFNotes() = default;

void TFNotes::MakeButtons() {
  TFont music;
  music.Name = MusicFontName;
  music.Height = -24;
  CBPointNotes = MakeButton("CBPointNotes", "", 4, 4);
  CBEraseNotes = MakeButton("CBEraseNotes", "", 4, 36);
  CBSingleNotes = MakeButton("CBSingleNotes", "", 4, 68);
  CBMultiplyNotes = MakeButton("CBMultiplyNotes", "", 4, 68);
  CBQuickNotes = MakeButton("CBQuickNotes", "", 4, 68);
  const std::pair<TECCharButton*, const char*> letters[] = {{CBPointNotes, "Q"}, {CBEraseNotes, "E"},
                                                            {CBSingleNotes, "W"}, {CBMultiplyNotes, "W"},
                                                            {CBQuickNotes, "W"}};
  for (auto [b, letter] : letters) b->SetExpandText(letter);
  // The regime buttons show what they are by a figure: one note, several
  // notes, a lightning stroke.
  const std::pair<TECCharButton*, uint8_t> regimes[] = {{CBSingleNotes, 44}, {CBMultiplyNotes, 45}, {CBQuickNotes, 46}};
  for (auto [b, glyph] : regimes) {
    b->SetFont(music);
    b->SetByte(glyph);
    b->SetPosX(6);
    b->SetPosY(GlyphTop(glyph));
  }
  // Point shows the mouse pointer, Erase an eraser.
  SetUpPointAndErase(*CBPointNotes, *CBEraseNotes);
  CBPointNotes->OnClick = [this](TObject*) { PointClick(); };
  CBEraseNotes->OnClick = [this](TObject*) { EraseClick(); };
  for (TECCharButton* b : {CBSingleNotes, CBMultiplyNotes, CBQuickNotes})
    b->OnClick = [this](TObject*) { RegimeClick(); };

  // The rows of tools scroll inside the palette's page when it is lower
  // than they are: arrows appear at the edges the tools reach past.
  SPNotes = new TECScrollPanel(this);
  SPNotes->SetName("SPNotes");
  SPNotes->SetParent(PClient);
  SPNotes->SetBevelOuter(bvNone);
  SPNotes->SetVertScroll(true);
  SPNotes->SetBounds(kPanelLeft, 2, kCols * kCell + 2, kFirstRowHeight + (kRowCount - 1) * kCell + 4);
  PClient->OnResize = [this](TObject*) {
    SPNotes->SetBounds(kPanelLeft, 2, std::max(kCell, PClient->ClientWidth() - kPanelLeft - 2),
                       std::max(kCell, PClient->ClientHeight() - 2));
  };

  for (const TRow& row : kRows) {
    auto* b = new TECCharButton(this);
    b->SetName(row.Name);
    b->SetParent(SPNotes);
    const bool withUpDown = row.Id == B::bTreole || row.Id == B::bTremolo || row.Id == B::bRepeatBar ||
                            row.Id == B::bRepeatNote;
    // The key signature takes two cells, for seven signs and the key's name.
    const int cells = row.Id == B::bTone ? 2 : 1;
    const int top = row.Row == 0 ? 2 : 2 + kFirstRowHeight + (row.Row - 1) * kCell;
    b->SetBounds(1 + row.Col * kCell, top, cells * kCell - (withUpDown ? 12 : 2),
                 row.Row == 0 ? kFirstRowHeight - 2 : kCell - 2);
    b->SetFlat(true);
    b->SetShowHint(true);
    b->SetExpandText(row.Letter);
    b->SetGroupIndex(row.Group);
    b->SetAllowAllUp(true);
    if (row.Glyph) {
      b->SetFont(music);
      b->SetByte(row.Glyph);
      b->SetPosX(row.Glyph >= 77 && row.Glyph <= 81 ? 8 : 6);
      b->SetPosY(GlyphTop(row.Glyph));
    }
    b->SetEnabled(row.Built);
    const B id = row.Id;
    b->OnClick = [this, id](TObject*) { ButtonClick(id); };
    buttons_[row.Id] = b;
  }
  auto upDown = [&](B id, const char* name, int min, int max) {
    TECCharButton* b = buttons_[id];
    auto* ud = new TUpDown(this);
    ud->SetName(name);
    ud->SetParent(SPNotes);
    ud->SetBounds(b->Left() + b->Width(), b->Top(), 11, b->Height());
    ud->Min = min;
    ud->Max = max;
    ud->Wrap = true;
    return ud;
  };
  UDTreole = upDown(B::bTreole, "UDTreole", 2, 10);
  UDTremolo = upDown(B::bTremolo, "UDTremolo", 1, 4);
  UDRepeatBar = upDown(B::bRepeatBar, "UDRepeatBar", 0, 1);
  UDRepeatNote = upDown(B::bRepeatNote, "UDRepeatNote", 0, 2);
  const std::pair<TUpDown*, int TNotesSettings::*> counts[] = {{UDTreole, &TNotesSettings::Treole},
                                                               {UDTremolo, &TNotesSettings::Tremolo},
                                                               {UDRepeatBar, &TNotesSettings::RepeatBar},
                                                               {UDRepeatNote, &TNotesSettings::RepeatNote}};
  for (auto [ud, field] : counts)
    ud->OnClick = [this, ud = ud, field = field](TObject*, TUDBtnType) {
      values_.*field = ud->Position();
      Store();
      UpdateHints();
      for (TECCharButton* b : buttons_) b->Invalidate();
    };

  for (const TRow& row : kRows) {
    if (row.Figure == TFigure::None) continue;
    TECCharButton* b = buttons_[row.Id];
    b->SetCustomDraw(true);
    const TFigure figure = row.Figure;
    b->OnDrawCharButton = [this, b, figure](TObject*, TCanvas& c, TRect r) {
      c.Brush() = TBrush{};
      toolface::Raised(*b, r, [&](const TRect& face, TColor ink) {
        const bool grey = ink != clBlack;
        const int cx = (face.Left + face.Right) / 2, cy = (face.Top + face.Bottom) / 2;
        switch (figure) {
          case TFigure::Clef: DrawClef(c, face, grey, values_.Clef); break;
          case TFigure::Key: DrawKeySignature(c, face, grey, face.Top - 4, values_.ToneStyle, values_.Tone); break;
          case TFigure::Time: DrawTimeSignature(c, face, grey, values_.SizeStyle, values_.Size); break;
          case TFigure::Accolade: DrawAccolade(c, face, grey, values_.Accolade); break;
          case TFigure::Tempo: toolface::Tempo(c, face, ink, values_.TempoNote, values_.TempoSize); break;
          case TFigure::RepeatBar: toolface::Slashes(c, cx, cy, ink, values_.RepeatBar + 1, true); break;
          case TFigure::RepeatNote: toolface::Slashes(c, cx, cy, ink, values_.RepeatNote + 1, false); break;
          case TFigure::MeasureRest: toolface::MeasureRest(c, cx, cy, ink, values_.MeasurePause); break;
          case TFigure::WholeRest: toolface::RestBlock(c, cx, cy, ink, true); break;
          case TFigure::HalfRest: toolface::RestBlock(c, cx, cy, ink, false); break;
          case TFigure::Dot: toolface::Dots(c, cx, cy, ink, 1); break;
          case TFigure::DoubleDot: toolface::Dots(c, cx, cy, ink, 2); break;
          case TFigure::Tuplet: toolface::Tuplet(c, cx, cy, ink, values_.Treole); break;
          case TFigure::Tremolo: toolface::Tremolo(c, cx, cy, ink, values_.Tremolo); break;
          case TFigure::Staccato: toolface::Dots(c, cx, cy, ink, 1); break;
          case TFigure::Portamento: toolface::Line(c, cx - 6, cy, cx + 6, cy, ink, 2); break;
          case TFigure::ArrowUp: toolface::Arrow(c, cx, cy, ink, true); break;
          case TFigure::ArrowDown: toolface::Arrow(c, cx, cy, ink, false); break;
          case TFigure::LineUp: toolface::Line(c, cx - 7, cy + 6, cx + 7, cy - 6, ink, 1); break;
          case TFigure::LineDown: toolface::Line(c, cx - 7, cy - 6, cx + 7, cy + 6, ink, 1); break;
          case TFigure::ArcUp: toolface::Arc(c, cx, cy, ink, true); break;
          case TFigure::ArcDown: toolface::Arc(c, cx, cy, ink, false); break;
          case TFigure::Slide: toolface::Line(c, cx - 6, cy + 4, cx + 6, cy - 4, ink, 2); break;
          case TFigure::SmallNote: toolface::SmallNotes(c, face, ink); break;
          case TFigure::Bracket: toolface::BracketText(c, cx, cy, ink, values_.BracketStyle); break;
          case TFigure::None: break;
        }
      });
    };
  }
}

// ---------------------------------------------------------------- settings

void TFNotes::LoadSettings() {
  if (settings_) {
    TSettingsIO io(settings_, TNotesSettings::kSection, TSettingsIO::TMode::Read);
    values_.Visit(io);
  }
  ShowRegime(RegimeFromValue(values_.NotesRegime));
  UDTreole->SetPosition(values_.Treole);
  UDTremolo->SetPosition(values_.Tremolo);
  UDRepeatBar->SetPosition(values_.RepeatBar);
  UDRepeatNote->SetPosition(values_.RepeatNote);
  UpdateHints();
}

void TFNotes::Store() {
  if (!settings_) return;
  TSettingsIO io(settings_, TNotesSettings::kSection, TSettingsIO::TMode::WriteAll);
  values_.Visit(io);
}

void TFNotes::UpdateHints() {
  // The repeat buttons name how much they repeat after their own hint.
  auto withCount = [](TECCharButton* b, const std::string& count) {
    std::string hint = b->Hint();
    if (const size_t open = hint.rfind(" ("); open != std::string::npos && hint.back() == ')') hint.resize(open);
    b->SetHint(hint + " (" + count + ")");
  };
  withCount(buttons_[B::bRepeatBar], std::to_string(values_.RepeatBar + 1));
  withCount(buttons_[B::bRepeatNote], "1/" + std::to_string(2 << values_.RepeatNote));
}

std::string TFNotes::Message(int index) const {
  const auto* language = dynamic_cast<const TECFormLanguage*>(FindComponent("FLNotes"));
  return language ? language->GetMessage(index) : std::string();
}

// ----------------------------------------------------------------- regime

TInputRegime TFNotes::Regime() const { return ShownRegime(*CBSingleNotes, *CBQuickNotes); }

void TFNotes::ShowRegime(TInputRegime regime) {
  ShowRegimeButtons(*CBSingleNotes, *CBMultiplyNotes, *CBQuickNotes, regime);
}

void TFNotes::RegimeClick() {
  const TInputRegime next = NextRegime(Regime());
  ShowRegime(next);
  values_.NotesRegime = static_cast<int>(next);
  Store();
  ApplyTool();
}

void TFNotes::ResetToDefaults() {
  ShowRegime(TInputRegime::Multiply);
  CBPointNotes->SetDown(true);
  PointClick();
}

// ---------------------------------------------------------------- buttons

bool TFNotes::IsDown(TButton b) const { return buttons_[b] && buttons_[b]->Down(); }

bool TFNotes::AnyDown(TButton first, TButton last) const {
  for (int b = first; b <= last; ++b)
    if (IsDown(static_cast<TButton>(b))) return true;
  return false;
}

void TFNotes::PressPoint() {
  CBPointNotes->SetDown(true);
  PointClick();
}

void TFNotes::PointClick() {
  CBPointNotes->SetDown(true);
  ReleaseTools(kButtonCount, 0);
  ApplyTool();
}

void TFNotes::EraseClick() {
  CBEraseNotes->SetDown(true);
  ReleaseTools(kButtonCount, 0);
  ApplyTool();
}

void TFNotes::ReleaseTools(TButton except, int mode) {
  const bool noteDown = AnyDown(B::bWholeNote, B::bNote64);
  const bool restDown = AnyDown(B::bPause, B::bPause64);
  if (mode == 4 && noteDown) return;
  if (mode == 5 && (noteDown || restDown)) return;
  if (mode == 6 && (noteDown || restDown || AnyDown(B::bDiesis, B::bMicrotone))) return;
  for (int i = 0; i < kButtonCount; ++i) {
    const auto b = static_cast<TButton>(i);
    if (b == except) continue;
    bool keep = false;
    switch (mode) {
      case 2:
        keep = b == B::bVorschlag || b == B::bTreole || b == B::bTremolo || b == B::bDot || b == B::bDoubleDot ||
               IsAccidental(b) || b == B::bLift || Between(b, B::bGlissandoUp, B::bFallDown) ||
               b == B::bSmallNote || b == B::bFlazholetNote || b == B::bBlankNote || b == B::bDrumNote ||
               b == B::bBracketStyle;
        break;
      case 3: keep = b == B::bDot || b == B::bDoubleDot || b == B::bBracketStyle; break;
      case 4: case 5: keep = IsNoteValue(b) || IsRestValue(b); break;
      case 6: keep = IsNoteValue(b) || IsRestValue(b) || IsAccidental(b); break;
      default: break;
    }
    if (!keep && buttons_[b]->Down()) buttons_[b]->SetDown(false);
  }
}

void TFNotes::ButtonClick(TButton b) {
  const TRow* row = nullptr;
  for (const TRow& r : kRows)
    if (r.Id == b) row = &r;
  if (!row || row->Handler == THandler::None) return;
  const bool down = buttons_[b]->Down();
  const THandler h = row->Handler;
  const bool tool = h == THandler::Note || h == THandler::Rest || h == THandler::Clef;
  if (Regime() == TInputRegime::Quick) {
    // Quick: a tool's item goes in at the cursor at once and the button
    // pops up again; modifiers only toggle, for the next item.
    if (tool || h == THandler::Bracket) QuickInsert(b);
    return;
  }
  if (down) {
    CBPointNotes->SetDown(false);
    CBEraseNotes->SetDown(false);
    switch (h) {
      case THandler::Note: ReleaseTools(b, 2); break;
      case THandler::Rest: ReleaseTools(b, 3); break;
      case THandler::Clef: ReleaseTools(b, 1); break;
      case THandler::Modifier: ReleaseTools(b, 4); break;
      case THandler::Dot: ReleaseTools(b, 5); break;
      case THandler::Bracket: ReleaseTools(b, 6); break;
      case THandler::None: break;
    }
  } else {
    const bool anyValue = AnyDown(B::bWholeNote, B::bNote64) || AnyDown(B::bPause, B::bPause64);
    const bool backToPoint = tool || (h == THandler::Modifier && !AnyDown(B::bWholeNote, B::bNote64)) ||
                             (h == THandler::Dot && !anyValue) ||
                             (h == THandler::Bracket && !anyValue && !AnyDown(B::bDiesis, B::bMicrotone));
    if (backToPoint) {
      PressPoint();
      return;
    }
  }
  ApplyTool();
}

void TFNotes::QuickInsert(TButton b) {
  auto* view = host_ && host_->ActiveScore() ? dynamic_cast<TQSWindow*>(host_->ActiveScore()->ActiveWindow())
                                             : nullptr;
  buttons_[b]->SetDown(true);
  if (view) InsertToolItem(*view, TInsertFrom::QuickButton);
  buttons_[b]->SetDown(false);
}

// ------------------------------------------------------------- what is down

int TFNotes::GetDuration() const {
  for (int b = B::bNote; b <= B::bNote64; ++b)
    if (IsDown(static_cast<TButton>(b))) return 512 >> (b - B::bNote);
  for (int b = B::bPause; b <= B::bPause64; ++b)
    if (IsDown(static_cast<TButton>(b))) return 512 >> (b - B::bPause);
  return 0;
}

void TFNotes::SetDuration(int ticks) {
  int index = -1;
  for (int i = 0; i < 7; ++i)
    if (ticks == 512 >> i) index = i;
  if (index < 0) return;
  const bool notes = AnyDown(B::bNote, B::bNote64);
  const auto b = static_cast<TButton>((notes ? B::bNote : B::bPause) + index);
  buttons_[b]->SetDown(true);
  ButtonClick(b);
}

int TFNotes::ItemCode() const {
  if (CBPointNotes->Down() || CBEraseNotes->Down() || Regime() == TInputRegime::Quick) return paletteitem::None;
  if (AnyDown(B::bWholeNote, B::bNote64)) return paletteitem::Note;
  if (IsDown(B::bClef) || AnyDown(B::bPause, B::bPause64) || IsDown(B::bTreole) || IsDown(B::bTremolo) ||
      IsDown(B::bRepeatBar) || IsDown(B::bRepeatNote))
    return paletteitem::StaffMark;
  if (IsDown(B::bAccolade) || IsDown(B::bTone)) return paletteitem::PartMark;
  if (IsDown(B::bMeasurePause)) return paletteitem::MeasureRest;
  if (IsDown(B::bTempo) || IsDown(B::bSize)) return paletteitem::ColumnMark;
  if (IsDown(B::bDot) || IsDown(B::bDoubleDot)) return paletteitem::Dot;
  for (TECCharButton* b : buttons_)
    if (b->Down()) return paletteitem::Modifier;
  return paletteitem::None;
}

std::string TFNotes::ToolCursorName() const {
  if (CBEraseNotes->Down()) return "ERASE";
  for (int i = 0; i < kButtonCount; ++i) {
    const auto b = static_cast<TButton>(i);
    if (!IsDown(b)) continue;
    const TNotesSettings& v = values_;
    switch (b) {
      case B::bAccolade: return v.Accolade == 0 ? "ACCOLADE" : "ACCOLADE1";
      case B::bClef:
        switch (v.Clef) {
          case 1: case 4: case 5: case 12: return "CLEFG";
          case 2: case 6: case 7: return "CLEFF";
          case 3: case 8: case 9: case 10: case 11: return "CLEFD";
          case 13: return "CLEFTAB";
          case 14: return "CLEFP1";
          case 15: return "CLEFP2";
          default: continue;  // the cursor stays as it is
        }
      case B::bTone: return v.Tone <= 9 ? "TONE1" : "TONE2";
      case B::bSize: {
        const int count = v.Size >> 8, unit = v.Size & 0xFF;
        const bool whole = (count == 1 && unit == 1) || (count == 2 && unit == 2) || (count == 4 && unit == 4);
        const bool half = (count == 1 && unit == 2) || (count == 2 && unit == 4);
        if (v.SizeStyle == 1 && whole) return "SIZE1";
        if (v.SizeStyle == 2 && (whole || half)) return "SIZE2";
        return "SIZE";
      }
      case B::bVorschlag:
        return v.VorschlagBefore ? (v.VorschlagShort ? "VORSCHLAG1" : "VORSCHLAG3")
                                 : (v.VorschlagShort ? "VORSCHLAG2" : "VORSCHLAG4");
      case B::bMicrotone: return v.MicroTone % 2 ? "BEMOL" : "DIESIS";
      default: break;
    }
    for (const TRow& row : kRows)
      if (row.Id == b && row.Cursor) return row.Cursor;
  }
  return "";
}

void TFNotes::CollectMarks(std::vector<int>& list, int& shift, int& bracket) const {
  shift = 0;
  // The first pressed accidental with its shift of the sounding pitch.
  const std::pair<TButton, std::pair<int, int>> accidentals[] = {
      {B::bBemol, {50, -1}},   {B::bDoubleBemol, {51, -2}},  {B::bDiesis, {52, 1}},
      {B::bDoubleDiesis, {53, 2}}, {B::bMicrotone, {0, 0}}, {B::bBecarre, {54, 0}},
      {B::bBecarreBemol, {55, 0}}, {B::bBecarreDiesis, {56, 0}}};
  for (const auto& [b, code] : accidentals)
    if (IsDown(b)) {
      if (b == B::bMicrotone) {
        list.push_back(values_.MicroTone);
        shift = values_.MicroTone % 2 ? -1 : 1;
      } else {
        list.push_back(code.first);
        shift = code.second;
      }
      break;
    }
  if (IsDown(B::bDot)) list.push_back(45);
  else if (IsDown(B::bDoubleDot)) list.push_back(46);
  const std::pair<TButton, int> lines[] = {
      {B::bGlissandoUp, 66}, {B::bGlissandoDown, 67}, {B::bFallUp, 68}, {B::bFallDown, 69}, {B::bLift, 72}};
  for (const auto& [b, code] : lines)
    if (IsDown(b)) {
      list.push_back(code);
      break;
    }
  if (IsDown(B::bHandUp)) list.push_back(148);
  else if (IsDown(B::bHandDown)) list.push_back(149);
  if (IsDown(B::bStaccato)) list.push_back(141);
  else if (IsDown(B::bPortamento)) list.push_back(142);
  if (IsDown(B::bOpenHat)) list.push_back(131);
  else if (IsDown(B::bHalfOpenHat)) list.push_back(132);
  if (IsDown(B::bTremolo)) list.push_back(143 + values_.Tremolo);
  if (IsDown(B::bTreole)) list.push_back(85 + values_.Treole);
  const std::pair<TButton, int> heads[] = {
      {B::bDrumNote, 40}, {B::bBlankNote, 41}, {B::bLigaUp, 30}, {B::bLigaDown, 31}, {B::bSlide, 29}};
  for (const auto& [b, code] : heads)
    if (IsDown(b)) {
      list.push_back(code);
      break;
    }
  bracket = IsDown(B::bBracketStyle) ? values_.BracketStyle + 1 : 0;
  if (IsDown(B::bSmallNote)) list.push_back(43);
}

// ------------------------------------------------------------- the views

void TFNotes::ApplyTool() {
  if (loading_) return;
  const std::string cursor = ToolCursorName();
  if (cursor == "ERASE" || cursor.empty()) SetActiveViewCursor(host_, cursor);
  else SetToolCursor(host_, cursor);
  if (!host_ || !host_->ActiveScore()) return;
  ArmViews(host_, ItemCode());
  host_->SetEntryDuration(AnyDown(B::bWholeNote, B::bNote64)
                              ? 1024 >> ([this] {
                                  for (int b = B::bWholeNote; b <= B::bNote64; ++b)
                                    if (IsDown(static_cast<TButton>(b))) return b - B::bWholeNote;
                                  return 0;
                                })()
                              : 0);
}

}  // namespace qs

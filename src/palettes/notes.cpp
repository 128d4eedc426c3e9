#include "palettes/notes.h"

#include <algorithm>

#include "base/inifile.h"
#include "platform/canvas.h"
#include "platform/comctrls.h"
#include "platform/extctrls.h"
#include "platform/fonts.h"
#include "platform/musicglyphs.h"
#include "palettes/notepickers.h"
#include "palettes/symbolpickers.h"
#include "score/item.h"
#include "palettes/glyphpainters.h"
#include "uikit/toolfaces.h"
#include "uikit/charbutton.h"
#include "uikit/scrollpanel.h"
#include "uikit/language.h"
#include "uikit/names.h"
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
  Slide, SmallNote, Bracket, Grace, Drum
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
  const char* Cursor;  // null: the cursor follows the palette's value
  int Arm;        // the insertion feedback of the views (paletteitem) for the button alone
  TQSItemType Kind;  // the kind of item it enters by itself; 0 for a modifier
  bool Picker;    // its arrow part opens a picker
};

namespace g = glyphs;
namespace pi = paletteitem;
// clang-format off
constexpr TRow kRows[] = {
    {B::bClef, "CBClef", "C", 1, THandler::Clef, 0, TFigure::Clef, 0, 0, nullptr, pi::StaffMark, kind::Clef, true},
    {B::bTone, "CBTone", "A", 1, THandler::Clef, 0, TFigure::Key, 1, 0, nullptr, pi::PartMark, kind::Key, true},
    {B::bSize, "CBSize", "Z", 1, THandler::Clef, 0, TFigure::Time, 3, 0, nullptr, pi::ColumnMark, kind::Meter, true},
    {B::bTempo, "CBTempo", "I", 1, THandler::Clef, 0, TFigure::Tempo, 4, 0, "TEMPO1", pi::ColumnMark, kind::Tempo, true},
    {B::bAccolade, "CBAccolade", "", 1, THandler::Clef, 0, TFigure::Accolade, 5, 0, nullptr, pi::PartMark, kind::Accolade, true},
    {B::bRepeatBar, "CBRepeatBar", "", 1, THandler::Clef, 0, TFigure::RepeatBar, 6, 0, "REPEATMEASURE", pi::StaffMark, kind::BarRepeat, false},
    {B::bRepeatNote, "CBRepeatNote", "", 1, THandler::Clef, 0, TFigure::RepeatNote, 7, 0, "REPEATNOTE", pi::StaffMark, kind::NoteRepeat, false},
    {B::bMeasurePause, "CBMeasurePause", "", 1, THandler::Clef, 0, TFigure::MeasureRest, 8, 0, "MEASUREPAUSE", pi::MeasureRest, kind::MultiRest, false},
    // The first note button is the double whole note; "1" is the whole.
    {B::bWholeNote, "CBWholeNote", "", 1, THandler::Note, g::NoteheadDoubleWhole, TFigure::None, 0, 1, "WHOLENOTE", pi::Note, kind::Note, false},
    {B::bNote, "CBNote", "1", 1, THandler::Note, g::NoteheadWhole, TFigure::None, 1, 1, "NOTE", pi::Note, kind::Note, false},
    {B::bNote2, "CBNote2", "2", 1, THandler::Note, g::NoteHalfUp, TFigure::None, 2, 1, "NOTE2", pi::Note, kind::Note, false},
    {B::bNote4, "CBNote4", "3", 1, THandler::Note, g::NoteQuarterUp, TFigure::None, 3, 1, "NOTE4", pi::Note, kind::Note, false},
    {B::bNote8, "CBNote8", "4", 1, THandler::Note, g::Note8thUp, TFigure::None, 4, 1, "NOTE8", pi::Note, kind::Note, false},
    {B::bNote16, "CBNote16", "5", 1, THandler::Note, g::Note16thUp, TFigure::None, 5, 1, "NOTE16", pi::Note, kind::Note, false},
    {B::bNote32, "CBNote32", "6", 1, THandler::Note, g::Note32ndUp, TFigure::None, 6, 1, "NOTE32", pi::Note, kind::Note, false},
    {B::bNote64, "CBNote64", "7", 1, THandler::Note, g::Note64thUp, TFigure::None, 7, 1, "NOTE64", pi::Note, kind::Note, false},
    {B::bPause, "CBPause", "", 1, THandler::Rest, 0, TFigure::WholeRest, 0, 2, "PAUSE", pi::StaffMark, kind::Pause, false},
    {B::bPause2, "CBPause2", "", 1, THandler::Rest, 0, TFigure::HalfRest, 1, 2, "PAUSE2", pi::StaffMark, kind::Pause, false},
    {B::bPause4, "CBPause4", "", 1, THandler::Rest, g::RestQuarter, TFigure::None, 2, 2, "PAUSE4", pi::StaffMark, kind::Pause, false},
    {B::bPause8, "CBPause8", "", 1, THandler::Rest, g::Rest8th, TFigure::None, 3, 2, "PAUSE8", pi::StaffMark, kind::Pause, false},
    {B::bPause16, "CBPause16", "", 1, THandler::Rest, g::Rest16th, TFigure::None, 4, 2, "PAUSE16", pi::StaffMark, kind::Pause, false},
    {B::bPause32, "CBPause32", "", 1, THandler::Rest, g::Rest32nd, TFigure::None, 5, 2, "PAUSE32", pi::StaffMark, kind::Pause, false},
    {B::bPause64, "CBPause64", "", 1, THandler::Rest, g::Rest64th, TFigure::None, 6, 2, "PAUSE64", pi::StaffMark, kind::Pause, false},
    {B::bVorschlag, "CBVorschlag", "V", 10, THandler::Modifier, 0, TFigure::Grace, 8, 1, nullptr, pi::Modifier, kind::Vorschlag, true},
    {B::bDiesis, "CBDiesis", "D", 2, THandler::Modifier, g::AccidentalSharp, TFigure::None, 0, 3, "DIESIS", pi::Modifier, 0, false},
    {B::bDoubleDiesis, "CBDoubleDiesis", "D", 2, THandler::Modifier, g::AccidentalDoubleSharp, TFigure::None, 1, 3, "DOUBLEDIESIS", pi::Modifier, 0, false},
    {B::bBemol, "CBBemol", "B", 2, THandler::Modifier, g::AccidentalFlat, TFigure::None, 2, 3, "BEMOL", pi::Modifier, 0, false},
    {B::bDoubleBemol, "CBDoubleBemol", "B", 2, THandler::Modifier, g::AccidentalDoubleFlat, TFigure::None, 3, 3, "DOUBLEBEMOL", pi::Modifier, 0, false},
    {B::bBecarre, "CBBecarre", "R", 2, THandler::Modifier, g::AccidentalNatural, TFigure::None, 4, 3, "BECARRE", pi::Modifier, 0, false},
    {B::bBecarreDiesis, "CBBecarreDiesis", "R", 2, THandler::Modifier, g::AccidentalNaturalSharp, TFigure::None, 5, 3, "BECARREDIESIS", pi::Modifier, 0, false},
    {B::bBecarreBemol, "CBBecarreBemol", "R", 2, THandler::Modifier, g::AccidentalNaturalFlat, TFigure::None, 6, 3, "BECARREBEMOL", pi::Modifier, 0, false},
    {B::bMicrotone, "CBMicrotone", "", 2, THandler::Modifier, g::AccidentalQuarterToneFlatStein, TFigure::None, 7, 3, nullptr, pi::Modifier, 0, true},
    {B::bDot, "CBDot", "U", 3, THandler::Dot, 0, TFigure::Dot, 0, 4, "DOT", pi::Dot, 0, false},
    {B::bDoubleDot, "CBDoubleDot", "U", 3, THandler::Dot, 0, TFigure::DoubleDot, 1, 4, "DOUBLEDOT", pi::Dot, 0, false},
    {B::bTreole, "CBTreole", "J", 7, THandler::Modifier, 0, TFigure::Tuplet, 2, 4, "", pi::StaffMark, 0, false},
    {B::bTremolo, "CBTremolo", "T", 6, THandler::Modifier, 0, TFigure::Tremolo, 3, 4, "TREMOLO", pi::StaffMark, kind::Tremolo, false},
    {B::bLigaUp, "CBLigaUp", "L", 11, THandler::Modifier, 0, TFigure::ArcUp, 4, 4, "LIGAUP", pi::Modifier, 0, false},
    {B::bLigaDown, "CBLigaDown", "L", 11, THandler::Modifier, 0, TFigure::ArcDown, 5, 4, "LIGADOWN", pi::Modifier, 0, false},
    {B::bSlide, "CBSlide", "", 11, THandler::Modifier, 0, TFigure::Slide, 6, 4, "SLIDE", pi::Modifier, 0, false},
    {B::bSmallNote, "CBSmallNote", "X", 12, THandler::Dot, 0, TFigure::SmallNote, 7, 4, "SMALLNOTE", pi::Modifier, 0, false},
    {B::bStaccato, "CBStaccato", "S", 4, THandler::Modifier, 0, TFigure::Staccato, 0, 5, "STACATTO", pi::Modifier, kind::Staccato, false},
    {B::bPortamento, "CBPortamento", "O", 4, THandler::Modifier, 0, TFigure::Portamento, 1, 5, "PORTAMENTO", pi::Modifier, kind::Portamento, false},
    {B::bGlissandoUp, "CBGlissandoUp", "G", 5, THandler::Modifier, 0, TFigure::LineUp, 2, 5, "GLISSANDOUP", pi::Modifier, 0, false},
    {B::bGlissandoDown, "CBGlissandoDown", "G", 5, THandler::Modifier, 0, TFigure::LineDown, 3, 5, "GLISSANDODOWN", pi::Modifier, 0, false},
    {B::bFallUp, "CBFallUp", "F", 5, THandler::Modifier, g::BrassDoitMedium, TFigure::None, 4, 5, "FALLUP", pi::Modifier, 0, false},
    {B::bFallDown, "CBFallDown", "F", 5, THandler::Modifier, g::BrassFallLipMedium, TFigure::None, 5, 5, "FALLDOWN", pi::Modifier, 0, false},
    {B::bLift, "CBLift", "", 5, THandler::Modifier, g::BrassLiftShort, TFigure::None, 6, 5, "LIFT", pi::Modifier, 0, false},
    {B::bBracketStyle, "CBBracketStyle", "", 8, THandler::Bracket, 0, TFigure::Bracket, 7, 5, "BRACKETSTYLE", pi::Modifier, 0, true},
    {B::bOpenHat, "CBOpenHat", "", 4, THandler::Modifier, g::PictOpen, TFigure::None, 0, 6, "OPENHAT", pi::Modifier, kind::HiHat1, false},
    {B::bHalfOpenHat, "CBHalfOpenHat", "", 4, THandler::Modifier, g::PictHalfOpen2, TFigure::None, 1, 6, "HALFOPENHAT", pi::Modifier, kind::HiHat2, false},
    {B::bHandUp, "CBHandUp", "", 4, THandler::Modifier, 0, TFigure::ArrowUp, 2, 6, "HANDUP", pi::Modifier, kind::Hand, false},
    {B::bHandDown, "CBHandDown", "", 4, THandler::Modifier, 0, TFigure::ArrowDown, 3, 6, "HANDDOWN", pi::Modifier, kind::Hand, false},
    {B::bFlazholetNote, "CBFlazholetNote", "Y", 9, THandler::Modifier, g::NoteheadDiamondHalf, TFigure::None, 4, 6, "FLAZHOLETNOTE", pi::Modifier, 0, false},
    {B::bBlankNote, "CBBlankNote", "K", 9, THandler::Modifier, g::NoteheadHalf, TFigure::None, 5, 6, "BLANKNOTE", pi::Modifier, 0, false},
    {B::bDrumNote, "CBDrumNote", "M", 9, THandler::Modifier, g::NoteheadXBlack, TFigure::Drum, 6, 6, "DRUMNOTE", pi::Modifier, 0, false},
    // Only an arrow: it opens the drum styles.
    {B::bDrumStyles, "CBDrumStyles", "", 8, THandler::None, 0, TFigure::None, 7, 6, "", pi::None, 0, true},
};
// clang-format on

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

namespace {
// The palette whose drum styles the recording page draws with.
TFNotes* gDrumPainterOwner = nullptr;
}  // namespace

TFNotes::TFNotes(TComponent* owner, const TPaletteContext& context)
    : TQSToolPage(owner, context.Settings, "FNotes"), host_(context.Host) {
  SetClientWidth(kPanelLeft + kCols * kCell + 4);
  SetClientHeight(kFirstRowHeight + (kRowCount - 1) * kCell + 8);
  MakeButtons();
  OnSetAttached = [this](bool attached) {
    if (host_) host_->SetPaletteAttached(TNotesSettings::kSection, attached);
  };
  OnDropped = [this](TPoint screen) {
    if (host_) host_->PaletteDropped(TNotesSettings::kSection, screen.X, screen.Y);
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
  // The recording page draws its drum note with the palette's styles.
  gDrumPainterOwner = this;
  TFRecording::DrumStylePainter = [this](TCanvas& c, const TRect& face, int index) {
    if (index < 0 || index >= static_cast<int>(drumStyles_.size())) return false;
    TECDrumDescription* style = drumStyles_[static_cast<size_t>(index)].get();
    style->EnsureLoaded();
    PaintDrumStyle(c, face, style, false);
    return true;
  };
}

TDrumStyles& TFNotes::SharedDrumStyles() {
  if (gDrumPainterOwner) return gDrumPainterOwner->drumStyles_;
  static TDrumStyles alone = LoadDrumStyles();
  return alone;
}

TFNotes::~TFNotes() {
  if (gDrumPainterOwner == this) {
    TFRecording::DrumStylePainter = nullptr;
    gDrumPainterOwner = nullptr;
  }
  // A picker still open goes with the palette.
  if (picker_) {
    picker_->RemoveFreeNotification(this);
    delete picker_;
  }
}

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
  const std::pair<TECCharButton*, uint8_t> regimes[] = {{CBSingleNotes, glyphs::NoteQuarterUp}, {CBMultiplyNotes, glyphs::Note8thUp}, {CBQuickNotes, glyphs::Note16thUp}};
  for (auto [b, glyph] : regimes) {
    b->SetFont(music);
    b->SetByte(glyph);
    b->SetPosX(6);
    b->SetPosY(GlyphFaceTop(glyph));
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
      b->SetPosX(row.Glyph >= glyphs::RestQuarter && row.Glyph <= glyphs::Rest64th ? 8 : 6);
      b->SetPosY(GlyphFaceTop(row.Glyph));
    }
    const B id = row.Id;
    b->OnClick = [this, id](TObject*) { ButtonClick(id); };
    if (row.Picker) {
      // The arrow part at the right edge opens the button's picker; the
      // drum styles' button is nothing but that arrow.
      b->SetDropWidth(id == B::bDrumStyles ? b->Width() : 9);
      b->OnButtonClick = [this, id](TObject*) { OpenPicker(id); };
    }
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
          case TFigure::Grace: PaintGraceFace(c, face, ink); break;
          case TFigure::Drum: PaintDrumFace(c, face, grey); break;
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
  drumStyles_ = LoadDrumStyles();
  UpdateDrumButton();
  UpdateMicroToneButton();
  if (const std::string name = ClefName(values_.Clef - 1); !name.empty()) buttons_[B::bClef]->SetHint(name);
}

void TFNotes::PaintGraceFace(TCanvas& c, const TRect& face, TColor ink) const {
  // The pressed note value (the eighth when none), before or after its
  // slur, struck through when short.
  uint8_t glyph = glyphs::Note8thUp;
  for (int b = B::bNote; b <= B::bNote64; ++b)
    if (IsDown(static_cast<TButton>(b))) glyph = static_cast<uint8_t>(glyphs::NoteheadWhole + (b - B::bNote));
  const int x = face.Left + (values_.VorschlagBefore ? 2 : 10), baseline = face.Top + 19;
  c.Font() = TFont{};
  c.Font().Name = MusicFontName;
  c.Font().SetSize(11);
  c.Font().Color = ink;
  DrawGlyphText(c, x, baseline, 4, std::string(1, static_cast<char>(glyph)));
  c.Pen().Style = psSolid;
  c.Pen().Width = 1;
  c.Pen().Color = ink;
  if (values_.VorschlagShort) {
    c.MoveTo(x + 1, baseline - 2);
    c.LineTo(x + 10, baseline - 11);
  }
  c.Brush().Style = bsClear;
  c.Arc(face.Left + 3, face.Bottom - 9, face.Right - 3, face.Bottom - 1, face.Left + 3, face.Bottom - 5,
        face.Right - 3, face.Bottom - 5);
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
      case THandler::Note:
        ReleaseTools(b, 2);
        buttons_[B::bVorschlag]->Invalidate();  // it shows the note value
        break;
      case THandler::Rest: ReleaseTools(b, 3); break;
      case THandler::Clef: ReleaseTools(b, 1); break;
      case THandler::Modifier:
        ReleaseTools(b, 4);
        // A grace note needs a value: the eighth when none is chosen.
        if (b == B::bVorschlag && !AnyDown(B::bNote, B::bNote64)) {
          buttons_[B::bNote8]->SetDown(true);
          ButtonClick(B::bNote8);
          return;
        }
        break;
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
  // The pressed buttons' own codes, the first of this order winning.
  static constexpr int kPrecedence[] = {paletteitem::Note,        paletteitem::StaffMark,  paletteitem::PartMark,
                                        paletteitem::MeasureRest, paletteitem::ColumnMark, paletteitem::Dot,
                                        paletteitem::Modifier};
  for (int code : kPrecedence)
    for (const TRow& row : kRows)
      if (row.Arm == code && IsDown(row.Id)) return code;
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
      case B::bSize:
        if (v.SizeStyle == 1 && HasCommonTimeFace(v.Size)) return "SIZE1";
        if (v.SizeStyle == 2 && HasCutTimeFace(v.Size)) return "SIZE2";
        return "SIZE";
      case B::bVorschlag:
        return v.VorschlagBefore ? (v.VorschlagShort ? "VORSCHLAG1" : "VORSCHLAG3")
                                 : (v.VorschlagShort ? "VORSCHLAG2" : "VORSCHLAG4");
      case B::bMicrotone: return MicroToneShift(v.MicroTone) < 0 ? "BEMOL" : "DIESIS";
      default: break;
    }
    for (const TRow& row : kRows)
      if (row.Id == b && row.Cursor) {
        // A pressed tuplet alone gives the default cursor.
        if (!*row.Cursor) return "";
        return row.Cursor;
      }
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
        shift = MicroToneShift(values_.MicroTone);
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

#include "palettes/symbols.h"

#include <algorithm>

#include "base/inifile.h"
#include "editing/marks.h"
#include "editing/palette.h"
#include "palettes/dropdown.h"
#include "palettes/markproperties.h"
#include "palettes/measurenumber.h"
#include "palettes/symbolsoptions.h"
#include "platform/canvas.h"
#include "platform/fonts.h"
#include "platform/forms.h"
#include "platform/musicglyphs.h"
#include "score/calcrecords.h"
#include "score/item.h"
#include "score/score.h"
#include "uikit/charbutton.h"
#include "uikit/scrollpanel.h"
#include "uikit/settings.h"
#include "uikit/toolfaces.h"
#include "view/window.h"

namespace qs {

namespace {

using B = TFSymbols::TButton;
using H = TFSymbols::TInsertHow;

// The faces the palette draws itself; the others are glyphs of the music
// font or a short text.
enum class TFigure : uint8_t {
  None, Crescendo, Diminuendo, Arpeggio, ArpeggioUp, ArpeggioDown, TopHang, BottomHang, BracketUp,
  BracketDown, Barre, BarreBracket, ContinueUntil, Flageolet, PalmMute, Mute, BeginComposition,
  EndComposition, EndSection, Section, BeginRepeat, EndRepeat, Rehearsal, OttavaUp, OttavaDown, Vibrato,
  WideVibrato, VibratoBar, Bend, Release
};

// Which of the click's offsets places the item.
enum class TOffset : uint8_t { None, Part, System, Arpeggio };

// The length of lines that run on: the program's default duration.
constexpr int kDefaultLength = -1;

struct TRow {
  B Id;
  const char* Name;
  const char* Letter;
  uint8_t Block;  // a run of tools shown together; a new block begins a new column
  uint8_t Glyph;  // music-font face; 0 when drawn or text
  const char* Text;  // a text face
  TFigure Figure;
  const char* Cursor;
  int Arm;
  H How;
  int Kind, Type, Value, Flags, Length;
  TOffset Offset;
};

namespace g = glyphs;
namespace pi = paletteitem;
constexpr int kStaff = pi::StaffMark, kStart = pi::ColumnStart, kEnd = pi::ColumnEnd;
constexpr TFigure F0 = TFigure::None;
constexpr TOffset OP = TOffset::Part, OS = TOffset::System, ON = TOffset::None;
// clang-format off
constexpr TRow kRows[] = {
    {B::bMeasureNumber, "CBMeasureNumber", "", 0, 0, "1..N", F0, "MEASURENUMBER", kStart, H::Dialog, kind::MeasureNumbering, 0, 0, 0, 0, ON},
    {B::bRehearsal, "CBRehearsal", "", 0, 0, nullptr, TFigure::Rehearsal, "REHEARSALMARK", kStart, H::Column, kind::Rehearsal, 0, 0, 0, 0, OP},
    {B::bBeginComposition, "CBBeginComposition", "N", 0, 0, nullptr, TFigure::BeginComposition, "BEGINCOMPOSITION", kStart, H::Column, kind::CompositionBegin, 0, 0, 0, 0, ON},
    {B::bEndComposition, "CBEndComposition", "N", 0, 0, nullptr, TFigure::EndComposition, "ENDCOMPOSITION", kEnd, H::Column, kind::CompositionEnd, 0, 0, 0, 0, ON},
    {B::bEndPartion, "CBEndPartion", "N", 0, 0, nullptr, TFigure::EndSection, "ENDPARTION", kEnd, H::Column, kind::SectionEnd, 0, 0, 0, 0, ON},
    {B::bPartComposition, "CBPartComposition", "N", 0, 0, nullptr, TFigure::Section, "SECTION", 10, H::Dialog, kind::Volta, 0, 0, 0, 0, OS},
    {B::bBeginRepeat, "CBBeginRepeat", "X", 0, 0, nullptr, TFigure::BeginRepeat, "BEGINREPEAT", kStart, H::Column, kind::RepeatOpen, 0, 0, 0, 0, ON},
    {B::bEndRepeat, "CBEndRepeat", "X", 0, 0, nullptr, TFigure::EndRepeat, "ENDREPEAT", kEnd, H::Column, kind::RepeatClose, 0, 0, 0, 0, ON},
    {B::bBeginCoda, "CBBeginCoda", "K", 0, g::Coda, nullptr, F0, "CODA", kStart, H::Column, kind::Coda, 2, 0, 0, 0, OS},
    {B::bSegno, "CBSegno", "", 0, g::Segno, nullptr, F0, "SEGNO", kStart, H::Column, kind::Segno, 0, 0, 0, 0, OS},
    {B::bDaCapo, "CBDaCapo", "", 0, 0, "D.C.", F0, "DACAPO", kEnd, H::Column, kind::DaCapo, 0, 0, 0, 0, OS},
    {B::bDalSegno, "CBDalSegno", "", 0, 0, "D.S.", F0, "DALSEGNO", kEnd, H::Column, kind::DalSegno, 0, 0, 0, 0, OS},
    {B::bOttavaUp, "CBOttavaUp", "O", 0, 0, nullptr, TFigure::OttavaUp, "OTTAVAALTA", kStaff, H::Mark, kind::Ottava, 0, 2, 0, kDefaultLength, OP},
    {B::bOttavaDown, "CBOttavaDown", "O", 0, 0, nullptr, TFigure::OttavaDown, "OTTAVABASSA", kStaff, H::Mark, kind::Ottava, 1, 2, 0, kDefaultLength, OP},
    {B::bForte, "CBForte", "F", 0, g::DynamicForte, nullptr, F0, "FORTE", kStaff, H::Mark, kind::Dynamics, 6, 2, 0, 0, OP},
    {B::bPiano, "CBPiano", "P", 0, g::DynamicPiano, nullptr, F0, "PIANO", kStaff, H::Mark, kind::Dynamics, 0, 2, 0, 0, OP},
    {B::bFortissimo, "CBFortissimo", "F", 1, g::DynamicFF, nullptr, F0, "FORTISSIMO", kStaff, H::Mark, kind::Dynamics, 7, 2, 0, 0, OP},
    {B::bPianissimo, "CBPianissimo", "P", 1, g::DynamicPP, nullptr, F0, "PIANISSIMO", kStaff, H::Mark, kind::Dynamics, 1, 2, 0, 0, OP},
    {B::bFortississimo, "CBFortississimo", "F", 1, g::DynamicFFF, nullptr, F0, "FORTISSISSIMO", kStaff, H::Mark, kind::Dynamics, 8, 2, 0, 0, OP},
    {B::bPianississimo, "CBPianississimo", "P", 1, g::DynamicPPP, nullptr, F0, "PIANISSISSIMO", kStaff, H::Mark, kind::Dynamics, 2, 2, 0, 0, OP},
    {B::bMezzoForte, "CBMezzoForte", "Z", 1, g::DynamicMF, nullptr, F0, "MEZZOFORTE", kStaff, H::Mark, kind::Dynamics, 5, 2, 0, 0, OP},
    {B::bMezzopiano, "CBMezzopiano", "Z", 1, g::DynamicMP, nullptr, F0, "MEZZOPIANO", kStaff, H::Mark, kind::Dynamics, 3, 2, 0, 0, OP},
    {B::bFortepiano, "CBFortepiano", "Z", 1, g::DynamicFortePiano, nullptr, F0, "FORTEPIANO", kStaff, H::Mark, kind::Dynamics, 4, 2, 0, 0, OP},
    {B::bForzando, "CBForzando", "S", 1, g::DynamicForzando, nullptr, F0, "FORZANDO", kStaff, H::Mark, kind::Dynamics, 11, 2, 0, 0, OP},
    {B::bSForzando, "CBSForzando", "S", 1, g::DynamicSforzato, nullptr, F0, "SFORZANDO", kStaff, H::Mark, kind::Dynamics, 12, 2, 0, 0, OP},
    {B::bExtraForzato, "CBExtraForzato", "S", 1, g::DynamicSforzatoFF, nullptr, F0, "EXTRAFORZATO", kStaff, H::Mark, kind::Dynamics, 10, 2, 0, 0, OP},
    {B::bSForzato, "CBSForzato", "S", 1, g::DynamicSforzando1, nullptr, F0, "SFORZATO", kStaff, H::Mark, kind::Dynamics, 9, 2, 0, 0, OP},
    {B::bCrechendo, "CBCrechendo", "C", 2, 0, nullptr, TFigure::Crescendo, "CRECHENDO", kStaff, H::Mark, kind::Dynamics, 50, 2, 0, kDefaultLength, OP},
    {B::bDiminuendo, "CBDiminuendo", "D", 2, 0, nullptr, TFigure::Diminuendo, "DIMINUENDO", kStaff, H::Mark, kind::Dynamics, 51, 2, 0, kDefaultLength, OP},
    {B::bArpeggio, "CBArpeggio", "I", 2, 0, nullptr, TFigure::Arpeggio, "ARPEGGIO", kStaff, H::Mark, kind::Arpeggio, 0, 2, 0, 4, TOffset::Arpeggio},
    {B::bVibrato, "CBVibrato", "V", 2, 0, nullptr, TFigure::Vibrato, "TRILLARE1", kStaff, H::Mark, kind::Vibrato, 0, 2, 0, kDefaultLength, OP},
    {B::bArpeggioUp, "CBArpeggioUp", "I", 3, 0, nullptr, TFigure::ArpeggioUp, "ARPEGGIO", kStaff, H::Mark, kind::Arpeggio, 0, 2, 1, 4, TOffset::Arpeggio},
    {B::bWideVibrato, "CBWideVibrato", "", 3, 0, nullptr, TFigure::WideVibrato, "TRILLARE1", kStaff, H::Mark, kind::Vibrato, 1, 2, 0, kDefaultLength, OP},
    {B::bArpeggioDown, "CBArpeggioDown", "I", 3, 0, nullptr, TFigure::ArpeggioDown, "ARPEGGIO", kStaff, H::Mark, kind::Arpeggio, 0, 2, 2, 4, TOffset::Arpeggio},
    {B::bVibratoBar, "CBVibratoBar", "", 3, 0, nullptr, TFigure::VibratoBar, "TRILLARE1", kStaff, H::Mark, kind::Vibrato, 2, 2, 0, kDefaultLength, OP},
    // The "bottom" hang button is the hang over the note, and the other way round.
    {B::bBottomHang, "CBBottomHang", "H", 4, 0, nullptr, TFigure::TopHang, "TOPHANG", kStaff, H::Mark, kind::Hang, 0, 2, 0, 192, OP},
    {B::bTopHang, "CBTopHang", "H", 4, 0, nullptr, TFigure::BottomHang, "BOTTOMHANG", kStaff, H::Mark, kind::Hang, 1, 2, 0, 192, OP},
    {B::bTrill, "CBTrill", "T", 4, g::OrnamentTrill, nullptr, F0, "TRILLARE", kStaff, H::Mark, kind::Trill, 1, 2, 0, 0, OP},
    {B::bMordent, "CBMordent", "M", 4, g::OrnamentShortTrill, nullptr, F0, "MONDERT", kStaff, H::Mark, kind::Mordent, 0, 2, 0, 0, OP},
    {B::bTrillB, "CBTrillB", "T", 5, g::OrnamentTrillAccidentalFlat, nullptr, F0, "TRILLAREB", kStaff, H::Mark, kind::Trill, 2, 2, 0, 0, OP},
    {B::bStrikeMordent, "CBStrikeMordent", "M", 5, g::OrnamentMordent, nullptr, F0, "SMONDERT", kStaff, H::Mark, kind::Mordent, 1, 2, 0, 0, OP},
    {B::bTrillD, "CBTrillD", "T", 5, g::OrnamentTrillAccidentalSharp, nullptr, F0, "TRILLARED", kStaff, H::Mark, kind::Trill, 3, 2, 0, 0, OP},
    {B::bDoubleMordent, "CBDoubleMordent", "M", 5, g::OrnamentTremblement, nullptr, F0, "DMONDERT", kStaff, H::Mark, kind::Mordent, 2, 2, 0, 0, OP},
    {B::bTrillBk, "CBTrillBk", "T", 5, g::OrnamentTrillAccidentalNatural, nullptr, F0, "TRILLAREBK", kStaff, H::Mark, kind::Trill, 4, 2, 0, 0, OP},
    {B::bStrikeDoubleMordent, "CBStrikeDoubleMordent", "M", 5, g::DoubleMordentWithStroke, nullptr, F0, "DSMONDERT", kStaff, H::Mark, kind::Mordent, 3, 2, 0, 0, OP},
    {B::bGroup1, "CBGroup1", "G", 6, g::OrnamentTurn, nullptr, F0, "GROUP1", kStaff, H::Mark, kind::Gruppetto, 0, 2, 0, 0, OP},
    {B::bGroup2, "CBGroup2", "G", 6, g::OrnamentTurnInverted, nullptr, F0, "GROUP2", kStaff, H::Mark, kind::Gruppetto, 1, 2, 0, 0, OP},
    {B::bBracketUp, "CBBracketUp", "B", 6, 0, nullptr, TFigure::BracketUp, "BRACKETUP", kStaff, H::Mark, kind::Bracket, 0, 2, 0, kDefaultLength, OP},
    {B::bBracketDown, "CBBracketDown", "B", 6, 0, nullptr, TFigure::BracketDown, "BRACKETDOWN", kStaff, H::Mark, kind::Bracket, 1, 2, 0, kDefaultLength, OP},
    {B::bFermataUp, "CBFermataUp", "R", 6, g::FermataAbove, nullptr, F0, "FERMATAUP", kStaff, H::Mark, kind::Fermata, 0, 2, 0, 0, OP},
    {B::bFermataDown, "CBFermataDown", "R", 6, g::FermataBelow, nullptr, F0, "FERMATADOWN", kStaff, H::Mark, kind::Fermata, 1, 2, 0, 0, OP},
    {B::bShortFermata1, "CBShortFermata1", "", 7, g::FermataShortAbove, nullptr, F0, "SHORTFERMATA1", kStaff, H::Mark, kind::Fermata, 5, 2, 0, 0, OP},
    {B::bShortFermata2, "CBShortFermata2", "", 7, g::FermataShortBelow, nullptr, F0, "SHORTFERMATA2", kStaff, H::Mark, kind::Fermata, 6, 2, 0, 0, OP},
    {B::bLongFermata1, "CBLongFermata1", "", 7, g::FermataLongAbove, nullptr, F0, "LONGFERMATA1", kStaff, H::Mark, kind::Fermata, 7, 2, 0, 0, OP},
    {B::bLongFermata2, "CBLongFermata2", "", 7, g::FermataLongBelow, nullptr, F0, "LONGFERMATA2", kStaff, H::Mark, kind::Fermata, 8, 2, 0, 0, OP},
    {B::bAccentTop, "CBAccentTop", "A", 8, g::ArticMarcatoAbove, nullptr, F0, "ACCEPTTOP", kStaff, H::Mark, kind::Accent, 0, 2, 0, 0, OP},
    {B::bAccentRight, "CBAccentRight", "A", 8, g::ArticAccentAbove, nullptr, F0, "ACCEPTRIGHT", kStaff, H::Mark, kind::Accent, 3, 2, 0, 0, OP},
    {B::bTenutoStaccato1, "CBTenutoStaccato1", "", 9, g::ArticTenutoStaccatoAbove, nullptr, F0, "ACCEPTTOP", kStaff, H::Mark, kind::Accent, 10, 2, 0, 0, OP},
    {B::bTenutoStaccato2, "CBTenutoStaccato2", "", 9, g::ArticTenutoStaccatoBelow, nullptr, F0, "ACCEPTTOP", kStaff, H::Mark, kind::Accent, 11, 2, 0, 0, OP},
    {B::bStaccatoPressurePercussive1, "CBStaccatoPressurePercussive1", "", 9, g::ArticAccentStaccatoAbove, nullptr, F0, "ACCEPTTOP", kStaff, H::Mark, kind::Accent, 12, 2, 0, 0, OP},
    {B::bStaccatoPressurePercussive2, "CBStaccatoPressurePercussive2", "", 9, g::ArticAccentStaccatoBelow, nullptr, F0, "ACCEPTTOP", kStaff, H::Mark, kind::Accent, 13, 2, 0, 0, OP},
    {B::bTenutoPressurePercussive1, "CBTenutoPressurePercussive1", "", 9, g::ArticTenutoAccentAbove, nullptr, F0, "ACCEPTTOP", kStaff, H::Mark, kind::Accent, 14, 2, 0, 0, OP},
    {B::bTenutoPressurePercussive2, "CBTenutoPressurePercussive2", "", 9, g::ArticTenutoAccentBelow, nullptr, F0, "ACCEPTTOP", kStaff, H::Mark, kind::Accent, 15, 2, 0, 0, OP},
    {B::bTenutoPercussive1, "CBTenutoPercussive1", "", 9, g::ArticMarcatoTenutoAbove, nullptr, F0, "ACCEPTTOP", kStaff, H::Mark, kind::Accent, 16, 2, 0, 0, OP},
    {B::bTenutoPercussive2, "CBTenutoPercussive2", "", 9, g::ArticMarcatoTenutoBelow, nullptr, F0, "ACCEPTTOP", kStaff, H::Mark, kind::Accent, 17, 2, 0, 0, OP},
    {B::bStaccatoPercussive1, "CBStaccatoPercussive1", "", 9, g::ArticMarcatoStaccatoAbove, nullptr, F0, "ACCEPTTOP", kStaff, H::Mark, kind::Accent, 18, 2, 0, 0, OP},
    {B::bStaccatoPercussive2, "CBStaccatoPercussive2", "", 9, g::ArticMarcatoStaccatoBelow, nullptr, F0, "ACCEPTTOP", kStaff, H::Mark, kind::Accent, 19, 2, 0, 0, OP},
    {B::bTenutoWedge1, "CBTenutoWedge1", "", 9, g::ArticStaccatissimoWedgeAboveArticTenutoAbove, nullptr, F0, "ACCEPTTOP", kStaff, H::Mark, kind::Accent, 20, 2, 0, 0, OP},
    {B::bTenutoWedge2, "CBTenutoWedge2", "", 9, g::ArticTenutoBelowArticStaccatissimoWedgeBelow, nullptr, F0, "ACCEPTTOP", kStaff, H::Mark, kind::Accent, 21, 2, 0, 0, OP},
    {B::bWedgePressurePercussive1, "CBWedgePressurePercussive1", "", 9, g::ArticStaccatissimoWedgeAboveArticAccentAbove, nullptr, F0, "ACCEPTTOP", kStaff, H::Mark, kind::Accent, 22, 2, 0, 0, OP},
    {B::bWedgePressurePercussive2, "CBWedgePressurePercussive2", "", 9, g::ArticAccentBelowArticStaccatissimoWedgeBelow, nullptr, F0, "ACCEPTTOP", kStaff, H::Mark, kind::Accent, 23, 2, 0, 0, OP},
    {B::bPedalDown, "CBPedalDown", "L", 10, g::KeyboardPedalPed, nullptr, F0, "PRESSPEDAL", kStaff, H::Mark, kind::Pedal, 1, 2, 0, 0, OP},
    {B::bPedalUp, "CBPedalUp", "L", 10, g::KeyboardPedalUp, nullptr, F0, "RELEASEPEDAL", kStaff, H::Mark, kind::Pedal, 0, 2, 0, 0, OP},
    {B::bBreath, "CBBreath", "", 10, g::BreathMarkComma, nullptr, F0, "BREATH", kStaff, H::Mark, kind::Breath, 0, 2, 0, 0, OP},
    {B::bZero, "CBZero", "", 10, 0, "0", F0, "ZERO", kStaff, H::Mark, kind::Finger, 0, 2, 0, 0, OP},
    {B::bOne, "CBOne", "", 10, 0, "1", F0, "ONE", kStaff, H::Mark, kind::Finger, 1, 2, 0, 0, OP},
    {B::bTwo, "CBTwo", "", 10, 0, "2", F0, "TWO", kStaff, H::Mark, kind::Finger, 2, 2, 0, 0, OP},
    {B::bThree, "CBThree", "", 10, 0, "3", F0, "THREE", kStaff, H::Mark, kind::Finger, 3, 2, 0, 0, OP},
    {B::bFour, "CBFour", "", 10, 0, "4", F0, "FOUR", kStaff, H::Mark, kind::Finger, 4, 2, 0, 0, OP},
    {B::bFive, "CBFive", "", 10, 0, "5", F0, "FIVE", kStaff, H::Mark, kind::Finger, 5, 2, 0, 0, OP},
    {B::bRFinger1, "CBRFinger1", "", 11, 0, "p", F0, "RFINGER1", kStaff, H::Mark, kind::Finger, 11, 2, 0, 0, OP},
    {B::bRFinger2, "CBRFinger2", "", 11, 0, "i", F0, "RFINGER2", kStaff, H::Mark, kind::Finger, 12, 2, 0, 0, OP},
    {B::bRFinger3, "CBRFinger3", "", 11, 0, "m", F0, "RFINGER3", kStaff, H::Mark, kind::Finger, 13, 2, 0, 0, OP},
    {B::bRFinger4, "CBRFinger4", "", 11, 0, "a", F0, "RFINGER4", kStaff, H::Mark, kind::Finger, 14, 2, 0, 0, OP},
    {B::bRFinger5, "CBRFinger5", "", 11, 0, "e", F0, "RFINGER5", kStaff, H::Mark, kind::Finger, 15, 2, 0, 0, OP},
    {B::bBowDown, "CBBowDown", "", 12, g::StringsDownBow, nullptr, F0, "BOWDOWN", kStaff, H::Mark, kind::Bowing, 1, 2, 0, 0, OP},
    {B::bBowUp, "CBBowUp", "", 12, g::StringsUpBow, nullptr, F0, "BOWUP", kStaff, H::Mark, kind::Bowing, 0, 2, 0, 0, OP},
    {B::bBarre, "CBBarre", "", 12, 0, nullptr, TFigure::Barre, "BARRE", kStaff, H::Dialog, kind::Barre, 0, 0, 0, 0, OP},
    {B::bBarreBracket, "CBBarreBracket", "", 12, 0, nullptr, TFigure::BarreBracket, "BARREBRACKET", kStaff, H::Mark, kind::BarreBracket, 0, 2, 0, 300, OP},
    {B::bContinueUntil, "CBContinueUntil", "", 13, 0, nullptr, TFigure::ContinueUntil, "CONTINUEUNTIL", kStaff, H::Mark, kind::Muting, 0, 0, 0, kDefaultLength, OP},
    {B::bFlajolet, "CBFlajolet", "", 13, 0, nullptr, TFigure::Flageolet, "FLAJOLET", kStaff, H::Dialog, kind::Flageolet, 0, 0, 0, kDefaultLength, OP},
    {B::bPalmMute, "CBPalmMute", "", 13, 0, nullptr, TFigure::PalmMute, "PALMMUTE", kStaff, H::Mark, kind::Muting, 1, 2, 0, kDefaultLength, OP},
    {B::bMute, "CBMute", "", 13, 0, nullptr, TFigure::Mute, "MUTE", kStaff, H::Mark, kind::Muting, 2, 2, 0, kDefaultLength, OP},
    {B::bHammerOn, "CBHammerOn", "", 13, 0, "H", F0, "HAMMERON", kStaff, H::Mark, kind::Hammer, 0, 2, 0, 0, OP},
    {B::bPullOff, "CBPullOff", "", 13, 0, "P", F0, "PULLOFF", kStaff, H::Mark, kind::Hammer, 1, 2, 0, 0, OP},
    {B::bTapOn, "CBTapOn", "", 13, 0, "T", F0, "TAPON", kStaff, H::Mark, kind::Hammer, 2, 2, 0, 0, OP},
    {B::bSlide, "CBSlide", "", 13, 0, "S", F0, "SLIDEM", kStaff, H::Mark, kind::Hammer, 3, 2, 0, 0, OP},
    {B::b1String, "CB1String", "", 14, g::GuitarString1, nullptr, F0, "1STRING", kStaff, H::Mark, kind::StringNumber, 1, 2, 0, 0, OP},
    {B::b2String, "CB2String", "", 14, g::GuitarString2, nullptr, F0, "2STRING", kStaff, H::Mark, kind::StringNumber, 2, 2, 0, 0, OP},
    {B::b3String, "CB3String", "", 15, g::GuitarString3, nullptr, F0, "3STRING", kStaff, H::Mark, kind::StringNumber, 3, 2, 0, 0, OP},
    {B::b4String, "CB4String", "", 15, g::GuitarString4, nullptr, F0, "4STRING", kStaff, H::Mark, kind::StringNumber, 4, 2, 0, 0, OP},
    {B::b5String, "CB5String", "", 15, g::GuitarString5, nullptr, F0, "5STRING", kStaff, H::Mark, kind::StringNumber, 5, 2, 0, 0, OP},
    {B::b6String, "CB6String", "", 15, g::GuitarString6, nullptr, F0, "6STRING", kStaff, H::Mark, kind::StringNumber, 6, 2, 0, 0, OP},
    {B::b7String, "CB7String", "", 15, g::GuitarString7, nullptr, F0, "7STRING", kStaff, H::Mark, kind::StringNumber, 7, 2, 0, 0, OP},
    {B::b8String, "CB8String", "", 15, g::GuitarString8, nullptr, F0, "8STRING", kStaff, H::Mark, kind::StringNumber, 8, 2, 0, 0, OP},
    // The pre-bends show the bend-up cursor and the bends up the pre-bend one.
    {B::bPreBend, "CBPreBend", "", 16, 0, nullptr, TFigure::Bend, "BENDUP", kStaff, H::Bend, kind::Bend, 0, 0, 0, 0, OP},
    {B::bBendUp, "CBBendUp", "", 16, 0, nullptr, TFigure::Bend, "PREBEND", kStaff, H::Bend, kind::Bend, 1, 0, 0, 0, OP},
    {B::bPreBendReleaseOverTime, "CBPreBendReleaseOverTime", "", 17, 0, nullptr, TFigure::Release, "BENDUP", kStaff, H::Bend, kind::Bend, 4, 0, 0, 0, OP},
    {B::bBendUpRelease, "CBBendUpRelease", "", 17, 0, nullptr, TFigure::Release, "PREBEND", kStaff, H::Bend, kind::Bend, 3, 0, 0, 0, OP},
    {B::bPreBendRelease, "CBPreBendRelease", "", 17, 0, nullptr, TFigure::Release, "BENDUP", kStaff, H::Bend, kind::Bend, 2, 0, 0, 0, OP},
    {B::bBendUpReleaseOverTime, "CBBendUpReleaseOverTime", "", 17, 0, nullptr, TFigure::Release, "PREBEND", kStaff, H::Bend, kind::Bend, 5, 0, 0, 0, OP},
};
// clang-format on
static_assert(std::size(kRows) == TFSymbols::kButtonCount);

constexpr bool RowsInOrder() {
  for (size_t i = 0; i < std::size(kRows); ++i)
    if (kRows[i].Id != i) return false;
  return true;
}
static_assert(RowsInOrder(), "the table holds the tools in their order");

// Tools are 25 x 26 pixels in two rows, columns 26 pixels apart; the
// scroll panel stands right of Point, Erase and the regime button.
constexpr int kColumn = 26, kButtonWidth = 25, kButtonHeight = 26, kTop0 = 5, kTop1 = 32, kPanelLeft = 52;
// The arrow buttons that fold a group away span both rows.
constexpr int kGroupWidth = 12, kGroupHeight = 53;

struct TGroupRow {
  const char* Name;
  const char* Key;  // True in the form's section when the group is folded away
};
constexpr TGroupRow kGroups[] = {
    {"CBDinamics", "ExDinamics"}, {"CBArpeggios", "ExArpeggio"}, {"CBTrills", "ExTrill"},
    {"CBFermata", "ExFermata"},   {"CBAccepts", "ExAccepts"},    {"CBFingers", "ExFingers"},
    {"CBTabulature", "ExTabulature"}, {"CBStrings", "ExStrings"}, {"CBBends", "ExBends"},
};
static_assert(std::size(kGroups) == TFSymbols::kGroupCount);

// Blocks of tools alternate: always shown, then a group, and so on.
constexpr TFSymbols::TGroup GroupOfBlock(int block) {
  return block % 2 ? static_cast<TFSymbols::TGroup>(block / 2) : TFSymbols::kGroupCount;
}

}  // namespace

TFSymbols::TGroup TFSymbols::GroupOf(TButton b) { return GroupOfBlock(kRows[b].Block); }

TFSymbols::TToolInfo TFSymbols::Info(TButton b) {
  const TRow& row = kRows[b];
  return {row.Name, row.Letter, row.Cursor, row.Arm, row.How, row.Kind, row.Type};
}

// ------------------------------------------------------------------ making

TFSymbols::TFSymbols(TComponent* owner, const TPaletteContext& context)
    : TQSToolPage(owner, context.Settings, "FSymbols"), host_(context.Host) {
  SetClientWidth(kPanelLeft + 14 * kColumn + 4);
  SetClientHeight(kTop1 + kButtonHeight + 8);
  MakeButtons();
  OnSetAttached = [this](bool attached) {
    if (host_) host_->SetPaletteAttached(TSymbolsSettings::kSection, attached);
  };
  OnDropped = [this](TPoint screen) {
    if (host_) host_->PaletteDropped(TSymbolsSettings::kSection, screen.X, screen.Y);
  };
  OnActivate = [this](TObject*) {
    if (host_) host_->PaletteActivated(TSymbolsSettings::kSection);
  };
  OnKeyDown = [this](TObject*, uint16_t& key, TShiftState shift) {
    if (host_) host_->PaletteKeyDown(key, shift);
  };
  Finish();
  LoadSettings();
  CBPointSymbols->SetDown(true);
  // The groups folded away last time stay so.
  if (settings_)
    for (int g = kGroupCount - 1; g >= 0; --g)
      if (settings_->ReadBool(Name(), kGroups[g].Key, false)) ToggleGroup(static_cast<TGroup>(g));
  loading_ = false;
}

TFSymbols::~TFSymbols() = default;

void TFSymbols::MakeButtons() {
  CBPointSymbols = MakeButton("CBPointSymbols", "", 0, kTop0, kButtonWidth, kButtonHeight);
  CBEraseSymbols = MakeButton("CBEraseSymbols", "", 0, kTop1, kButtonWidth, kButtonHeight);
  CBSingleSymbols = MakeButton("CBSingleSymbols", "", kColumn, kTop0, kButtonWidth, kButtonHeight);
  CBMultiplySymbols = MakeButton("CBMultiplySymbols", "", kColumn, kTop0, kButtonWidth, kButtonHeight);
  CBQuickSymbols = MakeButton("CBQuickSymbols", "", kColumn, kTop0, kButtonWidth, kButtonHeight);
  TFont music;
  music.Name = MusicFontName;
  music.Height = -24;
  // The regime buttons show what they are by a figure: one note, several
  // notes, a lightning stroke, as on the other palettes.
  const std::pair<TECCharButton*, uint8_t> regimes[] = {
      {CBSingleSymbols, glyphs::NoteQuarterUp}, {CBMultiplySymbols, glyphs::Note8thUp}, {CBQuickSymbols, glyphs::Note16thUp}};
  for (auto [b, glyph] : regimes) {
    b->SetFont(music);
    b->SetByte(glyph);
    b->SetPosX(5);
    b->SetPosY(GlyphFaceTop(glyph) - 2);
  }
  SetUpPointAndErase(*CBPointSymbols, *CBEraseSymbols);
  CBPointSymbols->OnClick = [this](TObject*) { PointClick(); };
  CBEraseSymbols->OnClick = [this](TObject*) { EraseClick(); };
  for (TECCharButton* b : {CBSingleSymbols, CBMultiplySymbols, CBQuickSymbols})
    b->OnClick = [this](TObject*) { RegimeClick(); };

  // The tools scroll sideways inside the palette's page when it is
  // narrower than they are.
  SPSymbols = new TECScrollPanel(this);
  SPSymbols->SetName("SPSymbols");
  SPSymbols->SetParent(PClient);
  SPSymbols->SetBevelOuter(bvNone);
  SPSymbols->SetHorzScroll(true);
  SPSymbols->SetBounds(kPanelLeft, 0, 14 * kColumn, kTop1 + kButtonHeight + 4);
  PClient->OnResize = [this](TObject*) {
    SPSymbols->SetBounds(kPanelLeft, 0, std::max(kColumn, PClient->ClientWidth() - kPanelLeft - 2),
                         std::max(kButtonHeight, PClient->ClientHeight()));
  };

  // Two rows, filled column by column; each block begins a column of its
  // own, and a group's tools follow its arrow button.
  int left = 1, index = 0, block = 0;
  for (const TRow& row : kRows) {
    if (row.Block != block) {
      if (index % 2) left += kColumn;
      index = 0;
      block = row.Block;
      const TGroup g = GroupOfBlock(block);
      if (g != kGroupCount) {
        auto* arrow = new TECCharButton(this);
        arrow->SetName(kGroups[g].Name);
        arrow->SetParent(SPSymbols);
        arrow->SetBounds(left, kTop0, kGroupWidth, kGroupHeight);
        arrow->SetFlat(true);
        arrow->SetShowHint(true);
        arrow->SetDropWidth(kGroupWidth - 1);
        arrow->SetArrowStyle(asLeft);
        arrow->OnButtonClick = [this, g](TObject*) { ToggleGroup(g); };
        arrow->OnClick = [this, g](TObject*) { ToggleGroup(g); };
        groupButtons_[g] = arrow;
        places_.push_back({arrow, left, left, kGroupCount});
        left += kGroupWidth + 1;
        groupShift_[g] = 0;
      }
    }
    auto* b = new TECCharButton(this);
    b->SetName(row.Name);
    b->SetParent(SPSymbols);
    b->SetBounds(left, index % 2 ? kTop1 : kTop0, kButtonWidth, kButtonHeight);
    places_.push_back({b, left, left, GroupOfBlock(row.Block)});
    if (index % 2) left += kColumn;
    ++index;
    if (GroupOfBlock(row.Block) != kGroupCount) groupShift_[GroupOfBlock(row.Block)] = ((index + 1) / 2) * kColumn;
    b->SetFlat(true);
    b->SetShowHint(true);
    b->SetExpandText(row.Letter);
    b->SetGroupIndex(1);
    b->SetAllowAllUp(true);
    if (row.Glyph) {
      b->SetFont(music);
      b->SetByte(row.Glyph);
      b->SetPosX(4);
      b->SetPosY(GlyphFaceTop(row.Glyph) - 2);
    } else {
      b->SetCustomDraw(true);
      const B id = row.Id;
      b->OnDrawCharButton = [this, b, id](TObject*, TCanvas& c, TRect r) {
        c.Brush() = TBrush{};
        toolface::Raised(*b, r, [&](const TRect& face, TColor ink) { PaintFace(id, c, face, ink); });
      };
    }
    const B id = row.Id;
    b->OnClick = [this, id](TObject*) { ToolClick(id); };
    buttons_[row.Id] = b;
  }
  // The palette is as wide as all its tools, but no wider than the
  // screen; where it or its page is narrower, they scroll.
  if (index % 2) left += kColumn;
  const int screen = Screen().WorkAreaRect().Width();
  SetClientWidth(screen > 0 ? std::min(kPanelLeft + left + 4, screen - 16) : kPanelLeft + left + 4);
  // The measure-number and rehearsal tools choose their options from the
  // arrow at their right edge.
  buttons_[B::bMeasureNumber]->SetDropWidth(9);
  buttons_[B::bMeasureNumber]->OnButtonClick = [this](TObject*) { OpenNumberOptions(); };
  buttons_[B::bRehearsal]->SetDropWidth(9);
  buttons_[B::bRehearsal]->OnButtonClick = [this](TObject*) { OpenRehearsalOptions(); };
}

// ------------------------------------------------------------------ groups

bool TFSymbols::GroupShown(TGroup g) const { return groupButtons_[g]->ArrowStyle() == asLeft; }

int TFSymbols::GroupShift(TGroup g) const { return g == gBends ? 0 : groupShift_[g]; }

void TFSymbols::ToggleGroup(TGroup g) {
  const bool shown = GroupShown(g);
  if (shown) PressPoint();
  groupButtons_[g]->SetArrowStyle(shown ? asRight : asLeft);
  LayOutGroups();
  for (int i = 0; i < kButtonCount; ++i)
    if (GroupOf(static_cast<TButton>(i)) == g) buttons_[i]->SetVisible(!shown);
  SPSymbols->UpdateScrollButtons();
  if (settings_) settings_->WriteBool(Name(), kGroups[g].Key, shown);
}

void TFSymbols::LayOutGroups() {
  // A button moves left by the width of every folded group that stands
  // before it; the group's own tools stay (hidden) where they are.
  std::array<int, kGroupCount> start{};
  for (const TPlace& p : places_)
    if (p.Group != kGroupCount && (start[p.Group] == 0 || p.Home < start[p.Group])) start[p.Group] = p.Home;
  for (TPlace& p : places_) {
    int target = p.Home;
    for (int g = 0; g < kGroupCount; ++g)
      if (p.Group != g && !GroupShown(static_cast<TGroup>(g)) && p.Home >= start[g])
        target -= GroupShift(static_cast<TGroup>(g));
    if (target == p.Now) continue;
    TControl& c = *p.Control;
    c.SetBounds(c.Left() + target - p.Now, c.Top(), c.Width(), c.Height());
    p.Now = target;
  }
}

void TFSymbols::PaintFace(TButton b, TCanvas& c, const TRect& face, TColor ink) const {
  const TRow& row = kRows[b];
  const int L = face.Left, T = face.Top, R = face.Right, Bt = face.Bottom;
  const int M = (T + Bt) / 2, X = (L + R) / 2;
  c.Pen().Style = psSolid;
  c.Pen().Width = 1;
  c.Pen().Color = ink;
  c.Brush().Style = bsClear;
  auto line = [&](std::initializer_list<TPoint> points) { c.Polyline(points); };
  auto text = [&](int x, int y, const char* s, const char* font, int size) {
    c.Font() = TFont{};
    c.Font().Name = font;
    c.Font().SetSize(size);
    c.Font().Color = ink;
    c.TextOut(x, y, std::string_view(s));
  };
  if (row.Text) {
    const bool times = row.Id >= B::bZero && row.Id <= B::bRFinger5;
    c.Font() = TFont{};
    c.Font().Name = times ? "Times New Roman" : "Arial";
    c.Font().SetSize(times ? 12 : 7);
    c.Font().Color = ink;
    const std::string_view s(row.Text);
    c.TextOut(X - c.TextWidth(s) / 2, M - c.TextHeight(s) / 2, s);
    return;
  }
  auto wave = [&](int top, int count, int width) {
    c.Pen().Width = width;
    for (int i = 0; i < count; ++i) line({{X - 2, top + 6 * i + 3}, {X + 1, top + 6 * i}, {X - 2, top + 6 * i - 3}});
    c.Pen().Width = 1;
  };
  auto zigzag = [&](int y, int height) {
    for (int x = L + 3; x < R - 5; x += 4) line({{x, y + height}, {x + 2, y - height}, {x + 4, y + height}});
  };
  switch (row.Figure) {
    case TFigure::Crescendo: line({{R - 2, M + 2}, {L + 2, M}, {R - 2, M - 2}}); break;
    case TFigure::Diminuendo: line({{L + 2, M + 2}, {R - 2, M}, {L + 2, M - 2}}); break;
    case TFigure::Arpeggio: wave(T + 6, 3, 1); break;
    case TFigure::ArpeggioUp:
      wave(T + 8, 3, 1);
      c.Brush().Style = bsSolid;
      c.Brush().Color = ink;
      c.Polygon({{X, T + 2}, {X + 2, T + 6}, {X - 2, T + 6}});
      break;
    case TFigure::ArpeggioDown:
      wave(T + 4, 3, 1);
      c.Brush().Style = bsSolid;
      c.Brush().Color = ink;
      c.Polygon({{X, Bt - 2}, {X + 2, Bt - 6}, {X - 2, Bt - 6}});
      break;
    case TFigure::TopHang: line({{L + 11, T + 6}, {L + 8, T + 6}, {L + 8, T + 20}}); break;
    case TFigure::BottomHang: line({{L + 11, T + 20}, {L + 8, T + 20}, {L + 8, T + 6}}); break;
    case TFigure::BracketUp: line({{L + 4, M}, {L + 4, M - 4}, {R - 4, M - 4}, {R - 4, M}}); break;
    case TFigure::BracketDown: line({{L + 4, M}, {L + 4, M + 4}, {R - 4, M + 4}, {R - 4, M}}); break;
    case TFigure::Barre:
      text(L + 2, M - 5, "B", "Arial", 7);
      line({{L + 10, M}, {R - 4, M}, {R - 4, M + 4}});
      break;
    case TFigure::BarreBracket: line({{L + 11, T + 21}, {L + 8, T + 21}, {L + 8, T + 4}, {L + 11, T + 4}}); break;
    case TFigure::ContinueUntil:
      line({{L + 4, M}, {R - 4, M}});
      line({{R - 4, M - 2}, {R - 4, M + 3}});
      break;
    case TFigure::Flageolet:
      text(L + 1, T + 6, "XI", "Arial", 8);
      c.Pen().Style = psDot;
      line({{L + 10, M}, {R - 4, M}, {R - 4, M + 3}});
      break;
    case TFigure::PalmMute: text(L + 2, M - 5, "P.M.", "Arial", 7); break;
    case TFigure::Mute:
      text(L + 8, M - 5, "M", "Arial", 7);
      c.Arc(L + 3, M - 1, R - 3, Bt, X - 2, Bt, X - 2, M - 1);
      c.Arc(L + 3, M - 1, R - 3, Bt, X + 2, M - 1, X + 2, Bt);
      break;
    case TFigure::BeginComposition:
      line({{X - 3, T + 5}, {X - 3, Bt - 5}});
      line({{X + 2, T + 5}, {X + 2, Bt - 5}});
      c.Pen().Width = 3;
      line({{X - 4, T + 5}, {X - 4, Bt - 5}});
      break;
    case TFigure::EndComposition:
      line({{X - 3, T + 5}, {X - 3, Bt - 5}});
      c.Pen().Width = 3;
      line({{X + 2, T + 5}, {X + 2, Bt - 5}});
      break;
    case TFigure::EndSection:
      line({{X - 2, T + 5}, {X - 2, Bt - 5}});
      line({{X + 2, T + 5}, {X + 2, Bt - 5}});
      break;
    case TFigure::Section:
      line({{L + 4, Bt - 6}, {L + 4, T + 6}, {R - 3, T + 6}});
      text(L + 6, T + 8, "1.", "Arial", 7);
      break;
    case TFigure::BeginRepeat: case TFigure::EndRepeat: {
      const bool begin = row.Figure == TFigure::BeginRepeat;
      const int thick = begin ? X - 5 : X + 4, thin = begin ? X - 1 : X, dots = begin ? X + 3 : X - 4;
      line({{thin, T + 5}, {thin, Bt - 5}});
      c.Brush().Style = bsSolid;
      c.Brush().Color = ink;
      c.Ellipse(dots - 1, M - 4, dots + 2, M - 1);
      c.Ellipse(dots - 1, M + 2, dots + 2, M + 5);
      c.Pen().Width = 3;
      line({{thick, T + 5}, {thick, Bt - 5}});
      break;
    }
    case TFigure::Rehearsal:
      c.Rectangle(L + 5, T + 5, R - 5, Bt - 5);
      text(X - 3, M - 6, values_.RehearsalMarkKind == 1 ? "1" : "A", "Arial", 8);
      break;
    case TFigure::OttavaUp: case TFigure::OttavaDown: {
      const bool up = row.Figure == TFigure::OttavaUp;
      text(L + 2, up ? T + 3 : M - 2, up ? "8va" : "8vb", "Arial", 7);
      c.Pen().Style = psDot;
      line({{L + 3, up ? M + 3 : T + 4}, {R - 3, up ? M + 3 : T + 4}, {R - 3, up ? M + 7 : T + 8}});
      break;
    }
    case TFigure::Vibrato: zigzag(M, 2); break;
    case TFigure::WideVibrato: zigzag(M, 4); break;
    case TFigure::VibratoBar:
      zigzag(M + 3, 2);
      line({{L + 3, M - 4}, {R - 4, M - 4}});
      break;
    case TFigure::Bend: case TFigure::Release:
      // A line rising to an arrow head, and falling again for a release.
      line({{L + 4, Bt - 5}, {X - 1, T + 8}});
      c.Brush().Style = bsSolid;
      c.Brush().Color = ink;
      c.Polygon({{X - 1, T + 4}, {X + 2, T + 9}, {X - 4, T + 9}});
      c.Brush().Style = bsClear;
      if (row.Figure == TFigure::Release) line({{X + 1, T + 9}, {R - 4, Bt - 5}});
      break;
    case TFigure::None: break;
  }
}

// ---------------------------------------------------------------- settings

void TFSymbols::LoadSettings() {
  if (settings_) {
    TSettingsIO io(settings_, TSymbolsSettings::kSection, TSettingsIO::TMode::Read);
    values_.Visit(io);
  }
  ShowRegime(RegimeFromValue(values_.SymbolsRegime));
}

void TFSymbols::Store() {
  if (!settings_) return;
  TSettingsIO io(settings_, TSymbolsSettings::kSection, TSettingsIO::TMode::WriteAll);
  values_.Visit(io);
}

int TFSymbols::GetRehearsalMarkStyle() const {
  return (((values_.RehearsalMarkKind + 1) << 6) | (values_.RehearsalMarkBorderKind << 2) |
          values_.RehearsalMarkBorderWidth) & 0xFF;
}

TFRehearsalMark* TFSymbols::OpenRehearsalOptions() {
  auto* popup = new TFRehearsalMark(nullptr);
  popup->Preset(values_.RehearsalMarkNumeration, values_.RehearsalMarkKind, values_.RehearsalMarkBorderKind);
  popup->OnChange = [this](TFRehearsalMark& p) {
    RehearsalMarkChanged(p.GetNumeration(), p.GetKind(), p.GetBorderKind());
  };
  popup->DropDownBelow(*buttons_[B::bRehearsal]);
  return popup;
}

TFNumber* TFSymbols::OpenNumberOptions() {
  auto* popup = new TFNumber(nullptr);
  popup->SetStyle(values_.NumberStyle);
  popup->OnChange = [this](TFNumber& p) { NumberStyleChanged(p.GetStyle()); };
  popup->DropDownBelow(*buttons_[B::bMeasureNumber]);
  return popup;
}

void TFSymbols::RehearsalMarkChanged(int numeration, int kind, int border) {
  values_.RehearsalMarkNumeration = numeration;
  values_.RehearsalMarkKind = kind;
  values_.RehearsalMarkBorderKind = border;
  values_.RehearsalMarkBorderWidth = 1;
  buttons_[B::bRehearsal]->Invalidate();
  Store();
}

void TFSymbols::NumberStyleChanged(int style) {
  values_.NumberStyle = style;
  Store();
}

// ----------------------------------------------------------------- regime

TInputRegime TFSymbols::Regime() const { return ShownRegime(*CBSingleSymbols, *CBQuickSymbols); }

void TFSymbols::ShowRegime(TInputRegime regime) {
  ShowRegimeButtons(*CBSingleSymbols, *CBMultiplySymbols, *CBQuickSymbols, regime);
}

void TFSymbols::RegimeClick() {
  const TInputRegime next = NextRegime(Regime());
  ShowRegime(next);
  values_.SymbolsRegime = static_cast<int>(next);
  Store();
  ApplyTool();
}

void TFSymbols::ResetToDefaults() {
  ShowRegime(TInputRegime::Multiply);
  PressPoint();
}

// ---------------------------------------------------------------- buttons

bool TFSymbols::IsDown(TButton b) const { return buttons_[b] && buttons_[b]->Down(); }

TFSymbols::TButton TFSymbols::DownTool() const {
  for (int i = 0; i < kButtonCount; ++i)
    if (IsDown(static_cast<TButton>(i))) return static_cast<TButton>(i);
  return kButtonCount;
}

void TFSymbols::ReleaseTools(TButton except) {
  for (int i = 0; i < kButtonCount; ++i)
    if (i != except && buttons_[i]->Down()) buttons_[i]->SetDown(false);
}

void TFSymbols::PressPoint() {
  CBPointSymbols->SetDown(true);
  PointClick();
}

void TFSymbols::PointClick() {
  CBPointSymbols->SetDown(true);
  ReleaseTools(kButtonCount);
  ApplyTool();
}

void TFSymbols::EraseClick() {
  CBEraseSymbols->SetDown(true);
  ReleaseTools(kButtonCount);
  ApplyTool();
}

void TFSymbols::ToolClick(TButton b) {
  if (Regime() == TInputRegime::Quick) {
    // The tool's item goes in at the cursor at once, placed by the
    // cursor alone, and the palette is back on Point.
    TQSScore* score = host_ ? host_->ActiveScore() : nullptr;
    if (auto* view = score ? dynamic_cast<TQSWindow*>(score->ActiveWindow()) : nullptr) {
      view->PartClickOffset = -140;
      view->SystemClickOffset = -140;
      buttons_[b]->SetDown(true);
      InsertToolItem(*view, TInsertFrom::QuickButton);
    }
    PressPoint();
    return;
  }
  if (buttons_[b]->Down()) {
    CBPointSymbols->SetDown(false);
    CBEraseSymbols->SetDown(false);
    ReleaseTools(b);
  } else {
    PressPoint();
    return;
  }
  ApplyTool();
}

int TFSymbols::ItemCode() const {
  if (CBPointSymbols->Down() || CBEraseSymbols->Down() || Regime() == TInputRegime::Quick) return paletteitem::None;
  const TButton b = DownTool();
  return b == kButtonCount ? paletteitem::None : kRows[b].Arm;
}

std::string TFSymbols::ToolCursorName() const {
  if (CBEraseSymbols->Down()) return "ERASE";
  const TButton b = DownTool();
  return b == kButtonCount ? std::string() : kRows[b].Cursor;
}

// ------------------------------------------------------------- the views

void TFSymbols::ApplyTool() {
  if (loading_) return;
  const std::string cursor = ToolCursorName();
  if (cursor == "ERASE" || cursor.empty()) SetActiveViewCursor(host_, cursor);
  else SetToolCursor(host_, cursor);
  if (!host_ || !host_->ActiveScore()) return;
  ArmViews(host_, ItemCode());
  host_->SetEntryDuration(0);
}

// ------------------------------------------------------------- entering

int TFSymbols::DefaultLength() const {
  // Lines that run on are as long as the program's default duration.
  return settings_ ? std::max(1, settings_->ReadInteger("FProgramModule", "DefaultDuration", 128)) : 128;
}

bool TFSymbols::InsertToolItem(TQSWindow& view, TInsertFrom from) {
  TQSScore* score = view.Score;
  if (!score) return false;
  const TInputRegime regime = Regime();
  // Quick enters only from the palette's own buttons.
  if (from == TInsertFrom::Click && regime == TInputRegime::Quick) return false;
  const TButton b = DownTool();
  if (b == kButtonCount) return false;
  // Beside every staff (no part or staff at the cursor) nothing goes in.
  if (!score->CurrentStaff()) return false;
  const TRow& row = kRows[b];
  int offset = 0;
  switch (row.Offset) {
    case TOffset::Part: offset = view.PartClickOffset; break;
    case TOffset::System: offset = view.SystemClickOffset; break;
    case TOffset::Arpeggio: offset = view.PartClickOffset - 112; break;
    case TOffset::None: break;
  }
  const int length = row.Length != kDefaultLength ? row.Length : DefaultLength();
  bool entered = false;
  switch (row.How) {
    case H::Mark: entered = InsertMark(*score, row.Kind, row.Type, length, row.Flags, offset, row.Value) != nullptr; break;
    case H::Column:
      if (b == B::bRehearsal) {
        // A rehearsal mark carries its style; its number 0 counts on from
        // the marks before it, or the number is asked.
        int number = 0;
        if (values_.RehearsalMarkNumeration >= 1) {
          TFRehearsalMarkCount dialog(nullptr, settings_);
          dialog.SetDigits(values_.RehearsalMarkKind == 1);
          dialog.SetValue(values_.RehearsalMarkNumber);
          if (dialog.ShowModal() != mrOk || !dialog.GetValue(number)) break;
          values_.RehearsalMarkNumber = number;
        }
        entered = InsertColumnMark(*score, row.Kind, row.Type, number, GetRehearsalMarkStyle(), offset) != nullptr;
        break;
      }
      entered = InsertColumnMark(*score, row.Kind, row.Type, 0, row.Flags, offset) != nullptr;
      break;
    case H::Bend: entered = InsertBend(*score, row.Kind, row.Type, offset) != nullptr; break;
    case H::Dialog: entered = InsertFromDialog(b, *score, offset); break;
  }
  if (regime == TInputRegime::Single) PressPoint();
  return entered;
}

bool TFSymbols::InsertFromDialog(TButton b, TQSScore& score, int offset) {
  const TRow& row = kRows[b];
  switch (b) {
    case B::bMeasureNumber: {
      TFMeasureNumber dialog(nullptr, settings_);
      if (dialog.ShowModal() != mrOk) return false;
      return InsertColumnMark(score, row.Kind, 0, dialog.Number(), values_.NumberStyle, 0) != nullptr;
    }
    case B::bPartComposition: {
      TFPartComposition dialog(nullptr, settings_);
      if (dialog.ShowModal() != mrOk) return false;
      return InsertColumnMark(score, row.Kind, dialog.Number(), dialog.Count(), 0, offset) != nullptr;
    }
    case B::bBarre: {
      TFBarreProperties dialog(nullptr, settings_);
      if (dialog.ShowModal() != mrOk) return false;
      return InsertMark(score, row.Kind, dialog.GetFret(), 0, dialog.GetBarreStyle(), offset, dialog.LineStyle) != nullptr;
    }
    case B::bFlajolet: {
      TFFlajoletProperties dialog(nullptr, settings_);
      if (dialog.ShowModal() != mrOk) return false;
      return InsertMark(score, row.Kind, dialog.GetFret(), DefaultLength(), dialog.GetContinue(), offset,
                        dialog.LineStyle) != nullptr;
    }
    default: return false;
  }
}

bool TFSymbols::ItemClick(TQSWindow& view, TQSCalcItem& element) {
  TQSScore* score = view.Score;
  if (!score || Regime() == TInputRegime::Quick) return false;
  if (CBEraseSymbols->Down()) {
    if (!element.Item) return false;
    EraseItem(*score, element.Item);
    return true;
  }
  return InsertToolItem(view, TInsertFrom::Click);
}

}  // namespace qs

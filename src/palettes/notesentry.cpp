// What a click into the score (or a Quick-regime button) enters with the
// Notes palette's chosen tool: one editing command, one undo step.
#include <algorithm>
#include <array>

#include "editing/entry.h"
#include "editing/marks.h"
#include "editing/palette.h"
#include "palettes/notes.h"
#include "score/calcrecords.h"
#include "score/headstyles.h"
#include "score/notes.h"
#include "score/item.h"
#include "score/marks.h"
#include "score/part.h"
#include "score/score.h"
#include "uikit/charbutton.h"
#include "view/window.h"

namespace qs {

namespace {

using B = TFNotes::TButton;

constexpr std::array<int, 7> kSemitone = {0, 2, 4, 5, 7, 9, 11};
// The velocity step of the sound of an entered note.
constexpr int kEntryVelocity = 3;

int FloorDiv(int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

}  // namespace

bool TFNotes::InsertToolItem(TQSWindow& view, TInsertFrom from) {
  TQSScore* score = view.Score;
  if (!score) return false;
  const bool fromClick = from == TInsertFrom::Click;
  const TInputRegime regime = Regime();
  // Quick enters only from the palette's own buttons.
  if (fromClick && regime == TInputRegime::Quick) return false;
  // Beside every staff (no part or staff at the cursor) nothing goes in.
  TQSStaff* staff = score->CurrentStaff();
  if (!staff) return false;
  const bool tablature = staff->Fields.Tablature;

  std::vector<int> marks;
  int shift = 0, bracket = 0;
  if (tablature) {
    if (IsDown(B::bDot)) marks.push_back(modifier::Dot);
    else if (IsDown(B::bDoubleDot)) marks.push_back(modifier::DoubleDot);
    if (IsDown(B::bTreole)) marks.push_back(modifier::Tuplet + values_.Treole);
    if (IsDown(B::bLigaUp)) marks.push_back(modifier::TieUp);
    else if (IsDown(B::bLigaDown)) marks.push_back(modifier::TieDown);
    else if (IsDown(B::bSlide)) marks.push_back(modifier::Slide);
    bracket = IsDown(B::bBracketStyle) ? values_.BracketStyle + 1 : 0;
  } else {
    CollectMarks(marks, shift, bracket);
  }
  const bool advance = from == TInsertFrom::QuickButton;
  const int partOffset = view.PartClickOffset, staffOffset = view.StaffClickOffset;
  const TNotesSettings& v = values_;

  // The first pressed tool decides, in this order.
  static constexpr B kOrder[] = {
      B::bAccolade, B::bClef, B::bTone, B::bSize, B::bTempo, B::bRepeatBar, B::bRepeatNote,
      B::bWholeNote, B::bNote, B::bNote2, B::bNote4, B::bNote8, B::bNote16, B::bNote32, B::bNote64,
      B::bMeasurePause, B::bPause, B::bPause2, B::bPause4, B::bPause8, B::bPause16, B::bPause32, B::bPause64,
      B::bStaccato, B::bPortamento, B::bTremolo, B::bOpenHat, B::bHalfOpenHat, B::bHandUp, B::bHandDown};
  int first = -1;
  for (B b : kOrder)
    if (IsDown(b)) {
      first = b;
      break;
    }
  bool entered = true;
  switch (first) {
    case B::bAccolade: {
      const int count = host_ ? host_->AskCount(Message(0), 1, 1) : 0;
      if (count > 0) InsertMark(*score, kind::Accolade, v.Accolade, count - 1, 0, 0, 2);
      else entered = false;
      break;
    }
    case B::bClef: InsertMark(*score, kind::Clef, v.Clef, 0, 0, 0, 2); break;
    case B::bTone: InsertMark(*score, kind::Key, v.Tone, v.ToneStyle, 0, 0, 2); break;
    case B::bSize: InsertColumnMark(*score, kind::Meter, 0, v.Size, v.SizeStyle, 0); break;
    case B::bTempo: InsertColumnMark(*score, kind::Tempo, v.TempoNote, v.TempoSize, 0, partOffset); break;
    case B::bRepeatBar: InsertMark(*score, kind::BarRepeat, v.RepeatBar, 0, 0, 0, 2); break;
    case B::bRepeatNote: InsertMark(*score, kind::NoteRepeat, v.RepeatNote, 0, 0, 0, 2); break;
    case B::bMeasurePause: {
      const int count = host_ ? host_->AskCount(Message(0), 1, v.MeasurePause) : 0;
      if (count > 0) {
        SetMeasurePause(count);
        InsertColumnMark(*score, kind::MultiRest, 0, values_.MeasurePause, 0, 0);
      } else {
        entered = false;
      }
      break;
    }
    case B::bStaccato: case B::bPortamento:
      InsertMark(*score, first == B::bStaccato ? kind::Staccato : kind::Portamento, 0, 0, 0, staffOffset, 2);
      break;
    case B::bTremolo: InsertMark(*score, kind::Tremolo, 0, v.Tremolo, 0, partOffset, 2); break;
    case B::bOpenHat: case B::bHalfOpenHat:
      InsertMark(*score, first == B::bOpenHat ? kind::HiHat1 : kind::HiHat2, 0, 0, 0, -staffOffset, 2);
      break;
    case B::bHandUp: case B::bHandDown:
      InsertMark(*score, kind::Hand, first == B::bHandUp ? 0 : 1, 0, 0, -staffOffset, 2);
      break;
    default:
      if (first >= B::bPause && first <= B::bPause64) {
        const int ticks = 512 >> (first - B::bPause);
        InsertRest(*score, ticks, marks, bracket);
        if (advance) view.AdvanceCursor(score->LastEntryLength ? score->LastEntryLength : ticks);
      } else if (first >= B::bWholeNote && first <= B::bNote64) {
        const int ticks = 1024 >> (first - B::bWholeNote);
        int octave = 0, step = 0, pitch = 0;
        if (tablature) {
          // The string's tuning and the fret; a black key is spelt as the
          // sharp of the step below, or as the flat above D and A.
          pitch = staff->GetTuning(view.CursorString) + view.CursorFret;
          static constexpr std::array<int, 12> kStep = {0, 0, 1, 1, 2, 3, 3, 4, 4, 5, 5, 6};
          octave = pitch / 12;
          step = kStep[static_cast<size_t>(pitch % 12)];
          switch (pitch % 12) {
            case 1: case 6: case 8: marks.push_back(modifier::Sharp); break;
            case 3: case 10: marks.push_back(modifier::Flat), ++step; break;
            default: break;
          }
        } else {
          // The pitch line the view's cursor stands on (the click's, or the
          // cursor's own in the Quick regime), counted from the clef.
          const int index = view.CursorLine() - 25 + view.ClefShiftAtCursor();
          octave = std::clamp(FloorDiv(index, 7), 0, 10);
          step = index - 7 * FloorDiv(index, 7);
          pitch = 12 * octave + kSemitone[static_cast<size_t>(step)] + shift;
        }
        if (IsDown(B::bVorschlag)) {
          // A grace note of the value into the group at the cursor.
          const uint8_t flags = static_cast<uint8_t>((v.VorschlagBefore ? 0 : TQSVorschlag::kAfter) |
                                                     (v.VorschlagShort ? TQSVorschlag::kShortStyle : 0));
          InsertGraceNote(*score, octave, step, ticks, flags, v.VorschlagInterval,
                          static_cast<uint16_t>(v.VorschlagDuration), v.VorschlagLiga, marks, bracket,
                          DrumStyleForEntry(*score));
          if (host_) host_->SoundPitch(std::clamp(pitch, 0, 127), ticks, kEntryVelocity, smAlone, TSoundFrom::Entry);
          break;
        }
        const int head = tablature                    ? 0
                         : IsDown(B::bBlankNote)      ? headstyle::Slash
                         : IsDown(B::bFlazholetNote)  ? headstyle::Harmonic
                                                      : DrumStyleForEntry(*score);
        if (!InsertNote(*score, octave, step, ticks, marks, bracket, head, tablature)) {
          entered = false;
          break;
        }
        if (host_) host_->SoundPitch(std::clamp(pitch, 0, 127), ticks, kEntryVelocity, smAlone, TSoundFrom::Entry);
        if (advance) view.AdvanceCursor(score->LastEntryLength ? score->LastEntryLength : ticks);
      } else {
        entered = false;
      }
      break;
  }
  if (first >= 0 && regime == TInputRegime::Single) PressPoint();
  return entered;
}

bool TFNotes::ItemClick(TQSWindow& view, TQSCalcItem& element) {
  TQSScore* score = view.Score;
  TQSItem* item = element.Item;
  if (!score || Regime() == TInputRegime::Quick) return false;
  if (CBEraseNotes->Down()) {
    if (!item) return false;
    EraseItem(*score, item);
    return true;
  }
  if (AnyDown(B::bWholeNote, B::bNote64) || AnyDown(B::bPause, B::bPause64) || !item)
    return InsertToolItem(view, TInsertFrom::Click);
  const int bracket = IsDown(B::bBracketStyle) ? values_.BracketStyle + 1 : 0;
  // A modifier applied to the item: symbol, variant, double dot, value.
  struct TSymbol {
    B Button;
    int Symbol, Variant;
    bool Double;
    int Value;
  };
  const TSymbol symbols[] = {
      {B::bBemol, palettesymbol::Accidental, 0, false, bracket},
      {B::bDoubleBemol, palettesymbol::Accidental, 1, false, bracket},
      {B::bDiesis, palettesymbol::Accidental, 2, false, bracket},
      {B::bDoubleDiesis, palettesymbol::Accidental, 3, false, bracket},
      {B::bMicrotone, palettesymbol::Accidental, values_.MicroTone, false, bracket},
      {B::bBecarre, palettesymbol::Accidental, 4, false, bracket},
      {B::bBecarreBemol, palettesymbol::Accidental, 5, false, bracket},
      {B::bBecarreDiesis, palettesymbol::Accidental, 6, false, bracket},
      {B::bDot, palettesymbol::Dot, 0, false, 0},
      {B::bDoubleDot, palettesymbol::Dot, 0, true, 0},
      {B::bGlissandoUp, palettesymbol::Glissando, 0, false, 0},
      {B::bGlissandoDown, palettesymbol::Glissando, 1, false, 0},
      {B::bFallUp, palettesymbol::Fall, 0, false, 0},
      {B::bFallDown, palettesymbol::Fall, 1, false, 0},
      {B::bLift, palettesymbol::Lift, 0, false, 0},
  };
  for (const TSymbol& s : symbols)
    if (IsDown(s.Button)) {
      ApplySymbolToItem(*score, item, s.Symbol, s.Variant, s.Double, s.Value);
      return true;
    }
  // Articulations and marks go to the clicked note's place.
  const std::pair<B, std::pair<int, int>> marks[] = {
      {B::bStaccato, {kind::Staccato, 0}}, {B::bPortamento, {kind::Portamento, 0}},
      {B::bOpenHat, {kind::HiHat1, 0}},    {B::bHalfOpenHat, {kind::HiHat2, 0}},
      {B::bHandUp, {kind::Hand, 0}},       {B::bHandDown, {kind::Hand, 1}},
      {B::bTremolo, {kind::Tremolo, 0}}};
  for (const auto& [b, mark] : marks)
    if (IsDown(b)) {
      InsertMark(*score, mark.first, mark.second, b == B::bTremolo ? values_.Tremolo : 0, 0x10, 0, 2);
      return true;
    }
  const TSymbol heads[] = {
      {B::bBracketStyle, palettesymbol::Bracket, values_.BracketStyle, false, 0},
      {B::bFlazholetNote, palettesymbol::Flageolet, 0, false, values_.BracketStyle},
      {B::bBlankNote, palettesymbol::BlankHead, 2, false, 0},
      {B::bSmallNote, palettesymbol::Small, 1, false, 0}};
  for (const TSymbol& s : heads)
    if (IsDown(s.Button)) {
      ApplySymbolToItem(*score, item, s.Symbol, s.Variant, s.Double, s.Value);
      return true;
    }
  // A tie, slur or slide is drawn from the note with the view's tool.
  if (IsDown(B::bLigaUp) || IsDown(B::bLigaDown) || IsDown(B::bSlide)) {
    const TRect r = view.Geometry().ElementClientBox(element);
    const int lift = score->Scale * 4 / 100;
    view.LigaStyle = IsDown(B::bLigaUp) ? 0 : IsDown(B::bLigaDown) ? TQSLiga::kBelow : TQSLiga::kSlide;
    const int y = view.LigaStyle == 0 ? r.Top - lift : view.LigaStyle == TQSLiga::kBelow ? r.Bottom + lift : r.Top;
    view.StartTool(30, (r.Left + r.Right) / 2, y);
    return true;
  }
  return InsertToolItem(view, TInsertFrom::Click);
}

}  // namespace qs

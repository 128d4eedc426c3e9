// Notes and rests of the column layout: the head element with its staff
// position (or, on a tablature staff, its string and fret), the stem and
// its place in a beam, dots, ties and slurs, glissandos, falls and lifts,
// the rooms at the tick, the written accidentals and the alteration in
// force, and how the note sounds: key, channel, program, voice and its
// event with those of its effect notes.
#include <algorithm>
#include <string>
#include <vector>

#include "layout/context.h"
#include "layout/metrics.h"
#include "layout/sounding.h"
#include "layout/steps.h"
#include "platform/musicglyphs.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/windowlink.h"

namespace qs {

namespace {

bool OnCurrentStaff(const TLayoutContext& c, const TQSMeasure& m, int staffVoice) {
  const int staff = StaffOf(static_cast<uint8_t>(staffVoice));
  return m.AllVoices() ? c.Col.StaffIndex == 0 : staff == c.Col.StaffIndex;
}

// What the layout of one note gathers on its way.
struct TNoteWork {
  explicit TNoteWork(TQSNote& note) : Note(note) {}
  TQSNote& Note;
  TQSCalcItem* Head = nullptr;
  int Left = 0, Right = 0;  // rooms at the tick, pixels
  int DotRoom = 0;          // room the attached items need to the right
  int Attach = 0;           // attached items keep clear of an enclosure
  int Shift = 0;            // the head's shift beside the stem
  int Alteration = 0;       // the note's alteration in semitones
  bool TiedOnwards = false;
  std::vector<TQSEffect*> Effects;
};

// The head glyph a normal head style draws for a written length.
// Width of a music glyph at 128 (88 for small notes).
int MusicWidth(TLayoutContext& c, uint8_t glyph, bool small) {
  c.Fonts.SetMusicFont(small ? 88 : 128);
  return c.Fonts.GlyphWidth(glyph);
}

// The head's width and, for a drum head, where its stem attaches.
struct THeadShape {
  int Width = 48;
  int DownOffset = 0, UpOffset = 0;
};

THeadShape MeasureHead(TLayoutContext& c, const TQSNote& note) {
  THeadShape h;
  const int style = note.Fields.HeadStyle;
  const bool small = note.IsSmall();
  if (style == headstyle::Harmonic) {
    h.Width = small ? 32 : 48;
  } else if (!headstyle::IsDrum(style)) {
    h.Width = HeadGlyphWidth(c, note.Fields.Length, small);
  } else if (const TQSDrumInstrument* drum = c.Score.GetDrumInstrument(style - headstyle::FirstDrum)) {
    const std::string& face = drum->FontName.empty() ? c.Fonts.MusicFontName() : drum->FontName;
    c.Fonts.SetFont(face, (small ? 88 : 128) * (drum->Size ? drum->Size : 100) / 100);
    h.Width = c.Fonts.GlyphWidth(drum->GlyphByte);
    h.DownOffset = static_cast<int16_t>(drum->Word1);
    h.UpOffset = static_cast<int16_t>(drum->Word2);
  }
  return h;
}

// The head element: a note that asks to be selected is handed to the view.
TQSCalcItem* MakeHead(TLayoutContext& c, TQSNote& note) {
  TQSCalcItem* head = c.NewElement(&note, true, true);
  head->SizePercent = static_cast<uint8_t>(c.StaffSize());
  note.HeadElement = head;
  return head;
}

// The stem of a note, shared by the notes of a chord, and its place in a
// beam. box is the stem's box relative to anchorY, the head's centre.
void LayoutStem(TLayoutContext& c, TQSNote& note, TRect box, int anchorY) {
  TColumnState& col = c.Col;
  const int voice = VoiceOf(note.Fields.StaffVoice);
  TQSCalcItem*& open = col.OpenStem[static_cast<size_t>(voice)];
  if (open && !(open->Item && open->Item->TimePosition() == note.Fields.Time)) open = nullptr;
  const bool down = note.IsStemDown();
  if (open) {
    open->Box.Top = down ? anchorY : anchorY - c.Scaled(8 * note.Fields.StemLength);
    if (!note.IsChordMember()) open = nullptr;
    return;
  }
  TQSMeasure* m = col.Measure;
  TQSCalcItem* beam = nullptr;
  if (note.BeamGroup) {
    TQSMeasure* owner = note.BeamFromPrevious() && m->Previous() ? m->Previous() : m;
    if (note.BeamGroup < owner->BeamGroups.size()) {
      TQSBeamGroup& group = owner->BeamGroups[note.BeamGroup];
      if (!group.BeamElement) {
        group.BeamElement = c.NewElement(nullptr, true, true);
        group.BeamElement->ElementType = element::Beam;
        group.BeamElement->SizePercent = static_cast<uint8_t>(c.StaffSize());
      }
      beam = group.BeamElement;
    }
  }
  TQSCalcItem* s = c.NewElement(&note, true, true);
  s->ElementType = element::Stem;
  s->SizePercent = static_cast<uint8_t>(c.StaffSize());
  if (beam) beam->Links.push_back(s);
  s->Box = box;
  MoveDown(s->Box, anchorY);
  if (note.IsChordMember()) open = s;
}

// A tie or slur from the note. Returns whether the note's event is tied
// onwards into the note it ends on.
bool LayoutTie(TLayoutContext& c, TNoteWork& w, TQSLiga& tie, bool tab) {
  TQSNote& note = w.Note;
  const TQSCalcItem& head = *w.Head;
  TQSCalcMeasure* slot = c.Slot;
  TQSCalcItem* e = c.NewElement(&tie, true, true);
  e->SizePercent = static_cast<uint8_t>(c.StaffSize());
  const int endTick = note.Fields.Time + tie.Fields.Span;
  const int endStaff = StaffOf(tie.Fields.EndStaffVoice);
  const TQSStaff* staff = c.Part->GetStaff(endStaff);
  const bool inside = endTick < slot->Length;
  int endLevel = 0;
  if (inside)
    endLevel = ClefOffsetAt(c, staff ? staff->SystemRow : 0, tie.Fields.EndStaffVoice, endTick) * c.StaffSpace / 2;
  else
    c.Page->OpenSpans.push_back(e);
  e->Param = static_cast<uint16_t>(tie.Fields.Span ? tie.Fields.Span : note.Fields.RealLength);
  const bool fixed = tie.IsSlide();
  const bool below = tie.IsBelow();
  int startY;
  if (fixed)
    startY = c.Scaled(tie.Fields.StartY) + head.Box.Top;
  else if (tab)
    startY = below ? c.Scaled(tie.Fields.StartY) + head.Box.Bottom + 16 : c.Scaled(tie.Fields.StartY) + head.Box.Top - 16;
  else
    startY = below ? c.Scaled(tie.Fields.StartY + 16) + head.Box.Bottom : c.Scaled(tie.Fields.StartY - 16) + head.Box.Top;
  if (tie.IsSlur()) {
    e->Box2 = {c.ScoreScaled(tie.Fields.StartX), startY, c.ScoreScaled(tie.Fields.EndX), startY};
    if (inside) {
      // A slur-type tie ending in its measure is drawn as two pieces.
      TQSCalcItem* second = c.NewElement(&tie, true, true);
      second->SizePercent = e->SizePercent;
      second->Param = static_cast<uint16_t>(endTick);
      second->State = 2;
      second->Box2 = {c.ScoreScaled(tie.Fields.EndX), startY, c.ScoreScaled(tie.Fields.StartX), startY};
      e->State = 1;
      e->Next = second;
    }
    tie.LayoutLink = e;
    return false;
  }
  const int margin = fixed ? c.StaffSize() * c.Scale * 64 / 10000 : 0;
  int endY;
  bool onwards;
  if (tie.EndFromStart()) {
    if (fixed)
      endY = c.Scaled(tie.Fields.EndY) + head.Box.Top;
    else
      endY = below ? c.Scaled(tie.Fields.EndY) + head.Box.Bottom + 16 : c.Scaled(tie.Fields.EndY) + head.Box.Top - 16;
    onwards = true;
  } else {
    endY = c.Scaled(tie.Fields.EndY + endLevel) + RowTop(c.PartRow(endStaff));
    onwards = tie.Fields.Span == note.Fields.RealLength;
  }
  e->Box2 = {c.ScoreScaled(tie.Fields.StartX) + margin + w.Shift, startY, c.ScoreScaled(tie.Fields.EndX) - margin,
             endY};
  tie.LayoutLink = e;
  return onwards;
}

void LayoutDot(TLayoutContext& c, TNoteWork& w, TQSMark& dot) {
  TQSNote& note = w.Note;
  const TQSCalcItem& head = *w.Head;
  const int count = dot.Fields.Value;
  note.SelectFlags = static_cast<uint8_t>(note.SelectFlags & (count + 1));
  TQSCalcItem* e = c.NewElement(&dot, true, true);
  e->SizePercent = static_cast<uint8_t>(c.StaffSize());
  const int x = dot.Fields.OffsetX, y = dot.Fields.OffsetY;
  e->Box = c.StaffBox(x + w.Attach + 8, y + 8, 40 * (count + 1), y - 8);
  e->Box.Left += head.Box.Left + head.Box.Right;
  e->Box.Top += head.Box.Top;
  e->Box.Bottom += head.Box.Bottom;
  // A head on a line has its dots in the space above.
  if (note.StaffPosition % 2 == 0) MoveDown(e->Box, -(c.StaffSpace / 2));
  w.DotRoom = std::max(w.DotRoom, 6 * (count + 1));
}

// Glissandos, falls and lifts: a line glyph before or after the head.
void LayoutLine(TLayoutContext& c, TNoteWork& w, TQSMark& mark) {
  const TQSCalcItem& head = *w.Head;
  const int type = mark.ItemType;
  const bool variant = mark.Fields.Kind != 0;
  const bool small = w.Note.IsSmall();
  const int x = mark.Fields.OffsetX, y = mark.Fields.OffsetY;
  const int top = variant ? y + 16 : y - 48, bottom = variant ? y + 48 : y - 16;
  TQSCalcItem* e = c.NewElement(&mark, true, true);
  e->SizePercent = static_cast<uint8_t>(c.StaffSize());
  if (type == kind::Glissando) {
    const bool before = mark.Fields.Style & TQSMark::kGlissandoBefore;
    const uint8_t glyph = before == variant ? glyphs::GlissandoLineRisingToTheRight : glyphs::GlissandoLineFallingToTheRight;
    const int width = MusicWidth(c, glyph, small);
    if (before) {
      e->Box = {x - width - w.Attach - 8 + head.Box.Left, top, width, bottom};
      w.Left += 6;
    } else {
      e->Box = {x + w.Attach + 8 + head.Box.Left + head.Box.Right, top, width, bottom};
      w.DotRoom = std::max(w.DotRoom, 7);
    }
    e->Box.Top += head.Box.Top;
    e->Box.Bottom += head.Box.Bottom;
  } else if (type == kind::Fall) {
    const uint8_t glyph = variant ? glyphs::BrassFallLipMedium : glyphs::BrassDoitMedium;
    const int width = MusicWidth(c, glyph, small);
    e->Box = {x + w.Attach + 8 + head.Box.Left + head.Box.Right, top + head.Box.Top, width, bottom + head.Box.Bottom};
    w.DotRoom = std::max(w.DotRoom, 6);
  } else {
    const int width = MusicWidth(c, glyphs::BrassLiftShort, small);
    e->Box = {x - width - 8 + head.Box.Left, y - 16 + head.Box.Bottom, width, y + 48 + head.Box.Bottom};
    w.Left += 6;
  }
}

// The key a note sounds before drum mapping and written accidentals of a
// tablature note: its pitch, its alteration, the part's transposition, an
// octave up for head style 3; never above 127.
int NoteKey(const TLayoutContext& c, const TQSNote& note, int alteration) {
  const int key = NaturalKey(note.Fields.Pitch) + alteration + c.Part->TransportShift() +
                  (note.Fields.HeadStyle == headstyle::Harmonic ? 12 : 0);
  return std::clamp(key, 0, 127);
}

// ------------------------------------------------------------ normal staff

void LayoutStaffNote(TLayoutContext& c, TNoteWork& w) {
  TQSNote& note = w.Note;
  TColumnState& col = c.Col;
  const int tick = note.Fields.Time;
  const int value = note.Fields.Length;
  const uint8_t pitch = note.Fields.Pitch;
  const int step = SafeStep(pitch);
  const int style = note.Fields.HeadStyle;
  const bool small = note.IsSmall();
  const bool down = note.IsStemDown();
  const int space = c.StaffSpace;
  TQSCalcStaff* row = c.Row;
  const int rowTop = RowTop(row);

  w.Alteration = col.Alteration[static_cast<size_t>(step)];
  FlushChordAt(c, tick);
  w.Left = style == 1 ? 3 : value >= 512 ? 4 : 5;
  TQSCalcItem* head = MakeHead(c, note);
  w.Head = head;
  if (value > 255 && c.Staff->VoiceCount() > 1) col.LongNotes.push_back(head);
  if (note.SelectFlags & TQSNote::kSelectReselect)
    if (TQSWindowLink* view = c.Score.ActiveWindow()) view->AddToSelection(head);
  note.SelectFlags &= TQSNote::kSelectNoBeam;
  // The written accidental is worked out afresh from the note's marks.
  note.AccidentalDisplay = 0;

  TRect stem;
  int centre;  // the head's centre below the row's top
  if (style == headstyle::Slash) {
    // A slash on the middle line, whatever the pitch.
    w.Right = 4;
    const int width = c.Scaled(40);
    head->Box = {-width / 2, space - space / 2 + rowTop, width, 3 * space + space / 2 + rowTop};
    if (note.Enclosure()) {
      w.Left += 3;
      w.Right += 3;
      w.Attach = 24;
    }
    centre = 2 * space + space / 2;
    const int length = 8 * note.Fields.StemLength;
    stem = down ? c.StaffBox(0, 0, 6, length) : c.StaffBox(-6, -length, 6, 0);
  } else {
    w.Right = small ? 3 : value < 512 ? 6 : 4;
    const int position = StaffPosition(ClefOffsetAt(c, c.Staff->SystemRow, note.Fields.StaffVoice, tick), pitch);
    note.StaffPosition = static_cast<int16_t>(position);
    const int y0 = HeadTop(position, space);
    const THeadShape shape = MeasureHead(c, note);
    const int hw = shape.Width;
    if (note.IsHeadDisplaced()) {
      if (down) {
        w.Shift = 8 - hw;
        w.Left += hw / 8;
      } else {
        w.Shift = hw - 8;
        w.Left = std::max(0, w.Left - hw / 8);
        w.Right = std::max(w.Right, hw / 8 + 5);
      }
    }
    // A chord shifted to the other side of its stem: the chord's first
    // note, whose stem is open, decides.
    const TQSCalcItem* open = col.OpenStem[static_cast<size_t>(VoiceOf(note.Fields.StaffVoice))];
    const auto* chordNote = open && open->Item && open->Item->TimePosition() == tick
                                ? static_cast<const TQSNote*>(open->Item)
                                : &note;
    if (chordNote->IsHeadShifted()) {
      w.Shift += down ? hw - 8 : 8 - hw;
      (down ? w.Right : w.Left) += 3;
    }
    head->Box = {c.Scaled(-hw / 2 + w.Shift), y0 + rowTop, c.Scaled(hw), space + y0 + rowTop};
    if (note.Enclosure()) {
      w.Left += 3;
      w.Right += 3;
      w.Attach = 24;
    }
    const int r = StackRow(pitch);
    for (int k : {r, std::min(r + 1, 127)}) {
      TStackRow& sr = col.Stacking[static_cast<size_t>(k)];
      if (sr.HeadExtent < w.Left) sr.HeadExtent = sr.Extent = static_cast<uint8_t>(std::min(w.Left, 255));
    }
    centre = y0 + space / 2;
    const int length = 8 * note.Fields.StemLength;
    const int j2 = note.IsHeadShifted() ? (down ? hw - 8 : 8 - hw) : 0;
    stem = down ? c.StaffBox(j2 - hw / 2, shape.DownOffset, 6, length)
                : c.StaffBox(hw - hw / 2 + j2 - 6, -length, 6, shape.UpOffset);
  }
  if (row) {
    head->Box2.Top = row->Top;
    head->Box2.Bottom = row->Bottom;
  }
  if (value < 512) LayoutStem(c, note, stem, centre + rowTop);

  bool inForce = w.Alteration != 0;
  for (TQSItem* item : note.Items) {
    switch (item->ItemType) {
      case kind::Effect:
        if (auto* effect = ClassCast<TQSEffect>(item)) w.Effects.push_back(effect);
        break;
      case kind::Liga:
        if (auto* tie = ClassCast<TQSLiga>(item))
          if (LayoutTie(c, w, *tie, false)) w.TiedOnwards = true;
        break;
      case kind::Dot:
        if (auto* dot = ClassCast<TQSMark>(item)) LayoutDot(c, w, *dot);
        break;
      case kind::Accidental:
        if (auto* acc = ClassCast<TQSMark>(item)) {
          col.ChordList.push_back(acc);
          ApplyAccidental(acc->Fields.Kind, note.AccidentalDisplay, w.Alteration, inForce);
        }
        break;
      case kind::Glissando:
      case kind::Fall:
      case kind::Lift:
        if (auto* mark = ClassCast<TQSMark>(item)) LayoutLine(c, w, *mark);
        break;
      default: break;
    }
  }
  w.Right += w.DotRoom;
  col.Alteration[static_cast<size_t>(step)] = w.Alteration;
  note.SoundingKey = static_cast<uint8_t>(NoteKey(c, note, w.Alteration));
}

// ------------------------------------------------------------- tablature

void LayoutTabNote(TLayoutContext& c, TNoteWork& w) {
  TQSNote& note = w.Note;
  TColumnState& col = c.Col;
  const TQSStaff& staff = *c.Staff;
  const int tick = note.Fields.Time;
  const int value = note.Fields.Length;
  const int tabLine = c.TabLineDistance;
  TQSCalcStaff* row = c.Row;
  const int topLine = row ? row->TopLine : 0;

  // The written accidentals change the key only; the alteration in force
  // stays as the key signature and earlier notes left it.
  w.Alteration = col.Alteration[static_cast<size_t>(SafeStep(note.Fields.Pitch))];
  col.ChordTick = tick;
  note.AccidentalDisplay = 0;
  int written = 0;
  bool inForce = false;
  for (TQSItem* item : note.Items)
    if (item->ItemType == kind::Accidental)
      if (auto* acc = ClassCast<TQSMark>(item))
        ApplyAccidental(acc->Fields.Kind, note.AccidentalDisplay, written, inForce);
  note.SoundingKey = static_cast<uint8_t>(std::clamp(NoteKey(c, note, w.Alteration) + written, 0, 127));
  if (note.Fields.TabFret == 0) ChooseString(staff, note);

  c.Fonts.SetTextFont(56);
  const int fret = c.Fonts.TextWidth(note.Fields.TabFret ? std::to_string(note.Fields.TabFret - 1) : "N");
  w.Left = fret / 16;
  w.Right = fret / 8 - fret / 16;
  if (value < 512) w.Right = std::max(w.Right, 5);
  if (note.Enclosure() || (value > 128 && staff.Fields.Stems)) {
    w.Left += 3;
    w.Right += 3;
    w.Attach = 24;
  }
  const int r = 66 + staff.Fields.LineCount - note.Fields.TabString;
  for (int k : {r, r + 1}) {
    if (k < 0 || k > 127) continue;
    TStackRow& sr = col.Stacking[static_cast<size_t>(k)];
    if (sr.HeadExtent < w.Left) sr.HeadExtent = sr.Extent = static_cast<uint8_t>(std::min(w.Left + 2, 255));
  }

  TQSCalcItem* head = MakeHead(c, note);
  w.Head = head;
  const int y0 = (staff.Fields.LineCount - note.Fields.TabString - 1) * tabLine;
  head->Box = {c.Scaled(-fret / 2), -tabLine / 2 + y0 + topLine, c.Scaled(fret), tabLine / 2 + y0 + topLine};
  if (row) {
    head->Box2.Top = row->TopLine;
    head->Box2.Bottom = row->BottomLine;
  }

  const int dotRoom = w.DotRoom;
  for (TQSItem* item : note.Items) {
    if (item->ItemType == kind::Effect) {
      if (auto* effect = ClassCast<TQSEffect>(item)) w.Effects.push_back(effect);
    } else if (item->ItemType == kind::Liga) {
      if (auto* tie = ClassCast<TQSLiga>(item))
        if (LayoutTie(c, w, *tie, true)) w.TiedOnwards = true;
    } else if (item->ItemType == kind::Dot) {
      if (auto* dot = ClassCast<TQSMark>(item)) LayoutDot(c, w, *dot);
    }
  }
  w.DotRoom = dotRoom;

  if (value < 512) {
    const int length = 8 * note.Fields.StemLength;
    const TRect stem =
        note.IsStemDown() ? c.StaffBox(0, tabLine / 2, 4, length) : c.StaffBox(0, -length, 4, -(tabLine / 2));
    LayoutStem(c, note, stem, topLine + y0);
  }
}

// ---------------------------------------------------------------- playback

// The note's event in the slot where a note tied onwards into this one was
// found: the slot's list of such events, the tick where they must end.
TQSCalcEvent* FindTiedEvent(const TLayoutContext& c, const TQSCalcMeasure* slot, const TQSNote& note, int end) {
  if (!slot) return nullptr;
  for (TQSCalcEvent* ev : slot->SpanningItems) {
    const TQSItem* item = ev->Item;
    const auto* other = item && item->ItemType == kind::Note ? static_cast<const TQSNote*>(item) : nullptr;
    if (!other || ev->Tremolo != 0 || other == &note) continue;
    const TQSMeasure* m = other->GetMeasure();
    if (other->Fields.StaffVoice == note.Fields.StaffVoice && other->SoundingKey == note.SoundingKey &&
        other->Fields.Time + other->Fields.RealLength == end && m && m->Part() == c.Part)
      return ev;
  }
  return nullptr;
}

TQSCalcMeasure* SlotOfMeasure(const TLayoutContext& c, int measure) {
  const TQSPiece* piece = c.Piece;
  if (!piece || measure < 0 || measure >= static_cast<int>(piece->Slots.size())) return nullptr;
  return ClassCast<TQSCalcMeasure>(piece->Slots[static_cast<size_t>(measure)]);
}

// The volta number of the play-order visit of the measure being laid out.
int CurrentVolta(const TLayoutContext& c) {
  const TQSPiece* piece = c.Piece;
  if (c.VisitMade)
    return c.OwnVisit >= 0 && c.OwnVisit < std::min<int>(piece->VisitCount, static_cast<int>(piece->Visits.size()))
               ? piece->Visits[static_cast<size_t>(c.OwnVisit)]->Volta
               : 0;
  return c.Page->VoltaLeft >= 0 ? c.Page->VoltaNumber : 0;
}

// The slot of the nearest visit before the current measure's that lies in
// no volta ending.
TQSCalcMeasure* SlotBeforeVolta(const TLayoutContext& c) {
  const TQSPiece* piece = c.Piece;
  for (int i = std::min<int>(piece->VisitCount, static_cast<int>(piece->Visits.size())) - 1; i >= 0; --i) {
    const TQSCalcVisit& v = *piece->Visits[static_cast<size_t>(i)];
    if (v.Measure != c.MeasureIndex && v.Volta == 0) return SlotOfMeasure(c, v.Measure);
  }
  return nullptr;
}

// A second ending begins with the tie that left the last note before the
// first ending: an arc continued from the measure start to this note.
void ContinueTieIntoVolta(TLayoutContext& c, TNoteWork& w, const TQSNote& from, const TQSCalcMeasure* fromSlot) {
  TQSLiga* tie = nullptr;
  for (TQSItem* item : from.Items)
    if (auto* t = ClassCast<TQSLiga>(item); t && !t->IsSlur()) {
      tie = t;
      break;
    }
  if (!tie) return;
  TQSCalcItem* earlier = tie->LayoutLink;
  for (int steps = 0; earlier && earlier->Owner != fromSlot && steps < kMaxElementChain; ++steps)
    earlier = earlier->Next;
  TQSCalcItem* e = c.NewElement(tie, true, true);
  e->SizePercent = static_cast<uint8_t>(c.StaffSize());
  e->State = 3;
  e->Flags = kTieEndsAtMeasureStart;
  e->Param = w.Note.Fields.Length;
  const TQSStaff* staff = c.Part->GetStaff(StaffOf(from.Fields.StaffVoice));
  const int size = c.StaffSizeOf(staff);
  int y = w.Note.StaffPosition * c.StaffSpace / 2 + RowTop(c.PartRow(StaffOf(from.Fields.StaffVoice)));
  if (!tie->IsSlide()) y += c.ScaledBy(tie->IsBelow() ? tie->Fields.StartY + 40 : tie->Fields.StartY - 40, size);
  e->Box2 = {c.ScoreScaled(tie->Fields.StartX), y, c.ScoreScaled(tie->Fields.EndX), y};
  if (earlier) {
    earlier->Next = e;
    tie->LayoutLink = earlier;
  } else {
    tie->LayoutLink = e;
  }
}

// Bit 7 of the select byte: the note continues a note tied onwards into
// it, which sounds for both.
void TiedFromPrevious(TLayoutContext& c, TNoteWork& w) {
  TQSNote& note = w.Note;
  note.SelectFlags &= static_cast<uint8_t>(~TQSNote::kSelectTiedFromPrevious);
  const int tick = note.Fields.Time;
  const TQSCalcEvent* found = nullptr;
  if (tick > 0 || c.MeasureIndex == 0) {
    found = FindTiedEvent(c, c.Slot, note, tick);
  } else if (CurrentVolta(c) >= 2) {
    if (TQSCalcMeasure* slot = SlotBeforeVolta(c)) {
      found = FindTiedEvent(c, slot, note, slot->Length);
      if (found) ContinueTieIntoVolta(c, w, static_cast<const TQSNote&>(*found->Item), slot);
    }
  } else if (const TQSCalcMeasure* prev = SlotOfMeasure(c, c.MeasureIndex - 1)) {
    found = FindTiedEvent(c, prev, note, prev->Length);
  }
  if (found) note.SelectFlags |= TQSNote::kSelectTiedFromPrevious;
}

void NotePlayback(TLayoutContext& c, TNoteWork& w) {
  TQSNote& note = w.Note;
  TQSPart* part = c.Part;
  note.Voice = FindVoice(part, note.Fields.StaffVoice);
  const bool drum = c.PercussionClef;
  if (drum) {
    note.MidiChannel = kDrumChannel;
    note.MidiProgram = 0;
    note.SoundingKey = static_cast<uint8_t>(DrumKey(c.Score, note.SoundingKey, note.Fields.HeadStyle));
  } else {
    const TSound sound = VoiceSound(note.Voice, part);
    note.MidiChannel = sound.Channel;
    note.MidiProgram = sound.Program;
  }
  TiedFromPrevious(c, w);
  TQSCalcEvent* ev = AddEvent(c, &note, note.Fields.Time + note.Fields.PlayOffset);
  ev->Item2 = nullptr;
  ev->Duration = static_cast<int16_t>(note.Fields.PlayLength ? note.Fields.PlayLength : note.Fields.RealLength);
  ev->Tremolo = 0;
  if (w.TiedOnwards) c.Slot->SpanningItems.push_back(ev);
  for (TQSEffect* effect : w.Effects) {
    ev->Tremolo = effect->MarkKind == kind::Tremolo ? 1 : 0;
    SetEffectSound(c, *effect, note);
    AddEvent(c, effect, effect->Fields.Time);
  }
}

}  // namespace

void SetEffectSound(TLayoutContext& c, TQSEffect& effect, const TQSNote& note) {
  effect.MidiChannel = note.MidiChannel;
  effect.MidiProgram = note.MidiProgram;
  effect.Voice = note.Voice;
  if (c.PercussionClef) {
    effect.SoundingKey = note.SoundingKey;
    return;
  }
  // An ornament's own accidental replaces the one in force on its step.
  const uint8_t pitch = effect.Fields.Pitch;
  int alteration;
  switch (effect.Fields.Accidental) {
    case 50: alteration = -1; break;
    case 52: alteration = 1; break;
    case 54: alteration = 0; break;
    default: alteration = c.Col.Alteration[static_cast<size_t>(SafeStep(pitch))]; break;
  }
  const int key = NaturalKey(pitch) + alteration + (c.Part ? c.Part->TransportShift() : 0);
  effect.SoundingKey = static_cast<uint8_t>(std::clamp(key, 0, 127));
}

void LayoutNote(TLayoutContext& c, TQSNote& note) {
  TColumnState& col = c.Col;
  TQSMeasure* m = col.Measure;
  TQSCalcMeasure* slot = c.Slot;
  if (!m || !OnCurrentStaff(c, *m, note.Fields.StaffVoice) || note.Fields.Time >= slot->Length) return;
  if (VoiceOf(note.Fields.StaffVoice) >= c.Staff->VoiceCount()) return;
  slot->Occupancy = 2;
  ++m->StaffNoteCounts[static_cast<size_t>(col.StaffIndex)];
  c.PercussionClef = false;

  TNoteWork w(note);
  if (c.Staff->Fields.Tablature)
    LayoutTabNote(c, w);
  else
    LayoutStaffNote(c, w);
  NotePlayback(c, w);
  c.PlaceTimedRooms(note.Fields.Time, note.Fields.RealLength, w.Left, w.Right);
}

void LayoutRest(TLayoutContext& c, TQSPause& rest) {
  TColumnState& col = c.Col;
  TQSMeasure* m = col.Measure;
  TQSCalcMeasure* slot = c.Slot;
  if (!m || !OnCurrentStaff(c, *m, rest.Fields.StaffVoice) || rest.Fields.Time >= slot->Length) return;
  slot->Occupancy = slot->Occupancy == 0 ? 1 : 2;
  ++m->StaffNoteCounts[static_cast<size_t>(col.StaffIndex)];
  const int tick = rest.Fields.Time;
  FlushChordAt(c, tick);

  const int value = rest.Fields.Length;
  static constexpr int kRooms[][3] = {{15, 5, 8}, {31, 5, 7}, {63, 4, 6}, {127, 4, 4}, {255, 3, 4}};
  int left = 3, right = 3;
  for (const auto& r : kRooms)
    if (value <= r[0]) {
      left = r[1];
      right = r[2];
      break;
    }
  if (rest.Enclosure()) {
    left += 3;
    right += 3;
  }

  TQSCalcItem* e = c.NewElement(&rest, true, true);
  e->SizePercent = static_cast<uint8_t>(c.StaffSize());
  const int space = c.StaffSpace, tabLine = c.TabLineDistance;
  const int y = c.Scaled(rest.Fields.OffsetY);
  const bool tab = c.Staff->Fields.Tablature;
  const TQSPiece* piece = c.Piece;
  const bool fills = rest.Fields.Length == slot->Length &&
                     (slot->MeasureIndex != 0 || UpbeatLength(piece ? piece->Auftakt() : 0) < 256);
  int width;
  if (value == 512 || fills) {
    // Hung from the second line.
    width = c.Scaled(48);
    e->Box = tab ? TRect{c.Scaled(-24), y + 2 * tabLine, width, y + tabLine / 2 + 2 * tabLine}
                 : TRect{c.Scaled(-24), y + space, space, y + space / 2 + space};
  } else if (value == 256) {
    // Sitting on the middle line.
    width = c.Scaled(48);
    e->Box = tab ? TRect{c.Scaled(-24), y - tabLine / 2 + 3 * tabLine, width, y + 3 * tabLine}
                 : TRect{c.Scaled(-24), y - space / 2 + 2 * space, width, y + 2 * space};
  } else {
    width = c.Scaled(c.Glyph128[RestGlyph(value)]);
    e->Box = {-width / 2, y - space + 2 * space, width, y + 2 * space + 2 * space};
  }
  MoveDown(e->Box, RowTop(c.Row));
  if (c.Row) {
    const int above = c.Row->Top - space, below = c.Row->Bottom + space;
    if ((value == 512 && (e->Box.Top <= above || e->Box.Top >= below)) ||
        (value == 256 && (e->Box.Bottom <= above || e->Box.Bottom >= below)))
      e->State = 1;
  }
  if (rest.IsShiftedRight()) {
    e->Box.Left += width + 8;
    right += 3;
  }
  for (TQSItem* item : rest.Items) {
    auto* dot = item->ItemType == kind::Dot ? ClassCast<TQSMark>(item) : nullptr;
    if (!dot) continue;
    const int count = dot->Fields.Value;
    TQSCalcItem* d = c.NewElement(dot, true, true);
    d->SizePercent = e->SizePercent;
    int top, bottom;
    if (value >= 128) {
      top = e->Box.Top + 32;
      bottom = e->Box.Bottom - 32;
    } else {
      const int mid = (e->Box.Top + e->Box.Bottom) / 2;
      top = mid - 16;
      bottom = mid + 16;
    }
    d->Box = {e->Box.Left + e->Box.Right + dot->Fields.OffsetX, top + dot->Fields.OffsetY, 48 * (count + 1),
              bottom + dot->Fields.OffsetY};
    right += 6 * (count + 1);
  }
  c.PlaceTimedRooms(tick, rest.Fields.RealLength, left, right);
}

// ------------------------------------------------ placement on the page

namespace {

// How far ottavas move a note's sounding key.
int OttavaShift(TPlacement& p, const TQSNote& note) {
  TLayoutContext& c = p.c;
  const int tick = TLayoutContext::AnchorTick(&note);
  const int length = note.Fields.RealLength;
  const TQSMeasure* noteMeasure = note.GetMeasure();
  int shift = 0;
  for (const TQSCalcItem* e : p.Slot->SpanningMarks) {
    const auto* mark = ClassCast<const TQSMark>(e->Item);
    const TQSMeasure* markMeasure = mark ? mark->GetMeasure() : nullptr;
    if (!mark || !markMeasure || !noteMeasure || markMeasure->Part() != noteMeasure->Part() ||
        StaffOf(mark->Fields.StaffVoice) != StaffOf(note.Fields.StaffVoice))
      continue;
    int from, to;
    const TQSCalcMeasure* own = e->Owner;
    if (own && own != p.Slot) {
      int remaining = mark->Fields.Time + mark->Fields.Value - own->Length;
      for (int m = own->MeasureIndex + 1; m < p.Slot->MeasureIndex; ++m)
        if (m < static_cast<int>(c.Piece->Slots.size()) && c.Piece->Slots[static_cast<size_t>(m)])
          remaining -= c.Piece->Slots[static_cast<size_t>(m)]->Length;
      from = 0;
      to = remaining;
    } else {
      from = mark->Fields.Time;
      to = std::min<int>(mark->Fields.Time + mark->Fields.Value, p.Slot->Length);
    }
    if (tick < to && tick + length > from) shift += mark->Fields.Kind == 0 ? 12 : -12;
  }
  return shift;
}

// The x where a slot-wide sign of the given width is centred between the
// header and the slot's end.
int SlotCentre(const TPlacement& p) { return p.Left() + (p.Header() + p.Slot->Width) / 2; }

}  // namespace

// A note stands at its tick and sounds its key moved by the ottavas over it.
void PlaceNote(TPlacement& p, TQSCalcItem& e) {
  TPlacement::MoveByWithWidth(e.Box, p.X(TLayoutContext::AnchorTick(e.Item)));
  auto* note = static_cast<TQSNote*>(e.Item);
  note->SoundingKey = static_cast<uint8_t>(std::clamp(note->SoundingKey + OttavaShift(p, *note), 0, 127));
}

// A rest alone on its staff that fills the measure is centred in it
// (except in an upbeat measure); others stand at their tick.
void PlaceRest(TPlacement& p, TQSCalcItem& e) {
  TRect& box = e.Box;
  const auto* rest = static_cast<const TQSPause*>(e.Item);
  const TQSMeasure* measure = rest->GetMeasure();
  const size_t staff = static_cast<size_t>(StaffOf(rest->Fields.StaffVoice));
  const bool alone = measure && staff < measure->StaffNoteCounts.size() && measure->StaffNoteCounts[staff] == 1;
  const bool upbeat = p.Slot->MeasureIndex == 0 && p.c.Piece && HasUpbeat(p.c.Piece->Auftakt());
  if (alone && rest->Fields.Length == p.Slot->Length && !upbeat)
    box.Left += SlotCentre(p);
  else
    box.Left += p.X(TLayoutContext::AnchorTick(e.Item));
  box.Right += box.Left;
}

// Dots, accidentals, glissandi and falls stand at the tick of their note.
void PlaceNoteAttachment(TPlacement& p, TQSCalcItem& e) {
  const TQSItemOwner* holder = e.Item->Owner();
  // Nearly always a note: its class answers without a search of the tree.
  const TQSItem* owner = holder && typeid(*holder) == typeid(TQSNote) ? static_cast<const TQSNote*>(holder)
                                                                      : dynamic_cast<const TQSItem*>(holder);
  TPlacement::MoveByWithWidth(e.Box, p.X(TLayoutContext::AnchorTick(owner ? owner : e.Item)));
}

// A bar repeat sign between two measures stands at the slot's end; one
// for the measure is centred in it.
void PlaceBarRepeat(TPlacement& p, TQSCalcItem& e) {
  const auto* mark = static_cast<const TQSMark*>(e.Item);
  const bool betweenMeasures = (mark->Fields.Style & TQSMark::kBarRepeatTwoMeasures) != 0;
  TPlacement::MoveByWithWidth(e.Box, betweenMeasures ? p.Left() + p.Slot->Width : SlotCentre(p));
}

// A multi-measure rest: its bar (Box2) centred in the slot, as long as
// its style asks; its number above it (Box, which arrives holding the
// number's width and the letters' height).
void PlaceMultiRest(TPlacement& p, TQSCalcItem& e) {
  const auto* mark = static_cast<const TQSMark*>(e.Item);
  const int space = p.c.StaffSpace;
  int barWidth;
  switch (mark->Fields.Style) {
    case 2: case 4: barWidth = space / 2; break;
    case 3: case 5: barWidth = 2 * space; break;
    case 6: case 8: barWidth = space + space / 2; break;
    case 7: case 9: barWidth = 3 * space; break;
    default: barWidth = p.Slot->Width - 2 * space - p.Header(); break;
  }
  TRect& bar = e.Box2;
  bar.Left += p.Left() + (p.Slot->Width + p.Header() - barWidth) / 2;
  bar.Right = bar.Left + barWidth;
  TRect& box = e.Box;
  const int numberWidth = box.Left, numberHeight = box.Top;
  const int width = std::max(barWidth, numberWidth);
  box.Left = bar.Left + (barWidth - width) / 2;
  box.Right = box.Left + width;
  box.Bottom = bar.Bottom;
  box.Top = bar.Top - numberHeight;
}

}  // namespace qs

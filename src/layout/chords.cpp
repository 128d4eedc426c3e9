// Symbols beside the note heads of a chord: accidentals stacked in columns
// to the left of the heads, clef changes inside the measure, grace-note
// groups, arpeggios and similar vertical signs, and tremolo strokes to the
// right. Grace notes also get how they sound and their events here.
#include <algorithm>
#include <string>

#include "layout/context.h"
#include "layout/metrics.h"
#include "layout/sounding.h"
#include "layout/steps.h"
#include "score/accidentals.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/score.h"

namespace qs {

namespace {

// Width in pixels of an accidental kind's column; 0 for kinds not placed.
int AccidentalWidth(int k) {
  using namespace accidental;
  switch (k) {
    case Flat: case QuarterToneFlat: case Sharp: case Natural: return 5;
    case EighthToneFlat: case QuarterToneFlatArrows: case ThreeEighthToneFlat: case ThreeQuarterToneSharp: return 7;
    case DoubleFlat: case ThreeQuarterToneFlat: case NaturalFlat: case NaturalSharp: return 9;
    case DoubleSharp: case EighthToneSharp: case QuarterToneSharpArrows: case ThreeEighthToneSharp: return 6;
    case QuarterToneSharp: return 4;
    default: return 0;
  }
}

// Top and bottom of an accidental's box around the line of its note.
struct TAccidentalExtent {
  int Top, Bottom;
};
TAccidentalExtent AccidentalExtent(int k) {
  if (accidental::IsFlatShaped(k)) return {-96, 24};
  if (k == accidental::DoubleSharp) return {-24, 24};
  return {-72, 72};
}

int AccidentalGlyphWidth(TLayoutContext& c, int k, int size) {
  const uint8_t glyph = accidental::Glyph(k);
  if (!glyph) return 0;
  if (size == 128 && glyph <= glyphs::AccidentalNaturalSharp) return c.Glyph128[glyph];
  c.Fonts.SetMusicFont(size);
  return c.Fonts.GlyphWidth(glyph);
}

void RaiseLeft(TLayoutContext& c, int tick, int room) {
  if (c.FixedMeasureCount() || !c.Slot || tick < 0 || tick >= c.Slot->Length) return;
  const int before = LeftRoom(c.Slot->Positions[static_cast<size_t>(tick)]);
  c.RaiseLeftRoom(tick, room);
  if (tick == 0 && LeftRoom(c.Slot->Positions[0]) > before) c.Col.FirstPositionChanged = true;
}

int RightRoomAt(const TLayoutContext& c, int tick) {
  return tick >= 0 && tick < c.Slot->Length ? RightRoom(c.Slot->Positions[static_cast<size_t>(tick)]) : 0;
}

TQSCalcStaff* PartRow(TLayoutContext& c, int staff) {
  return c.SystemPart ? c.PageRow(c.SystemPart->FirstRow + staff) : nullptr;
}

void PlaceAccidental(TLayoutContext& c, TQSMark& acc) {
  TQSNote* note = nullptr;
  if (auto* holder = dynamic_cast<TQSItemHolder*>(acc.Owner())) note = ClassCast<TQSNote>(holder);
  if (!note) return;
  const int k = acc.Fields.Kind;
  int room = AccidentalWidth(k);
  if (room == 0) return;
  const int b = acc.Frame() != TQSMark::kFrameNone ? 3 : 0;
  room += 2 * b;
  const int r = StackRow(note->Fields.Pitch);
  int top, bottom;  // rows covered, top first
  if (accidental::IsFlatShaped(k)) {
    top = r + 3, bottom = r;
  } else if (k == 3) {
    top = r + 1, bottom = r - 1;
  } else {
    top = r + 3, bottom = r - 3;
  }
  top = std::min(top, 127);
  bottom = std::max(bottom, 0);
  TColumnState& col = c.Col;
  int x = 0;
  bool gapTest = true;
  for (int row = top; row >= bottom; --row) {
    const TStackRow& sr = col.Stacking[static_cast<size_t>(row)];
    if (gapTest && sr.AccidentalEdge - sr.HeadExtent >= room) {
      x = sr.HeadExtent + room;
    } else if (sr.Extent + room > x) {
      x = sr.Extent + room;
      gapTest = false;
    }
  }
  x = std::min(x, 255);
  for (int row = top; row >= bottom; --row) {
    TStackRow& sr = col.Stacking[static_cast<size_t>(row)];
    sr.Extent = static_cast<uint8_t>(std::max<int>(sr.Extent, x));
    sr.AccidentalEdge = static_cast<uint8_t>(std::max(x - room, 0));
  }
  TQSCalcItem* e = c.NewElement(&acc, true, true);
  e->SizePercent = static_cast<uint8_t>(c.StaffSize());
  const int width = AccidentalGlyphWidth(c, k, 128);
  const int staff = StaffOf(note->Fields.StaffVoice);
  TQSStaff* st = c.Part->GetStaff(staff);
  const int position =
      StaffPosition(ClefOffsetAt(c, st ? st->SystemRow : 0, note->Fields.StaffVoice, note->Fields.Time), note->Fields.Pitch);
  const int y = c.StaffSpace * position / 2;
  // An accidental of the sharp group with value 5 stays where it was put.
  const bool keepX = !accidental::IsFlatShaped(k) && k != accidental::DoubleSharp && acc.Fields.Value == 5;
  const TAccidentalExtent ext = keepX ? TAccidentalExtent{-84, 60} : AccidentalExtent(k);
  const int ax = keepX ? acc.Fields.OffsetX : acc.Fields.OffsetX - (x - b) * 8;
  e->Box = c.StaffBox(ax, acc.Fields.OffsetY + ext.Top, width, acc.Fields.OffsetY + ext.Bottom);
  TQSCalcStaff* row = PartRow(c, staff);
  e->Row = row;
  const int dy = (row ? row->Top : 0) + y;
  e->Box.Top += dy;
  e->Box.Bottom += dy;
  RaiseLeft(c, col.ChordTick, x);
}

int LargestExtent(const TColumnState& col) {
  int m = 0;
  for (const TStackRow& sr : col.Stacking) m = std::max<int>(m, sr.Extent);
  return m;
}

void PlaceClefChange(TLayoutContext& c, TQSMark& clef) {
  const int m = LargestExtent(c.Col);
  const int size = c.StaffSize();
  const int width = ClefGlyphWidth(c, clef.Fields.Kind, size);
  TQSCalcItem* e = c.NewElement(&clef, true, true);
  e->SizePercent = static_cast<uint8_t>(size);
  e->Param = clef.Fields.Time;
  clef.LayoutLink = e;
  const TClefExtent ext = ClefExtents(clef.Fields.Kind);
  e->Box = c.StaffBox(clef.Fields.OffsetX - (m + width) * 8, clef.Fields.OffsetY + ext.Top, width * 8,
                      clef.Fields.OffsetY + ext.Bottom);
  TQSCalcStaff* row = PartRow(c, StaffOf(clef.Fields.StaffVoice));
  e->Row = row;
  if (row) {
    e->Box.Top += row->Top;
    e->Box.Bottom += row->Bottom;
  }
  RaiseLeft(c, clef.Fields.Time, width + 8);
}

void PlaceVerticalSign(TLayoutContext& c, TQSMark& mark) {
  const int m = LargestExtent(c.Col);
  const bool arpeggio = mark.ItemType == kind::Arpeggio;
  const int width = arpeggio ? 4 : 6;
  const int height = arpeggio ? mark.Fields.Value * 64 + 48 : mark.Fields.Value;
  TQSCalcItem* e = c.NewElement(&mark, true, true);
  e->SizePercent = static_cast<uint8_t>(c.StaffSize());
  e->Box = c.StaffBox(mark.Fields.OffsetX - (m + width) * 8, mark.Fields.OffsetY - 24, width * 8,
                      mark.Fields.OffsetY - 24 + height);
  const TQSCalcStaff* first = PartRow(c, 0);
  e->Box.Top += first ? first->Top : 0;
  e->Box.Bottom += first ? first->Top : 0;
  RaiseLeft(c, mark.Fields.Time, m + width);
}

void PlaceTremolo(TLayoutContext& c, TQSMark& mark) {
  const int e12 = mark.Fields.Value * 12 + 8;
  TQSCalcItem* e = c.NewElement(&mark, true, true);
  e->SizePercent = static_cast<uint8_t>(c.StaffSize());
  e->Box = c.StaffBox(RightRoomAt(c, mark.Fields.Time) * 8 + mark.Fields.OffsetX, mark.Fields.OffsetY - e12, 96,
                      mark.Fields.OffsetY + e12);
  const TQSCalcStaff* first = PartRow(c, 0);
  e->Box.Top += first ? first->Top : 0;
  e->Box.Bottom += first ? first->Top : 0;
  if (!c.FixedMeasureCount()) c.RaiseRightRoom(mark.Fields.Time, 12);
}

// ------------------------------------------------------------- grace notes

// The running values of one grace group: where it begins beside the main
// note (units from the tick), the running x from there, the beam of its
// notes.
struct TGraceWork {
  TGraceWork(TQSVorschlag& group, int base) : Group(group), Base(base) {}
  TQSVorschlag& Group;
  int Base = 0;
  int X = 0;
  TQSCalcItem* Beam = nullptr;
  // A chord of grace notes stands in one column with one stem length: the
  // note laid out next shares the column of the one before, whose x and
  // stem these are.
  bool SameColumn = false;
  int LastX = 0;
  TQSCalcItem* LastStem = nullptr;
};

// A tie from a grace note (at distance `distance` from the group's tick,
// head top y below the row's top), usually to its main note.
void LayoutGraceTie(TLayoutContext& c, const TGraceWork& g, TQSLiga& tie, int distance, int y) {
  TQSCalcMeasure* slot = c.Slot;
  const int end = g.Group.Fields.Time + tie.Fields.Span;
  TQSCalcItem* e = c.NewElement(&tie, true, true);
  e->SizePercent = static_cast<uint8_t>(c.StaffSize());
  int level = 0;
  if (end < slot->Length)
    level = ClefOffsetAt(c, c.Staff->SystemRow, tie.Fields.EndStaffVoice, end) * c.StaffSpace / 2;
  else
    c.Page->OpenSpans.push_back(e);
  e->Param = tie.Fields.Span;
  const int rowTop = c.Row ? c.Row->Top : 0;
  const bool fixed = tie.IsSlide();
  const int margin = fixed ? c.StaffSize() * c.Scale * 64 / 10000 : 0;
  TRect& b = e->Box2;
  b.Top = rowTop + c.Scaled(tie.Fields.StartY) + y;
  if (!fixed) b.Top += tie.IsBelow() ? c.StaffSpace + 6 : -16;
  b.Bottom = tie.EndFromStart() ? b.Top : rowTop + c.Scaled(tie.Fields.EndY + level);
  b.Left = c.ScoreScaled(tie.Fields.StartX) + margin - c.Scaled(distance);
  b.Right = c.ScoreScaled(tie.Fields.EndX) - margin;
  tie.LayoutLink = e;
}

// One note of a grace group: its head beside the main note, its
// accidentals, ties and stem, and how it sounds.
void LayoutGraceNote(TLayoutContext& c, TGraceWork& g, TQSNote& note) {
  const TQSStaff& staff = *c.Staff;
  const TQSVorschlag& group = g.Group;
  const int tick = group.Fields.Time;
  const int value = note.Fields.Length;
  const bool tab = staff.Fields.Tablature;
  const int space = c.StaffSpace, tabLine = c.TabLineDistance;
  TQSCalcStaff* row = c.Row;
  const int rowTop = row ? (tab ? row->TopLine : row->Top) : 0;
  c.PercussionClef = false;

  TQSCalcItem* head = c.NewElement(&note, true, true);
  head->SizePercent = static_cast<uint8_t>(c.StaffSize());
  note.HeadElement = head;

  // The written pitch with the alteration in force and the note's own
  // accidentals (which leave the alteration in force as it is).
  const int step = SafeStep(note.Fields.Pitch);
  int alteration = c.Col.Alteration[static_cast<size_t>(step)];
  bool inForce = alteration != 0;
  note.AccidentalDisplay = 0;
  if (!tab)
    for (TQSItem* item : note.Items)
      if (auto* acc = item->ItemType == kind::Accidental ? ClassCast<TQSMark>(item) : nullptr)
        ApplyAccidental(acc->Fields.Kind, note.AccidentalDisplay, alteration, inForce);
  const int key = NaturalKey(note.Fields.Pitch) + alteration + (c.Part ? c.Part->TransportShift() : 0);
  note.SoundingKey = static_cast<uint8_t>(std::clamp(key, 0, 127));

  int y, width;  // head top below the row's top, head width
  if (tab) {
    if (note.Fields.TabFret == 0) ChooseString(staff, note);
    y = (staff.Fields.LineCount - note.Fields.TabString - 1) * tabLine - tabLine / 2;
    c.Fonts.SetTextFont(40);
    width = c.Fonts.TextWidth(note.Fields.TabFret ? std::to_string(note.Fields.TabFret - 1) : "N");
  } else {
    const int position =
        StaffPosition(ClefOffsetAt(c, staff.SystemRow, note.Fields.StaffVoice, tick), note.Fields.Pitch);
    note.StaffPosition = static_cast<int16_t>(position);
    y = HeadTop(position, space);
    width = HeadGlyphWidth(c, value, true);
  }
  const int x = g.SameColumn ? g.LastX : g.X;
  if (!g.SameColumn) g.X += width + c.NoteInterval * 2 / 3 + group.Fields.Spacing * 8;
  g.LastX = x;
  // Before the main note the group reaches to the left of its tick, after
  // it to the right.
  const int distance = g.Base + x;
  const int left = group.IsAfter() ? c.Scaled(distance) : -c.Scaled(distance) - c.Scaled(width);
  head->Box = {left, y + rowTop, c.Scaled(width), y + (tab ? tabLine : space) + rowTop};
  if (row) {
    head->Box2.Top = row->Top;
    head->Box2.Bottom = row->Bottom;
  }

  int shift = 0;  // accidentals stand side by side left of the head
  for (TQSItem* item : note.Items) {
    if (item->ItemType == kind::Liga) {
      if (auto* tie = ClassCast<TQSLiga>(item)) LayoutGraceTie(c, g, *tie, distance, y);
    } else if (item->ItemType == kind::Accidental && !tab) {
      auto* acc = ClassCast<TQSMark>(item);
      if (!acc) continue;
      const int accidentalWidth = AccidentalGlyphWidth(c, acc->Fields.Kind, 88);
      shift += accidentalWidth;
      TQSCalcItem* e = c.NewElement(acc, true, true);
      e->SizePercent = head->SizePercent;
      const TAccidentalExtent ext = AccidentalExtent(acc->Fields.Kind);
      const int line = rowTop + space * note.StaffPosition / 2;
      e->Box = {left - c.Scaled(shift), line + c.Scaled(ext.Top), c.Scaled(accidentalWidth),
                line + c.Scaled(ext.Bottom)};
    } else if (item->ItemType == kind::Effect && c.PercussionClef) {
      if (auto* effect = ClassCast<TQSEffect>(item)) SetEffectSound(c, *effect, note);
    }
  }

  if (value < 512) {
    const int sy = y + c.Scaled(24);
    const int length = c.Scaled(6 * note.Fields.StemLength);
    const int stemWidth = c.Scaled(6);
    const int hw = c.Scaled(width);
    const bool down = note.IsStemDown();
    const int sx = tab ? left + hw / 2 - stemWidth / 2 : down ? left : left + hw - stemWidth;
    if (note.BeamGroup && !g.Beam) {
      g.Beam = c.NewElement(nullptr, true, true);
      g.Beam->ElementType = element::Beam;
      g.Beam->SizePercent = head->SizePercent;
    }
    TQSCalcItem* stem = c.NewElement(&note, true, true);
    stem->ElementType = element::Stem;
    stem->SizePercent = head->SizePercent;
    stem->Box = down ? TRect{sx, 0, stemWidth, length} : TRect{sx, -length, stemWidth, 0};
    stem->Box.Top += rowTop + sy;
    stem->Box.Bottom += rowTop + sy;
    if (row) {
      stem->Box2.Top = row->Top;
      stem->Box2.Bottom = row->Bottom;
    }
    if (note.BeamGroup) g.Beam->Links.push_back(stem);
    // The stems of a chord reach as far as its longest.
    if (g.SameColumn && g.LastStem) {
      TRect& a = stem->Box;
      TRect& b = g.LastStem->Box;
      if (down) a.Bottom = b.Bottom = std::max(a.Bottom, b.Bottom);
      else a.Top = b.Top = std::min(a.Top, b.Top);
    }
    g.LastStem = stem;
  }

  note.Voice = FindVoice(c.Part, note.Fields.StaffVoice);
  if (c.PercussionClef) {
    note.MidiChannel = kDrumChannel;
    note.MidiProgram = 0;
    note.SoundingKey = static_cast<uint8_t>(DrumKey(c.Score, note.SoundingKey, note.Fields.HeadStyle));
  } else {
    const TSound sound = VoiceSound(note.Voice, c.Part);
    note.MidiChannel = sound.Channel;
    note.MidiProgram = sound.Program;
  }
  TQSCalcEvent* ev = AddEvent(c, &note, tick + note.Fields.PlayOffset);
  ev->Duration = static_cast<int16_t>(group.Fields.Duration ? group.Fields.Duration : note.Fields.Length);
}

// The room a grace group before its main note leaves the main note's
// accidentals in imported music: a gap, and the flag of its last note,
// which hangs right of the stem.
int GraceClearance(TLayoutContext& c, const TQSVorschlag& group) {
  int room = c.StaffSpace / 2;
  const TQSNote* last = group.ItemCount() > 0 ? group.GetNote(group.ItemCount() - 1) : nullptr;
  if (last && last->Fields.Length < kTicksQuarter && !last->BeamGroup && !last->IsStemDown()) {
    c.Fonts.SetMusicFont(88);
    room += c.Fonts.GlyphWidth(glyphs::Flag8thUp);
  }
  return room;
}

// accidentals: whether the chord the group belongs to has any.
void PlaceGraceGroup(TLayoutContext& c, TQSVorschlag& group, bool accidentals) {
  const int tick = group.Fields.Time;
  const int count = group.ItemCount();
  if (count == 0 || tick >= c.Slot->Length) return;
  TGraceWork g(group, 8 * LargestExtent(c.Col));
  if (accidentals && !group.IsAfter() && c.Score.MarksClearOfTheMusic) g.Base += GraceClearance(c, group);
  // Whether notes i and i + 1 of the group sound together (the later one
  // marked as a chord note of the earlier), as imported music has them.
  auto chordWithNext = [&](int i) {
    const TQSNote* next = i + 1 < count ? group.GetNote(i + 1) : nullptr;
    return c.Score.MarksClearOfTheMusic && next && group.GetNote(i) && next->IsChordMember();
  };
  if (group.IsAfter()) {
    for (int i = 0; i < count; ++i)
      if (TQSNote* note = group.GetNote(i)) {
        g.SameColumn = i > 0 && chordWithNext(i - 1);
        LayoutGraceNote(c, g, *note);
      }
  } else {
    // Laid out from the main note outwards; the beam still runs left to
    // right.
    for (int i = count - 1; i >= 0; --i)
      if (TQSNote* note = group.GetNote(i)) {
        g.SameColumn = chordWithNext(i);
        LayoutGraceNote(c, g, *note);
      }
    if (g.Beam) std::reverse(g.Beam->Links.begin(), g.Beam->Links.end());
  }
  if (c.FixedMeasureCount()) return;
  const int groupWidth = (g.X + g.Base) / 8;
  if (group.IsAfter()) {
    if (RightRoomAt(c, tick) < groupWidth) c.RaiseRightRoom(tick, groupWidth + (tick == c.Slot->Length - 1 ? 4 : 0));
  } else {
    RaiseLeft(c, tick, tick == 0 ? groupWidth + 4 : groupWidth);
  }
}
}  // namespace

void PlaceAccidentals(TLayoutContext& c) {
  TColumnState& col = c.Col;
  bool others = false, accidentals = false;
  for (auto it = col.ChordList.rbegin(); it != col.ChordList.rend(); ++it) {
    TQSItem* item = *it;
    if (item->ItemType == kind::Accidental) {
      accidentals = true;
      if (auto* acc = ClassCast<TQSMark>(item)) PlaceAccidental(c, *acc);
    } else {
      others = true;
    }
  }
  if (others) {
    for (TQSItem* item : col.ChordList) {
      if (item->ItemType == kind::Vorschlag) {
        if (auto* group = dynamic_cast<TQSVorschlag*>(item)) PlaceGraceGroup(c, *group, accidentals);
        continue;
      }
      auto* mark = ClassCast<TQSMark>(item);
      if (!mark) continue;
      switch (item->ItemType) {
        case kind::Clef: PlaceClefChange(c, *mark); break;
        case kind::Arpeggio:
        case kind::Hang:
        case kind::BarreBracket: PlaceVerticalSign(c, *mark); break;
        case kind::Tremolo: PlaceTremolo(c, *mark); break;
        default: break;
      }
    }
  }
  col.ChordList.clear();
  col.Stacking.fill(TStackRow{});
}

}  // namespace qs

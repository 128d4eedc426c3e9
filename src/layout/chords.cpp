// Symbols beside the note heads of a chord: accidentals stacked in columns
// to the left of the heads, clef changes inside the measure, arpeggios and
// similar vertical signs, and tremolo strokes to the right.
//
// Not handled here yet: the notes of grace-note groups (a group takes no
// room and makes no element).
#include <algorithm>

#include "layout/context.h"
#include "layout/metrics.h"
#include "layout/steps.h"
#include "score/marks.h"
#include "score/notes.h"
#include "score/part.h"

namespace qs {

namespace {

// Width in pixels of an accidental kind's column; 0 for kinds not placed.
int AccidentalWidth(int k) {
  switch (k) {
    case 0: case 101: case 2: case 4: return 5;
    case 133: case 135: case 137: case 104: return 7;
    case 1: case 103: case 5: case 6: return 9;
    case 3: case 134: case 136: case 138: return 6;
    case 102: return 4;
    default: return 0;
  }
}

uint8_t AccidentalGlyph(int k) {
  if (k >= 0 && k <= 6) return static_cast<uint8_t>('@' + k);
  if (k >= 101 && k <= 104) return static_cast<uint8_t>(230 + k - 101);
  if (k >= 133 && k <= 138) return static_cast<uint8_t>(234 + k - 133);
  return 0;
}

// Kinds drawn like a flat: they cover the row and three above it.
bool FlatShaped(int k) { return k == 0 || k == 1 || k == 101 || k == 103 || k == 133 || k == 135 || k == 137; }

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
  if (auto* holder = dynamic_cast<TQSItemHolder*>(acc.Owner())) note = dynamic_cast<TQSNote*>(holder);
  if (!note) return;
  const int k = acc.Fields.Kind;
  int d = AccidentalWidth(k);
  if (d == 0) return;
  const int b = (acc.Fields.Style & 0x0C) ? 3 : 0;
  d += 2 * b;
  const int r = std::min(PitchOctave(note->Fields.Pitch) * 7 + std::min(PitchStep(note->Fields.Pitch), 6), 127);
  int top, bottom;  // rows covered, top first
  int boxTop, boxBottom;
  if (FlatShaped(k)) {
    top = r + 3, bottom = r, boxTop = -96, boxBottom = 24;
  } else if (k == 3) {
    top = r + 1, bottom = r - 1, boxTop = -24, boxBottom = 24;
  } else {
    top = r + 3, bottom = r - 3, boxTop = -72, boxBottom = 72;
  }
  top = std::min(top, 127);
  bottom = std::max(bottom, 0);
  TColumnState& col = c.Col;
  int x = 0;
  bool gapTest = true;
  for (int row = top; row >= bottom; --row) {
    const TStackRow& sr = col.Stacking[static_cast<size_t>(row)];
    if (gapTest && sr.AccidentalEdge - sr.HeadExtent >= d) {
      x = sr.HeadExtent + d;
    } else if (sr.Extent + d > x) {
      x = sr.Extent + d;
      gapTest = false;
    }
  }
  x = std::min(x, 255);
  for (int row = top; row >= bottom; --row) {
    TStackRow& sr = col.Stacking[static_cast<size_t>(row)];
    sr.Extent = static_cast<uint8_t>(std::max<int>(sr.Extent, x));
    sr.AccidentalEdge = static_cast<uint8_t>(std::max(x - d, 0));
  }
  TQSCalcItem* e = c.NewElement(&acc, true, true);
  e->SizePercent = static_cast<uint8_t>(c.StaffSize());
  const uint8_t glyph = AccidentalGlyph(k);
  int width = glyph >= '@' && glyph <= 'F' ? c.Glyph128[glyph] : 0;
  if (glyph >= 230) {
    c.Fonts.SetMusicFont(128);
    width = c.Fonts.GlyphWidth(glyph);
  }
  const int staff = StaffOf(note->Fields.StaffVoice);
  TQSStaff* st = c.Part->GetStaff(staff);
  const int position =
      StaffPosition(ClefOffsetAt(c, st ? st->SystemRow : 0, note->Fields.StaffVoice, note->Fields.Time), note->Fields.Pitch);
  const int y = c.S * position / 2;
  const bool keepX = !FlatShaped(k) && k != 3 && acc.Fields.Value == 5;
  if (keepX) boxTop = -84, boxBottom = 60;
  const int ax = keepX ? acc.Fields.OffsetX : acc.Fields.OffsetX - (x - b) * 8;
  e->Box = c.StaffBox(ax, acc.Fields.OffsetY + boxTop, width, acc.Fields.OffsetY + boxBottom);
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
  c.Fonts.SetMusicFont(size == 100 ? 16 : 16 * size / 100);
  const int w = ClefGlyphWidth(c, clef.Fields.Kind);
  TQSCalcItem* e = c.NewElement(&clef, true, true);
  e->SizePercent = static_cast<uint8_t>(size);
  e->Param = clef.Fields.Time;
  clef.LayoutLink = e;
  const TClefExtent ext = ClefExtents(clef.Fields.Kind);
  e->Box = c.StaffBox(clef.Fields.OffsetX - (m + w) * 8, clef.Fields.OffsetY + ext.Top, w * 8,
                      clef.Fields.OffsetY + ext.Bottom);
  TQSCalcStaff* row = PartRow(c, StaffOf(clef.Fields.StaffVoice));
  e->Row = row;
  if (row) {
    e->Box.Top += row->Top;
    e->Box.Bottom += row->Bottom;
  }
  RaiseLeft(c, clef.Fields.Time, w + 8);
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

}  // namespace

void PlaceAccidentals(TLayoutContext& c) {
  TColumnState& col = c.Col;
  bool others = false;
  for (auto it = col.ChordList.rbegin(); it != col.ChordList.rend(); ++it) {
    TQSItem* item = *it;
    if (item->ItemType == kind::Accidental) {
      if (auto* acc = dynamic_cast<TQSMark*>(item)) PlaceAccidental(c, *acc);
    } else {
      others = true;
    }
  }
  if (others) {
    for (TQSItem* item : col.ChordList) {
      auto* mark = dynamic_cast<TQSMark*>(item);
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

// Notes and rests of the column layout: the head element with its staff
// position, the stem and its place in a beam, dots, ties and slurs, the
// rooms at the tick, the alteration from written accidentals, and the
// note's event for playback.
//
// Not handled here yet: slash, drum and tablature heads (a tablature note
// is measured as its fret number), enclosures' brackets beyond their room,
// glissandos, falls and lifts, playback effects, the note's channel and
// program, drum mapping, ties from the previous note, and selection
// requests from the view.
#include <algorithm>
#include <string>

#include "layout/context.h"
#include "layout/metrics.h"
#include "layout/steps.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs {

namespace {

constexpr int kSemitones[7] = {0, 2, 4, 5, 7, 9, 11};

// Steps beyond B (a damaged pitch byte) count as B.
int SafeStep(uint8_t pitch) { return std::min(PitchStep(pitch), 6); }

TQSCalcStaff* StaffRowOf(TLayoutContext& c, int staff) {
  return c.SystemPart ? c.PageRow(c.SystemPart->FirstRow + staff) : nullptr;
}

bool OnCurrentStaff(TLayoutContext& c, const TQSMeasure& m, int staffVoice) {
  const int staff = StaffOf(static_cast<uint8_t>(staffVoice));
  return m.AllVoices() ? c.Col.StaffIndex == 0 : staff == c.Col.StaffIndex;
}

// The change of a written accidental (0 for kinds without one).
int AccidentalAmount(int k) {
  switch (k) {
    case 0: case 101: case 103: case 133: case 135: case 137: return -1;
    case 1: return -2;
    case 2: case 102: case 104: case 134: case 136: case 138: return 1;
    case 3: return 2;
    default: return 0;
  }
}

// The written accidental display byte: bit 7 natural shown, bit 6
// negative, bits 0-5 the size.
int DisplayValue(uint8_t display) { return (display & 0x40) ? -(display & 0x3F) : (display & 0x3F); }
uint8_t MakeDisplay(uint8_t old, int value) {
  const int size = std::min(std::abs(value), 0x3F);
  return static_cast<uint8_t>((old & 0x80) | (value < 0 ? 0x40 : 0) | size);
}

// Applies a written accidental to the note's alteration and display.
void ApplyAccidental(TQSNote& note, int k, int& alteration, bool& inForceCleared, bool stepAltered) {
  if (k == 4 || k == 5 || k == 6) {
    const int value = k == 4 ? 0 : k == 5 ? -1 : 1;
    note.AccidentalDisplay = MakeDisplay(static_cast<uint8_t>(note.AccidentalDisplay | 0x80), value);
    alteration = value;
    return;
  }
  const int amount = AccidentalAmount(k);
  if (amount == 0) return;
  note.AccidentalDisplay = MakeDisplay(note.AccidentalDisplay, DisplayValue(note.AccidentalDisplay) + amount);
  if (stepAltered && !inForceCleared) {
    alteration = amount;
    inForceCleared = true;
  } else {
    alteration += amount;
  }
}

void LayoutTie(TLayoutContext& c, TQSNote& note, TQSLiga& tie, const TQSCalcItem& head, int shift) {
  TQSCalcMeasure* slot = c.Slot;
  TQSCalcItem* e = c.NewElement(&tie, true, true);
  e->SizePercent = static_cast<uint8_t>(c.StaffSize());
  const int endTick = note.Fields.Time + tie.Fields.Span;
  const int endStaff = StaffOf(tie.Fields.EndStaffVoice);
  TQSStaff* staff = c.Part->GetStaff(endStaff);
  int endLevel = 0;
  if (endTick < slot->Length) {
    const int offset = ClefOffsetAt(c, staff ? staff->SystemRow : 0, tie.Fields.EndStaffVoice, endTick);
    endLevel = offset * c.S / 2;
  } else {
    c.Page->OpenSpans.push_back(e);
  }
  e->Param = static_cast<uint16_t>(tie.Fields.Span ? tie.Fields.Span : note.Fields.RealLength);
  const bool fixed = (tie.Fields.Flags & TQSLiga::kLineMask) == 0x08;
  const bool below = tie.IsBelow();
  int startY;
  if (fixed)
    startY = c.Scaled(tie.Fields.StartY) + head.Box.Top;
  else if (below)
    startY = c.Scaled(tie.Fields.StartY + 16) + head.Box.Bottom;
  else
    startY = c.Scaled(tie.Fields.StartY - 16) + head.Box.Top;
  if (tie.IsSlur()) {
    e->Box2 = {c.ScoreScaled(tie.Fields.StartX), startY, c.ScoreScaled(tie.Fields.EndX), startY};
    if (endTick < slot->Length) {
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
    return;
  }
  const int margin = fixed ? c.StaffSize() * c.Scale * 64 / 10000 : 0;
  int endY;
  if (tie.EndFromStart()) {
    endY = fixed ? c.Scaled(tie.Fields.EndY) + head.Box.Top
                 : (below ? c.Scaled(tie.Fields.EndY) + head.Box.Bottom + 16 : c.Scaled(tie.Fields.EndY) + head.Box.Top - 16);
  } else {
    TQSCalcStaff* row = StaffRowOf(c, endStaff);
    endY = c.Scaled(tie.Fields.EndY + endLevel) + (row ? row->Top : 0);
  }
  e->Box2 = {c.ScoreScaled(tie.Fields.StartX) + margin + shift, startY, c.ScoreScaled(tie.Fields.EndX) - margin, endY};
  tie.LayoutLink = e;
}

void LayoutDot(TLayoutContext& c, TQSNote& note, TQSMark& dot, const TQSCalcItem& head, int attach, int& dotRoom) {
  const int count = dot.Fields.Value;
  note.SelectFlags = static_cast<uint8_t>(note.SelectFlags & (count + 1));
  TQSCalcItem* e = c.NewElement(&dot, true, true);
  e->SizePercent = static_cast<uint8_t>(c.StaffSize());
  const int x = dot.Fields.OffsetX, y = dot.Fields.OffsetY;
  e->Box = c.StaffBox(x + attach + 8, y + 8, 40 * (count + 1), y - 8);
  e->Box.Left += head.Box.Left + head.Box.Right;
  e->Box.Top += head.Box.Top;
  e->Box.Bottom += head.Box.Bottom;
  if (note.StaffPosition % 2 == 0) {
    e->Box.Top -= c.S / 2;
    e->Box.Bottom -= c.S / 2;
  }
  dotRoom = std::max(dotRoom, 6 * (count + 1));
}

// The stem of a note, shared by the notes of a chord, and its beam.
void LayoutStem(TLayoutContext& c, TQSNote& note, int headWidth, int centreY) {
  TColumnState& col = c.Col;
  const int voice = VoiceOf(note.Fields.StaffVoice);
  TQSCalcItem*& open = col.OpenStem[static_cast<size_t>(voice)];
  if (open && !(open->Item && open->Item->TimePosition() == note.Fields.Time)) open = nullptr;
  const bool down = note.IsStemDown();
  const int stem = 8 * note.Fields.StemLength;
  if (open) {
    open->Box.Top = down ? centreY : centreY - c.StaffSize() * c.Scale * stem / 10000;
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
  const int shift = note.IsHeadShifted() ? (down ? headWidth - 8 : 8 - headWidth) : 0;
  s->Box = down ? c.StaffBox(shift - headWidth / 2, 0, 6, stem)
                : c.StaffBox(headWidth - headWidth / 2 + shift - 6, -stem, 6, 0);
  s->Box.Top += centreY;
  s->Box.Bottom += centreY;
  if (note.IsChordMember()) open = s;
}

}  // namespace

void LayoutNote(TLayoutContext& c, TQSNote& note) {
  TColumnState& col = c.Col;
  TQSMeasure* m = col.Measure;
  TQSCalcMeasure* slot = c.Slot;
  if (!m || !OnCurrentStaff(c, *m, note.Fields.StaffVoice) || note.Fields.Time >= slot->Length) return;
  if (VoiceOf(note.Fields.StaffVoice) >= c.Staff->VoiceCount()) return;
  slot->Occupancy = 2;
  ++m->StaffNoteCounts[static_cast<size_t>(col.StaffIndex)];
  c.PercussionClef = false;

  const int tick = note.Fields.Time;
  const int value = note.Fields.Length;
  const uint8_t pitch = note.Fields.Pitch;
  const int step = SafeStep(pitch);
  const bool small = note.IsSmall();
  TQSCalcStaff* row = c.Row;
  const int rowTop = row ? row->Top : 0;
  int alteration = col.Alteration[static_cast<size_t>(step)];
  FlushChordAt(c, tick);
  int left = note.Fields.HeadStyle == 1 ? 3 : value >= 512 ? 4 : 5;
  int right = small ? 3 : value < 512 ? 6 : 4;

  TQSCalcItem* head = c.NewElement(&note, true, true);
  head->SizePercent = static_cast<uint8_t>(c.StaffSize());
  note.HeadElement = head;
  if (value > 255 && c.Staff->VoiceCount() > 1) col.LongNotes.push_back(head);
  note.SelectFlags &= TQSNote::kSelectNoBeam;
  int attach = 0;

  // Where the head stands, and how wide it is.
  const int position = StaffPosition(ClefOffsetAt(c, c.Staff->SystemRow, note.Fields.StaffVoice, tick), pitch);
  note.StaffPosition = static_cast<int16_t>(position);
  const int y0 = c.Staff->Fields.Tablature ? 0 : HeadTop(position, c.S);
  int w;
  if (note.Fields.HeadStyle == 3)
    w = small ? 32 : 48;
  else if (note.Fields.HeadStyle >= 5)
    w = 48;
  else {
    const uint8_t glyph = value == 512 ? '*' : value == 256 ? '4' : '5';
    w = small ? c.Glyph88[glyph] : c.Glyph128[glyph];
  }
  int shift = 0;
  const bool down = note.IsStemDown();
  if (note.IsHeadDisplaced()) {
    if (down) {
      shift = 8 - w;
      left += w / 8;
    } else {
      shift = w - 8;
      left = std::max(0, left - w / 8);
      right = std::max(right, w / 8 + 5);
    }
  }
  head->Box = {c.Scaled(-w / 2 + shift), 0, c.Scaled(w), c.S};
  head->Box.Top += y0 + rowTop;
  head->Box.Bottom += y0 + rowTop;
  if (row) {
    head->Box2.Top = row->Top;
    head->Box2.Bottom = row->Bottom;
  }
  if (note.Enclosure()) {
    left += 3;
    right += 3;
    attach = 24;
  }
  const int line = std::min(PitchOctave(pitch) * 7 + step, 126);
  for (int r : {line, line + 1}) {
    TStackRow& sr = col.Stacking[static_cast<size_t>(r)];
    if (sr.HeadExtent < left) sr.HeadExtent = sr.Extent = static_cast<uint8_t>(left);
  }
  if (value < 512) LayoutStem(c, note, w, y0 + c.S / 2 + rowTop);

  // Attached items.
  int dotRoom = 0;
  bool inForceCleared = false;
  const bool stepAltered = col.Alteration[static_cast<size_t>(step)] != 0;
  for (TQSItem* item : note.Items) {
    switch (item->ItemType) {
      case kind::Liga:
        if (auto* tie = dynamic_cast<TQSLiga*>(item)) LayoutTie(c, note, *tie, *head, shift);
        break;
      case kind::Dot:
        if (auto* dot = dynamic_cast<TQSMark*>(item)) LayoutDot(c, note, *dot, *head, attach, dotRoom);
        break;
      case kind::Accidental:
        if (auto* acc = dynamic_cast<TQSMark*>(item)) {
          col.ChordList.push_back(acc);
          ApplyAccidental(note, acc->Fields.Kind, alteration, inForceCleared, stepAltered);
        }
        break;
      default: break;
    }
  }
  right += dotRoom;
  col.Alteration[static_cast<size_t>(step)] = alteration;

  const int key = 12 * PitchOctave(pitch) + kSemitones[step] + alteration + c.Part->TransportShift() +
                  (note.Fields.HeadStyle == 3 ? 12 : 0);
  note.SoundingKey = static_cast<uint8_t>(std::clamp(key, 0, 127));
  TQSCalcEvent* ev = AddEvent(c, &note, tick + note.Fields.PlayOffset);
  ev->Duration = static_cast<int16_t>(note.Fields.PlayLength ? note.Fields.PlayLength : note.Fields.RealLength);
  ev->Tremolo = 0;
  c.PlaceTimedRooms(tick, note.Fields.RealLength, left, right);
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
  const int S = c.S, T = c.T;
  const int y = c.Scaled(rest.Fields.OffsetY);
  const bool tab = c.Staff->Fields.Tablature;
  const TQSPiece* piece = c.Piece;
  const bool fills = rest.Fields.Length == slot->Length &&
                     (slot->MeasureIndex != 0 || UpbeatLength(piece ? piece->Auftakt() : 0) < 256);
  int width;
  if (value == 512 || fills) {
    width = c.Scaled(48);
    e->Box = tab ? TRect{c.Scaled(-24), y + 2 * T, width, y + T / 2 + 2 * T}
                 : TRect{c.Scaled(-24), y + S, S, y + S / 2 + S};
  } else if (value == 256) {
    width = c.Scaled(48);
    e->Box = tab ? TRect{c.Scaled(-24), y - T / 2 + 3 * T, width, y + 3 * T}
                 : TRect{c.Scaled(-24), y - S / 2 + 2 * S, width, y + 2 * S};
  } else {
    const uint8_t glyph = value == 4 ? 'R' : value == 8 ? 'Q' : value == 16 ? 'P' : value == 32 ? 'O' : value == 64 ? 'N' : 'M';
    width = c.Scaled(c.Glyph128[glyph]);
    e->Box = {-width / 2, y - S + 2 * S, width, y + 2 * S + 2 * S};
  }
  const int rowTop = c.Row ? c.Row->Top : 0;
  e->Box.Top += rowTop;
  e->Box.Bottom += rowTop;
  if (c.Row) {
    const int above = c.Row->Top - S, below = c.Row->Bottom + S;
    if ((value == 512 && (e->Box.Top <= above || e->Box.Top >= below)) ||
        (value == 256 && (e->Box.Bottom <= above || e->Box.Bottom >= below)))
      e->State = 1;
  }
  if (rest.IsShiftedRight()) {
    e->Box.Left += width + 8;
    right += 3;
  }
  for (TQSItem* item : rest.Items) {
    auto* dot = item->ItemType == kind::Dot ? dynamic_cast<TQSMark*>(item) : nullptr;
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

}  // namespace qs

// The column layout: every item of one part in one measure gets its
// elements, boxes relative to its tick and row, and the room it needs at
// its tick; from the rooms come the measure's natural and total width.
#include <algorithm>

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

int KindOf(const TQSMark& m) { return m.Fields.Kind; }

TQSCalcPagePart& PagePart(TLayoutContext& c) { return c.Page->Parts[static_cast<size_t>(c.PartIndex)]; }

// A clef at the measure start becomes the clef in force of its staff and
// is drawn there; one inside the measure is placed beside the chord at its
// tick.
void LayoutClefMark(TLayoutContext& c, TQSMark& mark, int k) {
  TQSCalcMeasure* slot = c.Slot;
  const int tick = mark.Fields.Time;
  if (tick > 0) {
    slot->Occupancy = 2;
    FlushChordAt(c, tick);
    c.Col.ChordList.push_back(&mark);
    slot->Clefs.push_back(&mark);
    return;
  }
  TQSCalcPagePart& pp = PagePart(c);
  if (k < static_cast<int>(pp.Staves.size())) {
    pp.Staves[static_cast<size_t>(k)].Clef = &mark;
    pp.Staves[static_cast<size_t>(k)].ClefDrawn = 1;
  }
  if (slot->RowCount > 0) {
    if (c.Staff->SystemRow >= static_cast<int>(slot->RowCount)) c.Staff->SystemRow = static_cast<int>(slot->RowCount) - 1;
    if (c.Staff->SystemRow >= 0) slot->ClefByRow[static_cast<size_t>(c.Staff->SystemRow)] = &mark;
  }
  const int size = c.StaffSize();
  const int width = 8 * ClefGlyphWidth(c, KindOf(mark), size);
  slot->ClefWidth = static_cast<uint16_t>(std::clamp<int>(std::max<int>(slot->ClefWidth, width), 0, 0xFFFF));
  TQSCalcItem* e = c.NewElement(&mark, true, true);
  mark.LayoutLink = e;
  e->SizePercent = static_cast<uint8_t>(size);
  e->Param = 0;
  TQSCalcStaff* row = c.PartRow(k);
  e->Row = row;
  const TClefExtent ext = ClefExtents(KindOf(mark));
  e->Box = c.StaffBox(mark.Fields.OffsetX, ext.Top + mark.Fields.OffsetY, width, ext.Bottom + mark.Fields.OffsetY);
  if (row) {
    e->Box.Top += row->Top;
    e->Box.Bottom += row->Bottom;
  }
}

// A key signature becomes the part's key in force. It is as wide as the key
// it cancels when there is one, and never narrower than its own signs: a
// change to a key of more signs than the old one must not run into what
// follows.
void LayoutKeyMark(TLayoutContext& c, TQSMark& mark) {
  TQSCalcMeasure* slot = c.Slot;
  TQSCalcPagePart& pp = PagePart(c);
  const auto* inForce = ClassCast<const TQSMark>(pp.KeySignature);
  if (KindOf(mark) == 0 && !inForce) return;
  int width;
  if (inForce && inForce->Fields.Kind != 0) {
    mark.LayoutByte = inForce->Fields.Kind;
    width = std::max(KeySignatureWidth(inForce->Fields.Kind), KeySignatureWidth(KindOf(mark)));
  } else {
    mark.LayoutByte = 0;
    width = KeySignatureWidth(KindOf(mark));
  }
  slot->KeyWidth = static_cast<uint16_t>(std::max<int>(slot->KeyWidth, width));
  mark.LayoutLink = nullptr;
  pp.KeySignature = &mark;
  pp.KeyDrawn = KindOf(mark) != 0;
  if (slot->PartCount > 0)
    slot->KeyByPart[static_cast<size_t>(std::min<int>(c.PartIndex, static_cast<int>(slot->PartCount) - 1))] = &mark;
  c.Col.Alteration = KeyAccidentals(c);
  TQSStaff* current = c.Staff;
  for (int s = 0; s < c.Part->StaffCount(); ++s) {
    TQSStaff* staff = c.Part->GetStaff(s);
    if (staff->Fields.Tablature) continue;
    TQSCalcStaff* row = c.PartRow(s);
    c.SetStaff(staff);
    TQSCalcItem* e = c.NewChainedElement(&mark, true, true);
    e->Row = row;
    e->SizePercent = static_cast<uint8_t>(c.StaffSize());
    e->Param = static_cast<uint16_t>(c.SystemPart->FirstRow + s - c.System->FirstRow);
    e->Box = c.StaffBox(mark.Fields.OffsetX, mark.Fields.OffsetY - 120, width, mark.Fields.OffsetY + 192);
    MoveDown(e->Box, RowTop(row));
  }
  c.SetStaff(current);
}

// Note repeats and bar repeats: a sign across the staff centred on its
// tick.
TQSCalcItem* LayoutRepeatSign(TLayoutContext& c, TQSMark& mark, int k) {
  TQSCalcItem* e = c.NewElement(&mark, true, true);
  e->SizePercent = static_cast<uint8_t>(c.StaffSize());
  const int width = KindOf(mark) * 32 + 112;
  const int x = mark.Fields.OffsetX, y = mark.Fields.OffsetY;
  e->Box = {c.Scaled(x - width / 2), c.Scaled(y) + c.StaffSpace, c.Scaled(width), c.Scaled(y) + 3 * c.StaffSpace};
  MoveDown(e->Box, RowTop(c.PartRow(k)));
  return e;
}

void LayoutNoteRepeat(TLayoutContext& c, TQSMark& mark, int k, std::vector<int16_t>& counts) {
  ++counts[static_cast<size_t>(k)];
  LayoutRepeatSign(c, mark, k);
  ++counts[static_cast<size_t>(k)];
  const int width = KindOf(mark) * 32 + 112;
  const int tick = mark.Fields.Time;
  if (!c.FixedMeasureCount()) {
    c.RaiseLeftRoom(tick, width / 16);
    c.RaiseRightRoom(tick, width / 16);
  }
  // The notes of the beat before the sign sound again one beat later.
  const int beat = KindOf(mark) == 1 ? 128 : KindOf(mark) == 2 ? 64 : 256;
  const int sv = mark.Fields.StaffVoice;
  TQSCalcMeasure* slot = c.Slot;
  if (tick >= beat) {
    CopyStaffEvents(c, slot, slot->EventCount, sv, tick, tick, tick - beat);
    return;
  }
  TQSPiece* piece = c.Piece;
  if (piece->VisitCount > 0 && piece->VisitCount <= static_cast<int>(piece->Visits.size())) {
    const int m = piece->Visits[static_cast<size_t>(piece->VisitCount) - 1]->Measure;
    auto* last = m >= 0 && m < static_cast<int>(piece->Slots.size())
                     ? ClassCast<TQSCalcMeasure>(piece->Slots[static_cast<size_t>(m)])
                     : nullptr;
    if (last) CopyStaffEvents(c, last, last->EventCount, sv, tick, last->Length, last->Length + tick - beat);
  }
  CopyStaffEvents(c, slot, slot->EventCount, sv, tick, tick, 0);
}

void LayoutBarRepeat(TLayoutContext& c, TQSMark& mark, int k, std::vector<int16_t>& counts) {
  TQSCalcItem* e = LayoutRepeatSign(c, mark, k);
  ++counts[static_cast<size_t>(k)];
  const int visits = c.Piece->VisitCount;
  if (mark.Fields.Style & TQSMark::kBarRepeatTwoMeasures) {
    // Two measures repeated: the sign runs on over the next measure.
    CopyMeasureEvents(c, visits - 2, mark.Fields.StaffVoice);
    c.Page->OpenSpans.push_back(e);
  } else {
    CopyMeasureEvents(c, visits - 1, mark.Fields.StaffVoice);
  }
}

void LayoutTupletMark(TLayoutContext& c, TQSMark& mark, int k) {
  TQSCalcItem* e = c.NewElement(&mark, true, true);
  e->SizePercent = static_cast<uint8_t>(c.StaffSize());
  const int x = mark.Fields.OffsetX, y = mark.Fields.OffsetY;
  e->Box2 = {c.Scaled(x - 32), c.Scaled(y), c.Scaled(x + 32), c.Scaled(y)};
  MoveDown(e->Box2, RowTop(c.PartRow(k)));
}

void LayoutOttava(TLayoutContext& c, TQSMark& mark) {
  TQSCalcItem* e = c.NewElement(&mark, true, true);
  e->SizePercent = static_cast<uint8_t>(c.StaffSize());
  if (mark.Fields.Time + mark.Fields.Value >= c.Slot->Length) c.Page->OpenSpans.push_back(e);
  e->Param = mark.Fields.Value;
  e->Box = c.StaffBox(mark.Fields.OffsetX - 32, mark.Fields.OffsetY - 32, 32, mark.Fields.OffsetY + 32);
  MoveDown(e->Box, RowTop(c.PartRow(0)));
  c.Slot->SpanningMarks.push_back(e);
}

// An item standing beside the heads of the chord at its tick.
void JoinChord(TLayoutContext& c, TQSItem& item) {
  c.Slot->Occupancy = 2;
  FlushChordAt(c, item.TimePosition());
  c.Col.ChordList.push_back(&item);
}

void FirstLoopItem(TLayoutContext& c, TQSItem& item, int k, std::vector<int16_t>& counts) {
  const TQSItemType type = item.ItemType;
  if (type == kind::Note) {
    LayoutNote(c, static_cast<TQSNote&>(item));
    return;
  }
  if (type == kind::Pause) {
    LayoutRest(c, static_cast<TQSPause&>(item));
    return;
  }
  if (type == kind::Key) {
    if (k == 0)
      if (auto* mark = ClassCast<TQSMark>(&item)) LayoutKeyMark(c, *mark);
    return;
  }
  const int sv = item.StaffVoice();
  if (sv < 0 || StaffOf(static_cast<uint8_t>(sv)) != k) return;
  if (VoiceOf(static_cast<uint8_t>(sv)) >= std::max(1, c.Staff->VoiceCount())) return;
  if (type == kind::Vorschlag) {
    JoinChord(c, item);
    return;
  }
  auto* mark = ClassCast<TQSMark>(&item);
  if (!mark) return;
  switch (type) {
    case kind::Clef: LayoutClefMark(c, *mark, k); break;
    case kind::NoteRepeat: LayoutNoteRepeat(c, *mark, k, counts); break;
    case kind::BarRepeat: LayoutBarRepeat(c, *mark, k, counts); break;
    case kind::Tuplet: LayoutTupletMark(c, *mark, k); break;
    case kind::Arpeggio:
    case kind::Hang:
    case kind::BarreBracket: JoinChord(c, item); break;
    case kind::Tremolo:
      // A tremolo between two notes belongs to the marks.
      if (!(mark->Fields.Style & TQSMark::kTremoloBetweenNotes)) JoinChord(c, item);
      break;
    case kind::Ottava: LayoutOttava(c, *mark); break;
    default: break;
  }
}

// The natural width of the measure's ticks and its total width.
void MeasureWidth(TLayoutContext& c, bool hasMeasure) {
  TQSCalcMeasure* slot = c.Slot;
  const TQSScore& score = c.Score;
  const int last = slot->Length - 1;
  auto minimumRooms = [&] {
    c.RaiseLeftRoom(0, score.Spacing3);
    c.RaiseRightRoom(last, score.Spacing5);
  };
  int64_t g;
  if (!hasMeasure) {
    g = c.FixedMeasureCount() ? 0 : 8 * score.Spacing2;
    minimumRooms();
  } else {
    if (c.Col.FirstPositionChanged) c.RaiseLeftRoom(0, LeftRoom(slot->Positions[0]) + 2);
    minimumRooms();
    const std::vector<uint16_t>& pos = slot->Positions;
    // Every measure of a pass walks all its ticks, most of them without
    // room: only the ticks that ask for room are visited. The width is the
    // sum of all rooms and a note interval for every gap between two ticks
    // with room on either side of it.
    const uint16_t* p = pos.data();
    int64_t rooms = 0, gaps = 0;
    int counted = -1;  // the last gap counted
    for (int t = NextRoomTick(p, 0, last + 1); t <= last; t = NextRoomTick(p, t + 1, last + 1)) {
      const int left = LeftRoom(p[t]), right = RightRoom(p[t]);
      rooms += left + right;
      if (left > 0 && t > 0 && counted != t - 1) {
        ++gaps;
        counted = t - 1;
      }
      if (right > 0 && t < last) {
        ++gaps;
        counted = t;
      }
    }
    int64_t content = 8 * rooms;
    if (c.NoteInterval > 0) content += int64_t{c.NoteInterval} * gaps;
    slot->ContentWidth = static_cast<uint16_t>(std::clamp<int64_t>(content, 0, 0xFFFF));
    g = int64_t(slot->BeginBarWidth) + slot->ClefWidth + slot->KeyWidth + slot->MeterWidth + slot->RepeatBarWidth +
        slot->InnerBarWidth + slot->ContentWidth;
    if (!c.FixedMeasureCount()) {
      if (slot->ContentWidth < 8 * (score.Spacing5 + score.Spacing4)) g += 8 * score.Spacing4;
      g = std::max<int64_t>(g, 8 * score.Spacing2);
    }
  }
  slot->Width = static_cast<uint16_t>(std::clamp<int64_t>(std::max<int64_t>(slot->Width, g), 0, 0xFFFF));
}

// Two voices sounding the same pitch at the same tick draw one head.
void UnisonCheck(TLayoutContext& c) {
  TQSCalcMeasure* slot = c.Slot;
  for (TQSCalcItem* long_ : c.Col.LongNotes) {
    auto* note = ClassCast<TQSNote>(long_->Item);
    if (!note) continue;
    for (int i = 0; i < slot->ItemCount; ++i) {
      TQSCalcItem* x = slot->Items.At(i);
      if (x->ElementType != element::Item || !x->Item || x->Item == note || x->Item->ItemType != kind::Note) continue;
      auto* other = static_cast<TQSNote*>(x->Item);
      if (other->GetMeasure() == note->GetMeasure() && other->Fields.Pitch == note->Fields.Pitch &&
          other->Fields.Time == note->Fields.Time &&
          StaffOf(other->Fields.StaffVoice) == StaffOf(note->Fields.StaffVoice) &&
          VoiceOf(other->Fields.StaffVoice) != VoiceOf(note->Fields.StaffVoice) &&
          !other->IsHeadShifted() && !note->IsHeadShifted() &&
          !other->GraceGroup())
        x->Flags |= 1;
    }
    long_->Flags = 0;
  }
}

}  // namespace

void FlushChordAt(TLayoutContext& c, int tick) {
  if (tick != c.Col.ChordTick) {
    PlaceAccidentals(c);
    c.Col.ChordTick = tick;
  }
}

void LayoutColumn(TLayoutContext& c, int h) {
  TQSPart* part = c.Part;
  TQSMeasure* m = part ? part->GetMeasure(h) : nullptr;
  TColumnState& col = c.Col;
  col.Measure = m;
  col.FirstPositionChanged = false;
  col.LongNotes.clear();
  col.Stacking.fill(TStackRow{});
  if (m) {
    c.Page->PieceEnded = 0;
    m->StaffNoteCounts.assign(static_cast<size_t>(part->StaffCount()), 0);
    for (TQSBeamGroup& group : m->BeamGroups) group.BeamElement = nullptr;
    m->LayoutRecord = c.Slot;
    for (int k = 0; k < part->StaffCount(); ++k) {
      col.StaffIndex = k;
      c.SetStaff(part->GetStaff(k));
      c.Row = c.PartRow(k);
      col.BeginStaff();
      col.Alteration = KeyAccidentals(c);
      for (TQSItem* item : m->Items) FirstLoopItem(c, *item, k, m->StaffNoteCounts);
      PlaceAccidentals(c);
    }
    LayoutColumnMarks(c, *m);
  }
  MeasureWidth(c, m != nullptr);
  UnisonCheck(c);
}

}  // namespace qs

// Finishing a system: the room tables of its slots become x positions,
// the system is justified to its right edge, marks that run on beyond it
// are continued, and every element's box becomes absolute on the page
// (with beam slopes, default tie curves, tuplet brackets and the ottava
// transposition of notes on the way).
#include <algorithm>
#include <cmath>
#include <numbers>

#include "base/mathutil.h"
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

TQSCalcMeasure* SlotAt(const TLayoutContext& c, int k) { return c.System->Measures.At(k); }

// The x of a tick in a slot whose positions are set.
int XOf(const TQSCalcMeasure* slot, int tick) {
  if (slot->Length == 0 || slot->Positions.empty()) return slot->Box.Left;
  const int last = std::min<int>(slot->Length, static_cast<int>(slot->Positions.size())) - 1;
  return slot->Box.Left + slot->Positions[static_cast<size_t>(std::clamp(tick, 0, last))];
}

const TQSSpacingTable* SpaceBefore(const TLayoutContext& c, int measure) {
  if (c.PartView) {
    TQSPart* part = c.Piece ? c.Piece->GetPart(c.ViewPart) : nullptr;
    TQSMeasure* m = part ? part->GetMeasure(measure) : nullptr;
    return m ? &m->Spacing : nullptr;
  }
  TQSColumn* column = c.Piece ? c.Piece->GetColumn(measure) : nullptr;
  return column ? &column->Spacing : nullptr;
}

int SpaceAfter(const TLayoutContext& c, int measure) {
  const TQSSpacingTables* t = c.Tables();
  return t ? TLayoutContext::TableValue(t->SpaceAfter, measure) : 0;
}

uint16_t ClampU16(int64_t v) { return static_cast<uint16_t>(std::clamp<int64_t>(v, 0, 0xFFFF)); }

}  // namespace

// ----------------------------------------------------------- tick positions

void SetTickPositions(TLayoutContext& c, int slotCount) {
  const int scale = c.Scale, largest = c.LargestStaffSize;
  const bool scaled = scale != 100 || largest != 100;
  const bool fixedCount = c.FixedMeasureCount();
  for (int k = 0; k < slotCount; ++k) {
    TQSCalcMeasure* slot = SlotAt(c, k);
    const TQSSpacingTable* table = SpaceBefore(c, slot->MeasureIndex);
    if (scaled)
      for (uint16_t* w : {&slot->ClefWidth, &slot->KeyWidth, &slot->MeterWidth, &slot->BeginBarWidth,
                          &slot->RepeatBarWidth, &slot->InnerBarWidth, &slot->Width})
        *w = ClampU16(int64_t(*w) * scale * largest / 10000);
    std::vector<uint16_t>& pos = slot->Positions;
    const int length = std::min<int>(slot->Length, static_cast<int>(pos.size()));
    if (length <= 0) continue;
    int64_t x = (int64_t(pos[0]) * scale * largest / 256) * 8 / 10000 + slot->BeginBarWidth + slot->ClefWidth +
                slot->KeyWidth + slot->MeterWidth + slot->RepeatBarWidth;
    int interval = 0;
    if (fixedCount || slot->Occupancy >= 2) {
      interval = c.NoteInterval;
    } else {
      // A measure with at most one rest: a grid of occupied ticks spreads
      // its room evenly.
      const int64_t spare = slot->Width - x;
      const int step = spare <= 256 ? 32 : spare <= 512 ? 16 : 8;
      for (int t = step; t < length; t += step)
        if (pos[static_cast<size_t>(t)] == 0) pos[static_cast<size_t>(t)] = 1;
    }
    for (int i = 0; i < length; ++i) {
      const uint16_t next = i + 1 < length ? pos[static_cast<size_t>(i) + 1] : 0;
      int64_t gap = (RightRoom(pos[static_cast<size_t>(i)]) + LeftRoom(next)) * 8;
      if (!fixedCount && gap != 0 && interval > 0) gap += interval;
      if (scaled) gap = gap * scale * largest / 10000;
      if (table && i < static_cast<int>(table->size())) x += (*table)[static_cast<size_t>(i)];
      pos[static_cast<size_t>(i)] = ClampU16(x);
      x += gap;
    }
    pos[static_cast<size_t>(length) - 1] = ClampU16(x);
  }
}

// ------------------------------------------------------------ justification

void JustifySystem(TLayoutContext& c) {
  const int count = c.System->MeasureCount;
  int spare = c.RightLimit - c.SystemEndX;
  if (count == 0 || spare < 1 || !(c.FixedMeasureCount() || c.Score.HorzAlign)) return;
  if (!c.FixedMeasureCount()) {
    // Eight units at a time, first at the ends, then at halves, quarters
    // ... of the measures, last measure first.
    int longest = 0;
    for (int k = 0; k < count; ++k) longest = std::max<int>(longest, SlotAt(c, k)->Length);
    // The steps are counted per tick first and added up once: an added
    // step moves every later tick of its measure too.
    std::vector<std::vector<int>> steps(static_cast<size_t>(count));
    for (int k = 0; k < count; ++k) steps[static_cast<size_t>(k)].assign(SlotAt(c, k)->Length, 0);
    bool added = true;
    while (spare >= 8 && added && longest > 0) {
      added = false;
      for (int b = longest; b >= 1 && spare >= 8; b /= 2) {
        for (int tick = b - 1; tick < longest && spare >= 8; tick += b) {
          for (int k = count - 1; k >= 0 && spare >= 8; --k) {
            std::vector<int>& at = steps[static_cast<size_t>(k)];
            if (tick >= static_cast<int>(at.size())) continue;
            ++at[static_cast<size_t>(tick)];
            spare -= 8;
            added = true;
          }
        }
      }
    }
    for (int k = 0; k < count; ++k) {
      TQSCalcMeasure* slot = SlotAt(c, k);
      const std::vector<int>& at = steps[static_cast<size_t>(k)];
      int64_t shift = 0;
      for (size_t i = 0; i < at.size(); ++i) {
        shift += 8 * int64_t{at[i]};
        slot->Positions[i] = ClampU16(slot->Positions[i] + shift);
      }
      slot->Width = ClampU16(slot->Width + shift);
    }
  } else {
    int64_t sum = 0;
    for (int k = 0; k < count; ++k) sum += SlotAt(c, k)->Length;
    if (sum == 0) return;
    const double share = static_cast<double>(spare) / static_cast<double>(sum);
    const int wholeShare = Round(share);
    double owed = 0;
    for (int k = 0; k < count; ++k) {
      TQSCalcMeasure* slot = SlotAt(c, k);
      int shift = 0;
      for (int tick = 0; tick < slot->Length; ++tick) {
        owed += share;
        if (owed > wholeShare) {
          const int step = Round(owed);
          shift += step;
          slot->Width = ClampU16(slot->Width + step);
          owed -= step;
        }
        slot->Positions[static_cast<size_t>(tick)] = ClampU16(slot->Positions[static_cast<size_t>(tick)] + shift);
      }
    }
  }
  for (int k = 0; k < count; ++k) {
    TQSCalcMeasure* slot = SlotAt(c, k);
    if (k > 0) {
      const TQSCalcMeasure* prev = SlotAt(c, k - 1);
      slot->Box.Left = prev->Box.Right + SpaceAfter(c, prev->MeasureIndex);
    }
    slot->Box.Right = slot->Box.Left + slot->Width;
  }
}

// ------------------------------------------------------------- open spans

namespace {

TQSNote* OwnerNote(const TQSItem* item) {
  if (!item) return nullptr;
  TQSItemOwner* owner = item->Owner();
  if (owner && typeid(*owner) == typeid(TQSNote)) return static_cast<TQSNote*>(owner);
  return dynamic_cast<TQSNote*>(dynamic_cast<TQSItemHolder*>(owner));
}

// The row of staff `staff` of the item's part in the current system.
TQSCalcStaff* PartStaffRow(const TLayoutContext& c, const TQSItem* item, int staff) {
  const TQSMeasure* m = item ? item->GetMeasure() : nullptr;
  const TQSCalcSystemPart* sp = m ? c.SystemPartOf(m->Part()->Index) : nullptr;
  return sp ? c.PageRow(sp->FirstRow + staff) : nullptr;
}

bool IsTie(const TQSItem* item) { return item && item->ItemType == kind::Liga; }
bool IsSlurTie(const TQSItem* item) { return IsTie(item) && static_cast<const TQSLiga*>(item)->IsSlur(); }

// The clef offset at a tick of a slot, on the staff of the item's part.
int ClefOffsetOfStaff(TLayoutContext& c, const TQSCalcMeasure* slot, const TQSItem* item, int staffVoice, int tick) {
  const TQSMeasure* m = item ? item->GetMeasure() : nullptr;
  if (!m || !slot) return 0;
  const TQSStaff* staff = m->Part()->GetStaff(StaffOf(static_cast<uint8_t>(staffVoice)));
  int kind = -1;
  const int offset = slot->ClefOffsetFor(m->Part(), staff ? staff->SystemRow : 0, staffVoice, tick, &kind);
  if (kind >= 0) c.PercussionClef = IsPercussionClef(kind);
  return offset;
}

int StaffSizeOfItem(const TLayoutContext& c, const TQSItem* item, int staffVoice) {
  const TQSMeasure* m = item ? item->GetMeasure() : nullptr;
  return c.StaffSizeOf(m ? m->Part()->GetStaff(StaffOf(static_cast<uint8_t>(staffVoice))) : nullptr);
}

// A continuation element in the system's first slot for a span from an
// earlier system.
TQSCalcItem* ContinueSpan(TLayoutContext& c, TQSCalcItem* old) {
  TQSItem* item = old->Item;
  c.Slot = SlotAt(c, 0);
  TQSCalcItem* e = c.NewElement(item, true, true);
  e->State = old->State;
  e->Param = old->Param;
  e->Param2 = old->Param2;
  e->SizePercent = old->SizePercent;
  if (IsTie(item)) {
    const auto* tie = static_cast<const TQSLiga*>(item);
    const TQSNote* note = OwnerNote(item);
    const int sv = note ? note->Fields.StaffVoice : tie->Fields.EndStaffVoice;
    const int size = StaffSizeOfItem(c, item, sv);
    TQSCalcStaff* row = PartStaffRow(c, item, StaffOf(static_cast<uint8_t>(sv)));
    const int y = tie->Fields.StartY;
    e->Box2 = {c.ScaledBy(-64, size), c.ScaledBy(y - 32, size), c.ScaledBy(32, size),
               c.ScaledBy(y + 32, size)};
    if (!tie->EndFromStart()) {
      const int offset = ClefOffsetOfStaff(c, c.Slot, item, sv, 0);
      e->Box2.Top = c.ScaledBy(offset * c.StaffSpace / 2 + tie->Fields.EndY, size);
      e->Box2.Bottom = e->Box2.Top;
    }
    e->Row = row;
    e->Box2.Top += RowTop(row);
    e->Box2.Bottom += RowTop(row);
  } else if (item && item->ItemType == kind::Volta) {
    const auto* mark = static_cast<const TQSMark*>(item);
    TQSCalcStaff* row = c.PageRow(c.System->FirstRow);
    e->Row = row;
    e->Box = c.StaffBox(mark->Fields.OffsetX, mark->Fields.OffsetY, 0, 0);
    e->Box.Top += RowTop(row);
    e->Box.Bottom += RowTop(row);
  } else {
    const auto* mark = dynamic_cast<const TQSMark*>(item);
    const int y = mark ? mark->Fields.OffsetY : 0;
    TQSCalcStaff* row = PartStaffRow(c, item, 0);
    e->Row = row;
    e->Box = c.StaffBox(-32, y - 32, 32, y + 32);
    e->Box.Top += RowTop(row);
    e->Box.Bottom += RowTop(row);
  }
  if (item) item->LayoutLink = e;
  e->Next = old;
  return e;
}

// Where a tie ends in slot `slot` at tick t.
void EndTieIn(TLayoutContext& c, TQSCalcItem* span, TQSCalcMeasure* slot, int t) {
  auto* tie = static_cast<TQSLiga*>(span->Item);
  const TQSNote* note = OwnerNote(tie);
  const int size = span->SizePercent ? span->SizePercent : 100;
  const int scaleSize = c.Scale * size;
  if (tie->EndFromStart() && note) {
    const TQSStaff* staff = note->GetMeasure() ? note->GetMeasure()->Part()->GetStaff(StaffOf(note->Fields.StaffVoice)) : nullptr;
    TQSCalcStaff* row = PartStaffRow(c, tie, StaffOf(note->Fields.StaffVoice));
    const bool fixed = tie->IsSlide();
    int level;
    if (staff && staff->Fields.Tablature) {
      level = RowTop(row) + (staff->Fields.LineCount - note->Fields.TabString - 1) * c.TabLineDistance;
      if (!fixed) level += tie->IsBelow() ? scaleSize * 40 / 10000 : -scaleSize * 24 / 10000;
    } else {
      const int offset = ClefOffsetOfStaff(c, slot, note, note->Fields.StaffVoice, t);
      level = StaffPosition(offset, note->Fields.Pitch) * c.StaffSpace / 2 + RowTop(row);
      if (!fixed) level += (tie->IsBelow() ? 1 : -1) * scaleSize * 40 / 10000;
    }
    span->Box2.Top = level + tie->Fields.StartY;
    span->Box2.Bottom = level + tie->Fields.EndY;
  } else {
    const int offset = ClefOffsetOfStaff(c, slot, tie, tie->Fields.EndStaffVoice, t);
    TQSCalcStaff* row = PartStaffRow(c, tie, StaffOf(tie->Fields.EndStaffVoice));
    span->Box2.Bottom = c.ScaledBy(offset * c.StaffSpace / 2 + tie->Fields.EndY, size) + RowTop(row);
  }
  span->Box2.Right = std::max(XOf(slot, t) + span->Box2.Right, span->Box2.Left + 128);
}

// The second piece of a slur-type tie, in the slot where it ends.
void EndSlurTieIn(TLayoutContext& c, TQSCalcItem* span, TQSCalcMeasure* slot, int t) {
  auto* tie = static_cast<TQSLiga*>(span->Item);
  TQSCalcMeasure* saved = c.Slot;
  c.Slot = slot;
  TQSCalcItem* second = c.NewElement(tie, true, true);
  c.Slot = saved;
  span->State = 1;
  second->State = 2;
  second->SizePercent = span->SizePercent;
  tie->LayoutLink = span;
  span->Next = second;
  second->Row = span->Row;
  second->Box2.Left = c.ScoreScaled(tie->Fields.EndX);
  second->Box2.Right = c.ScoreScaled(tie->Fields.StartX);
  const int size = span->SizePercent ? span->SizePercent : 100;
  const int offset = ClefOffsetOfStaff(c, slot, tie, tie->Fields.EndStaffVoice, t);
  TQSCalcStaff* row = PartStaffRow(c, tie, StaffOf(tie->Fields.EndStaffVoice));
  second->Box2.Bottom = c.ScaledBy(offset * c.StaffSpace / 2 + tie->Fields.EndY, size) + RowTop(row);
  second->Box2.Top = second->Box2.Bottom;
  second->Param = static_cast<uint16_t>(std::max(t, 0));
}

}  // namespace

void ContinueOpenSpans(TLayoutContext& c) {
  auto& spans = c.Page->OpenSpans;
  const int first = c.System->FirstMeasure;
  const int count = c.System->MeasureCount;
  TQSCalcMeasure* savedSlot = c.Slot;
  for (int i = static_cast<int>(spans.size()) - 1; i >= 0; --i) {
    TQSCalcItem* span = spans[static_cast<size_t>(i)];
    const TQSCalcMeasure* own = span->Owner;
    if (!own || own->MeasureIndex >= first + count) {
      spans.erase(spans.begin() + i);
      continue;
    }
    if (count == 0) continue;
    TQSItem* item = span->Item;
    if (item && item->ItemType == kind::BarRepeat) {
      if (span->State == 0) {
        span->State = 1;
      } else {
        spans.erase(spans.begin() + i);
        c.Slot = SlotAt(c, 0);
        CopyMeasureEvents(c, c.Piece->VisitCount - 3, item->StaffVoice());
      }
      continue;
    }
    const bool continuation = span->State != 0;
    const bool slurTie = IsSlurTie(item);
    if (continuation && !slurTie) {
      span = ContinueSpan(c, span);
      spans[static_cast<size_t>(i)] = span;
    }
    const bool volta = item && item->ItemType == kind::Volta;
    int remaining = span->Param;
    int startSlot = 0;
    if (!continuation) {
      if (IsTie(item)) {
        const TQSNote* note = OwnerNote(item);
        remaining += TLayoutContext::AnchorTick(note) - own->Length;
      } else if (volta) {
        remaining -= 1;
      } else {
        remaining += (item ? item->TimePosition() : 0) - own->Length;
      }
      // Begun here: the walk starts after the span's own slot.
      startSlot = count;
      for (int k = 0; k < count; ++k)
        if (SlotAt(c, k) == own) startSlot = k + 1;
    }
    int base = 0;
    bool ended = false;
    for (int k = startSlot; k < count; ++k) {
      TQSCalcMeasure* slot = SlotAt(c, k);
      const int end = base + (volta ? 1 : slot->Length);
      if (item && item->ItemType == kind::Ottava) slot->SpanningMarks.push_back(span);
      if (remaining < end) {
        const int tick = remaining - base;
        if (slurTie)
          EndSlurTieIn(c, span, slot, tick);
        else if (IsTie(item))
          EndTieIn(c, span, slot, tick);
        else if (volta)
          span->Box.Right = slot->Box.Right;
        else if (item && item->ItemType == kind::Trill && c.Score.MarksClearOfTheMusic)
          // An imported trill's line ends short of the note after its last.
          span->Box.Right = std::max(XOf(slot, tick) - c.StaffSpace / 2, span->Box.Left + 128);
        else
          span->Box.Right = std::max(XOf(slot, tick) + span->Box.Right, span->Box.Left + 128);
        if (!slurTie) span->State = continuation ? 1 : 2;
        spans.erase(spans.begin() + i);
        ended = true;
        break;
      }
      base = end;
    }
    if (ended) continue;
    const TQSCalcMeasure* last = SlotAt(c, count - 1);
    if (IsTie(item) && !slurTie) {
      span->Box2.Right = last->Box.Right;
      if (continuation) {
        TQSCalcStaff* row = PartStaffRow(c, item, 0);
        span->Box2.Top = row ? (static_cast<const TQSLiga*>(item)->IsBelow() ? row->Bottom : row->Top) : 0;
      }
      span->Box2.Bottom = span->Box2.Top;
    } else {
      span->Box.Right = last->Box.Right;
    }
    span->Param = static_cast<uint16_t>(std::clamp(remaining - base, 0, 0xFFFF));
    span->State = slurTie ? 1 : continuation ? 3 : 2;
  }
  c.Slot = savedSlot;
}

// ------------------------------------------------------- absolute placement

namespace {

void PlaceBeam(TPlacement& p, TQSCalcItem& beam) {
  if (beam.Links.size() < 3) return;
  const TQSCalcItem* a = beam.Links.front();
  const TQSCalcItem* b = beam.Links.back();
  auto tickOf = [](const TQSCalcItem* stem) { return TLayoutContext::AnchorTick(stem->Item); };
  auto down = [](const TQSCalcItem* stem) {
    const auto* note = dynamic_cast<const TQSNote*>(stem->Item);
    return note && note->IsStemDown();
  };
  auto endY = [&](const TQSCalcItem* stem) { return down(stem) ? stem->Box.Bottom : stem->Box.Top; };
  auto pos = [&](int tick) { return p.X(tick) - p.Left(); };
  const int x1 = pos(tickOf(a)) + a->Box.Left;
  const int x2 = pos(tickOf(b)) + b->Box.Left + b->Box.Right;
  const int y1 = endY(a), y2 = endY(b);
  const double slope = x1 == x2 ? 0.0 : static_cast<double>(y1 - y2) / (x2 - x1);
  for (size_t i = 1; i + 1 < beam.Links.size(); ++i) {
    TQSCalcItem* stem = beam.Links[i];
    const int y = y1 - Round((pos(tickOf(stem)) + stem->Box.Left - x1) * slope);
    (down(stem) ? stem->Box.Bottom : stem->Box.Top) = y;
  }
}

void PlaceTie(TPlacement& p, TQSCalcItem& e) {
  auto* tie = static_cast<TQSLiga*>(e.Item);
  const TQSNote* note = OwnerNote(tie);
  const int anchor = TLayoutContext::AnchorTick(note);
  TRect& b2 = e.Box2;
  const int state = e.State;
  if ((state == 3 && !tie->IsSlur()) || (tie->IsSlur() && (state == 0 || state == 1))) {
    b2.Left = p.Left() + b2.Left + p.Header();
    if (tie->IsSlur()) b2.Right = p.X(anchor) + b2.Right;
    // A tie carried into a second ending ends at the note it leads to.
    if (e.Flags & kTieEndsAtMeasureStart) b2.Right = std::max(p.X(0) + b2.Right, b2.Left + 32);
  } else if (tie->IsSlur() && state == 2) {
    b2.Left = p.X(e.Param) + b2.Left;
    b2.Right = p.Slot->Box.Right + b2.Right;
  } else {
    if (state == 0) b2.Right = p.X(anchor + e.Param) + b2.Right;
    if (state == 0 || state == 2)
      b2.Left = p.X(anchor) + b2.Left;
    else if (state == 1)
      b2.Left = p.Left() + b2.Left + p.Slot->Positions[0] - 16;
    if (b2.Right <= b2.Left + 32) b2.Right = b2.Left + 32;
  }
  const int length = b2.Right - b2.Left;
  if (e.Next && e.Next->Item == tie && (state == 1 || state == 3)) e.Param2 = e.Next->Param2;
  TQSLiga::TFields& f = tie->Fields;
  if (f.CurveStartDX == 0 && f.CurveStartDY == 0 && f.CurveEndDX == 0 && f.CurveEndDY == 0) {
    const int segments = std::clamp(length / 400, 4, 10);
    const int dx = length / segments, dy = (b2.Bottom - b2.Top) / segments;
    const double angle = (tie->IsBelow() ? -20.0 : 20.0) * std::numbers::pi / 180.0;
    const double cs = std::cos(angle), sn = std::sin(angle);
    f.CurveStartDX = static_cast<int16_t>(Round(dx * cs + dy * sn));
    f.CurveStartDY = static_cast<int16_t>(Round(-dx * sn + dy * cs));
    f.CurveEndDX = static_cast<int16_t>(Round(-(dx * cs - dy * sn)));
    f.CurveEndDY = static_cast<int16_t>(Round(-(dx * sn + dy * cs)));
    e.Param2 = static_cast<int16_t>(std::clamp(length, -32768, 32767));
    RememberLayoutCurve(*tie);
  }
  // The box holds the end points and the control points.
  const TPoint start{b2.Left, b2.Top}, end{b2.Right, b2.Bottom};
  const TPoint c1{start.X + f.CurveStartDX, start.Y + f.CurveStartDY};
  const TPoint c2{end.X + f.CurveEndDX, end.Y + f.CurveEndDY};
  e.Box.Left = f.CurveStartDX < 0 ? c1.X : start.X;
  e.Box.Right = f.CurveEndDX > 0 ? c2.X : end.X;
  const bool firstHigher = c1.Y < c2.Y;
  const TPoint& upper = firstHigher ? c1 : c2;
  const int upperDy = firstHigher ? f.CurveStartDY : f.CurveEndDY;
  e.Box.Top = upperDy < 0 ? upper.Y : (firstHigher ? start.Y : end.Y);
  const bool firstLower = c1.Y > c2.Y;
  const TPoint& lower = firstLower ? c1 : c2;
  const int lowerDy = firstLower ? f.CurveStartDY : f.CurveEndDY;
  e.Box.Bottom = lowerDy > 0 ? lower.Y : (firstLower ? start.Y : end.Y);
}

void PlaceTuplet(TPlacement& p, TQSCalcItem& e) {
  auto* mark = static_cast<TQSMark*>(e.Item);
  TLayoutContext& c = p.c;
  const int span = TupletLength(mark->Fields.Kind, mark->Fields.Value);
  const int start = mark->Fields.Time;
  const bool below = mark->Fields.Style & TQSMark::kTupletBelow;
  TQSMeasure* m = mark->GetMeasure();
  const int sv = mark->Fields.StaffVoice;
  TQSStaff* staff = m ? m->Part()->GetStaff(StaffOf(static_cast<uint8_t>(sv))) : nullptr;
  const int size = c.StaffSizeOf(staff);
  const int space = c.StaffSpaceAt(size);
  const int rowTop = RowTop(PartStaffRow(c, mark, StaffOf(static_cast<uint8_t>(sv))));
  const int scoreStem = c.ScaledBy(c.Score.StemLength * 8, size);
  // In imported music the bracket on the heads' side of the notes stands
  // by the heads, and clear of every note of the tuplet.
  const bool byTheHeads = c.Score.MarksClearOfTheMusic;
  std::vector<std::pair<int, int>> inner;  // tick, y
  // One bracket end per tick: a later chord note replaces the earlier.
  std::vector<std::pair<int, int>> ends;  // tick, y
  if (m) {
    for (TQSItem* item : m->Items) {
      if (item->StaffVoice() != sv) continue;
      const int tick = item->TimePosition();
      if (tick < start || tick >= start + span) continue;
      int y;
      if (item->ItemType == kind::Note) {
        const auto* note = static_cast<const TQSNote*>(item);
        if (byTheHeads) {
          const bool stemSide = note->Fields.Length < 512 && below == note->IsStemDown();
          const int stem = !stemSide ? 0 : note->Fields.Length < 128 ? c.ScaledBy(note->Fields.StemLength * 8, size) : scoreStem;
          inner.emplace_back(tick, note->StaffPosition * space / 2 - space / 2 + (below ? 2 * space + stem : -stem - space) + rowTop);
        }
        if (note->BeamGroup && m->BeamGroups.size() > note->BeamGroup) {
          // Inside a beam only its first and last notes count.
          const TQSBeamGroup& g = m->BeamGroups[note->BeamGroup];
          const auto at = std::find(m->BeamNotes.begin(), m->BeamNotes.end(), note);
          const int index = static_cast<int>(at - m->BeamNotes.begin());
          if (at != m->BeamNotes.end() && index > g.First && index < g.Last) continue;
        }
        int stem = (!note->IsStemDown() && note->Fields.Length < 128)
                             ? c.ScaledBy(note->Fields.StemLength * 8, size)
                             : scoreStem;
        if (byTheHeads && (note->Fields.Length >= 512 || below != note->IsStemDown())) stem = 0;
        y = note->StaffPosition * space / 2 - space / 2 + (below ? 2 * space + stem : -stem - space);
      } else if (item->ItemType == kind::Pause) {
        const auto* rest = static_cast<const TQSPause*>(item);
        y = c.ScaledBy(rest->Fields.OffsetY, size) + 2 * space + (below ? scoreStem : -scoreStem);
      } else {
        continue;
      }
      if (!ends.empty() && ends.back().first == tick)
        ends.back().second = y + rowTop;
      else
        ends.emplace_back(tick, y + rowTop);
    }
  }
  const int endTick = ends.empty() ? start + span - 1 : ends.back().first;
  const int firstY = ends.empty() ? rowTop : ends.front().second;
  const int lastY = ends.empty() ? rowTop : ends.back().second;
  TRect& b2 = e.Box2;
  b2 = {p.X(start), firstY, p.X(endTick), lastY};
  if (byTheHeads && b2.Right != b2.Left) {
    int shift = 0;
    for (const auto& [tick, y] : inner) {
      const int x = p.X(tick);
      const int line = b2.Top + static_cast<int>(static_cast<long long>(b2.Bottom - b2.Top) * (x - b2.Left) / (b2.Right - b2.Left));
      shift = below ? std::max(shift, y - line) : std::min(shift, y - line);
    }
    // Outside the staff lines, the number too.
    if (const TQSCalcStaff* row = PartStaffRow(c, mark, StaffOf(static_cast<uint8_t>(sv)))) {
      if (below)
        shift = std::max(shift, row->BottomLine + space - std::min(b2.Top, b2.Bottom));
      else
        shift = std::min(shift, row->TopLine - space - std::max(b2.Top, b2.Bottom));
    }
    b2.Top += shift;
    b2.Bottom += shift;
  }
  if (mark->Fields.Angle != 0) {
    const double angle = mark->Fields.Angle * std::numbers::pi / 180.0;
    const int dx = b2.Right - b2.Left, dy = b2.Bottom - b2.Top;
    b2.Bottom += dy - Round(dx * std::sin(angle) + dy * std::cos(angle));
  }
  e.Box = {std::min(b2.Left, b2.Right), std::min(b2.Top, b2.Bottom), std::max(b2.Left, b2.Right),
           std::max(b2.Top, b2.Bottom)};
  if (below)
    e.Box.Top -= 32;
  else
    e.Box.Bottom += 32;
}

// Every item element by its kind.
void PlaceItem(TPlacement& p, TQSCalcItem& e, int index) {
  if (!e.Item) return;
  switch (e.Item->ItemType) {
    case kind::Accolade: PlaceAccolade(p, e); break;
    case kind::Clef: PlaceClef(p, e); break;
    case kind::Key: PlaceKey(p, e); break;
    case kind::Meter: PlaceMeter(p, e); break;
    case kind::MeasureNumbering:
    case kind::Rehearsal: PlaceMeasureLabel(p, e); break;
    case kind::Note: PlaceNote(p, e); break;
    case kind::Pause: PlaceRest(p, e); break;
    case kind::Liga: PlaceTie(p, e); break;
    case kind::Lyric:
    case kind::Term: PlaceText(p, e); break;
    case kind::InstrumentName: PlaceInstrumentName(p, e); break;
    case kind::BarRepeat: PlaceBarRepeat(p, e); break;
    case kind::MultiRest: PlaceMultiRest(p, e); break;
    case kind::Dot:
    case kind::Accidental:
    case kind::Glissando:
    case kind::Fall: PlaceNoteAttachment(p, e); break;
    case kind::Tuplet: PlaceTuplet(p, e); break;
    case kind::Dynamics: PlaceDynamics(p, e); break;
    case kind::Trill:
    case kind::Bracket:
    case kind::Vibrato:
    case kind::Muting:
    case kind::Ottava:
    case kind::StringNumber:
    case kind::Barre:
    case kind::Flageolet: PlaceLineMark(p, e, index); break;
    case kind::Bend: PlaceBend(p, e); break;
    case kind::Segno:
    case kind::Coda:
    case kind::DaCapo:
    case kind::DalSegno: PlaceJumpSign(p, e); break;
    case kind::RepeatOpen:
    case kind::CompositionBegin:
    case kind::RepeatClose:
    case kind::SectionEnd:
    case kind::CompositionEnd: PlaceBarline(p, e); break;
    case kind::Volta: PlaceVolta(p, e); break;
    default: PlaceMarkAtTick(p, e); break;
  }
}

}  // namespace

int TPlacement::X(int tick) const { return XOf(Slot, tick); }

void PlaceSystemElements(TLayoutContext& c) {
  for (int k = 0; k < c.System->MeasureCount; ++k) {
    TQSCalcMeasure* slot = SlotAt(c, k);
    TPlacement p{c, slot, k};
    for (int i = 0; i < slot->ItemCount; ++i) {
      TQSCalcItem& e = *slot->Items.At(i);
      switch (e.ElementType) {
        case element::PartBarline:
          e.Box.Left += slot->Box.Right;
          e.Box.Right += slot->Box.Right;
          break;
        case element::Stem:
          e.Box.Left = slot->Box.Left + e.Box.Left +
                       (XOf(slot, TLayoutContext::AnchorTick(e.Item)) - slot->Box.Left);
          e.Box.Right += e.Box.Left;
          break;
        case element::Beam: PlaceBeam(p, e); break;
        case element::Item: PlaceItem(p, e, i); break;
        default: break;
      }
    }
  }
  FitSlurs(c);
  SettleMarks(c);
}

}  // namespace qs

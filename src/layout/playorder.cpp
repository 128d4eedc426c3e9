// Column items (the items a column holds for all parts of one measure),
// the per-measure events and dynamics, and the play order of a piece: the
// measures as they sound once repeats, voltas and jumps are unfolded.
#include <algorithm>
#include <cmath>
#include <string>

#include "layout/context.h"
#include "layout/metrics.h"
#include "layout/steps.h"
#include "platform/musicglyphs.h"
#include "score/helpers.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/pageobjects.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs {

namespace {

TQSCalcMeasure* SlotOf(const TLayoutContext& c, int measure) {
  const TQSPiece* piece = c.Piece;
  if (!piece || measure < 0 || measure >= static_cast<int>(piece->Slots.size())) return nullptr;
  return ClassCast<TQSCalcMeasure>(piece->Slots[static_cast<size_t>(measure)]);
}

TQSCalcVisit* VisitAt(const TLayoutContext& c, int index) {
  const TQSPiece* piece = c.Piece;
  if (!piece || index < 0 || index >= piece->VisitCount || index >= static_cast<int>(piece->Visits.size()))
    return nullptr;
  return piece->Visits[static_cast<size_t>(index)].get();
}

int FirstRowTop(const TLayoutContext& c) { return RowTop(c.System ? c.PageRow(c.System->FirstRow) : nullptr); }

// Makes the measure's own visit when it has none yet; a volta number of
// -1 keeps the one in force.
void EnsureMeasureVisit(TLayoutContext& c, int h, int volta) {
  if (c.VisitMade) return;
  TQSCalcVisit* v = NewVisit(c, false);
  v->Measure = h;
  if (volta >= 0) v->Volta = static_cast<uint16_t>(volta);
  c.OwnVisit = c.Piece->VisitCount++;
  c.VisitMade = true;
}

// The visit made for the current measure, made now when it has none.
TQSCalcVisit* MeasureVisit(TLayoutContext& c, int h) {
  EnsureMeasureVisit(c, h, -1);
  return VisitAt(c, c.OwnVisit);
}

// The measure of the open mark that a close mark at the current measure
// goes back to (nested pairs skipped); 0 when none.
int FindRepeatStart(TLayoutContext& c, int open, int close) {
  int n = 0;
  for (int m = c.MeasureIndex; m >= 0; --m) {
    const TQSCalcMeasure* slot = SlotOf(c, m);
    if (!slot) continue;
    for (const TQSItem* mark : slot->JumpMarks) {
      if (mark->ItemType == close) {
        ++n;
      } else if (mark->ItemType == open) {
        if (n == 0) return m;
        --n;
      }
    }
  }
  return 0;
}

int FindMarkBack(TLayoutContext& c, int type) {
  for (int m = c.MeasureIndex - 1; m >= 0; --m) {
    const TQSCalcMeasure* slot = SlotOf(c, m);
    if (!slot) continue;
    for (const TQSItem* mark : slot->JumpMarks)
      if (mark->ItemType == type) return m;
  }
  return -1;
}

// Appends the visits of a jump back to measure from: the measures from
// there to the current one sound again, those in a volta ending of the
// first time through and, with skipCoda, those between coda signs, not.
void AppendReplay(TLayoutContext& c, int from, bool skipCoda) {
  from = std::max(from, 0);
  MeasureVisit(c, c.MeasureIndex);
  TQSPiece* piece = c.Piece;
  // Only the visits made so far are looked at, not the ones this replay
  // appends.
  const int count = piece->VisitCount;
  int offset = 0;
  while (from + offset < count && VisitAt(c, from + offset)->Measure != from) ++offset;
  if (from + offset >= count) return;  // measure from was never visited
  const uint16_t state = ++c.Page->JumpState;
  for (int m = from; m <= c.MeasureIndex; ++m) {
    const int index = from + offset + (m - from);
    if (index >= count) break;
    TQSCalcVisit* s = VisitAt(c, index);
    if ((s->Volta == state && s->Skip == 0) || (skipCoda && s->CodaFlag)) continue;
    const TQSCalcVisit source = *s;
    TQSCalcVisit* copy = NewVisit(c, false);
    s = VisitAt(c, index);  // the list may have grown
    copy->Measure = source.Measure;
    copy->StartTick = source.StartTick;
    copy->EndTick = source.EndTick;
    copy->Volta = source.Volta;
    copy->JumpState = state;
    copy->Skip = static_cast<uint8_t>(source.Skip + 2);
    if (source.Skip == 0) s->StartTick = 0;
    ++s->Skip;
    ++piece->VisitCount;
  }
}

// A mark goes to the front of the measure's jump marks; a repeat-open or
// segno listed there already moves, so that it counts once when a repeat
// searches back for its start.
void PushFrontJump(TQSCalcMeasure* slot, TQSItem* mark) {
  std::erase(slot->JumpMarks, mark);
  slot->JumpMarks.insert(slot->JumpMarks.begin(), mark);
}

bool InsideMeasure(const TQSMark& mark, int length) {
  const int k = mark.ItemType, tick = mark.Fields.Time;
  if (k == kind::RepeatOpen || k == kind::CompositionBegin) return tick != 0;
  return tick < length;
}

bool IsBarline(int k) { return k >= kind::RepeatOpen && k <= kind::CompositionBegin; }

// ------------------------------------------------------------ column items

// One element of the mark on every staff row of the system, chained, with
// the row's staff current while f fills it in.
template <class F>
void ForEachSystemRow(TLayoutContext& c, TQSMark& mark, F f) {
  TQSStaff* current = c.Staff;
  for (int r = c.System->FirstRow; r <= c.System->LastRow; ++r) {
    TQSCalcStaff* row = c.PageRow(r);
    if (!row) continue;
    c.SetStaff(row->Staff);
    TQSCalcItem* e = c.NewChainedElement(&mark, true, true);
    e->Row = row;
    e->SizePercent = static_cast<uint8_t>(c.StaffSize());
    f(e, row);
  }
  c.SetStaff(current);
}

void LayoutVolta(TLayoutContext& c, TQSMark& mark, int h) {
  TQSCalcItem* e = c.NewChainedElement(&mark, true, true);
  const int span = std::max<int>(1, mark.Fields.Value);
  if (span > 1) c.Page->OpenSpans.push_back(e);
  EnsureMeasureVisit(c, h, mark.Fields.Kind);
  c.Page->VoltaLeft = static_cast<int16_t>(span - 1);
  c.Page->VoltaNumber = mark.Fields.Kind;
  e->Param = static_cast<uint16_t>(span - 1);
  e->Box = c.StaffBox(mark.Fields.OffsetX, mark.Fields.OffsetY, 0, 0);
  const TQSCalcStaff* first = c.PageRow(c.System->FirstRow);
  MoveDown(e->Box, first ? first->TopLine : 0);
}

void LayoutTimeSignature(TLayoutContext& c, TQSMark& mark, int h) {
  TQSCalcMeasure* slot = c.Slot;
  const uint16_t meter = mark.Fields.Value;
  const int width = TimeSignatureWidth(c, meter, mark.Fields.Style);
  slot->MeterWidth = static_cast<uint16_t>(std::max<int>(slot->MeterWidth, width));
  c.Page->Meter = meter;
  c.Page->MeterStyle = mark.Fields.Style;
  const TQSColumn* column = c.Column();
  if (h > 0 || (!HasUpbeat(c.Piece->Auftakt()) && !(column && column->Fields.Meter))) {
    slot->Meter = meter;
    slot->Length = static_cast<uint16_t>(std::clamp(MeterLength(meter), 1, 0xFFFF));
    if (slot->Positions.size() < slot->Length) slot->Positions.resize(slot->Length, 0);
  }
  ForEachSystemRow(c, mark, [&](TQSCalcItem* e, const TQSCalcStaff* row) {
    e->Box = c.StaffBox(mark.Fields.OffsetX, mark.Fields.OffsetY, width, mark.Fields.OffsetY);
    e->Box.Top += row->Top;
    e->Box.Bottom += row->Bottom;
  });
}

void LayoutTempo(TLayoutContext& c, TQSMark& mark) {
  TQSCalcItem* e = c.NewChainedElement(&mark, true, true);
  const int unit = mark.Fields.Kind;
  c.Fonts.SetMusicFont(128);
  int width = c.Fonts.GlyphWidth(static_cast<uint8_t>(glyphs::NoteheadWhole + unit)) + 8;
  c.Fonts.SetTextFont(64);
  width += c.Fonts.TextWidth("=" + std::to_string(mark.Fields.Value));
  e->Box = c.ScoreBox(mark.Fields.OffsetX, mark.Fields.OffsetY - 128, width, mark.Fields.OffsetY + 80);
  MoveDown(e->Box, FirstRowTop(c));
  const int tick = mark.Fields.Time;
  AddEvent(c, &mark, tick);
  c.Page->ElapsedMs += (tick - c.LastTempoTick) * c.Page->MsPerTick;
  // A tempo of 0 or a note unit beyond the table leaves the tempo as it is.
  const double t = std::ldexp(1.0, 9 - std::min(unit, 9)) * mark.Fields.Value;
  if (t > 0) c.Page->MsPerTick = 60000.0 / (t / 128) / 128;
  c.LastTempoTick = tick;
}

void LayoutNumbering(TLayoutContext& c, TQSMark& mark) {
  c.Page->MeasureNumbering = &mark;
  if (mark.Fields.Value) c.Page->MeasureNumber = mark.Fields.Value;
  TQSCalcItem* e = c.NewChainedElement(&mark, true, true);
  c.Fonts.SetTextFont(48);
  e->Text = std::to_string(c.Page->MeasureNumber);
  const int width = c.Fonts.TextWidth(e->Text);
  e->Box = c.ScoreBox(mark.Fields.OffsetX, mark.Fields.OffsetY - 128, width, mark.Fields.OffsetY - 48);
  MoveDown(e->Box, FirstRowTop(c));
}

void LayoutRehearsal(TLayoutContext& c, TQSMark& mark) {
  c.Slot->RehearsalMark = &mark;
  c.Page->Rehearsal = &mark;
  c.RehearsalCounter = mark.Fields.Value ? mark.Fields.Value : c.RehearsalCounter + 1;
  TQSCalcItem* e = c.NewChainedElement(&mark, true, true);
  e->Text = (mark.Fields.Style & TQSMark::kRehearsalCountMask) == TQSMark::kRehearsalNumbers ? std::to_string(c.RehearsalCounter)
                                              : IntToLetters(c.RehearsalCounter - 1);
  c.Fonts.SetTextFont(80);
  int width = c.Fonts.TextWidth(e->Text);
  const int border = mark.Frame();
  width += border == TQSMark::kFrameEllipse ? 64 : border != TQSMark::kFrameNone ? 32 : 0;
  e->Box = c.ScoreBox(mark.Fields.OffsetX - width / 2, mark.Fields.OffsetY - 144, width, mark.Fields.OffsetY);
  MoveDown(e->Box, FirstRowTop(c));
}

void LayoutMultiRest(TLayoutContext& c, TQSMark& mark, int h) {
  const int n = std::max<int>(1, mark.Fields.Value);
  c.MultiRestExtra = n - 1;
  EnsureMeasureVisit(c, h, mark.Fields.Kind);
  for (int i = 1; i < n; ++i) {
    TQSCalcVisit* v = NewVisit(c, true);
    v->Measure = h;
    ++c.Piece->VisitCount;
  }
  c.Fonts.SetTextFont(72);
  const int numberWidth = c.Fonts.TextWidth(std::to_string(n));
  const int letter = c.Fonts.TextHeight();
  ForEachSystemRow(c, mark, [&](TQSCalcItem* e, const TQSCalcStaff* row) {
    const int s = c.StaffSpace;
    const int y = c.Scaled(mark.Fields.OffsetY);
    int from = s, to = 2 * s;
    if (n >= 4 && n <= 9) to = 3 * s;
    if (n > 9) from = s + s / 2, to = 2 * s + s / 2;
    e->Box2 = {0, y + from + row->Top, 0, y + to + row->Top};
    e->Box = c.StaffBox(mark.Fields.OffsetX, mark.Fields.OffsetY, 0, mark.Fields.OffsetY);
    e->Box.Left = numberWidth;
    e->Box.Top = letter;
  });
}

void LayoutJumpSign(TLayoutContext& c, TQSMark& mark) {
  TQSCalcMeasure* slot = c.Slot;
  int width;
  const int k = mark.ItemType;
  if (k == kind::Segno || k == kind::Coda) {
    if (k == kind::Segno) {
      const int from = FindMarkBack(c, kind::Segno);
      if (from >= 0) {
        AppendReplay(c, from, true);
        PushFrontJump(slot, &mark);
      }
    }
    c.Fonts.SetMusicFont(128);
    width = c.Fonts.GlyphWidth(k == kind::Segno ? glyphs::Segno : glyphs::Coda);
  } else {
    c.Fonts.SetTextFont(64);
    c.Fonts.SetStyle(fontstyle::Italic);
    // On the way back the measures between coda signs are left out: a
    // coda sign marks where the music jumps to the coda (or stops, for
    // "al Fine") the second time.
    AppendReplay(c, k == kind::DaCapo ? 0 : FindRepeatStart(c, kind::Segno, kind::DalSegno), true);
    PushFrontJump(slot, &mark);
    width = c.Fonts.TextWidth(k == kind::DaCapo ? "D.C." : "D.S.");
    c.Fonts.SetStyle(0);
  }
  TQSCalcItem* e = c.NewChainedElement(&mark, true, true);
  e->Box = c.ScoreBox(mark.Fields.OffsetX - width / 2, mark.Fields.OffsetY - 48, width, mark.Fields.OffsetY + 48);
  MoveDown(e->Box, FirstRowTop(c));
}

void LayoutSectionBarline(TLayoutContext& c, TQSMark& mark) {
  TQSCalcMeasure* slot = c.Slot;
  const int k = mark.ItemType;
  const int tick = mark.Fields.Time;
  if (InsideMeasure(mark, slot->Length)) {
    c.MidMeasureBarline = true;
    return;
  }
  c.EndBarline = k >= kind::RepeatClose && k <= kind::CompositionEnd;
  if (k == kind::RepeatClose) AppendReplay(c, FindRepeatStart(c, kind::RepeatOpen, kind::RepeatClose), false);
  if (k == kind::RepeatOpen || k == kind::RepeatClose) PushFrontJump(slot, &mark);
  const int barWidth = (k == kind::RepeatOpen || k == kind::RepeatClose) ? 8 : k == kind::SectionEnd ? 4 : 5;
  if (k != kind::RepeatClose) c.Page->JumpState = 0;
  TQSCalcItem* last = nullptr;
  for (auto [first, lastRow] : PartRowGroups(c)) {
    const TQSCalcStaff* a = c.PageRow(first);
    const TQSCalcStaff* b = c.PageRow(lastRow);
    TQSCalcItem* e = c.NewChainedElement(&mark, true, true);
    e->Row = c.PageRow(first);
    e->Param = static_cast<uint16_t>(b && b->Staff ? b->Staff->Part()->Index : 0);
    e->Box = {0, a ? a->TopLine : 0, barWidth * 8, b ? b->BottomLine : 0};
    last = e;
  }
  uint16_t& width = tick != 0 ? slot->InnerBarWidth : k == kind::CompositionBegin ? slot->BeginBarWidth
                                                                                    : slot->RepeatBarWidth;
  width = static_cast<uint16_t>(std::min(width + barWidth * 8, 0xFFFF));
  if (last && last->Row && last->Row->Staff) {
    const int size = c.StaffSizeOf(last->Row->Staff);
    if (c.Scale != 100 || size != 100) last->Box.Right = c.ScaledBy(last->Box.Right, size);
  }
}

}  // namespace

// ------------------------------------------------------------------ events

TQSCalcEvent* AddEvent(TLayoutContext& c, TQSItem* item, int tick) {
  TQSCalcMeasure* target = c.Slot;
  int m = target->MeasureIndex;
  while (tick < 0 && m > 0) {
    TQSCalcMeasure* prev = SlotOf(c, --m);
    if (!prev) break;
    tick += prev->Length;
    target = prev;
  }
  tick = std::clamp(tick, 0, 0xFFFF);
  auto& list = target->Events;
  TQSCalcEvent* ev = nullptr;
  if (target != c.Slot) {
    // An earlier measure may be one that a pass from a later page keeps:
    // the item's event from the pass before is taken again.
    const auto old = std::find_if(list.begin(), list.end(), [item](const TQSCalcEvent* e) { return e->Item == item; });
    if (old != list.end()) {
      ev = *old;
      list.erase(old);
    }
  }
  if (!ev) ev = target->EventRecords.Need(target->EventRecordsUsed++);
  *ev = TQSCalcEvent{};
  ev->Item = item;
  ev->Tick = static_cast<uint16_t>(tick);
  auto at = list.end();
  while (at != list.begin() && (*(at - 1))->Tick > tick) --at;
  list.insert(at, ev);
  target->EventCount = static_cast<uint16_t>(std::min<size_t>(list.size(), 0xFFFF));
  if (target != c.Slot) c.ForeignEvents.emplace_back(target, ev);
  return ev;
}

void AddDynamic(TLayoutContext& c, TQSItem* item, int startTick, int endTick) {
  TQSCalcMeasure* slot = c.Slot;
  if (slot->DynamicCount >= slot->Dynamics.size()) slot->Dynamics.resize(slot->DynamicCount + 1u);
  TQSCalcDynamic& d = slot->Dynamics[slot->DynamicCount];
  d = TQSCalcDynamic{};
  d.Item = item;
  d.PartIndex = static_cast<int16_t>(c.PartIndex);
  d.StartTick = static_cast<uint16_t>(std::clamp(startTick, 0, 0xFFFF));
  d.EndTick = static_cast<uint16_t>(std::clamp(endTick, 0, 0xFFFF));
  ++slot->DynamicCount;
}

void CopyStaffEvents(TLayoutContext& c, TQSCalcMeasure* source, int count, int staffVoice, int shift, int endTick,
                     int startTick) {
  if (!source) return;
  count = std::min<int>(count, static_cast<int>(source->Events.size()));
  const std::vector<TQSCalcEvent*> events(source->Events.begin(), source->Events.begin() + count);
  for (const TQSCalcEvent* ev : events) {
    const auto* note = ev->Item && ev->Item->ItemType == kind::Note ? static_cast<const TQSItem*>(ev->Item) : nullptr;
    if (!note || note->StaffVoice() != staffVoice || ev->Tick < startTick) continue;
    const auto* n = dynamic_cast<const TQSNote*>(note);
    if (n && ev->Tick + n->Fields.Length <= endTick) AddEvent(c, ev->Item, ev->Tick + shift - startTick);
  }
}

void CopyMeasureEvents(TLayoutContext& c, int visitIndex, int staffVoice) {
  const TQSCalcVisit* v = VisitAt(c, visitIndex);
  TQSCalcMeasure* source = v ? SlotOf(c, v->Measure) : nullptr;
  if (!source) return;
  const std::vector<TQSCalcEvent*> events = source->Events;
  for (const TQSCalcEvent* ev : events)
    if (ev->Item && (ev->Item->ItemType != kind::Note || ev->Item->StaffVoice() == staffVoice))
      AddEvent(c, ev->Item, ev->Tick);
}

// -------------------------------------------------------------- play order

namespace {

// A visit of a multi-measure rest keeps the rest's style where a volta
// keeps its number; it belongs to no ending.
bool MultiRestVisit(const TLayoutContext& c, const TQSCalcVisit& v) {
  const TQSColumn* column = c.Piece ? c.Piece->GetColumn(v.Measure) : nullptr;
  if (!column) return false;
  bool rest = false;
  for (const TQSItem* item : column->Items) {
    if (item->ItemType == kind::Volta) return false;
    if (item->ItemType == kind::MultiRest) rest = true;
  }
  return rest;
}

}  // namespace

TQSCalcVisit* NewVisit(TLayoutContext& c, bool clearAll) {
  TQSPiece* piece = c.Piece;
  const auto index = static_cast<size_t>(std::max(piece->VisitCount, 0));
  while (piece->Visits.size() <= index) piece->Visits.push_back(std::make_unique<TQSCalcVisit>());
  TQSCalcVisit* v = piece->Visits[index].get();
  *v = TQSCalcVisit{};
  if (!clearAll) {
    v->Volta = c.Page->VoltaLeft >= 0 ? c.Page->VoltaNumber : 0;
    v->CodaFlag = c.Page->CodaFlag;
    v->JumpState = c.Page->JumpState;
  }
  return v;
}

void AppendMeasureVisit(TLayoutContext& c, int h) {
  TQSCalcVisit* v = NewVisit(c, false);
  v->Measure = h;
  ++c.Piece->VisitCount;
}

void FinishPlayOrder(TLayoutContext& c) {
  TQSPiece* piece = c.Piece;
  if (!piece || c.Page->IsEmpty) return;
  auto& visits = piece->Visits;
  bool sounding = false;
  for (int i = piece->VisitCount - 1; i >= 0; --i) {
    const TQSCalcVisit& v = *visits[static_cast<size_t>(i)];
    bool drop = v.Measure < 0;
    if (!drop && !sounding) {
      const TQSCalcMeasure* slot = SlotOf(c, v.Measure);
      if (slot && slot->EventCount > 0)
        sounding = true;
      else
        drop = true;
    }
    if (!drop && v.Volta != 0 && v.Volta != v.JumpState + 1 && v.Skip == 0 && !MultiRestVisit(c, v)) drop = true;
    if (drop) {
      // The record moves behind the current ones for later reuse.
      std::rotate(visits.begin() + i, visits.begin() + i + 1, visits.begin() + piece->VisitCount);
      --piece->VisitCount;
    }
  }
  double a = -1;
  for (int i = 0; i < piece->VisitCount; ++i) {
    TQSCalcVisit& v = *visits[static_cast<size_t>(i)];
    const TQSCalcMeasure* slot = SlotOf(c, v.Measure);
    if (!slot) continue;
    if (a < 0) a = slot->StartMs;
    v.StartMs = a;
    if (slot->EndMs != 0) a += slot->EndMs - slot->StartMs;
  }
  if (a >= 0) {
    c.Score.TotalMs = a;
    c.Page->ElapsedMs = a;
  }
}

// ---------------------------------------------------- steps of the measure

void LayoutColumnItems(TLayoutContext& c, int h) {
  ++c.Page->MeasureNumber;
  c.MidMeasureBarline = false;
  TQSColumn* column = c.Column();
  if (!column) return;
  c.Page->PieceEnded = 0;
  TQSCalcMeasure* slot = c.Slot;
  for (TQSItem* item : column->Items) {
    const int k = item->ItemType;
    if (k == kind::Segno || k == kind::Coda || k == kind::RepeatOpen) slot->JumpMarks.push_back(item);
    if (k == kind::Coda) c.Page->CodaFlag ^= 1;
    if (k == kind::Volta)
      if (auto* mark = dynamic_cast<TQSMark*>(item)) LayoutVolta(c, *mark, h);
  }
  for (TQSItem* item : column->Items) {
    const int k = item->ItemType;
    if (k == kind::MidiEvent) {
      if (auto* ev = dynamic_cast<TQSMIDIEvent*>(item)) AddEvent(c, ev, ev->Fields.Time);
      continue;
    }
    auto* mark = dynamic_cast<TQSMark*>(item);
    if (!mark) continue;
    switch (k) {
      case kind::Meter: LayoutTimeSignature(c, *mark, h); break;
      case kind::Tempo: LayoutTempo(c, *mark); break;
      case kind::MeasureNumbering: LayoutNumbering(c, *mark); break;
      case kind::Rehearsal: LayoutRehearsal(c, *mark); break;
      case kind::MultiRest: LayoutMultiRest(c, *mark, h); break;
      case kind::Segno:
      case kind::Coda:
      case kind::DaCapo:
      case kind::DalSegno: LayoutJumpSign(c, *mark); break;
      default:
        if (IsBarline(k)) LayoutSectionBarline(c, *mark);
        break;
    }
  }
}

void LayoutBarlines(TLayoutContext& c, int h) {
  TQSCalcMeasure* slot = c.Slot;
  TQSColumn* column = c.Column();
  if (c.MidMeasureBarline && column) {
    const TQSCalcStaff* first = c.PageRow(c.System->FirstRow);
    const TQSCalcStaff* last = c.PageRow(c.System->LastRow);
    for (TQSItem* item : column->Items) {
      auto* mark = dynamic_cast<TQSMark*>(item);
      if (!mark || !IsBarline(item->ItemType) || !InsideMeasure(*mark, slot->Length)) continue;
      const int k = item->ItemType;
      const int tick = std::clamp<int>(mark->Fields.Time, 0, slot->Length - 1);
      TQSCalcItem* e = c.NewChainedElement(mark, true, true);
      e->Box.Top = first ? first->Top : 0;
      e->Box.Bottom = last ? last->Bottom : 0;
      if (k == kind::RepeatClose) {
        AppendReplay(c, FindRepeatStart(c, kind::RepeatOpen, kind::RepeatClose), false);
        if (TQSCalcVisit* v = MeasureVisit(c, h)) v->EndTick = mark->Fields.Time;
      } else if (k == kind::RepeatOpen) {
        if (TQSCalcVisit* v = MeasureVisit(c, h)) v->StartTick = mark->Fields.Time;
      }
      const int barWidth = (k == kind::RepeatOpen || k == kind::RepeatClose) ? 12 : k == kind::SectionEnd ? 4 : 5;
      e->Box.Right = barWidth * 8;
      uint16_t& entry = slot->Positions[static_cast<size_t>(tick)];
      const int room = std::min(LeftRoom(entry) + barWidth, 255);
      entry = static_cast<uint16_t>((room << 8) | RightRoom(entry));
      e->Box.Left = -room * 8;
      slot->ContentWidth = static_cast<uint16_t>(std::min(slot->ContentWidth + barWidth * 8, 0xFFFF));
    }
  }
  const TQSScore& score = c.Score;
  int a = slot->BeginBarWidth + slot->ClefWidth + slot->KeyWidth + slot->MeterWidth + slot->RepeatBarWidth +
          slot->InnerBarWidth + slot->ContentWidth;
  if (!c.FixedMeasureCount()) {
    if (a < 8 * score.Spacing2 && slot->ContentWidth <= 8 * score.Spacing3) a = 8 * score.Spacing2;
    if (slot->ContentWidth <= 8 * score.Spacing3) a += 8 * score.Spacing4;
  }
  slot->Width = static_cast<uint16_t>(std::clamp(std::max<int>(slot->Width, a), 0, 0xFFFF));
}

void LayoutMeasureNumber(TLayoutContext& c) {
  TQSColumn* column = c.Column();
  const bool own = column && std::any_of(column->Items.begin(), column->Items.end(),
                                         [](const TQSItem* i) { return i->ItemType == kind::MeasureNumbering; });
  const auto* numbering = dynamic_cast<TQSMark*>(c.Page->MeasureNumbering);
  // The empty measures that fill the page after the piece's end are room to
  // write in, not measures of the piece: they get no number.
  if (!own && numbering && !c.Page->PieceEnded) {
    const int number = c.Page->MeasureNumber;
    bool applies;
    switch (numbering->Fields.Style & TQSMark::kNumberingWhichMask) {
      case 0: applies = true; break;
      case 1: applies = c.SystemMeasures == 0; break;
      case 2: applies = c.SystemMeasures == 0 && c.SystemIndex == 0; break;
      case 3: applies = number > 1 && number % 10 == 0; break;
      default: applies = false; break;
    }
    if (applies) {
      auto* mark = const_cast<TQSMark*>(numbering);
      TQSCalcItem* e = c.NewChainedElement(mark, false, false);
      c.Fonts.SetTextFont(48);
      e->Text = std::to_string(number);
      const int width = c.Fonts.TextWidth(e->Text);
      e->Box = c.StaffBox(mark->Fields.OffsetX, mark->Fields.OffsetY - 128, width, mark->Fields.OffsetY - 48);
      MoveDown(e->Box, FirstRowTop(c));
    }
  }
  c.Slot->Number = c.Page->MeasureNumber;
}

}  // namespace qs

// The layout pass: the page loop, the system loop with its staff rows and
// the measure loop that breaks lines and pages.
#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>
#include <map>

#include "base/exceptions.h"
#include "base/extended.h"
#include "base/mathutil.h"
#include "layout/context.h"
#include "layout/dynamics.h"
#include "layout/effects.h"
#include "layout/layout.h"
#include "layout/metrics.h"
#include "layout/steps.h"
#include "platform/gui.h"
#include "platform/musicglyphs.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/notes.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"

namespace qs {

void InstallLayout() {
  TQSScore::SetDefaultLayoutPass(&LayoutScore);
  TQSScore::SetNoteEffects(&CalcNoteEffects);
}

namespace {

// Page indexes are 16-bit in the records.
constexpr int kMaxPages = std::numeric_limits<uint16_t>::max();

bool ValidPiece(const TLayoutContext& c) { return c.PieceIndex >= 0 && c.PieceIndex < c.Score.PieceCount(); }
bool LastPiece(const TLayoutContext& c) { return c.PieceIndex >= c.Score.PieceCount() - 1; }

// The pages the pass makes at least: the score's requested count, but no
// more than kMaxEmptyPages after the page where the music ended.
int PagesWanted(const TLayoutContext& c) {
  const int wanted = c.Score.PageCount;
  if (c.MusicEndPage < 0) return wanted;
  return std::min(wanted, c.MusicEndPage + 1 + kMaxEmptyPages);
}

// Before a pass from page fromPage: the first page of the run of pages
// before it that ended after the music (a run longer than the bound
// allows already ends the pass). A page that ended one piece and moved on
// to the last one has not laid out its measures yet (NextMeasure 0).
int MusicEndPageBefore(const TLayoutContext& c, int fromPage) {
  int end = -1;
  const int last = c.Score.PieceCount() - 1;
  for (int i = fromPage - 1; i >= 0 && i >= fromPage - 2 - kMaxEmptyPages; --i) {
    const TQSCalcPage* p = c.Score.LayoutPages.At(i);
    if (!p || !p->PieceEnded || p->NextMeasure == 0) break;
    if (!c.PartView && !p->IsEmpty && p->FirstPiece + p->PieceChanges != last) break;
    end = i;
  }
  return end;
}

void SetPart(TLayoutContext& c, int index) {
  c.PartIndex = index;
  c.Part = c.Piece ? c.Piece->GetPart(index) : nullptr;
  c.SystemPart = c.System ? c.System->Parts.At(index) : nullptr;
}

// ---------------------------------------------------------------- links

// Before a pass from page p, every item's layout link and chain must lead
// only to elements of the pages kept: the records of later pages are about
// to be reused for other things.
bool StaleElement(const TQSCalcItem* e, int fromPage) {
  const TQSCalcPage* page = e->PageOf();
  return !page || page->PageIndex >= fromPage;
}

void FixLink(TQSItem* item, int fromPage) {
  // A pass from the first page reuses every record; the records may also
  // have been freed since the links were set.
  if (fromPage == 0) {
    item->LayoutLink = nullptr;
    return;
  }
  TQSCalcItem* e = item->LayoutLink;
  int steps = 0;
  while (e && StaleElement(e, fromPage)) {
    e = e->Next;
    if (++steps >= kMaxElementChain) e = nullptr;
  }
  item->LayoutLink = e;
}

void FixLinks(const TQSItemList& items, int fromPage) {
  for (TQSItem* item : items) {
    FixLink(item, fromPage);
    // Notes and rests hold their attached items, grace groups their notes.
    const TQSItemType k = item->ItemType;
    // Their classes all hold items; a cast by the kind spares a lookup of
    // the class for every note of the pass.
    if (k == kind::Note || k == kind::Pause || k == kind::Vorschlag)
      FixLinks(static_cast<TQSItemHolder*>(item)->Items, fromPage);
  }
}

// The items that may have elements on the pages from fromPage on: those of
// the measures and columns from the restart point (piece g, measure h) on,
// those drawn again at system starts or carried on from the page before
// (the state the restart reads), and the page objects. Items of measures
// before the restart point have all their elements on the pages kept, so
// a pass from the last page costs the same whatever the score's length.
void FixLinksFrom(TQSScore& score, int fromPage, int g, int h) {
  for (TQSPiece* piece : score.PieceList()) {
    for (TQSPart* part : piece->PartList()) FixLinks(part->Items, fromPage);
    const int index = piece->Index;
    if (fromPage > 0 && index < g) continue;
    const int first = fromPage > 0 && index == g ? h : 0;
    const auto& columns = piece->ColumnList();
    for (size_t m = static_cast<size_t>(first); m < columns.size(); ++m) FixLinks(columns[m]->Items, fromPage);
    for (TQSPart* part : piece->PartList()) {
      const auto& measures = part->MeasureList();
      for (size_t m = static_cast<size_t>(first); m < measures.size(); ++m) FixLinks(measures[m]->Items, fromPage);
    }
    if (fromPage > 0 && index == g && !piece->Slots.empty())
      if (auto* slot0 = ClassCast<TQSCalcMeasure>(piece->Slots[0]))
        for (const auto& name : slot0->NameElements)
          if (name->Item) FixLink(name->Item, fromPage);
  }
  FixLinks(score.Items, fromPage);
  if (fromPage == 0) return;
  auto fix = [&](TQSItem* item) {
    if (item) FixLink(item, fromPage);
  };
  if (const TQSCalcPage* before = score.LayoutPages.At(fromPage - 1)) {
    fix(before->MeasureNumbering);
    fix(before->Rehearsal);
    for (const TQSCalcItem* e : before->OpenSpans) fix(e->Item);
  }
  for (int i = fromPage - 1; i >= 0; --i) {
    const TQSCalcPage* page = score.LayoutPages.At(i);
    if (!page || page->IsEmpty) continue;
    for (const TQSCalcPagePart& part : page->Parts) {
      for (TQSItem* accolade : part.Accolades) fix(accolade);
      fix(part.KeySignature);
      for (const TQSCalcPageStaff& staff : part.Staves) fix(staff.Clef);
    }
    break;
  }
}

// ------------------------------------------------------------ page state

void ResetLayoutState(TLayoutContext& c) {
  TQSCalcPage& p = *c.Page;
  p.Meter = MakeMeter(4, 4);
  p.MeterStyle = 0;
  p.MeasureNumbering = nullptr;
  p.RowsBefore = 0;
  p.SystemsBefore = 0;
  p.MeasureNumber = 0;
  p.VoltaLeft = -1;
  p.VoltaNumber = 0;
  p.CodaFlag = 0;
  p.Rehearsal = nullptr;
  p.RehearsalNumber = 0;
  p.OpenSpans.clear();
  p.EveryPageItems.clear();
  p.PieceEnded = 0;
  p.MsPerTick = c.Piece ? 60000.0 / c.Piece->Tempo() / 128 : 60000.0 / kFallbackTempo / 128;
  p.ElapsedMs = 0;
  p.JumpState = 0;
  p.UsedMeasures = 0;
  p.TotalMs = 0;
  if (c.Piece) {
    c.Piece->VisitCount = 0;
    c.Piece->FirstRow = 0;
  }
  c.Score.TotalMs = 0;
}

// The nearest earlier page that is not an empty page; with samePiece only
// when it ended in the current piece (another piece's clefs, keys and
// accolades are not this piece's).
const TQSCalcPage* EarlierFilledPage(const TLayoutContext& c) {
  for (int i = c.PageIndex - 1; i >= 0; --i) {
    const TQSCalcPage* p = c.Score.LayoutPages.At(i);
    if (p && !p->IsEmpty) return p;
  }
  return nullptr;
}

void RestorePartState(TLayoutContext& c) {
  if (!c.Piece) return;
  c.Piece->LastLaidOutMeasure = c.MeasureIndex - 1;
  const TQSCalcPage* source = c.PageIndex > 0 ? EarlierFilledPage(c) : nullptr;
  if (source && source->FirstPiece + source->PieceChanges != c.PieceIndex) source = nullptr;
  const int parts = c.Piece->PartCount();
  c.Page->Parts.resize(static_cast<size_t>(parts));
  for (int p = 0; p < parts; ++p) {
    TQSCalcPagePart& pp = c.Page->Parts[static_cast<size_t>(p)];
    const TQSCalcPagePart* sp =
        source && p < static_cast<int>(source->Parts.size()) ? &source->Parts[static_cast<size_t>(p)] : nullptr;
    if (sp) {
      pp.Accolades = sp->Accolades;
      pp.KeySignature = sp->KeySignature;
    } else {
      pp.Accolades.clear();
      pp.KeySignature = nullptr;
    }
    pp.KeyDrawn = 0;
    const int staves = c.Piece->GetPart(p)->StaffCount();
    pp.Staves.resize(static_cast<size_t>(staves));
    for (int s = 0; s < staves; ++s) {
      TQSCalcPageStaff& st = pp.Staves[static_cast<size_t>(s)];
      st.Clef = sp && s < static_cast<int>(sp->Staves.size()) ? sp->Staves[static_cast<size_t>(s)].Clef : nullptr;
      st.ClefDrawn = 0;
    }
  }
}

void RestorePageState(TLayoutContext& c) {
  TQSCalcPage& p = *c.Page;
  if (c.PageIndex == 0) {
    ResetLayoutState(c);
    p.EmptyPagesPending = static_cast<uint16_t>(std::clamp<int>(c.Score.EmptyPages, 0, kMaxEmptyPages));
  } else {
    const TQSCalcPage& q = *c.Score.LayoutPages.At(c.PageIndex - 1);
    p.Meter = q.Meter;
    p.MeterStyle = q.MeterStyle;
    p.MsPerTick = q.MsPerTick;
    p.ElapsedMs = q.ElapsedMs;
    p.MeasureNumbering = q.MeasureNumbering;
    p.MeasureNumber = q.MeasureNumber;
    p.Rehearsal = q.Rehearsal;
    p.RehearsalNumber = q.RehearsalNumber;
    p.RowsBefore = q.RowsBefore;
    p.SystemsBefore = q.SystemsBefore;
    p.EmptyPagesPending = q.EmptyPagesPending;
    p.JumpState = q.JumpState;
    p.PieceEnded = q.PieceEnded;
    p.VoltaLeft = q.VoltaLeft;
    p.VoltaNumber = q.VoltaNumber;
    p.CodaFlag = q.CodaFlag;
    p.OpenSpans = q.OpenSpans;
    p.UsedMeasures = q.UsedMeasures;
    p.TotalMs = q.TotalMs;
    c.Score.MeasureCounter = q.MeasuresDone;
    c.Score.UsedMeasures = q.UsedMeasures;
    c.Score.TotalMs = q.TotalMs;
    if (c.Piece) c.Piece->VisitCount = q.VisitCount;
  }
  p.EveryPageItems.clear();
  RestorePartState(c);
  c.PieceSystemIndex = 0;
  c.LargestStaffSize = 100;
}

// The piece changes to piece g (h = 0): a new piece has no visits yet and
// counts its staff rows from here.
void StartNextPiece(TLayoutContext& c) {
  c.Piece = c.Score.GetPiece(c.PieceIndex);
  c.MeasureIndex = 0;
  if (!c.Piece) return;
  c.Piece->VisitCount = 0;
  c.Piece->FirstRow = c.Page->RowsBefore + c.Page->StaffRowCount;
}

// ------------------------------------------------------------ staff rows

// The vertical offset of the next staff row, in tenths of a millimetre.
long double RowOffsetTenths(const TLayoutContext& c) {
  const TQSSpacingTables* t = c.Tables();
  if (!t || !c.Piece) return 0;
  const int index = std::max(0, c.Page->RowsBefore + c.PageRows - c.Piece->FirstRow);
  return static_cast<long double>(TLayoutContext::TableValue(t->RowOffsets, index)) * 254 / c.Ppi / 8;
}

long double StaffHeightTenths(const TLayoutContext& c, int size) {
  return c.LineSpaceT * 4 * c.Scale * size / 10000;
}

// One part of a trial system of the vertical fill.
void MeasurePartHeight(TLayoutContext& c, TQSPart* part) {
  for (TQSStaff* staff : part->StaffList()) {
    const int size = c.StaffSizeOf(staff);
    c.LargestStaffSize = std::max(c.LargestStaffSize, size);
    c.Y += RowOffsetTenths(c);
    c.Y += c.IntervalT * c.Scale / 100 + StaffHeightTenths(c, size);
    ++c.PageRows;
  }
}

void VerticalFill(TLayoutContext& c) {
  c.ExtraGap = 0;
  if (!c.Score.VertAlign || !c.Piece) return;
  const std::vector<int> parts = c.LaidOutParts();
  long double start = c.Y;
  int complete = 0;
  while (c.Y < c.BottomLimitT) {
    const long double before = c.Y;
    start = c.Y;
    for (int p : parts) {
      MeasurePartHeight(c, c.Piece->GetPart(p));
      if (complete >= 1 && c.Y > c.BottomLimitT) break;
    }
    if (c.Y > c.BottomLimitT && complete == 0) start = c.Y;
    ++complete;
    if (c.Y <= before) break;  // nothing to measure: no staff at all
  }
  if (c.PageRows > 0) c.ExtraGap = (c.BottomLimitT - start) / c.PageRows;
  c.Y = c.TopMarginT + c.IntervalT;
  c.PageRows = 0;
  c.SystemIndex = 0;
}

// Lays out the staff rows of one part; false when the system stops fitting
// on the page.
bool LayoutPartStaves(TLayoutContext& c, int partIndex, int& systemStaff) {
  TQSPart* part = c.Piece->GetPart(partIndex);
  TQSCalcSystemPart* sp = c.System->Parts.Need(static_cast<size_t>(partIndex));
  sp->Part = part;
  sp->System = c.System;
  sp->FirstRow = static_cast<uint16_t>(c.PageRows);
  TQSCalcPagePart& pp = c.Page->Parts[static_cast<size_t>(partIndex)];
  const TQSSpacingTables* tables = c.Tables();
  const int staves = part->StaffCount();
  for (int k = 0; k < staves; ++k) {
    TQSStaff* staff = part->GetStaff(k);
    pp.KeyDrawn = 0;
    if (k < static_cast<int>(pp.Staves.size())) pp.Staves[static_cast<size_t>(k)].ClefDrawn = 0;
    staff->SystemRow = systemStaff++;
    TQSCalcStaff* row = c.Page->StaffRows.Need(static_cast<size_t>(c.PageRows));
    row->Page = c.Page;
    row->System = c.System;
    row->Staff = staff;
    row->Lyrics.clear();
    row->ChordSymbols.clear();
    const int number = c.System->Number;
    row->Left = c.LeftMargin + (tables ? TLayoutContext::TableValue(tables->LeftOffsets, number) : 0);
    row->Right = c.RightEdge + (tables ? TLayoutContext::TableValue(tables->RightOffsets, number) : 0);
    c.Y += RowOffsetTenths(c);
    row->Top = c.Units(c.Y);
    if (c.PageRows > 0) {
      TQSCalcStaff* prev = c.Page->StaffRows.At(c.PageRows - 1);
      c.BoundaryY = (prev->Bottom + row->Top) / 2;
      prev->LowerBound = c.BoundaryY;
    }
    row->UpperBound = c.BoundaryY;
    if (k == 0) sp->Top = row->Top;
    const int size = c.StaffSizeOf(staff);
    c.Y += StaffHeightTenths(c, size);
    if (c.SystemIndex > 0 && c.Y > c.BottomLimitT) return false;
    row->Bottom = c.Units(c.Y);
    const int lines = staff->Fields.LineCount;
    int inset = 0;
    if (staff->Fields.Tablature) {
      const int lineDistance = c.TabDistanceAt(100) * size / 100;
      inset = lines == 1 ? 2 * lineDistance : lines == 2 ? lineDistance : lines == 4 ? lineDistance / 2 : 0;
      const int needed = lineDistance * (lines - 1) + 2 * inset;
      const int height = row->Bottom - row->Top;
      if (height < needed) {
        const int grow = needed - height;
        row->Top -= grow / 2;
        if (k == 0) sp->Top -= grow / 2;
        row->Bottom += grow - grow / 2;
      }
    } else {
      const int space = c.StaffSpaceAt(size);
      inset = lines == 1 ? 2 * space : lines == 2 ? space : lines == 4 ? space / 2 : 0;
    }
    row->TopLine = row->Top + inset;
    row->BottomLine = row->Bottom - inset;
    row->LowerBound = c.BottomLimit;
    c.System->Bottom = row->Bottom;
    c.Y += c.IntervalT * c.Scale / 100 + c.ExtraGap;
    sp->Left = row->Left;
    sp->Right = row->Right;
    if (k == staves - 1) sp->Bottom = row->Bottom;
    ++c.PageRows;
  }
  sp->LastRow = static_cast<uint16_t>(c.PageRows - 1);
  return true;
}

// ------------------------------------------------------------- measures

// Prepares the next slot of the system for the current measure.
void PrepareSlot(TLayoutContext& c, TQSCalcMeasure* slot) {
  const int h = c.MeasureIndex;
  TQSPiece* piece = c.Piece;
  if (static_cast<int>(piece->Slots.size()) <= h) piece->Slots.resize(static_cast<size_t>(h) + 1, nullptr);
  if (h == 0) slot->NameElements.clear();
  slot->System = c.System;
  slot->MeasureIndex = static_cast<uint16_t>(h);

  // The meter: the column's own one, else the one in force; an upbeat
  // gives measure 0 its own length.
  TQSColumn* column = c.Column();
  uint16_t meter = column && column->Fields.Meter ? column->Fields.Meter : c.Page->Meter;
  int length = MeterLength(meter);
  if (h == 0 && HasUpbeat(piece->Auftakt())) {
    meter = piece->Auftakt();
    length = UpbeatLength(meter);
  }
  slot->Meter = meter;
  slot->Length = static_cast<uint16_t>(std::clamp(length, 1, 0xFFFF));
  if (slot->Positions.size() < slot->Length) slot->Positions.resize(slot->Length);
  std::fill(slot->Positions.begin(), slot->Positions.end(), 0);
  slot->PositionCapacity = static_cast<uint16_t>(std::min<size_t>(slot->Positions.size(), 0xFFFF));

  slot->SpanningItems.clear();
  slot->SpanningMarks.clear();
  const int parts = piece->PartCount();
  const int rows = c.System->LastRow - c.System->FirstRow + 1;
  slot->PartCount = static_cast<uint32_t>(parts);
  slot->RowCount = static_cast<uint32_t>(std::max(rows, 0));
  slot->KeyByPart.assign(slot->PartCount, nullptr);
  slot->ClefByRow.assign(slot->RowCount, nullptr);
  auto* prev = h > 0 ? ClassCast<TQSCalcMeasure>(piece->Slots[static_cast<size_t>(h) - 1]) : nullptr;
  if (prev) {
    std::copy_n(prev->KeyByPart.begin(), std::min(prev->KeyByPart.size(), slot->KeyByPart.size()),
                slot->KeyByPart.begin());
    std::copy_n(prev->ClefByRow.begin(), std::min(prev->ClefByRow.size(), slot->ClefByRow.size()),
                slot->ClefByRow.begin());
    for (TQSItem* clef : prev->Clefs) {
      TQSMeasure* m = clef->GetMeasure();
      TQSStaff* staff = m ? m->Part()->GetStaff(StaffOf(static_cast<uint8_t>(clef->StaffVoice()))) : nullptr;
      if (staff && staff->SystemRow >= 0 && staff->SystemRow < static_cast<int>(slot->RowCount))
        slot->ClefByRow[static_cast<size_t>(staff->SystemRow)] = clef;
    }
  }
  slot->Clefs.clear();
  slot->Events.clear();
  slot->EventRecordsUsed = 0;
  slot->EventCount = 0;
  slot->JumpMarks.clear();
  slot->DynamicCount = 0;
  slot->Occupancy = 0;
  slot->StartMs = c.Page->ElapsedMs;
  slot->EndMs = 0;
  slot->Tempo.assign(1, TQSCalcTempo{});
  piece->Slots[static_cast<size_t>(h)] = slot;
  slot->Number = 0;
  slot->RehearsalMark = nullptr;
  slot->RehearsalNumber = 0;
  slot->ClefWidth = slot->KeyWidth = slot->MeterWidth = slot->ContentWidth = 0;
  slot->BeginBarWidth = slot->RepeatBarWidth = slot->InnerBarWidth = slot->Width = 0;
  slot->ItemCount = 0;
  slot->IsEmpty = 0;
  c.MultiRestExtra = 0;
  c.VisitMade = false;
  c.LastTempoTick = 0;
  c.EndBarline = false;
  c.NamesWidth = 0;
  c.ForeignEvents.clear();
}

// A measure that moves on to the next system leaves nothing behind: the
// items' layout links go back to their earlier elements, its lyrics and
// chord symbols leave their rows and events it put into earlier slots go.
void DiscardSlot(TLayoutContext& c, TQSCalcMeasure* slot) {
  for (int i = slot->ItemCount - 1; i >= 0; --i) {
    TQSCalcItem* e = slot->Items.At(i);
    if (e->Item && e->Item->LayoutLink == e) e->Item->LayoutLink = e->Next;
  }
  for (int r = c.System->FirstRow; r < c.PageRows; ++r)
    if (TQSCalcStaff* row = c.Page->StaffRows.At(r)) {
      std::erase_if(row->Lyrics, [slot](const TQSCalcItem* e) { return e->Owner == slot; });
      std::erase_if(row->ChordSymbols, [slot](const TQSCalcItem* e) { return e->Owner == slot; });
    }
  for (auto& [other, event] : c.ForeignEvents) {
    auto it = std::find(other->Events.begin(), other->Events.end(), event);
    if (it != other->Events.end()) {
      other->Events.erase(it);
      other->EventCount = static_cast<uint16_t>(other->Events.size());
    }
  }
  c.ForeignEvents.clear();
  slot->ItemCount = 0;
}

int ColumnExtraWidth(const TLayoutContext& c, const TQSColumn* column) {
  if (!column) return 0;
  std::array<uint8_t, 10> bytes{};
  std::copy_n(column->Fields.Further0, 10, bytes.begin());
  return c.Units(Extended::FromBytes(bytes).Value());
}

uint16_t ClampWidth(int64_t v) { return static_cast<uint16_t>(std::clamp<int64_t>(v, 0, 0xFFFF)); }

// The system-start header of the first measure of a system: clefs, keys and the repeated
// instrument names. Returns the row last laid out by it, nullptr when it
// made nothing.
TQSCalcStaff* LayoutSystemHeader(TLayoutContext& c, const std::vector<int>& parts) {
  TQSCalcMeasure* slot = c.Slot;
  const int before = slot->ItemCount;
  c.WidestHeaderClef = 0;
  c.HeaderRow = c.System->FirstRow;
  for (int p : parts) {
    SetPart(c, p);
    LayoutSystemClefs(c);
  }
  if (c.WidestHeaderClef > slot->ClefWidth) {
    slot->Width = ClampWidth(int64_t(slot->Width) + c.WidestHeaderClef - slot->ClefWidth);
    slot->ClefWidth = ClampWidth(c.WidestHeaderClef);
  }
  c.HeaderRow = c.System->FirstRow;
  LayoutSystemKeys(c);
  if (c.MeasureIndex > 0) c.NamesWidth = std::max(c.NamesWidth, RepeatInstrumentNames(c));
  return slot->ItemCount > before ? c.Row : nullptr;
}

// What became of a measure.
enum class TMeasureEnd {
  Next,        // placed; the system takes more
  Last,        // placed; it ends the system (a break, or it filled the line)
  Moved,       // it starts the next system
  DropSystem,  // the piece ended at the start of this system
  Stop,        // the music ended before this page
};

// The column closes the music with a final barline.
bool FinalBarlineIn(const TQSColumn* column) {
  return column && std::any_of(column->Items.begin(), column->Items.end(),
                               [](const TQSItem* i) { return i->ItemType == kind::CompositionEnd; });
}

TMeasureEnd LayoutMeasure(TLayoutContext& c) {
  TQSCalcPage& page = *c.Page;
  TQSPiece* piece = c.Piece;
  const bool endedBefore = page.PieceEnded;
  page.PieceEnded = 1;
  c.ContentFlag = false;
  c.PageBreak = false;
  c.AccoladeWidth = 0;
  c.AccoladeCover = 0;
  c.AccoladeOffset = 0;
  c.SystemEndX = c.X;

  TQSCalcMeasure* slot = c.System->Measures.Need(static_cast<size_t>(c.SystemMeasures));
  c.Slot = slot;
  PrepareSlot(c, slot);
  const int visitsBefore = piece->VisitCount;
  const uint16_t jumpBefore = page.JumpState;

  c.Row = c.PageRow(c.System->FirstRow);
  c.MeterInForce = slot->Meter;
  LayoutColumnItems(c, c.MeasureIndex);
  if (c.Column()) page.PieceEnded = 0;
  c.FirstMeasureOfPage = false;

  const std::vector<int> parts = c.LaidOutParts();
  for (int p : parts) {
    SetPart(c, p);
    LayoutColumn(c, c.MeasureIndex);
    if (c.Part && c.Part->GetMeasure(c.MeasureIndex)) page.PieceEnded = 0;
  }

  // A piece that has ended moves on to the next one.
  const bool last = LastPiece(c);
  if (c.Score.AutoPages && page.PieceEnded && !last) {
    c.NextPiece = true;
  } else if (page.PieceEnded && c.SystemMeasures == 0 && !last) {
    c.NextPiece = true;
    if (!c.PartView && c.SystemIndex > 0) return TMeasureEnd::DropSystem;
  }
  if (!c.Score.AutoPages && page.PieceEnded && c.SystemIndex == 0 && c.SystemMeasures == 0 && c.PageIndex >= PagesWanted(c)) {
    c.Stop = true;
    return TMeasureEnd::Stop;
  }

  for (int p : parts) {
    SetPart(c, p);
    LayoutAccolades(c);
  }
  LayoutBarlines(c, c.MeasureIndex);
  TQSCalcStaff* headerRow = nullptr;
  if (c.SystemMeasures == 0) headerRow = LayoutSystemHeader(c, parts);

  // Instrument names widen the system at its left.
  if (c.NamesWidth > 0) {
    c.X += c.NamesWidth;
    c.System->Left += c.NamesWidth;
    TQSCalcStaff* row = headerRow ? headerRow : c.PageRow(c.System->LastRow);
    if (row) row->Left += c.NamesWidth;
  }
  FitLyrics(c);
  LayoutMeasureNumber(c);
  LayoutPartBarlines(c);

  TQSColumn* column = c.Column();
  c.X += c.AccoladeWidth + ColumnExtraWidth(c, column);
  const int measureLeft = c.X;
  const TQSSpacingTables* tables = c.Tables();
  const int spaceAfter = tables ? TLayoutContext::TableValue(tables->SpaceAfter, c.MeasureIndex) : 0;
  const TQSSpacingTable* before = nullptr;
  if (c.PartView) {
    if (TQSPart* part = piece->GetPart(c.ViewPart))
      if (TQSMeasure* m = part->GetMeasure(c.MeasureIndex)) before = &m->Spacing;
  } else if (column) {
    before = &column->Spacing;
  }
  int64_t width = slot->Width;
  if (before)
    for (int16_t entry : *before)
      if (entry) width += int64_t(entry) * c.Scale / 100;
  slot->Width = ClampWidth(width);
  c.X += static_cast<int>(int64_t(slot->Width) * c.Scale / 100);
  if (c.FixedMeasureCount() && c.SystemMeasures < c.AlignMode - 100) c.SystemEndX = c.X;

  if (!c.FixedMeasureCount() && c.X + spaceAfter >= c.RightLimit && c.SystemMeasures > 0) {
    // The measure starts the next system.
    page.MeasureNumber = static_cast<uint16_t>(page.MeasureNumber - 1);
    DiscardSlot(c, slot);
    page.PieceEnded = endedBefore;
    piece->VisitCount = visitsBefore;
    page.JumpState = jumpBefore;
    if (c.Score.AutoPages && !endedBefore) c.NextPiece = false;
    return TMeasureEnd::Moved;
  }

  slot->Box = {measureLeft, c.System->Top, c.X, c.System->Bottom};
  slot->EndMeter = page.Meter;
  slot->EndLength = static_cast<uint16_t>(std::clamp(MeterLength(page.Meter), 1, 0xFFFF));
  slot->IsEmpty = !c.ContentFlag;
  slot->Tempo[0] = {slot->Length, page.MsPerTick};
  for (TQSItem* clef : slot->Clefs) {
    TQSMeasure* m = clef->GetMeasure();
    if (!m) continue;
    const size_t part = static_cast<size_t>(m->Part()->Index);
    const size_t staff = static_cast<size_t>(StaffOf(static_cast<uint8_t>(clef->StaffVoice())));
    if (part < page.Parts.size() && staff < page.Parts[part].Staves.size()) page.Parts[part].Staves[staff].Clef = clef;
  }
  ++c.SystemMeasures;
  if (!c.VisitMade) AppendMeasureVisit(c, c.MeasureIndex);
  if (page.VoltaLeft >= 0) --page.VoltaLeft;
  // A measure the piece holds counts as used even while it is still empty
  // (a new score's blank measures print), as long as every measure before
  // it does and no final barline ended the music before it (a file may
  // end with an empty measure after its final barline). The empty
  // measures that fill the page after the last piece's end never count.
  const bool usedSoFar = c.Score.UsedMeasures == c.Score.MeasureCounter;
  const bool afterFinalBar = FinalBarlineIn(piece->GetColumn(c.MeasureIndex - 1));
  ++c.MeasureIndex;
  ++c.Score.MeasureCounter;
  page.MeasureNumber = static_cast<uint16_t>(page.MeasureNumber + c.MultiRestExtra);
  if (!page.PieceEnded && usedSoFar && !afterFinalBar) c.Score.UsedMeasures = c.Score.MeasureCounter;
  if (c.ContentFlag || !last) {
    c.Score.UsedMeasures = c.Score.MeasureCounter;
    page.ElapsedMs += (slot->Length - c.LastTempoTick) * page.MsPerTick;
    slot->EndMs = page.ElapsedMs;
    c.Score.TotalMs = page.ElapsedMs;
  }
  c.X += spaceAfter;
  if (column && (column->Fields.PageBreak > 0 || column->Fields.SystemBreak)) {
    c.SystemEndX = c.X;
    // The count holds the empty pages after the break plus one.
    page.EmptyPagesPending = std::min<uint16_t>(column->Fields.PageBreak, kMaxEmptyPages + 1);
    c.PageBreak = column->Fields.PageBreak > 0;
    return TMeasureEnd::Last;
  }
  return TMeasureEnd::Next;
}

// ---------------------------------------------------------------- systems

// One system at y; false when it does not fit (the page is full).
bool LayoutSystem(TLayoutContext& c) {
  TQSCalcPage& page = *c.Page;
  TQSCalcSystem* system = page.Systems.Need(static_cast<size_t>(c.SystemIndex));
  c.System = system;
  system->Number = static_cast<uint16_t>(page.SystemsBefore + c.PieceSystemIndex);
  system->Page = static_cast<uint16_t>(c.PageIndex);
  system->PageRecord = &page;
  system->Piece = c.Piece;
  system->FirstRow = static_cast<uint16_t>(c.PageRows);
  system->Left = c.LeftMargin;
  system->Top = c.Units(c.Y);
  system->Right = c.RightEdge;
  system->MeasureCount = 0;
  TQSCalcSystem* prevSystem = c.SystemIndex > 0 ? page.Systems.At(c.SystemIndex - 1) : nullptr;
  if (prevSystem) {
    c.BoundaryY = (prevSystem->Bottom + system->Top) / 2;
    prevSystem->LowerBound = c.BoundaryY;
  }
  system->UpperBound = c.BoundaryY;
  system->Bottom = system->Top;
  const int parts = c.Piece ? c.Piece->PartCount() : 0;
  for (int p = 0; p < parts; ++p) system->Parts.Need(static_cast<size_t>(p));
  c.NextPiece = false;

  const long double y0 = c.Y;
  const int f0 = c.PageRows;
  const int boundary0 = c.BoundaryY;
  int systemStaff = 0;
  bool fits = true;
  for (int p : c.LaidOutParts()) {
    if (!LayoutPartStaves(c, p, systemStaff) || (c.SystemIndex > 0 && c.Y > c.BottomLimitT)) {
      fits = false;
      break;
    }
  }
  if (TQSCalcStaff* first = page.StaffRows.At(static_cast<int>(system->FirstRow)); first && c.PageRows > f0)
    system->Top = first->Top;
  if (!fits) {
    // Nothing more goes on this page; the page's last system and row keep
    // the page's bottom limit.
    page.StaffRowCount = static_cast<uint16_t>(f0);
    c.PageRows = f0;
    c.BoundaryY = boundary0;
    if (prevSystem) prevSystem->LowerBound = c.BottomLimit;
    if (TQSCalcStaff* last = f0 > 0 ? page.StaffRows.At(f0 - 1) : nullptr) last->LowerBound = c.BottomLimit;
    c.Y = std::max(c.Y, c.BottomLimitT);
    return false;
  }
  page.StaffRowCount = static_cast<uint16_t>(c.PageRows);
  system->LowerBound = c.BottomLimit;
  system->LastRow = static_cast<uint16_t>(std::max(c.PageRows - 1, 0));
  TQSCalcStaff* firstRow = c.PageRows > f0 ? page.StaffRows.At(f0) : nullptr;
  c.X = firstRow ? firstRow->Left : system->Left;
  c.RightLimit = firstRow ? firstRow->Right : system->Right;
  system->FirstMeasure = static_cast<uint16_t>(c.MeasureIndex);
  c.SystemMeasures = 0;
  c.RehearsalCounter = page.RehearsalNumber;

  // The alignment of this system.
  const TQSSpacingTables* tables = c.Tables();
  int align = c.Score.Align;
  const int own = tables ? TLayoutContext::TableValue(tables->AlignStyles, page.SystemsBefore + c.PieceSystemIndex) : 0;
  if (own != 0) align = own & 0xFF;
  c.NoteInterval = c.Score.NoteInterval;
  if (align >= 10 && align < 50) c.NoteInterval = (align - 10) * 8;
  if (align == 1) align = 0;
  c.AlignMode = align;

  bool dropped = false;
  if (c.Piece) {
    // The first measure of a system is placed however narrow the margins
    // leave the line, so that every system takes the music further.
    while ((!c.FixedMeasureCount() && (c.X < c.RightLimit || c.SystemMeasures == 0)) ||
           (c.FixedMeasureCount() && c.SystemMeasures < c.AlignMode - 100)) {
      const int x0 = c.X;
      const TMeasureEnd end = LayoutMeasure(c);
      if (end == TMeasureEnd::DropSystem) dropped = true;
      if (end != TMeasureEnd::Next) break;
      // A measure that takes no room would never fill the line.
      if (c.X <= x0 && !c.FixedMeasureCount()) break;
    }
  }
  if (dropped) {
    // The piece ended at the start of this system: the next piece begins
    // a new system at the same place.
    DiscardSlot(c, c.Slot);
    c.Y = y0;
    c.PageRows = f0;
    c.BoundaryY = boundary0;
    page.StaffRowCount = static_cast<uint16_t>(f0);
    if (prevSystem) prevSystem->LowerBound = c.BottomLimit;
    if (TQSCalcStaff* last = f0 > 0 ? page.StaffRows.At(f0 - 1) : nullptr) last->LowerBound = c.BottomLimit;
    system->MeasureCount = 0;
    system->IsEmpty = 1;
    return true;
  }

  system->IsEmpty = !c.ContentFlag;
  SetTickPositions(c, c.SystemMeasures);
  system->MeasureCount = static_cast<uint16_t>(c.SystemMeasures);
  JustifySystem(c);
  ContinueOpenSpans(c);
  PlaceSystemElements(c);
  if (!MakeRoomAroundStaves(c) && c.SystemIndex > 0 && c.SystemsOnPage) {
    // The systems moved apart until this one no longer fits: the page ends
    // before it, and the pass lays the page out again with one system less
    // (what this system did to the running state cannot be taken back).
    (*c.SystemsOnPage)[c.PageIndex] = c.SystemIndex;
    c.RestartPage = c.PageIndex;
    return false;
  }
  ++c.SystemIndex;
  ++c.PieceSystemIndex;
  page.SystemCount = static_cast<uint16_t>(c.SystemIndex);
  page.PageItemCount = static_cast<uint16_t>(c.PageElements);
  page.MeasureCount = static_cast<uint16_t>(page.MeasureCount + c.SystemMeasures);
  if (c.Y <= y0) c.Y = c.BottomLimitT;  // a system without staves fills the page
  return true;
}

// --------------------------------------------------------------- the pass

void LayoutPages(TLayoutContext& c) {
  TQSScore& score = c.Score;
  while ((ValidPiece(c) || score.LaidOutPages < PagesWanted(c)) && score.LaidOutPages < kMaxPages) {
    c.PageIndex = score.LaidOutPages;
    TQSCalcPage* page = score.LayoutPages.Need(static_cast<size_t>(c.PageIndex));
    c.Page = page;
    page->PageIndex = static_cast<uint16_t>(c.PageIndex);
    page->StaffRowCount = 0;
    page->MeasureCount = 0;
    page->SystemCount = 0;
    page->PageItemCount = 0;
    page->PieceChanges = 0;
    page->FirstMeasure = static_cast<uint16_t>(c.MeasureIndex);
    c.BoundaryY = c.TopMargin;
    c.Y = c.TopMarginT + c.IntervalT;
    c.PageRows = 0;
    c.SystemIndex = 0;
    c.Stop = false;
    c.PageBreak = false;
    c.FirstMeasureOfPage = true;
    c.Piece = score.GetPiece(c.PieceIndex);
    c.System = nullptr;
    RestorePageState(c);
    c.PageElements = 0;
    LayoutPageObjects(c);
    page->PageItemCount = static_cast<uint16_t>(c.PageElements);
    page->IsEmpty = page->EmptyPagesPending > 0;
    if (!page->IsEmpty) {
      VerticalFill(c);
      page->FirstPiece = static_cast<uint16_t>(c.PieceIndex);
      // A page holds at least one system, drawn past the bottom margin
      // when the margins and distances leave no room for it: a page
      // without one would never end the music.
      const auto limit = c.SystemsOnPage ? c.SystemsOnPage->find(c.PageIndex) : std::map<int, int>::iterator{};
      const bool limited = c.SystemsOnPage && limit != c.SystemsOnPage->end();
      for (bool first = true; first || c.Y < c.BottomLimitT; first = false) {
        if (limited && c.SystemIndex >= limit->second) break;
        if (!LayoutSystem(c)) {
          if (c.RestartPage >= 0) return;
          break;
        }
        if (c.NextPiece && !LastPiece(c) && !c.PartView) {
          FinishPlayOrder(c);
          if (c.Stop) break;
          ++page->PieceChanges;
          page->NextMeasure = 0;
          c.Piece->LastLaidOutMeasure = c.MeasureIndex - 1;
          ++c.PieceIndex;
          StartNextPiece(c);
          RestorePartState(c);
          c.PieceSystemIndex = 0;
        }
        if (c.PageBreak || c.Stop) break;
      }
    }

    // The end of the page.
    if (!(c.Stop && score.LaidOutPages >= PagesWanted(c))) {
      page->NextMeasure = static_cast<uint16_t>(c.MeasureIndex);
      page->VisitCount = static_cast<uint16_t>(c.Piece ? c.Piece->VisitCount : 0);
      page->RowsBefore = static_cast<uint16_t>(page->RowsBefore + page->StaffRowCount);
      page->SystemsBefore = static_cast<uint16_t>(page->SystemsBefore + c.PieceSystemIndex);
      page->MeasuresDone = score.MeasureCounter;
      page->UsedMeasures = score.UsedMeasures;
      page->TotalMs = score.TotalMs;
      ++score.LaidOutPages;
      if (c.Piece) c.Piece->LastLaidOutMeasure = c.MeasureIndex - 1;
      if (page->EmptyPagesPending > 0) --page->EmptyPagesPending;
    } else {
      // A page that is not counted shows nothing: objects on every page
      // lead back to their element on the page before.
      for (TQSCalcItem* e : page->EveryPageItems)
        if (e->Item && e->Item->LayoutLink == e) e->Item->LayoutLink = e->Next;
    }
    if (page->PieceEnded) {
      FinishPlayOrder(c);
      page->TotalMs = score.TotalMs;
      if ((LastPiece(c) || c.PartView) && c.MusicEndPage < 0) c.MusicEndPage = c.PageIndex;
      if (score.LaidOutPages >= PagesWanted(c) && (LastPiece(c) || c.PartView)) break;
      if (!LastPiece(c) && !c.PartView) {
        ++page->PieceChanges;
        page->NextMeasure = 0;
        page->VisitCount = 0;
        if (c.Piece) c.Piece->LastLaidOutMeasure = c.MeasureIndex - 1;
        ++c.PieceIndex;
        c.Piece = score.GetPiece(c.PieceIndex);
        c.MeasureIndex = 0;
        if (c.Piece) {
          c.Piece->VisitCount = 0;
          c.Piece->FirstRow = page->RowsBefore;
        }
      }
    }
  }
}

void ReadSettings(TLayoutContext& c) {
  TQSScore& score = c.Score;
  c.Ppi = ScreenPixelsPerInch();
  c.Scale = score.Scale;
  TQSPage& pf = score.Page;
  auto tenths = [&](int d) {
    long double v = pf.Tenths(d);
    return std::isfinite(v) ? v : 0.0L;
  };
  c.LeftMarginT = tenths(TQSPage::dLeftMargin);
  c.TopMarginT = tenths(TQSPage::dTopMargin);
  c.RightEdgeT = tenths(TQSPage::dWidth) - tenths(TQSPage::dRightMargin);
  c.BottomLimitT = tenths(TQSPage::dHeight) - tenths(TQSPage::dBottomMargin);
  c.IntervalT = tenths(TQSPage::dInterval);
  c.LineSpaceT = tenths(TQSPage::dLineSpace);
  c.LeftMargin = c.Units(c.LeftMarginT);
  c.TopMargin = c.Units(c.TopMarginT);
  c.RightEdge = c.Units(c.RightEdgeT);
  c.BottomLimit = c.Units(c.BottomLimitT);
  c.Fonts.Init(c.Ppi, score.MusicFontName, score.TextFontName);
  for (int code = 0; code < 256; ++code) c.Glyph128[static_cast<size_t>(code)] = 0;
  using namespace glyphs;
  for (uint8_t code : {NoteheadWhole, NoteheadHalf, NoteheadBlack, RestQuarter, Rest8th, Rest16th, Rest32nd, Rest64th,
                       Rest128th, AccidentalFlat, AccidentalDoubleFlat, AccidentalSharp, AccidentalDoubleSharp,
                       AccidentalNatural, AccidentalNaturalFlat, AccidentalNaturalSharp})
    c.Glyph128[code] = c.Fonts.GlyphWidth(code);
  c.Fonts.SetMusicFont(88);
  for (uint8_t code : {NoteheadWhole, NoteheadHalf, NoteheadBlack}) c.Glyph88[code] = c.Fonts.GlyphWidth(code);
  c.Fonts.SetMusicFont(128);
}

}  // namespace

void LayoutScore(TQSScore& score, int fromPage) {
  fromPage = std::clamp(fromPage, 0, std::max(score.LaidOutPages, 0));
  const int firstPage = fromPage;
  std::map<int, int> systemsOnPage;
  std::exception_ptr failure;
  // A page that cannot hold all the systems it began is laid out again
  // from its start: each round ends one page earlier than it would have,
  // so the rounds end.
  for (;;) {
    TLayoutContext c(score);
    ReadSettings(c);
    c.SystemsOnPage = &systemsOnPage;

    TQSWindowLink* view = score.ActiveWindow();
    c.PartView = score.ViewStyle == TQSViewStyle::vsPart && view;
    if (fromPage == 0) {
      c.MeasureIndex = 0;
      c.PieceIndex = c.PartView ? std::max(0, view->CursorPosition.Piece) : 0;
    } else {
      c.PieceIndex = 0;
      c.MeasureIndex = 0;
      for (int i = fromPage - 1; i >= 0; --i) {
        const TQSCalcPage* p = score.LayoutPages.At(i);
        if (p && !p->IsEmpty) {
          c.PieceIndex = p->FirstPiece + p->PieceChanges;
          c.MeasureIndex = p->NextMeasure;
          break;
        }
      }
    }
    if (c.PartView) c.ViewPart = std::max(0, view->CursorPosition.Part);

    score.MeasureCounter = 0;
    score.UsedMeasures = 0;
    score.LaidOutPages = fromPage;
    FixLinksFrom(score, fromPage, c.PieceIndex, c.MeasureIndex);
    c.MusicEndPage = MusicEndPageBefore(c, fromPage);
    // A damaged score lays out what it can: the pages finished so far stay,
    // and the views are refreshed all the same. Anything else that stops the
    // pass (memory running out above all) is no damage of the score and
    // reaches the caller once the views have their pages.
    if (score.PieceCount() > 0 && ValidPiece(c)) {
      try {
        LayoutPages(c);
      } catch (const Exception&) {
        break;
      } catch (const std::bad_alloc&) {
        failure = std::make_exception_ptr(EOutOfMemory());
      } catch (...) {
        failure = std::current_exception();
      }
    }
    if (failure || c.RestartPage < 0) break;
    fromPage = c.RestartPage;
  }

  score.PendingStartPage = -1;
  score.RelaidFromPage = firstPage;
  for (int i = 0; i < score.WindowCount(); ++i) score.GetWindow(i)->LayoutChanged();
  UpdateWindowScrollBars(score);
  if (failure) std::rethrow_exception(failure);
  if (!score.RecalculateEventSuppressed) Fire(score.OnRecalculate, &score);
  if (score.AutoVelocity) ApplyAutoVelocity(score);
}

}  // namespace qs

// Room between staves and systems for what stands beyond the staff lines:
// once a system is placed, each staff moves down until its highest
// element (notes over ledger lines, chord symbols, voltas, fermatas,
// words) clears the lowest element of the staff above (lyrics, low notes,
// dynamics), and the system moves down until it clears the system before
// it on the page.
#include <algorithm>
#include <climits>
#include <vector>

#include "layout/context.h"
#include "layout/steps.h"
#include "score/marks.h"
#include "score/measure.h"
#include "score/part.h"
#include "score/score.h"

namespace qs {

namespace {

bool HasBox(const TRect& r) { return r.Right > r.Left && r.Bottom > r.Top; }

// Items drawn across the staves they join.
bool Joins(int type) {
  return type == kind::Accolade || (type >= kind::RepeatOpen && type <= kind::CompositionBegin);
}

// The elements whose ink counts for the room a staff needs: not barlines,
// brackets and names, which join staves or stand beside them, nor beams,
// which may cross to another staff.
bool Counts(const TQSCalcItem& e) {
  if (!HasBox(e.Box) || !e.Row) return false;
  if (e.ElementType == element::Item && e.Item) {
    const int type = e.Item->ItemType;
    return !Joins(type) && type != kind::InstrumentName;
  }
  return e.ElementType == element::Stem;
}

template <class F>
void ForEachSystemElement(TQSCalcSystem& system, F f) {
  for (int k = 0; k < system.MeasureCount; ++k) {
    TQSCalcMeasure* slot = system.Measures.At(k);
    for (int i = 0; slot && i < slot->ItemCount; ++i) f(*slot->Items.At(i));
  }
}

// The row of the rows first..last of the system nearest to a height.
const TQSCalcStaff* NearestRow(const TQSCalcPage& page, const TQSCalcSystem& system, int first, int last, int y) {
  const TQSCalcStaff* nearest = nullptr;
  int best = INT_MAX;
  for (int r = first; r <= last; ++r) {
    const TQSCalcStaff* row = page.StaffRows.At(r);
    if (!row || row->System != &system) continue;
    const int d = DistanceToStaff(*row, y);
    if (d < best) {
      best = d;
      nearest = row;
    }
  }
  return nearest;
}

// The page row an element stands on: a mark standing by itself above or
// below a staff belongs to its own staff, anything else to the row it was
// laid out on. -1 for none of the system's rows.
int RowOf(const TQSCalcPage& page, const TQSCalcSystem& system, const TQSCalcItem& e) {
  const TQSCalcStaff* row = e.Row;
  // A mark of no part (a volta, a measure number) belongs to the nearest
  // staff.
  if (e.ElementType == element::Item && e.Item && IsMovableMark(e.Item->ItemType)) {
    row = OwnStaffRow(page, system, e);
    if (!row) row = NearestRow(page, system, system.FirstRow, system.LastRow, (e.Box.Top + e.Box.Bottom) / 2);
  }
  for (int r = system.FirstRow; r <= system.LastRow; ++r)
    if (page.StaffRows.At(r) == row) return r;
  return -1;
}

struct TInk {
  int Top = INT_MAX, Bottom = INT_MIN;
};

// Ink of every row of a system, by page row index.
// A system whose rows are all on the page.
bool HasRows(const TQSCalcPage& page, const TQSCalcSystem& system) {
  if (system.LastRow < system.FirstRow || system.LastRow >= page.StaffRowCount) return false;
  for (int r = system.FirstRow; r <= system.LastRow; ++r)
    if (!page.StaffRows.At(r) || page.StaffRows.At(r)->System != &system) return false;
  return true;
}

std::vector<TInk> InkOf(TQSCalcPage& page, TQSCalcSystem& system) {
  std::vector<TInk> ink(static_cast<size_t>(system.LastRow - system.FirstRow + 1));
  for (int r = system.FirstRow; r <= system.LastRow; ++r) {
    const TQSCalcStaff* row = page.StaffRows.At(r);
    ink[static_cast<size_t>(r - system.FirstRow)] = {row->Top, row->Bottom};
  }
  ForEachSystemElement(system, [&](const TQSCalcItem& e) {
    if (!Counts(e)) return;
    const int r = RowOf(page, system, e);
    if (r < 0) return;
    TInk& k = ink[static_cast<size_t>(r - system.FirstRow)];
    k.Top = std::min(k.Top, e.Box.Top);
    k.Bottom = std::max(k.Bottom, e.Box.Bottom);
  });
  return ink;
}

void MoveBox(TRect& r, int dy) {
  r.Top += dy;
  r.Bottom += dy;
}

// Moves the rows of the system from page row `from` on down by dy, with
// what stands on them; what joins them to the rows above grows.
void MoveRowsDown(TQSCalcPage& page, TQSCalcSystem& system, int from, int dy) {
  const bool whole = from == system.FirstRow;
  const int boundary = page.StaffRows.At(from)->Top;
  // (An element's row depends on its own box and the rows' lines alone,
  // which move last.)
  ForEachSystemElement(system, [&](TQSCalcItem& e) {
    // What joins staves grows when it reaches across the parting.
    const bool joins = e.ElementType == element::PartBarline || (e.Item && Joins(e.Item->ItemType));
    if (joins && !whole) {
      if (e.Box.Top >= boundary) MoveBox(e.Box, dy);
      else if (e.Box.Bottom > boundary) e.Box.Bottom += dy;
      return;
    }
    const int r = RowOf(page, system, e);
    if (whole || r >= from || (r < 0 && e.Box.Top >= boundary)) {
      MoveBox(e.Box, dy);
      if (e.Box2 != TRect{}) MoveBox(e.Box2, dy);
    }
  });
  for (int k = 0; k < system.MeasureCount; ++k) {
    TQSCalcMeasure* slot = system.Measures.At(k);
    if (whole) slot->Box.Top += dy;
    slot->Box.Bottom += dy;
  }
  for (int r = from; r <= system.LastRow; ++r) {
    TQSCalcStaff* row = page.StaffRows.At(r);
    row->Top += dy;
    row->Bottom += dy;
    row->TopLine += dy;
    row->BottomLine += dy;
    row->UpperBound += dy;
    if (row->LowerBound != 0 && r < system.LastRow) row->LowerBound += dy;
  }
  if (!whole) {
    TQSCalcStaff* above = page.StaffRows.At(from - 1);
    TQSCalcStaff* below = page.StaffRows.At(from);
    above->LowerBound = below->UpperBound = (above->Bottom + below->Top) / 2;
  }
  for (size_t p = 0; p < system.Parts.Capacity(); ++p) {
    TQSCalcSystemPart* part = system.Parts.At(p);
    if (!part || !part->Part) continue;
    if (part->FirstRow >= from) part->Top += dy;
    if (part->LastRow >= from) part->Bottom += dy;
  }
  if (whole) system.Top += dy;
  system.Bottom += dy;
}

}  // namespace

int DistanceToStaff(const TQSCalcStaff& row, int y) {
  return y < row.TopLine ? row.TopLine - y : y > row.BottomLine ? y - row.BottomLine : 0;
}

const TQSCalcStaff* OwnStaffRow(const TQSCalcPage& page, const TQSCalcSystem& system, const TQSCalcItem& e) {
  const TQSMeasure* m = e.Item ? e.Item->GetMeasure() : nullptr;
  if (!m || !m->Part()) return nullptr;
  const TQSCalcSystemPart* sp = system.Parts.At(m->Part()->Index);
  if (!sp || sp->System != &system || sp->Part != m->Part()) return nullptr;
  // A mark of the part's first staff may say which staff it stands by;
  // others stand by the nearest of the part's staves.
  if (const auto* mark = dynamic_cast<const TQSMark*>(e.Item)) {
    const int r = sp->FirstRow + std::max<int>(mark->OwnStaff, StaffOf(static_cast<uint8_t>(mark->StaffVoice())));
    const TQSCalcStaff* row = r <= sp->LastRow ? page.StaffRows.At(r) : nullptr;
    if (row && row->System == &system) return row;
  }
  return NearestRow(page, system, sp->FirstRow, sp->LastRow, (e.Box.Top + e.Box.Bottom) / 2);
}

void MakeRoomAroundStaves(TLayoutContext& c) {
  TQSCalcSystem* system = c.System;
  TQSCalcPage* page = c.Page;
  if (!system || !page || !c.Score.MarksClearOfTheMusic || system->MeasureCount == 0 || !HasRows(*page, *system))
    return;
  const int gap = c.StaffSpace;
  int grown = 0;
  // Between the staves of the system; the marks that stopped short of a
  // staff get a second chance once the staves part.
  for (int round = 0; round < 2; ++round) {
    std::vector<TInk> ink = InkOf(*page, *system);
    for (int r = system->FirstRow + 1; r <= system->LastRow; ++r) {
      const size_t i = static_cast<size_t>(r - system->FirstRow);
      const int need = ink[i - 1].Bottom + gap - ink[i].Top;
      if (need <= 0) continue;
      MoveRowsDown(*page, *system, r, need);
      for (size_t j = i; j < ink.size(); ++j) {
        ink[j].Top += need;
        ink[j].Bottom += need;
      }
      grown += need;
    }
    if (round == 0) SettleMarks(c);
  }
  // The first system of a page below the page's texts above it (titles
  // and credits), as far as the page allows.
  if (c.SystemIndex == 0) {
    int textsBottom = INT_MIN, top = INT_MAX;
    for (const TInk& k : InkOf(*page, *system)) top = std::min(top, k.Top);
    for (int i = 0; i < page->PageItemCount; ++i) {
      const TQSCalcItem* e = page->PageItems.At(i);
      if (e && HasBox(e->Box) && e->Box.Bottom <= system->Top) textsBottom = std::max(textsBottom, e->Box.Bottom);
    }
    const int room = std::max(0, c.BottomLimit - system->Bottom);
    const int need = textsBottom == INT_MIN ? 0 : std::min(textsBottom + gap - top, room);
    if (need > 0) {
      MoveRowsDown(*page, *system, system->FirstRow, need);
      system->UpperBound = std::min(system->UpperBound, system->Top);
      grown += need;
    }
  }
  // Below the system before it on the page, as far as the page allows.
  if (c.SystemIndex > 0) {
    TQSCalcSystem* prev = page->Systems.At(c.SystemIndex - 1);
    if (prev && prev->MeasureCount > 0 && HasRows(*page, *prev)) {
      int prevBottom = INT_MIN, top = INT_MAX;
      for (const TInk& k : InkOf(*page, *prev)) prevBottom = std::max(prevBottom, k.Bottom);
      for (const TInk& k : InkOf(*page, *system)) top = std::min(top, k.Top);
      const int room = std::max(0, c.BottomLimit - system->Bottom);
      const int need = std::min(prevBottom + gap - top, room);
      if (need > 0) {
        MoveRowsDown(*page, *system, system->FirstRow, need);
        prev->LowerBound = system->UpperBound = (prev->Bottom + system->Top) / 2;
        grown += need;
      }
    }
  }
  if (grown > 0) c.Y += static_cast<long double>(grown) * 254 / (8 * c.Ppi);
}

}  // namespace qs

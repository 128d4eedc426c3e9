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

// The signs a note's staff and voice place (laid out with its part).
bool IsNoteSign(int type) {
  return (type >= kind::Staccato && type <= kind::Tremolo) || type == kind::Accent || type == kind::Bowing ||
         type == kind::Finger || type == kind::Trill || type == kind::Mordent || type == kind::Gruppetto ||
         type == kind::Breath || type == kind::Arpeggio || type == kind::Tuplet;
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
  // A sign at a note stands on its note's staff, which its staff and voice
  // say (the row it was laid out on may be its part's first); so does a
  // line bracket over or under a staff's notes.
  if (e.Item && (IsNoteSign(e.Item->ItemType) || e.Item->ItemType == kind::Bracket))
    if (const TQSCalcStaff* own = OwnStaffRow(page, system, e)) row = own;
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

// A system whose rows are all on the page.
bool HasRows(const TQSCalcPage& page, const TQSCalcSystem& system) {
  if (system.LastRow < system.FirstRow || system.LastRow >= page.StaffRowCount) return false;
  for (int r = system.FirstRow; r <= system.LastRow; ++r)
    if (!page.StaffRows.At(r) || page.StaffRows.At(r)->System != &system) return false;
  return true;
}

// The elements of a system with the page row each stands on (-1 none).
struct TPlaced {
  TQSCalcItem* Element;
  int Row;
};

std::vector<TPlaced> Collect(const TQSCalcPage& page, TQSCalcSystem& system) {
  std::vector<TPlaced> placed;
  ForEachSystemElement(system, [&](TQSCalcItem& e) { placed.push_back({&e, RowOf(page, system, e)}); });
  return placed;
}

struct TInk {
  int Top = INT_MAX, Bottom = INT_MIN;
};

// Ink of every row of a system, from its first row on.
std::vector<TInk> InkOf(const TQSCalcPage& page, const TQSCalcSystem& system, const std::vector<TPlaced>& placed) {
  std::vector<TInk> ink(static_cast<size_t>(system.LastRow - system.FirstRow + 1));
  for (int r = system.FirstRow; r <= system.LastRow; ++r) {
    const TQSCalcStaff* row = page.StaffRows.At(r);
    ink[static_cast<size_t>(r - system.FirstRow)] = {row->Top, row->Bottom};
  }
  for (const TPlaced& p : placed) {
    if (p.Row < 0 || !Counts(*p.Element)) continue;
    TInk& k = ink[static_cast<size_t>(p.Row - system.FirstRow)];
    k.Top = std::min(k.Top, p.Element->Box.Top);
    k.Bottom = std::max(k.Bottom, p.Element->Box.Bottom);
  }
  return ink;
}

void MoveBox(TRect& r, int dy) {
  r.Top += dy;
  r.Bottom += dy;
}

// Moves each row of the system down by its own amount (shift, from the
// first row on; never less than the row above), with what stands on it;
// what joins rows grows with them.
void MoveRowsDown(TQSCalcPage& page, TQSCalcSystem& system, const std::vector<TPlaced>& placed,
                  const std::vector<int>& shift) {
  const int first = system.FirstRow, last = system.LastRow;
  auto by = [&](int r) { return shift[static_cast<size_t>(r - first)]; };
  // The row a height falls in, by the rows as they were.
  auto rowAt = [&](int y) {
    int at = first;
    for (int r = first + 1; r <= last; ++r)
      if (page.StaffRows.At(r)->Top <= y) at = r;
    return at;
  };
  for (const TPlaced& p : placed) {
    TQSCalcItem& e = *p.Element;
    const bool joins = e.ElementType == element::PartBarline || (e.Item && Joins(e.Item->ItemType));
    if (joins) {
      const int top = by(rowAt(e.Box.Top)), bottom = by(rowAt(e.Box.Bottom));
      e.Box.Top += top;
      e.Box.Bottom += bottom;
      continue;
    }
    const int dy = by(p.Row >= 0 ? p.Row : rowAt(e.Box.Top));
    if (dy == 0) continue;
    MoveBox(e.Box, dy);
    if (e.Box2 != TRect{}) MoveBox(e.Box2, dy);
  }
  for (int k = 0; k < system.MeasureCount; ++k) {
    TQSCalcMeasure* slot = system.Measures.At(k);
    slot->Box.Top += by(first);
    slot->Box.Bottom += by(last);
  }
  for (int r = first; r <= last; ++r) {
    TQSCalcStaff* row = page.StaffRows.At(r);
    const int dy = by(r);
    row->Top += dy;
    row->Bottom += dy;
    row->TopLine += dy;
    row->BottomLine += dy;
    row->UpperBound += dy;
    if (r < last) row->LowerBound += dy;
  }
  for (int r = first + 1; r <= last; ++r) {
    TQSCalcStaff* above = page.StaffRows.At(r - 1);
    TQSCalcStaff* below = page.StaffRows.At(r);
    above->LowerBound = below->UpperBound = (above->Bottom + below->Top) / 2;
  }
  for (size_t p = 0; p < system.Parts.Capacity(); ++p) {
    TQSCalcSystemPart* part = system.Parts.At(p);
    if (!part || !part->Part || part->System != &system) continue;
    part->Top += by(std::clamp<int>(part->FirstRow, first, last));
    part->Bottom += by(std::clamp<int>(part->LastRow, first, last));
  }
  system.Top += by(first);
  system.Bottom += by(last);
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

bool MakeRoomAroundStaves(TLayoutContext& c) {
  TQSCalcSystem* system = c.System;
  TQSCalcPage* page = c.Page;
  if (!system || !page || !c.Score.MarksClearOfTheMusic || system->MeasureCount == 0 || !HasRows(*page, *system))
    return true;
  const int gap = c.StaffSpace;
  const size_t rows = static_cast<size_t>(system->LastRow - system->FirstRow + 1);
  int grown = 0;
  // Between the staves of the system; the marks that stopped short of a
  // staff get a second chance once the staves part.
  for (int round = 0; round < 2; ++round) {
    const std::vector<TPlaced> placed = Collect(*page, *system);
    const std::vector<TInk> ink = InkOf(*page, *system, placed);
    std::vector<int> shift(rows, 0);
    for (size_t i = 1; i < rows; ++i) {
      const int need = std::max(0, ink[i - 1].Bottom + shift[i - 1] + gap - ink[i].Top - shift[i - 1]);
      shift[i] = shift[i - 1] + need;
    }
    if (shift.back() > 0) {
      MoveRowsDown(*page, *system, placed, shift);
      grown += shift.back();
    }
    if (round == 0) SettleMarks(c);
  }
  // Clear of what stands above on the page: the page's texts (titles and
  // credits) above the first system, the system before, as far as the page
  // allows.
  const std::vector<TPlaced> placed = Collect(*page, *system);
  int top = INT_MAX, above = INT_MIN;
  for (const TInk& k : InkOf(*page, *system, placed)) top = std::min(top, k.Top);
  if (c.SystemIndex == 0) {
    for (int i = 0; i < page->PageItemCount; ++i) {
      const TQSCalcItem* e = page->PageItems.At(i);
      if (e && HasBox(e->Box) && e->Box.Bottom <= system->Top) above = std::max(above, e->Box.Bottom);
    }
  } else if (TQSCalcSystem* prev = page->Systems.At(c.SystemIndex - 1);
             prev && prev->MeasureCount > 0 && HasRows(*page, *prev)) {
    for (const TInk& k : InkOf(*page, *prev, Collect(*page, *prev))) above = std::max(above, k.Bottom);
  }
  const int room = std::max(0, c.BottomLimit - system->Bottom);
  const int wanted = above == INT_MIN ? 0 : above + gap - top;
  const bool fits = wanted <= room && system->Bottom <= c.BottomLimit;
  const int need = std::min(wanted, room);
  if (need > 0) {
    MoveRowsDown(*page, *system, placed, std::vector<int>(rows, need));
    if (TQSCalcSystem* prev = c.SystemIndex > 0 ? page->Systems.At(c.SystemIndex - 1) : nullptr)
      prev->LowerBound = system->UpperBound = (prev->Bottom + system->Top) / 2;
    else
      system->UpperBound = std::min(system->UpperBound, system->Top);
    grown += need;
  }
  if (grown > 0) c.Y += static_cast<long double>(grown) * 254 / (8 * c.Ppi);
  return fits;
}

}  // namespace qs

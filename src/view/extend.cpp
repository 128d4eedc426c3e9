// Growing and shrinking the selection as the cursor moves with Shift held.
#include "score/calcrecords.h"
#include "score/measure.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/tree.h"
#include "view/window.h"

namespace qs {

namespace {

// Where a selected item sits, for the extension. Unknown fields are -1.
struct TSelPosition {
  int Measure = -1, Tick = 0, Part = -1, Staff = -1, Voice = -1;
  bool Counted = false;  // the item takes part at all
};

bool Before(int m1, int t1, int m2, int t2) { return m1 < m2 || (m1 == m2 && t1 < t2); }

bool InList(int kind, std::initializer_list<int> kinds) {
  for (int k : kinds)
    if (k == kind) return true;
  return false;
}

// The kinds that are placed only by part (their staff is not theirs).
bool PartOnlyKind(int k) {
  return InList(k, {3, 40, 41, 85, 141, 142, 143, 149, 160, 169, 170, 172, 173}) || (k >= 110 && k <= 118) ||
         (k >= 120 && k <= 125) || (k >= 130 && k <= 133);
}

bool ColumnKind(int k, bool shrinking) {
  return InList(k, {4, 28, 42, 150, 151, 153, 154, 171}) || (shrinking && k >= 155 && k <= 159);
}

// forRange: the rules of selecting a range, else of the extent and of
// shrinking (shrinking also counts kinds 155-159).
TSelPosition PositionOf(const TQSItem& item, bool forRange, bool shrinking) {
  TSelPosition p;
  const int k = item.ItemType;
  p.Tick = item.TimePosition();
  if (ColumnKind(k, shrinking)) {
    const auto* column = dynamic_cast<const TQSColumn*>(item.Owner());
    if (!column) return p;
    p.Measure = column->Index;
    p.Counted = true;
    return p;
  }
  const TQSMeasure* measure = item.GetMeasure();
  if (!measure) return p;
  const bool staffKind = k == kind::Clef || InList(k, {31, 33, 34, 35, 36});
  const bool eventKind = k == kind::Note || k == kind::Pause;
  const bool partKind = PartOnlyKind(k) || k == 119;
  if (!staffKind && !eventKind && !partKind) return p;
  p.Counted = true;
  p.Measure = measure->Index;
  const int sv = item.StaffVoice();
  if (k == 119) {
    p.Part = measure->Part() ? measure->Part()->Index : -1;
    if (forRange) p.Staff = sv >> 4;
    return p;
  }
  if (PartOnlyKind(k) && forRange) return p;  // nothing known
  p.Part = measure->Part() ? measure->Part()->Index : -1;
  if (staffKind || eventKind) p.Staff = sv >> 4;
  if (eventKind) p.Voice = sv & 0x0F;
  return p;
}

}  // namespace

bool TQSWindow::PassesSymbolScope(int part, int staff, int voice) const {
  const int scope = Score ? Score->SymbolSelectScope : 0;
  const TQSCursorPosition& c = CursorPosition;
  if (scope >= 2 && (part < 0 || part != c.Part)) return false;
  if (scope >= 3 && (staff < 0 || staff != c.Staff)) return false;
  if (scope >= 4 && (voice < 0 || voice != c.Voice)) return false;
  return true;
}

void TQSWindow::ExtendSelection(int direction, int oldMeasure, int oldTick) {
  TQSPiece* piece = ActivePiece();
  if (!Score || !piece) return;
  int startM = oldMeasure, startT = oldTick, endM = oldMeasure, endT = oldTick;
  if (TQSSelPiece* sel = FindSelPiece(piece)) {
    for (const TQSSelList& list : sel->Measures)
      for (const TQSCalcItem* e : list) {
        if (!e->Item) continue;
        const TSelPosition p = PositionOf(*e->Item, false, false);
        if (!p.Counted || !PassesSymbolScope(p.Part, p.Staff, p.Voice)) continue;
        if (Before(p.Measure, p.Tick, startM, startT)) startM = p.Measure, startT = p.Tick;
        if (Before(endM, endT, p.Measure, p.Tick)) endM = p.Measure, endT = p.Tick;
      }
  }
  const int cm = CursorPosition.Measure, ct = CursorPosition.Tick;
  bool changed = false;
  const bool quiet = SuppressEvents;
  {
    // Adding elements reports nothing by itself: the step reports once.
    TFlagScope suppressed(SuppressEvents, true);
    if (direction == 0) {
      if (Before(cm, ct, startM, startT))
        changed = SelectRange(cm, ct, startM, startT);
      else if (Before(cm, ct, endM, endT))
        changed = DeselectRange(cm, ct, endM, endT);
    } else {
      if (Before(endM, endT, cm, ct))
        changed = SelectRange(endM, endT, cm, ct);
      else if (Before(startM, startT, cm, ct))
        changed = DeselectRange(startM, startT, cm, ct);
    }
  }
  if (!changed) return;
  InvalidatePages();
  // One report of the changed selection for the whole step, whether it
  // grew or shrank.
  if (!quiet) Fire(OnSelectedChanged, this);
}

bool TQSWindow::SelectRange(int fromM, int fromT, int toM, int toT) {
  TQSPiece* piece = ActivePiece();
  bool found = false;
  for (int m = fromM; m <= toM; ++m) {
    if (m < 0 || m >= static_cast<int>(piece->Slots.size())) continue;
    auto* slot = dynamic_cast<TQSCalcMeasure*>(piece->Slots[static_cast<size_t>(m)]);
    if (!slot) continue;
    for (int i = 0; i < slot->ItemCount; ++i) {
      TQSCalcItem* e = slot->Items.At(i);
      if (!e || e->ElementType != element::Item || !e->Item || e->Next) continue;
      const TSelPosition p = PositionOf(*e->Item, true, false);
      if (!p.Counted || Before(p.Measure, p.Tick, fromM, fromT) || Before(toM, toT, p.Measure, p.Tick)) continue;
      if (!PassesSymbolScope(p.Part, p.Staff, p.Voice)) continue;
      found = true;
      AddToSelection(e);
    }
  }
  if (found) SetHasSelection(true);
  return found;
}

bool TQSWindow::DeselectRange(int fromM, int fromT, int toM, int toT) {
  TQSSelPiece* sel = FindSelPiece(ActivePiece());
  if (!sel) return false;
  bool found = false;
  for (TQSSelList& list : sel->Measures)
    for (int i = static_cast<int>(list.size()) - 1; i >= 0; --i) {
      const TQSCalcItem* e = list[static_cast<size_t>(i)];
      if (!e->Item) continue;
      const TSelPosition p = PositionOf(*e->Item, false, true);
      if (!p.Counted || Before(p.Measure, p.Tick, fromM, fromT) || Before(toM, toT, p.Measure, p.Tick)) continue;
      if (!PassesSymbolScope(p.Part, p.Staff, p.Voice)) continue;
      found = true;
      list.erase(list.begin() + i);
    }
  return found;
}

}  // namespace qs

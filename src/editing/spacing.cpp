#include "editing/spacing.h"

#include <algorithm>

#include "score/measure.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/spacing.h"

namespace qs {

namespace {

// Table entries are 16-bit with a 16-bit count.
constexpr int kMaxEntries = 0xFFFF;

// The entry at index, the table grown with zeros to reach it; nullptr for
// an index the table cannot hold.
int16_t* Entry(TQSSpacingTable& table, int index) {
  if (index < 0 || index >= kMaxEntries) return nullptr;
  if (static_cast<int>(table.size()) <= index) table.resize(static_cast<size_t>(index) + 1, 0);
  return &table[static_cast<size_t>(index)];
}

int16_t Clamp16(int v) { return static_cast<int16_t>(std::clamp(v, -32768, 32767)); }

// The piece's tables in the composition view, the part's in the part view.
TQSSpacingTables* ViewTables(TQSScore& score) {
  if (score.ViewStyle == TQSViewStyle::vsPart) {
    TQSPart* part = score.CurrentPart();
    return part ? &part->Spacing : nullptr;
  }
  TQSPiece* piece = score.CurrentPiece();
  return piece ? &piece->Spacing : nullptr;
}

void Relayout(TQSScore& score, TQSWindowLink& view) {
  score.Recalculate(view.CursorPosition.Page, -1);
  score.RefreshWindowsFrom(view.CursorPosition.Page);
  score.FireChanged(&score);
}

// Changes one entry of a table of the view's tables.
template <class Change>
void ChangeTable(TQSScore& score, TQSSpacingTable TQSSpacingTables::*which, int index, Change change) {
  TQSWindowLink* view = score.ActiveWindow();
  TQSSpacingTables* tables = view ? ViewTables(score) : nullptr;
  int16_t* entry = tables ? Entry(tables->*which, index) : nullptr;
  if (!entry) return;
  *entry = change(*entry);
  Relayout(score, *view);
}

}  // namespace

void ChangeSpaceBefore(TQSScore& score, int step, bool allowNegative) {
  TQSWindowLink* view = score.ActiveWindow();
  if (!view) return;
  TQSSpacingTable* table = nullptr;
  if (score.ViewStyle == TQSViewStyle::vsPart) {
    if (TQSMeasure* m = score.EnsureMeasure(-1)) table = &m->Spacing;
  } else if (TQSColumn* c = score.EnsureColumn(-1)) {
    table = &c->Spacing;
  }
  int16_t* entry = table ? Entry(*table, view->CursorPosition.Tick) : nullptr;
  if (!entry) return;
  const int v = *entry + step * 8;
  *entry = Clamp16(v < 0 && !allowNegative ? 0 : v);
  Relayout(score, *view);
}

void ChangeStaveOffset(TQSScore& score, int step) {
  TQSWindowLink* view = score.ActiveWindow();
  if (!view) return;
  ChangeTable(score, &TQSSpacingTables::RowOffsets, view->CursorStaffRow(),
              [&](int16_t v) { return Clamp16(v + step * 8); });
}

void ChangeStaveLeftOffset(TQSScore& score, int step, bool absolute) {
  TQSWindowLink* view = score.ActiveWindow();
  if (!view) return;
  ChangeTable(score, &TQSSpacingTables::LeftOffsets, view->CursorSystemIndex(),
              [&](int16_t v) { return Clamp16((absolute ? 0 : v) + step * 8); });
}

void ChangeStaveRightOffset(TQSScore& score, int step) {
  TQSWindowLink* view = score.ActiveWindow();
  if (!view) return;
  ChangeTable(score, &TQSSpacingTables::RightOffsets, view->CursorSystemIndex(),
              [&](int16_t v) { return Clamp16(v + step * 8); });
}

void ChangeSpaceAfterMeasure(TQSScore& score, int step) {
  TQSWindowLink* view = score.ActiveWindow();
  TQSSpacingTables* tables = view ? ViewTables(score) : nullptr;
  int16_t* entry = tables ? Entry(tables->SpaceAfter, view->CursorPosition.Measure) : nullptr;
  if (!entry) return;
  const int v = *entry + step * 8;
  if (v > 0) {
    *entry = Clamp16(v);
  } else {
    const bool wasZero = *entry == 0;
    *entry = 0;
    // Nothing changed: the composition view lays out nothing.
    if (wasZero && score.ViewStyle == TQSViewStyle::vsComposition) return;
  }
  Relayout(score, *view);
}

void SetMeasureAlignStyle(TQSScore& score, uint8_t style) {
  TQSWindowLink* view = score.ActiveWindow();
  if (!view) return;
  ChangeTable(score, &TQSSpacingTables::AlignStyles, view->CursorSystemIndex(),
              [&](int16_t) { return int16_t(style); });
}

}  // namespace qs

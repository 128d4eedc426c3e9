// The input cursor: placing it at a clicked point, the event nearest to a
// tick, keeping it inside the score and scrolling it into view.
#include <algorithm>
#include <cstdlib>

#include "base/mathutil.h"
#include "score/calcrecords.h"
#include "score/measure.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/units.h"
#include "view/window.h"

namespace qs {

namespace {

// Whether an event of the measure belongs to the cursor's staff and voice.
bool CursorEvent(const TQSMeasure& measure, const TQSItem& item, int staff, int voice) {
  if (!IsTimedItem(item)) return false;
  return measure.AllVoices() || item.StaffVoice() == MakeStaffVoice(staff, voice);
}

const TQSCalcMeasure* SlotOf(const TQSPiece* piece, int measure) {
  if (!piece || measure < 0 || measure >= static_cast<int>(piece->Slots.size())) return nullptr;
  return dynamic_cast<const TQSCalcMeasure*>(piece->Slots[static_cast<size_t>(measure)]);
}

}  // namespace

// ------------------------------------------------------------ the click

void TQSWindow::PointToCursor(TPoint point, bool /*unused*/) {
  if (!Score) return;
  // Inside an edited text only the caret moves.
  if (textEditor_->TextMouseDown(point)) return;
  TQSCursorPosition cand = CursorPosition;
  int line = cursorLine_, string = CursorString;
  const TPoint p = geometry_.ClientToCanvas(point);
  ClickedBarMeasure = -1;

  for (int j = 0; j < geometry_.PageCount && j < static_cast<int>(geometry_.PageGrid.size()); ++j) {
    const TRect& pr = geometry_.PageGrid[static_cast<size_t>(j)].Rect;
    if (!pr.Contains(p)) continue;
    cand.Page = j;
    const TQSCalcPage* page = LayoutPage(j);
    if (!page || page->SystemCount == 0) break;
    const int dx = p.X - pr.Left, dy = p.Y - pr.Top;
    // A system takes the clicks down to the lower edge of its band, so that
    // the ledger lines below its last staff belong to it.
    const TQSCalcSystem* system = nullptr;
    for (int s = 0; s < page->SystemCount && !system; ++s)
      if (const TQSCalcSystem* sys = page->Systems.At(s); sys && geometry_.Px(sys->LowerBound) > dy) system = sys;
    if (!system) break;

    const int z = Zoom * 10 / 100;
    bool measureFound = false;
    for (int k = 0; k < system->MeasureCount; ++k) {
      const TQSCalcMeasure* slot = system->Measures.At(k);
      if (!slot) continue;
      const int r = geometry_.Px(slot->Box.Right);
      if ((r - z < dx && dx <= r) || (k > 0 && r < dx && dx <= r + z)) ClickedBarMeasure = slot->MeasureIndex;
      if (measureFound || dx > r) continue;
      measureFound = true;
      cand.Measure = slot->MeasureIndex;
      const int length = std::min<int>(slot->Length, static_cast<int>(slot->Positions.size()));
      for (int t = 0; t < length; ++t)
        if (geometry_.Px(slot->Box.Left + slot->Positions[static_cast<size_t>(t)]) >= dx) {
          cand.Tick = t;
          break;
        }
    }

    const TQSCalcStaff* row = nullptr;
    for (int r = system->FirstRow; r <= system->LastRow && r < page->StaffRowCount && !row; ++r)
      if (const TQSCalcStaff* sr = page->StaffRows.At(r); sr && geometry_.Px(sr->LowerBound) > dy) row = sr;
    if (row && row->Staff && row->Staff->Part()) {
      const TQSStaff& staff = *row->Staff;
      TQSPart* part = staff.Part();
      cand.Piece = part->Piece() ? part->Piece()->Index : cand.Piece;
      cand.Part = part->Index;
      cand.Staff = staff.Index;
      const int s = geometry_.StaffSpacePixels(staff);
      if (s > 0) {
        const int top = geometry_.Px(row->TopLine) + pr.Top;
        line = Round(2.0 * (top + 5 * s - p.Y) / s) + 60;
        const int lines = std::max<int>(1, staff.Fields.LineCount);
        string = std::clamp(Round(static_cast<double>(top + (lines - 1) * s - p.Y) / s), 0, lines - 1);
      }
      // Click offsets in layout units at staff size 100 %.
      const int64_t scale = std::max(1, Score->Scale), size = std::max<int>(1, staff.Fields.Scale);
      auto offset = [&](int rowTop) {
        return static_cast<int>(static_cast<int64_t>(dy - geometry_.Px(rowTop)) * 8000000 / Zoom / scale / size);
      };
      if (const TQSCalcStaff* first = page->StaffRows.At(system->FirstRow)) SystemClickOffset = offset(first->Top);
      if (const TQSCalcSystemPart* sp = system->Parts.At(part->Index); sp && sp->System == system)
        if (const TQSCalcStaff* first = page->StaffRows.At(sp->FirstRow)) PartClickOffset = offset(first->Top);
      StaffClickOffset = static_cast<int>(static_cast<int64_t>(geometry_.Px(row->Top) - dy) * 80000 / Zoom / scale);
    }
    break;
  }

  const TQSCursorPosition& c = CursorPosition;
  if (cand.Page == c.Page && cand.Piece == c.Piece && cand.Part == c.Part && cand.Measure == c.Measure &&
      cand.Staff == c.Staff && cand.Tick == c.Tick && line == cursorLine_ && string == CursorString)
    return;
  ShowCursor(false);
  const int voice = CursorPosition.Voice;
  CursorPosition = cand;
  CursorPosition.Voice = voice;
  CursorPosition.Tick = NearestEventTick(cand.Tick);
  cursorLine_ = line;
  CursorString = string;
  ValidateCursor(true);
  ShowCursor(true);
  RefreshRulerMarkers();
  UpdatePageButtons();
  DoActiveChanged(ActiveVoice());
}

// --------------------------------------------------------- nearest event

int TQSWindow::NearestEventTick(int tick) const {
  const TQSMeasure* measure = CursorMeasure();
  if (!measure) return 0;
  int best = 100000, result = 0;
  for (const TQSItem* item : measure->Items) {
    if (!CursorEvent(*measure, *item, CursorPosition.Staff, CursorPosition.Voice)) continue;
    const int d = std::abs(tick - item->TimePosition());
    if (d < best) {
      best = d;
      result = item->TimePosition();
    }
  }
  return result;
}

void TQSWindow::SnapCursorTick() {
  const TQSMeasure* measure = CursorMeasure();
  if (!measure) return;
  int best = 1000, tick = CursorPosition.Tick;
  for (const TQSItem* item : measure->Items) {
    if (!IsTimedItem(*item)) continue;
    const int d = std::abs(CursorPosition.Tick - item->TimePosition());
    if (d < best) {
      best = d;
      tick = item->TimePosition();
    }
  }
  if (tick == CursorPosition.Tick) return;
  ShowCursor(false);
  CursorPosition.Tick = tick;
  ShowCursor(true);
}

TQSMeasure* TQSWindow::CursorMeasure() const {
  const TQSPart* part = ActivePart();
  return part ? part->GetMeasure(CursorPosition.Measure) : nullptr;
}

// -------------------------------------------------------------- validation

void TQSWindow::ValidateCursor(bool keepPage) {
  if (!Score || !Score->GetPiece(0)) return;
  TQSCursorPosition& c = CursorPosition;
  auto clampTo = [](int32_t& field, int count) {
    if (count > 0 && field > count - 1) field = count - 1;
    if (count > 0 && field < 0) field = 0;
    return count > 0;
  };
  int pieces = 0;
  while (Score->GetPiece(pieces)) ++pieces;
  clampTo(c.Piece, pieces);
  TQSPiece* piece = Score->GetPiece(c.Piece);
  if (!piece || !clampTo(c.Part, piece->PartCount())) return;
  TQSPart* part = piece->GetPart(c.Part);
  if (!clampTo(c.Staff, part->StaffCount())) return;
  if (!clampTo(c.Voice, part->GetStaff(c.Staff)->VoiceCount())) return;
  if (piece->LastLaidOutMeasure >= 0 && piece->LastLaidOutMeasure < c.Measure) c.Measure = piece->LastLaidOutMeasure;
  if (c.Measure < 0) c.Measure = 0;
  const TQSCalcMeasure* slot = SlotOf(piece, c.Measure);
  if (!slot || c.Tick >= slot->LengthFor(c.Measure) || c.Tick < 0) c.Tick = 0;

  int found = -1;
  for (int j = geometry_.PageCount - 1; j >= 0 && found < 0; --j) {
    const TQSCalcPage* page = LayoutPage(j);
    const TQSCalcSystem* first = page && page->SystemCount > 0 ? page->Systems.At(0) : nullptr;
    if (!first || !first->Piece) continue;
    const int firstPiece = first->Piece->Index;
    if (firstPiece < c.Piece || (firstPiece == c.Piece && first->FirstMeasure <= c.Measure)) found = j;
  }
  if (found < 0 || found == c.Page) return;
  if (keepPage) {
    const TQSCalcPage* current = LayoutPage(c.Page);
    if (current && current->SystemCount == 0) return;
  }
  c.Page = found;
  ScrollToCursor(-1, false);
  RefreshRulerMarkers();
  LayoutButtonBar();
  UpdatePageButtons();
}

// ------------------------------------------------------------- scrolling

void TQSWindow::ScrollToCursor(int top, bool follow) {
  if (!Score || Score->Updating()) return;
  const TQSPiece* piece = ActivePiece();
  const TQSCalcMeasure* slot = SlotOf(piece, CursorPosition.Measure);
  const TQSCalcSystem* system = slot ? slot->System : nullptr;
  if (!system || !system->PageRecord) return;
  const TQSCalcSystemPart* sp = system->Parts.At(CursorPosition.Part);
  if (!sp || sp->System != system) return;
  const TQSCalcPage* page = system->PageRecord;
  const int rowIndex = sp->FirstRow + CursorPosition.Staff;
  const TQSCalcStaff* row = rowIndex < page->StaffRowCount ? page->StaffRows.At(rowIndex) : nullptr;
  const int pageIndex = page->PageIndex;
  if (!row || pageIndex >= static_cast<int>(geometry_.PageGrid.size())) return;
  const TRect& pr = geometry_.PageGrid[static_cast<size_t>(pageIndex)].Rect;

  const int left = pr.Left + geometry_.Px(slot->Box.Left), right = pr.Left + geometry_.Px(slot->Box.Right);
  const int r = geometry_.RulerWidth();
  const int m = Zoom * 20 / 100;
  const TRect a = GetPageAreaRect();
  const int viewW = a.Right - a.Left, viewH = a.Bottom - a.Top;

  int h = geometry_.HorzBar.Position;
  if (Style != wsPreview) {
    if (left < h)
      h = CursorPosition.Measure == system->FirstMeasure ? 0 : left;
    else if (right > h + viewW && right - viewW <= left)
      h = right + geometry_.VertBar.Thickness + r - ClientWidth();
  }

  auto vertical = [&](int spanTop, int spanBottom, int base) {
    int v = base;
    const bool firstRow = rowIndex == 0;
    auto up = [&] { v = firstRow ? pr.Top : (m < spanTop ? spanTop - m : spanTop); };
    if (spanTop < v) up();
    else if (spanBottom > v + viewH) {
      v = follow && pageIndex != geometry_.PageCount - 1
              ? spanTop
              : spanBottom + geometry_.HorzBar.Thickness + r + m - ClientHeight();
      if (spanTop < v) up();
    }
    return v;
  };
  int v = top > 0 ? top : geometry_.VertBar.Position;
  if (Playing()) {
    const TQSCalcStaff* firstRow = page->StaffRows.At(system->FirstRow);
    const TQSCalcStaff* lastRow = page->StaffRows.At(system->LastRow);
    if (firstRow && lastRow)
      v = vertical(pr.Top + geometry_.Px(firstRow->UpperBound), pr.Top + geometry_.Px(lastRow->LowerBound), v);
  }
  v = vertical(pr.Top + geometry_.Px(row->Top), pr.Top + geometry_.Px(row->Bottom), v);

  ScrollBoth(h, v);
}

void TQSWindow::DoActiveChanged(TObject* sender) {
  if (DataStyle == dsActiveVoice) InvalidatePages();
  Fire(OnActiveChanged, sender);
}

}  // namespace qs

// Moving the input cursor from the keyboard: event by event, to the ends of
// the cursor's system, of the pieces on the current page and of the score.
#include <algorithm>
#include <exception>

#include "platform/keys.h"
#include "score/calcrecords.h"
#include "score/measure.h"
#include "score/part.h"
#include "score/piece.h"
#include "score/score.h"
#include "score/units.h"
#include "view/window.h"

namespace qs {

namespace {

bool StaffVoiceEvent(const TQSMeasure& measure, const TQSItem& item, int staff, int voice) {
  if (!IsTimedItem(item)) return false;
  return measure.AllVoices() || item.StaffVoice() == MakeStaffVoice(staff, voice);
}

// Moving left never leaves the cursor's staff, also in an all-voices measure.
bool LeftEvent(const TQSMeasure& measure, const TQSItem& item, int staff, int voice) {
  if (!IsTimedItem(item)) return false;
  if (measure.AllVoices()) return (item.StaffVoice() >> 4) == staff;
  return item.StaffVoice() == MakeStaffVoice(staff, voice);
}

// With Shift held, a move hands the cursor position from before it to the
// selection extension once it is done, whichever way it ended.
struct TExtendAfterMove {
  TQSWindow* View;
  bool Extend;
  int Direction, Measure, Tick;
  TExtendAfterMove(TQSWindow* view, bool extend, int direction)
      : View(view), Extend(extend), Direction(direction), Measure(view->CursorPosition.Measure),
        Tick(view->CursorPosition.Tick) {}
  // Not while an exception from the move passes.
  ~TExtendAfterMove() noexcept(false) {
    if (std::uncaught_exceptions() > 0) return;
    if (Extend && (View->CursorPosition.Measure != Measure || View->CursorPosition.Tick != Tick))
      View->ExtendSelection(Direction, Measure, Tick);
  }
};

}  // namespace

// The cursor is hidden while its fields change; the finishing steps run
// also when a step throws, so it never stays hidden.
template <typename Fn>
void TQSWindow::CursorMove(TObject* sender, Fn&& change) {
  ShowCursor(false);
  struct TFinish {
    TQSWindow* View;
    TObject* Sender;
    ~TFinish() {
      View->ScrollToCursor(-1, false);
      View->RefreshRulerMarkers();
      View->ShowCursor(true);
      if (Sender) View->DoActiveChanged(Sender);
    }
  } finish{this, sender};
  change();
}

// The tick of the nearest event after (step 1) or before (-1) the cursor in
// its measure, -1 when none. The item list is in time order, but the
// nearest is taken so that an unsorted list cannot make a step skip one.
int TQSWindow::NextEventTick(int step, bool anyVoice) const {
  const TQSMeasure* measure = CursorMeasure();
  if (!measure) return -1;
  const TQSCursorPosition& c = CursorPosition;
  int target = -1;
  for (const TQSItem* item : measure->Items) {
    const int tick = item->TimePosition();
    if (step > 0 ? tick <= c.Tick || (target >= 0 && tick >= target) : tick >= c.Tick || tick <= target) continue;
    const bool takes = step < 0    ? LeftEvent(*measure, *item, c.Staff, c.Voice)
                       : anyVoice ? IsTimedItem(*item)
                                  : StaffVoiceEvent(*measure, *item, c.Staff, c.Voice);
    if (takes) target = tick;
  }
  return target;
}

void TQSWindow::MoveCursorLeft(bool extend) {
  const TExtendAfterMove after(this, extend, 0);
  TQSPiece* piece = ActivePiece();
  if (!Score || !piece || !ActivePart()) return;
  if (!extend) ClearSelection();
  TQSCursorPosition& c = CursorPosition;
  if (const int target = NextEventTick(-1, false); target >= 0) {
    SetCursorTick(target);
    DoActiveChanged(this);
    return;
  }
  if (c.Measure == 0 && c.Piece == 0) return;
  CursorMove(this, [&] {
    if (c.Measure == 0) {
      --c.Piece;
      ValidateCursor(false);
      const TQSPiece* previous = ActivePiece();
      c.Measure = previous && previous->LastLaidOutMeasure > 0 ? previous->LastLaidOutMeasure : 0;
    } else {
      --c.Measure;
    }
    c.Tick = NearestEventTick(10000);
    ValidateCursor(false);
  });
}

void TQSWindow::MoveCursorRight(bool extend, bool anyVoice) {
  const TExtendAfterMove after(this, extend, 1);
  TQSPiece* piece = ActivePiece();
  if (!Score || !piece || !ActivePart()) return;
  if (!extend) ClearSelection();
  TQSCursorPosition& c = CursorPosition;
  if (const int target = NextEventTick(1, anyVoice); target >= 0) {
    SetCursorTick(target);
    DoActiveChanged(this);
    return;
  }
  const bool lastPiece = c.Piece >= Score->PieceCount() - 1;
  if (c.Measure >= piece->LastLaidOutMeasure && lastPiece) return;
  CursorMove(this, [&] {
    if (c.Measure < piece->LastLaidOutMeasure) {
      ++c.Measure;
      c.Tick = NearestEventTick(0);
    } else {
      ++c.Piece;
      ValidateCursor(false);
      c.Measure = 0;
      c.Tick = NearestEventTick(c.Tick);
    }
    ValidateCursor(false);
  });
}

// The staff row above (step -1) or below (+1) the cursor's row, across
// pages; the new page index goes to page. Null at the top of the first page
// or the bottom of the last.
const TQSCalcStaff* TQSWindow::NeighbourRow(int step, int& page) const {
  const TQSCalcSystem* system = CursorSystem();
  if (!system || !system->PageRecord) return nullptr;
  const TQSCalcSystemPart* sp = system->Parts.At(CursorPosition.Part);
  if (!sp || sp->System != system) return nullptr;
  const TQSCalcPage* current = system->PageRecord;
  const int row = sp->FirstRow + CursorPosition.Staff + step;
  page = current->PageIndex;
  if (row >= 0 && row < current->StaffRowCount) return current->StaffRows.At(row);
  page += step;
  const TQSCalcPage* next = page >= 0 && page < geometry_.PageCount ? LayoutPage(page) : nullptr;
  if (!next || next->StaffRowCount == 0) return nullptr;
  return next->StaffRows.At(step < 0 ? next->StaffRowCount - 1 : 0);
}

// Moves the cursor to a staff row of another system, keeping it at the
// same horizontal place: the last measure of that system starting at or
// left of the cursor measure, else the system's first.
bool TQSWindow::CursorToRow(const TQSCalcStaff& row, int page, bool up) {
  const TQSCalcSystem* target = row.System;
  const TQSCalcSystem* system = CursorSystem();
  const TQSPiece* piece = ActivePiece();
  if (!target || !target->Piece || !row.Staff || !system || !piece) return false;
  const auto* slot = CursorPosition.Measure < static_cast<int>(piece->Slots.size())
                         ? dynamic_cast<const TQSCalcMeasure*>(piece->Slots[static_cast<size_t>(CursorPosition.Measure)])
                         : nullptr;
  if (!slot) return false;
  TQSCursorPosition& c = CursorPosition;
  int measure = target->FirstMeasure;
  for (int k = 0; k < target->MeasureCount; ++k) {
    const TQSCalcMeasure* m = target->Measures.At(k);
    if (m && m->Box.Left <= slot->Box.Left) measure = target->FirstMeasure + k;
  }
  const bool partView = Score->ViewStyle == TQSViewStyle::vsPart;
  c.Piece = target->Piece->Index;
  if (up) {
    if (!partView) c.Part = target->Piece->PartCount() - 1;
    c.Staff = row.Staff->Part()->StaffCount() - 1;
    c.Voice = row.Staff->VoiceCount() - 1;
  } else {
    if (!partView) c.Part = 0;
    c.Staff = 0;
    c.Voice = 0;
  }
  c.Measure = measure;
  const bool pageChanged = page != c.Page;
  c.Page = page;
  if (pageChanged) UpdatePageButtons();
  return true;
}

void TQSWindow::MoveCursorUp(bool extend) {
  TQSPart* part = ActivePart();
  TQSStaff* staff = ActiveStaff();
  if (!Score || !part || !staff) return;
  if (!extend) ClearSelection();
  TQSCursorPosition& c = CursorPosition;
  if (c.Voice == 0 && c.Staff == 0 && (c.Part == 0 || Score->ViewStyle == TQSViewStyle::vsPart)) {
    int page = 0;
    const TQSCalcStaff* row = NeighbourRow(-1, page);
    if (!row) return;
    CursorMove(ActiveVoice(), [&] {
      if (CursorToRow(*row, page, true)) c.Tick = NearestEventTick(c.Tick);
    });
    return;
  }
  CursorMove(ActiveVoice(), [&] {
    if (c.Voice > 0) {
      --c.Voice;
    } else if (c.Staff > 0) {
      --c.Staff;
      c.Voice = part->GetStaff(c.Staff)->VoiceCount() - 1;
    } else {
      --c.Part;
      TQSPart* above = ActivePart();
      c.Staff = above->StaffCount() - 1;
      c.Voice = above->GetStaff(c.Staff)->VoiceCount() - 1;
    }
    c.Tick = NearestEventTick(c.Tick);
  });
}

void TQSWindow::MoveCursorDown(bool extend) {
  TQSPiece* piece = ActivePiece();
  TQSPart* part = ActivePart();
  TQSStaff* staff = ActiveStaff();
  if (!Score || !piece || !part || !staff) return;
  if (!extend) ClearSelection();
  TQSCursorPosition& c = CursorPosition;
  const bool lastVoice = c.Voice >= staff->VoiceCount() - 1, lastStaff = c.Staff >= part->StaffCount() - 1;
  const bool lastPart = c.Part >= piece->PartCount() - 1 || Score->ViewStyle == TQSViewStyle::vsPart;
  if (lastVoice && lastStaff && lastPart) {
    int page = 0;
    const TQSCalcStaff* row = NeighbourRow(1, page);
    if (!row) return;
    CursorMove(ActiveVoice(), [&] {
      if (CursorToRow(*row, page, false)) c.Tick = NearestEventTick(c.Tick);
    });
    return;
  }
  CursorMove(ActiveVoice(), [&] {
    if (!lastVoice) {
      ++c.Voice;
    } else if (!lastStaff) {
      ++c.Staff;
      c.Voice = 0;
    } else {
      ++c.Part;
      c.Staff = 0;
      c.Voice = 0;
    }
    c.Tick = NearestEventTick(c.Tick);
  });
}

void TQSWindow::MoveCursorLineStart(bool extend) {
  const TExtendAfterMove after(this, extend, 0);
  const TQSCalcSystem* system = CursorSystem();
  if (!Score || !system) return;
  if (!extend) ClearSelection();
  CursorMove(this, [&] {
    CursorPosition.Measure = system->FirstMeasure;
    CursorPosition.Tick = NearestEventTick(0);
  });
}

void TQSWindow::MoveCursorLineEnd(bool extend) {
  const TExtendAfterMove after(this, extend, 1);
  const TQSCalcSystem* system = CursorSystem();
  if (!Score || !system || system->MeasureCount == 0) return;
  if (!extend) ClearSelection();
  CursorMove(this, [&] {
    CursorPosition.Measure = system->FirstMeasure + system->MeasureCount - 1;
    CursorPosition.Tick = NearestEventTick(10000);
  });
}

void TQSWindow::MoveCursorPieceStart(bool extend) {
  const TExtendAfterMove after(this, extend, 0);
  const TQSCalcPage* page = LayoutPage(CursorPosition.Page);
  if (!Score || !page || page->SystemCount == 0 || !page->Systems.At(0)->Piece) return;
  TQSCursorPosition& c = CursorPosition;
  if (c.Measure == 0 && c.Tick == 0) return;
  if (!extend) ClearSelection();
  CursorMove(this, [&] {
    c.Piece = page->Systems.At(0)->Piece->Index;
    c.Measure = 0;
    c.Tick = NearestEventTick(0);
    ValidateCursor(false);
  });
}

void TQSWindow::MoveCursorPieceEnd(bool extend) {
  const TExtendAfterMove after(this, extend, 1);
  const TQSCalcPage* page = LayoutPage(CursorPosition.Page);
  if (!Score || !page || page->SystemCount == 0) return;
  const TQSPiece* piece = page->Systems.At(page->SystemCount - 1)->Piece;
  if (!piece) return;
  TQSCursorPosition& c = CursorPosition;
  const TQSCursorPosition old = c;
  c.Piece = piece->Index;
  c.Measure = std::max(piece->LastLaidOutMeasure, 0);
  c.Tick = NearestEventTick(10000);
  const TQSCursorPosition target = c;
  c = old;
  if (target.Measure == old.Measure && target.Tick == old.Tick) return;
  if (!extend) ClearSelection();
  CursorMove(this, [&] {
    c.Piece = target.Piece;
    c.Measure = target.Measure;
    c.Tick = target.Tick;
    ValidateCursor(false);
  });
}

void TQSWindow::AdvanceCursor(int ticks, int measure, int fromTick, bool addMeasures) {
  TQSPiece* piece = ActivePiece();
  if (!Score || !piece) return;
  TQSCursorPosition& c = CursorPosition;
  int m = measure < 0 ? c.Measure : measure;
  const int start = m;
  int t = fromTick < 0 ? c.Tick : fromTick;
  int target = -1;
  while (ticks >= 0) {
    if (m > piece->LastLaidOutMeasure || m >= static_cast<int>(piece->Slots.size()) || !piece->Slots[static_cast<size_t>(m)])
      return;
    const int length = piece->Slots[static_cast<size_t>(m)]->LengthFor(m) - (m == start ? t : 0);
    if (ticks < length) {
      target = (m == start ? t : 0) + ticks;
      break;
    }
    ticks -= length;
    ++m;
  }
  if (target < 0) return;
  ShowCursor(false);
  if (m != start && addMeasures) {
    if (TQSPart* part = ActivePart()) {
      bool added = false;
      while (part->MeasureCount() <= m) {
        part->NewMeasure();
        added = true;
      }
      if (added) {
        Score->Recalculate(c.Page);
        Score->RefreshWindows();
      }
    }
  }
  c.Measure = m;
  c.Tick = target;
  ValidateCursor(false);
  ScrollToCursor(-1, false);
  RefreshRulerMarkers();
  ShowCursor(true);
}

void TQSWindow::GotoScoreStart() {
  if (!Score || Score->PieceCount() == 0) return;
  // The real-time view moves its play position, not the cursor.
  if (Style == wsRealTime) {
    if (PlayControl) PlayControl->SeekPlayTime(0);
    return;
  }
  TQSCursorPosition& c = CursorPosition;
  const TQSCursorPosition old = c;
  ShowCursor(false);
  c.Piece = 0;
  c.Measure = 0;
  c.Tick = 0;
  c.Tick = NearestEventTick(0);
  if (old.Piece == c.Piece && old.Measure == c.Measure && old.Tick == c.Tick) {
    ShowCursor(true);
    return;
  }
  CursorMove(ActiveVoice(), [&] { ValidateCursor(false); });
}

void TQSWindow::GotoScoreEnd() {
  if (!Score || Score->PieceCount() == 0) return;
  if (Style == wsRealTime) {
    // The start of the last measure played: the total time itself lies
    // past every measure's start, where no play position can stand.
    for (int p = Score->PieceCount() - 1; p >= 0; --p)
      if (const TQSPiece* piece = Score->GetPiece(p); piece->VisitCount > 0) {
        if (PlayControl) PlayControl->SeekPlayTime(piece->Visits[static_cast<size_t>(piece->VisitCount) - 1]->StartMs);
        return;
      }
    return;
  }
  TQSCursorPosition& c = CursorPosition;
  const TQSCursorPosition old = c;
  TQSPiece* piece = Score->GetPiece(Score->PieceCount() - 1);
  int measure = 0;
  for (int p = 0; p < piece->PartCount(); ++p) measure = std::max(measure, piece->GetPart(p)->MeasureCount() - 1);
  ShowCursor(false);
  c.Piece = piece->Index;
  c.Measure = measure;
  const TQSMeasureSlot* slot =
      measure < static_cast<int>(piece->Slots.size()) ? piece->Slots[static_cast<size_t>(measure)] : nullptr;
  c.Tick = NearestEventTick(slot ? slot->LengthFor(measure) - 1 : 0);
  if (old.Piece == c.Piece && old.Measure == c.Measure && old.Tick == c.Tick) {
    ShowCursor(true);
    return;
  }
  CursorMove(ActiveVoice(), [&] { ValidateCursor(false); });
}

bool TQSWindow::DeleteSelection() {
  if (!Score || !OnDeleteSelection) return false;
  const bool deleted = OnDeleteSelection(this);
  SetHasSelection(false);
  return deleted;
}

void TQSWindow::DeleteAtCursor(bool backspace) {
  if (!Score || Style == wsPreview) return;
  if (EditedElement) {
    textEditor_->TextDelete();
    return;
  }
  if (DeleteSelection()) return;
  TQSCursorPosition& c = CursorPosition;
  TQSPiece* piece = ActivePiece();
  if (!piece) return;
  // At a system's edge the piece's system counter goes down while it lies
  // above the system's running number.
  const TQSCalcSystem* system = CursorSystem();
  const bool first = system && c.Measure == system->FirstMeasure;
  const bool last = system && c.Measure == system->FirstMeasure + system->MeasureCount - 1;
  if (system && ((backspace && first && piece->SystemCounter > system->Number) ||
                 (!backspace && last && piece->SystemCounter > system->Number + 1))) {
    ShowCursor(false);
    try {
      --piece->SystemCounter;
      if (backspace && c.Measure > 0) {
        --c.Measure;
        c.Tick = NearestEventTick(0);
      }
      Score->Recalculate(c.Page, -1);
      Score->RefreshWindows();
      ScrollToCursor(-1, false);
      RefreshRulerMarkers();
    } catch (...) {
      ShowCursor(true);
      throw;
    }
    ShowCursor(true);
    return;
  }
  if (!backspace || c.Measure <= 0) return;
  CursorMove(nullptr, [&] {
    --c.Measure;
    c.Tick = NearestEventTick(0);
    ValidateCursor(false);
  });
}

}  // namespace qs

// Moving the input cursor from the keyboard: event by event, to the ends of
// the cursor's system, of the pieces on the current page and of the score.
#include <algorithm>

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
      View->DoActiveChanged(Sender);
    }
  } finish{this, sender};
  change();
}

void TQSWindow::MoveCursorLeft(bool extend) {
  TQSPiece* piece = ActivePiece();
  if (!Score || !piece || !ActivePart()) return;
  if (!extend) ClearSelection();
  TQSCursorPosition& c = CursorPosition;
  // The nearest event before the cursor; the item list is in time order,
  // but the nearest is taken so that an unsorted list cannot skip one.
  if (const TQSMeasure* measure = CursorMeasure()) {
    int target = -1;
    for (const TQSItem* item : measure->Items)
      if (item->TimePosition() < c.Tick && item->TimePosition() > target && LeftEvent(*measure, *item, c.Staff, c.Voice))
        target = item->TimePosition();
    if (target >= 0) {
      SetCursorTick(target);
      DoActiveChanged(this);
      return;
    }
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
  TQSPiece* piece = ActivePiece();
  if (!Score || !piece || !ActivePart()) return;
  if (!extend) ClearSelection();
  TQSCursorPosition& c = CursorPosition;
  if (const TQSMeasure* measure = CursorMeasure()) {
    int target = -1;
    for (const TQSItem* item : measure->Items) {
      const int tick = item->TimePosition();
      if (tick <= c.Tick || (target >= 0 && tick >= target)) continue;
      if (anyVoice ? IsTimedItem(*item) : StaffVoiceEvent(*measure, *item, c.Staff, c.Voice)) target = tick;
    }
    if (target >= 0) {
      SetCursorTick(target);
      DoActiveChanged(this);
      return;
    }
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

void TQSWindow::MoveCursorLineStart(bool extend) {
  const TQSCalcSystem* system = CursorSystem();
  if (!Score || !system) return;
  if (!extend) ClearSelection();
  CursorMove(this, [&] {
    CursorPosition.Measure = system->FirstMeasure;
    CursorPosition.Tick = NearestEventTick(0);
  });
}

void TQSWindow::MoveCursorLineEnd(bool extend) {
  const TQSCalcSystem* system = CursorSystem();
  if (!Score || !system || system->MeasureCount == 0) return;
  if (!extend) ClearSelection();
  CursorMove(this, [&] {
    CursorPosition.Measure = system->FirstMeasure + system->MeasureCount - 1;
    CursorPosition.Tick = NearestEventTick(10000);
  });
}

void TQSWindow::GotoScoreStart() {
  if (!Score || Score->PieceCount() == 0) return;
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

void TQSWindow::KeyDown(uint16_t& key, TShiftState shift) {
  if (!Score) return;
  const bool shifted = shift & ssShift, ctrl = shift & ssCtrl, alt = shift & ssAlt;
  switch (key) {
    case VK_HOME:
    case VK_END:
      if (Style == wsPreview || ctrl) break;  // scrolling and piece moves: not here yet
      key == VK_HOME ? MoveCursorLineStart(shifted) : MoveCursorLineEnd(shifted);
      key = 0;
      return;
    case VK_LEFT:
    case VK_RIGHT:
      if (Style == wsPreview || ctrl || alt) break;
      key == VK_LEFT ? MoveCursorLeft(shifted) : MoveCursorRight(shifted, false);
      key = 0;
      return;
    default:
      break;
  }
  TCustomControl::KeyDown(key, shift);
}

}  // namespace qs

#pragma once
// What every editing command at the cursor shares: it finds its target from
// the active view's cursor, opens one undo record before its first change,
// snapshots each measure or column once before changing it, notes measures
// and columns it makes so that undo removes them again, and ends with one
// layout pass from the first page that can have changed, a repaint of every
// view and OnChanged.
#include <cstdint>
#include <set>

#include "score/score.h"
#include "score/tree.h"

namespace qs {

class TQSPiece;
class TQSPart;
class TQSMeasure;
class TQSColumn;

// Makes an item of kind k (a measure or column of its owner) with the
// owner's registration suspended, so that it stays out of the owner's list
// until the caller puts it in place.
class TRegistrationSuspended : public TFlagScope {
 public:
  explicit TRegistrationSuspended(bool& flag) : TFlagScope(flag, true) {}
};
template <class T>
T* NewUnregisteredItem(TQSItemOwner& owner, TQSItemType k) {
  TRegistrationSuspended suspended(owner.RegistrationSuspended);
  return static_cast<T*>(CreateItemByKind(k, &owner));
}
template <class T, class Owner>
T* NewUnregisteredChild(Owner& owner) {
  TRegistrationSuspended suspended(owner.RegistrationSuspended);
  return new T(&owner);
}

// Hides the view's cursor for a change of the score's structure; however
// the change ends, the view scrolls to the cursor, refreshes its ruler
// markers and shows the cursor again.
class TCursorHidden {
 public:
  explicit TCursorHidden(TQSWindowLink& view) : view_(view) { view_.ShowCursor(false); }
  ~TCursorHidden() {
    view_.ScrollToCursor();
    view_.RefreshRulerMarkers();
    view_.ShowCursor(true);
  }
  TCursorHidden(const TCursorHidden&) = delete;
  TCursorHidden& operator=(const TCursorHidden&) = delete;

 private:
  TQSWindowLink& view_;
};

// Holds back the layout pass's own OnRecalculate while a command lays out
// and works on what the layout made (velocities, effects), and raises it
// once when released or at the end of the scope, also when the command
// fails.
class THeldRecalculateEvent {
 public:
  explicit THeldRecalculateEvent(TQSScore& score);
  ~THeldRecalculateEvent() { Release(); }
  void Release();
  THeldRecalculateEvent(const THeldRecalculateEvent&) = delete;
  THeldRecalculateEvent& operator=(const THeldRecalculateEvent&) = delete;

 private:
  TQSScore& score_;
  bool released_ = false;
};

class TQSEditCommand {
 public:
  // Takes the active view (nullptr: the command has nothing to work on) and
  // starts the relayout at the cursor's page.
  TQSEditCommand(TQSScore& score, uint8_t action);
  TQSEditCommand(const TQSEditCommand&) = delete;
  TQSEditCommand& operator=(const TQSEditCommand&) = delete;

  TQSScore& Score;
  TQSWindowLink* View;
  const uint8_t Action;
  TQSUndoRecord* Record = nullptr;
  // The first layout page to lay out again.
  int FromPage = 0;

  bool HasView() const { return View != nullptr; }
  const TQSCursorPosition& Cursor() const { return View->CursorPosition; }

  // Opens the undo record once; a failure (or suspended recording) leaves
  // the command unrecorded. Measures and columns made before it opened are
  // then recorded as inserted.
  void Open();
  // Opens the record when needed and snapshots the measure or column once;
  // ones this command made are not snapshotted (undo removes them).
  void SaveMeasure(TQSMeasure* measure);
  void SaveColumn(TQSColumn* column);
  // The measure (column) at index of the cursor's part (piece), made with
  // the missing ones before it, which are recorded as inserted; index < 0
  // is the cursor's measure.
  TQSMeasure* EnsureMeasure(int index);
  TQSColumn* EnsureColumn(int index);
  // The same in a given part or piece.
  TQSMeasure* EnsureMeasureIn(TQSPart& part, int index);
  TQSColumn* EnsureColumnIn(TQSPiece& piece, int index);

  // Lowers the start of the relayout to the page of measure index.
  void LowerPageToMeasure(const TQSPiece& piece, int index);
  // Lowers it to the page of the measure or column that holds the item
  // (the view may show a clef or key where a later system starts).
  void LowerPageToItem(const TQSItem& item);
  // Recalculate from FromPage and repaint every view.
  void Relayout();
  // Relayout, then OnChanged with the score as sender.
  void Finish();

 private:
  void RecordMade();
  std::set<const void*> saved_;
  std::set<const void*> made_;
  std::vector<TQSMeasure*> madeMeasures_;
  std::vector<TQSColumn*> madeColumns_;
  bool opened_ = false;
};

}  // namespace qs

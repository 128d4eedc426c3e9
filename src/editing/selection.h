#pragma once
// What every command on the active view's selection shares: the work list
// of the selected items (each once), the first layout page they lie on,
// the step that graphical offsets move by at the view's zoom, one snapshot
// of each measure or column before its first change, clearing a span of a
// voice, and what follows a note's change of pitch.
#include <cstdint>
#include <functional>
#include <unordered_set>
#include <vector>

#include "editing/command.h"
#include "score/measure.h"

namespace qs {

class TQSItem;
class TQSNote;
class TQSMeasure;
struct TQSCalcItem;

// The first page before anything is gathered: no page to lay out again.
constexpr int kNoAffectedPage = 100000;

// The step of graphical offsets and sizes: step x 800 div zoom, its
// magnitude kept within 1..8, with the sign of step.
int PixelStep(int step, int zoom);

inline bool IsNoteOrRest(const TQSItem& item) {
  return item.ItemType == kind::Note || item.ItemType == kind::Pause;
}

// Sets the time position of an item that has one (others stay).
void SetItemTime(TQSItem& item, int position);

// The notes of a note's chord, the note first: the notes of its staff/voice
// at its time (the note alone when it is no chord member).
std::vector<TQSNote*> ChordOf(TQSNote& note);

// The layout element that shows an item (a note's head), nullptr when none.
TQSCalcItem* ElementOf(const TQSItem& item);

class TQSSelectionCommand : public TQSEditCommand {
 public:
  // FromPage starts at kNoAffectedPage: only what is gathered lowers it.
  TQSSelectionCommand(TQSScore& score, uint8_t action);

  // The items to work on; an entry dropped while working becomes nullptr.
  std::vector<TQSItem*> Work;
  bool Changed = false;

  // Gathers the items of the selection's layout elements: every measure
  // list, then (unless measuresOnly) the page selection's item elements.
  // With notesInTime a note goes before the first gathered note of its
  // staff/voice that lies later. With onlyKind only items of that kind are
  // taken. Each element taken lowers FromPage to its page.
  void Gather(bool notesInTime = false, bool measuresOnly = false, TQSItemType onlyKind = 0);
  // Adds an item met otherwise (at the cursor), unless present.
  void Add(TQSItem* item);
  // Adds the items of the cursor's measure at the cursor's tick that take
  // (in item order); FromPage becomes the cursor's page when any was
  // added. False when the cursor has no measure.
  template <class Take>
  bool AddAtCursor(Take take);
  bool Contains(const TQSItem* item) const { return present_.count(item) != 0; }
  // Takes an item out of the work list (it stays in the score).
  void Drop(const TQSItem* item);
  // Lowers FromPage to the page of a layout element.
  void LowerPageTo(const TQSCalcItem* element);
  // A snapshot before the item changes: its measure or column once, a page
  // object (held by the score or a part) on each call.
  void SaveItem(TQSItem* item);
  // Frees the notes, rests and note repeats of the voice overlapping
  // [start, start + length) and its bar repeats, and drops them and what
  // they hold from the work list and the view's selection.
  void ClearSpan(TQSMeasure& measure, int staffVoice, int start, int length);
  // Runs a change of the measure that may free some of its items (and what
  // they hold): those leave the work list and the view's selection.
  void Freeing(TQSMeasure& measure, const std::function<void()>& change);
  // After a note's pitch changed: a chord member whose place in the chord
  // changed is selected again after the next layout, and a beamed note's
  // group gets its beams and stems again.
  void AfterPitchChange(TQSNote& note);
  // Marks a note to be selected again by the next layout pass and takes
  // its present elements (head, stem) out of the selection.
  void Reselect(TQSNote& note);
  // When anything was gathered: the layout pass from FromPage when
  // something changed, a repaint of every view and OnChanged.
  void Done();

 private:
  std::unordered_set<const TQSItem*> present_;
};

template <class Take>
bool TQSSelectionCommand::AddAtCursor(Take take) {
  TQSMeasure* m = Score.CurrentMeasure();
  if (!m) return false;
  const size_t before = Work.size();
  for (TQSItem* item : m->Items)
    if (item->TimePosition() == Cursor().Tick && take(*item)) Add(item);
  if (Work.size() > before) FromPage = Cursor().Page;
  return true;
}

}  // namespace qs

namespace qs {

// The marks that the selection moves by offsets.
bool IsOffsetMark(TQSItemType kind);

// Moves an item's own offsets or page position by dx, dy after its
// snapshot; false (nothing done) for kinds without them. Rests, notes and
// grace groups have none here.
bool ShiftItemOffsets(TQSSelectionCommand& command, TQSItem* item, int dx, int dy);

}  // namespace qs

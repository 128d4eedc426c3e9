#pragma once
// What the piano roll and the velocity editor share: the notes of one
// voice of the current part, measure by measure, each note followed by an
// entry for each playback effect note attached to it; grace notes are
// entries of their own. The selection and the active entry follow the
// score view's selection and cursor, and move them.
#include <vector>

#include "base/geometry.h"
#include "playback/sideeditor.h"

namespace qs {

class TQSMeasure;
class TQSNote;
class TQSEffect;
class TQSVorschlag;
struct TQSCalcItem;

struct TQSVoiceMeasure {
  TQSMeasure* Measure = nullptr;
  int Beats = 4;            // the meter's numerator
  int LastNote = -1;        // the last entry of the measure, -1 for none
  int Left = 0, Right = 0;  // content pixels
};

struct TQSVoiceEntry {
  TQSCalcItem* Element = nullptr;  // the note's layout element
  TQSEffect* Effect = nullptr;     // the effect note shown; nullptr for the note itself
  int MeasureIndex = 0;            // of its measure entry
  bool Selected = false;
  // Content pixels: the whole entry (the velocity editor's bar), and the
  // piano roll's notated and played bars.
  TRect Bounds, Notated, Played;

  TQSNote* Note() const;
  // The grace group of a grace note, else nullptr.
  TQSVorschlag* Grace() const;
  // The index of the note's measure in its part.
  int MeasureInPart() const;
  // Where the entry's note lies in its measure: a grace note at its
  // group's position, an effect entry at its note's.
  int Position() const;
  // The velocity the entry shows: the effect's own for an effect entry.
  uint8_t& Velocity() const;
};

class TQSVoiceEditor : public TQSSideEditor {
 public:
  void BeginUpdate() { ++updates_; }
  // At the outermost: the pending layout.
  void EndUpdate();
  // Empties both lists; the active index stays.
  void Clear();
  void AddMeasure(TQSMeasure* measure);
  // A note or grace note by its layout element, with an entry after the
  // end of the list for each effect note attached to it.
  void AddNote(TQSCalcItem* element);
  // Selects exactly the entries whose notes the view has selected, then
  // follows the cursor.
  void SyncSelection();
  // Makes the last entry at or before the view's cursor in its measure
  // active.
  void SyncWithCursor();

  const std::vector<TQSVoiceMeasure>& MeasureEntries() const { return measures_; }
  const std::vector<TQSVoiceEntry>& NoteEntries() const { return notes_; }
  int ActiveIndex() const { return active_; }

 protected:
  explicit TQSVoiceEditor(TComponent* owner) : TQSSideEditor(owner) {}
  // Lays the entries out (deferred while updates are suspended).
  virtual void Layout() = 0;
  bool LayoutDeferred();
  // The index of an entry's measure entry, clamped into the list.
  int MeasureEntryOf(const TQSVoiceEntry& e) const;
  // Each entry's MeasureIndex and each measure's LastNote, for a layout.
  void IndexEntries();
  bool ValidIndex(int i) const { return i >= 0 && i < static_cast<int>(notes_.size()); }
  void SetActiveEntry(int index);
  // Every entry but the active one deselected; the view's selection too.
  void ClearSelection();
  // The nearest entry before (step -1) or after (+1) the active one in
  // list order that starts further left (right); -1 for none.
  int Neighbour(int step) const;
  // The entry's note added to the view's selection.
  void SelectInView(int index);

  std::vector<TQSVoiceMeasure> measures_;
  std::vector<TQSVoiceEntry> notes_;
  int active_ = -1;

 private:
  bool layoutPending_ = false;
};

}  // namespace qs

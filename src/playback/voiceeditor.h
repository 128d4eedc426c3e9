#pragma once
// What the piano roll and the velocity editor share: the notes of one
// voice of the current part, measure by measure, each note followed by an
// entry for each playback effect note attached to it; grace notes are
// entries of their own. The selection and the active entry follow the
// score view's selection and cursor, and move them.
#include <algorithm>
#include <vector>

#include "base/geometry.h"
#include "playback/sideeditor.h"

namespace qs {

class TQSMeasure;
class TQSPart;
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
  // At the outermost: the pending layout, then the active entry (or the
  // current measure) scrolled into view.
  void EndUpdate();
  // Fills the editor as the document window does after a layout pass or a
  // change of the active voice: every measure of the part, and in each the
  // notes of the staff/voice byte and the grace notes of its grace groups,
  // in item order; then follows the view's selection and cursor. Nothing
  // while the editor's own change notification runs, so that its entries,
  // selection and active entry survive it.
  void Fill(TQSPart* part, int staffVoice);
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

  // What the owner may set and keep with the editor; each editor draws
  // with some of them (the piano roll with NoteHeight and PanelWidth, the
  // velocity editor with NoteWidth and PanelWidth). The setters clamp.
  int NoteHeight() const { return noteHeight_; }
  void SetNoteHeight(int v) { noteHeight_ = v < 1 ? 1 : v; }
  int NoteWidth() const { return noteWidth_; }
  void SetNoteWidth(int v) { noteWidth_ = v < 1 ? 1 : v; }
  int PanelWidth() const { return panelWidth_; }
  void SetPanelWidth(int v) { panelWidth_ = v < 1 ? 1 : v; }
  int MeasureSize() const { return measureSize_; }
  void SetMeasureSize(int v) { measureSize_ = v < 1 ? 1 : v; }
  int OffsetOctave() const { return offsetOctave_; }
  void SetOffsetOctave(int v) { offsetOctave_ = std::clamp(v, 1, 9); }
  int ActiveOctave() const { return activeOctave_; }
  void SetActiveOctave(int v) { activeOctave_ = std::clamp(v, 1, 9); }
  int ActiveNote() const { return activeNote_; }
  void SetActiveNote(int v) { activeNote_ = std::clamp(v, 1, 7); }

 protected:
  explicit TQSVoiceEditor(TComponent* owner) : TQSSideEditor(owner) {}
  // Lays the entries out (deferred while updates are suspended).
  virtual void Layout() = 0;
  // The strip at the left that does not scroll sideways, and the room kept
  // beside an entry scrolled into view (pixels).
  virtual int FixedPanelWidth() const = 0;
  virtual int ScrollMarginX() const { return 0; }
  virtual int ScrollMarginY() const { return 0; }
  // The scroll ranges for the area right of the fixed panel.
  void UpdateScrollBars();
  // Scrolls the active entry into view, or without one the measure made
  // current last.
  void ScrollToActive();
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
  // A click on entry hit: with Shift the range from the active entry to
  // it; with Ctrl the selection grows by it; plain it alone.
  void SelectRange(int hit);
  void GrowSelection(int hit);
  void SelectOnly(int hit);

  std::vector<TQSVoiceMeasure> measures_;
  std::vector<TQSVoiceEntry> notes_;
  int active_ = -1;
  // The measure entry made current last: scrolled to while no entry is
  // active.
  int currentMeasure_ = -1;
  int noteHeight_ = 12, noteWidth_ = 1, panelWidth_ = 16, measureSize_ = 64;
  int offsetOctave_ = 5, activeOctave_ = 5, activeNote_ = 1;

 private:
  bool layoutPending_ = false;
};

}  // namespace qs

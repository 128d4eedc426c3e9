#pragma once
// What the score model asks of a score view. The view implements this
// interface and attaches itself to its score.
#include <array>
#include <cstdint>
#include <vector>

#include "base/events.h"

namespace qs {

class TQSScore;
class TQSItem;
struct TQSCalcItem;

// The input cursor: indexes into the score's lists and the tick within
// the measure.
struct TQSCursorPosition {
  int32_t Page = 0, Piece = 0, Part = 0, Measure = 0, Staff = 0, Voice = 0, Tick = 0;
};

// A short MIDI message: status, first and second data byte.
using TECOnPlayShortEvent = TEvent<int /*midiMessage*/, int /*data1*/, int /*data2*/>;
// A long MIDI message: its bytes and their count.
using TECOnPlayLongEvent = TEvent<const uint8_t* /*data*/, uint16_t /*size*/>;

// Playback and recording of a view. The view comes before the library that
// plays, which attaches its player to a view from outside; the view's
// Play, Record and StopPlay go through it.
class TQSPlayControl {
 public:
  virtual ~TQSPlayControl() = default;
  virtual void Play() = 0;
  virtual void Record() = 0;
  // Stops playback or, when not playing, recording; waits for the thread.
  virtual void StopPlay() = 0;
  virtual bool IsPlaying() const = 0;
  virtual bool IsRecording() const = 0;
  // Recording with the record position moving with the clock (not step
  // recording).
  virtual bool IsRealTimeRecording() const = 0;
  // The view's TempoScale changed (percent): playback follows it at once.
  virtual void TempoScaleChanged(int percent) { (void)percent; }
  // Moves the play position to a time of the score in milliseconds (the
  // real-time view's Go to beginning and Go to end).
  virtual void SeekPlayTime(double ms) { (void)ms; }
  // The record lock, which guards the record position: the recording
  // entry commands hold it while they enter a note.
  virtual void LockRecord() = 0;
  virtual void UnlockRecord() = 0;
};

// The zooms a view shows, in percent.
constexpr int kMinZoom = 25;
constexpr int kMaxZoom = 975;

class TQSWindowLink {
 public:
  // Detaches the view from its score, should it still be attached.
  virtual ~TQSWindowLink();

  // The score the view shows; set by the score when the view attaches.
  TQSScore* Score = nullptr;
  TQSCursorPosition CursorPosition;
  // The messages of playback and recording, sent on the play and record
  // threads (the part setters send volume and pan on the window thread);
  // OnStopPlay comes on the window thread after playback ended.
  TECOnPlayShortEvent OnPlayShort;
  TECOnPlayLongEvent OnPlayLong;
  TNotifyEvent OnStopPlay;
  // The player attached to the view, nullptr when none.
  TQSPlayControl* PlayControl = nullptr;
  void Play() {
    if (PlayControl) PlayControl->Play();
  }
  void Record() {
    if (PlayControl) PlayControl->Record();
  }
  void StopPlay() {
    if (PlayControl) PlayControl->StopPlay();
  }
  // Zoom and tempo scale in percent; the native file stores and restores
  // them directly (no repaint).
  int32_t Zoom = 100;
  int32_t TempoScale = 100;
  // Repaints noted while the score's update lock was held; the score's
  // EndUpdate repaints them.
  bool PagesRepaintPending = false;
  // The first page the pending page repaint has to paint anew.
  int PagesRepaintFrom = 0;
  bool RulersRepaintPending = false;
  // In-place text editing: the layout element of the text or lyric being
  // edited (nullptr when none) and the edit's caret and selection values,
  // among them the selection's first line, first character, last line and
  // last character. The undo journal files them and puts them back.
  TQSCalcItem* EditedElement = nullptr;
  std::array<int32_t, 6> EditSelection{};
  // The cursor on a tablature staff: the string index and the fret.
  int32_t CursorString = 0;
  int32_t CursorFret = 0;
  // The measure whose closing bar line the last click hit; -1 when the
  // click was not on a bar line.
  int32_t ClickedBarMeasure = -1;

  // True while the view plays the score.
  virtual bool Playing() const = 0;
  // The index of the laid-out system that holds the cursor's measure; 0
  // when the cursor's measure is not laid out.
  virtual int CursorSystemIndex() const = 0;
  // Repaints the page area (or notes that a repaint is pending while the
  // score's update lock is held).
  virtual void InvalidatePages() = 0;
  // The same when only the pages from firstPage on can show a change; a
  // view that keeps painted pages keeps the ones before it.
  virtual void InvalidatePagesFrom(int firstPage) {
    (void)firstPage;
    InvalidatePages();
  }
  // The same for the rulers, and the page button bar.
  virtual void InvalidateRulers() {}
  virtual void InvalidateButtonBar() {}

  // Ends text editing and empties the selection.
  virtual void ClearSelection() {}
  // Adds a layout element, and the elements chained to it through Next, to
  // the selection (the layout pass selects the notes that ask for it).
  virtual void AddToSelection(TQSCalcItem* element) { (void)element; }
  // What the commands on the selection work on: the selected layout
  // elements of every measure list of the score selection, piece by piece
  // and measure by measure, and the selected page-object elements.
  virtual std::vector<TQSCalcItem*> SelectedMeasureElements() const { return {}; }
  virtual std::vector<TQSCalcItem*> SelectedPageElements() const { return {}; }
  // Takes an element out of its measure's selection list (a moved note is
  // selected again through its new element by the next layout pass).
  virtual void UnselectElement(TQSCalcItem* element) { (void)element; }
  // Begins in-place editing of the text or lyric shown by element; nullptr
  // ends editing.
  virtual void EditItemText(TQSCalcItem* element) { (void)element; }
  // Begins in-place editing of a text or lyric item where the layout shows
  // it (undo and redo of a text edit resume editing it); by default the
  // element its layout link names.
  virtual void EditItemTextOf(TQSItem* item);
  // Scrolls so that the input cursor lies inside the viewport.
  virtual void ScrollToCursor() {}
  // Takes the input focus.
  virtual void SetFocus() {}
  // The tick of the cursor measure's event of the cursor's staff and voice
  // nearest to tick.
  virtual int NearestEventTick(int tick) const { return tick; }
  // Moves the cursor to the next event (or the next measure's first).
  virtual void MoveCursorRight(bool extend, bool anyVoice) { (void)extend, (void)anyVoice; }
  // Hides (false) or shows (true) the input cursor; calls are paired.
  virtual void ShowCursor(bool show) { (void)show; }
  // Put the cursor on a measure of its part, or on a tick of its measure
  // (the view hides the cursor around the change and scrolls to it; the
  // play and record threads' last word comes this way on the window thread).
  virtual void SetCursorMeasure(int index) { CursorPosition.Measure = index; }
  virtual void SetCursorTick(int tick) { CursorPosition.Tick = tick; }
  // Puts the cursor on the nearest note, rest or note-repeat start of its
  // measure (after the selection moved sideways).
  virtual void SnapCursorTick() {}
  // The cursor's staff row counted through its piece, rows on earlier
  // pages included; 0 when not laid out.
  virtual int CursorStaffRow() const { return 0; }
  // Sounds a note just entered at the cursor (the host plays it through
  // its MIDI output; nothing without one).
  virtual void SoundNote(int octave, int step, int length) { (void)octave, (void)step, (void)length; }
  // Clamps the cursor to the score and turns to the page that holds it.
  virtual void ValidateCursor(bool keepPage) { (void)keepPage; }
  virtual void RefreshRulerMarkers() {}
  virtual void UpdatePageButtons() {}
  // Repaints what the active voice shows and tells the view's host.
  virtual void DoActiveChanged(TObject* sender) { (void)sender; }
  // Draws or removes the view's marker on the score's navigator.
  virtual void DrawNavigatorMarker(bool visible) { (void)visible; }
  // Selects every element of a scope (0 score, 1 piece, 2 part, 3 staff,
  // 4 voice of the cursor), or the page objects of the cursor's page or of
  // all pages.
  virtual void SelectAll(int scope) { (void)scope; }
  virtual void SelectAllPageObjects(bool allPages) { (void)allPages; }
  // Bookmarks 0-9.
  virtual bool HasBookmark(int index) const { (void)index; return false; }
  virtual void SetBookmark(int index) { (void)index; }
  virtual void GotoBookmark(int index) { (void)index; }

  // After every layout pass: the page count (the score's LaidOutPages) may
  // have changed; the view resizes its page grid and revalidates its
  // cursor. Then the view recomputes its scroll ranges from its page grid.
  virtual void LayoutChanged() {}
  virtual void UpdateScrollRanges() {}
};

}  // namespace qs

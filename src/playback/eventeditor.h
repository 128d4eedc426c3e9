#pragma once
// The MIDI event editor: the raw MIDI events of the current piece on a time
// line of one pixel per tick, measure after measure, each a label of its
// bytes on a stem at its tick, stacked in lanes where labels would
// overlap. It has a cursor of its own that follows the score view's; the
// user focuses and selects events with the mouse and the keys and asks,
// through the events, to add, edit or delete them.
#include <cstdint>
#include <string>
#include <vector>

#include "base/geometry.h"
#include "playback/sideeditor.h"

namespace qs {

class TQSScore;
class TQSPiece;
class TQSMIDIEvent;
class TScrollBar;

class TQSEventEditor : public TQSSideEditor {
 public:
  static constexpr int kMaxLanes = 128;

  struct TEventEntry {
    TQSMIDIEvent* Event = nullptr;
    int Tick = 0;
    std::string Text;  // the bytes, two digits each, spaced
    bool Selected = false;
    TRect Label;       // content pixels
  };
  struct TMeasureEntry {
    int Length = 0;
    uint16_t Meter = 0x0404;
    int Number = 0;    // shown
    TRect Bounds;      // content pixels
    std::vector<TEventEntry> Events;
  };

  explicit TQSEventEditor(TComponent* owner);
  ~TQSEventEditor() override;
  const char* ClassName() const override { return "TQSEventEditor"; }

  void SetScore(TQSScore* score);
  TQSScore* Score() const { return score_; }
  // After an event was added.
  void Reload();
  // Takes the score view's cursor tick as the editor's.
  void SyncWithCursor();
  void ShowCursor(bool visible);
  bool HasSelection();
  // The chosen event (the latest selected, else the focused one): its bytes
  // as two digits each without separators; empty for none.
  std::string GetSelectedEventText();
  void SetSelectedEventData(const uint8_t* data, size_t size);
  // Frees the selected events and the focused one.
  void DeleteSelected();

  TNotifyEvent OnAddEvent;
  TNotifyEvent OnEditEvent;
  TNotifyEvent OnDeleteEvent;
  TNotifyEvent OnFocusChanged;

  const std::vector<TMeasureEntry>& Measures() const { return measures_; }
  // The focused event: measure and index, -1 for none.
  int FocusedMeasure() const { return focusMeasure_; }
  int FocusedIndex() const { return focusIndex_; }
  int CursorTick() const { return cursorTick_; }

  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void Resize() override;

 private:
  TQSPiece* Piece() const;
  // Rebuilds when the piece changed under the editor (events freed or
  // added, measures laid out anew), keeping what stays selected.
  void Refresh();
  void Rebuild();
  void Layout();
  void UpdateScrollBars();
  void ScrollToCursor();
  // The cursor line at the view's cursor measure and the editor's tick,
  // in XOR: shows it when hidden and hides it when shown.
  void DrawCursorLine();
  void SetCursorLineShown(bool shown);
  void SetFocusedEntry(int measure, int index);
  void FocusEventAtCursor();
  void MoveCursor(int measure, int tick);
  void MoveCursorTo(int x);
  bool HitTest(int x, int y, int& measure, int& index) const;
  void ClearSelection();
  int CursorMeasure() const;
  TEventEntry* Chosen();

  std::vector<TMeasureEntry> measures_;
  int focusMeasure_ = -1, focusIndex_ = -1;
  int cursorTick_ = 0;
  bool cursorShown_ = true;
};

}  // namespace qs

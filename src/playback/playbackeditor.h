#pragma once
// The playback piano roll: the notes of one voice as notated and as
// played, one pixel a tick, against the 88 piano keys. The selected notes'
// played start and length change a tick at a time (keys, buttons) or by
// dragging a played bar's edge; with a duration armed, a click asks for a
// note at that measure, tick and key.
#include <cstdint>
#include <functional>
#include <vector>

#include "base/geometry.h"
#include "platform/controls.h"

namespace qs {

class TQSScore;
class TQSMeasure;
class TQSNote;
struct TQSCalcItem;
class TScrollBar;

class TQSPlaybackEditor : public TCustomControl {
 public:
  struct TMeasureEntry {
    TQSMeasure* Measure = nullptr;
    int Beats = 4;
    int Left = 0, Right = 0;  // content pixels
  };
  struct TNoteEntry {
    TQSCalcItem* Element = nullptr;
    int MeasureIndex = 0;
    bool Selected = false;
    TRect Bounds, Notated, Played;  // content pixels
    TQSNote* Note() const;
  };

  explicit TQSPlaybackEditor(TComponent* owner);
  const char* ClassName() const override { return "TQSPlaybackEditor"; }

  int NoteHeight() const { return noteHeight_; }
  void SetNoteHeight(int v) { noteHeight_ = v < 1 ? 1 : v; }
  int PanelWidth() const { return panelWidth_; }
  void SetPanelWidth(int v) { panelWidth_ = v < 1 ? 1 : v; }
  // Asks for a note: measure entry, tick in it, MIDI key.
  std::function<void(TObject* sender, int measure, int position, uint8_t note)> OnPlaybackNote;

  void BeginUpdate() { ++updates_; }
  void EndUpdate();
  void Clear();
  void AddMeasure(TQSMeasure* measure);
  void AddNote(TQSCalcItem* element);
  void SetInsertDuration(int ticks) { insertDuration_ = ticks; }

  void IncreaseSize();
  void DecreaseSize();
  void ShiftRight();
  void ShiftLeft();

  const std::vector<TMeasureEntry>& MeasureEntries() const { return measures_; }
  const std::vector<TNoteEntry>& NoteEntries() const { return notes_; }
  int ActiveIndex() const { return active_; }
  int ContentWidth() const { return contentWidth_; }
  int ContentHeight() const { return 59 * noteHeight_; }
  // The top of the row of a MIDI key, content pixels.
  int RowTop(int key) const;
  TScrollBar* HorzBar = nullptr;
  TScrollBar* VertBar = nullptr;

  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void Resize() override;

 private:
  void Layout();
  void CalcPlayedSpan(TNoteEntry& e);
  int HitTest(int x, int y) const;
  void SetActiveEntry(int index);
  void ClearSelection();
  void NotifyChanged();
  void UpdateScrollBars();
  template <class Change>
  void ChangeSelected(Change change);

  TQSScore* score_ = nullptr;
  std::vector<TMeasureEntry> measures_;
  std::vector<TNoteEntry> notes_;
  int noteHeight_ = 12, panelWidth_ = 16;
  int contentWidth_ = 0;
  int updates_ = 0;
  bool layoutPending_ = false;
  int active_ = -1;
  int insertDuration_ = 0;
  bool syncing_ = false;
  bool startDrag_ = false, endDrag_ = false;
  int anchorX_ = 0, currentX_ = 0;
};

}  // namespace qs

#pragma once
// The velocity editor: the velocity of each note of one voice as a bar
// over a scale of 0 to 127. The selected notes' velocities step by one,
// a bar's top is dragged or clicked into place, and the notes between the
// first and the last selected one are aligned on a straight line.
#include <cstdint>
#include <vector>

#include "base/geometry.h"
#include "platform/controls.h"

namespace qs {

class TQSScore;
class TQSMeasure;
class TQSNote;
struct TQSCalcItem;
class TScrollBar;

class TQSVelocityEditor : public TCustomControl {
 public:
  static constexpr int kMinHeight = 143;
  struct TMeasureEntry {
    TQSMeasure* Measure = nullptr;
    int Left = 0, Right = 0;
  };
  struct TNoteEntry {
    TQSCalcItem* Element = nullptr;
    int MeasureNumber = 0;
    bool Selected = false;
    TRect Bar;  // content pixels
    TQSNote* Note() const;
  };

  explicit TQSVelocityEditor(TComponent* owner);
  const char* ClassName() const override { return "TQSVelocityEditor"; }

  int NoteWidth() const { return noteWidth_; }
  void SetNoteWidth(int v) { noteWidth_ = v < 1 ? 1 : v; }
  int PanelWidth() const { return panelWidth_; }
  void SetPanelWidth(int v) { panelWidth_ = v < 1 ? 1 : v; }

  void BeginUpdate() { ++updates_; }
  void EndUpdate();
  void Clear();
  void AddMeasure(TQSMeasure* measure);
  void AddNote(TQSCalcItem* element);

  void IncreaseVelocity();
  void DecreaseVelocity();
  void AlignVelocity();

  const std::vector<TNoteEntry>& NoteEntries() const { return notes_; }
  int ActiveIndex() const { return active_; }
  int ContentWidth() const { return contentWidth_; }
  int ContentHeight() const { return contentHeight_; }
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
  void UpdateScrollBars();
  int HitTest(int x, int y) const;
  void SetActiveEntry(int index);
  void ClearSelection();
  void SetVelocity(TNoteEntry& e, int velocity);
  void NotifyChanged();

  TQSScore* score_ = nullptr;
  std::vector<TMeasureEntry> measures_;
  std::vector<TNoteEntry> notes_;
  int noteWidth_ = 5, panelWidth_ = 24;
  int contentWidth_ = 0, contentHeight_ = kMinHeight;
  int updates_ = 0;
  bool layoutPending_ = false;
  int active_ = -1;
  bool syncing_ = false;
  bool dragging_ = false;
  int anchorY_ = 0, currentY_ = 0;
};

}  // namespace qs

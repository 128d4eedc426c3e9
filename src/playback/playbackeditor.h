#pragma once
// The playback piano roll: the notes of one voice as notated and as
// played, one pixel a tick, against the 88 piano keys. The selected notes'
// played start and length change a tick at a time (keys, buttons) or by
// dragging a played bar's edge; with a duration armed, a click asks for a
// note at that measure, tick and key.
#include <cstdint>
#include <functional>
#include <vector>

#include "playback/voiceeditor.h"

namespace qs {

class TQSPlaybackEditor : public TQSVoiceEditor {
 public:
  explicit TQSPlaybackEditor(TComponent* owner);
  const char* ClassName() const override { return "TQSPlaybackEditor"; }

  // Asks for a note: measure entry, tick in it, MIDI key.
  std::function<void(TObject* sender, int measure, int position, uint8_t note)> OnPlaybackNote;

  // Arms (ticks > 0) or disarms note insertion by click; while armed a
  // marker of the duration follows the mouse over the roll.
  void SetInsertDuration(int ticks);

  void IncreaseSize();
  void DecreaseSize();
  void ShiftRight();
  void ShiftLeft();

  // The top of the row of a MIDI key, content pixels.
  int RowTop(int key) const;

  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void Resize() override;

 private:
  void Layout() override;
  int FixedPanelWidth() const override { return 2 * panelWidth_; }
  int ScrollMarginX() const override { return 16; }
  int ScrollMarginY() const override { return noteHeight_ * 2 / 3; }
  void CalcPlayedSpan(TQSVoiceEntry& e);
  // The nearest entry of the active entry's measure whose row lies above
  // (step -1) or below (+1) the active one's; -1 for none.
  int RowNeighbour(int step) const;
  void PaintKeyboard(TCanvas& c, int width, int dy);
  void PaintMeasures(TCanvas& c, int dx);
  int HitTest(int x, int y) const;
  // The outline of the played bar being dragged, in XOR: shows or hides it.
  void DrawDragOutline();
  // The insertion marker at the marker position, in XOR: shows or hides it.
  void DrawInsertMarker();
  void PlaceMarker(int x, int y);
  template <class Change>
  void ChangeSelected(Change change);

  int insertDuration_ = 0;
  int markerX_ = 0, markerY_ = 0;  // client pixels
  bool markerPlaced_ = false;
  bool startDrag_ = false, endDrag_ = false;
  int anchorX_ = 0, currentX_ = 0;
};

}  // namespace qs

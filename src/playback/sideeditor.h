#pragma once
// What the side editors of a document (the piano roll, the velocities,
// the MIDI events) share: a content area scrolled by two bars of their
// own, the score they edit, the update counter that defers their work,
// and the guard that keeps the view's notifications of the editor's own
// changes from coming back into it.
#include <functional>

#include "platform/canvas.h"
#include "platform/controls.h"

namespace qs {

class TQSScore;
class TQSMeasureSlot;
class TScrollBar;

// The measure number a layout record shows for measure index (counted
// from 0); index + 1 without a record.
int ShownMeasureNumber(const TQSMeasureSlot* slot, int index);

class TQSSideEditor : public TCustomControl {
 public:
  TScrollBar* HorzBar = nullptr;
  TScrollBar* VertBar = nullptr;

  int ContentWidth() const { return contentWidth_; }
  int ContentHeight() const { return contentHeight_; }

 protected:
  explicit TQSSideEditor(TComponent* owner);

  // The vertical bar along the right edge, the horizontal one along the
  // bottom from horzLeft to the vertical one.
  void PlaceScrollBars(int horzLeft);
  // Each bar's range for the content, visibleWidth x visibleHeight of it
  // shown; positions beyond the new range come back into it.
  void SetScrollRanges(int visibleWidth, int visibleHeight);
  // Draws straight onto the control's face with pen in XOR and no fill,
  // clipped to clip (client pixels): drawing the same figure again
  // restores the pixels, so drag outlines and cursor lines move without a
  // repaint. Paint draws them once more at its end while they are shown.
  void DrawXor(const TRect& clip, TPen pen, const std::function<void(TCanvas&)>& draw);
  // The client area less the scroll bars and its own bottom pixel row.
  TRect DrawingArea() const;
  // Scrolls to the content position (h, v), each kept within its bar's
  // range.
  void ScrollTo(int h, int v);
  // The bottom strip left of the horizontal scroll bar, in the face colour
  // of buttons.
  void PaintBarCorner(TCanvas& canvas);
  // Tells the score's owner (OnChanged, the editor as sender) that the
  // editor changed the score, with the update counter raised and the sync
  // guard set meanwhile, so the owner's refill skips the editor; then
  // takes the focus back. Nothing without an OnChanged handler.
  void NotifyChanged();

  // Sets the sync guard while it lives; it is restored also when an
  // exception passes.
  class TSyncing {
   public:
    explicit TSyncing(TQSSideEditor& editor) : editor_(editor), was_(editor.syncing_) { editor.syncing_ = true; }
    ~TSyncing() { editor_.syncing_ = was_; }
    TSyncing(const TSyncing&) = delete;
    TSyncing& operator=(const TSyncing&) = delete;

   private:
    TQSSideEditor& editor_;
    bool was_;
  };

  TQSScore* score_ = nullptr;
  int contentWidth_ = 0, contentHeight_ = 0;
  int updates_ = 0;
  bool syncing_ = false;
};

}  // namespace qs

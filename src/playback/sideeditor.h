#pragma once
// What the side editors of a document (the piano roll, the velocities,
// the MIDI events) share: a content area scrolled by two bars of their
// own, the score they edit, the update counter that defers their work,
// and the guard that keeps the view's notifications of the editor's own
// changes from coming back into it.
#include "platform/controls.h"

namespace qs {

class TQSScore;
class TScrollBar;

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
  // Tells the score's owner (OnChanged, the editor as sender) that the
  // editor changed the score, with the update counter raised and the sync
  // guard set meanwhile, so the owner's refill skips the editor; then
  // takes the focus back. Nothing without an OnChanged handler.
  void NotifyChanged();

  TQSScore* score_ = nullptr;
  int contentWidth_ = 0, contentHeight_ = 0;
  int updates_ = 0;
  bool syncing_ = false;
};

}  // namespace qs

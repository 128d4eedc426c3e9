#pragma once
// A score view that no one sees: it holds a cursor and lets a player play
// the score through it (the WAVE export), or stands for the active view
// where a window needs one (the review pictures of the side editors).
#include "score/windowlink.h"

namespace qs {

struct TQSHiddenView : TQSWindowLink {
  bool Playing() const override { return PlayControl && PlayControl->IsPlaying(); }
  int CursorSystemIndex() const override { return 0; }
  void InvalidatePages() override {}
};

}  // namespace qs

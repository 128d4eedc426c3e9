#include "editing/rulers.h"

#include "editing/spacing.h"
#include "score/score.h"
#include "view/window.h"

namespace qs {

void ApplyRulerMarkerDrop(TQSScore& score, int marker, int step) {
  switch (marker) {
    case 1: ChangeStaveLeftOffset(score, step, false); break;
    case 2: ChangeStaveRightOffset(score, step); break;
    case 3: ChangeStaveOffset(score, step); break;
    case 4: ChangeSpaceAfterMeasure(score, step); break;
    case 5: ChangeSpaceBefore(score, step, true); break;
    default: break;
  }
}

void ConnectRulerSpacing(TQSWindow& view) {
  view.OnRulerMarkerDrop = [&view](TObject*, int marker, int step) {
    if (view.Score) ApplyRulerMarkerDrop(*view.Score, marker, step);
  };
}

}  // namespace qs

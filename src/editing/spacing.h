#pragma once
// The user's corrections of the automatic layout at the cursor: space
// before a tick, a staff row's vertical offset, a system's left and right
// offsets, space after a measure and a system's align style. They are kept
// for the whole piece in the composition view and per part in the part
// view, and are not recorded for undo. Steps are in screen pixels at 100 %
// zoom; the tables hold eighths of them.
#include <cstdint>

namespace qs {

class TQSScore;

// allowNegative: the entry may go below 0 (ruler drags), else it stops at 0.
void ChangeSpaceBefore(TQSScore& score, int step, bool allowNegative);
void ChangeStaveOffset(TQSScore& score, int step);
// absolute: the entry becomes step x 8 instead of changing by it.
void ChangeStaveLeftOffset(TQSScore& score, int step, bool absolute);
void ChangeStaveRightOffset(TQSScore& score, int step);
// Never below 0.
void ChangeSpaceAfterMeasure(TQSScore& score, int step);
// 0 the score's setting, 10 + n even with interval n, 50 proportional,
// 100 + n positional.
void SetMeasureAlignStyle(TQSScore& score, uint8_t style);

}  // namespace qs

#pragma once
// Deleting the active view's selection (Delete, Backspace and Cut).
#include "score/score.h"

namespace qs {

// Deletes the selected items of the score and the selected page objects as
// one undo step and lays the score out again. Rests stay (the measure keeps
// its time filled). Answers whether anything was selected; the selection
// is empty afterwards.
bool DeleteSelection(TQSScore& score);

}  // namespace qs

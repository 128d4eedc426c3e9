#pragma once
// Stepping a size or a value of each selected item of the active view:
// notes halve or double, marks with a length stretch to the previous or
// next note, slurs, bends, volte and page objects widen or narrow; or the
// one adjustable value of an item (stem length, a mark's value or angle, a
// hairpin's opening, a slur's curvature, a bend's or page object's height)
// steps within its limits. Each is one undo step; a step that would leave
// its range changes nothing.
namespace qs {

class TQSScore;

// step -1 smaller, +1 larger. Without a selection: the notes at the cursor.
void ChangeSize(TQSScore& score, int step);
// step -1 up, +1 down. Nothing without a selection.
void ChangeItemValue(TQSScore& score, int step);

}  // namespace qs

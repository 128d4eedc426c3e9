#pragma once
// Moving what is selected in the active view: sideways by keys (notes by
// eight ticks, tuplets whole, everything else by a pixel step), marks to
// the previous or next note time, and up or down (notes by diatonic steps
// or strings, everything else by a pixel step). Each is one undo step; a
// move that cannot apply changes nothing and leaves no record.
namespace qs {

class TQSScore;

// step -1 left, +1 right. Without a selection: the notes at the cursor.
void MoveHorizontal(TQSScore& score, int step);
// direction below 1: to the previous note time, else to the next.
void MoveToNoteTime(TQSScore& score, int direction);
// The key command that does nothing.
void EmptyKeyCommand(TQSScore& score);
// steps -1 up, +1 down, -7/+7 an octave. Without a selection: the notes
// and rests at the cursor, in every staff and voice of its part.
void MoveVertical(TQSScore& score, int steps);

}  // namespace qs

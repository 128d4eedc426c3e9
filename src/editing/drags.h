#pragma once
// What a mouse drag in the view applies: the selection moved by a distance
// in client pixels (offsets of marks, texts and curves, the pitch of notes,
// the string of tablature notes, the place of page objects), and the item
// whose grab handle was dragged reshaped. Each is one undo step.
namespace qs {

class TQSScore;
class TQSStaff;
class TQSWindow;

void MoveSelection(TQSScore& score, TQSWindow& view, int dx, int dy);
void DragHandle(TQSScore& score, TQSWindow& view, int dx, int dy);
// The bracket that joins the staves of bracket's group at the start of a
// system, its bottom dragged to target: the group numbers of the piece's
// staves (in order, part by part) change so that the group grows down to
// target or shrinks back to it.
void DragBracket(TQSStaff& bracket, const TQSStaff& target);
// Connects both to the view's drag events.
void ConnectDragCommands(TQSWindow& view);
// Makes what the view's insertion tools draw into items of its score: the
// shapes into page objects with the view's pen and brush, the tie/slur
// tool's curve into a tie, slur or slide on its start note.
void ConnectToolCommands(TQSWindow& view);

}  // namespace qs

#pragma once
// Moving the cursor's piece, part, staff or voice up or down in its list by
// a number of places; the items' staff/voice bytes follow the new order.
// Not recorded for undo; the whole score is laid out again.
namespace qs {

class TQSScore;
class TQSPiece;

// delta places, negative towards the start, kept within the list.
void MovePiece(TQSScore& score, int delta);
void MovePart(TQSScore& score, int delta);
void MoveStaff(TQSScore& score, int delta);
void MoveVoice(TQSScore& score, int delta);
// The cursor's part into piece at index (-1 or beyond the end: last), with
// its measures as they are; the cursor follows it.
void MovePartToPiece(TQSScore& score, TQSPiece* piece, int index);

}  // namespace qs

#pragma once
// Moving the cursor's piece, part, staff or voice up or down in its list by
// a number of places; the items' staff/voice bytes follow the new order.
// A part or staff moved within its piece or part is one undo step; the
// other moves are not recorded. The whole score is laid out again.
namespace qs {

class TQSScore;
class TQSPiece;
class TQSPart;
class TQSStaff;

// delta places, negative towards the start, kept within the list.
void MovePiece(TQSScore& score, int delta);
void MovePart(TQSScore& score, int delta);
void MoveStaff(TQSScore& score, int delta);
void MoveVoice(TQSScore& score, int delta);
// The cursor's part into piece at index (-1 or beyond the end: last), with
// its measures as they are; the cursor follows it.
void MovePartToPiece(TQSScore& score, TQSPiece* piece, int index);
// The cursor's staff into part, or its voice into staff, at index (-1 or
// beyond the end: last); its items go with it into the measures of the
// same index, and the cursor follows. A part keeps at least one staff and
// a staff one voice: moving the last one away does nothing. Within its own
// container the staff or voice changes places as MoveStaff/MoveVoice do.
void MoveStaffToPart(TQSScore& score, TQSPart* part, int index);
void MoveVoiceToStaff(TQSScore& score, TQSStaff* staff, int index);

}  // namespace qs

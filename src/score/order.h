#pragma once
// Parts and staves changing places in their lists. The items of a part's
// measures that belong to a staff keep their staff: their staff numbers
// follow the new order. Nothing is laid out, recorded or announced here;
// the editing commands and the undo journal's replay do that.
#include <cstdint>

#include "score/item.h"

namespace qs {

class TQSPiece;
class TQSPart;

// The entry at from goes to to (both within the list); the entries between
// shift by one place.
void ReorderParts(TQSPiece& piece, int from, int to);
void ReorderStaves(TQSPart& part, int from, int to);

// Kinds whose staff follows a moved staff.
bool FollowsStaff(TQSItemType k);
// The staff/voice byte of an item that carries one, else null.
uint8_t* StaffVoiceByte(TQSItem& item);
// Where an index ends up when the entry at from moved to to.
int Renumbered(int index, int from, int to);

}  // namespace qs

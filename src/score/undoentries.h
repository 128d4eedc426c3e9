#pragma once
// The entry writers shared by the score's SaveUndo... operations and the
// replay, which records into its mirror records what it overwrites. Each
// appends one entry and never raises: an entry that fails is cut off again.
#include <cstdint>

#include "score/score.h"

namespace qs::undoentry {

// Bytes of a tagged entry before its body: tag, end, view style, cursor.
constexpr int kTaggedHeaderSize = 1 + 4 + 1 + 7 * 4;
// Bytes of a structure entry before its indexes: tag, end, action, piece.
constexpr int kStructureHeaderSize = 1 + 4 + 1 + 4;

// withBody false leaves the object's record out (a record whose replay
// only removes the object needs nothing but its place). index >= 0 is
// filed in place of the measure's or column's own index.
void Piece(TQSScore& score, TQSUndoRecord* record, TQSPiece& piece, bool withBody);
void Part(TQSScore& score, TQSUndoRecord* record, TQSPart& part, bool withBody);
void Staff(TQSScore& score, TQSUndoRecord* record, TQSStaff& staff, bool withBody);
void Voice(TQSScore& score, TQSUndoRecord* record, TQSVoice& voice, bool withBody);
void Measure(TQSScore& score, TQSUndoRecord* record, TQSMeasure& measure, int index, bool withBody);
void Column(TQSScore& score, TQSUndoRecord* record, TQSColumn& column, int index, bool withBody);
void Item(TQSScore& score, TQSUndoRecord* record, TQSItem& item);
// The own properties of a piece, part, staff or voice (not what it holds),
// under the cursor that names the object; a record of PropertiesChanged
// reads them back into it.
void Properties(TQSScore& score, TQSUndoRecord* record, TQSPiece& piece);
void Properties(TQSScore& score, TQSUndoRecord* record, TQSPart& part);
void Properties(TQSScore& score, TQSUndoRecord* record, TQSStaff& staff);
void Properties(TQSScore& score, TQSUndoRecord* record, TQSVoice& voice);
// The body of such an entry, read back into the object it names.
void ReadProperties(TStream& s, TQSPiece& piece);
void ReadProperties(TStream& s, TQSPart& part);
void ReadProperties(TStream& s, TQSStaff& staff);
void ReadProperties(TStream& s, TQSVoice& voice);
// A text entry for a lyric, inscription, instrument name or free text.
void Text(TQSScore& score, TQSUndoRecord* record, TQSItem& item);
// part is left out for columns (tag undotag::Column).
void Structure(TQSUndoRecord* record, uint8_t tag, uint8_t action, int piece, int part, int index);

// A part (part < 0) or staff of part that moved from from to to.
void Order(TQSUndoRecord* record, int piece, int part, int from, int to);

// The kinds that text entries are made for.
bool IsTextKind(uint8_t kind);

}  // namespace qs::undoentry
